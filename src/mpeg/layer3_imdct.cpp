#include "layer3_imdct.h"

#include <cmath>

namespace sonidrax::mpeg {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kHalfSqrt3 = 0.86602540378443864676f;

// Twiddle factors of the DCT-IV through a 9-point FFT (N = 18, theta = pi / N):
// e^(i theta m) before the FFT, e^(i theta (p + 1/4)) after it, and the inner
// factors e^(2 pi i m2 p1 / 9) between its two 3-point stages.
struct Dct4Constants {
  float preCos[9], preSin[9];
  float postCos[9], postSin[9];
  float innerCos[3][3], innerSin[3][3];
  float shortCos[6][6];  // cos(pi / 6 (n + 1/2)(k + 1/2)) of the 6-point DCT-IV

  Dct4Constants() {
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
    for (int n = 0; n < 6; ++n) {
      for (int k = 0; k < 6; ++k) shortCos[n][k] = static_cast<float>(std::cos(kPi / 6.0 * (n + 0.5) * (k + 0.5)));
    }
  }
};

// Built when the program loads, so the transforms read it without a guard.
const Dct4Constants kConstants;

// 3-point DFT with the positive exponent, in place on (re, im) triples at stride s:
// y[p] = sum x[m] e^(2 pi i m p / 3).
inline void dft3(float* re, float* im, int s) {
  const float sumRe = re[s] + re[2 * s];
  const float sumIm = im[s] + im[2 * s];
  const float diffRe = (re[s] - re[2 * s]) * kHalfSqrt3;
  const float diffIm = (im[s] - im[2 * s]) * kHalfSqrt3;
  const float tRe = re[0] - 0.5f * sumRe;
  const float tIm = im[0] - 0.5f * sumIm;
  re[0] += sumRe;
  im[0] += sumIm;
  re[s] = tRe - diffIm;
  im[s] = tIm + diffRe;
  re[2 * s] = tRe + diffIm;
  im[2 * s] = tIm - diffRe;
}

}  // namespace

void dct4x18(const float* in, float* out) {
  const Dct4Constants& k = kConstants;
  // Even inputs as real parts, odd ones from the top as negated imaginary parts,
  // turned by theta m. Stored as [m2][m1] for m = 3 m1 + m2.
  float re[9], im[9];
  for (int m = 0; m < 9; ++m) {
    const float a = in[2 * m];
    const float b = in[17 - 2 * m];
    const int slot = 3 * (m % 3) + m / 3;
    re[slot] = a * k.preCos[m] + b * k.preSin[m];
    im[slot] = a * k.preSin[m] - b * k.preCos[m];
  }
  // First stage over m1 for each m2, giving [m2][p1]; then the inner twiddles.
  for (int m2 = 0; m2 < 3; ++m2) dft3(re + 3 * m2, im + 3 * m2, 1);
  for (int m2 = 1; m2 < 3; ++m2) {
    for (int p1 = 1; p1 < 3; ++p1) {
      const int i = 3 * m2 + p1;
      const float r = re[i] * k.innerCos[m2][p1] - im[i] * k.innerSin[m2][p1];
      im[i] = re[i] * k.innerSin[m2][p1] + im[i] * k.innerCos[m2][p1];
      re[i] = r;
    }
  }
  // Second stage over m2 for each p1: the result for p = p1 + 3 p2 lands at [p2][p1].
  for (int p1 = 0; p1 < 3; ++p1) dft3(re + p1, im + p1, 3);
  for (int p2 = 0; p2 < 3; ++p2) {
    for (int p1 = 0; p1 < 3; ++p1) {
      const int p = p1 + 3 * p2;
      const float zr = re[3 * p2 + p1];
      const float zi = im[3 * p2 + p1];
      out[2 * p] = zr * k.postCos[p] - zi * k.postSin[p];
      out[17 - 2 * p] = zr * k.postSin[p] + zi * k.postCos[p];
    }
  }
}

void imdct36(const float* in, float* out) {
  float u[18];
  dct4x18(in, u);
  for (int i = 0; i < 9; ++i) out[i] = u[i + 9];
  for (int i = 9; i < 27; ++i) out[i] = -u[26 - i];
  for (int i = 27; i < 36; ++i) out[i] = -u[i - 27];
}

void imdct12(const float* in, float* out) {
  const Dct4Constants& k = kConstants;
  float u[6];
  for (int n = 0; n < 6; ++n) {
    float sum = 0.0f;
    for (int j = 0; j < 6; ++j) sum += in[j] * k.shortCos[n][j];
    u[n] = sum;
  }
  for (int i = 0; i < 3; ++i) out[i] = u[i + 3];
  for (int i = 3; i < 9; ++i) out[i] = -u[8 - i];
  for (int i = 9; i < 12; ++i) out[i] = -u[i - 9];
}

}  // namespace sonidrax::mpeg
