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

// 3-point DFT with the positive exponent: y[p] = sum x[m] e^(2 pi i m p / 3).
struct Point {
  float re;
  float im;
};

inline void dft3(Point& a, Point& b, Point& c) {
  const float sumRe = b.re + c.re;
  const float sumIm = b.im + c.im;
  const float diffRe = (b.re - c.re) * kHalfSqrt3;
  const float diffIm = (b.im - c.im) * kHalfSqrt3;
  const float tRe = a.re - 0.5f * sumRe;
  const float tIm = a.im - 0.5f * sumIm;
  a.re += sumRe;
  a.im += sumIm;
  b = {tRe - diffIm, tIm + diffRe};
  c = {tRe + diffIm, tIm - diffRe};
}

inline Point rotate(Point z, float cosine, float sine) {
  return {z.re * cosine - z.im * sine, z.re * sine + z.im * cosine};
}

}  // namespace

void dct4x18(const float* in, float* out) {
  const Dct4Constants& k = kConstants;
  // Even inputs as real parts, odd ones from the top as negated imaginary parts,
  // turned by theta m; x[m2][m1] holds m = 3 m1 + m2.
  Point x[3][3];
#pragma GCC unroll 9
  for (int m = 0; m < 9; ++m) {
    const float a = in[2 * m];
    const float b = in[17 - 2 * m];
    x[m % 3][m / 3] = {a * k.preCos[m] + b * k.preSin[m], a * k.preSin[m] - b * k.preCos[m]};
  }
  // First stage over m1, giving x[m2][p1]; the inner twiddles; the second stage over
  // m2, which leaves the result for p = p1 + 3 p2 in x[p2][p1].
  dft3(x[0][0], x[0][1], x[0][2]);
  dft3(x[1][0], x[1][1], x[1][2]);
  dft3(x[2][0], x[2][1], x[2][2]);
  x[1][1] = rotate(x[1][1], k.innerCos[1][1], k.innerSin[1][1]);
  x[1][2] = rotate(x[1][2], k.innerCos[1][2], k.innerSin[1][2]);
  x[2][1] = rotate(x[2][1], k.innerCos[2][1], k.innerSin[2][1]);
  x[2][2] = rotate(x[2][2], k.innerCos[2][2], k.innerSin[2][2]);
  dft3(x[0][0], x[1][0], x[2][0]);
  dft3(x[0][1], x[1][1], x[2][1]);
  dft3(x[0][2], x[1][2], x[2][2]);
#pragma GCC unroll 9
  for (int p = 0; p < 9; ++p) {
    const Point w = rotate(x[p / 3][p % 3], k.postCos[p], k.postSin[p]);
    out[2 * p] = w.re;
    out[17 - 2 * p] = w.im;
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
