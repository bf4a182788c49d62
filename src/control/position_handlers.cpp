// dsGetSize, dsGetDuration, dsGetPosition, dsSetPosition, dsGetTime, dsSetTime:
// sizes and positions in bytes of PCM data, times in milliseconds.
#include "control/control_arguments.h"
#include "control/control_handlers.h"
#include "sounds/sound_buffer.h"

namespace sonidrax {

Status DsGetSize(ScriptCall& call) {
    SoundBuffer* sound = SoundArgument(call);
    return call.finish(kOk, sound != nullptr ? static_cast<int32_t>(sound->DataBytes()) : 0);
}

Status DsGetDuration(ScriptCall& call) {
    SoundBuffer* sound = SoundArgument(call);
    return call.finish(kOk, sound != nullptr ? sound->BytesToMs(static_cast<int32_t>(sound->DataBytes())) : 0);
}

Status DsGetPosition(ScriptCall& call) {
    SoundBuffer* sound = SoundArgument(call);
    return call.finish(kOk, sound != nullptr ? static_cast<int32_t>(sound->GetPosition()) : 0);
}

Status DsGetTime(ScriptCall& call) {
    SoundBuffer* sound = SoundArgument(call);
    return call.finish(kOk, sound != nullptr ? sound->BytesToMs(static_cast<int32_t>(sound->GetPosition())) : 0);
}

// A position outside the data is refused by the sound, and the call then answers
// nothing; its status reaches dsGetError (-9).
Status DsSetPosition(ScriptCall& call) {
    SoundBuffer* sound = SoundArgument(call);
    const int32_t position = call.integer(2, 0);
    if (sound == nullptr) return call.finish(kOk, position);
    const Status status = sound->SetPosition(position);
    if (status != kOk) return call.finish(status);
    return call.finish(kOk, position);
}

Status DsSetTime(ScriptCall& call) {
    SoundBuffer* sound = SoundArgument(call);
    if (sound == nullptr) return call.finish(kOk);
    const int32_t time = call.integer(2, 0);
    const Status status = sound->SetPosition(sound->MsToBytes(time));
    return call.finish(status, status == kOk ? time : 0);
}

}  // namespace sonidrax
