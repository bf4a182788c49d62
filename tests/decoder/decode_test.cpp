// Decoding frame by frame, decoding into an output without allocating, aborting a
// decode, and seeking.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <new>

#include "allocation_counter.h"
#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

using DecodeTest = DecoderTest;
using Events = std::vector<std::string>;

TEST_F(DecodeTest, BlocksComeOneByOneWithTheirFormatChangesUntilTheEnd) {
    const auto first = Block(64, "", 0x21);
    OpenStream(Concat({first, Block(64), Block(64, "MONO"), Block(64), Block(32)}),
               {.blockBytes = 64, .maxOutputBytes = 64, .withStreamInfo = false});
    // The output's and the status's changed bits, each against the previous block.
    const std::uint32_t expected[][2] = {
        {kBytesPerSampleChanged | kChannelsChanged | kSampleRateChanged, kStatusTimingChanged | kStatusMimeTypeChanged},
        {0, 0},
        {kChannelsChanged | kSampleRateChanged, kStatusTimingChanged},
        {kChannelsChanged | kSampleRateChanged, kStatusTimingChanged}};
    alignas(8) std::int16_t mine[32];
    for (const auto& bits : expected) {
        ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
        EXPECT_EQ(decoder->outputBuffer.changedBits, bits[0]);
        EXPECT_EQ(decoder->status.changedBits, bits[1]);
    }
    EXPECT_EQ(decoder->outputBuffer.samplesPerChannel, 16);
    EXPECT_EQ(decoder->input.bytesConsumed, 256u);
    EXPECT_STREQ(decoder->status.mimeType, "audio/x-test");
    EXPECT_EQ(Decode(decoder, nullptr), kEndOfInput);  // a short last block
    EXPECT_EQ(decoder->input.bytesConsumed, 256u);
    EXPECT_EQ(Decode(decoder, nullptr), kEndOfInput);
    ASSERT_EQ(SeekBytes(decoder, 0), kSuccess);
    ASSERT_EQ(Decode(decoder, mine), kSuccess);
    EXPECT_EQ(decoder->outputBuffer.pcm, mine);
    EXPECT_EQ(DecodedBytes(), first);
}

