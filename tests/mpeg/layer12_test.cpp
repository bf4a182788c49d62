#include <gtest/gtest.h>

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

std::vector<uint32_t> nbalOf(const HeaderFields& f) {
    const Layer2Table& table = chooseLayer2Table(headerOf(f));
    std::vector<uint32_t> nbal;
    for (uint32_t sb = 0; sb < table.sblimit; ++sb) nbal.push_back(table.records[sb]->nbal);
    return nbal;
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
