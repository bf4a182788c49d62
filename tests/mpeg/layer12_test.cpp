// Layer I and II frames built field by field, decoded through the codec: forbidden
// values, the channel and rate options, the allocation tables and joint stereo.
#include <gtest/gtest.h>

#include <functional>

#include "layer12_tables.h"
#include "library_decoder.h"
#include "stream_bits.h"

namespace sonidrax::mpeg::testing {
namespace {

using decoder::kDecodeAborted;
using decoder::kSuccess;
using Body = std::function<void(BitWriter&)>;

// One frame: the header, then the body, padded to the frame length.
std::vector<uint8_t> frame(const HeaderFields& fields, const Body& body) {
    BitWriter w;
    w.put(headerWord(fields), 32);
    body(w);
    EXPECT_LE(w.bitCount(), frameLength(headerOf(fields)) * 8u);
    w.padTo(frameLength(headerOf(fields)));
    return w.bytes();
}

// The first frame's decoding, with the given channel and rate options.
DecodedFrame decode(const std::vector<uint8_t>& bytes, int32_t channelOption = 0, int32_t rateOption = 0) {
    return decodeFrames(bytes, channelOption, rateOption).front();
}

HeaderFields header(uint32_t layer, uint32_t samplingIndex, uint32_t bitrateIndex, uint32_t mode,
                    uint32_t version = 1) {
    return HeaderFields{
        .version = version, .layer = layer, .bitrateIndex = bitrateIndex, .samplingIndex = samplingIndex, .mode = mode};
}

// Layer I stereo at 448 kbit/s: allocation a and scale factor index `scale` in subband
// `band` of both channels, every other subband empty. The left channel codes s, the
// right 2c - s, which requantise to opposite values.
std::vector<uint8_t> layer1Frame(uint32_t band, uint32_t a, uint32_t scale) {
    return frame(header(kLayer1, 0, 14, 0), [=](BitWriter& w) {
        for (uint32_t sb = 0; sb < 32; ++sb) w.put(sb == band ? a * 16 + a : 0, 8);
        w.put(scale * 64 + scale, 12);
        const uint32_t c = (1u << a) - 1;
        for (uint32_t s = 3; s < 63; s += 5) w.put(s << (a + 1) | (2 * c - s), 2 * (a + 1));
    });
}

TEST(Layer1, ForbiddenValuesAbortAndTheOptionsMixOrDropSubbands) {
    EXPECT_EQ(decode(frame(header(kLayer1, 0, 14, 0), [](BitWriter& w) { w.put(15, 4); })).status, kDecodeAborted);
    EXPECT_EQ(decode(layer1Frame(0, 5, 63)).status, kDecodeAborted);
    EXPECT_EQ(decode(layer1Frame(0, 5, 62)).status, kSuccess);
    const struct {
        uint32_t band;
        int32_t channelOption, rateOption;
        bool sound;
        size_t samples;
    } cases[] = {{2, 0, 0, true, 384}, {2, 3, 0, false, 384}, {10, 0, 2, false, 96}, {3, 0, 2, true, 96}};
    for (const auto& c : cases) {
        const DecodedFrame d = decode(layer1Frame(c.band, 5, 10), c.channelOption, c.rateOption);
        ASSERT_EQ(d.status, kSuccess) << &c - cases;
        EXPECT_EQ(d.left.size(), c.samples) << &c - cases;
        EXPECT_EQ(sounds(d.left, 1e5), c.sound) << &c - cases;
        EXPECT_EQ(d.right.size(), c.channelOption == 3 ? 0 : c.samples) << &c - cases;
        for (size_t i = 0; i < d.right.size(); ++i) EXPECT_NEAR(d.left[i], -d.right[i], 1) << i;
    }
}

TEST(Layer2, TableChoiceFollowsSamplingFrequencyAndRatePerChannel) {
    const auto limit = [](const HeaderFields& f) { return chooseLayer2Table(headerOf(f)).sblimit; };
    EXPECT_EQ(limit(header(kLayer2, 1, 3, 3)), 27u);     // 48 kHz, 56 kbit/s single channel: table a
    EXPECT_EQ(limit(header(kLayer2, 0, 4, 0)), 8u);      // 44.1 kHz, 64 kbit/s stereo: 32 per channel, table c
    EXPECT_EQ(limit(header(kLayer2, 2, 4, 1)), 12u);     // 32 kHz, 64 kbit/s joint stereo: table d
    EXPECT_EQ(limit(header(kLayer2, 0, 10, 3)), 30u);    // 44.1 kHz, 192 kbit/s single channel: table b
    EXPECT_EQ(limit(header(kLayer2, 1, 10, 3)), 27u);    // 48 kHz never uses table b
    EXPECT_EQ(limit(header(kLayer2, 0, 14, 0)), 30u);    // 384 kbit/s stereo: 192 per channel
    EXPECT_EQ(limit(header(kLayer2, 1, 1, 0, 0)), 30u);  // MPEG-2 at 24 kHz: the lower-frequency table
}

// A Layer II body: allocation `allocation` in subband 0 of the first channel (below the
// bound, `channels` allocations per subband, one above it), every other one empty.
void layer2Allocations(BitWriter& w, const HeaderFields& f, uint32_t bound, uint32_t allocated, uint32_t allocation) {
    const Layer2Table& table = chooseLayer2Table(headerOf(f));
    for (uint32_t sb = 0; sb < table.sblimit; ++sb)
        for (uint32_t ch = 0; ch < (sb < bound ? (f.mode == 3 ? 1u : 2u) : 1u); ++ch)
            w.put(sb == allocated && ch == 0 ? allocation : 0, table.records[sb]->nbal);
}

TEST(Layer2, TopAllocationDecodesAndScaleFactor63SilencesItsPart) {
    const HeaderFields f = header(kLayer2, 1, 10, 3);  // 48 kHz, 192 kbit/s, single channel: table a
    // Allocation 15 of subband 0: 65535 levels, 16 bits per sample. Parts 1 and 2 carry
    // scale factor 63.
    const DecodedFrame d = decode(frame(f, [&](BitWriter& w) {
        layer2Allocations(w, f, 32, 0, 15);
        w.put(0, 2);
        for (uint32_t scale : {4, 63, 63}) w.put(scale, 6);
        for (int i = 0; i < 36; ++i) w.put(60000, 16);
    }));
    ASSERT_EQ(d.status, kSuccess);
    EXPECT_TRUE(sounds({d.left.begin(), d.left.begin() + 384}, 1e7));
    EXPECT_FALSE(sounds({d.left.end() - 256, d.left.end()}));  // the filter memory has decayed
}

TEST(Layer2, JointStereoBoundAboveTheCodedSubbandsAborts) {
    HeaderFields f = header(kLayer2, 2, 4, 1);  // 32 kHz, 64 kbit/s: sblimit 12
    f.modeExtension = 3;                        // bound 16
    EXPECT_EQ(decode(frame(f, [](BitWriter&) {})).status, kDecodeAborted);
    f.modeExtension = 1;  // bound 8: decodes
    const DecodedFrame d = decode(frame(f, [&](BitWriter& w) { layer2Allocations(w, f, 8, 0, 0); }));
    EXPECT_EQ(d.status, kSuccess);
    EXPECT_FALSE(sounds(d.left) || sounds(d.right));
}

TEST(Layer2, JointStereoSubbandsAboveTheBoundShareSamplesButNotScaleFactors) {
    const HeaderFields f = header(kLayer2, 1, 10, 1);  // 48 kHz, 192 kbit/s, joint stereo: bound 4
    const QuantClass& quant = *chooseLayer2Table(headerOf(f)).records[4]->classes[1];
    const DecodedFrame d = decode(frame(f, [&](BitWriter& w) {
        layer2Allocations(w, f, 4, 4, 1);
        w.put(2 * 4 + 2, 4);  // one scale factor per channel: index 3 on the left, 6 (half) on the right
        w.put(3 * 64 + 6, 12);
        for (int codes = 0; codes < 12 * (quant.groupTable != nullptr ? 1 : 3); ++codes) w.put(0, quant.codeBits);
    }));
    ASSERT_EQ(d.status, kSuccess);
    EXPECT_TRUE(sounds(d.left));
    for (size_t i = 0; i < d.left.size(); ++i) EXPECT_NEAR(2 * d.right[i], d.left[i], 2) << i;
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
