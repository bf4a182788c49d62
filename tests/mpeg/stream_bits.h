#pragma once
// Builds MPEG audio test streams bit by bit, most significant bit first.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frame_header.h"

namespace sonidrax::mpeg::testing {

struct BitWriter {
    std::vector<bool> bits;

    void put(uint32_t value, unsigned count) {
        for (unsigned i = count; i-- > 0;) bits.push_back(i < 32 && ((value >> i) & 1u) != 0);
    }
    // The bits as bytes, with zero bits up to `length` bytes in all.
    std::vector<uint8_t> bytes(size_t length = 0) const {
        std::vector<uint8_t> out(std::max(length, (bits.size() + 7) / 8), 0);
        for (size_t i = 0; i < bits.size(); ++i)
            if (bits[i]) out[i / 8] |= static_cast<uint8_t>(0x80u >> (i % 8));
        return out;
    }
};

// Header fields in stream order. version: 1 MPEG-1, 0 MPEG-2, 2 MPEG-2.5, 3 reserved;
// layer as coded (3 = Layer I, 2 = Layer II, 1 = Layer III). The defaults: MPEG-1
// Layer II, 128 kbit/s, 44100 Hz, stereo, 417 bytes.
struct HeaderFields {
    uint32_t version = 1, layer = 2, protection = 1, bitrateIndex = 8;
    uint32_t samplingIndex = 0, padding = 0, mode = 0, modeExtension = 0;
};

inline uint32_t headerWord(const HeaderFields& f) {
    const uint32_t versionBits = f.version == 1 ? 3u : (f.version == 0 ? 2u : (f.version == 2 ? 0u : 1u));
    return 0xFFE00000u | (versionBits << 19) | (f.layer << 17) | (f.protection << 16) | (f.bitrateIndex << 12) |
           (f.samplingIndex << 10) | (f.padding << 9) | (f.mode << 6) | (f.modeExtension << 4);
}

inline FrameHeader headerOf(const HeaderFields& f) { return unpackHeader(headerWord(f)); }

inline void appendWord(std::vector<uint8_t>& bytes, uint32_t word) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(word >> shift));
}

// A "Xing" style tag with the given flags: a frame count (1), a byte count (2) and a
// seek table (4) of 100 entries i * 255 / 100.
inline std::vector<uint8_t> xing(const char* name, uint32_t flags, uint32_t frames) {
    std::vector<uint8_t> tag(name, name + 4);
    appendWord(tag, flags);
    if (flags & 1) appendWord(tag, frames);
    if (flags & 2) appendWord(tag, 123456);
    if (flags & 4)
        for (int i = 0; i < 100; ++i) tag.push_back(static_cast<uint8_t>(i * 255 / 100));
    return tag;
}

// n frames with all-zero bodies: every allocation (or Huffman region) empty, so each
// decodes to silence.
inline std::vector<uint8_t> silentFrames(const HeaderFields& f, int n) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < n; ++i) {
        appendWord(bytes, headerWord(f));
        bytes.resize(bytes.size() + frameLength(headerOf(f)) - 4, 0);
    }
    return bytes;
}

inline std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A conformance stream's file ("name.bit", "name.pcm"); empty when it is not there.
inline std::vector<uint8_t> conformanceFile(const std::string& name) {
    std::ifstream file(std::string(SONIDRAX_CONFORMANCE_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace sonidrax::mpeg::testing
