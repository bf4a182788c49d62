// The script's level scale and DirectSound's attenuation: 1000 hundredths of a
// decibel for every halving of 256 - |level|.
#include <cmath>
#include <cstdint>

#include "sounds/sound_buffer.h"

namespace sonidrax {

namespace {

constexpr int32_t kSilence = 10000;

}  // namespace

int32_t DbToLevel(int32_t attenuation) {
    double sign = attenuation >= 0 ? 1.0 : -1.0;
    double a = std::fabs(static_cast<double>(attenuation));
    // 2^((10000 - a) / 1000) lies in (0, 1024], so the level stays within -256..256.
    double level = sign * (256.0 - 0.25 * std::pow(2.0, (10000.0 - a) * 0.001));
    return static_cast<int32_t>(level);
}

int32_t LevelToDb(int32_t level) {
    if (level == 0) return 0;
    int32_t sign = level > 0 ? 1 : -1;
    double a = std::fabs(static_cast<double>(level));
    // 256 and beyond would be the logarithm of nothing: as quiet as DirectSound goes.
    if (a >= 256.0) return sign * kSilence;
    double db = 10000.0 - 1000.0 * std::log(4.0 * (256.0 - a)) / std::log(2.0);
    return sign * static_cast<int32_t>(db);
}

}  // namespace sonidrax
