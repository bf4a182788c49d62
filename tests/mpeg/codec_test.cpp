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

using decoder::kEndOfInput;
using decoder::kSuccess;

std::vector<uint8_t> id3Tag(uint32_t size) {
    std::vector<uint8_t> tag = {'I', 'D', '3', 3, 0, 0};
    for (int shift = 21; shift >= 0; shift -= 7) tag.push_back(static_cast<uint8_t>((size >> shift) & 0x7F));
    tag.resize(10 + size, 0);
    return tag;
}

// 128 kbit/s Layer III: 417-byte frames at 44100 Hz.
HeaderFields layer3(uint32_t samplingIndex = 0) {
    return {.layer = kLayer3, .bitrateIndex = 9, .samplingIndex = samplingIndex};
}
// Layer I, 32 kbit/s at 48000 Hz, single channel: 32-byte frames of 384 samples.
const HeaderFields kSmall{.layer = kLayer1, .bitrateIndex = 1, .samplingIndex = 1, .mode = 3};

// A Layer III stream of silent frames whose first frame carries a "Xing" tag with a
// frame count and a seek table.
std::vector<uint8_t> xingStream(int frames) {
    std::vector<uint8_t> bytes = silentFrames(layer3(), frames);
    const std::vector<uint8_t> tag = xing("Xing", 1 | 4, static_cast<uint32_t>(frames));
    std::copy(tag.begin(), tag.end(), bytes.begin() + 36);
    return bytes;
}

