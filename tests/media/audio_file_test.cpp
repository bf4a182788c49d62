// Files of every container, encoding and channel count, built from known samples.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "media/audio_file.h"
#include "sound_files.h"

namespace sonidrax::media {
namespace {

using testing::Bytes;
enum class Store { kInt, kUnsigned8, kFloat };

struct Encoding {
    Container container;
    std::string compression;  // AIFF-C compression type
    uint16_t code;            // AU encoding or WAVE format tag
    int bits, bytes;
    Store store;
    bool bigEndian;
    uint16_t subFormat = 0;
    int validBits = 0;
};

// Multiples of 256, so that 8-bit samples carry them exactly; floats carry them too
// as they stay above -32767.
std::vector<int16_t> knownSamples(size_t count) {
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i)
        samples[i] = static_cast<int16_t>((static_cast<int>(i * 7919 % 255) - 127) * 256);
    return samples;
}

Bytes encode(const Encoding& e, const std::vector<int16_t>& samples) {
    Bytes data;
    for (const int16_t s : samples) {
        uint64_t word = (uint64_t{static_cast<uint16_t>(s)} << 48) | 0xA5A5A5A5A5A5ull;  // junk below the top 16 bits
        if (e.store == Store::kUnsigned8) word = uint64_t{static_cast<uint8_t>((s >> 8) + 128)} << 56;
        if (e.store == Store::kFloat && e.bytes == 4) {
            const float value = static_cast<float>(s / 32767.0);
            uint32_t bits;
            std::memcpy(&bits, &value, 4);
            word = uint64_t{bits} << 32;
        }
        if (e.store == Store::kFloat && e.bytes == 8) {
            const double value = s / 32767.0;
            std::memcpy(&word, &value, 8);
        }
        word >>= 64 - 8 * e.bytes;
        e.bigEndian ? data.be(word, e.bytes) : data.le(word, e.bytes);
    }
    return data;
}

Bytes fileOf(const Encoding& e, int channels, uint32_t frames, const Bytes& data) {
    if (e.container == Container::kAu) return testing::au(e.code, channels, 44100, data);
    if (e.container == Container::kWave) {
        return testing::wave(e.code, channels, 44100, e.bits, data, e.subFormat, e.validBits);
    }
    return testing::aiff(e.compression, channels, e.bits, 44100, frames, data);
}

std::vector<int16_t> readAll(AudioFile& file, uint64_t first, size_t count) {
    std::vector<int16_t> out(count * file.format().channels);
    out.resize(file.readPcm16(first, count, out.data()) * file.format().channels);
    return out;
}

OpenResult openBytes(const Bytes& bytes, std::unique_ptr<AudioFile>& file) {
    return AudioFile::open(openMemorySource(bytes.data(), bytes.size()), file);
}

class EncodingTest : public ::testing::TestWithParam<std::tuple<Encoding, int>> {};

TEST_P(EncodingTest, DecodesKnownSamplesOfEveryChannel) {
    const auto& [encoding, channels] = GetParam();
    const uint32_t frames = 700;  // more than one conversion piece for every frame size
    const std::vector<int16_t> samples = knownSamples(frames * channels);
    const Bytes bytes = fileOf(encoding, channels, frames, encode(encoding, samples));
    std::unique_ptr<AudioFile> file;
    ASSERT_EQ(openBytes(bytes, file), OpenResult::kOpened);
    const TrackFormat& format = file->format();
    EXPECT_EQ(format.container, encoding.container);
    EXPECT_EQ(format.channels, channels);
    EXPECT_EQ(format.sampleBits, encoding.validBits ? encoding.validBits : encoding.bits);
    EXPECT_EQ(format.sampleRate, 44100u);
    EXPECT_EQ(format.frames, frames);
    EXPECT_EQ(readAll(*file, 0, frames), samples);
    const std::vector<int16_t> middle(samples.begin() + 301 * channels, samples.begin() + 351 * channels);
    EXPECT_EQ(readAll(*file, 301, 50), middle);
    EXPECT_EQ(readAll(*file, 690, 100).size(), 10u * channels);
}

const Encoding kEncodings[] = {
    {Container::kAiff, "", 0, 8, 1, Store::kInt, true},
    {Container::kAiff, "", 0, 16, 2, Store::kInt, true},
    {Container::kAiff, "", 0, 24, 3, Store::kInt, true},
    {Container::kAiff, "", 0, 32, 4, Store::kInt, true},
    {Container::kAiffC, "NONE", 0, 16, 2, Store::kInt, true},
    {Container::kAiffC, "twos", 0, 24, 3, Store::kInt, true},
    {Container::kAiffC, "sowt", 0, 16, 2, Store::kInt, false},
    {Container::kAiffC, "sowt", 0, 32, 4, Store::kInt, false},
    {Container::kAiffC, "fl32", 0, 32, 4, Store::kFloat, true},
    {Container::kAiffC, "FL64", 0, 64, 8, Store::kFloat, true},
    {Container::kAiffC, "raw ", 0, 8, 1, Store::kUnsigned8, true},
    {Container::kAu, "", 2, 8, 1, Store::kInt, true},
    {Container::kAu, "", 3, 16, 2, Store::kInt, true},
    {Container::kAu, "", 4, 24, 3, Store::kInt, true},
    {Container::kAu, "", 5, 32, 4, Store::kInt, true},
    {Container::kAu, "", 6, 32, 4, Store::kFloat, true},
    {Container::kAu, "", 7, 64, 8, Store::kFloat, true},
    {Container::kWave, "", 1, 8, 1, Store::kUnsigned8, false},
    {Container::kWave, "", 1, 16, 2, Store::kInt, false},
    {Container::kWave, "", 1, 24, 3, Store::kInt, false},
    {Container::kWave, "", 1, 32, 4, Store::kInt, false},
    {Container::kWave, "", 3, 32, 4, Store::kFloat, false},
    {Container::kWave, "", 3, 64, 8, Store::kFloat, false},
    {Container::kWave, "", 0, 24, 3, Store::kInt, false, 1, 20},
    {Container::kWave, "", 0, 32, 4, Store::kFloat, false, 3, 32},
};
INSTANTIATE_TEST_SUITE_P(AllContainers, EncodingTest,
                         ::testing::Combine(::testing::ValuesIn(kEncodings), ::testing::Values(1, 2, 5, 8)));

}  // namespace
}  // namespace sonidrax::media
