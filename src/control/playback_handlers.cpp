// dsPlay, dsStop, dsStream, dsReverse, dsIsPlaying, dsGetLoop, dsSetLoop: the
// handlers that drive one sound. A sound id that names no sound has already been
// reported by the lookup; the handler then does nothing and the call succeeds.
#include "control/control_arguments.h"
#include "control/control_handlers.h"
#include "sounds/sound_buffer.h"

namespace sonidrax {

// Further arguments (a priority, say) are accepted and ignored.
Status DsPlay(ScriptCall& call) {
    if (SoundBuffer* sound = SoundArgument(call)) sound->Play();
    return call.finish(kOk);
}

Status DsStop(ScriptCall& call) {
    SoundBuffer* sound = SoundArgument(call);
    return call.finish(sound != nullptr ? sound->Stop() : kOk);
}

// One refill step; a streaming sound needs one call every so often while it plays.
Status DsStream(ScriptCall& call) {
    if (SoundBuffer* sound = SoundArgument(call)) sound->Refill();
    return call.finish(kOk);
}

// A reversal that fails to lock its buffer leaves the sound as it was; the script
// is not told.
Status DsReverse(ScriptCall& call) {
    if (SoundBuffer* sound = SoundArgument(call)) sound->Reverse();
    return call.finish(kOk);
}

Status DsIsPlaying(ScriptCall& call) {
    SoundBuffer* sound = SoundArgument(call);
    return call.finish(kOk, sound != nullptr && sound->IsPlaying() ? 1 : 0);
}

Status DsGetLoop(ScriptCall& call) {
    SoundBuffer* sound = SoundArgument(call);
    return call.finish(kOk, sound != nullptr && sound->GetLoop() ? 1 : 0);
}

// Answers the flag as the sound now holds it, so any non-zero flag reads as 1.
Status DsSetLoop(ScriptCall& call) {
    SoundBuffer* sound = SoundArgument(call);
    if (sound == nullptr) return call.finish(kOk);
    const Status status = sound->SetLoop(call.integer(2, 0) != 0);
    return call.finish(status, sound->GetLoop() ? 1 : 0);
}

}  // namespace sonidrax
