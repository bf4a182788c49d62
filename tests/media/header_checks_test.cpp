// What each reader makes of headers at and past the limits of what it plays.
#include <gtest/gtest.h>

#include "media/audio_file.h"
#include "sound_files.h"

namespace sonidrax::media {
namespace {

using testing::Bytes;

const Bytes kTenStereoFrames(40, 0x11);

Bytes cut(Bytes bytes, size_t tail) { return Bytes(bytes.begin(), bytes.end() - tail); }

Bytes patched(Bytes bytes, size_t offset, uint8_t value) {
    bytes[offset] = value;
    return bytes;
}

// An AIFF form whose chunks come in the given order.
Bytes aiffOf(const Bytes& chunks) { return Bytes{}.text("FORM").be(chunks.size() + 4, 4).text("AIFF").add(chunks); }
const Bytes kComm = Bytes{}.be(2, 2).be(10, 4).be(16, 2).add(testing::extended(8000));
const Bytes kSsnd = Bytes{}.be(0, 8).add(kTenStereoFrames);

Bytes waveOf(const Bytes& chunks) { return Bytes{}.text("RIFF").le(chunks.size() + 4, 4).text("WAVE").add(chunks); }
const Bytes kFmt = Bytes{}.le(1, 2).le(2, 2).le(8000, 4).le(32000, 4).le(4, 2).le(16, 2);

struct HeaderCase {
    const char* name;
    Bytes file;
    OpenResult result;
    uint64_t frames = 0;
    uint32_t rate = 0;
};

class HeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderTest, Opens) {
    const HeaderCase& c = GetParam();
    std::unique_ptr<AudioFile> file;
    ASSERT_EQ(AudioFile::open(openMemorySource(c.file.data(), c.file.size()), file), c.result);
    if (c.result != OpenResult::kOpened) {
        EXPECT_EQ(file, nullptr);
        return;
    }
    EXPECT_EQ(file->format().frames, c.frames);
    if (c.rate != 0) {
        EXPECT_EQ(file->format().sampleRate, c.rate);
    }
    std::vector<int16_t> out(c.frames * file->format().channels + 1);
    EXPECT_EQ(file->readPcm16(0, c.frames + 1, out.data()), c.frames);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, HeaderTest,
    ::testing::Values(
        HeaderCase{"AiffRateRounded", testing::aiff("", 2, 16, 22050.5, 10, kTenStereoFrames), OpenResult::kOpened, 10,
                   22051},
        HeaderCase{"AiffRateHighest", testing::aiff("", 2, 16, 384000, 10, kTenStereoFrames), OpenResult::kOpened, 10},
        HeaderCase{"AiffRateTooHigh", testing::aiff("", 2, 16, 384001, 10, kTenStereoFrames), OpenResult::kNotAudio},
        HeaderCase{"AiffRateBelowOne", testing::aiff("", 2, 16, 0.4, 10, kTenStereoFrames), OpenResult::kNotAudio},
        HeaderCase{"AiffNineChannels", testing::aiff("", 9, 16, 8000, 1, Bytes(18)), OpenResult::kNotAudio},
        HeaderCase{"AiffNoChannels", testing::aiff("", 0, 16, 8000, 1, Bytes(18)), OpenResult::kNotAudio},
        HeaderCase{"AiffSampleSize33", testing::aiff("", 1, 33, 8000, 1, Bytes(5)), OpenResult::kNotAudio},
        HeaderCase{"AifcUnknownCompression", testing::aiff("ima4", 2, 16, 8000, 10, kTenStereoFrames),
                   OpenResult::kNotAudio},
        HeaderCase{"AiffFewerFramesInComm", testing::aiff("", 2, 16, 8000, 3, kTenStereoFrames), OpenResult::kOpened, 3},
        HeaderCase{"AiffMoreFramesInComm", testing::aiff("", 2, 16, 8000, 20, kTenStereoFrames), OpenResult::kOpened,
                   10},
        HeaderCase{"AiffTruncatedData", cut(testing::aiff("", 2, 16, 8000, 10, kTenStereoFrames), 5),
                   OpenResult::kOpened, 8},
        HeaderCase{"AiffNoSoundNoFrames", cut(testing::aiff("", 2, 16, 8000, 0, {}), 16), OpenResult::kOpened, 0},
        HeaderCase{"AiffNoSoundButFrames", cut(testing::aiff("", 2, 16, 8000, 4, {}), 16), OpenResult::kCorrupt},
        HeaderCase{"AiffNoComm", aiffOf(Bytes{}.chunk("SSND", kSsnd, true)), OpenResult::kCorrupt},
        HeaderCase{"AiffChunksReversedAfterOddOne",
                   aiffOf(Bytes{}.chunk("ANNO", Bytes(3), true).chunk("SSND", kSsnd, true).chunk("COMM", kComm, true)),
                   OpenResult::kOpened, 10},
        HeaderCase{"AiffSoundOffsetPastChunk",
                   aiffOf(Bytes{}.chunk("COMM", kComm, true).chunk("SSND", patched(kSsnd, 3, 60), true)),
                   OpenResult::kCorrupt},
        HeaderCase{"AiffShortComm", aiffOf(Bytes{}.chunk("COMM", cut(kComm, 1), true).chunk("SSND", kSsnd, true)),
                   OpenResult::kCorrupt},
        HeaderCase{"WaveChunksReversedAfterOddOne",
                   waveOf(Bytes{}.chunk("LIST", Bytes(5), false).chunk("data", kTenStereoFrames, false).chunk(
                       "fmt ", kFmt, false)),
                   OpenResult::kOpened, 10},
        HeaderCase{"WaveEmptyData", testing::wave(1, 2, 8000, 16, {}), OpenResult::kOpened, 0},
        HeaderCase{"WaveTruncatedData", cut(testing::wave(1, 2, 8000, 16, kTenStereoFrames), 3), OpenResult::kOpened,
                   9},
        HeaderCase{"WaveNoData", waveOf(Bytes{}.chunk("fmt ", kFmt, false)), OpenResult::kCorrupt},
        HeaderCase{"WaveShortFmt", waveOf(Bytes{}.chunk("fmt ", cut(kFmt, 1), false).chunk("data", Bytes(4), false)),
                   OpenResult::kCorrupt},
        HeaderCase{"WaveBlockAlignWrong", patched(testing::wave(1, 2, 8000, 16, kTenStereoFrames), 32, 3),
                   OpenResult::kCorrupt},
        HeaderCase{"WaveAdpcm", testing::wave(2, 2, 8000, 4, kTenStereoFrames), OpenResult::kNotAudio},
        HeaderCase{"WaveFloat16", testing::wave(3, 2, 8000, 16, kTenStereoFrames), OpenResult::kNotAudio},
        HeaderCase{"WaveNineChannels", testing::wave(1, 9, 8000, 16, Bytes(18)), OpenResult::kNotAudio},
        HeaderCase{"WaveRateZero", testing::wave(1, 2, 0, 16, kTenStereoFrames), OpenResult::kNotAudio},
        HeaderCase{"WaveValidBitsAboveContainer", testing::wave(0, 2, 8000, 16, kTenStereoFrames, 1, 17),
                   OpenResult::kCorrupt},
        HeaderCase{"WaveExtensibleUnknownGuid", patched(testing::wave(0, 2, 8000, 16, kTenStereoFrames, 1, 16), 50, 1),
                   OpenResult::kNotAudio},
        HeaderCase{"AuSizePastEnd", patched(testing::au(3, 2, 8000, kTenStereoFrames), 8, 0xFF),
                   OpenResult::kOpened, 10},
        HeaderCase{"AuSizeToEnd", [] {
                       Bytes b = testing::au(3, 2, 8000, kTenStereoFrames);
                       for (int i = 8; i < 12; ++i) b[i] = 0xFF;
                       return b;
                   }(),
                   OpenResult::kOpened, 10},
        HeaderCase{"AuHeaderTooShort", patched(testing::au(3, 2, 8000, kTenStereoFrames), 7, 12), OpenResult::kCorrupt},
        HeaderCase{"AuHeaderPastEnd", patched(testing::au(3, 2, 8000, kTenStereoFrames), 6, 1), OpenResult::kCorrupt},
        HeaderCase{"AuAdpcm", testing::au(23, 2, 8000, kTenStereoFrames), OpenResult::kNotAudio},
        HeaderCase{"AuTruncatedHeader", cut(testing::au(3, 2, 8000, {}), 10), OpenResult::kCorrupt},
        HeaderCase{"Text", Bytes{}.text("hello, world"), OpenResult::kNotAudio},
        HeaderCase{"Empty", Bytes{}, OpenResult::kNotAudio},
        HeaderCase{"RiffVideo", Bytes{}.text("RIFF").le(4, 4).text("AVI "), OpenResult::kNotAudio}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sonidrax::media
