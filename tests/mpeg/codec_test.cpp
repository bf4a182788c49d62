// The MPEG codec inside the decoder library: its descriptor, what it publishes about a
// stream, its options, seeking, its memory, and streams with damage around the frames.
#include <gtest/gtest.h>

#include <cstring>

#include "allocation_counter.h"
#include "codec_instance.h"
#include "library_decoder.h"
#include "mpeg_codec.h"
#include "stream_bits.h"

namespace sonidrax::mpeg::testing {
namespace {

using decoder::kDecodeAborted;
using decoder::kEndOfInput;
using decoder::kSuccess;

std::vector<uint8_t> id3Tag(uint32_t size) {
    std::vector<uint8_t> tag = {'I', 'D', '3', 3, 0, 0};
    for (int shift = 21; shift >= 0; shift -= 7) tag.push_back(static_cast<uint8_t>((size >> shift) & 0x7F));
    tag.resize(10 + size, 0);
    return tag;
}

HeaderFields layer3(uint32_t samplingIndex = 0) {
    HeaderFields f;
    f.layer = kLayer3;
    f.bitrateIndex = 9;  // 128 kbit/s: 417 bytes at 44100 Hz
    f.samplingIndex = samplingIndex;
    return f;
}

HeaderFields mono192() {
    HeaderFields f;
    f.mode = 3;
    f.bitrateIndex = 10;
    return f;
}

// Layer I, 32 kbit/s at 48000 Hz, single channel: 32-byte frames of 384 samples.
HeaderFields smallFrame() {
    HeaderFields f;
    f.layer = kLayer1;
    f.bitrateIndex = 1;
    f.samplingIndex = 1;
    f.mode = 3;
    return f;
}

// A Layer III stream whose first frame carries a "Xing" header with a frame count and
// a seek table of 100 entries i * 255 / 100; its frames are silent.
std::vector<uint8_t> xingStream(int frames) {
    std::vector<uint8_t> bytes = silentFrames(layer3(), frames);
    std::vector<uint8_t> tag = {'X', 'i', 'n', 'g'};
    appendWord(tag, 1 | 4);
    appendWord(tag, static_cast<uint32_t>(frames));
    for (int i = 0; i < 100; ++i) tag.push_back(static_cast<uint8_t>(i * 255 / 100));
    std::copy(tag.begin(), tag.end(), bytes.begin() + 36);
    return bytes;
}

size_t decodedSamples(const std::vector<uint8_t>& bytes, const decoder::testing::MemoryInputOptions& input = {},
                      int* damaged = nullptr) {
    LibraryDecoder library;
    EXPECT_EQ(library.open(bytes, input), kSuccess);
    std::vector<int16_t> pcm;
    EXPECT_EQ(library.decodeAll(pcm, damaged), kEndOfInput);
    return pcm.size();
}

TEST(MpegCodec, QueryAnswersTheLargestBlockTheCapsAndOneDevice) {
    decoder::CodecModule m{};
    ASSERT_EQ(GetMpegCodecModule(&m), 0);
    decoder::ModuleInfo info{};
    info.maxOutputBytes = -1;
    ASSERT_EQ(m.query(&info, decoder::kQueryModule | decoder::kQueryMaxOutput), 0);
    EXPECT_EQ(info.maxOutputBytes, -1);  // ignored beside flag 1
    ASSERT_EQ(m.query(&info, decoder::kQueryMaxOutput | decoder::kQueryCodecCaps | decoder::kQueryDeviceCount), 0);
    EXPECT_EQ(std::vector<int32_t>({info.maxOutputBytes, info.flags, info.index}), std::vector<int32_t>({4608, 3, 1}));
    EXPECT_EQ(m.query(&info, decoder::kQueryDevice), decoder::kInvalidParameters);  // index 1 of 1
}

TEST(MpegCodec, OpeningPublishesTheFirstFramesParametersAndDuration) {
    LibraryDecoder library;
    ASSERT_EQ(library.open(silentFrames(HeaderFields{}, 10)), kSuccess);
    EXPECT_EQ(library.status().changedBits, 7u);
    EXPECT_EQ(library.status().sampleRate, 44100);
    EXPECT_EQ(library.status().bitrate, 128);
    EXPECT_EQ(library.status().channels, 2);
    EXPECT_STREQ(library.status().mimeType, "audio/mpeg");
    EXPECT_EQ(
        library.property("mpeg/layer") * 100 + library.property("mpeg/level") * 10 + library.property("mpeg/mode"),
        210);
    EXPECT_EQ(library.status().durationMs, 4170u / 16u);
}

TEST(MpegCodec, Id3v2TagIsSkippedUnlessLongerThanTheInput) {
    std::vector<uint8_t> bytes = concat({id3Tag(4096), silentFrames(HeaderFields{}, 4)});
    LibraryDecoder library;
    ASSERT_EQ(library.open(bytes), kSuccess);
    EXPECT_EQ(library.d->input.bytesConsumed, 4106u);  // positioned at the first frame
    EXPECT_FLOAT_EQ(library.codec().positionOfOffset(library.instance(), 4106), 0.0f);
    EXPECT_FLOAT_EQ(library.codec().positionOfOffset(library.instance(), 4106 + 834), 0.5f);
    EXPECT_FLOAT_EQ(library.codec().positionOfOffset(library.instance(), 100), 0.0f);
    std::vector<int16_t> pcm;
    EXPECT_EQ(library.decodeAll(pcm), kEndOfInput);
    EXPECT_EQ(pcm.size(), 4u * 1152u * 2u);
    bytes.resize(1000);
    LibraryDecoder cut;
    ASSERT_EQ(cut.open(bytes), kSuccess);
    EXPECT_EQ(cut.status().durationMs, 0u);
    EXPECT_FLOAT_EQ(cut.codec().positionOfOffset(cut.instance(), 500), 0.0f);  // no audio data
}

TEST(MpegCodec, ChannelAndRateOptionsShapeTheOutput) {
    HeaderFields lower;
    lower.version = 0;  // MPEG-2 Layer II at 22050 Hz
    const struct {
        HeaderFields f;
        int32_t channelOption, rateOption, rate, channels, samples;
    } cases[] = {{HeaderFields{}, 3, 2, 11025, 1, 288},  // mixed, quarter rate
                 {lower, 0, 1, 22050, 2, 1152},
                 {lower, 0, 2, 11025, 2, 576},
                 {mono192(), 2, 0, 44100, 1, 1152}};  // right only: a single channel still gives its channel
    for (const auto& c : cases) {
        LibraryDecoder library;
        decoder::SetCodecOption1(library.d, c.channelOption);
        decoder::SetCodecOption2(library.d, c.rateOption);
        ASSERT_EQ(library.open(silentFrames(c.f, 3)), kSuccess);
        ASSERT_EQ(decoder::Decode(library.d, nullptr), kSuccess);
        EXPECT_EQ(library.output().sampleRate, c.rate) << &c - cases;
        EXPECT_EQ(library.output().channels, c.channels) << &c - cases;
        EXPECT_EQ(library.output().samplesPerChannel, c.samples) << &c - cases;
    }
}

TEST(MpegCodec, EqualiserGainsMapFromBytesAndBack) {
    int8_t gains[64];
    for (int i = 0; i < 64; ++i) gains[i] = static_cast<int8_t>(i * 4 - 128);
    gains[0] = 32;
    gains[1] = -32;
    gains[2] = 0;
    LibraryDecoder library;
    ASSERT_EQ(decoder::SetBandGains(library.d, gains), kSuccess);
    ASSERT_EQ(library.open(silentFrames(HeaderFields{}, 1)), kSuccess);
    const auto& codec = *static_cast<MpegCodecInstance*>(library.instance());
    EXPECT_FLOAT_EQ(codec.leftSynthesis.getGains()[0], 2.0f);
    EXPECT_FLOAT_EQ(codec.leftSynthesis.getGains()[1], 0.5f);
    EXPECT_FLOAT_EQ(codec.leftSynthesis.getGains()[2], 1.0f);
    EXPECT_FLOAT_EQ(codec.rightSynthesis.getGains()[1], 1.125f);  // gains[33] is 4
    int8_t back[64] = {};
    decoder::CodecParameters parameters{0, 0, back};
    ASSERT_EQ(library.codec().getParameters(library.instance(), &parameters, decoder::kAllParameters), 0);
    EXPECT_EQ(std::memcmp(back, gains, 64), 0);
    ASSERT_EQ(decoder::SetBandGains(library.d, nullptr), kSuccess);
    std::memset(back, 7, sizeof back);
    ASSERT_EQ(library.codec().getParameters(library.instance(), &parameters, decoder::kParameterBandGains), 0);
    EXPECT_EQ(std::count(back, back + 64, 0), 64);
}

TEST(MpegCodec, SeekTableMapsPositionsInsideTheTableAndPastAnId3Tag) {
    LibraryDecoder library;
    ASSERT_EQ(library.open(xingStream(20)), kSuccess);
    EXPECT_EQ(library.status().durationMs, 522u);  // 20 x 1152 samples at 44100 Hz
    const auto offsetOf = [&library](float position) {
        return library.codec().offsetOfPosition(library.instance(), position);
    };
    EXPECT_FLOAT_EQ(offsetOf(1.0f), 1.0f);
    EXPECT_FLOAT_EQ(offsetOf(0.0f), 0.0f);
    EXPECT_NEAR(offsetOf(0.5025f), (127 + 0.25 * 3) / 256.0, 1e-5);  // a quarter between entries 50 and 51
    EXPECT_NEAR(offsetOf(0.995f), (252 + 0.5 * 4) / 256.0, 1e-5);    // the end follows the last entry
    EXPECT_FLOAT_EQ(offsetOf(7.0f), 1.0f);
    EXPECT_FLOAT_EQ(offsetOf(-1.0f), 0.0f);

    LibraryDecoder tagged;
    ASSERT_EQ(tagged.open(concat({id3Tag(990), xingStream(10)})), kSuccess);  // 1000 + 4170 bytes
    const auto taggedOffsetOf = [&tagged](float position) {
        return tagged.codec().offsetOfPosition(tagged.instance(), position);
    };
    EXPECT_FLOAT_EQ(taggedOffsetOf(1.0f), 1.0f);
    EXPECT_NEAR(taggedOffsetOf(0.0f), 1000.0 / 5170.0, 1e-6);
    EXPECT_NEAR(taggedOffsetOf(0.5f), (127 / 256.0 * 4170 + 1000) / 5170.0, 1e-5);
    LibraryDecoder plain;  // without a table the position maps straight through the audio data
    ASSERT_EQ(plain.open(silentFrames(HeaderFields{}, 2)), kSuccess);
    EXPECT_FLOAT_EQ(plain.codec().offsetOfPosition(plain.instance(), 0.25f), 0.25f);
}

TEST(MpegCodec, VariableRateStreamKeepsItsAnalysedStatus) {
    LibraryDecoder library;
    ASSERT_EQ(library.open(concat({xingStream(3), silentFrames(layer3(1), 3)})), kSuccess);  // 48000 Hz from the 4th
    const int32_t analysedRate = library.status().bitrate;
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(decoder::Decode(library.d, nullptr), kSuccess) << i;
        EXPECT_EQ(library.output().sampleRate, i < 3 ? 44100 : 48000) << i;
        EXPECT_EQ(library.status().sampleRate, 44100) << i;
        EXPECT_EQ(library.status().bitrate, analysedRate) << i;
    }
}

TEST(MpegCodec, ConstantRateStreamPublishesChangesAsFramesArrive) {
    LibraryDecoder library;  // not seekable: nothing analysed in advance
    ASSERT_EQ(library.open(concat({silentFrames(HeaderFields{}, 2), silentFrames(mono192(), 2)}), {.seekable = false}),
              kSuccess);
    ASSERT_EQ(decoder::Decode(library.d, nullptr), kSuccess);
    EXPECT_EQ(library.status().changedBits, 7u);
    EXPECT_EQ(library.status().sampleRate, 44100);
    EXPECT_EQ(library.status().bitrate, 128);
    EXPECT_GT(library.status().durationMs, 0u);
    ASSERT_EQ(decoder::Decode(library.d, nullptr), kSuccess);
    EXPECT_EQ(library.status().changedBits, 0u);  // nothing new
    ASSERT_EQ(decoder::Decode(library.d, nullptr), kSuccess);
    EXPECT_EQ(library.property("mpeg/mode"), 3);
    EXPECT_EQ(library.status().channels, 1);
    EXPECT_EQ(library.output().channels, 1);
    EXPECT_NE(library.status().changedBits & (decoder::kStatusPropertiesChanged | decoder::kStatusTimingChanged), 0u);
    EXPECT_EQ(library.status().bitrate, 130);  // a running average, not each frame's
}

TEST(MpegCodec, SeekingStartsAFreshSearchAndConfirmation) {
    LibraryDecoder library;
    ASSERT_EQ(library.open(silentFrames(HeaderFields{}, 5)), kSuccess);
    ASSERT_EQ(decoder::Decode(library.d, nullptr), kSuccess);
    ASSERT_EQ(decoder::SeekBytes(library.d, 417 * 3 + 100), kSuccess);  // into the middle of the fourth frame
    std::vector<int16_t> rest;
    EXPECT_EQ(library.decodeAll(rest), kEndOfInput);
    EXPECT_EQ(rest.size(), 1152u * 2u);  // only the fifth frame
    rest.clear();

    const std::vector<uint8_t> bytes = conformanceFile("l2-fl16.bit");
    if (bytes.empty()) GTEST_SKIP() << "conformance streams not found";
    LibraryDecoder stream;
    ASSERT_EQ(stream.open(bytes), kSuccess);
    EXPECT_EQ(stream.status().durationMs, 1512u);  // 63 frames of 24 ms at a constant 256 kbit/s
    ASSERT_EQ(decoder::SeekPosition(stream.d, 0.5f), 0);
    EXPECT_FLOAT_EQ(stream.status().position, 0.5f);
    EXPECT_EQ(stream.decodeAll(rest), kEndOfInput);
    EXPECT_EQ(rest.size(), 31u * 1152u * 2u);  // from the frame after the middle one
    EXPECT_FLOAT_EQ(stream.status().position, 1.0f);
}

TEST(MpegCodec, DamageAroundTheFramesIsSkippedAndUnanalysedStartsStillDecode) {
    const auto frame = silentFrames(smallFrame(), 1);
    HeaderFields crc = smallFrame();
    crc.protection = 0;
    std::vector<uint8_t> protectedFrame = silentFrames(crc, 1);
    protectedFrame[4] = protectedFrame[5] = 0xFF;  // a CRC of ones, where allocation 15 would be forbidden
    HeaderFields freeFormat = smallFrame();
    freeFormat.bitrateIndex = 0;
    const struct {
        std::vector<uint8_t> bytes;
        size_t samples;
        bool seekable = false;
    } cases[] = {
        // Sync with bit-rate index 15 first: the search goes on four bytes later, not one.
        {concat({{0xFF, 0xFB, 0xFF, 0xFB}, frame, frame}), 2 * 384},
        // Junk between frames, and a lone header whose successor is junk: dropped after its check.
        {concat({frame, frame, {0, 0x12, 0x34}, frame, {0, 0, 0, 0, 0x55}, frame, frame}), 4 * 384},
        {concat({protectedFrame, protectedFrame, protectedFrame}), 3 * 384},
        {silentFrames(freeFormat, 5), 0},
        // Starts that cannot be analysed in advance: junk first, or shorter than the analysed bytes.
        {concat({{1, 2, 3}, silentFrames(HeaderFields{}, 3)}), 3 * 1152 * 2, true},
        {silentFrames(smallFrame(), 2), 2 * 384, true},
    };
    for (const auto& c : cases) {
        int damaged = 0;
        EXPECT_EQ(decodedSamples(c.bytes, {.seekable = c.seekable}, &damaged), c.samples) << &c - cases;
        EXPECT_EQ(damaged, 0) << &c - cases;
    }
}

// Fails the read of the given number, counting from 1, as a device would.
int failingRead = 0;
int reads = 0;

TEST(MpegCodec, AFailedReadIsResumedByTheNextDecode) {
    decoder::InputFilter failing{};
    failing.version = decoder::kModuleVersion;
    failing.name = [] { return "failing"; };
    failing.read = [](decoder::InputFilterElement* e, void* buffer, int32_t count) -> int32_t {
        if (++reads == failingRead) return -3;
        return e->next->filter.read(e->next, buffer, count);
    };
    const auto frames = silentFrames(smallFrame(), 4);
    for (failingRead = 2; failingRead <= 8; ++failingRead) {
        reads = 0;
        LibraryDecoder library;
        ASSERT_EQ(decoder::AddInputFilter(library.d, &failing, 0), 1);
        ASSERT_EQ(library.open(frames, {.seekable = false}), kSuccess);
        std::vector<int16_t> pcm;
        int failures = 0;
        decoder::Status last;
        while ((last = library.decodeAll(pcm)) == -3) ++failures;
        EXPECT_EQ(last, kEndOfInput) << failingRead;
        EXPECT_EQ(failures, 1) << failingRead;
        EXPECT_EQ(pcm.size(), 4u * 384u) << failingRead;  // nothing lost
    }
}

TEST(MpegCodec, StateFitsBesideTheDecodersOwnBuffersAndDecodingAllocatesNothing) {
    EXPECT_LT(sizeof(MpegCodecInstance) + decoder::kInternalBufferBytes + sizeof(decoder::Decoder), 48u * 1024u);
    const std::vector<uint8_t> bytes = conformanceFile("l3-sin1k0db.bit");
    if (bytes.empty()) GTEST_SKIP() << "conformance streams not found";
    LibraryDecoder library;
    ASSERT_EQ(library.open(bytes), kSuccess);
    // The first frames build the constant tables that are made at start-up.
    for (int i = 0; i < 4; ++i) ASSERT_EQ(decoder::Decode(library.d, nullptr), kSuccess);
    const long before = sonidrax::testing::AllocationCount();
    int frames = 0;
    while (decoder::Decode(library.d, nullptr) == kSuccess) ++frames;
    EXPECT_GT(frames, 300);
    EXPECT_EQ(sonidrax::testing::AllocationCount(), before);
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
