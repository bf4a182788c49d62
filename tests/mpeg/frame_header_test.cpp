#include <gtest/gtest.h>

#include "bit_writer.h"
#include "frame_header.h"

namespace sonidrax::mpeg::testing {
namespace {

FrameHeader header(const HeaderFields& fields) { return unpackHeader(headerWord(fields)); }

TEST(FrameHeader, UnpacksEveryFieldFromItsBits) {
  const FrameHeader h = unpackHeader(0xFFFB9264u);  // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, joint stereo
  EXPECT_EQ(h.version, kVersionMpeg1);
  EXPECT_EQ(h.layer, kLayer3);
  EXPECT_EQ(h.protection, 1u);
  EXPECT_EQ(h.bitrateIndex, 9u);
  EXPECT_EQ(h.samplingIndex, 0u);
  EXPECT_EQ(h.padding, 1u);
  EXPECT_EQ(h.mode, 1u);
  EXPECT_EQ(h.modeExtension, 2u);
  EXPECT_EQ(h.original, 1u);
  EXPECT_EQ(unpackHeader(0xFFE30000u).version, kVersionMpeg25);
  EXPECT_EQ(unpackHeader(0xFFEB0000u).version, 3u);  // reserved
}

TEST(FrameHeader, PaddingIsValidOnlyAtTheFirstSamplingFrequency) {
  HeaderFields f;
  f.padding = 1;
  EXPECT_TRUE(isValidHeader(header(f)));  // 44100 Hz
  f.samplingIndex = 1;
  EXPECT_FALSE(isValidHeader(header(f)));  // 48000 Hz
  f.samplingIndex = 2;
  EXPECT_FALSE(isValidHeader(header(f)));  // 32000 Hz
}

TEST(FrameHeader, RejectsFreeFormatAndReservedValues) {
  HeaderFields f;
  EXPECT_TRUE(isValidHeader(header(f)));
  f.bitrateIndex = 0;  // free format
  EXPECT_FALSE(isValidHeader(header(f)));
  f.bitrateIndex = 15;
  EXPECT_FALSE(isValidHeader(header(f)));
  f = HeaderFields{};
  f.samplingIndex = 3;
  EXPECT_FALSE(isValidHeader(header(f)));
  f = HeaderFields{};
  f.layer = 0;
  EXPECT_FALSE(isValidHeader(header(f)));
  f = HeaderFields{};
  f.version = 3;
  EXPECT_FALSE(isValidHeader(header(f)));
}

TEST(FrameHeader, Mpeg25IsLayerThreeOnly) {
  HeaderFields f;
  f.version = 2;
  f.samplingIndex = 2;  // 8000 Hz
  f.bitrateIndex = 1;
  f.layer = kLayer1;
  EXPECT_FALSE(isValidHeader(header(f)));
  f.layer = kLayer2;
  EXPECT_FALSE(isValidHeader(header(f)));
  f.layer = kLayer3;
  EXPECT_TRUE(isValidHeader(header(f)));
  EXPECT_EQ(sampleRateOf(header(f)), 8000u);
  EXPECT_EQ(paramsOf(header(f)).level, 0u);
}

TEST(FrameHeader, Mpeg1LayerTwoAllowsOnlyTheStandardsRateAndModeCombinations) {
  HeaderFields f;
  for (uint32_t index : {1u, 2u, 3u, 5u}) {
    f.bitrateIndex = index;
    f.mode = 0;
    EXPECT_FALSE(isValidHeader(header(f))) << index;
    f.mode = 3;
    EXPECT_TRUE(isValidHeader(header(f))) << index;
  }
  for (uint32_t index : {11u, 12u, 13u, 14u}) {
    f.bitrateIndex = index;
    f.mode = 3;
    EXPECT_FALSE(isValidHeader(header(f))) << index;
    f.mode = 2;
    EXPECT_TRUE(isValidHeader(header(f))) << index;
  }
  // The lower sampling frequencies have no such restriction.
  f.version = 0;
  f.bitrateIndex = 1;
  f.mode = 0;
  EXPECT_TRUE(isValidHeader(header(f)));
}

TEST(FrameHeader, FrameLengthsFollowEachLayersRule) {
  HeaderFields f;  // Layer II, 128 kbit/s, 44100 Hz
  EXPECT_EQ(frameLength(header(f)), 417u);
  f.padding = 1;
  EXPECT_EQ(frameLength(header(f)), 418u);
  f = HeaderFields{};
  f.layer = kLayer1;
  f.bitrateIndex = 1;  // 32 kbit/s: (32 * 12000 / 44100) * 4 = 8 * 4
  EXPECT_EQ(frameLength(header(f)), 32u);
  f.padding = 1;
  EXPECT_EQ(frameLength(header(f)), 36u);  // a Layer I slot is four bytes
  f = HeaderFields{};
  f.version = 0;
  f.layer = kLayer3;
  f.bitrateIndex = 8;  // 64 kbit/s at 22050 Hz: half of 64 * 125 * 1152 / 22050
  EXPECT_EQ(frameLength(header(f)), 208u);
  f.version = 2;
  f.samplingIndex = 2;
  f.bitrateIndex = 1;  // 8 kbit/s at 8000 Hz
  EXPECT_EQ(frameLength(header(f)), 72u);
}

TEST(FrameHeader, SideInformationAndSamplesPerFrameDependOnVersionAndChannels) {
  HeaderFields f;
  f.layer = kLayer3;
  EXPECT_EQ(sideInfoLength(header(f)), 32u);
  EXPECT_EQ(samplesPerFrame(header(f)), 1152u);
  f.mode = 3;
  EXPECT_EQ(sideInfoLength(header(f)), 17u);
  f.version = 0;
  EXPECT_EQ(sideInfoLength(header(f)), 9u);
  EXPECT_EQ(samplesPerFrame(header(f)), 576u);
  f.mode = 1;
  EXPECT_EQ(sideInfoLength(header(f)), 17u);
  f.layer = kLayer1;
  EXPECT_EQ(samplesPerFrame(header(f)), 384u);
  f.layer = kLayer2;
  EXPECT_EQ(samplesPerFrame(header(f)), 1152u);
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
