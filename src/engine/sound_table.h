// The instance's live sounds: a chain ordered by id.
#pragma once

#include "engine/sound_xtra.h"

namespace sonidrax {

// The sound whose id the value names; tells the author "Invalid Sound ID" and
// answers null when there is none.
SoundBuffer* FindSound(SoundXtra& xtra, const ScriptValue* idValue);

// Puts a new sound at the end of the chain with the highest id + 1 (or 1).
void AddSound(SoundXtra& xtra, SoundBuffer* sound);

// Destroys every sound in chain order and empties the chain.
void DeleteAllSounds(SoundXtra& xtra);

}  // namespace sonidrax
