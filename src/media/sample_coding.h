#pragma once

#include <cstddef>
#include <cstdint>

// How one sample is stored, and its conversion to 16-bit PCM.
namespace sonidrax::media {

enum class SampleKind { kSigned, kUnsigned, kFloat, kMuLaw, kALaw };

struct SampleCoding {
    SampleKind kind = SampleKind::kSigned;
    uint8_t bytes = 2;       // bytes each sample occupies: 1..4, or 4 and 8 for floats
    uint8_t validBits = 16;  // integers: significant bits, left-justified in those bytes
    bool bigEndian = false;
};

// Integers keep their top 16 bits (bits below `validBits` cleared); floats are
// clamped to [-1, 1] and scaled by 32767, rounded to nearest, NaN giving 0.
void convertToPcm16(const SampleCoding& coding, const uint8_t* in, size_t samples, int16_t* out);

}  // namespace sonidrax::media
