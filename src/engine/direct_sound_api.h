// The two DirectSound entry points the engine calls, reached through a table so
// that tests can put deterministic stand-ins in their place.
#pragma once

#include <dsound.h>

namespace sonidrax {

struct DirectSoundApi {
    HRESULT(WINAPI* create)(const GUID* device, IDirectSound** out, IUnknown* outer);
    HRESULT(WINAPI* enumerate)(LPDSENUMCALLBACKA callback, void* context);
};

// The entry points in force: the system's own unless a test replaced them.
const DirectSoundApi& CurrentDirectSoundApi();

// Replaces the entry points for the whole process; null puts the system's back.
// The table must outlive its use.
void SetDirectSoundApi(const DirectSoundApi* api);

}  // namespace sonidrax
