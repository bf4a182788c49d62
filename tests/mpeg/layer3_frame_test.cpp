// Whole Layer III frames through the frame reader, the decoder and the synthesis:
// the reservoir's silence, forbidden side information, intensity stereo reaching
// the right channel, and corrupt frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "decoder/status.h"
#include "frame_reader.h"
#include "layer3_decoder.h"
#include "layer3_stream.h"
#include "memory_source.h"
#include "synthesis.h"

namespace sonidrax::mpeg::testing {
namespace {

using decoder::kDecodeAborted;
using decoder::kSuccess;

HeaderFields layer3Header(uint32_t mode, uint32_t modeExtension = 0) {
    HeaderFields f;
    f.version = 1;
    f.layer = 1;
    f.bitrateIndex = 9;  // 128 kbit/s: 417 bytes at 44100 Hz
    f.mode = mode;
    f.modeExtension = modeExtension;
    return f;
}

// A granule whose first 40 values are a fixed pattern, coded with table 15.
void toneGranule(GranuleCode& code) {
    code.info = unityLongGranule(15, 20);
    for (int p = 0; p < 20; ++p) encodePair(code.main, 15, (p % 5) + 1, -((p % 3) + 2));
}

struct FrameResult {
    int32_t status;
    std::vector<int16_t> left;
    std::vector<int16_t> right;
};

std::vector<FrameResult> decodeStream(const std::vector<uint8_t>& bytes) {
    MemorySource source(bytes);
    FrameReader reader(source.source());
    Layer3Decoder decoder;
    SynthesisChannel left, right;
    std::vector<FrameResult> results;
    FrameHeader header;
    for (;;) {
        const int32_t found = reader.nextFrame(header);
        if (found == kDecodeAborted) continue;
        if (found != kSuccess) break;
        std::vector<int16_t> pcm(2 * 1152, 0x5555);
        const bool mono = header.mode == 3;
        left.setOutput(pcm.data(), mono ? 1 : 2);
        right.setOutput(pcm.data() + 1, 2);
        const OutputChannels out{&left, mono ? nullptr : &right};
        FrameResult r;
        r.status = decoder.decodeFrame(reader, header, out);
        const size_t written = static_cast<size_t>(left.outputPosition() - pcm.data());
        for (size_t i = 0; i < written; i += mono ? 1 : 2) {
            r.left.push_back(pcm[i]);
            if (!mono) r.right.push_back(pcm[i + 1]);
        }
        results.push_back(std::move(r));
    }
    return results;
}

double energy(const std::vector<int16_t>& samples) {
    double sum = 0.0;
    for (int16_t s : samples) sum += double(s) * s;
    return sum;
}

// A single-channel frame of two tone granules reaching `mainDataBegin` back, with
// big_values 289 (forbidden) in the granule given.
std::vector<uint8_t> toneFrame(uint32_t mainDataBegin, int forbiddenGranule = -1) {
    GranuleCode gr[2][2];
    toneGranule(gr[0][0]);
    toneGranule(gr[1][0]);
    if (forbiddenGranule >= 0) gr[forbiddenGranule][0].info.bigValues = 289;
    return layer3Frame(layer3Header(3), mainDataBegin, gr);
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
    std::vector<uint8_t> stream = toneFrame(200);
    for (const auto& frame : {toneFrame(0), toneFrame(0, 1), toneFrame(0), aborted, reaching}) {
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    const std::vector<FrameResult> results = decodeStream(stream);
    const int32_t expected[] = {kSuccess, kSuccess, kDecodeAborted, kSuccess, kDecodeAborted, kSuccess};
    ASSERT_EQ(results.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(results[i].status, expected[i]) << i;
        EXPECT_EQ(results[i].left.size(), expected[i] == kSuccess ? 1152u : 0u) << i;
        if (i > 0 && expected[i] == kSuccess) EXPECT_GT(energy(results[i].left), 1e6) << i;
    }
    EXPECT_EQ(energy(results[0].left), 0.0);
}

// A joint-stereo frame coding only the left channel's values, with the right
// channel's scale factors all set to `position` (scalefac_compress 9: 2 bits each).
std::vector<uint8_t> intensityFrame(uint32_t mode, uint32_t modeExtension, unsigned position) {
    GranuleCode gr[2][2];
    for (int g = 0; g < 2; ++g) {
        toneGranule(gr[g][0]);
        GranuleCode& right = gr[g][1];
        right.info = unityLongGranule(1, 0);
        right.info.scalefacCompress = 9;
        for (int band = 0; band < 21; ++band) right.main.put(position, 2);
    }
    return layer3Frame(layer3Header(mode, modeExtension), 0, gr);
}

TEST(Layer3Frames, IntensityStereoProducesTheRightChannel) {
    // Position 0 puts everything into the right channel.
    std::vector<FrameResult> results = decodeStream(intensityFrame(1, 1, 0));
    ASSERT_EQ(results.size(), 1u);
    ASSERT_EQ(results[0].status, kSuccess);
    EXPECT_GT(energy(results[0].right), 1e6);
    EXPECT_EQ(energy(results[0].left), 0.0);

    // Position 3 splits it evenly: both channels the same.
    results = decodeStream(intensityFrame(1, 1, 3));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_GT(energy(results[0].left), 1e6);
    EXPECT_EQ(results[0].left, results[0].right);

    // Plain stereo with the same bits: the right channel is silent.
    results = decodeStream(intensityFrame(0, 0, 3));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(energy(results[0].right), 0.0);
    EXPECT_GT(energy(results[0].left), 1e6);
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
            HeaderFields f = layer3Header(next() % 4, next() % 4);
            f.version = version;
            f.bitrateIndex = 1 + next() % 14;
            std::vector<uint8_t> bytes;
            appendWord(bytes, headerWord(f));
            bytes.resize(frameLength(unpackHeader(headerWord(f))));
            for (size_t i = 4; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(next());
            stream.insert(stream.end(), bytes.begin(), bytes.end());
        }
        const std::vector<FrameResult> results = decodeStream(stream);
        EXPECT_EQ(results.size(), 60u);
        for (const FrameResult& r : results) {
            EXPECT_TRUE(r.status == kSuccess || r.status == kDecodeAborted);
            if (r.status == kSuccess) {
                EXPECT_EQ(r.left.size(), version == 1 ? 1152u : 576u);
            }
        }
    }
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