// What the codec has published: the rate, bit rate, channels, and the layer, level and
// mode as one number.
std::vector<int32_t> published(const LibraryDecoder& library) {
    const decoder::DecoderStatus& s = library.status();
    return {s.sampleRate, s.bitrate, s.channels,
            library.property("mpeg/layer") * 100 + library.property("mpeg/level") * 10 + library.property("mpeg/mode")};
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

TEST(MpegCodec, OpeningPublishesTheFirstFrameAndSkipsAnId3v2TagUnlessLongerThanTheInput) {
    std::vector<uint8_t> bytes = concat({id3Tag(4096), silentFrames(HeaderFields{}, 4)});
    LibraryDecoder library;
    ASSERT_EQ(library.open(bytes), kSuccess);
    EXPECT_EQ(published(library), (std::vector<int32_t>{44100, 128, 2, 210}));
    EXPECT_EQ(std::tuple(library.status().changedBits, library.status().durationMs), std::tuple(7u, 1668u / 16u));
    EXPECT_STREQ(library.status().mimeType, "audio/mpeg");
    EXPECT_EQ(library.d->input.bytesConsumed, 4106u);  // positioned at the first frame
    const auto positionOf = [](LibraryDecoder& l, uint32_t offset) {
        return l.codec().positionOfOffset(l.instance(), offset);
    };
    EXPECT_EQ(
        std::vector<float>({positionOf(library, 4106), positionOf(library, 4106 + 834), positionOf(library, 100)}),
        std::vector<float>({0.0f, 0.5f, 0.0f}));
    std::vector<int16_t> pcm;
    EXPECT_EQ(library.decodeAll(pcm), kEndOfInput);
    EXPECT_EQ(pcm.size(), 4u * 1152u * 2u);
    bytes.resize(1000);
    LibraryDecoder cut;
    ASSERT_EQ(cut.open(bytes), kSuccess);
    EXPECT_EQ(cut.status().durationMs, 0u);
    EXPECT_EQ(positionOf(cut, 500), 0.0f);  // no audio data
}

TEST(MpegCodec, EqualiserGainsMapFromBytesAndBack) {
    int8_t gains[64] = {32, -32, 0};
    for (int i = 3; i < 64; ++i) gains[i] = static_cast<int8_t>(i * 4 - 128);
    LibraryDecoder library;
    ASSERT_EQ(decoder::SetBandGains(library.d, gains), kSuccess);
    ASSERT_EQ(library.open(silentFrames(HeaderFields{}, 1)), kSuccess);
    const auto& codec = *static_cast<MpegCodecInstance*>(library.instance());
    const float* left = codec.leftSynthesis.getGains();
    EXPECT_EQ(std::vector<float>({left[0], left[1], left[2], codec.rightSynthesis.getGains()[1]}),
              std::vector<float>({2.0f, 0.5f, 1.0f, 1.125f}));  // gains[33] is 4
    std::vector<int8_t> back(64, 7);
    decoder::CodecParameters parameters{0, 0, back.data()};
    ASSERT_EQ(library.codec().getParameters(library.instance(), &parameters, decoder::kAllParameters), 0);
    EXPECT_EQ(back, std::vector<int8_t>(gains, gains + 64));
    ASSERT_EQ(decoder::SetBandGains(library.d, nullptr), kSuccess);
    ASSERT_EQ(library.codec().getParameters(library.instance(), &parameters, decoder::kParameterBandGains), 0);
    EXPECT_EQ(back, std::vector<int8_t>(64, 0));
}

TEST(MpegCodec, SeekTableMapsPositionsInsideTheTableAndPastAnId3Tag) {
    LibraryDecoder library, tagged, plain;
    ASSERT_EQ(library.open(xingStream(20)), kSuccess);
    EXPECT_EQ(library.status().durationMs, 522u);  // 20 x 1152 samples at 44100 Hz
    const auto offsetOf = [](LibraryDecoder& l, float position) {
        return l.codec().offsetOfPosition(l.instance(), position);
    };
    const struct {
        float position;
        double offset;
    } cases[] = {{1.0f, 1.0},
                 {0.0f, 0.0},
                 {0.5025f, (127 + 0.25 * 3) / 256.0},  // a quarter between entries 50 and 51
                 {0.995f, (252 + 0.5 * 4) / 256.0},    // the end follows the last entry
                 {7.0f, 1.0},
                 {-1.0f, 0.0}};
    for (const auto& c : cases) EXPECT_NEAR(offsetOf(library, c.position), c.offset, 1e-5) << c.position;
    ASSERT_EQ(tagged.open(concat({id3Tag(990), xingStream(10)})), kSuccess);  // 1000 + 4170 bytes
    EXPECT_FLOAT_EQ(offsetOf(tagged, 1.0f), 1.0f);
    EXPECT_NEAR(offsetOf(tagged, 0.0f), 1000.0 / 5170.0, 1e-6);
    EXPECT_NEAR(offsetOf(tagged, 0.5f), (127 / 256.0 * 4170 + 1000) / 5170.0, 1e-5);
    ASSERT_EQ(plain.open(silentFrames(HeaderFields{}, 2)), kSuccess);  // no table: straight through the data
    EXPECT_FLOAT_EQ(offsetOf(plain, 0.25f), 0.25f);
}

TEST(MpegCodec, VariableRateStreamKeepsItsAnalysedStatus) {
    LibraryDecoder library;
    ASSERT_EQ(library.open(concat({xingStream(3), silentFrames(layer3(1), 3)})), kSuccess);  // 48000 Hz from the 4th
    const int32_t analysedRate = library.status().bitrate;
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(decoder::Decode(library.d, nullptr), kSuccess) << i;
        EXPECT_EQ(std::tuple(library.output().sampleRate, library.status().sampleRate, library.status().bitrate),
                  std::tuple(i < 3 ? 44100 : 48000, 44100, analysedRate))
            << i;
    }
}

TEST(MpegCodec, ConstantRateStreamPublishesChangesAsFramesArrive) {
    LibraryDecoder library;  // not seekable: nothing analysed in advance
    ASSERT_EQ(library.open(concat({silentFrames(HeaderFields{}, 2), silentFrames({.bitrateIndex = 10, .mode = 3}, 2)}),
                           {.seekable = false}),
              kSuccess);
    ASSERT_EQ(decoder::Decode(library.d, nullptr), kSuccess);
    EXPECT_EQ(library.status().changedBits, 7u);
    EXPECT_EQ(published(library), (std::vector<int32_t>{44100, 128, 2, 210}));  // stereo is mode 0
    EXPECT_GT(library.status().durationMs, 0u);
    ASSERT_EQ(decoder::Decode(library.d, nullptr), kSuccess);
    EXPECT_EQ(library.status().changedBits, 0u);  // nothing new
    ASSERT_EQ(decoder::Decode(library.d, nullptr), kSuccess);
    EXPECT_EQ(library.output().channels, 1);
    EXPECT_NE(library.status().changedBits & (decoder::kStatusPropertiesChanged | decoder::kStatusTimingChanged), 0u);
    EXPECT_EQ(published(library), (std::vector<int32_t>{44100, 130, 1, 213}));  // the bit rate: a running average
}

