// Decoding frame by frame, decoding into an output, and aborting a decode.
#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

class DecodeTest : public DecoderTest {
protected:
    // Registers the memory input and a test codec and opens the named stream.
    void Open(const std::vector<std::uint8_t>& bytes, const TestCodecOptions& codecOptions = {},
              const MemoryInputOptions& inputOptions = {}) {
        MemoryInputs::Put("mem:stream", bytes);
        const InputModule input = MakeMemoryInput(inputOptions);
        const CodecModule codec = MakeTestCodec(codecOptions);
        ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
        ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
        ASSERT_EQ(SelectInput(decoder, "mem:stream", kAutomaticModule), kSuccess);
        ASSERT_EQ(OpenInput(decoder), kSuccess);
    }

    void OpenOutputModule(const RecordingOutputOptions& options = {}) {
        const OutputModule output = MakeRecordingOutput(options);
        ASSERT_EQ(RegisterOutputModule(decoder, &output), 0);
        ASSERT_EQ(SelectOutput(decoder, "recorder", kAutomaticModule), kSuccess);
        ASSERT_EQ(OpenOutput(decoder), kSuccess);
    }

    std::vector<std::uint8_t> DecodedBytes() const {
        const OutputBuffer& out = decoder->outputBuffer;
        const auto* p = reinterpret_cast<const std::uint8_t*>(out.pcm);
        return {p, p + out.samplesPerChannel * out.bytesPerSample * out.channels};
    }
};

TEST_F(DecodeTest, FramesComeOneByOneUntilTheEnd) {
    const auto first = Block(4608, "", 0x21);
    const auto second = Block(4608, "", 0x42);
    Open(Concat({first, second}), {.withStreamInfo = false});

    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_EQ(DecodedBytes(), first);
    EXPECT_EQ(decoder->outputBuffer.samplesPerChannel, 1152);
    EXPECT_EQ(decoder->outputBuffer.bytesPerSample, 2);
    EXPECT_EQ(decoder->input.bytesConsumed, 4608u);

    alignas(8) std::int16_t mine[2304];
    ASSERT_EQ(Decode(decoder, mine), kSuccess);
    EXPECT_EQ(decoder->outputBuffer.pcm, mine);
    EXPECT_EQ(DecodedBytes(), second);

    EXPECT_EQ(Decode(decoder, nullptr), kEndOfInput);
    EXPECT_EQ(Decode(decoder, nullptr), kEndOfInput);
}

TEST_F(DecodeTest, FormatChangesAreFlaggedAgainstThePreviousBlock) {
    Open(Concat({Block(64), Block(64), Block(64, "MONO"), Block(64)}), {.blockBytes = 64, .maxOutputBytes = 64});
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_EQ(decoder->outputBuffer.changedBits, kBytesPerSampleChanged | kChannelsChanged | kSampleRateChanged);
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_EQ(decoder->outputBuffer.changedBits, 0u);
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_EQ(decoder->outputBuffer.channels, 1);
    EXPECT_EQ(decoder->outputBuffer.samplesPerChannel, 32);
    EXPECT_EQ(decoder->outputBuffer.changedBits, kChannelsChanged | kSampleRateChanged);
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_EQ(decoder->outputBuffer.changedBits, kChannelsChanged | kSampleRateChanged);
}

TEST_F(DecodeTest, TheStatusChangedBitsBelongToOneDecode) {
    Open(Concat({Block(64), Block(64)}), {.blockBytes = 64, .maxOutputBytes = 64, .withStreamInfo = false});
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_EQ(decoder->status.changedBits, kStatusTimingChanged | kStatusMimeTypeChanged);
    EXPECT_STREQ(decoder->status.mimeType, "audio/x-test");
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_EQ(decoder->status.changedBits, 0u);
}

TEST_F(DecodeTest, PositionAndTimeFollowTheBytesConsumed) {
    // 4 blocks of 4000 bytes at 128 kbit/s (16000 bytes a second), no duration known.
    Open(Concat({Block(4000), Block(4000), Block(4000), Block(4000)}),
         {.blockBytes = 4000, .maxOutputBytes = 4000, .bitrate = 128, .withStreamInfo = false});
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_FLOAT_EQ(decoder->status.position, 0.25f);
    EXPECT_EQ(decoder->status.timecode.seconds, 0);
    EXPECT_EQ(decoder->status.timecode.hundredths, 25);
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_FLOAT_EQ(decoder->status.position, 0.75f);
    EXPECT_EQ(decoder->status.timecode.hundredths, 75);
}

