#include "stream_start.h"

#include <cstring>

namespace sonidrax::mpeg {
namespace {

uint32_t bigEndian(const uint8_t* b) {
    return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
}

bool tagIs(const uint8_t* bytes, uint32_t count, uint32_t at, const char* name) {
    return at + 4 <= count && std::memcmp(bytes + at, name, 4) == 0;
}

// Playing time and mean bit rate from a frame count.
void applyFrameCount(const FrameHeader& header, uint32_t dataLength, uint32_t frames, StreamStart& out) {
    const double duration = samplesPerFrame(header) * 1000.0 * frames / out.params.sampleRate;
    out.durationMs = duration >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(duration);
    out.params.bitrate = out.durationMs != 0 ? dataLength / out.durationMs * 8 : 0;
    out.vbr = true;
}

void readXing(const FrameHeader& header, uint32_t dataLength, const uint8_t* bytes, uint32_t count, uint32_t tag,
              StreamStart& out) {
    if (tag + 8 > count) return;
    const uint32_t flags = bigEndian(bytes + tag + 4);
    uint32_t field = tag + 8;
    if (flags & 1) {
        if (field + 4 > count) return;
        applyFrameCount(header, dataLength, bigEndian(bytes + field), out);
        field += 4;
    }
    if (flags & 2) field += 4;  // byte count: not used
    if ((flags & 4) && field + 100 <= count) {
        std::memcpy(out.seekTable, bytes + field, 100);
        out.hasSeekTable = true;
    }
}

}  // namespace

bool analyseStreamStart(uint32_t dataLength, const uint8_t* bytes, uint32_t count, StreamStart& out) {
    out = StreamStart{};
    if (bytes == nullptr || count < 4) return false;
    const uint32_t word = bigEndian(bytes);
    const FrameHeader header = unpackHeader(word);
    if (!hasSync(word) || !isValidHeader(header)) return false;
    out.params = paramsOf(header);
    out.durationMs = dataLength / (out.params.bitrate / 8);
    const uint32_t tag = 4 + sideInfoLength(header);
    if (tagIs(bytes, count, tag, "Xing") || tagIs(bytes, count, tag, "Lame")) {
        readXing(header, dataLength, bytes, count, tag, out);
    } else if (tagIs(bytes, count, tag, "VBRI") && tag + 18 <= count) {
        applyFrameCount(header, dataLength, bigEndian(bytes + tag + 14), out);
    }
    return true;
}

}  // namespace sonidrax::mpeg
