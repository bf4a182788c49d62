// dsGetDevices and dsSetDevice: listing the output devices and choosing one.
#include "engine/output_device.h"
#include "engine/sound_engine.h"
#include "engine/engine_handlers.h"

namespace sonidrax {

// The descriptions DirectSound reported, in its order; the default device made
// at start has none and is not listed.
Status DsGetDevices(ScriptCall& call) {
    SoundXtra& xtra = XtraOf(call);
    HostLists* lists = xtra.hostLists;
    ScriptValue& result = call.info().result;
    lists->ops->NewList(lists, &result);
    int32_t position = 0;
    for (const OutputDevice* device = xtra.deviceList; device != nullptr; device = device->next) {
        if (device->description == nullptr) continue;
        ScriptValue name = {};
        xtra.hostValues->ops->FromString(xtra.hostValues, device->description, &name);
        lists->ops->SetAt(lists, &result, ++position, &name);
    }
    return call.finish(kOk);
}

// Later sounds are made on the chosen device; an unknown name or a device that
// cannot be opened changes nothing, and the script is not told either way.
Status DsSetDevice(ScriptCall& call) {
    TextBuffer name;
    call.text(1, name);
    SelectDevice(XtraOf(call), name, XtraOf(call).mainWindow);
    return call.finish(kOk);
}

}  // namespace sonidrax
