// Arguments that the playback, level and 3D handlers share.
#pragma once

#include <dsound.h>

#include "engine/sound_xtra.h"

namespace sonidrax {

class SoundBuffer;

// The sound named by the call's first argument after `me`; null (after telling
// the author "Invalid Sound ID") when there is none.
SoundBuffer* SoundArgument(ScriptCall& call);

// The 3D interface of the sound named by the first argument; null when the sound
// is missing or was made without 3D.
IDirectSound3DBuffer* Sound3DArgument(ScriptCall& call);

// A number argument as a double. A missing argument, one that is not a number,
// and an infinite or NaN one are refused with 0x800407D8 (or the host's own
// status), and `out` is untouched.
Status NumberArgument(const ScriptCall& call, int32_t position, double* out);

}  // namespace sonidrax
