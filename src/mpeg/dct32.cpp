#include "dct32.h"

namespace sonidrax::mpeg {
namespace {

// 1 / (2 cos((2k + 1) pi / (2N))): the odd-half factors of each butterfly stage.
constexpr float kFactors32[16] = {
    5.006029982e-01f, 5.054709599e-01f, 5.154473099e-01f, 5.310425911e-01f,
    5.531038960e-01f, 5.829349682e-01f, 6.225041230e-01f, 6.748083415e-01f,
    7.445362710e-01f, 8.393496454e-01f, 9.725682379e-01f, 1.169439933e+00f,
    1.484164616e+00f, 2.057781010e+00f, 3.407608418e+00f, 1.019000812e+01f};
constexpr float kFactors16[8] = {5.024192862e-01f, 5.224986149e-01f, 5.669440348e-01f, 6.468217834e-01f,
                                 7.881546235e-01f, 1.060677686e+00f, 1.722447098e+00f, 5.101148619e+00f};
constexpr float kFactors8[4] = {5.097955791e-01f, 6.013448869e-01f, 8.999762231e-01f, 2.562915448e+00f};
constexpr float kFactors4[2] = {5.411961001e-01f, 1.306562965e+00f};
constexpr float kFactors2[1] = {7.071067812e-01f};

template <int N>
constexpr const float* factors() {
  if constexpr (N == 32) return kFactors32;
  if constexpr (N == 16) return kFactors16;
  if constexpr (N == 8) return kFactors8;
  if constexpr (N == 4) return kFactors4;
  return kFactors2;
}

// X[2r] is the half-size transform of the folded sums; X[2r + 1] = G[r] + G[r + 1], G
// being the half-size transform of the scaled differences.
template <int N>
inline void dct(const float* in, float* out) {
  if constexpr (N == 1) {
    out[0] = in[0];
  } else {
    constexpr int H = N / 2;
    const float* c = factors<N>();
    float sums[H], differences[H], evens[H], odds[H];
#pragma GCC unroll 16
    for (int k = 0; k < H; ++k) {
      sums[k] = in[k] + in[N - 1 - k];
      differences[k] = (in[k] - in[N - 1 - k]) * c[k];
    }
    dct<H>(sums, evens);
    dct<H>(differences, odds);
#pragma GCC unroll 16
    for (int r = 0; r < H - 1; ++r) {
      out[2 * r] = evens[r];
      out[2 * r + 1] = odds[r] + odds[r + 1];
    }
    out[N - 2] = evens[H - 1];
    out[N - 1] = odds[H - 1];
  }
}

}  // namespace

void dct32(const float* in, float* out) { dct<32>(in, out); }

}  // namespace sonidrax::mpeg
