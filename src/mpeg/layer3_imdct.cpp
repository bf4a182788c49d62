#include "layer3_imdct.h"

#include <cmath>

namespace sonidrax::mpeg {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kHalfSqrt3 = 0.86602540378443864676f;

struct Complex {
  float re;
  float im;
};

inline Complex operator+(Complex a, Complex b) { return {a.re + b.re, a.im + b.im}; }
inline Complex operator-(Complex a, Complex b) { return {a.re - b.re, a.im - b.im}; }
inline Complex operator*(Complex a, Complex b) { return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re}; }
inline Complex scale(Complex a, float s) { return {a.re * s, a.im * s}; }

// Twiddle factors of the DCT-IV through a 9-point FFT (N = 18, theta = pi / N):
// pre[m] = e^(i theta m), post[p] = e^(i theta (p + 1/4)), inner[m2][p1] = e^(2 pi i m2 p1 / 9).
struct Dct4Constants {
  Complex pre[9];
  Complex post[9];
  Complex inner[3][3];
  float shortCos[6][6];  // cos(pi / 6 (n + 1/2)(k + 1/2))

  Dct4Constants() {
    const double theta = kPi / 18.0;
    for (int m = 0; m < 9; ++m) {
      pre[m] = {static_cast<float>(std::cos(theta * m)), static_cast<float>(std::sin(theta * m))};
      post[m] = {static_cast<float>(std::cos(theta * (m + 0.25))), static_cast<float>(std::sin(theta * (m + 0.25)))};
    }
    for (int a = 0; a < 3; ++a) {
      for (int b = 0; b < 3; ++b) {
        const double angle = 2.0 * kPi * a * b / 9.0;
        inner[a][b] = {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
      }
    }
    for (int n = 0; n < 6; ++n) {
      for (int k = 0; k < 6; ++k) shortCos[n][k] = static_cast<float>(std::cos(kPi / 6.0 * (n + 0.5) * (k + 0.5)));
    }
  }
};

const Dct4Constants& constants() {
  static const Dct4Constants c;
  return c;
}

// 3-point DFT with the positive exponent: y[p] = sum x[m] e^(2 pi i m p / 3).
inline void dft3(Complex a, Complex b, Complex c, Complex& y0, Complex& y1, Complex& y2) {
  const Complex sum = b + c;
  const Complex diff = scale(b - c, kHalfSqrt3);
  const Complex t = a - scale(sum, 0.5f);
  y0 = a + sum;
  y1 = {t.re - diff.im, t.im + diff.re};
  y2 = {t.re + diff.im, t.im - diff.re};
}

}  // namespace

void dct4x18(const float* in, float* out) {
  const Dct4Constants& k = constants();
  // Even inputs as real parts, odd ones from the top as imaginary parts, turned by theta m.
  Complex c[9];
  for (int m = 0; m < 9; ++m) c[m] = Complex{in[2 * m], -in[17 - 2 * m]} * k.pre[m];
  // 9-point DFT as 3 × 3: m = 3 m1 + m2, p = p1 + 3 p2.
  Complex a[3][3];
  for (int m2 = 0; m2 < 3; ++m2) dft3(c[m2], c[3 + m2], c[6 + m2], a[m2][0], a[m2][1], a[m2][2]);
  for (int m2 = 1; m2 < 3; ++m2) {
    for (int p1 = 1; p1 < 3; ++p1) a[m2][p1] = a[m2][p1] * k.inner[m2][p1];
  }
  Complex z[9];
  for (int p1 = 0; p1 < 3; ++p1) dft3(a[0][p1], a[1][p1], a[2][p1], z[p1], z[p1 + 3], z[p1 + 6]);
  for (int p = 0; p < 9; ++p) {
    const Complex w = z[p] * k.post[p];
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
  const Dct4Constants& k = constants();
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
