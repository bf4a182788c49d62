// Joint stereo of Layer III: mid/side, and intensity stereo for MPEG-1 and the lower
// sampling frequencies, in long, short and mixed blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "stream_bits.h"
#include "layer3_bands.h"
#include "layer3_stereo.h"

namespace sonidrax::mpeg::testing {
namespace {

const double kPi = std::acos(-1.0);

struct Granule {
    FrameHeader header;
    GranuleInfo right;
    ScaleFactors rightScale;
    std::vector<float> l = std::vector<float>(576, 0.0f);
    std::vector<float> r = std::vector<float>(576, 0.0f);
    unsigned extents[2] = {576, 576};

    Granule(uint32_t version, uint32_t modeExtension) {
        HeaderFields f;
        f.version = version;
        f.layer = 1;
        f.mode = 1;
        f.modeExtension = modeExtension;
        header = unpackHeader(headerWord(f));
        // No illegal positions unless a test sets them.
        for (uint8_t& limit : rightScale.longLimit) limit = version == 1 ? 7 : 31;
        for (uint8_t& limit : rightScale.shortLimit) limit = version == 1 ? 7 : 31;
    }
    const BandEdges& edges() const { return bandEdges(header.version, header.samplingIndex); }
    void apply() {
        const StereoGranule g{&header, &right, &rightScale, &edges()};
        applyJointStereo(g, l.data(), r.data(), extents);
    }
};

TEST(Layer3Stereo, LsfIntensitySkipsIllegalPositions) {
    Granule g(0, 1);               // 22050 Hz
    g.right.scalefacCompress = 1;  // intensity scale: 2^-1/2 steps
    for (int i = 0; i < 576; ++i) g.l[i] = 4.0f;
    g.extents[1] = 0;  // right channel all zero: every band is intensity coded
    for (unsigned band = 0; band < 21; ++band) {
        g.rightScale.longBands[band] = 4;  // right = left × (2^-1/2)^2
        g.rightScale.longLimit[band] = 7;
    }
    g.rightScale.longBands[4] = 7;  // the largest value of a 3-bit length: illegal
    g.rightScale.longLimit[21] = 7;
    g.apply();
    const BandEdges& e = g.edges();
    for (unsigned i = 0; i < 576; ++i) {
        const bool illegal = i >= e.longEdges[4] && i < e.longEdges[5];
        ASSERT_FLOAT_EQ(g.l[i], 4.0f) << i;
        ASSERT_FLOAT_EQ(g.r[i], illegal ? 0.0f : 2.0f) << i;
    }
}

TEST(Layer3Stereo, ShortBlocksFindTheBoundInEachWindow) {
    Granule g(1, 1);
    g.right.windowSwitching = 1;
    g.right.blockType = 2;
    const BandEdges& e = g.edges();
    for (int i = 0; i < 576; ++i) g.l[i] = 1.0f;
    // Window 0: right values up to band 5; window 1: none; window 2: up to band 11.
    g.r[3 * e.shortEdges[5] + 0] = 1.0f;
    g.r[3 * e.shortEdges[11] + 3 + 2] = 1.0f;
    for (auto& band : g.rightScale.shortBands) band[0] = band[1] = band[2] = 0;  // all to the right
    g.apply();
    for (unsigned band = 0; band < 13; ++band) {
        for (unsigned w = 0; w < 3; ++w) {
            const unsigned first = w == 0 ? 6 : (w == 1 ? 0 : 12);
            for (unsigned i = 3 * e.shortEdges[band] + w; i < 3u * e.shortEdges[band + 1]; i += 3) {
                const bool intensity = band >= first && !(band == 12 && first > 11);
                ASSERT_EQ(g.l[i], intensity ? 0.0f : 1.0f) << band << " " << w;
            }
        }
    }
}

TEST(Layer3Stereo, MixedBlocksIncludeTheLongPartOnlyWhenTheShortPartIsSilent) {
    for (int silentShortPart = 0; silentShortPart < 2; ++silentShortPart) {
        Granule g(1, 1);
        g.right.windowSwitching = 1;
        g.right.blockType = 2;
        g.right.mixedBlock = 1;
        for (int i = 0; i < 576; ++i) g.l[i] = 1.0f;
        g.r[5] = 1.0f;                                 // long band 1
        if (!silentShortPart) g.r[3 * 16 + 1] = 1.0f;  // short band 4, window 1
        g.apply();
        EXPECT_EQ(g.l[4], 1.0f);  // at or below the right channel's value: as coded
        EXPECT_EQ(g.l[8], silentShortPart ? 0.0f : 1.0f) << "long band 2";
        EXPECT_EQ(g.l[3 * 12 + 1], silentShortPart ? 0.0f : 1.0f) << "short band 3, window 1";
        EXPECT_EQ(g.l[3 * 12 + 0], 0.0f) << "short band 3, window 0";
    }
}

// The top band (long 21, short 12) has no scale factor: it takes the position of the
// band below when that band lies in the intensity region, legal or not, and is
// decoded as coded when the region starts at the top band itself.
struct TopBand {
    uint32_t version, blockType, mixed;  // version 1 MPEG-1, 0 MPEG-2 at 22050 Hz, intensity scale 0
    bool belowCoded;                     // the right channel's last value lies in the band below
    uint8_t position, limit;             // of the band below
    bool intensity;
};

class Layer3TopBand : public ::testing::TestWithParam<TopBand> {};

TEST_P(Layer3TopBand, TakesThePositionOfTheBandBelowOnlyInsideTheRegion) {
    const TopBand& c = GetParam();
    Granule g(c.version, 1);
    g.right.windowSwitching = c.blockType == 2;
    g.right.blockType = c.blockType;
    g.right.mixedBlock = c.mixed;
    const BandEdges& e = g.edges();
    const bool isShort = c.blockType == 2;
    for (int i = 0; i < 576; ++i) g.l[i] = 1.0f + static_cast<float>(i % 3);
    const unsigned marked = (isShort ? 11 : 20) - (c.belowCoded ? 0 : 1);
    for (unsigned w = 0; w < 3; ++w) g.r[isShort ? 3u * e.shortEdges[marked] + w : e.longEdges[marked]] = 0.5f;
    g.rightScale.longBands[20] = g.rightScale.shortBands[11][0] = g.rightScale.shortBands[11][1] =
        g.rightScale.shortBands[11][2] = c.position;
    g.rightScale.longLimit[20] = g.rightScale.shortLimit[11] = c.limit;
    const std::vector<float> left = g.l;
    g.apply();
    const double ratio = std::tan(c.position * kPi / 12), root4 = std::pow(2.0, -0.25);
    const double kl =
        c.version == 1 ? ratio / (1 + ratio) : (c.position & 1 ? std::pow(root4, (c.position + 1) / 2) : 1);
    const double kr = c.version == 1 ? 1 / (1 + ratio) : (c.position & 1 ? 1 : std::pow(root4, c.position / 2));
    for (unsigned i = isShort ? 3u * e.shortEdges[12] : e.longEdges[21]; i < 576; ++i) {
        ASSERT_NEAR(g.l[i], c.intensity ? left[i] * kl : left[i], 1e-5) << i;
        ASSERT_NEAR(g.r[i], c.intensity ? left[i] * kr : 0.0, 1e-5) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Blocks, Layer3TopBand,
                         ::testing::Values(TopBand{1, 0, 0, false, 2, 7, true}, TopBand{1, 0, 0, true, 2, 7, false},
                                           TopBand{1, 0, 0, false, 7, 7, false}, TopBand{1, 2, 0, false, 1, 7, true},
                                           TopBand{1, 2, 0, true, 1, 7, false}, TopBand{1, 2, 1, false, 5, 7, true},
                                           TopBand{0, 0, 0, false, 3, 7, true}, TopBand{0, 0, 0, true, 3, 7, false},
                                           TopBand{0, 0, 0, false, 3, 3, false}, TopBand{0, 2, 0, false, 4, 15, true},
                                           TopBand{0, 2, 1, true, 4, 15, false}, TopBand{0, 2, 1, false, 6, 15, true}));

}  // namespace
}  // namespace sonidrax::mpeg::testing
