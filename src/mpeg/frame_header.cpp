#include "frame_header.h"

namespace sonidrax::mpeg {
namespace {

// kbit/s by [version][layer number - 1][bitrateIndex]. MPEG-2.5 repeats the MPEG-2 rows.
constexpr uint16_t kBitrates[3][3][16] = {
    {
        // MPEG-2 lower sampling frequencies
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
    },
    {
        // MPEG-1
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    },
    {
        // MPEG-2.5
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
    },
};

constexpr uint32_t kSampleRates[3][4] = {
    {22050, 24000, 16000, 0},
    {44100, 48000, 32000, 0},
    {11025, 12000, 8000, 0},
};

uint32_t field(uint32_t word, unsigned shift, uint32_t mask) { return (word >> shift) & mask; }

bool isAllowedLayer2Combination(const FrameHeader& header) {
    if (header.version != kVersionMpeg1 || header.layer != kLayer2) return true;
    const uint32_t index = header.bitrateIndex;
    const bool single = header.mode == kModeSingleChannel;
    if (index == 1 || index == 2 || index == 3 || index == 5) return single;
    if (index >= 11 && index <= 14) return !single;
    return true;
}

}  // namespace

FrameHeader unpackHeader(uint32_t word) {
    FrameHeader h;
    const uint32_t idBit = field(word, 19, 1);
    h.version = field(word, 20, 1) ? idBit : 2 + idBit;
    h.layer = field(word, 17, 3);
    h.protection = field(word, 16, 1);
    h.bitrateIndex = field(word, 12, 15);
    h.samplingIndex = field(word, 10, 3);
    h.padding = field(word, 9, 1);
    h.privateBit = field(word, 8, 1);
    h.mode = field(word, 6, 3);
    h.modeExtension = field(word, 4, 3);
    h.copyright = field(word, 3, 1);
    h.original = field(word, 2, 1);
    h.emphasis = field(word, 0, 3);
    return h;
}

bool hasSync(uint32_t word) { return (word & kSyncMask) == kSyncMask; }

bool isValidHeader(const FrameHeader& header) {
    if (header.bitrateIndex == 0 || header.bitrateIndex == 15) return false;  // free format
    if (header.layer == 0) return false;
    if (header.padding != 0 && header.samplingIndex != 0) return false;
    if (header.samplingIndex == 3) return false;
    if (!isAllowedLayer2Combination(header)) return false;
    if (header.version > kVersionMpeg25) return false;
    if (header.version == kVersionMpeg25 && header.layer != kLayer3) return false;
    return true;
}

uint32_t bitrateOf(const FrameHeader& header) {
    if (header.version > 2 || header.layer == 0 || header.layer > 3 || header.bitrateIndex > 15) return 0;
    return kBitrates[header.version][3 - header.layer][header.bitrateIndex];
}

uint32_t sampleRateOf(const FrameHeader& header) {
    if (header.version > 2 || header.samplingIndex > 3) return 0;
    return kSampleRates[header.version][header.samplingIndex];
}

uint32_t frameLength(const FrameHeader& header) {
    const uint32_t b = bitrateOf(header);
    const uint32_t f = sampleRateOf(header);
    if (b == 0 || f == 0) return 0;
    const uint32_t pad = (header.padding != 0 && header.samplingIndex == 0) ? 1 : 0;
    if (header.layer == kLayer1) return (b * 3 * 4000 / f) * 4 + pad * 4;
    uint32_t length = b * 125 * 1152 / f;
    if (header.layer == kLayer3 && header.version != kVersionMpeg1) length /= 2;
    return length + pad;
}

uint32_t sideInfoLength(const FrameHeader& header) {
    const bool single = isSingleChannel(header);
    if (header.version == kVersionMpeg1) return single ? 17 : 32;
    return single ? 9 : 17;
}

uint32_t samplesPerFrame(const FrameHeader& header) {
    if (header.layer == kLayer1) return 384;
    if (header.layer == kLayer3 && header.version != kVersionMpeg1) return 576;
    return 1152;
}

StreamParams paramsOf(const FrameHeader& header) {
    StreamParams p;
    p.level = 2 - header.version;
    p.layerNumber = 4 - header.layer;
    p.bitrate = bitrateOf(header);
    p.sampleRate = sampleRateOf(header);
    p.mode = header.mode;
    return p;
}

}  // namespace sonidrax::mpeg
