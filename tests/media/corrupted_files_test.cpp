// Truncated, resized and randomly damaged files, read from disk: each one ends in a
// status or in a file whose every counted frame can be read.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "media/audio_file.h"
#include "sound_files.h"

namespace sonidrax::media {
namespace {

using testing::Bytes;

struct Damage {
    const char* name;
    Bytes base;
    std::vector<size_t> sizeFields;  // offsets of the 32-bit sizes and counts of the header
    bool bigEndian;
};

std::vector<Bytes> variantsOf(const Damage& damage) {
    std::vector<Bytes> variants;
    for (size_t end = 0; end < damage.base.size(); ++end)
        variants.emplace_back(damage.base.begin(), damage.base.begin() + end);
    for (const size_t field : damage.sizeFields) {
        for (const uint32_t value : {0u, 1u, 7u, 0x7FFFFFFFu, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
            Bytes word = damage.bigEndian ? Bytes{}.be(value, 4) : Bytes{}.le(value, 4);
            Bytes variant = damage.base;
            std::copy(word.begin(), word.end(), variant.begin() + field);
            variants.push_back(variant);
        }
    }
    std::mt19937 random(20261206);
    for (int i = 0; i < 150; ++i) {
        Bytes variant = damage.base;
        for (int n = 0; n < 1 + i % 4; ++n) variant[random() % variant.size()] = static_cast<uint8_t>(random());
        variants.push_back(variant);
    }
    return variants;
}

class CorruptedFileTest : public ::testing::TestWithParam<Damage> {};

TEST_P(CorruptedFileTest, EndsInStatusOrReadableFile) {
    const auto folder =
        std::filesystem::temp_directory_path() /
        ("sonidrax-media-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(folder);
    const std::vector<Bytes> variants = variantsOf(GetParam());
    for (size_t i = 0; i < variants.size(); ++i) {
        const std::string path = (folder / ("variant" + std::to_string(i) + ".bin")).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(variants[i].data()), variants[i].size());
        std::unique_ptr<AudioFile> file;
        if (AudioFile::open(openFileSource(path.c_str()), file) != OpenResult::kOpened) continue;
        const TrackFormat& format = file->format();
        ASSERT_TRUE(format.channels >= 1 && format.channels <= 8) << "variant " << i;
        ASSERT_TRUE(format.sampleRate >= 1 && format.sampleRate <= 384000) << "variant " << i;
        std::vector<int16_t> out(333 * format.channels);
        uint64_t read = 0;
        for (size_t got = 1; got > 0; read += got) got = file->readPcm16(read, 333, out.data());
        ASSERT_EQ(read, format.frames) << "variant " << i;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

const Bytes kSixStereoFrames{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};

INSTANTIATE_TEST_SUITE_P(
    Containers, CorruptedFileTest,
    ::testing::Values(
        Damage{"Aiff", testing::aiff("", 2, 16, 8000, 6, kSixStereoFrames), {4, 16, 22, 42, 46}, true},
        Damage{"Aifc", testing::aiff("sowt", 2, 16, 8000, 6, kSixStereoFrames), {4, 16, 22, 48, 52}, true},
        Damage{"Au", testing::au(3, 2, 8000, kSixStereoFrames), {4, 8, 12, 16, 20}, true},
        Damage{"Wave", testing::wave(1, 2, 8000, 16, kSixStereoFrames), {4, 16, 24, 40}, false},
        Damage{"WaveExtensible", testing::wave(0, 2, 8000, 24, Bytes(36, 7), 1, 20), {4, 16, 24, 64}, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sonidrax::media
