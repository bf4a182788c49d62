#include "layer3_imdct.h"

#include <cmath>

#include "layer3_dct4.h"

namespace sonidrax::mpeg {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The 6-point DCT-IV of the short transform: cos(pi / 6 (n + 1/2)(k + 1/2)).
struct ShortCosines {
    float values[6][6];
    ShortCosines() {
        for (int n = 0; n < 6; ++n) {
            for (int k = 0; k < 6; ++k) values[n][k] = static_cast<float>(std::cos(kPi / 6.0 * (n + 0.5) * (k + 0.5)));
        }
    }
};

const ShortCosines kShortCosines;

}  // namespace

Dct4Constants::Dct4Constants() {
    const double theta = kPi / 18.0;
    for (int m = 0; m < 9; ++m) {
        preCos[m] = static_cast<float>(std::cos(theta * m));
        preSin[m] = static_cast<float>(std::sin(theta * m));
        postCos[m] = static_cast<float>(std::cos(theta * (m + 0.25)));
        postSin[m] = static_cast<float>(std::sin(theta * (m + 0.25)));
    }
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
            innerCos[a][b] = static_cast<float>(std::cos(2.0 * kPi * a * b / 9.0));
            innerSin[a][b] = static_cast<float>(std::sin(2.0 * kPi * a * b / 9.0));
        }
    }
}

// Built when the program loads, so the transforms read it without a guard.
const Dct4Constants kDct4Constants;

void imdct12(const float* in, float* out) {
    float u[6];
    for (int n = 0; n < 6; ++n) {
        float sum = 0.0f;
        for (int j = 0; j < 6; ++j) sum += in[j] * kShortCosines.values[n][j];
        u[n] = sum;
    }
    for (int i = 0; i < 3; ++i) out[i] = u[i + 3];
    for (int i = 3; i < 9; ++i) out[i] = -u[8 - i];
    for (int i = 9; i < 12; ++i) out[i] = -u[i - 9];
}

}  // namespace sonidrax::mpeg
