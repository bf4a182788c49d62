// Frames of every layer built field by field (Layer III from the standard's code
// tables), decoded through the codec: forbidden values, the channel and rate options,
// the Layer II allocation tables and joint stereo, the Layer III reservoir, intensity
// stereo reaching the right channel.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "layer12_tables.h"
#include "layer3_huffman_codes.h"
#include "library_decoder.h"
#include "stream_bits.h"

namespace sonidrax::mpeg::testing {
namespace {

using decoder::kDecodeAborted;
using decoder::kEndOfInput;
using decoder::kSuccess;

using Body = std::function<void(BitWriter&)>;

// One frame: the header, then the body, padded to the frame length.
std::vector<uint8_t> frame(const HeaderFields& fields, const Body& body) {
    BitWriter w;
    w.put(headerWord(fields), 32);
    body(w);
    EXPECT_LE(w.bits.size(), frameLength(headerOf(fields)) * 8u);
    return w.bytes(frameLength(headerOf(fields)));
}

// The first frame's decoding, with the given channel and rate options.
DecodedFrame decode(const std::vector<uint8_t>& bytes, int32_t channelOption = 0, int32_t rateOption = 0) {
    return decodeFrames(bytes, channelOption, rateOption).front();
}

HeaderFields header(uint32_t layer, uint32_t samplingIndex, uint32_t bitrateIndex, uint32_t mode,
                    uint32_t version = 1) {
    return {version, layer, 1, bitrateIndex, samplingIndex, 0, mode};
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

TEST(Layer1, ForbiddenValuesAbort) {
    EXPECT_EQ(decode(frame(header(kLayer1, 0, 14, 0), [](BitWriter& w) { w.put(15, 4); })).status, kDecodeAborted);
    EXPECT_EQ(decode(layer1Frame(0, 5, 63)).status, kDecodeAborted);
    EXPECT_EQ(decode(layer1Frame(0, 5, 62)).status, kSuccess);
}

TEST(Frames, ChannelAndRateOptionsShapeTheOutput) {
    const HeaderFields lower{.version = 0};  // MPEG-2 Layer II at 22050 Hz
    const struct {
        std::vector<uint8_t> bytes;
        int32_t channelOption, rateOption, rate;
        size_t left, right;
        bool sound;
    } cases[] = {
        {layer1Frame(2, 5, 10), 0, 0, 44100, 384, 384, true},
        {layer1Frame(2, 5, 10), 3, 0, 44100, 384, 0, false},   // mixed: the channels cancel
        {layer1Frame(10, 5, 10), 0, 2, 11025, 96, 96, false},  // subband 10 is not fed at a quarter of the rate
        {layer1Frame(3, 5, 10), 0, 2, 11025, 96, 96, true},
        {silentFrames({}, 1), 3, 2, 11025, 288, 0, false},
        {silentFrames(lower, 1), 0, 1, 22050, 1152, 1152, false},
        {silentFrames(lower, 1), 0, 2, 11025, 576, 576, false},
        // Right only: a single channel still gives its channel.
        {silentFrames({.bitrateIndex = 10, .mode = 3}, 1), 2, 0, 44100, 1152, 0, false}};
    for (const auto& c : cases) {
        const DecodedFrame d = decode(c.bytes, c.channelOption, c.rateOption);
        ASSERT_EQ(d.status, kSuccess) << &c - cases;
        EXPECT_EQ(std::tuple(d.sampleRate, d.left.size(), d.right.size(), sounds(d.left, 1e5)),
                  std::tuple(c.rate, c.left, c.right, c.sound))
            << &c - cases;
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

// Layer II allocations: `allocation` in subband `allocated` of the first channel, every
// other one empty; each channel has its own below `bound`, one serves both from it on.
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

// One granule and channel: long blocks, global gain 210 (unity), table 15 in every
// region of the big values, and its main data (part2_3_length is their length).
struct Granule {
    uint32_t bigValues = 0;
    uint32_t scalefacCompress = 0;
    BitWriter main;
};

// The first 40 values a fixed pattern, in pairs coded with table 15 (no escapes), signs
// after the code word.
void tone(Granule& g) {
    const HuffmanCodeTable& table = huffmanCodeTable(12);
    g.bigValues = 20;
    for (int p = 0; p < 20; ++p) {
        const unsigned x = (p % 5) + 1, y = (p % 3) + 2;
        g.main.put(table.codes[x * table.size + y], table.lengths[x * table.size + y]);
        g.main.put(1, 2);  // x positive, y negative
    }
}

// An MPEG-1 frame at 128 kbit/s and 44100 Hz (417 bytes) holding its granules' main data.
std::vector<uint8_t> layer3Frame(uint32_t mode, uint32_t modeExtension, uint32_t mainDataBegin, Granule (&gr)[2][2]) {
    const unsigned channels = mode == 3 ? 1 : 2;
    BitWriter w;
    w.put(headerWord({.layer = kLayer3, .bitrateIndex = 9, .mode = mode, .modeExtension = modeExtension}), 32);
    w.put(mainDataBegin, 9);
    w.put(0, channels == 1 ? 5 + 4 : 3 + 8);  // private bits, scfsi
    for (unsigned g = 0; g < 2; ++g) {
        for (unsigned ch = 0; ch < channels; ++ch) {
            const Granule& c = gr[g][ch];  // big_values, global gain (unity), scalefac_compress
            w.put(static_cast<uint32_t>(c.main.bits.size()), 12);
            w.put(c.bigValues << 13 | 210 << 5 | c.scalefacCompress << 1, 22);  // no window switching
            for (int region = 0; region < 3; ++region) w.put(c.bigValues != 0 ? 15 : 0, 5);
            w.put(15 << 6 | 7 << 3, 10);  // region counts 15 and 7; no preflag, scalefac_scale 0, count1 table A
        }
    }
    for (unsigned g = 0; g < 2; ++g)
        for (unsigned ch = 0; ch < channels; ++ch)
            w.bits.insert(w.bits.end(), gr[g][ch].main.bits.begin(), gr[g][ch].main.bits.end());
    return w.bytes(417);
}

// A single-channel frame of two tone granules reaching `mainDataBegin` back, with
// big_values 289 (forbidden) in the granule given.
std::vector<uint8_t> toneFrame(uint32_t mainDataBegin, int forbiddenGranule = -1) {
    Granule gr[2][2];
    tone(gr[0][0]);
    tone(gr[1][0]);
    if (forbiddenGranule >= 0) gr[forbiddenGranule][0].bigValues = 289;
    return layer3Frame(3, 0, mainDataBegin, gr);
}

TEST(Layer3Frames, ReservoirSilenceForbiddenSideInformationAndTheFramesAfterThem) {
    // Main data reaching before the stream gives silence; a forbidden granule aborts
    // its frame, whose main data still serves the next frame, which reaches 100 bytes
    // back into it.
    std::vector<uint8_t> aborted = toneFrame(0, 0);
    std::vector<uint8_t> reaching = toneFrame(100);
    const size_t sideEnd = 4 + 17;
    const std::vector<uint8_t> main(reaching.begin() + sideEnd, reaching.end());
    std::copy(main.begin(), main.begin() + 100, aborted.end() - 100);
    std::copy(main.begin() + 100, main.end(), reaching.begin() + sideEnd);
    const auto results =
        decodeFrames(concat({toneFrame(200), toneFrame(0), toneFrame(0, 1), toneFrame(0), aborted, reaching}));
    const int32_t expected[] = {kSuccess, kSuccess, kDecodeAborted, kSuccess, kDecodeAborted, kSuccess, kEndOfInput};
    ASSERT_EQ(results.size(), 7u);
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(results[i].status, expected[i]) << i;
        EXPECT_EQ(sounds(results[i].left), i > 0 && expected[i] == kSuccess) << i;
    }
}

// A joint-stereo frame coding only the left channel's values, with the right
// channel's scale factors (scalefac_compress 9: 2 bits each) all `position`.
std::vector<uint8_t> intensityFrame(uint32_t mode, uint32_t modeExtension, unsigned position) {
    Granule gr[2][2];
    for (int g = 0; g < 2; ++g) {
        tone(gr[g][0]);
        gr[g][1].scalefacCompress = 9;
        for (int band = 0; band < 21; ++band) gr[g][1].main.put(position, 2);
    }
    return layer3Frame(mode, modeExtension, 0, gr);
}

TEST(Layer3Frames, IntensityStereoProducesTheRightChannel) {
    // Position 0 puts everything right, 3 half in each; plain stereo leaves the right silent.
    const struct {
        uint32_t mode, modeExtension;
        unsigned position;
        bool leftSound, rightSound;
    } cases[] = {{1, 1, 0, false, true}, {1, 1, 3, true, true}, {0, 0, 3, true, false}};
    for (const auto& c : cases) {
        const auto frames = decodeFrames(intensityFrame(c.mode, c.modeExtension, c.position));
        ASSERT_EQ(frames.size(), 2u);
        ASSERT_EQ(frames[0].status, kSuccess);
        EXPECT_EQ(sounds(frames[0].left), c.leftSound) << &c - cases;
        EXPECT_EQ(sounds(frames[0].right), c.rightSound) << &c - cases;
        if (c.position == 3 && c.mode == 1) {
            EXPECT_EQ(frames[0].left, frames[0].right);
        }
    }
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
