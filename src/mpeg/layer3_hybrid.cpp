#include "layer3_hybrid.h"

#include <algorithm>
#include <cmath>

#include "layer3_imdct.h"

namespace sonidrax::mpeg {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr unsigned kSubbands = 32;
constexpr unsigned kSamples = 18;

// Alias-reduction coefficients c[i] of ISO/IEC 11172-3; cs = 1 / sqrt(1 + c^2), ca = c cs.
constexpr double kAliasC[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};

// A long block's 36 outputs are the 18 of the DCT-IV u, reordered and negated
// (y[t] = u[t + 9], -u[26 - t], -u[8 - (t - 18)], -u[t - 27] by quarters). The windows
// are stored with those signs folded in, as the factor of the first half (added to
// the overlap) and of the second half (the next overlap):
//   out[t] = overlap[t] + first[t] × u[t < 9 ? t + 9 : 26 - t]
//   overlap[t] = second[t] × u[t < 9 ? 8 - t : t - 9]
struct LongWindow {
  float first[18];
  float second[18];
};

struct HybridTables {
  float cs[8];
  float ca[8];
  // Windows by subband parity (odd subbands have every odd coefficient negated: the
  // synthesis filter bank's frequency inversion) and block type (type 2 unused).
  LongWindow longWindows[2][4];
  float shortWindows[2][12];

  HybridTables() {
    for (int i = 0; i < 8; ++i) {
      const double root = std::sqrt(1.0 + kAliasC[i] * kAliasC[i]);
      cs[i] = static_cast<float>(1.0 / root);
      ca[i] = static_cast<float>(kAliasC[i] / root);
    }
    for (int parity = 0; parity < 2; ++parity) {
      for (int type = 0; type < 4; ++type) {
        for (int t = 0; t < 18; ++t) {
          const float sign = parity && (t & 1) ? -1.0f : 1.0f;
          longWindows[parity][type].first[t] = sign * (t < 9 ? 1.0f : -1.0f) * shape(type, t);
          longWindows[parity][type].second[t] = -sign * shape(type, 18 + t);
        }
      }
      for (int i = 0; i < 12; ++i) shortWindows[parity][i] = (parity && (i & 1) ? -1.0f : 1.0f) * sine12(i);
    }
  }

  static float shape(int type, int i) {
    switch (type) {
      case 1:  // start block: long rise, flat, short fall, zero
        return i < 18 ? sine36(i) : i < 24 ? 1.0f : i < 30 ? sine12(i - 18) : 0.0f;
      case 3:  // stop block: zero, short rise, flat, long fall
        return i < 6 ? 0.0f : i < 12 ? sine12(i - 6) : i < 18 ? 1.0f : sine36(i);
      case 2:
        return 0.0f;
      default:
        return sine36(i);
    }
  }
  static float sine36(int i) { return static_cast<float>(std::sin(kPi / 36.0 * (i + 0.5))); }
  static float sine12(int i) { return static_cast<float>(std::sin(kPi / 12.0 * (i + 0.5))); }
};

// Built when the program loads, so the transforms read it without a guard.
const HybridTables kTables;

void longSubband(const float* x, float* overlap, const LongWindow& window, float* out) {
  float u[18];
  dct4x18(x, u);
  for (unsigned j = 0; j < 9; ++j) {
    out[kSubbands * j] = overlap[j] + window.first[j] * u[9 + j];
    out[kSubbands * (9 + j)] = overlap[9 + j] + window.first[9 + j] * u[17 - j];
    overlap[j] = window.second[j] * u[8 - j];
    overlap[9 + j] = window.second[9 + j] * u[j];
  }
}

void shortSubband(const float* x, float* overlap, const float* window, float* out) {
  float z[36] = {};
  for (unsigned w = 0; w < 3; ++w) {
    float in[6];
    float y[12];
    for (unsigned k = 0; k < 6; ++k) in[k] = x[3 * k + w];
    imdct12(in, y);
    for (unsigned i = 0; i < 12; ++i) z[6 + 6 * w + i] += y[i] * window[i];
  }
  for (unsigned t = 0; t < kSamples; ++t) {
    out[kSubbands * t] = overlap[t] + z[t];
    overlap[t] = z[18 + t];
  }
}

void passOverlap(float* overlap, float* out) {
  for (unsigned t = 0; t < kSamples; ++t) {
    out[kSubbands * t] = overlap[t];
    overlap[t] = 0.0f;
  }
}

void silent(float* out) {
  for (unsigned t = 0; t < kSamples; ++t) out[kSubbands * t] = 0.0f;
}

}  // namespace

void reduceAliasing(float* samples, unsigned boundaries) {
  const HybridTables& k = kTables;
  for (unsigned sb = 1; sb <= boundaries && sb < kSubbands; ++sb) {
    float* upper = samples + kSamples * sb;
    for (unsigned i = 0; i < 8; ++i) {
      const float below = upper[-1 - static_cast<int>(i)];
      const float above = upper[i];
      upper[-1 - static_cast<int>(i)] = below * k.cs[i] - above * k.ca[i];
      upper[i] = above * k.cs[i] + below * k.ca[i];
    }
  }
}

void hybridSynthesis(float* spectrum, const HybridState& state, float* out, const GranuleInfo& g, unsigned extent,
                     unsigned subbandLimit) {
  const HybridTables& k = kTables;
  const unsigned active = std::min((extent + kSamples - 1) / kSamples, kSubbands);
  if (!g.isShort()) {
    reduceAliasing(spectrum, active);
  } else if (g.isMixed() && active > 0) {
    reduceAliasing(spectrum, 1);
  }
  // Aliasing reaches one subband above the last non-zero one.
  const unsigned transformed = std::min({active == 0 ? 0u : active + 1, kSubbands, subbandLimit});
  const unsigned overlapping = std::max(transformed, *state.overlapSubbands);
  // The mixed-block flag gives the two lowest subbands the normal window whatever the
  // block type: for start and stop blocks as well as for short ones.
  const unsigned normalBelow = g.windowSwitching && g.mixedBlock ? 2u : 0u;
  for (unsigned sb = 0; sb < kSubbands; ++sb) {
    const float* x = spectrum + kSamples * sb;
    float* o = state.overlap + kSamples * sb;
    float* y = out + sb;
    const unsigned parity = sb & 1u;
    if (sb >= overlapping) {
      silent(y);
    } else if (sb >= transformed) {
      passOverlap(o, y);
    } else if (sb < normalBelow) {
      longSubband(x, o, k.longWindows[parity][0], y);
    } else if (g.isShort()) {
      shortSubband(x, o, k.shortWindows[parity], y);
    } else {
      longSubband(x, o, k.longWindows[parity][g.blockType & 3u], y);
    }
  }
  *state.overlapSubbands = transformed;
}

}  // namespace sonidrax::mpeg