TEST_F(DecodeTest, PositionAndTimeFollowTheBytesTheDurationOrTheCodec) {
    struct Case {
        TestCodecOptions codec;
        MemoryInputOptions input;
        int decodes;  // of four blocks
        float position;
        Timecode time;
    } cases[] = {
        {{.bitrate = 128, .withStreamInfo = false}, {}, 3, 0.75f, {0, 0, 0, 75}},  // 16000 bytes a second
        {{.durationMs = 7451000}, {}, 2, 0.5f, {1, 2, 5, 50}},
        {{.withStreamInfo = false, .withPositionOfOffset = true}, {}, 3, 1.0f, {0, 0, 0, 75}},  // capped
        {{.bitrate = 0}, {.seekable = false, .reportsSize = false}, 3, 0.0f, {}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        TearDown();
        SetUp();
        c.codec.blockBytes = c.codec.maxOutputBytes = 4000;
        OpenStream(Concat({Block(4000), Block(4000), Block(4000), Block(4000)}), c.codec, c.input);
        for (int i = 0; i < c.decodes; ++i) ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
        const Timecode& t = decoder->status.timecode;
        EXPECT_FLOAT_EQ(decoder->status.position, c.position);
        EXPECT_EQ((std::vector<int>{t.hours, t.minutes, t.seconds, t.hundredths}),
                  (std::vector<int>{c.time.hours, c.time.minutes, c.time.seconds, c.time.hundredths}));
    }
}

TEST_F(DecodeTest, AnAbortedDecodeUnwindsTheCodecAndTheNextOneWorks) {
    const auto after = Block(64, "", 0x33);
    OpenStream(Concat({Block(64, "ABRT"), after}), {.blockBytes = 64, .maxOutputBytes = 64});
    Decoder* other = nullptr;  // aborts of separate decoders do not meet
    ASSERT_EQ(CreateDecoder(&other), kSuccess);
    const InputModule input = MakeMemoryInput();
    const CodecModule codec = MakeTestCodec({.blockBytes = 64, .maxOutputBytes = 64});
    ASSERT_EQ(RegisterInputModule(other, &input), 0);
    ASSERT_EQ(RegisterCodecModule(other, &codec), 0);
    ASSERT_EQ(SelectInput(other, "mem:s", 0), kSuccess);
    ASSERT_EQ(OpenInput(other), kSuccess);
    EXPECT_EQ(Decode(decoder, nullptr), kDecodeAborted);
    EXPECT_EQ(UnwoundLocals(), 1);
    EXPECT_EQ(Decode(other, nullptr), kDecodeAborted);
    EXPECT_EQ(Decode(other, nullptr), kSuccess);
    EXPECT_EQ(decoder->input.state, kOpen);
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_EQ(DecodedBytes(), after);
    DestroyDecoder(other);
}

Decoder* abortingDecoder = nullptr;

TEST_F(DecodeTest, NoExceptionOfTheCodecLeavesTheLibrary) {
    MemoryInputs::Put("mem:s", Block(64));
    const InputModule input = MakeMemoryInput();
    CodecModule codec = MakeTestCodec({.blockBytes = 64, .maxOutputBytes = 64});
    codec.decode = [](void*, OutputBuffer*, DecoderStatus*) -> Status { throw std::bad_alloc(); };
    codec.seekDone = [](void*, std::uint32_t) -> Status { throw 42; };
    // An abort outside Decode ends only that codec call; streamInfo's answer is not used.
    codec.streamInfo = [](void*, DecoderStatus*) -> Status { AbortDecode(abortingDecoder); };
    abortingDecoder = decoder;
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    ASSERT_EQ(SelectInput(decoder, "mem:s", 0), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    EXPECT_EQ(Decode(decoder, nullptr), kOutOfMemory);
    EXPECT_EQ(SeekBytes(decoder, 0), kDecodeAborted);
    EXPECT_EQ(decoder->input.state, kOpen);
    EXPECT_DEATH(AbortDecode(decoder), "outside a codec call");
}

TEST_F(DecodeTest, TheInternalBufferRefusesACodecThatWritesMore) {
    OpenStream(Block(16384), {.blockBytes = 16384, .maxOutputBytes = 16384});
    EXPECT_EQ(Decode(decoder, nullptr), kInternalError);
    EXPECT_EQ(Details().back(), "codec output larger than the internal buffer");
    std::vector<std::int16_t> big(8192);
    EXPECT_EQ(Decode(decoder, big.data()), kSuccess);
    EXPECT_EQ(Decode(nullptr, nullptr), kInvalidParameters);
    EXPECT_EQ(DecodeAndPlay(nullptr), kInvalidParameters);
}

TEST_F(DecodeTest, DecodeAndPlayTellsTheFormatThenWritesWhatTheOutputAccepts) {
    const auto stream = Concat({Block(64, "", 1), Block(64, "", 2), Block(64, "MONO")});
    OpenRecorder();
    EXPECT_EQ(DecodeAndPlay(decoder), kInternalError);
    EXPECT_EQ(Details().back(), "input not open");
    OpenStream(stream, {.blockBytes = 64, .maxOutputBytes = 64});
    for (int i = 0; i < 3; ++i) ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    EXPECT_EQ(DecodeAndPlay(decoder), kEndOfInput);
    EXPECT_EQ(Recorded().events, (Events{"new", "open", "setFormat 2 44100 2 bits 7", "write 64 2 2 44100",
                                         "write 64 2 2 44100", "setFormat 2 22050 1 bits 6", "write 64 2 1 22050"}));
    EXPECT_EQ(Recorded().bytes, stream);
    EXPECT_EQ(decoder->outputBuffer.outputValue, 0);

    // A refused format loses the block; other answers are ignored; a write error is returned.
    const struct {
        RecordingOutputOptions options;
        Status expected;
        std::size_t writes;
    } outputs[] = {{{.setFormatResult = kNoOutputModuleAccepts}, kNoOutputModuleAccepts, 0},
                   {{.setFormatResult = -3}, kSuccess, 1},
                   {{.writeResult = -500}, -500, 1}};
    for (const auto& o : outputs) {
        ASSERT_EQ(SeekBytes(decoder, 0), kSuccess);
        ASSERT_EQ(ReleaseOutput(decoder), kSuccess);
        ResetRecordingOutput();
        OpenRecorder(o.options);
        EXPECT_EQ(DecodeAndPlay(decoder), o.expected);
        EXPECT_EQ(Recorded().writeSizes.size(), o.writes);
    }
}

TEST_F(DecodeTest, TheOutputsBufferAndValueAreUsed) {
    OpenStream(Block(64, "", 9), {.blockBytes = 64, .maxOutputBytes = 64});
    OpenRecorder({.withGetBuffer = true, .withGetValue = true});
    ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    EXPECT_EQ(Recorded().getBufferSizes, (std::vector<std::int32_t>{64}));
    EXPECT_EQ(decoder->outputBuffer.pcm, Recorded().buffer);
    EXPECT_EQ(decoder->outputBuffer.outputValue, 77);
}

// Decoding allocates nothing: the codec writes straight into a buffer that exists.
TEST_F(DecodeTest, DecodeAndDecodeAndPlayAllocateNothing) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 8; ++i) bytes = Concat({bytes, Block(4608, "", static_cast<std::uint8_t>(i))});
    // Without the codec's seekDone and the output's records, whose logs allocate.
    OpenStream(bytes, {.withSeekDone = false});
    OpenRecorder({.keepsNothing = true});
    alignas(8) static std::int16_t mine[2304];
    const long before = sonidrax::testing::AllocationCount();
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    ASSERT_EQ(Decode(decoder, mine), kSuccess);
    ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    ASSERT_EQ(SeekPosition(decoder, 0.5f), kSuccess);
    ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    EXPECT_EQ(sonidrax::testing::AllocationCount() - before, 0);
}

