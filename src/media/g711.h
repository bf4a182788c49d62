#pragma once

#include <cstdint>

// G.711 mu-law and A-law codes expanded to 16-bit linear samples (the 14-bit and
// 13-bit magnitudes of the standard, shifted to full scale).
namespace sonidrax::media {

int16_t muLawToLinear(uint8_t code);
int16_t aLawToLinear(uint8_t code);

}  // namespace sonidrax::media
