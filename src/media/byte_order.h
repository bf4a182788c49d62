#pragma once

#include <cstdint>

// Fixed-width integers from bytes already read, in either byte order: AIFF and AU
// store theirs big-endian, WAVE little-endian.
namespace sonidrax::media {

inline uint16_t readBe16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

inline uint32_t readBe32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

inline uint64_t readBe64(const uint8_t* p) { return (uint64_t{readBe32(p)} << 32) | readBe32(p + 4); }

inline uint16_t readLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline uint32_t readLe32(const uint8_t* p) {
    return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

inline uint64_t readLe64(const uint8_t* p) { return readLe32(p) | (uint64_t{readLe32(p + 4)} << 32); }

}  // namespace sonidrax::media
