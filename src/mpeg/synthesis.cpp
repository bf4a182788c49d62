#include "synthesis.h"

#include <cmath>
#include <cstring>

#include "dct32.h"
#include "dct32_vector.h"
#include "synthesis_window.h"

#if defined(__SSE2__) && defined(__GNUC__)
#include <immintrin.h>
#define SONIDRAX_VECTOR_WINDOW 1
#endif

namespace sonidrax::mpeg {

SynthesisChannel::SynthesisChannel(SynthesisPath path) : windowTable(synthesisWindow()), path(path) { reset(); }

void SynthesisChannel::reset() {
    std::memset(halves, 0, sizeof halves);
    current = 0;
    offset = 0;
}

void SynthesisChannel::setGains(const float* newGains) {
    gainsOn = newGains != nullptr;
    if (gainsOn) std::memcpy(gains, newGains, sizeof gains);
}

int16_t SynthesisChannel::toPcm(double sum, bool truncate) {
    // Written so that a sum that is not a number gives 32767, as the vector paths do.
    if (!(sum < 32767.0)) return 32767;
    if (sum <= -32768.0) return -32768;
    // The default floating-point environment rounds to nearest, ties to even.
    return static_cast<int16_t>(truncate ? std::trunc(sum) : std::nearbyint(sum));
}

void SynthesisChannel::silence() {
    const uint32_t count = kSubbands >> rateShift;
    for (uint32_t i = 0; i < count; ++i) {
        *output = 0;
        output += stride;
    }
}

namespace {

constexpr uint32_t kSubbands = SynthesisChannel::kSubbands;
constexpr uint32_t kColumns = SynthesisChannel::kColumns;

// Output sample j is the sum over the 16 columns c of the current half of
// V(c)[j] * D[32 * age(c) + j], with age(c) = (c - offset) mod 16: the window, stored
// twice, is read from row 16 - offset on. Every path sums column after column, each
// product rounded to single precision before it is added, so that all of them give the
// same samples.
void windowPortable(const float* history, const float* base, bool truncate, int16_t* pcm) {
    float sums[kSubbands];
    for (uint32_t j = 0; j < kSubbands; ++j) sums[j] = history[j] * base[j];
    for (uint32_t c = 1; c < kColumns; ++c)
        for (uint32_t j = 0; j < kSubbands; ++j) sums[j] += history[kSubbands * c + j] * base[kSubbands * c + j];
    for (uint32_t j = 0; j < kSubbands; ++j) pcm[j] = SynthesisChannel::toPcm(sums[j], truncate);
}

void filterPortable(const SynthesisChannel::Step& step, bool truncate, int16_t* pcm) {
    matrixVPortable(step.input, step.now, step.later);
    windowPortable(step.history, step.base, truncate, pcm);
}

#if defined(SONIDRAX_VECTOR_WINDOW)

void windowSse2(const float* history, const float* base, bool truncate, int16_t* pcm) {
    __m128 sums[8];
    // The window table is 16-byte aligned and its rows are 32 floats, so its values can be
    // multiplied straight from memory; the filter memory may sit anywhere.
    for (int g = 0; g < 8; ++g) sums[g] = _mm_mul_ps(_mm_loadu_ps(history + 4 * g), _mm_load_ps(base + 4 * g));
    for (uint32_t c = 1; c < kColumns; ++c) {
        const float* v = history + kSubbands * c;
        const float* w = base + kSubbands * c;
#pragma GCC unroll 8
        for (int g = 0; g < 8; ++g)
            sums[g] = _mm_add_ps(sums[g], _mm_mul_ps(_mm_loadu_ps(v + 4 * g), _mm_load_ps(w + 4 * g)));
    }
    // Sums far above the range would convert to the most negative integer, so they are
    // bounded first; everything else is saturated by the packing to 16 bits, which
    // gives the same result as clipping before the conversion.
    const __m128 high = _mm_set1_ps(32767.0f);
    for (int g = 0; g < 8; g += 2) {
        const __m128 s0 = _mm_min_ps(sums[g], high);
        const __m128 s1 = _mm_min_ps(sums[g + 1], high);
        // cvtps rounds by the default MXCSR mode: to nearest, ties to even.
        const __m128i i0 = truncate ? _mm_cvttps_epi32(s0) : _mm_cvtps_epi32(s0);
        const __m128i i1 = truncate ? _mm_cvttps_epi32(s1) : _mm_cvtps_epi32(s1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm + 4 * g), _mm_packs_epi32(i0, i1));
    }
}

void filterSse2(const SynthesisChannel::Step& step, bool truncate, int16_t* pcm) {
    matrixV(step.input, step.now, step.later);
    windowSse2(step.history, step.base, truncate, pcm);
}

// Eight sums at a time on processors with AVX2 (chosen at run time, so the code still
// runs on any SSE2 processor). A fused multiply-add would round each sum once instead
// of twice and so change samples; multiplying and adding apart costs next to nothing,
// as the additions, not the multiplications, are the chain each sum waits on.
__attribute__((target("avx2"))) inline void windowAvx2(const float* history, const float* base, bool truncate,
                                                       int16_t* pcm) {
    __m256 s0 = _mm256_mul_ps(_mm256_loadu_ps(history), _mm256_loadu_ps(base));
    __m256 s1 = _mm256_mul_ps(_mm256_loadu_ps(history + 8), _mm256_loadu_ps(base + 8));
    __m256 s2 = _mm256_mul_ps(_mm256_loadu_ps(history + 16), _mm256_loadu_ps(base + 16));
    __m256 s3 = _mm256_mul_ps(_mm256_loadu_ps(history + 24), _mm256_loadu_ps(base + 24));
    for (uint32_t c = 1; c < kColumns; ++c) {
        const float* v = history + kSubbands * c;
        const float* w = base + kSubbands * c;
        s0 = _mm256_add_ps(s0, _mm256_mul_ps(_mm256_loadu_ps(v), _mm256_loadu_ps(w)));
        s1 = _mm256_add_ps(s1, _mm256_mul_ps(_mm256_loadu_ps(v + 8), _mm256_loadu_ps(w + 8)));
        s2 = _mm256_add_ps(s2, _mm256_mul_ps(_mm256_loadu_ps(v + 16), _mm256_loadu_ps(w + 16)));
        s3 = _mm256_add_ps(s3, _mm256_mul_ps(_mm256_loadu_ps(v + 24), _mm256_loadu_ps(w + 24)));
    }
    const __m256 sums[4] = {s0, s1, s2, s3};
    const __m256 high = _mm256_set1_ps(32767.0f);
    for (int g = 0; g < 4; ++g) {
        const __m256 clipped = _mm256_min_ps(sums[g], high);
        const __m256i whole = truncate ? _mm256_cvttps_epi32(clipped) : _mm256_cvtps_epi32(clipped);
        const __m128i packed = _mm_packs_epi32(_mm256_castsi256_si128(whole), _mm256_extracti128_si256(whole, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm + 8 * g), packed);
    }
}

// The whole filter step on such processors, the matrixing inlined.
__attribute__((target("avx2"))) void filterAvx2(const SynthesisChannel::Step& step, bool truncate, int16_t* pcm) {
    matrixing::matrixVInRegisters(step.input, step.now, step.later);
    windowAvx2(step.history, step.base, truncate, pcm);
}

// Two channels' steps in one call.
__attribute__((target("avx2"))) void filterPairAvx2(const SynthesisChannel::Step& a, const SynthesisChannel::Step& b,
                                                    bool truncate, int16_t* pcmA, int16_t* pcmB) {
    matrixing::matrixVInRegisters(a.input, a.now, a.later);
    windowAvx2(a.history, a.base, truncate, pcmA);
    matrixing::matrixVInRegisters(b.input, b.now, b.later);
    windowAvx2(b.history, b.base, truncate, pcmB);
}

#endif

}  // namespace

