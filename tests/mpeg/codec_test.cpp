#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>

#include "bit_writer.h"
#include "codec_harness.h"
#include "codec_instance.h"
#include "mpeg_codec.h"

namespace sonidrax::mpeg::testing {
namespace {

// n frames with all-zero bodies: every allocation (or Huffman region) empty, so each
// decodes to silence.
std::vector<uint8_t> silentFrames(const HeaderFields& f, int n) {
    std::vector<uint8_t> bytes;
    const uint32_t length = frameLength(unpackHeader(headerWord(f)));
    for (int i = 0; i < n; ++i) {
        appendWord(bytes, headerWord(f));
        bytes.resize(bytes.size() + length - 4, 0);
    }
    return bytes;
}

HeaderFields layer2Stereo() {
    HeaderFields f;  // MPEG-1 Layer II, 128 kbit/s, 44100 Hz, stereo: 417 bytes
    return f;
}

float gainOf(int8_t b) { return b >= 0 ? 1.0f + b / 32.0f : 1.0f / (1.0f - b / 32.0f); }

std::vector<uint8_t> id3Tag(uint32_t size) {
    std::vector<uint8_t> tag = {'I', 'D', '3', 3, 0, 0};
    for (int shift = 21; shift >= 0; shift -= 7) tag.push_back(static_cast<uint8_t>((size >> shift) & 0x7F));
    tag.resize(10 + size, 0);
    return tag;
}

TEST(MpegCodec, DescriptorAndQueryAnswerTheCodecsFacts) {
    decoder::CodecModule m{};
    ASSERT_EQ(GetMpegCodecModule(&m), 0);
    EXPECT_EQ(m.inputClosed, nullptr);
    EXPECT_EQ(m.probe("audio/unknown", "x"), 0);
    decoder::ModuleInfo info{};
    info.maxOutputBytes = -1;
    ASSERT_EQ(m.query(&info, decoder::kQueryModule | decoder::kQueryMaxOutput | decoder::kQueryCodecCaps), 0);
    EXPECT_STREQ(info.name, "MPEG Audio Codec");
    EXPECT_EQ(info.maxOutputBytes, -1);  // ignored beside flag 1
    ASSERT_EQ(m.query(&info, decoder::kQueryMaxOutput | decoder::kQueryCodecCaps | decoder::kQueryDeviceCount), 0);
    EXPECT_EQ(info.maxOutputBytes, 4608);
    EXPECT_EQ(info.flags, 3);
    EXPECT_EQ(info.index, 1);
    info.index = 0;
    ASSERT_EQ(m.query(&info, decoder::kQueryDevice), 0);
    EXPECT_STREQ(info.name, "MP1, MP2, MP3");
    info.index = 1;
    EXPECT_EQ(m.query(&info, decoder::kQueryDevice), decoder::kInvalidParameters);
}

TEST(MpegCodec, StreamInfoPublishesTheFirstFramesParametersAndDuration) {
    CodecHarness h(silentFrames(layer2Stereo(), 10));
    ASSERT_EQ(h.open(), 0);
    EXPECT_EQ(h.status().changedBits, 7u);
    EXPECT_EQ(h.status().sampleRate, 44100);
    EXPECT_EQ(h.status().bitrate, 128);
    EXPECT_EQ(h.status().channels, 2);
    EXPECT_STREQ(h.status().mimeType, "audio/mpeg");
    EXPECT_EQ(h.properties, (std::map<std::string, int32_t>{{"mpeg/layer", 2}, {"mpeg/level", 1}, {"mpeg/mode", 0}}));
    EXPECT_EQ(h.status().durationMs, 4170u / 16u);
    HeaderFields f;
    f.layer = kLayer3;
    f.bitrateIndex = 9;  // 128 kbit/s
    std::vector<uint8_t> bytes = silentFrames(f, 1);
    bytes.resize(1600000, 0);
    CodecHarness hundred(bytes);
    ASSERT_EQ(hundred.open(), 0);
    EXPECT_EQ(hundred.status().durationMs, 100000u);
}

TEST(MpegCodec, Id3v2TagIsSkippedUnlessLongerThanTheInput) {
    std::vector<uint8_t> bytes = id3Tag(4096);
    const auto frames = silentFrames(layer2Stereo(), 4);
    bytes.insert(bytes.end(), frames.begin(), frames.end());
    CodecHarness h(bytes);
    ASSERT_EQ(h.open(), 0);
    EXPECT_EQ(h.decoder.input.bytesConsumed, 4106u);  // positioned at the first frame
    EXPECT_FLOAT_EQ(h.module.positionOfOffset(h.instance, 4106), 0.0f);
    EXPECT_FLOAT_EQ(h.module.positionOfOffset(h.instance, 4106 + 834), 0.5f);
    EXPECT_FLOAT_EQ(h.module.positionOfOffset(h.instance, 100), 0.0f);
    std::vector<int16_t> pcm;
    EXPECT_EQ(h.decodeAll(pcm), decoder::kEndOfInput);
    EXPECT_EQ(pcm.size(), 4u * 1152u * 2u);
    bytes.resize(1000);
    CodecHarness cut(bytes);
    EXPECT_EQ(cut.open(), decoder::kEndOfInput);
    EXPECT_FLOAT_EQ(cut.module.positionOfOffset(cut.instance, 500), 0.0f);  // no audio data
}

TEST(MpegCodec, StreamsWhoseStartCannotBeAnalysedAreStillDecoded) {
    HeaderFields small;
    small.layer = kLayer1;
    small.bitrateIndex = 1;
    small.samplingIndex = 1;  // 32-byte frames: the whole stream is shorter than the analysed start
    std::vector<uint8_t> junkFirst = {1, 2, 3};
    const auto frames = silentFrames(layer2Stereo(), 3);
    junkFirst.insert(junkFirst.end(), frames.begin(), frames.end());
    const struct {
        std::vector<uint8_t> bytes;
        int32_t opened;
        size_t samples;
    } cases[] = {{junkFirst, decoder::kNotAvailable, 3u * 1152u * 2u},
                 {silentFrames(small, 2), decoder::kEndOfInput, 2u * 384u * 2u}};
    for (const auto& c : cases) {
        CodecHarness h(c.bytes);
        EXPECT_EQ(h.open(), c.opened);
        EXPECT_TRUE(h.properties.empty());
        EXPECT_EQ(h.status().changedBits, 0u);
        std::vector<int16_t> pcm;
        EXPECT_EQ(h.decodeAll(pcm), decoder::kEndOfInput);
        EXPECT_EQ(pcm.size(), c.samples);
    }
}

TEST(MpegCodec, ChannelAndRateOptionsShapeTheOutput) {
    HeaderFields lower = layer2Stereo();
    lower.version = 0;  // MPEG-2 Layer II at 22050 Hz
    HeaderFields mono = layer2Stereo();
    mono.mode = 3;
    mono.bitrateIndex = 10;
    const struct {
        HeaderFields f;
        int32_t channelOption, rateOption, rate, channels, samples;
    } cases[] = {{layer2Stereo(), 3, 2, 11025, 1, 288},  // mixed, quarter rate
                 {lower, 0, 1, 22050, 2, 1152},
                 {lower, 0, 2, 11025, 2, 576},
                 {mono, 2, 0, 44100, 1, 1152}};  // right only: a single channel still gives its channel
    for (const auto& c : cases) {
        CodecHarness h(silentFrames(c.f, 3));
        ASSERT_EQ(h.open(c.channelOption, c.rateOption), 0);
        int16_t pcm[2304];
        ASSERT_EQ(h.decode(pcm), 0);
        EXPECT_EQ(h.output().sampleRate, c.rate) << &c - cases;
        EXPECT_EQ(h.output().channels, c.channels) << &c - cases;
        EXPECT_EQ(h.output().samplesPerChannel, c.samples) << &c - cases;
    }
}

TEST(MpegCodec, EqualiserGainsMapFromBytesAndBack) {
    CodecHarness h(silentFrames(layer2Stereo(), 1));
    int8_t gains[64];
    for (int i = 0; i < 64; ++i) gains[i] = static_cast<int8_t>(i * 4 - 128);
    gains[0] = 32;
    gains[1] = -32;
    gains[2] = 0;
    ASSERT_EQ(h.open(0, 0, gains), 0);
    const auto& codec = *static_cast<MpegCodecInstance*>(h.instance);
    EXPECT_FLOAT_EQ(codec.leftSynthesis.getGains()[0], 2.0f);
    EXPECT_FLOAT_EQ(codec.leftSynthesis.getGains()[1], 0.5f);
    EXPECT_FLOAT_EQ(codec.leftSynthesis.getGains()[2], 1.0f);
    EXPECT_FLOAT_EQ(codec.rightSynthesis.getGains()[0], gainOf(gains[32]));
    int8_t back[64] = {};
    decoder::CodecParameters parameters{0, 0, back};
    ASSERT_EQ(h.module.getParameters(h.instance, &parameters, decoder::kAllParameters), 0);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(back[i], gains[i]) << i;
    parameters.bandGains = nullptr;
    ASSERT_EQ(h.module.setParameters(h.instance, &parameters, decoder::kParameterBandGains), 0);
    parameters.bandGains = back;
    std::memset(back, 7, sizeof back);
    ASSERT_EQ(h.module.getParameters(h.instance, &parameters, decoder::kParameterBandGains), 0);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(back[i], 0) << i;
}

// A Layer III stream whose first frame carries a "Xing" header with a frame count and
// a seek table; its frames are silent (empty side information).
std::vector<uint8_t> xingStream(int frames, uint32_t samplingIndex = 0) {
    HeaderFields f;
    f.layer = kLayer3;
    f.bitrateIndex = 9;
    f.samplingIndex = samplingIndex;
    std::vector<uint8_t> bytes = silentFrames(f, frames);
    std::vector<uint8_t> tag = {'X', 'i', 'n', 'g'};
    appendWord(tag, 1 | 4);
    appendWord(tag, static_cast<uint32_t>(frames));
    for (int i = 0; i < 100; ++i) tag.push_back(static_cast<uint8_t>(i * 255 / 100));
    std::copy(tag.begin(), tag.end(), bytes.begin() + 36);
    return bytes;
}

TEST(MpegCodec, SeekTableMapsPositionsAndStaysInsideTheTable) {
    CodecHarness h(xingStream(20));
    ASSERT_EQ(h.open(), 0);
    EXPECT_EQ(h.status().durationMs, 522u);  // 20 x 1152 samples at 44100 Hz
    EXPECT_FLOAT_EQ(h.module.offsetOfPosition(h.instance, 1.0f), 1.0f);
    EXPECT_FLOAT_EQ(h.module.offsetOfPosition(h.instance, 0.0f), 0.0f);
    // Between entries 50 (127) and 51 (130): a quarter of the way.
    EXPECT_NEAR(h.module.offsetOfPosition(h.instance, 0.5025f), (127 + 0.25 * 3) / 256.0, 1e-5);
    // Inside the last entry the end of the stream is the next point.
    EXPECT_NEAR(h.module.offsetOfPosition(h.instance, 0.995f), (252 + 0.5 * 4) / 256.0, 1e-5);
    // Out-of-range positions are held to the table.
    EXPECT_FLOAT_EQ(h.module.offsetOfPosition(h.instance, 7.0f), 1.0f);
    EXPECT_FLOAT_EQ(h.module.offsetOfPosition(h.instance, -1.0f), 0.0f);
}

TEST(MpegCodec, SeekTableTakesTheId3TagIntoAccount) {
    std::vector<uint8_t> bytes = id3Tag(990);  // 1000 bytes with its header
    const auto stream = xingStream(10);        // 4170 bytes
    bytes.insert(bytes.end(), stream.begin(), stream.end());
    CodecHarness h(bytes);
    ASSERT_EQ(h.open(), 0);
    EXPECT_FLOAT_EQ(h.module.offsetOfPosition(h.instance, 1.0f), 1.0f);
    EXPECT_NEAR(h.module.offsetOfPosition(h.instance, 0.0f), 1000.0 / 5170.0, 1e-6);
    EXPECT_NEAR(h.module.offsetOfPosition(h.instance, 0.5f), (127 / 256.0 * 4170 + 1000) / 5170.0, 1e-5);
    // Without a table the position maps straight through the audio data.
    CodecHarness plain(silentFrames(layer2Stereo(), 2));
    ASSERT_EQ(plain.open(), 0);
    EXPECT_FLOAT_EQ(plain.module.offsetOfPosition(plain.instance, 0.25f), 0.25f);
}

TEST(MpegCodec, VariableRateStreamKeepsItsAnalysedStatus) {
    std::vector<uint8_t> bytes = xingStream(3);
    HeaderFields f;
    f.layer = kLayer3;
    f.bitrateIndex = 9;
    f.samplingIndex = 1;  // 48000 Hz from the fourth frame on
    const auto later = silentFrames(f, 3);
    bytes.insert(bytes.end(), later.begin(), later.end());
    CodecHarness h(bytes);
    ASSERT_EQ(h.open(), 0);
    const int32_t analysedRate = h.status().bitrate;
    int16_t pcm[2304];
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(h.decode(pcm), 0) << i;
        EXPECT_EQ(h.output().sampleRate, i < 3 ? 44100 : 48000) << i;
        EXPECT_EQ(h.status().sampleRate, 44100) << i;
        EXPECT_EQ(h.status().bitrate, analysedRate) << i;
    }
}

TEST(MpegCodec, ConstantRateStreamPublishesChangesAsFramesArrive) {
    HeaderFields mono = layer2Stereo();
    mono.mode = 3;
    mono.bitrateIndex = 10;  // 192 kbit/s
    std::vector<uint8_t> bytes = silentFrames(layer2Stereo(), 2);
    const auto monoFrames = silentFrames(mono, 2);
    bytes.insert(bytes.end(), monoFrames.begin(), monoFrames.end());
    CodecHarness h(bytes, false);  // not seekable: nothing analysed in advance
    ASSERT_EQ(h.open(), 0);
    int16_t pcm[2304];
    ASSERT_EQ(h.decode(pcm), 0);
    EXPECT_EQ(h.status().changedBits, 7u);
    EXPECT_EQ(h.status().sampleRate, 44100);
    EXPECT_EQ(h.status().bitrate, 128);
    EXPECT_GT(h.status().durationMs, 0u);
    ASSERT_EQ(h.decode(pcm), 0);
    EXPECT_EQ(h.status().changedBits, 0u);  // nothing new
    ASSERT_EQ(h.decode(pcm), 0);
    EXPECT_EQ(h.properties["mpeg/mode"], 3);
    EXPECT_EQ(h.status().channels, 1);
    EXPECT_EQ(h.output().channels, 1);
    EXPECT_NE(h.status().changedBits & (decoder::kStatusPropertiesChanged | decoder::kStatusTimingChanged), 0u);
    // The shown bit rate follows a running average, not each frame.
    EXPECT_EQ(h.status().bitrate, 130);
}

TEST(MpegCodec, SeekStartsAFreshSearchAndConfirmation) {
    const auto bytes = silentFrames(layer2Stereo(), 5);
    CodecHarness h(bytes);
    ASSERT_EQ(h.open(), 0);
    int16_t pcm[2304];
    ASSERT_EQ(h.decode(pcm), 0);
    ASSERT_EQ(h.seekBytes(417 * 3 + 100), 0);  // into the middle of the fourth frame
    std::vector<int16_t> rest;
    EXPECT_EQ(h.decodeAll(rest), decoder::kEndOfInput);
    EXPECT_EQ(rest.size(), 1152u * 2u);  // only the fifth frame
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
