#include "media/g711.h"

#include <array>

namespace sonidrax::media {
namespace {

// Codes are stored inverted; each segment doubles the step of the one below, and
// the bias of 0x84 makes the segments join without a gap.
constexpr int16_t expandMuLaw(uint8_t code) {
    const int inverted = ~code & 0xFF;
    const int segment = (inverted >> 4) & 7;
    const int magnitude = (((inverted & 0x0F) << 3) + 0x84) << segment;
    const int value = magnitude - 0x84;
    return static_cast<int16_t>((inverted & 0x80) ? -value : value);
}

// Even bits are inverted; a set sign bit means positive. The lowest segment is
// linear, the others double their step; half a step is added to each magnitude.
constexpr int16_t expandALaw(uint8_t code) {
    const int toggled = code ^ 0x55;
    const int segment = (toggled >> 4) & 7;
    const int mantissa = toggled & 0x0F;
    const int magnitude = segment == 0 ? (mantissa << 4) + 8 : ((mantissa << 4) + 0x108) << (segment - 1);
    return static_cast<int16_t>((toggled & 0x80) ? magnitude : -magnitude);
}

template <int16_t (*expand)(uint8_t)>
constexpr std::array<int16_t, 256> tableOf() {
    std::array<int16_t, 256> table{};
    for (int code = 0; code < 256; ++code) table[code] = expand(static_cast<uint8_t>(code));
    return table;
}

constexpr std::array<int16_t, 256> kMuLaw = tableOf<expandMuLaw>();
constexpr std::array<int16_t, 256> kALaw = tableOf<expandALaw>();

}  // namespace

int16_t muLawToLinear(uint8_t code) { return kMuLaw[code]; }
int16_t aLawToLinear(uint8_t code) { return kALaw[code]; }

}  // namespace sonidrax::media