SynthesisChannel::Step SynthesisChannel::prepare(const float* input, float* scaled) {
    if (gainsOn) {
        for (uint32_t k = 0; k < kSubbands; ++k) scaled[k] = input[k] * gains[k];
        input = scaled;
    }
    // V[0..31] go to the current half (column `offset`), V[32..63] to the other one.
    return {input, halves[current][offset], halves[current ^ 1][offset], &halves[current][0][0],
            windowTable + kSubbands * (kColumns - offset)};
}

void SynthesisChannel::filter(const float* input, int16_t* pcm) {
    alignas(16) float scaled[kSubbands];
    const Step step = prepare(input, scaled);
    const bool truncate = rateShift != 0;
    switch (path) {
#if defined(SONIDRAX_VECTOR_WINDOW)
        case SynthesisPath::kAvx2:
            filterAvx2(step, truncate, pcm);
            break;
        case SynthesisPath::kSse2:
            filterSse2(step, truncate, pcm);
            break;
#endif
        default:
            filterPortable(step, truncate, pcm);
    }
    advance();
}

void SynthesisChannel::synthesise(const float* input) {
    alignas(16) int16_t pcm[kSubbands];
    filter(input, pcm);
    if (rateShift == 0 && stride == 1) {
        std::memcpy(output, pcm, sizeof pcm);
        output += kSubbands;
        return;
    }
    const uint32_t step = 1u << rateShift;
    for (uint32_t j = 0; j < kSubbands; j += step) {
        *output = pcm[j];
        output += stride;
    }
}

void SynthesisChannel::synthesisePair(SynthesisChannel& left, SynthesisChannel& right, const float* l, const float* r) {
    if (!left.interleavedWith(right)) {
        left.synthesise(l);
        right.synthesise(r);
        return;
    }
    alignas(16) int16_t pcm[2][kSubbands];
#if defined(SONIDRAX_VECTOR_WINDOW)
    if (left.path == SynthesisPath::kAvx2 && right.path == SynthesisPath::kAvx2) {
        alignas(16) float scaled[2][kSubbands];
        filterPairAvx2(left.prepare(l, scaled[0]), right.prepare(r, scaled[1]), left.rateShift != 0, pcm[0], pcm[1]);
        left.advance();
        right.advance();
    } else
#endif
    {
        left.filter(l, pcm[0]);
        right.filter(r, pcm[1]);
    }
    int16_t* out = left.output;
    const uint32_t step = 1u << left.rateShift;
    const uint32_t count = kSubbands >> left.rateShift;
#if defined(SONIDRAX_VECTOR_WINDOW)
    if (step == 1) {
        for (uint32_t j = 0; j < kSubbands; j += 8) {
            const __m128i a = _mm_load_si128(reinterpret_cast<const __m128i*>(pcm[0] + j));
            const __m128i b = _mm_load_si128(reinterpret_cast<const __m128i*>(pcm[1] + j));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * j), _mm_unpacklo_epi16(a, b));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * j + 8), _mm_unpackhi_epi16(a, b));
        }
    } else
#endif
    {
        for (uint32_t i = 0; i < count; ++i) {
            out[2 * i] = pcm[0][i * step];
            out[2 * i + 1] = pcm[1][i * step];
        }
    }
    left.output += 2 * count;
    right.output += 2 * count;
}

}  // namespace sonidrax::mpeg
