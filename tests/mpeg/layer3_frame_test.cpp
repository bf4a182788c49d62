// Whole Layer III frames built from the standard's code tables, decoded through the
// codec: the reservoir's silence, forbidden side information, intensity stereo
// reaching the right channel, and corrupt frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "layer3_huffman_codes.h"
#include "library_decoder.h"
#include "stream_bits.h"

namespace sonidrax::mpeg::testing {
namespace {

using decoder::kDecodeAborted;
using decoder::kEndOfInput;
using decoder::kSuccess;

// One granule and channel: long blocks, global gain 210 (unity), the same table in
// every region, and its main data (part2_3_length is their length).
struct Granule {
    uint32_t bigValues = 0;
    uint32_t tableSelect = 0;
    uint32_t scalefacCompress = 0;
    BitWriter main;
};

// A pair coded with table 15 (no escapes), signs after the code word.
void encodePair(BitWriter& w, int x, int y) {
    const HuffmanCodeTable& table = huffmanCodeTable(12);
    const unsigned index = static_cast<unsigned>(std::abs(x)) * table.size + static_cast<unsigned>(std::abs(y));
    w.put(table.codes[index], table.lengths[index]);
    if (x != 0) w.put(x < 0, 1);
    if (y != 0) w.put(y < 0, 1);
}

// The first 40 values a fixed pattern.
void tone(Granule& g) {
    g.bigValues = 20;
    g.tableSelect = 15;
    for (int p = 0; p < 20; ++p) encodePair(g.main, (p % 5) + 1, -((p % 3) + 2));
}

// An MPEG-1 frame at 128 kbit/s and 44100 Hz (417 bytes) holding its granules' main data.
std::vector<uint8_t> layer3Frame(uint32_t mode, uint32_t modeExtension, uint32_t mainDataBegin, Granule (&gr)[2][2]) {
    HeaderFields f;
    f.layer = kLayer3;
    f.bitrateIndex = 9;
    f.mode = mode;
    f.modeExtension = modeExtension;
    const unsigned channels = mode == 3 ? 1 : 2;
    BitWriter w;
    w.put(headerWord(f), 32);
    w.put(mainDataBegin, 9);
    w.put(0, channels == 1 ? 5 + 4 : 3 + 8);  // private bits, scfsi
    for (unsigned g = 0; g < 2; ++g) {
        for (unsigned ch = 0; ch < channels; ++ch) {
            const Granule& c = gr[g][ch];
            w.put(static_cast<uint32_t>(c.main.bitCount()), 12);
            w.put(c.bigValues, 9);
            w.put(210, 8);
            w.put(c.scalefacCompress, 4);
            w.put(0, 1);  // no window switching
            for (int region = 0; region < 3; ++region) w.put(c.tableSelect, 5);
            w.put(15, 4);  // region0_count
            w.put(7, 3);   // region1_count
            w.put(0, 3);   // preflag, scalefac_scale, count1table_select
        }
    }
    for (unsigned g = 0; g < 2; ++g) {
        for (unsigned ch = 0; ch < channels; ++ch) {
            const BitWriter& main = gr[g][ch].main;
            for (size_t bit = 0; bit < main.bitCount(); ++bit) w.put((main.bytes()[bit / 8] >> (7 - bit % 8)) & 1u, 1);
        }
    }
    w.padTo(417);
    return w.bytes();
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

TEST(Layer3Frames, CorruptFramesStayInsideTheirBuffers) {
    // Valid headers with random bodies: every side-information field, main-data
    // pointer and Huffman stream is garbage. Each frame either decodes or aborts.
    uint32_t seed = 99;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (uint32_t version : {1u, 0u, 2u}) {
        std::vector<uint8_t> stream;
        for (int frame = 0; frame < 60; ++frame) {
            HeaderFields f;
            f.version = version;
            f.layer = kLayer3;
            f.mode = next() % 4;
            f.modeExtension = next() % 4;
            f.bitrateIndex = 1 + next() % 14;
            appendWord(stream, headerWord(f));
            for (uint32_t i = 4; i < frameLength(headerOf(f)); ++i) stream.push_back(static_cast<uint8_t>(next()));
        }
        const auto frames = decodeFrames(stream);
        ASSERT_EQ(frames.size(), 61u);
        for (const DecodedFrame& d : frames)
            EXPECT_EQ(d.left.size(), d.status == kSuccess ? (version == 1 ? 1152u : 576u) : 0u);
    }
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