TEST(MpegCodec, SeekingStartsAFreshSearchAndConfirmation) {
    LibraryDecoder library;
    ASSERT_EQ(library.open(silentFrames(HeaderFields{}, 5)), kSuccess);
    ASSERT_EQ(decoder::Decode(library.d, nullptr), kSuccess);
    ASSERT_EQ(decoder::SeekBytes(library.d, 417 * 3 + 100), kSuccess);  // into the middle of the fourth frame
    std::vector<int16_t> rest;
    EXPECT_EQ(library.decodeAll(rest), kEndOfInput);
    EXPECT_EQ(rest.size(), 1152u * 2u);  // only the fifth frame
}

TEST(MpegCodec, DamageAroundTheFramesIsSkippedAndUnanalysedStartsStillDecode) {
    const auto frame = silentFrames(kSmall, 1);
    std::vector<uint8_t> protectedFrame =
        silentFrames({.layer = kLayer1, .protection = 0, .bitrateIndex = 1, .samplingIndex = 1, .mode = 3}, 1);
    protectedFrame[4] = protectedFrame[5] = 0xFF;  // a CRC of ones, where allocation 15 would be forbidden
    const struct {
        std::vector<uint8_t> bytes;
        size_t frames;
        bool seekable = false;
    } cases[] = {
        // Sync with bit-rate index 15 first: the search goes on four bytes later, not one.
        {concat({{0xFF, 0xFB, 0xFF, 0xFB}, frame, frame}), 2},
        // Junk between frames, and a lone header whose successor is junk: dropped after its check.
        {concat({frame, frame, {0, 0x12, 0x34}, frame, {0, 0, 0, 0, 0x55}, frame, frame}), 4},
        {concat({protectedFrame, protectedFrame, protectedFrame}), 3},
        {silentFrames({.layer = kLayer1, .bitrateIndex = 0, .samplingIndex = 1, .mode = 3}, 5), 0},
        // Starts that cannot be analysed in advance: junk first, or shorter than the analysed bytes.
        {concat({{1, 2, 3}, silentFrames(HeaderFields{}, 3)}), 3, true},
        {silentFrames(kSmall, 2), 2, true},
    };
    for (const auto& c : cases) {
        const auto frames = decodeFrames(c.bytes, 0, 0, c.seekable);
        ASSERT_EQ(frames.size(), c.frames + 1) << &c - cases;
        EXPECT_EQ(frames.back().status, kEndOfInput) << &c - cases;
        for (size_t i = 0; i < c.frames; ++i) EXPECT_FALSE(frames[i].left.empty()) << &c - cases;
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
        return ++reads == failingRead ? -3 : e->next->filter.read(e->next, buffer, count);
    };
    for (failingRead = 2; failingRead <= 8; ++failingRead) {
        reads = 0;
        LibraryDecoder library;
        ASSERT_EQ(decoder::AddInputFilter(library.d, &failing, 0), 1);
        ASSERT_EQ(library.open(silentFrames(kSmall, 4), {.seekable = false}), kSuccess);
        std::vector<int16_t> pcm;
        EXPECT_EQ(library.decodeAll(pcm), -3) << failingRead;
        EXPECT_EQ(library.decodeAll(pcm), kEndOfInput) << failingRead;
        EXPECT_EQ(pcm.size(), 4u * 384u) << failingRead;  // nothing lost
    }
}

TEST(MpegCodec, StateFitsBesideTheDecodersOwnBuffersAndDecodingAllocatesNothing) {
    EXPECT_LT(sizeof(MpegCodecInstance) + decoder::kInternalBufferBytes + sizeof(decoder::Decoder), 48u * 1024u);
    const std::vector<uint8_t> bytes = conformanceFile("l3-sin1k0db.bit");
    ASSERT_FALSE(bytes.empty()) << "l3-sin1k0db.bit not found in " << SONIDRAX_CONFORMANCE_DIR;
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
