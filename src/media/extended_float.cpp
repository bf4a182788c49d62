#include "media/extended_float.h"

#include <cmath>

#include "media/byte_order.h"

namespace sonidrax::media {

uint32_t extendedToWhole(const uint8_t* bytes) {
    const uint16_t signAndExponent = readBe16(bytes);
    const uint64_t mantissa = readBe64(bytes + 2);
    const int exponent = signAndExponent & 0x7FFF;
    if ((signAndExponent & 0x8000) != 0 || exponent == 0x7FFF || mantissa == 0) return 0;
    // Anything of 2^32 or more saturates before ldexp could overflow.
    if (exponent - 16383 >= 32) return UINT32_MAX;
    const double value = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    const double rounded = std::floor(value + 0.5);
    if (rounded >= 4294967295.0) return UINT32_MAX;
    return static_cast<uint32_t>(rounded);
}

}  // namespace sonidrax::media
