#include "module/script_object.h"

#include "control/control_handlers.h"
#include "engine/engine_handlers.h"
#include "engine/sound_engine.h"
#include "engine/sound_table.h"
#include "ui/ui_handlers.h"

namespace sonidrax {

namespace {

template <HandlerFn Handler>
Status __stdcall HandlerSlot(InterfaceObject* self, CallInfo* info) {
    ScriptCall call(XtraOf(self), *info);
    return Handler(call);
}

Status __stdcall NewSoundSlot(InterfaceObject* self, CallInfo* info, int32_t reverse) {
    ScriptCall call(XtraOf(self), *info);
    return DsNewSound(call, reverse);
}

Status __stdcall Call(InterfaceObject* self, CallInfo* info) {
    const uint32_t index = info->methodIndex;
    if (index > kLastMethodIndex) return kNoSuchMethod;
    const auto* ops = static_cast<const ScriptObjectOps*>(self->ops);
    switch (Methods()[index].kind) {
        case MethodKind::Host:
            return kOk;
        case MethodKind::NewSound:
            return ops->newSound(self, info, 0);
        case MethodKind::ReverseSound:
            return ops->newSound(self, info, 1);
        case MethodKind::Handler:
        case MethodKind::Alias:
            break;
    }
    return ops->handlers[HandlerNumberOf(index) - 1](self, info);
}

IDirectSound3DListener* __stdcall GetListenerSlot(InterfaceObject* self) { return GetListener(XtraOf(self)); }

Status __stdcall ReturnVectorSlot(InterfaceObject* self, CallInfo* call, float x, float y, float z) {
    return ReturnVector(XtraOf(self), *call, x, y, z);
}

Status __stdcall ReadVectorArgumentSlot(InterfaceObject* self, CallInfo* call, int32_t n, float* x, float* y,
                                        float* z) {
    return ReadVectorArgument(XtraOf(self), *call, n, x, y, z);
}

SoundBuffer* __stdcall FindSoundSlot(InterfaceObject* self, const ScriptValue* id) {
    return FindSound(XtraOf(self), id);
}

void __stdcall AddSoundSlot(InterfaceObject* self, SoundBuffer* sound) { AddSound(XtraOf(self), sound); }

}  // namespace

const ScriptObjectOps kScriptObjectOps = {
    InterfaceQueryInterface,
    InterfaceAddRef,
    InterfaceRelease,
    Call,
    GetListenerSlot,
    ReturnVectorSlot,
    ReadVectorArgumentSlot,
    HandlerSlot<DsOpenFileDialog>,
    HandlerSlot<DsSaveFileDialog>,
    HandlerSlot<DsShowPrefsDialog>,
    FindSoundSlot,
    AddSoundSlot,
    NewSoundSlot,
    {
        HandlerSlot<DsDuplicateSound>,
        HandlerSlot<DsDeleteSound>,
        HandlerSlot<DsDeleteAllSounds>,
        HandlerSlot<DsPlay>,
        HandlerSlot<DsStop>,
        HandlerSlot<DsStream>,
        HandlerSlot<DsReverse>,
        HandlerSlot<DsSynchronize>,
        HandlerSlot<DsGetSize>,
        HandlerSlot<DsGetDuration>,
        HandlerSlot<DsGetSampleRate>,
        HandlerSlot<DsSetSampleRate>,
        HandlerSlot<DsGetSampleSize>,
        HandlerSlot<DsSetSampleSize>,
        HandlerSlot<DsGetSoundInfo>,
        HandlerSlot<DsIsPlaying>,
        HandlerSlot<DsGetChannelCount>,
        HandlerSlot<DsSetChannelCount>,
        HandlerSlot<DsGetPosition>,
        HandlerSlot<DsSetPosition>,
        HandlerSlot<DsGetTime>,
        HandlerSlot<DsSetTime>,
        HandlerSlot<DsGetPitch>,
        HandlerSlot<DsSetPitch>,
        HandlerSlot<DsGetVolume>,
        HandlerSlot<DsSetVolume>,
        HandlerSlot<DsGetLinearVolume>,
        HandlerSlot<DsSetLinearVolume>,
        HandlerSlot<DsGetLoop>,
        HandlerSlot<DsSetLoop>,
        HandlerSlot<DsGetPan>,
        HandlerSlot<DsSetPan>,
        HandlerSlot<DsGetDevices>,
        HandlerSlot<DsSetDevice>,
        HandlerSlot<DsDirExists>,
        HandlerSlot<DsCreateDir>,
        HandlerSlot<DsGetFileSize>,
        HandlerSlot<DsGetDate>,
        HandlerSlot<DsKeyState>,
        HandlerSlot<DsGetError>,
        HandlerSlot<DsOpenFileDialog>,
        HandlerSlot<DsSaveFileDialog>,
        HandlerSlot<DsShowPrefsDialog>,
        HandlerSlot<DsMoveFile>,
        HandlerSlot<DsAppIsForeground>,
        HandlerSlot<DsQueueSettings>,
        HandlerSlot<DsCommitSettings>,
        HandlerSlot<DsGet3DMode>,
        HandlerSlot<DsSet3DMode>,
        HandlerSlot<DsGet3DPosition>,
        HandlerSlot<DsSet3DPosition>,
        HandlerSlot<DsGetVelocity>,
        HandlerSlot<DsSetVelocity>,
        HandlerSlot<DsGetOrientation>,
        HandlerSlot<DsSetOrientation>,
        HandlerSlot<DsGetOutsideVolume>,
        HandlerSlot<DsSetOutsideVolume>,
        HandlerSlot<DsGetInsideAngle>,
        HandlerSlot<DsGetOutsideAngle>,
        HandlerSlot<DsSetAngles>,
        HandlerSlot<DsGetMinDistance>,
        HandlerSlot<DsSetMinDistance>,
        HandlerSlot<DsGetMaxDistance>,
        HandlerSlot<DsSetMaxDistance>,
        HandlerSlot<DsGetListenerPosition>,
        HandlerSlot<DsSetListenerPosition>,
        HandlerSlot<DsGetListenerVelocity>,
        HandlerSlot<DsSetListenerVelocity>,
        HandlerSlot<DsGetListenerOrientationFront>,
        HandlerSlot<DsGetListenerOrientationTop>,
        HandlerSlot<DsSetListenerOrientation>,
        HandlerSlot<DsGetRolloff>,
        HandlerSlot<DsSetRolloff>,
        HandlerSlot<DsGetDoppler>,
        HandlerSlot<DsSetDoppler>,
        HandlerSlot<DsGetDistanceFactor>,
        HandlerSlot<DsSetDistanceFactor>,
    },
};

Status CreateScriptInterface(void* instance, void** out) {
    return CreateInterfaceObject(instance, &kScriptObjectOps, out);
}

}  // namespace sonidrax
