#include "dct32.h"

#include "dct32_vector.h"

namespace sonidrax::mpeg {
namespace {

using namespace matrixing;

#if defined(SONIDRAX_VECTOR_DCT)

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

void matrixV(const float* in, float* first, float* second) { matrixVInRegisters(in, first, second); }

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

void matrixV(const float* in, float* first, float* second) { matrixVPortable(in, first, second); }

#endif

void matrixVPortable(const float* in, float* first, float* second) {
    float a[33];
    dct<32>(in, a);
    a[32] = 0.0f;
    for (int i = 0; i < 16; ++i) {
        first[i] = a[16 + i];
        first[16 + i] = -a[32 - i];
        second[i] = -a[16 - i];
        second[16 + i] = -a[i];
    }
}

}  // namespace sonidrax::mpeg
