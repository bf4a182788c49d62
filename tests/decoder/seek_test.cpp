// Seeking by bytes, position, seconds and timecode; the seconds-to-timecode rule.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

class SeekTest : public DecoderTest {
protected:
    // A 10000-byte stream of 1000-byte blocks.
    void Open(const TestCodecOptions& codecOptions = {}, const MemoryInputOptions& inputOptions = {}) {
        std::vector<std::uint8_t> bytes(10000);
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i / 1000);
        MemoryInputs::Put("mem:ten", bytes);
        TestCodecOptions options = codecOptions;
        options.blockBytes = 1000;
        options.maxOutputBytes = 1000;
        const InputModule input = MakeMemoryInput(inputOptions);
        const CodecModule codec = MakeTestCodec(options);
        ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
        ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
        ASSERT_EQ(SelectInput(decoder, "mem:ten", 0), kSuccess);
        ASSERT_EQ(OpenInput(decoder), kSuccess);
        CodecEvents().clear();
    }

    // The block the next decode delivers, by its fill byte.
    int NextBlock() {
        if (Decode(decoder, nullptr) != kSuccess) return -1;
        return reinterpret_cast<const std::uint8_t*>(decoder->outputBuffer.pcm)[10];
    }
};

TEST_F(SeekTest, SeekingBytesTellsTheCodecThenMovesTheInput) {
    Open({.durationMs = 20000});
    ASSERT_EQ(SeekBytes(decoder, 3000), kSuccess);
    EXPECT_EQ(CodecEvents(), (std::vector<std::string>{"codec:seekDone 3000"}));
    EXPECT_EQ(decoder->input.bytesConsumed, 3000u);
    EXPECT_FLOAT_EQ(decoder->status.position, 0.3f);
    EXPECT_EQ(decoder->status.timecode.seconds, 6);
    EXPECT_EQ(NextBlock(), 3);
}

TEST_F(SeekTest, SeekingBeyondTheSizeSeeksToTheEnd) {
    Open();
    ASSERT_EQ(SeekBytes(decoder, 25000), kSuccess);
    EXPECT_EQ(decoder->input.bytesConsumed, 10000u);
    EXPECT_FLOAT_EQ(decoder->status.position, 1.0f);
    EXPECT_EQ(Decode(decoder, nullptr), kEndOfInput);
    ASSERT_EQ(SeekBytes(decoder, 0xFFFFFFFFu), kSuccess);
    EXPECT_EQ(decoder->input.bytesConsumed, 10000u);
}

TEST_F(SeekTest, AnUnseekableInputRefuses) {
    Open({}, {.seekable = false});
    EXPECT_EQ(SeekBytes(decoder, 10), kNotAvailable);
    EXPECT_EQ(SeekPosition(decoder, 0.5f), kNotAvailable);
    EXPECT_EQ(SeekSeconds(decoder, 1.0f), kNotAvailable);
    EXPECT_TRUE(CodecEvents().empty());
    EXPECT_EQ(NextBlock(), 0);  // nothing moved
}

TEST_F(SeekTest, AnInputOfUnknownSizeRefuses) {
    Open({}, {.reportsSize = false});
    EXPECT_EQ(SeekBytes(decoder, 10), kNotAvailable);
}

TEST_F(SeekTest, TheCodecMayMapTheByteOffsetToAPosition) {
    Open({.durationMs = 10000, .withPositionOfOffset = true});
    ASSERT_EQ(SeekBytes(decoder, 2000), kSuccess);
    EXPECT_FLOAT_EQ(decoder->status.position, 0.4f);  // twice the share, by the test codec
    EXPECT_EQ(decoder->status.timecode.seconds, 4);
}

TEST_F(SeekTest, PositionsAreClampedToTheStream) {
    Open();
    ASSERT_EQ(SeekPosition(decoder, 1.5f), kSuccess);
    EXPECT_EQ(decoder->input.bytesConsumed, 10000u);
    ASSERT_EQ(SeekPosition(decoder, -0.5f), kSuccess);
    EXPECT_EQ(decoder->input.bytesConsumed, 0u);
    ASSERT_EQ(SeekPosition(decoder, std::numeric_limits<float>::quiet_NaN()), kSuccess);
    EXPECT_EQ(decoder->input.bytesConsumed, 0u);
    ASSERT_EQ(SeekPosition(decoder, 0.75f), kSuccess);
    EXPECT_EQ(decoder->input.bytesConsumed, 7500u);
}

