// Feeds arbitrary bytes to the analysis of a stream's first frame ("Xing", "Lame" and
// "VBRI" headers included): the first four bytes give the data length.
#include <cstddef>
#include <cstdint>

#include "stream_start.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const uint32_t dataLength =
        (uint32_t{data[0]} << 24) | (uint32_t{data[1]} << 16) | (uint32_t{data[2]} << 8) | data[3];
    sonidrax::mpeg::StreamStart start;
    const uint32_t count = static_cast<uint32_t>(size - 4 > 4096 ? 4096 : size - 4);
    sonidrax::mpeg::analyseStreamStart(dataLength, data + 4, count, start);
    return 0;
}
