// dsShowPrefsDialog: the script's settings list in, the edited list out. The
// plug-in keeps no settings of its own; the script stores what it gets back.
#include <cstring>

#include "frame/module_handle.h"
#include "ui/prefs_dialog.h"
#include "ui/ui_handlers.h"

namespace sonidrax {

namespace {

constexpr const char* kMainDeviceKey = "mainDevice";
constexpr const char* kCueDeviceKey = "cueDevice";
constexpr const char* kToolTipsKey = "toolTips";

// Room for a text of the host's reported length and its terminator, cleared so
// that a conversion that fails reads as empty. Null when memory runs out.
char* AllocateText(const SoundXtra& xtra, int32_t size) {
    auto* text = static_cast<char*>(xtra.Allocate(static_cast<uint32_t>(size)));
    if (text != nullptr) std::memset(text, 0, static_cast<size_t>(size));
    return text;
}

// The value under a key of the settings list, or false when the key is absent
// (or the settings are not a property list). The caller releases the value.
bool GetSetting(const SoundXtra& xtra, const ScriptValue& settings, const char* key, ScriptValue* value) {
    ScriptValue keyValue = {};
    xtra.hostValues->ops->FromString(xtra.hostValues, key, &keyValue);
    const bool present = xtra.hostLists->ops->GetProp(xtra.hostLists, &settings, &keyValue, value) == 0;
    xtra.hostValues->ops->ReleaseValue(xtra.hostValues, &keyValue);
    return present;
}

char* ReadTextSetting(const SoundXtra& xtra, const ScriptValue& settings, const char* key) {
    ScriptValue value = {};
    if (!GetSetting(xtra, settings, key, &value)) return nullptr;
    HostValues* values = xtra.hostValues;
    int32_t length = 0;
    values->ops->StringLength(values, &value, &length);
    const int32_t size = length < 0 || length == INT32_MAX ? 1 : length + 1;
    char* text = AllocateText(xtra, size);
    if (text != nullptr) values->ops->ToString(values, &value, text, size);
    values->ops->ReleaseValue(values, &value);
    return text;
}

int32_t ReadIntegerSetting(const SoundXtra& xtra, const ScriptValue& settings, const char* key) {
    ScriptValue value = {};
    int32_t number = 0;
    if (!GetSetting(xtra, settings, key, &value)) return number;
    xtra.hostValues->ops->ToInteger(xtra.hostValues, &value, &number);
    xtra.hostValues->ops->ReleaseValue(xtra.hostValues, &value);
    return number;
}

void ReadSettings(const ScriptCall& call, PrefsRecord& record) {
    const ScriptValue* settings = call.argument(1);
    if (settings == nullptr) return;
    record.mainDevice = ReadTextSetting(XtraOf(call), *settings, kMainDeviceKey);
    record.cueDevice = ReadTextSetting(XtraOf(call), *settings, kCueDeviceKey);
    record.toolTips = ReadIntegerSetting(XtraOf(call), *settings, kToolTipsKey);
}

Status AddSetting(const SoundXtra& xtra, ScriptValue& list, const char* key, ScriptValue& value) {
    HostValues* values = xtra.hostValues;
    ScriptValue keyValue = {};
    values->ops->FromString(values, key, &keyValue);
    const Status status = xtra.hostLists->ops->AddProp(xtra.hostLists, &list, &keyValue, &value);
    values->ops->ReleaseValue(values, &keyValue);
    values->ops->ReleaseValue(values, &value);
    return status;
}

Status AddTextSetting(const SoundXtra& xtra, ScriptValue& list, const char* key, const char* text) {
    ScriptValue value = {};
    xtra.hostValues->ops->FromString(xtra.hostValues, text, &value);
    return AddSetting(xtra, list, key, value);
}

// A text that could not be kept leaves its key out.
Status ReturnSettings(ScriptCall& call, const PrefsRecord& record) {
    const SoundXtra& xtra = XtraOf(call);
    ScriptValue& list = call.info().result;
    xtra.hostLists->ops->NewPropList(xtra.hostLists, &list);
    if (record.mainDevice != nullptr) AddTextSetting(xtra, list, kMainDeviceKey, record.mainDevice);
    if (record.cueDevice != nullptr) AddTextSetting(xtra, list, kCueDeviceKey, record.cueDevice);
    ScriptValue toolTips = {};
    xtra.hostValues->ops->FromInteger(xtra.hostValues, record.toolTips, &toolTips);
    return AddSetting(xtra, list, kToolTipsKey, toolTips);
}

}  // namespace

// Answers the status of the last host call; lastError is left alone.
Status DsShowPrefsDialog(ScriptCall& call) {
    SoundXtra& xtra = XtraOf(call);
    PrefsRecord record = {&xtra, 0, nullptr, nullptr, 0};
    HostCallback* callback = xtra.header.callback;
    int32_t savedResources = 0;
    HANDLE resources = callback->ops->UseModuleResources(callback, moduleHandle, &savedResources);
    ReadSettings(call, record);
    if (xtra.hostWindow != nullptr) {
        xtra.hostWindow->ops->RunDialog(xtra.hostWindow, resources, kPrefsDialogId, PrefsDialogProc,
                                        reinterpret_cast<LPARAM>(&record));
    }
    callback->ops->RestoreResources(callback, moduleHandle, savedResources);
    Status status = kOk;
    if (record.accepted != 0) {
        status = ReturnSettings(call, record);
    } else {
        status = xtra.hostValues->ops->FromInteger(xtra.hostValues, 0, &call.info().result);
    }
    xtra.Free(record.mainDevice);
    xtra.Free(record.cueDevice);
    return status;
}

}  // namespace sonidrax
