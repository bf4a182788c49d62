#include "engine/sound_engine.h"

#include "frame/status.h"

namespace sonidrax {

// The devices, primary buffers and sounds arrive with the sound engine proper.
Status StartSoundEngine(SoundXtra&) { return kOk; }

void StopSoundEngine(SoundXtra&) {}

}  // namespace sonidrax
