// Pan (-10000 left to 10000 right) and pitch (a factor of the sound's own rate).
#include "control/control_arguments.h"
#include "control/control_handlers.h"
#include "sounds/sound_buffer.h"

namespace sonidrax {

namespace {

constexpr int32_t kPanLimit = 10000;

}  // namespace

Status DsGetPan(ScriptCall& call) {
    SoundBuffer* sound = SoundArgument(call);
    return call.finish(kOk, sound != nullptr ? sound->GetPan() : 0);
}

// A pan outside -10000..10000 is refused before the sound is looked at; lastError
// keeps what it held. A 3D sound has no pan control: DirectSound ignores the pan.
Status DsSetPan(ScriptCall& call) {
    const int32_t pan = call.integer(2, 0);
    if (pan < -kPanLimit || pan > kPanLimit) return kBadArgument;
    SoundBuffer* sound = SoundArgument(call);
    if (sound == nullptr) return call.finish(kOk);
    const Status status = sound->SetPan(pan);
    return call.finish(status, status == kOk ? pan : 0);
}

Status DsGetPitch(ScriptCall& call) {
    SoundBuffer* sound = SoundArgument(call);
    call.returnFloat(sound != nullptr ? sound->GetPitch() : 1.0);
    return call.finish(kOk);
}

// Answers the factor asked for even when the sound refuses it (a negative one);
// the refusal reaches dsGetError. A factor that is not a number is refused at once.
Status DsSetPitch(ScriptCall& call) {
    SoundBuffer* sound = SoundArgument(call);
    if (sound == nullptr) return call.finish(kOk);
    double factor = 0.0;
    const Status argument = NumberArgument(call, 2, &factor);
    if (argument != kOk) return argument;
    const Status status = sound->SetPitch(factor);
    call.returnFloat(factor);
    return call.finish(status);
}

}  // namespace sonidrax
