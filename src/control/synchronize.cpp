// dsSynchronize: the second sound takes the first one's direction, position and
// playing state.
#include "control/control_arguments.h"
#include "engine/sound_table.h"
#include "control/control_handlers.h"
#include "sounds/sound_buffer.h"

namespace sonidrax {

namespace {

void Follow(SoundBuffer& lead, SoundBuffer& follower) {
    if (lead.Reversed() != follower.Reversed()) follower.Reverse();
    follower.SetPosition(static_cast<int32_t>(lead.GetPosition()));
    const bool leadPlays = lead.IsPlaying();
    if (follower.IsPlaying() != leadPlays) {
        if (leadPlays) {
            follower.Play();
        } else {
            follower.Stop();
        }
    }
    // The lead moved on while the follower was being started: catch up once more.
    if (leadPlays) follower.SetPosition(static_cast<int32_t>(lead.GetPosition()));
}

}  // namespace

Status DsSynchronize(ScriptCall& call) {
    SoundBuffer* lead = SoundArgument(call);
    SoundBuffer* follower = FindSound(XtraOf(call), call.argument(2));
    if (lead != nullptr && follower != nullptr) Follow(*lead, *follower);
    return call.finish(kOk);
}

}  // namespace sonidrax
