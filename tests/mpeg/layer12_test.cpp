#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "layer12_tables.h"
#include "library_decoder.h"
#include "stream_bits.h"

namespace sonidrax::mpeg::testing {
namespace {

using decoder::kDecodeAborted;
using decoder::kSuccess;

// One frame: the header, then the body written by `body`, padded to the frame length.
std::vector<uint8_t> frame(const HeaderFields& fields, const std::function<void(BitWriter&)>& body) {
    BitWriter w;
    w.put(headerWord(fields), 32);
    body(w);
    const uint32_t length = frameLength(headerOf(fields));
    EXPECT_LE(w.bitCount(), length * 8u);
    w.padTo(length);
    return w.bytes();
}

struct Decoded {
    int32_t result = 0;
    std::vector<int16_t> left, right;
};

// Decodes one frame through the codec with the given channel and rate options.
Decoded decode(const std::vector<uint8_t>& bytes, int32_t channelOption = 0, int32_t rateOption = 0) {
    LibraryDecoder library;
    decoder::SetCodecOption1(library.d, channelOption);
    decoder::SetCodecOption2(library.d, rateOption);
    EXPECT_EQ(library.open(bytes, {.seekable = false}), kSuccess);
    Decoded d;
    d.result = decoder::Decode(library.d, nullptr);
    if (d.result != kSuccess) return d;
    const auto& out = library.output();
    for (int32_t i = 0; i < out.samplesPerChannel * out.channels; ++i)
        (i % out.channels == 0 ? d.left : d.right).push_back(out.pcm[i]);
    return d;
}

double energy(const std::vector<int16_t>& pcm) {
    double sum = 0.0;
    for (int16_t s : pcm) sum += static_cast<double>(s) * s;
    return sum;
}

HeaderFields layer1Stereo() {
    HeaderFields f;
    f.layer = kLayer1;
    f.bitrateIndex = 14;  // 448 kbit/s: room for every test body
    return f;
}

// Layer I stereo body: allocation a and scale factor index `scale` in subband `band`
// of both channels, every other subband empty; samples from `sample(position, ch)`.
void layer1Body(BitWriter& w, uint32_t band, uint32_t a, uint32_t scale,
                const std::function<uint32_t(uint32_t, uint32_t)>& sample) {
    for (uint32_t sb = 0; sb < 32; ++sb)
        for (int ch = 0; ch < 2; ++ch) w.put(sb == band ? a : 0, 4);
    for (int ch = 0; ch < 2; ++ch) w.put(scale, 6);
    for (uint32_t position = 0; position < 12; ++position)
        for (uint32_t ch = 0; ch < 2; ++ch) w.put(sample(position, ch), a + 1);
}

TEST(Layer1, EmptyAllocationsGiveSilenceAndForbiddenValuesAbort) {
    const auto five = [](uint32_t, uint32_t) { return 5u; };
    const struct {
        std::function<void(BitWriter&)> body;
        int32_t result;
    } cases[] = {{[](BitWriter& w) { w.put(0, 32 * 2 * 4); }, kSuccess},
                 {[](BitWriter& w) { w.put(15, 4); }, kDecodeAborted},
                 {[&](BitWriter& w) { layer1Body(w, 0, 3, 63, five); }, kDecodeAborted},
                 {[&](BitWriter& w) { layer1Body(w, 0, 3, 62, five); }, kSuccess}};
    for (const auto& c : cases) EXPECT_EQ(decode(frame(layer1Stereo(), c.body)).result, c.result) << &c - cases;
    const Decoded d = decode(frame(layer1Stereo(), cases[0].body));
    EXPECT_EQ(d.left.size() + d.right.size(), 768u);
    EXPECT_EQ(energy(d.left) + energy(d.right), 0.0);
}

TEST(Layer1, SignalLandsInItsChannelAndMixingOppositeChannelsCancels) {
    // Left codes s, right codes 2c - s: requantised, right = -left. Subband 2.
    const uint32_t a = 5, c = (1u << a) - 1;
    const auto sample = [c](uint32_t position, uint32_t ch) {
        const uint32_t s = 3 + 5 * position;
        return ch == 0 ? s : 2 * c - s;
    };
    const auto bytes = frame(layer1Stereo(), [&](BitWriter& w) { layer1Body(w, 2, a, 10, sample); });
    const Decoded both = decode(bytes);
    ASSERT_EQ(both.result, kSuccess);
    EXPECT_GT(energy(both.left), 1e6);
    for (size_t i = 0; i < both.left.size(); ++i) EXPECT_NEAR(both.left[i], -both.right[i], 1) << i;
    const Decoded mixed = decode(bytes, 3);
    ASSERT_EQ(mixed.result, kSuccess);
    EXPECT_TRUE(mixed.right.empty());
    EXPECT_EQ(energy(mixed.left), 0.0);
}

TEST(Layer1, QuarterRateKeepsOnlyTheLowSubbands) {
    const auto sample = [](uint32_t position, uint32_t) { return (position % 2) ? 40u : 20u; };
    const auto high = frame(layer1Stereo(), [&](BitWriter& w) { layer1Body(w, 10, 5, 8, sample); });
    const auto low = frame(layer1Stereo(), [&](BitWriter& w) { layer1Body(w, 3, 5, 8, sample); });
    const Decoded highFull = decode(high), highQuarter = decode(high, 0, 2), lowQuarter = decode(low, 0, 2);
    EXPECT_GT(energy(highFull.left), 1e6);
    EXPECT_EQ(highQuarter.left.size(), 96u);
    EXPECT_EQ(energy(highQuarter.left), 0.0);  // subband 10 is not fed at shift 2
    EXPECT_GT(energy(lowQuarter.left), 1e5);
}

HeaderFields layer2(uint32_t samplingIndex, uint32_t bitrateIndex, uint32_t mode, uint32_t version = 1) {
    HeaderFields f;
    f.version = version;
    f.layer = kLayer2;
    f.samplingIndex = samplingIndex;
    f.bitrateIndex = bitrateIndex;
    f.mode = mode;
    return f;
}

TEST(Layer2, TableChoiceFollowsSamplingFrequencyAndRatePerChannel) {
    const auto limit = [](const HeaderFields& f) { return chooseLayer2Table(headerOf(f)).sblimit; };
    EXPECT_EQ(limit(layer2(1, 3, 3)), 27u);     // 48 kHz, 56 kbit/s single channel: table a
    EXPECT_EQ(limit(layer2(0, 4, 0)), 8u);      // 44.1 kHz, 64 kbit/s stereo: 32 per channel, table c
    EXPECT_EQ(limit(layer2(2, 4, 1)), 12u);     // 32 kHz, 64 kbit/s joint stereo: table d
    EXPECT_EQ(limit(layer2(0, 10, 3)), 30u);    // 44.1 kHz, 192 kbit/s single channel: table b
    EXPECT_EQ(limit(layer2(1, 10, 3)), 27u);    // 48 kHz never uses table b
    EXPECT_EQ(limit(layer2(0, 14, 0)), 30u);    // 384 kbit/s stereo: 192 per channel
    EXPECT_EQ(limit(layer2(1, 1, 0, 0)), 30u);  // MPEG-2 at 24 kHz: the lower-frequency table
}

// A Layer II body with every allocation 0 apart from subband 0 of the first channel,
// which gets `allocation` (4 bits in every table used here).
void layer2Body(BitWriter& w, uint32_t channels, uint32_t sblimit, const std::vector<uint32_t>& nbal,
                uint32_t allocation, uint32_t scfsi, const std::vector<uint32_t>& scales, uint32_t codeBits,
                uint32_t code) {
    for (uint32_t sb = 0; sb < sblimit; ++sb)
        for (uint32_t ch = 0; ch < channels; ++ch) w.put(sb == 0 && ch == 0 ? allocation : 0, nbal[sb]);
    w.put(scfsi, 2);
    for (uint32_t s : scales) w.put(s, 6);
    for (int granule = 0; granule < 12; ++granule)
        for (int i = 0; i < 3; ++i) w.put(code, codeBits);
}

std::vector<uint32_t> nbalOf(const HeaderFields& f) {
    const Layer2Table& table = chooseLayer2Table(headerOf(f));
    std::vector<uint32_t> nbal;
    for (uint32_t sb = 0; sb < table.sblimit; ++sb) nbal.push_back(table.records[sb]->nbal);
    return nbal;
}

TEST(Layer2, TopAllocationDecodesAndScaleFactor63SilencesItsPart) {
    const HeaderFields f = layer2(1, 10, 3);  // 48 kHz, 192 kbit/s, single channel: table a
    const auto nbal = nbalOf(f);
    // Allocation 15 of subband 0: 65535 levels, 16 bits per sample. Parts 1 and 2 carry
    // scale factor 63.
    const auto bytes = frame(f, [&](BitWriter& w) { layer2Body(w, 1, 27, nbal, 15, 0, {4, 63, 63}, 16, 60000); });
    const Decoded d = decode(bytes);
    ASSERT_EQ(d.result, kSuccess);
    double first = 0.0, last = 0.0;
    for (size_t i = 0; i < 384; ++i) first += std::abs(d.left[i]);
    for (size_t i = 1152 - 256; i < 1152; ++i) last += std::abs(d.left[i]);
    EXPECT_GT(first, 1e5);
    EXPECT_EQ(last, 0.0);  // the filter memory has decayed within the silent parts
}

TEST(Layer2, JointStereoBoundAboveTheCodedSubbandsAborts) {
    HeaderFields f = layer2(2, 4, 1);  // 32 kHz, 64 kbit/s: sblimit 12
    f.modeExtension = 3;               // bound 16
    EXPECT_EQ(decode(frame(f, [](BitWriter&) {})).result, kDecodeAborted);
    f.modeExtension = 1;  // bound 8: decodes
    const auto nbal = nbalOf(f);
    const auto bytes = frame(f, [&](BitWriter& w) {
        for (uint32_t sb = 0; sb < 12; ++sb)
            for (uint32_t ch = 0; ch < (sb < 8 ? 2u : 1u); ++ch) w.put(0, nbal[sb]);
    });
    const Decoded d = decode(bytes);
    EXPECT_EQ(d.result, kSuccess);
    EXPECT_EQ(energy(d.left) + energy(d.right), 0.0);
}

TEST(Layer2, JointStereoSubbandsAboveTheBoundShareSamplesButNotScaleFactors) {
    const HeaderFields f = layer2(1, 10, 1);  // 48 kHz, 192 kbit/s, joint stereo: bound 4
    const Layer2Table& table = chooseLayer2Table(headerOf(f));
    const QuantClass& quant = *table.records[4]->classes[1];
    const auto bytes = frame(f, [&](BitWriter& w) {
        for (uint32_t sb = 0; sb < table.sblimit; ++sb)
            for (uint32_t ch = 0; ch < (sb < 4 ? 2u : 1u); ++ch) w.put(sb == 4 ? 1 : 0, table.records[sb]->nbal);
        w.put(2, 2);  // one scale factor per channel: index 3 on the left, 6 (half) on the right
        w.put(2, 2);
        w.put(3, 6);
        w.put(6, 6);
        for (int codes = 0; codes < 12 * (quant.groupTable != nullptr ? 1 : 3); ++codes) w.put(0, quant.codeBits);
    });
    const Decoded d = decode(bytes);
    ASSERT_EQ(d.result, kSuccess);
    EXPECT_GT(energy(d.left), 1e6);
    for (size_t i = 0; i < d.left.size(); ++i) EXPECT_NEAR(2 * d.right[i], d.left[i], 2) << i;
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
