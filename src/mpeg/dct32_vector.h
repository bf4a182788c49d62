#pragma once
// The matrixing kernels of the synthesis, shared by the transforms of dct32.cpp and
// the filter steps of synthesis.cpp, which inline them into code built for wider
// instruction sets.

#if defined(__SSE2__) && defined(__GNUC__)
#include <emmintrin.h>
#define SONIDRAX_VECTOR_DCT 1
#endif

namespace sonidrax::mpeg::matrixing {

// 1 / (2 cos((2k + 1) pi / (2N))): the odd-half factors of each butterfly stage.
alignas(16) inline constexpr float kFactors32[16] = {
    5.006029982e-01f, 5.054709599e-01f, 5.154473099e-01f, 5.310425911e-01f, 5.531038960e-01f, 5.829349682e-01f,
    6.225041230e-01f, 6.748083415e-01f, 7.445362710e-01f, 8.393496454e-01f, 9.725682379e-01f, 1.169439933e+00f,
    1.484164616e+00f, 2.057781010e+00f, 3.407608418e+00f, 1.019000812e+01f};
alignas(16) inline constexpr float kFactors16[8] = {5.024192862e-01f, 5.224986149e-01f, 5.669440348e-01f,
                                                    6.468217834e-01f, 7.881546235e-01f, 1.060677686e+00f,
                                                    1.722447098e+00f, 5.101148619e+00f};
inline constexpr float kFactors8[4] = {5.097955791e-01f, 6.013448869e-01f, 8.999762231e-01f, 2.562915448e+00f};
inline constexpr float kFactors4[2] = {5.411961001e-01f, 1.306562965e+00f};
inline constexpr float kFactors2[1] = {7.071067812e-01f};

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

// (a1, a2, a3, b0): four values a place further on in the run a, b.
inline __m128 shifted(__m128 a, __m128 b) {
    const __m128 t = _mm_shuffle_ps(a, b, _MM_SHUFFLE(0, 0, 3, 3));
    return _mm_shuffle_ps(a, t, _MM_SHUFFLE(2, 0, 2, 1));
}
// (a1, a2, a3, 0)
inline __m128 shiftedLast(__m128 a) { return _mm_castsi128_ps(_mm_srli_si128(_mm_castps_si128(a), 4)); }

// The recombination of a stage of size 8n in registers: evens e (n vectors) and odds
// o, into x[2r] = e[r], x[2r + 1] = o[r] + o[r + 1] with o past the end 0; 2n vectors.
template <int N>
inline void recombineVectors(const __m128* e, const __m128* o, __m128* x) {
#pragma GCC unroll 4
    for (int k = 0; k < N; ++k) {
        const __m128 next = k + 1 < N ? shifted(o[k], o[k + 1]) : shiftedLast(o[k]);
        const __m128 odd = _mm_add_ps(o[k], next);
        x[2 * k] = _mm_unpacklo_ps(e[k], odd);
        x[2 * k + 1] = _mm_unpackhi_ps(e[k], odd);
    }
}

inline __m128 negatedReversed(__m128 x) { return _mm_xor_ps(reversed(x), _mm_set1_ps(-0.0f)); }

// The whole transform stays in registers: two folding stages, the four 8-point
// transforms side by side in the lanes, and the recombination straight into V.
inline __attribute__((always_inline)) void matrixVInRegisters(const float* in, float* first, float* second) {
    __m128 x[8];
    for (int k = 0; k < 8; ++k) x[k] = _mm_loadu_ps(in + 4 * k);
    __m128 s[4], d[4];
    for (int k = 0; k < 4; ++k) {
        const __m128 r = reversed(x[7 - k]);
        s[k] = _mm_add_ps(x[k], r);
        d[k] = _mm_mul_ps(_mm_sub_ps(x[k], r), _mm_load_ps(kFactors32 + 4 * k));
    }
    // groups g[0..3][2]: the sums and differences of s, then of d
    __m128 g[4][2];
    for (int k = 0; k < 2; ++k) {
        const __m128 c = _mm_load_ps(kFactors16 + 4 * k);
        const __m128 rs = reversed(s[3 - k]);
        const __m128 rd = reversed(d[3 - k]);
        g[0][k] = _mm_add_ps(s[k], rs);
        g[1][k] = _mm_mul_ps(_mm_sub_ps(s[k], rs), c);
        g[2][k] = _mm_add_ps(d[k], rd);
        g[3][k] = _mm_mul_ps(_mm_sub_ps(d[k], rd), c);
    }
    __m128 lanes[8];
    for (int half = 0; half < 2; ++half) {
        __m128 r0 = g[0][half], r1 = g[1][half], r2 = g[2][half], r3 = g[3][half];
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
        lanes[4 * half] = r0;
        lanes[4 * half + 1] = r1;
        lanes[4 * half + 2] = r2;
        lanes[4 * half + 3] = r3;
    }
    __m128 y[8];
    dct<8>(lanes, y);
    __m128 t[4][2];  // the 8-point transform of each group
    for (int half = 0; half < 2; ++half) {
        __m128 r0 = y[4 * half], r1 = y[4 * half + 1], r2 = y[4 * half + 2], r3 = y[4 * half + 3];
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
        t[0][half] = r0;
        t[1][half] = r1;
        t[2][half] = r2;
        t[3][half] = r3;
    }
    __m128 evens[5], odds[4];  // the 16-point transforms of s and of d
    recombineVectors<2>(t[0], t[1], evens);
    recombineVectors<2>(t[2], t[3], odds);
    evens[4] = _mm_setzero_ps();

    // a[n], n = 0 to 32 (a[32] = 0), is the 32-point transform. V[i] = a[16 + i] for
    // i = 0 to 16, -a[48 - i] for i = 17 to 48 and -a[i - 48] above: so V[0..15] =
    // a[16..31], V[16..31] = -a[32..17], V[32..47] = -a[16..1], V[48..63] = -a[0..15].
    for (int k = 0; k < 4; ++k) {
        const __m128 next = k < 3 ? shifted(odds[k], odds[k + 1]) : shiftedLast(odds[k]);
        const __m128 odd = _mm_add_ps(odds[k], next);             // a[8k + 1], a[8k + 3], ...
        const __m128 evenNext = shifted(evens[k], evens[k + 1]);  // a[8k + 2], a[8k + 4], ...
        const __m128 a0 = _mm_unpacklo_ps(evens[k], odd);         // a[8k .. 8k + 3]
        const __m128 a1 = _mm_unpackhi_ps(evens[k], odd);         // a[8k + 4 .. 8k + 7]
        const __m128 b0 = _mm_unpacklo_ps(odd, evenNext);         // a[8k + 1 .. 8k + 4]
        const __m128 b1 = _mm_unpackhi_ps(odd, evenNext);         // a[8k + 5 .. 8k + 8]
        if (k < 2) {
            const __m128 sign = _mm_set1_ps(-0.0f);
            _mm_storeu_ps(second + 16 + 8 * k, _mm_xor_ps(a0, sign));
            _mm_storeu_ps(second + 20 + 8 * k, _mm_xor_ps(a1, sign));
            _mm_storeu_ps(second + 12 - 8 * k, negatedReversed(b0));
            _mm_storeu_ps(second + 8 - 8 * k, negatedReversed(b1));
        } else {
            _mm_storeu_ps(first + 8 * k - 16, a0);
            _mm_storeu_ps(first + 8 * k - 12, a1);
            _mm_storeu_ps(first + 44 - 8 * k, negatedReversed(b0));
            _mm_storeu_ps(first + 40 - 8 * k, negatedReversed(b1));
        }
    }
}

#endif

}  // namespace sonidrax::mpeg::matrixing
