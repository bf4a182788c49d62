// Truncated, overwritten and randomly damaged files, read from disk: each one ends
// in a status or in a file whose every counted frame can be read.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "sound_files.h"

namespace sonidrax::media {
namespace {

using namespace testing;

// Every truncation; sizes and counts of 0, 1, odd and near 2^32 in either byte order
// over the header; a few random bytes anywhere.
std::vector<Bytes> variantsOf(const Bytes& base) {
    std::vector<Bytes> variants;
    for (size_t end = 0; end < base.size(); ++end) variants.emplace_back(base.begin(), base.begin() + end);
    for (size_t at = 4; at < 64 && at + 4 <= base.size(); at += 2) {
        for (const uint32_t value : {0u, 1u, 7u, 0x7FFFFFFFu, 0xFFFFFFF1u, 0xFFFFFFFFu}) {
            for (const Bytes& word : {Bytes{}.be(value, 4), Bytes{}.le(value, 4)}) {
                variants.push_back(base);
                std::copy(word.begin(), word.end(), variants.back().begin() + at);
            }
        }
    }
    std::mt19937 random(20261206);
    for (int i = 0; i < 150; ++i) {
        variants.push_back(base);
        for (int n = 0; n <= i % 4; ++n) variants.back()[random() % base.size()] = static_cast<uint8_t>(random());
    }
    return variants;
}

class CorruptedFileTest : public ::testing::TestWithParam<Bytes> {};

TEST_P(CorruptedFileTest, EndsInStatusOrReadableFile) {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const auto path = std::filesystem::temp_directory_path() / ("sonidrax-media-" + std::to_string(stamp));
    for (const Bytes& variant : variantsOf(GetParam())) {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(variant.data()), variant.size());
        std::unique_ptr<AudioFile> file;
        if (AudioFile::open(openFileSource(path.string().c_str()), file) != OpenResult::kOpened) continue;
        const TrackFormat& f = file->format();
        ASSERT_TRUE(f.channels >= 1 && f.channels <= 8 && f.sampleRate >= 1 && f.sampleRate <= 384000);
        uint64_t read = 0;
        for (size_t got = 1; got > 0; read += got) got = readFrames(*file, read, 333).size() / f.channels;
        ASSERT_EQ(read, f.frames);
    }
    std::filesystem::remove(path);
}

const Bytes kSixFrames{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};

INSTANTIATE_TEST_SUITE_P(Containers, CorruptedFileTest,
                         ::testing::Values(aiff("", 2, 16, 8000, 6, kSixFrames),
                                           aiff("sowt", 2, 16, 8000, 6, kSixFrames), au(3, 2, 8000, kSixFrames),
                                           wave(1, 2, 8000, 16, kSixFrames),
                                           wave(0, 2, 8000, 24, Bytes(36, 7), 1, 20)));

}  // namespace
}  // namespace sonidrax::media
