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
    if (found == decoder::kDecodeAborted) continue;
    if (found != decoder::kSuccess) break;
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

void append(std::vector<uint8_t>& stream, const std::vector<uint8_t>& frame) {
  stream.insert(stream.end(), frame.begin(), frame.end());
}

TEST(Layer3Frames, ReservoirReachingBeforeTheStreamGivesSilenceThenDecoding) {
  std::vector<uint8_t> stream;
  GranuleCode first[2][2];
  toneGranule(first[0][0]);
  toneGranule(first[1][0]);
  append(stream, layer3Frame(layer3Header(3), 200, first));  // nothing earlier to reach back to
  GranuleCode second[2][2];
  toneGranule(second[0][0]);
  toneGranule(second[1][0]);
  append(stream, layer3Frame(layer3Header(3), 0, second));

  const std::vector<FrameResult> results = decodeStream(stream);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].status, decoder::kSuccess);
  ASSERT_EQ(results[0].left.size(), 1152u);
  for (int16_t s : results[0].left) ASSERT_EQ(s, 0);
  EXPECT_EQ(results[1].status, decoder::kSuccess);
  ASSERT_EQ(results[1].left.size(), 1152u);
  EXPECT_GT(energy(results[1].left), 1e6);
}

TEST(Layer3Frames, BigValues289AbortsTheFrameAndTheNextOneDecodes) {
  std::vector<uint8_t> stream;
  GranuleCode bad[2][2];
  toneGranule(bad[0][0]);
  toneGranule(bad[1][0]);
  bad[1][0].info.bigValues = 289;
  append(stream, layer3Frame(layer3Header(3), 0, bad));
  GranuleCode good[2][2];
  toneGranule(good[0][0]);
  toneGranule(good[1][0]);
  append(stream, layer3Frame(layer3Header(3), 0, good));

  const std::vector<FrameResult> results = decodeStream(stream);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].status, decoder::kDecodeAborted);
  EXPECT_TRUE(results[0].left.empty());
  EXPECT_EQ(results[1].status, decoder::kSuccess);
  ASSERT_EQ(results[1].left.size(), 1152u);
  EXPECT_GT(energy(results[1].left), 1e6);
}

TEST(Layer3Frames, AnAbortedFramesMainDataStaysInTheReservoir) {
  // The second frame's main data begins 100 bytes back, inside the first frame,
  // whose side information is forbidden.
  GranuleCode bad[2][2];
  toneGranule(bad[0][0]);
  toneGranule(bad[1][0]);
  bad[0][0].info.bigValues = 289;
  std::vector<uint8_t> first = layer3Frame(layer3Header(3), 0, bad);

  GranuleCode good[2][2];
  toneGranule(good[0][0]);
  toneGranule(good[1][0]);
  std::vector<uint8_t> second = layer3Frame(layer3Header(3), 100, good);
  const size_t sideEnd = 4 + 17;
  // Move the second frame's main data 100 bytes back across the frame boundary.
  std::vector<uint8_t> main(second.begin() + sideEnd, second.end());
  std::copy(main.begin(), main.begin() + 100, first.end() - 100);
  std::copy(main.begin() + 100, main.end(), second.begin() + sideEnd);

  std::vector<uint8_t> stream = first;
  append(stream, second);
  const std::vector<FrameResult> results = decodeStream(stream);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].status, decoder::kDecodeAborted);
  EXPECT_EQ(results[1].status, decoder::kSuccess);
  EXPECT_GT(energy(results[1].left), 1e6);
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
  ASSERT_EQ(results[0].status, decoder::kSuccess);
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
      append(stream, bytes);
    }
    const std::vector<FrameResult> results = decodeStream(stream);
    EXPECT_EQ(results.size(), 60u);
    for (const FrameResult& r : results) {
      EXPECT_TRUE(r.status == decoder::kSuccess || r.status == decoder::kDecodeAborted);
      if (r.status == decoder::kSuccess) {
        EXPECT_EQ(r.left.size(), version == 1 ? 1152u : 576u);
      }
    }
  }
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
