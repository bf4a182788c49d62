// A sound cast member's WAVE image, fetched from the host for one call.
#pragma once

#include "engine/sound_xtra.h"

namespace sonidrax {

// Fetches the "winWAVE" media of the sound member that the value refers to.
// On success `request.mediaData` holds the global-memory handle of its WAVE
// image, which the caller hands back with ReleaseMemberMedia. A member that is
// not a sound gives 0x80040BBC; the movie and the member are released in every case.
Status FetchMemberMedia(SoundXtra& xtra, const ScriptValue& memberValue, MediaRequest& request);

void ReleaseMemberMedia(SoundXtra& xtra, MediaRequest& request);

}  // namespace sonidrax