class SeekTest : public DecoderTest {
protected:
    // A 10000-byte stream of 1000-byte blocks, each filled with its number.
    void Open(TestCodecOptions codec = {}, const MemoryInputOptions& input = {}) {
        std::vector<std::uint8_t> bytes;
        for (int i = 0; i < 10; ++i) bytes = Concat({bytes, Block(1000, "", static_cast<std::uint8_t>(i))});
        codec.blockBytes = codec.maxOutputBytes = 1000;
        OpenStream(bytes, codec, input);
    }
    int NextBlock() { return Decode(decoder, nullptr) == kSuccess ? DecodedBytes()[10] : -1; }
};

TEST_F(SeekTest, SeekingBytesTellsTheCodecThenMovesTheInputUpToItsEnd) {
    Open({.durationMs = 20000});
    ASSERT_EQ(SeekBytes(decoder, 3000), kSuccess);
    EXPECT_EQ(CodecEvents(), (Events{"codec:seekDone 3000"}));
    EXPECT_EQ(decoder->input.bytesConsumed, 3000u);
    EXPECT_FLOAT_EQ(decoder->status.position, 0.3f);
    EXPECT_EQ(decoder->status.timecode.seconds, 6);
    EXPECT_EQ(NextBlock(), 3);
    for (std::uint32_t beyond : {10000u, 25000u, 0xFFFFFFFFu}) {
        ASSERT_EQ(SeekBytes(decoder, beyond), kSuccess);
        EXPECT_EQ(decoder->input.bytesConsumed, 10000u);
        EXPECT_FLOAT_EQ(decoder->status.position, 1.0f);
        EXPECT_EQ(NextBlock(), -1);
    }
}

TEST_F(SeekTest, AnUnseekableOrUnsizedInputRefuses) {
    for (const MemoryInputOptions& input : {MemoryInputOptions{.seekable = false}, {.reportsSize = false}}) {
        TearDown();
        SetUp();
        Open({}, input);
        EXPECT_EQ(SeekBytes(decoder, 10), kNotAvailable);
        EXPECT_EQ(SeekPosition(decoder, 0.5f), kNotAvailable);
        EXPECT_EQ(SeekSeconds(decoder, 1.0f), kNotAvailable);
        EXPECT_TRUE(CodecEvents().empty());
        EXPECT_EQ(NextBlock(), 0);  // nothing moved
    }
}

