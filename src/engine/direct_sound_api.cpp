#include "engine/direct_sound_api.h"

namespace sonidrax {

namespace {

const DirectSoundApi kSystemApi = {DirectSoundCreate, DirectSoundEnumerateA};
const DirectSoundApi* current = &kSystemApi;

}  // namespace

const DirectSoundApi& CurrentDirectSoundApi() { return *current; }

void SetDirectSoundApi(const DirectSoundApi* api) { current = api != nullptr ? api : &kSystemApi; }

}  // namespace sonidrax