TEST_F(DecodeTest, AKnownDurationGivesTheTime) {
    Open(Concat({Block(4000), Block(4000)}), {.blockBytes = 4000, .maxOutputBytes = 4000, .durationMs = 3725500 * 2});
    ASSERT_EQ(decoder->status.durationMs, 7451000u);
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_FLOAT_EQ(decoder->status.position, 0.5f);
    const Timecode& t = decoder->status.timecode;
    EXPECT_EQ(t.hours, 1);
    EXPECT_EQ(t.minutes, 2);
    EXPECT_EQ(t.seconds, 5);
    EXPECT_EQ(t.hundredths, 50);
}

TEST_F(DecodeTest, TheCodecMayMapBytesToPositionAndItIsCapped) {
    // The test codec maps offsets to twice their share of the size.
    Open(Concat({Block(64), Block(64), Block(64)}),
         {.blockBytes = 64, .maxOutputBytes = 64, .withStreamInfo = false, .withPositionOfOffset = true});
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_FLOAT_EQ(decoder->status.position, 2.0f / 3.0f);
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_FLOAT_EQ(decoder->status.position, 1.0f);
}

TEST_F(DecodeTest, AnUnknownSizeAndBitrateLeaveThePositionAtZero) {
    Open(Concat({Block(64), Block(64)}), {.blockBytes = 64, .maxOutputBytes = 64, .bitrate = 0},
         {.seekable = false, .reportsSize = false});
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_EQ(decoder->status.position, 0.0f);
    EXPECT_EQ(decoder->status.timecode.hundredths, 0);
}

TEST_F(DecodeTest, AnAbortedDecodeReturnsAndTheNextOneWorks) {
    const auto after = Block(4608, "", 0x33);
    Open(Concat({Block(4608), Block(4608, "ABRT"), after}));
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_EQ(Decode(decoder, nullptr), kDecodeAborted);
    // The codec's locals were destroyed on the way out.
    EXPECT_EQ(UnwoundLocals(), 1);
    EXPECT_EQ(decoder->input.state, kOpen);
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_EQ(DecodedBytes(), after);
    EXPECT_EQ(Decode(decoder, nullptr), kEndOfInput);
}

TEST_F(DecodeTest, AbortsOfSeparateDecodersDoNotMeet) {
    Open(Concat({Block(64, "ABRT"), Block(64)}), {.blockBytes = 64, .maxOutputBytes = 64});
    Decoder* other = nullptr;
    ASSERT_EQ(CreateDecoder(&other), kSuccess);
    const InputModule input = MakeMemoryInput();
    const CodecModule codec = MakeTestCodec({.blockBytes = 64, .maxOutputBytes = 64});
    ASSERT_EQ(RegisterInputModule(other, &input), 0);
    ASSERT_EQ(RegisterCodecModule(other, &codec), 0);
    ASSERT_EQ(SelectInput(other, "mem:stream", 0), kSuccess);
    ASSERT_EQ(OpenInput(other), kSuccess);
    EXPECT_EQ(Decode(decoder, nullptr), kDecodeAborted);
    EXPECT_EQ(Decode(other, nullptr), kDecodeAborted);
    EXPECT_EQ(Decode(other, nullptr), kSuccess);
    EXPECT_EQ(Decode(decoder, nullptr), kSuccess);
    DestroyDecoder(other);
}

Decoder* abortingDecoder = nullptr;

