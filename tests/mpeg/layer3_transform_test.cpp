// The hybrid filter bank: IMDCTs against their defining sums, windows, overlap,
// alias reduction and frequency inversion against a direct evaluation of the
// standard's formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "layer3_hybrid.h"
#include "layer3_side_info.h"

namespace sonidrax::mpeg::testing {
namespace {

const double kPi = std::acos(-1.0);

std::vector<float> randomValues(size_t n, uint32_t seed) {
    std::vector<float> v(n);
    for (float& x : v) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<float>(static_cast<int32_t>(seed >> 8) % 20001) / 10000.0f;
    }
    return v;
}

// x_i = sum X_k cos(pi / 2n (2i + 1 + n/2)(2k + 1)), i < n.
std::vector<double> directImdct(const float* in, int n) {
    std::vector<double> out(n);
    for (int i = 0; i < n; ++i) {
        double sum = 0.0;
        for (int k = 0; k < n / 2; ++k) sum += in[k] * std::cos(kPi / (2 * n) * (2 * i + 1 + n / 2) * (2 * k + 1));
        out[i] = sum;
    }
    return out;
}

double window(int blockType, int i) {
    auto longSine = [](int j) { return std::sin(kPi / 36 * (j + 0.5)); };
    auto shortSine = [](int j) { return std::sin(kPi / 12 * (j + 0.5)); };
    switch (blockType) {
        case 1:
            return i < 18 ? longSine(i) : i < 24 ? 1.0 : i < 30 ? shortSine(i - 18) : 0.0;
        case 3:
            return i < 6 ? 0.0 : i < 12 ? shortSine(i - 6) : i < 18 ? 1.0 : longSine(i);
        default:
            return longSine(i);
    }
}

// One subband of the standard's hybrid synthesis: IMDCT, window, overlap-add and
// frequency inversion. Returns 18 outputs and updates `overlap`.
std::vector<double> directSubband(const float* x, std::vector<double>& overlap, int blockType, bool shortBlock,
                                  int subband) {
    std::vector<double> z(36, 0.0);
    if (shortBlock) {
        for (int w = 0; w < 3; ++w) {
            float in[6];
            for (int k = 0; k < 6; ++k) in[k] = x[3 * k + w];
            const std::vector<double> y = directImdct(in, 12);
            for (int i = 0; i < 12; ++i) z[6 + 6 * w + i] += y[i] * std::sin(kPi / 12 * (i + 0.5));
        }
    } else {
        const std::vector<double> y = directImdct(x, 36);
        for (int i = 0; i < 36; ++i) z[i] = y[i] * window(blockType, i);
    }
    std::vector<double> out(18);
    for (int t = 0; t < 18; ++t) {
        out[t] = z[t] + overlap[t];
        overlap[t] = z[18 + t];
        if ((subband & 1) && (t & 1)) out[t] = -out[t];
    }
    return out;
}

struct Chain {
    std::vector<float> spectrum = std::vector<float>(576, 0.0f);
    std::vector<float> overlap = std::vector<float>(576, 0.0f);
    unsigned overlapSubbands = 0;
    std::vector<float> out = std::vector<float>(576, 0.0f);  // time-major: 32 t + sb
    void run(const GranuleInfo& g, const std::vector<float>& values, unsigned extent, unsigned limit) {
        spectrum = values;
        hybridSynthesis(spectrum.data(), HybridState{overlap.data(), &overlapSubbands}, out.data(), g, extent, limit);
    }
    std::vector<std::vector<double>> directOverlap = std::vector<std::vector<double>>(32, std::vector<double>(18, 0.0));
};

GranuleInfo blockOf(uint32_t type, uint32_t mixed) {
    GranuleInfo g;
    g.windowSwitching = type != 0 || mixed;
    g.blockType = type;
    g.mixedBlock = mixed;
    return g;
}

// Runs one granule through hybridSynthesis and through the direct formulas (no alias
// reduction: the input is given after it) and compares.
void runGranule(Chain& chain, const GranuleInfo& g, const std::vector<float>& spectrum, unsigned limit = 32) {
    // The decoder reduces aliasing itself; give the direct path the same input.
    std::vector<float> reduced = spectrum;
    if (!g.isShort()) {
        reduceAliasing(reduced.data(), 31);
    } else if (g.isMixed()) {
        reduceAliasing(reduced.data(), 1);
    }
    chain.run(g, spectrum, 576, limit);
    for (int sb = 0; sb < 32; ++sb) {
        const bool normal = g.windowSwitching && g.mixedBlock && sb < 2;
        const bool shortBlock = g.isShort() && !normal;
        const int type = normal ? 0 : static_cast<int>(g.blockType);
        std::vector<double> out;
        if (static_cast<unsigned>(sb) < limit) {
            out = directSubband(reduced.data() + 18 * sb, chain.directOverlap[sb], type, shortBlock, sb);
        } else {
            out.assign(18, 0.0);
            for (int t = 0; t < 18; ++t) {
                out[t] = chain.directOverlap[sb][t] * ((sb & 1) && (t & 1) ? -1 : 1);
                chain.directOverlap[sb][t] = 0.0;
            }
        }
        for (int t = 0; t < 18; ++t)
            ASSERT_NEAR(chain.out[32 * t + sb], out[t], 1e-4) << "subband " << sb << " t " << t;
    }
}

TEST(Layer3Hybrid, BlockSequencesMatchTheStandardsSynthesis) {
    Chain chain;
    const GranuleInfo sequence[] = {blockOf(0, 0), blockOf(1, 0), blockOf(2, 0), blockOf(2, 1), blockOf(3, 1),
                                    blockOf(1, 1), blockOf(2, 0), blockOf(3, 0), blockOf(0, 0)};
    uint32_t seed = 7;
    for (const GranuleInfo& g : sequence) {
        runGranule(chain, g, randomValues(576, ++seed));
        if (g.blockType != 2 || g.mixedBlock) continue;
        // Short blocks leave no overlap in their last six values.
        for (int sb = 0; sb < 32; ++sb) {
            for (int t = 12; t < 18; ++t) ASSERT_EQ(chain.overlap[32 * t + sb], 0.0f) << sb;
        }
    }
}

TEST(Layer3Hybrid, ReducedRateTransformsOnlyTheLowSubbandsAndPassesTheOverlap) {
    Chain chain;
    runGranule(chain, blockOf(0, 0), randomValues(576, 3));
    runGranule(chain, blockOf(0, 0), randomValues(576, 4), 8);  // rate shift 2
    for (int sb = 8; sb < 32; ++sb) {
        for (int t = 0; t < 18; ++t) ASSERT_EQ(chain.overlap[32 * t + sb], 0.0f);
    }
    runGranule(chain, blockOf(0, 0), randomValues(576, 5), 8);
    for (int sb = 8; sb < 32; ++sb) {
        for (int t = 0; t < 18; ++t) ASSERT_EQ(chain.out[32 * t + sb], 0.0f);
    }
}

TEST(Layer3Hybrid, SilentTopSubbandsSkipTheTransformWithTheSameResult) {
    // Values end inside subband 5: subbands 0-7 are transformed (aliasing reaches 6,
    // and transforms go by fours), the rest output their overlap, exactly as a full
    // transform of zeros would; a granule later the subbands above 7 are silent.
    std::vector<float> spectrum = randomValues(576, 11);
    for (int i = 5 * 18 + 7; i < 576; ++i) spectrum[i] = 0.0f;
    Chain full;
    full.run(blockOf(0, 0), randomValues(576, 12), 576, 32);
    Chain skipping = full;
    for (int granule = 0; granule < 2; ++granule) {
        full.run(blockOf(0, 0), spectrum, 576, 32);
        skipping.run(blockOf(0, 0), spectrum, 5 * 18 + 7, 32);
        for (int i = 0; i < 576; ++i) {
            ASSERT_NEAR(full.out[i], skipping.out[i], 1e-6) << i;
            ASSERT_NEAR(full.overlap[i], skipping.overlap[i], 1e-6) << i;
        }
        for (int t = 0; t < 18; ++t) {
            for (int sb = 8; sb < 32; ++sb) ASSERT_EQ(skipping.overlap[32 * t + sb], 0.0f) << t << " " << sb;
        }
        EXPECT_EQ(skipping.overlapSubbands, 8u);  // whole groups of four
    }
}

TEST(Layer3Hybrid, AliasReductionIsTheStandardsButterfly) {
    const double c[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};
    std::vector<float> x = randomValues(576, 5);
    std::vector<double> expected(x.begin(), x.end());
    for (int sb = 1; sb < 32; ++sb) {
        for (int i = 0; i < 8; ++i) {
            const double cs = 1.0 / std::sqrt(1.0 + c[i] * c[i]);
            const double ca = c[i] * cs;
            const double bu = expected[18 * sb - 1 - i];
            const double bd = expected[18 * sb + i];
            expected[18 * sb - 1 - i] = bu * cs - bd * ca;
            expected[18 * sb + i] = bd * cs + bu * ca;
        }
    }
    reduceAliasing(x.data(), 31);
    for (int i = 0; i < 576; ++i) ASSERT_NEAR(x[i], expected[i], 1e-5) << i;
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
