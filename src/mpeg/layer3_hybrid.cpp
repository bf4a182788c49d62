#include "layer3_hybrid.h"

#include <algorithm>
#include <cmath>

#include "layer3_dct4.h"
#include "layer3_imdct.h"
#include "layer3_vector.h"

namespace sonidrax::mpeg {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr unsigned kSubbands = 32;
constexpr unsigned kSamples = 18;
constexpr unsigned kGroup = 4;  // subbands transformed together

// Alias-reduction coefficients c[i] of ISO/IEC 11172-3; cs = 1 / sqrt(1 + c^2), ca = c cs.
constexpr double kAliasC[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};

// A long block's 36 outputs are the 18 of the DCT-IV u, reordered and negated
// (y[t] = u[t + 9], -u[26 - t], -u[8 - (t - 18)], -u[t - 27] by quarters). The windows
// are stored with those signs folded in, as the factor of the first half (added to
// the overlap) and of the second half (the next overlap):
//   out[t] = overlap[t] + first[t] × u[t < 9 ? t + 9 : 26 - t]
//   overlap[t] = second[t] × u[t < 9 ? 8 - t : t - 9]
// Odd subbands have every odd coefficient negated as well: the frequency inversion
// that the synthesis filter bank expects.
struct LongWindow {
    float first[18];
    float second[18];
};

// The same for four neighbouring subbands, lanes alternating even and odd.
struct LongWindow4 {
    Float4 first[18];
    Float4 second[18];
};

struct HybridTables {
    float cs[8];
    float ca[8];
    LongWindow longWindows[2][4];  // by subband parity and block type (type 2 unused)
    LongWindow4 longWindows4[4];
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
        for (int type = 0; type < 4; ++type) {
            for (int t = 0; t < 18; ++t) {
                const LongWindow& even = longWindows[0][type];
                const LongWindow& odd = longWindows[1][type];
                longWindows4[type].first[t] = Float4{even.first[t], odd.first[t], even.first[t], odd.first[t]};
                longWindows4[type].second[t] = Float4{even.second[t], odd.second[t], even.second[t], odd.second[t]};
            }
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

// Overlap and output are time-major: sample t of a subband is kSubbands × t further on.

void longSubband(const float* x, float* overlap, const LongWindow& window, float* out) {
    float u[18];
    dct4x18<float>(x, u);
    for (unsigned j = 0; j < 9; ++j) {
        out[kSubbands * j] = overlap[kSubbands * j] + window.first[j] * u[9 + j];
        out[kSubbands * (9 + j)] = overlap[kSubbands * (9 + j)] + window.first[9 + j] * u[17 - j];
        overlap[kSubbands * j] = window.second[j] * u[8 - j];
        overlap[kSubbands * (9 + j)] = window.second[9 + j] * u[j];
    }
}

// Four neighbouring subbands: each time sample of the group is one vector of the
// overlap and the output.
void longGroup(const float* x, float* overlap, const LongWindow4& window, float* out) {
    Float4 in[18];
    for (unsigned k = 0; k < 18; ++k) in[k] = Float4{x[k], x[18 + k], x[36 + k], x[54 + k]};
    Float4 u[18];
    dct4x18<Float4>(in, u);
    for (unsigned j = 0; j < 9; ++j) {
        float* o0 = overlap + kSubbands * j;
        float* o1 = overlap + kSubbands * (9 + j);
        store4(out + kSubbands * j, load4(o0) + window.first[j] * u[9 + j]);
        store4(out + kSubbands * (9 + j), load4(o1) + window.first[9 + j] * u[17 - j]);
        store4(o0, window.second[j] * u[8 - j]);
        store4(o1, window.second[9 + j] * u[j]);
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
        out[kSubbands * t] = overlap[kSubbands * t] + z[t];
        overlap[kSubbands * t] = z[18 + t];
    }
}

void passOverlapGroup(float* overlap, float* out) {
    for (unsigned t = 0; t < kSamples; ++t) {
        store4(out + kSubbands * t, load4(overlap + kSubbands * t));
        store4(overlap + kSubbands * t, Float4{});
    }
}

void silentGroup(float* out) {
    for (unsigned t = 0; t < kSamples; ++t) store4(out + kSubbands * t, Float4{});
}

// One subband of a group that cannot go through longGroup: short blocks, and the
// normal-window subbands of mixed blocks.
void oneSubband(const float* spectrum, const HybridState& state, float* out, const GranuleInfo& g, unsigned sb) {
    const HybridTables& k = kTables;
    const float* x = spectrum + kSamples * sb;
    float* o = state.overlap + sb;
    float* y = out + sb;
    const unsigned parity = sb & 1u;
    // The mixed-block flag gives the two lowest subbands the normal window whatever the
    // block type: for start and stop blocks as well as for short ones.
    if (g.windowSwitching && g.mixedBlock && sb < 2) {
        longSubband(x, o, k.longWindows[parity][0], y);
    } else if (g.isShort()) {
        shortSubband(x, o, k.shortWindows[parity], y);
    } else {
        longSubband(x, o, k.longWindows[parity][g.blockType & 3u], y);
    }
}

}  // namespace

// Across each boundary, value i below it (counting down from the boundary) and value
// i above it form a butterfly; the eight of a boundary go as two vectors, the values
// below read in reverse.
void reduceAliasing(float* samples, unsigned boundaries) {
    const HybridTables& k = kTables;
    const Float4 cs0 = load4(k.cs), cs1 = load4(k.cs + 4);
    const Float4 ca0 = load4(k.ca), ca1 = load4(k.ca + 4);
    for (unsigned sb = 1; sb <= boundaries && sb < kSubbands; ++sb) {
        float* upper = samples + kSamples * sb;
        const Float4 below0 = reverse4(load4(upper - 4));
        const Float4 below1 = reverse4(load4(upper - 8));
        const Float4 above0 = load4(upper);
        const Float4 above1 = load4(upper + 4);
        store4(upper - 4, reverse4(below0 * cs0 - above0 * ca0));
        store4(upper - 8, reverse4(below1 * cs1 - above1 * ca1));
        store4(upper, above0 * cs0 + below0 * ca0);
        store4(upper + 4, above1 * cs1 + below1 * ca1);
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
    // Aliasing reaches one subband above the last non-zero one. Transforming the rest
    // of a group of four adds nothing but zeros, exactly as passing the overlap does.
    const unsigned needed = std::min(active == 0 ? 0u : active + 1, subbandLimit);
    const unsigned transformed = std::min((needed + kGroup - 1) / kGroup * kGroup, kSubbands);
    const unsigned overlapping = std::max(transformed, *state.overlapSubbands);
    const bool vector = !g.isShort() && !(g.windowSwitching && g.mixedBlock);
    for (unsigned sb = 0; sb < kSubbands; sb += kGroup) {
        if (sb >= overlapping) {
            silentGroup(out + sb);
        } else if (sb >= transformed) {
            passOverlapGroup(state.overlap + sb, out + sb);
        } else if (vector || (sb >= kGroup && !g.isShort())) {
            longGroup(spectrum + kSamples * sb, state.overlap + sb, k.longWindows4[g.blockType & 3u], out + sb);
        } else {
            for (unsigned s = sb; s < sb + kGroup; ++s) oneSubband(spectrum, state, out, g, s);
        }
    }
    *state.overlapSubbands = transformed;
}

}  // namespace sonidrax::mpeg
