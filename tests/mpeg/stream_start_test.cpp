#include <gtest/gtest.h>

#include <cstring>

#include "bit_writer.h"
#include "stream_start.h"

namespace sonidrax::mpeg::testing {
namespace {

// The first 152 bytes of a stream: a frame header and, at the tag position (after the
// side information), the given tag bytes.
std::vector<uint8_t> streamStart(const HeaderFields& f, const std::vector<uint8_t>& tag) {
  std::vector<uint8_t> bytes;
  appendWord(bytes, headerWord(f));
  const uint32_t side = sideInfoLength(unpackHeader(headerWord(f)));
  bytes.resize(4 + side, 0);
  bytes.insert(bytes.end(), tag.begin(), tag.end());
  bytes.resize(kStreamStartBytes, 0);
  return bytes;
}

HeaderFields layer3At128() {
  HeaderFields f;
  f.layer = kLayer3;
  f.bitrateIndex = 9;  // 128 kbit/s
  f.mode = 1;
  return f;
}

std::vector<uint8_t> xing(const char* name, uint32_t flags, uint32_t frames, bool withBytes = false) {
  std::vector<uint8_t> tag(name, name + 4);
  appendWord(tag, flags);
  if (flags & 1) appendWord(tag, frames);
  if (flags & 2 || withBytes) appendWord(tag, 123456);
  if (flags & 4)
    for (int i = 0; i < 100; ++i) tag.push_back(static_cast<uint8_t>(i * 2));
  return tag;
}

TEST(StreamStart, ConstantBitRateDurationComesFromTheDataLength) {
  const auto bytes = streamStart(layer3At128(), {});
  StreamStart start;
  ASSERT_TRUE(analyseStreamStart(1600000, bytes.data(), kStreamStartBytes, start));
  EXPECT_EQ(start.durationMs, 100000u);
  EXPECT_EQ(start.params.bitrate, 128u);
  EXPECT_EQ(start.params.sampleRate, 44100u);
  EXPECT_EQ(start.params.layerNumber, 3u);
  EXPECT_EQ(start.params.level, 1u);
  EXPECT_EQ(start.params.mode, 1u);
  EXPECT_FALSE(start.vbr);
  EXPECT_FALSE(start.hasSeekTable);
}

TEST(StreamStart, FailsWithoutAValidHeaderAtTheVeryStart) {
  auto bytes = streamStart(layer3At128(), {});
  bytes.insert(bytes.begin(), 0x00);  // nothing is searched
  StreamStart start;
  EXPECT_FALSE(analyseStreamStart(1000, bytes.data(), kStreamStartBytes, start));
  HeaderFields freeFormat = layer3At128();
  freeFormat.bitrateIndex = 0;
  bytes = streamStart(freeFormat, {});
  EXPECT_FALSE(analyseStreamStart(1000, bytes.data(), kStreamStartBytes, start));
}

TEST(StreamStart, XingFrameCountGivesDurationAndMeanBitRate) {
  const auto bytes = streamStart(layer3At128(), xing("Xing", 1 | 2 | 4, 1000));
  StreamStart start;
  ASSERT_TRUE(analyseStreamStart(4000000, bytes.data(), kStreamStartBytes, start));
  // 1000 frames of 1152 samples at 44100 Hz
  EXPECT_EQ(start.durationMs, 26122u);
  EXPECT_EQ(start.params.bitrate, 4000000u / 26122u * 8u);
  EXPECT_TRUE(start.vbr);
  ASSERT_TRUE(start.hasSeekTable);
  EXPECT_EQ(start.seekTable[0], 0);
  EXPECT_EQ(start.seekTable[99], 198);
}

TEST(StreamStart, XingWithZeroFramesGivesZeroDurationAndBitRate) {
  const auto bytes = streamStart(layer3At128(), xing("Xing", 1, 0));
  StreamStart start;
  ASSERT_TRUE(analyseStreamStart(1600000, bytes.data(), kStreamStartBytes, start));
  EXPECT_EQ(start.durationMs, 0u);
  EXPECT_EQ(start.params.bitrate, 0u);
  EXPECT_TRUE(start.vbr);
}

TEST(StreamStart, XingWithoutFrameCountKeepsTheConstantRateFigures) {
  const auto bytes = streamStart(layer3At128(), xing("Xing", 0, 0));
  StreamStart start;
  ASSERT_TRUE(analyseStreamStart(1600000, bytes.data(), kStreamStartBytes, start));
  EXPECT_EQ(start.durationMs, 100000u);
  EXPECT_FALSE(start.vbr);
}

TEST(StreamStart, LameTagIsReadLikeXingButInfoIsNot) {
  StreamStart start;
  auto bytes = streamStart(layer3At128(), xing("Lame", 1, 100));
  ASSERT_TRUE(analyseStreamStart(1600000, bytes.data(), kStreamStartBytes, start));
  EXPECT_TRUE(start.vbr);
  EXPECT_EQ(start.durationMs, 2612u);
  bytes = streamStart(layer3At128(), xing("Info", 1, 100));
  ASSERT_TRUE(analyseStreamStart(1600000, bytes.data(), kStreamStartBytes, start));
  EXPECT_FALSE(start.vbr);
  EXPECT_EQ(start.durationMs, 100000u);
}

TEST(StreamStart, VbriFrameCountIsReadAtItsOffset) {
  std::vector<uint8_t> tag = {'V', 'B', 'R', 'I'};
  tag.resize(14, 0);
  appendWord(tag, 500);
  HeaderFields f = layer3At128();
  f.version = 0;  // MPEG-2: 576 samples per frame at 22050 Hz
  f.bitrateIndex = 8;
  const auto bytes = streamStart(f, tag);
  StreamStart start;
  ASSERT_TRUE(analyseStreamStart(800000, bytes.data(), kStreamStartBytes, start));
  EXPECT_TRUE(start.vbr);
  EXPECT_EQ(start.durationMs, 13061u);
}

TEST(StreamStart, FieldsBeyondTheAnalysedBytesAreIgnored) {
  // A single-channel MPEG-2 header puts the tag early; with every flag the fields end
  // well inside 152 bytes. Cut the bytes short in every place instead.
  const auto full = streamStart(layer3At128(), xing("Xing", 1 | 2 | 4, 1000));
  for (uint32_t count = 0; count <= kStreamStartBytes; ++count) {
    std::vector<uint8_t> cut(full.begin(), full.begin() + count);
    StreamStart start;
    const bool ok = analyseStreamStart(1600000, cut.data(), count, start);
    EXPECT_EQ(ok, count >= 4) << count;
    if (count < kStreamStartBytes) {
      EXPECT_FALSE(start.hasSeekTable) << count;
    }
  }
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
