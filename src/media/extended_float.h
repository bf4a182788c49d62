#pragma once

#include <cstdint>

// AIFF gives its sample rate as an 80-bit IEEE 754 extended number, big-endian:
// sign and 15-bit exponent, then a 64-bit mantissa with an explicit integer bit.
namespace sonidrax::media {

// The value rounded to whole units; 0 for a negative, zero, infinite or NaN value;
// UINT32_MAX for anything at or above 2^32.
uint32_t extendedToWhole(const uint8_t* bytes);

}  // namespace sonidrax::media
