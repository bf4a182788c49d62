#include "synthesis.h"

#include <cmath>
#include <cstring>

#include "dct32.h"
#include "synthesis_window.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sonidrax::mpeg {

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
  if (sum >= 32767.0) return 32767;
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

void SynthesisChannel::synthesise(const float* input) {
  alignas(16) float scaled[kSubbands];
  if (gainsOn) {
    for (uint32_t k = 0; k < kSubbands; ++k) scaled[k] = input[k] * gains[k];
    input = scaled;
  }
  alignas(16) float a[kSubbands];
  dct32(input, a);

  // V[i] = a[16 + i] for i = 0..16 (a[32] = 0), V[i] = -a[48 - i] for i = 17..48 and
  // V[i] = -a[i - 48] for i = 49..63. V[0..31] go to the current half, V[32..63] to the
  // other one.
  float* now = halves[current][offset];
  float* later = halves[current ^ 1][offset];
  for (int i = 0; i < 16; ++i) now[i] = a[16 + i];
  now[16] = 0.0f;
  for (int i = 17; i < 32; ++i) now[i] = -a[48 - i];
  for (int i = 0; i <= 16; ++i) later[i] = -a[16 - i];
  for (int i = 17; i < 32; ++i) later[i] = -a[i - 16];

  alignas(16) int16_t pcm[kSubbands];
  window(pcm);

  const uint32_t step = 1u << rateShift;
  for (uint32_t j = 0; j < kSubbands; j += step) {
    *output = pcm[j];
    output += stride;
  }
  offset = (offset - 1) & (kColumns - 1);
  current ^= 1;
}

// Output sample j is the sum over the 16 columns c of the current half of
// V(c)[j] * D[32 * age(c) + j], with age(c) = (c - offset) mod 16: the window, stored
// twice, is read from row 16 - offset on.
void SynthesisChannel::windowGeneric(int16_t* pcm) const {
  const float* base = synthesisWindow() + kSubbands * (kColumns - offset);
  const float* history = &halves[current][0][0];
  const bool truncate = rateShift != 0;
  for (uint32_t j = 0; j < kSubbands; ++j) {
    double sum = 0.0;
    for (uint32_t c = 0; c < kColumns; ++c) {
      const float product = history[kSubbands * c + j] * base[kSubbands * c + j];
      sum += product;
    }
    pcm[j] = toPcm(sum, truncate);
  }
}

#if defined(__SSE2__)

void SynthesisChannel::window(int16_t* pcm) const {
  const float* base = synthesisWindow() + kSubbands * (kColumns - offset);
  const float* history = &halves[current][0][0];
  const __m128d high = _mm_set1_pd(32767.0);
  const __m128d low = _mm_set1_pd(-32768.0);
  const bool truncate = rateShift != 0;
  for (uint32_t j = 0; j < kSubbands; j += 4) {
    __m128d sum01 = _mm_setzero_pd();
    __m128d sum23 = _mm_setzero_pd();
    for (uint32_t c = 0; c < kColumns; ++c) {
      const __m128 v = _mm_loadu_ps(history + kSubbands * c + j);
      const __m128 w = _mm_loadu_ps(base + kSubbands * c + j);
      const __m128 product = _mm_mul_ps(v, w);
      sum01 = _mm_add_pd(sum01, _mm_cvtps_pd(product));
      sum23 = _mm_add_pd(sum23, _mm_cvtps_pd(_mm_movehl_ps(product, product)));
    }
    sum01 = _mm_max_pd(_mm_min_pd(sum01, high), low);
    sum23 = _mm_max_pd(_mm_min_pd(sum23, high), low);
    // cvtpd rounds by the default MXCSR mode: to nearest, ties to even.
    const __m128i i01 = truncate ? _mm_cvttpd_epi32(sum01) : _mm_cvtpd_epi32(sum01);
    const __m128i i23 = truncate ? _mm_cvttpd_epi32(sum23) : _mm_cvtpd_epi32(sum23);
    const __m128i packed = _mm_packs_epi32(_mm_unpacklo_epi64(i01, i23), _mm_setzero_si128());
    _mm_storel_epi64(reinterpret_cast<__m128i*>(pcm + j), packed);
  }
}

#else

void SynthesisChannel::window(int16_t* pcm) const { windowGeneric(pcm); }

#endif

}  // namespace sonidrax::mpeg
