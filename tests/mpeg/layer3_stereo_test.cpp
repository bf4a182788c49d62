// Intensity stereo of Layer III in the top band, which has no scale factor of its own,
// for MPEG-1 and the lower sampling frequencies, in long, short and mixed blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "layer3_bands.h"
#include "layer3_stereo.h"
#include "stream_bits.h"

namespace sonidrax::mpeg::testing {
namespace {

const double kPi = std::acos(-1.0);

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
    const FrameHeader header = headerOf({.version = c.version, .layer = kLayer3, .mode = 1, .modeExtension = 1});
    GranuleInfo right{};
    right.windowSwitching = c.blockType == 2;
    right.blockType = c.blockType;
    right.mixedBlock = c.mixed;
    ScaleFactors scale{};
    for (uint8_t& limit : scale.longLimit) limit = c.version == 1 ? 7 : 31;  // all legal
    for (uint8_t& limit : scale.shortLimit) limit = c.version == 1 ? 7 : 31;
    const BandEdges& e = bandEdges(header.version, header.samplingIndex);
    const bool isShort = c.blockType == 2;
    std::vector<float> l(576), r(576, 0.0f);
    for (int i = 0; i < 576; ++i) l[i] = 1.0f + static_cast<float>(i % 3);
    const unsigned marked = (isShort ? 11 : 20) - (c.belowCoded ? 0 : 1);
    for (unsigned w = 0; w < 3; ++w) r[isShort ? 3u * e.shortEdges[marked] + w : e.longEdges[marked]] = 0.5f;
    scale.longBands[20] = scale.shortBands[11][0] = scale.shortBands[11][1] = scale.shortBands[11][2] = c.position;
    scale.longLimit[20] = scale.shortLimit[11] = c.limit;
    const std::vector<float> left = l;
    unsigned extents[2] = {576, 576};
    applyJointStereo({&header, &right, &scale, &e}, l.data(), r.data(), extents);
    const double ratio = std::tan(c.position * kPi / 12), root4 = std::pow(2.0, -0.25);
    const double kl =
        c.version == 1 ? ratio / (1 + ratio) : (c.position & 1 ? std::pow(root4, (c.position + 1) / 2) : 1);
    const double kr = c.version == 1 ? 1 / (1 + ratio) : (c.position & 1 ? 1 : std::pow(root4, c.position / 2));
    for (unsigned i = isShort ? 3u * e.shortEdges[12] : e.longEdges[21]; i < 576; ++i) {
        ASSERT_NEAR(l[i], c.intensity ? left[i] * kl : left[i], 1e-5) << i;
        ASSERT_NEAR(r[i], c.intensity ? left[i] * kr : 0.0, 1e-5) << i;
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
