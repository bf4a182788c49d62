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

struct HybridTables {
  float cs[8];
  float ca[8];
  float longWindows[4][36];  // by block type; type 2 unused
  float shortWindow[12];

  HybridTables() {
    for (int i = 0; i < 8; ++i) {
      const double root = std::sqrt(1.0 + kAliasC[i] * kAliasC[i]);
      cs[i] = static_cast<float>(1.0 / root);
      ca[i] = static_cast<float>(kAliasC[i] / root);
    }
    for (int i = 0; i < 36; ++i) longWindows[0][i] = sine36(i);
    for (int i = 0; i < 36; ++i) {
      // Start block: long rise, flat, short fall, zero.
      longWindows[1][i] = i < 18 ? sine36(i) : i < 24 ? 1.0f : i < 30 ? sine12(i - 18) : 0.0f;
      // Stop block: zero, short rise, flat, long fall.
      longWindows[3][i] = i < 6 ? 0.0f : i < 12 ? sine12(i - 6) : i < 18 ? 1.0f : sine36(i);
      longWindows[2][i] = 0.0f;
    }
    for (int i = 0; i < 12; ++i) shortWindow[i] = sine12(i);
  }

  static float sine36(int i) { return static_cast<float>(std::sin(kPi / 36.0 * (i + 0.5))); }
  static float sine12(int i) { return static_cast<float>(std::sin(kPi / 12.0 * (i + 0.5))); }
};

const HybridTables& tables() {
  static const HybridTables t;
  return t;
}

void longSubband(float* x, float* overlap, const float* window) {
  float y[36];
  imdct36(x, y);
  for (unsigned t = 0; t < kSamples; ++t) {
    x[t] = overlap[t] + window[t] * y[t];
    overlap[t] = window[18 + t] * y[18 + t];
  }
}

void shortSubband(float* x, float* overlap, const float* window) {
  float z[36] = {};
  for (unsigned w = 0; w < 3; ++w) {
    float in[6];
    float y[12];
    for (unsigned k = 0; k < 6; ++k) in[k] = x[3 * k + w];
    imdct12(in, y);
    for (unsigned i = 0; i < 12; ++i) z[6 + 6 * w + i] += y[i] * window[i];
  }
  for (unsigned t = 0; t < kSamples; ++t) {
    x[t] = overlap[t] + z[t];
    overlap[t] = z[18 + t];
  }
}

void passOverlap(float* x, float* overlap) {
  for (unsigned t = 0; t < kSamples; ++t) {
    x[t] = overlap[t];
    overlap[t] = 0.0f;
  }
}

// The synthesis filter bank expects every odd time sample of every odd subband negated.
void invertFrequency(float* x) {
  for (unsigned t = 1; t < kSamples; t += 2) x[t] = -x[t];
}

}  // namespace

void reduceAliasing(float* samples, unsigned boundaries) {
  const HybridTables& k = tables();
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

void hybridSynthesis(float* samples, float* overlap, const GranuleInfo& g, unsigned extent, unsigned subbandLimit) {
  const HybridTables& k = tables();
  const unsigned active = std::min((extent + kSamples - 1) / kSamples, kSubbands);
  if (!g.isShort()) {
    reduceAliasing(samples, active);
  } else if (g.isMixed() && active > 0) {
    reduceAliasing(samples, 1);
  }
  // Aliasing reaches one subband above the last non-zero one.
  const unsigned transformed = std::min({active == 0 ? 0u : active + 1, kSubbands, subbandLimit});
  // The mixed-block flag gives the two lowest subbands the normal window whatever the
  // block type: for start and stop blocks as well as for short ones.
  const unsigned normalBelow = g.windowSwitching && g.mixedBlock ? 2u : 0u;
  const float* window = k.longWindows[g.blockType & 3u];
  for (unsigned sb = 0; sb < kSubbands; ++sb) {
    float* x = samples + kSamples * sb;
    float* o = overlap + kSamples * sb;
    if (sb >= transformed) {
      passOverlap(x, o);
    } else if (sb < normalBelow) {
      longSubband(x, o, k.longWindows[0]);
    } else if (g.isShort()) {
      shortSubband(x, o, k.shortWindow);
    } else {
      longSubband(x, o, window);
    }
    if (sb & 1u) invertFrequency(x);
  }
}

}  // namespace sonidrax::mpeg