TEST_F(SeekTest, PositionsSecondsAndTimecodesSeekByTheirShareClampedToTheStream) {
    const Timecode minute{0, 1, 0, 50}, huge{2000000000, 2000000000, 0, 0};
    const struct {
        TestCodecOptions codec;
        std::function<Status()> seek;
        std::uint32_t offset;
    } cases[] = {
        {{}, [&] { return SeekPosition(decoder, 0.75f); }, 7500},
        {{}, [&] { return SeekPosition(decoder, 1.5f); }, 10000},
        {{}, [&] { return SeekPosition(decoder, -0.5f); }, 0},
        {{}, [&] { return SeekPosition(decoder, std::numeric_limits<float>::quiet_NaN()); }, 0},
        // the codec maps the position: by half, and beyond the end
        {{.withOffsetOfPosition = true}, [&] { return SeekPosition(decoder, 0.8f); }, 4000},
        {{.withOffsetOfPosition = true, .offsetOfPositionScale = 3.0f},
         [&] { return SeekPosition(decoder, 0.9f); },
         10000},
        {{.durationMs = 20000}, [&] { return SeekSeconds(decoder, 5.0f); }, 2500},
        {{.durationMs = 20000}, [&] { return SeekSeconds(decoder, -5.0f); }, 0},
        {{.durationMs = 20000}, [&] { return SeekSeconds(decoder, 100.0f); }, 10000},
        {{.withStreamInfo = false}, [&] { return SeekSeconds(decoder, 3.0f); }, 0},      // no duration: the start
        {{.durationMs = 200000}, [&] { return SeekTimecode(decoder, &minute); }, 3025},  // 60.5 s of 200 s
        {{.durationMs = 200000}, [&] { return SeekTimecode(decoder, &huge); }, 10000},
    };
    for (const auto& c : cases) {
        TearDown();
        SetUp();
        Open(c.codec);
        ASSERT_EQ(SeekBytes(decoder, 5000), kSuccess);
        ASSERT_EQ(c.seek(), kSuccess);
        EXPECT_EQ(decoder->input.bytesConsumed, c.offset) << &c - cases;
        EXPECT_EQ(NextBlock(), c.offset < 10000 ? static_cast<int>(c.offset / 1000) : -1) << &c - cases;
    }
    EXPECT_EQ(SeekTimecode(decoder, nullptr), kInvalidParameters);
}

TEST_F(SeekTest, TheCodecMayMapTheByteOffsetToAPosition) {
    Open({.durationMs = 10000, .withPositionOfOffset = true});
    ASSERT_EQ(SeekBytes(decoder, 2000), kSuccess);
    EXPECT_FLOAT_EQ(decoder->status.position, 0.4f);  // twice the share, by the test codec
    EXPECT_EQ(decoder->status.timecode.seconds, 4);
}

TEST(SecondsToTimecode, SplitsHoursMinutesSecondsAndHundredthsAndGivesZeroForNonsense) {
    const struct {
        double seconds;
        Timecode expected;
    } cases[] = {{3725.5, {1, 2, 5, 50}},    {59.99, {0, 0, 59, 99}},
                 {86400.25, {24, 0, 0, 25}}, {-1.0, {}},
                 {std::nan(""), {}},         {0.0, {}}};
    for (const auto& c : cases) {
        const Timecode t = SecondsToTimecode(c.seconds);
        EXPECT_EQ((std::vector<int>{t.hours, t.minutes, t.seconds, t.hundredths}),
                  (std::vector<int>{c.expected.hours, c.expected.minutes, c.expected.seconds, c.expected.hundredths}))
            << c.seconds;
    }
    EXPECT_GT(SecondsToTimecode(std::numeric_limits<double>::infinity()).hours, 0);
}

}  // namespace
}  // namespace sonidrax::decoder::testing
