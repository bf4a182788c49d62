// Volume in hundredths of a decibel (dsGetVolume answers on the level scale
// -255..0) and linear volume on the 0..255 scale.
#include "control/control_arguments.h"
#include "control/control_handlers.h"
#include "sounds/sound_buffer.h"

namespace sonidrax {

namespace {

constexpr int32_t kFullLevel = 255;
// 256 is let through so that the sound itself refuses it (it maps to +5, a gain).
constexpr int32_t kHighestLinearLevel = 256;

// Sets an attenuation and answers `answer`, or 0 when the sound refuses it.
Status SetAttenuation(ScriptCall& call, SoundBuffer& sound, int32_t attenuation, int32_t answer) {
    const Status status = sound.SetVolume(attenuation);
    return call.finish(status, status == kOk ? answer : 0);
}

}  // namespace

Status DsGetVolume(ScriptCall& call) {
    SoundBuffer* sound = SoundArgument(call);
    return call.finish(kOk, sound != nullptr ? DbToLevel(sound->GetVolume()) : 0);
}

// The attenuation goes to DirectSound as given; beyond -10000..0 the sound refuses it.
Status DsSetVolume(ScriptCall& call) {
    SoundBuffer* sound = SoundArgument(call);
    if (sound == nullptr) return call.finish(kOk);
    const int32_t attenuation = call.integer(2, 0);
    return SetAttenuation(call, *sound, attenuation, attenuation);
}

Status DsGetLinearVolume(ScriptCall& call) {
    SoundBuffer* sound = SoundArgument(call);
    return call.finish(kOk, sound != nullptr ? DbToLevel(sound->GetVolume()) + kFullLevel : 0);
}

// A level outside 0..256 is refused before the sound is looked at; lastError
// keeps what it held.
Status DsSetLinearVolume(ScriptCall& call) {
    const int32_t level = call.integer(2, 0);
    if (level < 0 || level > kHighestLinearLevel) return kBadArgument;
    SoundBuffer* sound = SoundArgument(call);
    if (sound == nullptr) return call.finish(kOk);
    return SetAttenuation(call, *sound, LevelToDb(level - kFullLevel), level);
}

}  // namespace sonidrax
