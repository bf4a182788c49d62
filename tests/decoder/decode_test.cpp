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

using Events = std::vector<std::string>;

std::vector<int> Parts(const Timecode& t) { return {t.hours, t.minutes, t.seconds, t.hundredths}; }

class DecodeTest : public DecoderTest {
protected:
    // Ten blocks of `blockBytes`, each filled with its number.
    void OpenNumbered(TestCodecOptions codec = {}, const MemoryInputOptions& input = {}) {
        std::vector<std::uint8_t> bytes;
        for (int i = 0; i < 10; ++i) bytes = Concat({bytes, Block(codec.blockBytes, "", static_cast<std::uint8_t>(i))});
        OpenStream(bytes, codec, input);
    }
    int NextBlock() { return Decode(decoder, nullptr) == kSuccess ? DecodedBytes()[10] : -1; }
};

// An aborted decode unwinds the codec, and the next one works.
TEST_F(DecodeTest, BlocksComeOneByOneWithTheirFormatChangesUntilTheEnd) {
    const auto first = Block(64, "", 0x21);
    OpenStream(Concat({first, Block(64), Block(64, "MONO"), Block(64, "ABRT"), Block(64), Block(32)}),
               {.blockBytes = 64, .withStreamInfo = false});
    // The output's and the status's changed bits, each against the previous block.
    std::vector<std::uint32_t> bits;
    std::vector<Status> statuses;
    for (int i = 0; i < 7; ++i) {
        statuses.push_back(Decode(decoder, nullptr));
        if (statuses.back() == kSuccess)
            bits.insert(bits.end(), {decoder->outputBuffer.changedBits, decoder->status.changedBits});
    }
    EXPECT_EQ(statuses, (std::vector<Status>{0, 0, 0, kDecodeAborted, 0, kEndOfInput, kEndOfInput}));  // a short end
    EXPECT_EQ(Codecs().unwoundLocals, 1);
    const std::uint32_t format = kChannelsChanged | kSampleRateChanged;
    EXPECT_EQ(bits, (std::vector<std::uint32_t>{format | kBytesPerSampleChanged,
                                                kStatusTimingChanged | kStatusMimeTypeChanged, 0, 0, format,
                                                kStatusTimingChanged, format, kStatusTimingChanged}));
    alignas(8) std::int16_t mine[32];
    ASSERT_EQ(SeekBytes(decoder, 0), kSuccess);
    ASSERT_EQ(Decode(decoder, mine), kSuccess);
    EXPECT_EQ(decoder->outputBuffer.pcm, mine);
    EXPECT_EQ(DecodedBytes(), first);
}

Decoder* abortingDecoder = nullptr;