TEST_F(SeekTest, TheCodecMayMapThePositionToAnOffset) {
    Open({.withOffsetOfPosition = true, .offsetOfPositionScale = 0.5f});
    ASSERT_EQ(SeekPosition(decoder, 0.8f), kSuccess);
    EXPECT_EQ(CodecEvents().front(), "codec:offsetOfPosition");
    EXPECT_EQ(decoder->input.bytesConsumed, 4000u);
    EXPECT_EQ(NextBlock(), 4);
}

TEST_F(SeekTest, AMappedPositionOutsideTheStreamIsClamped) {
    Open({.withOffsetOfPosition = true, .offsetOfPositionScale = 3.0f});
    ASSERT_EQ(SeekPosition(decoder, 0.9f), kSuccess);
    EXPECT_EQ(decoder->input.bytesConsumed, 10000u);
}

TEST_F(SeekTest, SecondsNeedAKnownDuration) {
    Open({.withStreamInfo = false});
    ASSERT_EQ(SeekBytes(decoder, 5000), kSuccess);
    ASSERT_EQ(SeekSeconds(decoder, 3.0f), kSuccess);  // duration unknown: the start
    EXPECT_EQ(decoder->input.bytesConsumed, 0u);
}

TEST_F(SeekTest, SecondsSeekByTheirShareOfTheDuration) {
    Open({.durationMs = 20000});
    ASSERT_EQ(SeekSeconds(decoder, 5.0f), kSuccess);
    EXPECT_EQ(decoder->input.bytesConsumed, 2500u);
    ASSERT_EQ(SeekSeconds(decoder, -5.0f), kSuccess);
    EXPECT_EQ(decoder->input.bytesConsumed, 0u);
    ASSERT_EQ(SeekSeconds(decoder, 100.0f), kSuccess);
    EXPECT_EQ(decoder->input.bytesConsumed, 10000u);
}

TEST_F(SeekTest, TimecodesSeekByTheirSeconds) {
    Open({.durationMs = 200000});
    const Timecode t{0, 1, 0, 50};  // 60.5 s of 200 s
    ASSERT_EQ(SeekTimecode(decoder, &t), kSuccess);
    EXPECT_EQ(decoder->input.bytesConsumed, 3025u);
    EXPECT_EQ(SeekTimecode(decoder, nullptr), kInvalidParameters);
    const Timecode huge{2000000000, 2000000000, 0, 0};
    ASSERT_EQ(SeekTimecode(decoder, &huge), kSuccess);
    EXPECT_EQ(decoder->input.bytesConsumed, 10000u);
}

TEST(SecondsToTimecode, SplitsHoursMinutesSecondsAndHundredths) {
    const Timecode t = SecondsToTimecode(3725.5);
    EXPECT_EQ(t.hours, 1);
    EXPECT_EQ(t.minutes, 2);
    EXPECT_EQ(t.seconds, 5);
    EXPECT_EQ(t.hundredths, 50);

    const Timecode minute = SecondsToTimecode(59.99);
    EXPECT_EQ(minute.minutes, 0);
    EXPECT_EQ(minute.seconds, 59);
    EXPECT_EQ(minute.hundredths, 99);

    const Timecode day = SecondsToTimecode(86400.25);
    EXPECT_EQ(day.hours, 24);
    EXPECT_EQ(day.minutes, 0);
    EXPECT_EQ(day.hundredths, 25);
}

TEST(SecondsToTimecode, NonsenseGivesZero) {
    for (double s : {-1.0, std::nan(""), 0.0}) {
        const Timecode t = SecondsToTimecode(s);
        EXPECT_EQ(t.hours + t.minutes + t.seconds + t.hundredths, 0);
    }
    const Timecode inf = SecondsToTimecode(std::numeric_limits<double>::infinity());
    EXPECT_GT(inf.hours, 0);
}

}  // namespace
}  // namespace sonidrax::decoder::testing
