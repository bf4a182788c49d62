// AIFF and AIFF-C headers and chunks: the low bit of byte 11 chooses the form.
#include "media_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const bool compressed = size > 11 && (data[11] & 1) != 0;
    sonidrax::media::fuzzing::openAndRead(data, size, {{0, "FORM"}, {8, compressed ? "AIFC" : "AIFF"}});
    return 0;
}