TEST_F(DecodeTest, NoExceptionOfTheCodecLeavesTheLibraryAndTheBufferMustFit) {
    MemoryInputs::Put("mem:s", Block(16384));
    const InputModule input = MakeMemoryInput();
    CodecModule codec = MakeTestCodec({.blockBytes = 16384});
    codec.decode = [](void*, OutputBuffer*, DecoderStatus*) -> Status { throw std::bad_alloc(); };
    codec.seekDone = [](void*, std::uint32_t) -> Status { throw 42; };
    // An abort outside Decode ends only that codec call; streamInfo's answer is not used.
    codec.streamInfo = [](void*, DecoderStatus*) -> Status { AbortDecode(abortingDecoder); };
    abortingDecoder = decoder;
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    ASSERT_EQ(SelectInput(decoder, "mem:s", 0), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    std::vector<std::int16_t> big(8192);
    EXPECT_EQ(
        (std::vector<Status>{Decode(decoder, nullptr), Decode(decoder, big.data()), SeekBytes(decoder, 0),
                             Decode(nullptr, nullptr), DecodeAndPlay(nullptr)}),
        (std::vector<Status>{kInternalError, kOutOfMemory, kDecodeAborted, kInvalidParameters, kInvalidParameters}));
    EXPECT_EQ(details.back(), "codec output larger than the internal buffer");
    EXPECT_EQ(decoder->input.state, kOpen);
    EXPECT_DEATH(AbortDecode(decoder), "outside a codec call");
}

TEST_F(DecodeTest, DecodeAndPlayTellsTheFormatThenWritesWhatTheOutputAccepts) {
    const auto stream = Concat({Block(64, "", 1), Block(64, "", 2), Block(64, "MONO")});
    OpenRecorder();
    EXPECT_EQ(DecodeAndPlay(decoder), kInternalError);
    EXPECT_EQ(details.back(), "input not open");
    OpenStream(stream, {.blockBytes = 64});
    for (int i = 0; i < 3; ++i) ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    EXPECT_EQ(DecodeAndPlay(decoder), kEndOfInput);
    EXPECT_EQ(Recorded().events, (Events{"new", "open", "getBuffer 0", "getBuffer 64", "setFormat 2 44100 2 bits 7",
                                         "write 64 2 2 44100", "getBuffer 64", "write 64 2 2 44100", "getBuffer 64",
                                         "setFormat 2 22050 1 bits 6", "write 64 2 1 22050", "getBuffer 64"}));
    EXPECT_EQ(Recorded().bytes, stream);
    EXPECT_EQ(decoder->outputBuffer.pcm, Recorded().buffer);
    EXPECT_EQ(decoder->outputBuffer.outputValue, 77);

    // A refused format loses the block; a write error is returned.
    for (const RecordingOutputOptions& o :
         {RecordingOutputOptions{.setFormatResult = kNoOutputModuleAccepts}, {.writeResult = -500}}) {
        ASSERT_EQ(SeekBytes(decoder, 0), kSuccess);
        ASSERT_EQ(ReleaseOutput(decoder), kSuccess);
        OpenRecorder(o);
        EXPECT_EQ(DecodeAndPlay(decoder), o.writeResult + o.setFormatResult);
        EXPECT_EQ(Recorded().events.back().substr(0, 5), o.writeResult != 0 ? "write" : "setFo");
    }
}

// Decoding allocates nothing: the codec writes straight into a buffer that exists.
TEST_F(DecodeTest, DecodeAndDecodeAndPlayAllocateNothing) {
    // Without the codec's seekDone and the output's records, whose logs allocate.
    OpenNumbered({.withSeekDone = false});
    OpenRecorder({.keepsNothing = true});
    alignas(8) static std::int16_t mine[2304];
    const long before = sonidrax::testing::AllocationCount();
    const Status statuses[] = {Decode(decoder, nullptr), Decode(decoder, mine), DecodeAndPlay(decoder),
                               SeekPosition(decoder, 0.5f), DecodeAndPlay(decoder)};
    EXPECT_EQ(sonidrax::testing::AllocationCount() - before, 0);
    EXPECT_EQ(std::vector<Status>(statuses, statuses + 5), std::vector<Status>(5, kSuccess));
}

// Each case seeks to the middle first, then moves.
TEST_F(DecodeTest, SeekingAndDecodingMoveThePositionAndTheTimeWithinTheStream) {
    const Timecode minute{0, 1, 0, 50};
    const auto decodes = [&] {
        for (int i = 0; i < 2; ++i) Decode(decoder, nullptr);
        return Decode(decoder, nullptr);
    };
    const struct {
        TestCodecOptions codec;
        std::function<Status()> move;
        std::uint32_t offset;
        float position;
        std::vector<int> time;
        bool decoding = false;
    } cases[] = {
        {{.durationMs = 20000}, [&] { return SeekBytes(decoder, 3000); }, 3000, 0.3f, {0, 0, 6, 0}},
        {{}, [&] { return SeekBytes(decoder, 25000); }, 10000, 1.0f, {0, 0, 0, 0}},
        {{}, [&] { return SeekBytes(decoder, 0xFFFFFFFFu); }, 10000, 1.0f, {0, 0, 0, 0}},
        {{}, [&] { return SeekPosition(decoder, 0.75f); }, 7500, 0.75f, {0, 0, 0, 0}},
        {{}, [&] { return SeekPosition(decoder, 1.5f); }, 10000, 1.0f, {0, 0, 0, 0}},
        {{}, [&] { return SeekPosition(decoder, std::numeric_limits<float>::quiet_NaN()); }, 0, 0.0f, {0, 0, 0, 0}},
        // the codec maps positions to offsets and offsets to positions, either way beyond the stream
        {{.withOffsetOfPosition = true}, [&] { return SeekPosition(decoder, 0.4f); }, 3000, 0.3f, {0, 0, 0, 0}},
        {{.withOffsetOfPosition = true}, [&] { return SeekPosition(decoder, 0.9f); }, 10000, 1.0f, {0, 0, 0, 0}},
        {{.durationMs = 10000, .withPositionOfOffset = true},
         [&] { return SeekBytes(decoder, 2000); },
         2000,
         0.4f,
         {0, 0, 4, 0}},
        {{.durationMs = 20000}, [&] { return SeekSeconds(decoder, 5.0f); }, 2500, 0.25f, {0, 0, 5, 0}},
        {{.withStreamInfo = false}, [&] { return SeekSeconds(decoder, 3.0f); }, 0, 0.0f, {0, 0, 0, 0}},  // no duration
        {{.durationMs = 200000}, [&] { return SeekTimecode(decoder, &minute); }, 3025, 0.3025f, {0, 1, 0, 50}},
        // decoding: the time follows the bit rate (16000 bytes a second), the duration or the codec's position
        {{.withStreamInfo = false}, decodes, 8000, 0.8f, {0, 0, 0, 50}, true},
        {{.durationMs = 7451000}, decodes, 8000, 0.8f, {1, 39, 20, 80}, true},
        {{.withStreamInfo = false, .withPositionOfOffset = true}, decodes, 8000, 1.0f, {0, 0, 0, 50}, true},
    };
    for (auto c : cases) {
        SCOPED_TRACE(&c - cases);
        Renew();
        c.codec.blockBytes = 1000;
        OpenNumbered(c.codec);
        ASSERT_EQ(SeekBytes(decoder, 5000), kSuccess);
        Codecs().events.clear();
        ASSERT_EQ(c.move(), kSuccess);
        EXPECT_EQ(decoder->input.bytesConsumed, c.offset);
        EXPECT_FLOAT_EQ(decoder->status.position, c.position);
        EXPECT_EQ(Parts(decoder->status.timecode), c.time);
        EXPECT_EQ(Codecs().events, c.decoding ? Events{} : Events{"codec:seekDone " + std::to_string(c.offset)});
        EXPECT_EQ(NextBlock(), c.offset < 10000 ? static_cast<int>(c.offset / 1000) : -1);
    }
    EXPECT_EQ(SeekTimecode(decoder, nullptr), kInvalidParameters);
    // An unseekable input refuses, and nothing moves.
    Renew();
    OpenNumbered({.blockBytes = 1000}, {.seekable = false});
    EXPECT_EQ((std::vector<Status>{SeekBytes(decoder, 10), SeekPosition(decoder, 0.5f), SeekSeconds(decoder, 1)}),
              std::vector<Status>(3, kNotAvailable));
    EXPECT_TRUE(Codecs().events.empty());
    EXPECT_EQ(NextBlock(), 0);
}

TEST(SecondsToTimecode, GivesZeroForNonsenseAndStopsAtTheLongestTime) {
    for (double nonsense : {-1.0, std::nan(""), 0.0}) EXPECT_EQ(Parts(SecondsToTimecode(nonsense)), Parts({}));
    EXPECT_GT(SecondsToTimecode(std::numeric_limits<double>::infinity()).hours, 0);
}

}  // namespace
}  // namespace sonidrax::decoder::testing