TEST_F(DecodeTest, NoExceptionOfTheCodecLeavesTheLibrary) {
    MemoryInputs::Put("mem:stream", Block(64));
    const InputModule input = MakeMemoryInput();
    CodecModule codec = MakeTestCodec({.blockBytes = 64, .maxOutputBytes = 64});
    codec.decode = [](void*, OutputBuffer*, DecoderStatus*) -> Status { throw std::bad_alloc(); };
    codec.seekDone = [](void*, std::uint32_t) -> Status { throw 42; };
    // An abort outside Decode ends only that codec call; streamInfo's answer is not used.
    codec.streamInfo = [](void*, DecoderStatus*) -> Status { AbortDecode(abortingDecoder); };
    abortingDecoder = decoder;
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    ASSERT_EQ(SelectInput(decoder, "mem:stream", 0), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    EXPECT_EQ(Decode(decoder, nullptr), kOutOfMemory);
    EXPECT_EQ(SeekBytes(decoder, 0), kDecodeAborted);
    EXPECT_EQ(decoder->input.state, kOpen);
}

TEST_F(DecodeTest, AnAbortOutsideEveryCodecCallEndsTheProgram) {
    EXPECT_DEATH(AbortDecode(decoder), "outside a codec call");
}

TEST_F(DecodeTest, AFailedReadEndsTheDecodeWithItsCode) {
    // The stream ends in the middle of the second block.
    Open(Concat({Block(64), Block(32)}), {.blockBytes = 64, .maxOutputBytes = 64});
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_EQ(Decode(decoder, nullptr), kEndOfInput);
    EXPECT_EQ(decoder->input.bytesConsumed, 64u);
}

TEST_F(DecodeTest, TheInternalBufferRefusesACodecThatWritesMore) {
    Open(Block(16384), {.blockBytes = 16384, .maxOutputBytes = 16384});
    EXPECT_EQ(Decode(decoder, nullptr), kInternalError);
    EXPECT_EQ(Details().back(), "codec output larger than the internal buffer");
    std::vector<std::int16_t> big(8192);
    EXPECT_EQ(Decode(decoder, big.data()), kSuccess);
}

TEST_F(DecodeTest, DecodeAndPlayNeedsAnOpenOutput) {
    Open(Block(64), {.blockBytes = 64, .maxOutputBytes = 64});
    EXPECT_EQ(DecodeAndPlay(decoder), kInternalError);
    EXPECT_EQ(Details().back(), "output not open");
    EXPECT_EQ(DecodeAndPlay(nullptr), kInvalidParameters);
    EXPECT_EQ(Decode(nullptr, nullptr), kInvalidParameters);
}

TEST_F(DecodeTest, DecodeAndPlayNeedsAnOpenInput) {
    OpenOutputModule();
    EXPECT_EQ(DecodeAndPlay(decoder), kInternalError);
    EXPECT_EQ(Details().back(), "input not open");
}

TEST_F(DecodeTest, DecodeAndPlayTellsTheFormatThenWrites) {
    Open(Concat({Block(64, "", 1), Block(64, "", 2), Block(64, "MONO")}), {.blockBytes = 64, .maxOutputBytes = 64});
    OpenOutputModule();
    ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    EXPECT_EQ(DecodeAndPlay(decoder), kEndOfInput);
    EXPECT_EQ(Recorded().events,
              (std::vector<std::string>{"new", "open", "setFormat 2 44100 2 bits 7", "write 64 2 2 44100",
                                        "write 64 2 2 44100", "setFormat 2 22050 1 bits 6", "write 64 2 1 22050"}));
    EXPECT_EQ(Recorded().bytes, Concat({Block(64, "", 1), Block(64, "", 2), Block(64, "MONO")}));
    EXPECT_EQ(decoder->outputBuffer.outputValue, 0);
}

TEST_F(DecodeTest, AnOutputThatRefusesTheFormatGetsNoBlock) {
    Open(Block(64), {.blockBytes = 64, .maxOutputBytes = 64});
    OpenOutputModule({.setFormatResult = kNoOutputModuleAccepts});
    EXPECT_EQ(DecodeAndPlay(decoder), kNoOutputModuleAccepts);
    EXPECT_TRUE(Recorded().writeSizes.empty());
}

TEST_F(DecodeTest, OtherFormatAnswersAreIgnored) {
    Open(Block(64), {.blockBytes = 64, .maxOutputBytes = 64});
    OpenOutputModule({.setFormatResult = -3});
    EXPECT_EQ(DecodeAndPlay(decoder), kSuccess);
    EXPECT_EQ(Recorded().writeSizes.size(), 1u);
}

TEST_F(DecodeTest, TheOutputsBufferAndValueAreUsed) {
    Open(Block(64, "", 9), {.blockBytes = 64, .maxOutputBytes = 64});
    OpenOutputModule({.withGetBuffer = true, .withGetValue = true});
    ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    EXPECT_EQ(Recorded().getBufferSizes, (std::vector<std::int32_t>{64}));
    EXPECT_EQ(decoder->outputBuffer.pcm, Recorded().buffer);
    EXPECT_EQ(decoder->outputBuffer.outputValue, 77);
}

TEST_F(DecodeTest, AWriteErrorIsNotReportedAsSuccess) {
    Open(Block(64), {.blockBytes = 64, .maxOutputBytes = 64});
    OpenOutputModule({.writeResult = -500});
    EXPECT_EQ(DecodeAndPlay(decoder), -500);
}

}  // namespace
}  // namespace sonidrax::decoder::testing
