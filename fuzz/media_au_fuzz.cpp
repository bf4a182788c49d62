// Sun/NeXT AU headers.
#include "media_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sonidrax::media::fuzzing::openAndRead(data, size, {{0, ".snd"}});
    return 0;
}
