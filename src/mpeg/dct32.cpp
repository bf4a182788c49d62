#include "dct32.h"

#if defined(__SSE2__) && defined(__GNUC__)
#include <xmmintrin.h>
#define SONIDRAX_VECTOR_DCT 1
#endif

namespace sonidrax::mpeg {
namespace {

// 1 / (2 cos((2k + 1) pi / (2N))): the odd-half factors of each butterfly stage.
alignas(16) constexpr float kFactors32[16] = {
    5.006029982e-01f, 5.054709599e-01f, 5.154473099e-01f, 5.310425911e-01f,
    5.531038960e-01f, 5.829349682e-01f, 6.225041230e-01f, 6.748083415e-01f,
    7.445362710e-01f, 8.393496454e-01f, 9.725682379e-01f, 1.169439933e+00f,
    1.484164616e+00f, 2.057781010e+00f, 3.407608418e+00f, 1.019000812e+01f};
alignas(16) constexpr float kFactors16[8] = {5.024192862e-01f, 5.224986149e-01f, 5.669440348e-01f,
                                             6.468217834e-01f, 7.881546235e-01f, 1.060677686e+00f,
                                             1.722447098e+00f, 5.101148619e+00f};
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
// being the half-size transform of the scaled differences. T is a float, or a vector
// of floats that carries independent transforms in its lanes.
template <int N, typename T>
inline void dct(const T* in, T* out) {
  if constexpr (N == 1) {
    out[0] = in[0];
  } else {
    constexpr int H = N / 2;
    const float* c = factors<N>();
    T sums[H], differences[H], evens[H], odds[H];
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

#if defined(SONIDRAX_VECTOR_DCT)

inline __m128 reversed(__m128 x) { return _mm_shuffle_ps(x, x, _MM_SHUFFLE(0, 1, 2, 3)); }

// One butterfly stage of size n (a multiple of 8) on vectors: the folded sums to
// `sums`, the scaled differences to `differences`.
template <int N>
inline void fold(const float* in, float* sums, float* differences) {
  const float* c = factors<N>();
#pragma GCC unroll 4
  for (int k = 0; k < N / 2; k += 4) {
    const __m128 a = _mm_loadu_ps(in + k);
    const __m128 b = reversed(_mm_loadu_ps(in + N - 4 - k));
    _mm_storeu_ps(sums + k, _mm_add_ps(a, b));
    _mm_storeu_ps(differences + k, _mm_mul_ps(_mm_sub_ps(a, b), _mm_load_ps(c + k)));
  }
}

// Interleaves the even outputs with the sums of neighbouring odd ones, as the stage
// of size 2n recombines its two halves (odds[n] must be 0).
template <int N>
inline void recombine(const float* evens, const float* odds, float* out) {
#pragma GCC unroll 4
  for (int r = 0; r < N; r += 4) {
    const __m128 e = _mm_loadu_ps(evens + r);
    const __m128 o = _mm_add_ps(_mm_loadu_ps(odds + r), _mm_loadu_ps(odds + r + 1));
    _mm_storeu_ps(out + 2 * r, _mm_unpacklo_ps(e, o));
    _mm_storeu_ps(out + 2 * r + 4, _mm_unpackhi_ps(e, o));
  }
}

#endif

}  // namespace

#if defined(SONIDRAX_VECTOR_DCT)

// The first two stages fold 32 values into four groups of 8; the four 8-point
// transforms then run side by side in the lanes of a vector, and the last two stages
// recombine.
void dct32(const float* in, float* out) {
  alignas(16) float s[16], d[16];
  fold<32>(in, s, d);
  alignas(16) float groups[4][8];
  fold<16>(s, groups[0], groups[1]);
  fold<16>(d, groups[2], groups[3]);

  __m128 x[8];
  for (int half = 0; half < 2; ++half) {
    __m128 r0 = _mm_load_ps(groups[0] + 4 * half), r1 = _mm_load_ps(groups[1] + 4 * half);
    __m128 r2 = _mm_load_ps(groups[2] + 4 * half), r3 = _mm_load_ps(groups[3] + 4 * half);
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    x[4 * half] = r0;
    x[4 * half + 1] = r1;
    x[4 * half + 2] = r2;
    x[4 * half + 3] = r3;
  }
  __m128 y[8];
  dct<8>(x, y);

  // transformed[g]: the 8-point transform of group g, with a zero after it.
  alignas(16) float transformed[4][12];
  for (int half = 0; half < 2; ++half) {
    __m128 r0 = y[4 * half], r1 = y[4 * half + 1], r2 = y[4 * half + 2], r3 = y[4 * half + 3];
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    _mm_store_ps(transformed[0] + 4 * half, r0);
    _mm_store_ps(transformed[1] + 4 * half, r1);
    _mm_store_ps(transformed[2] + 4 * half, r2);
    _mm_store_ps(transformed[3] + 4 * half, r3);
  }
  for (auto& t : transformed) _mm_store_ps(t + 8, _mm_setzero_ps());

  alignas(16) float sums16[16], differences16[20];
  recombine<8>(transformed[0], transformed[1], sums16);
  recombine<8>(transformed[2], transformed[3], differences16);
  _mm_store_ps(differences16 + 16, _mm_setzero_ps());
  recombine<16>(sums16, differences16, out);
}

#else

void dct32(const float* in, float* out) { dct<32>(in, out); }

#endif

}  // namespace sonidrax::mpeg
