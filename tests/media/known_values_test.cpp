// Samples whose 16-bit value is known independently of the readers: G.711 codes,
// out-of-range floats, unsigned bytes and padding bits below a short sample.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "media/audio_file.h"
#include "sound_files.h"

namespace sonidrax::media {
namespace {

using testing::Bytes;

Bytes floats32(std::initializer_list<float> values) {
    Bytes data;
    for (const float value : values) {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        data.le(bits, 4);
    }
    return data;
}

struct KnownValues {
    const char* name;
    Bytes file;
    std::vector<int16_t> expected;
};

class KnownValuesTest : public ::testing::TestWithParam<KnownValues> {};

TEST_P(KnownValuesTest, Decode) {
    const Bytes& bytes = GetParam().file;
    std::unique_ptr<AudioFile> file;
    ASSERT_EQ(AudioFile::open(openMemorySource(bytes.data(), bytes.size()), file), OpenResult::kOpened);
    std::vector<int16_t> out(16);
    out.resize(file->readPcm16(0, 16, out.data()));
    EXPECT_EQ(out, GetParam().expected);
}

const Bytes kMuLaw{0x00, 0x80, 0xFF, 0x7F, 0x0F};
const Bytes kALaw{0xD5, 0x55, 0xAA, 0x2A};
const float kNaN = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Codes, KnownValuesTest,
    ::testing::Values(
        KnownValues{"AuMuLaw", testing::au(1, 1, 8000, kMuLaw), {-32124, 32124, 0, 0, -16764}},
        KnownValues{"WaveMuLaw", testing::wave(7, 1, 8000, 8, kMuLaw), {-32124, 32124, 0, 0, -16764}},
        KnownValues{"AifcMuLaw", testing::aiff("ULAW", 1, 16, 8000, 5, kMuLaw), {-32124, 32124, 0, 0, -16764}},
        KnownValues{"AuALaw", testing::au(27, 1, 8000, kALaw), {8, -8, 32256, -32256}},
        KnownValues{"WaveALaw", testing::wave(6, 1, 8000, 8, kALaw), {8, -8, 32256, -32256}},
        KnownValues{"AifcALaw", testing::aiff("alaw", 1, 16, 8000, 4, kALaw), {8, -8, 32256, -32256}},
        KnownValues{"FloatsClamped",
                    testing::wave(3, 1, 8000, 32, floats32({1.5f, -2.0f, kNaN, 0.5f, -0.5f})),
                    {32767, -32767, 0, 16384, -16384}},
        KnownValues{"UnsignedBytes", testing::wave(1, 1, 8000, 8, Bytes{0x00, 0x80, 0xFF}), {-32768, 0, 32512}},
        KnownValues{"RawBytes", testing::aiff("raw ", 1, 8, 8000, 3, Bytes{0x00, 0x80, 0xFF}), {-32768, 0, 32512}},
        KnownValues{
            "TwelveBitsPadded", testing::aiff("", 1, 12, 8000, 2, Bytes{0x12, 0x3F, 0xFF, 0xFF}), {0x1230, -16}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sonidrax::media
