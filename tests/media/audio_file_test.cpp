// Files of every container, encoding and channel count built from known samples;
// headers at and past the limits of what the readers play, also cut short; samples
// whose 16-bit value is known independently (G.711 codes, out-of-range floats,
// unsigned bytes, padding bits below a short sample).
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "media/audio_file.h"

namespace sonidrax::media {
namespace {

// Builds AIFF, AU and WAVE files in memory, field by field.
struct Bytes : std::vector<uint8_t> {
    using std::vector<uint8_t>::vector;
    Bytes& put(uint64_t value, int bytes, bool bigEndian) {
        for (int i = 0; i < bytes; ++i) push_back(static_cast<uint8_t>(value >> (8 * (bigEndian ? bytes - 1 - i : i))));
        return *this;
    }
    Bytes& be(uint64_t value, int bytes) { return put(value, bytes, true); }
    Bytes& le(uint64_t value, int bytes) { return put(value, bytes, false); }
    Bytes& add(const std::string& text) { return insert(end(), text.begin(), text.end()), *this; }
    Bytes& add(const Bytes& more) { return insert(end(), more.begin(), more.end()), *this; }
    // An IFF (big-endian) or RIFF chunk, with its pad byte.
    Bytes& chunk(const std::string& id, const Bytes& body, bool bigEndian) {
        add(id).put(body.size(), 4, bigEndian).add(body);
        return body.size() % 2 ? add(Bytes{0}) : *this;
    }
};

Bytes form(const char* type, const Bytes& chunks, bool bigEndian) {
    return Bytes{}.add(bigEndian ? "FORM" : "RIFF").put(chunks.size() + 4, 4, bigEndian).add(type).add(chunks);
}

// A positive rate as an 80-bit extended number: rate = fraction x 2^exponent.
Bytes extended(double rate) {
    int exponent = 0;
    const double fraction = std::frexp(rate, &exponent);
    return Bytes{}.be(16382 + exponent, 2).be(static_cast<uint64_t>(std::ldexp(fraction, 64)), 8);
}

Bytes comm(int channels, uint32_t frames, int sampleSize, double rate, const std::string& compression = "") {
    Bytes body = Bytes{}.be(channels, 2).be(frames, 4).be(sampleSize, 2).add(extended(rate));
    return compression.empty() ? body : body.add(compression).add(Bytes{0});
}

Bytes aiff(const std::string& compression, int channels, int sampleSize, double rate, uint32_t frames,
           const Bytes& data) {
    Bytes chunks = Bytes{}.chunk("COMM", comm(channels, frames, sampleSize, rate, compression), true);
    return form(compression.empty() ? "AIFF" : "AIFC", chunks.chunk("SSND", Bytes(8).add(data), true), true);
}

Bytes au(uint32_t encoding, uint32_t channels, uint32_t rate, const Bytes& data) {
    Bytes header = Bytes{}.add(".snd").be(28, 4).be(data.size(), 4).be(encoding, 4);
    return header.be(rate, 4).be(channels, 4).be(0, 4).add(data);
}

// `subFormat` non-zero gives the extensible form with that sub-format.
Bytes fmt(uint16_t tag, int channels, uint32_t rate, int bits, uint16_t subFormat = 0, int validBits = 0) {
    const int block = channels * ((bits + 7) / 8);
    Bytes body = Bytes{}.le(subFormat ? 0xFFFE : tag, 2).le(channels, 2).le(rate, 4).le(rate * block, 4);
    body.le(block, 2).le(bits, 2);
    if (!subFormat) return body;
    return body.le(22, 2).le(validBits, 2).le(0, 4).le(subFormat, 2).be(0, 4).be(0x1000800000AA0038, 8).be(0x9B71, 2);
}

Bytes wave(uint16_t tag, int channels, uint32_t rate, int bits, const Bytes& data, uint16_t subFormat = 0,
           int validBits = 0) {
    const Bytes chunks =
        Bytes{}.chunk("fmt ", fmt(tag, channels, rate, bits, subFormat, validBits), false).chunk("data", data, false);
    return form("WAVE", chunks, false);
}

// Up to `count` frames from `first`, as many samples as were converted.
std::vector<int16_t> readFrames(AudioFile& file, uint64_t first, size_t count) {
    std::vector<int16_t> out(count * file.format().channels);
    out.resize(file.readPcm16(first, count, out.data()) * file.format().channels);
    return out;
}

struct Encoding {
    Container container;
    const char* compression;  // AIFF-C compression type
    uint16_t code;            // AU encoding or WAVE format tag
    int bits;
    bool floating, bigEndian;
};

Bytes encode(const Encoding& e, const std::vector<int16_t>& samples) {
    const int bytes = (e.bits + 7) / 8;
    Bytes data;
    for (const int16_t s : samples) {
        uint64_t word = (uint64_t{static_cast<uint16_t>(s)} << 48) | 0xA5A5A5A5A5A5;  // junk below the top 16 bits
        const double value = s / 32767.0;
        if (e.floating) word = std::bit_cast<uint64_t>(value);
        if (e.floating && bytes == 4) word = uint64_t{std::bit_cast<uint32_t>(float(value))} << 32;
        word >>= 64 - 8 * bytes;
        data.put(word, bytes, e.bigEndian);
    }
    return data;
}

class EncodingTest : public ::testing::TestWithParam<std::tuple<Encoding, int>> {};

TEST_P(EncodingTest, DecodesKnownSamplesOfEveryChannel) {
    const auto& [e, channels] = GetParam();
    const uint32_t frames = 700;  // more than one conversion piece for every frame size
    // Multiples of 256 above -32767, which 8-bit samples and floats carry exactly.
    std::vector<int16_t> samples(frames * channels);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>((int(i * 7919 % 255) - 127) * 256);
    const Bytes data = encode(e, samples), bytes = e.container == Container::kAu ? au(e.code, channels, 44100, data)
                                                   : e.container == Container::kWave
                                                       ? wave(e.code, channels, 44100, e.bits, data)
                                                       : aiff(e.compression, channels, e.bits, 44100, frames, data);
    std::unique_ptr<AudioFile> file;
    ASSERT_EQ(AudioFile::open(openMemorySource(bytes.data(), bytes.size()), file), OpenResult::kOpened);
    const TrackFormat& format = file->format();
    EXPECT_EQ(std::tuple(format.container, format.channels, format.sampleBits, format.sampleRate, format.frames),
              std::tuple(e.container, channels, e.bits, 44100u, uint64_t{frames}));
    EXPECT_EQ(readFrames(*file, 0, frames), samples);
    EXPECT_EQ(readFrames(*file, 301, 50), std::vector<int16_t>(&samples[301 * channels], &samples[351 * channels]));
}

const Encoding kEncodings[] = {
    {Container::kAiff, "", 0, 8, false, true},        {Container::kAiff, "", 0, 16, false, true},
    {Container::kAiffC, "twos", 0, 24, false, true},  {Container::kAiffC, "sowt", 0, 16, false, false},
    {Container::kAiffC, "sowt", 0, 32, false, false}, {Container::kAiffC, "fl32", 0, 32, true, true},
    {Container::kAiffC, "FL64", 0, 64, true, true},   {Container::kAu, "", 3, 16, false, true},
    {Container::kAu, "", 4, 24, false, true},         {Container::kAu, "", 5, 32, false, true},
    {Container::kAu, "", 6, 32, true, true},          {Container::kAu, "", 7, 64, true, true},
    {Container::kWave, "", 1, 16, false, false},      {Container::kWave, "", 1, 24, false, false},
    {Container::kWave, "", 1, 32, false, false},      {Container::kWave, "", 3, 32, true, false},
    {Container::kWave, "", 3, 64, true, false}};
INSTANTIATE_TEST_SUITE_P(AllContainers, EncodingTest,
                         ::testing::Combine(::testing::ValuesIn(kEncodings), ::testing::Values(1, 2, 5, 8)));

constexpr OpenResult kOpened = OpenResult::kOpened, kNotAudio = OpenResult::kNotAudio, kCorrupt = OpenResult::kCorrupt;

const Bytes kTenFrames(40, 0x11);  // of 16-bit stereo
const Bytes kSsnd = Bytes(8).add(kTenFrames);
const Bytes kFmt = fmt(1, 2, 8000, 16);
const Bytes kMuLaw{0x00, 0x80, 0xFF, 0x7F, 0x0F}, kALaw{0xD5, 0x55, 0xAA, 0x2A};
// 1.5, -2, NaN, 0.5, -0.5
const Bytes kFloats = Bytes{}.le(0x3FC00000, 4).le(0xC0000000, 4).le(0x7FC00000, 4).le(0x3F000000, 4).le(0xBF000000, 4);
const std::vector<int16_t> kMuLinear{-32124, 32124, 0, 0, -16764}, kALinear{8, -8, 32256, -32256};

Bytes aiff16(uint32_t n, double rate = 8000, int channels = 2) { return aiff("", channels, 16, rate, n, kTenFrames); }
Bytes cut(Bytes bytes, size_t tail) { return Bytes(bytes.begin(), bytes.end() - tail); }
Bytes patched(Bytes bytes, size_t offset, std::initializer_list<uint8_t> values) {
    std::copy(values.begin(), values.end(), bytes.begin() + offset);
    return bytes;
}

struct Case {
    const char* name;
    Bytes file;
    OpenResult result;
    uint64_t frames = 0;
    std::vector<int16_t> samples = {};  // all of them, when given
    uint32_t rate = 8000;
};

class HeaderTest : public ::testing::TestWithParam<Case> {};

// Read from disk whole, and cut short anywhere: each cut ends in a status or in a file
// whose every counted frame can be read.
TEST_P(HeaderTest, OpensWholeAndCut) {
    const Case& c = GetParam();
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const auto path = std::filesystem::temp_directory_path() / ("sonidrax-" + std::to_string(stamp) + c.name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(c.file.data()), c.file.size());
    std::unique_ptr<AudioFile> file;
    EXPECT_EQ(AudioFile::open(openFileSource(path.string().c_str()), file), c.result);
    if (file) {
        EXPECT_EQ(std::tuple(file->format().frames, file->format().sampleRate), std::tuple(c.frames, c.rate));
        const std::vector<int16_t> all = readFrames(*file, 0, c.frames + 1);
        EXPECT_EQ(all.size(), c.frames * file->format().channels);
        EXPECT_EQ(all, c.samples.empty() ? all : c.samples);
    }
    file.reset();
    std::filesystem::remove(path);
    for (size_t end = 0; end < c.file.size(); ++end) {
        if (AudioFile::open(openMemorySource(c.file.data(), end), file) != kOpened) continue;
        const TrackFormat& f = file->format();
        ASSERT_EQ(readFrames(*file, 0, f.frames + 1).size(), f.frames * f.channels) << end;
    }
}

const Case kCases[] = {
    {"AiffRateRounded", aiff16(10, 22050.5), kOpened, 10, {}, 22051},
    {"AiffRateTooHigh", aiff16(10, 384001), kNotAudio},
    {"AiffNineChannels", aiff16(1, 8000, 9), kNotAudio},
    {"AifcUnknownCompression", aiff("ima4", 2, 16, 8000, 10, kTenFrames), kNotAudio},
    {"AiffFewerFramesInComm", aiff16(3), kOpened, 3},
    {"AiffMoreFramesInComm", aiff16(20), kOpened, 10},
    {"AiffNoSoundNoFrames", form("AIFF", Bytes{}.chunk("COMM", comm(2, 0, 16, 8000), true), true), kOpened, 0},
    {"AiffNoComm", form("AIFF", Bytes{}.chunk("SSND", kSsnd, true), true), kCorrupt},
    {"AiffChunksReversedAfterOddOne",
     form("AIFF",
          Bytes{}.chunk("ANNO", Bytes(3), true).chunk("SSND", kSsnd, true).chunk("COMM", comm(2, 10, 16, 8000), true),
          true),
     kOpened, 10},
    {"AiffSoundOffsetPastChunk", patched(aiff16(10), 49, {60}), kCorrupt},
    {"AiffTwelveBitsPadded", aiff("", 1, 12, 8000, 2, Bytes{0x12, 0x3F, 0xFF, 0xFF}), kOpened, 2, {0x1230, -16}},
    {"AifcALaw", aiff("alaw", 1, 16, 8000, 4, kALaw), kOpened, 4, kALinear},
    {"WaveChunksReversedAfterOddOne",
     form("WAVE", Bytes{}.chunk("LIST", Bytes(5), false).chunk("data", kTenFrames, false).chunk("fmt ", kFmt, false),
          false),
     kOpened, 10},
    {"WaveEmptyData", wave(1, 2, 8000, 16, {}), kOpened, 0},
    {"WaveTruncatedData", cut(wave(1, 2, 8000, 16, kTenFrames), 3), kOpened, 9},
    {"WaveBlockAlignWrong", patched(wave(1, 2, 8000, 16, kTenFrames), 32, {3}), kCorrupt},
    {"WaveAdpcm", wave(2, 2, 8000, 4, kTenFrames), kNotAudio},
    {"WaveValidBitsAboveContainer", wave(0, 2, 8000, 16, kTenFrames, 1, 17), kCorrupt},
    {"WaveUnknownSubFormat", patched(wave(0, 2, 8000, 16, kTenFrames, 1, 16), 50, {1}), kNotAudio},
    {"WaveFloatsClamped", wave(3, 1, 8000, 32, kFloats), kOpened, 5, {32767, -32767, 0, 16384, -16384}},
    {"WaveExtensible12Bits", wave(0, 1, 8000, 16, Bytes{0x3F, 0x12, 0xFF, 0xFF}, 1, 12), kOpened, 2, {0x1230, -16}},
    {"WaveExtensibleFloats", wave(0, 1, 8000, 32, kFloats, 3, 32), kOpened, 5, {32767, -32767, 0, 16384, -16384}},
    {"AifcRawBytes", aiff("raw ", 1, 8, 8000, 3, Bytes{0x00, 0x80, 0xFF}), kOpened, 3, {-32768, 0, 32512}},
    {"WaveUnsignedBytes", wave(1, 1, 8000, 8, Bytes{0x00, 0x80, 0xFF}), kOpened, 3, {-32768, 0, 32512}},
    {"WaveALaw", wave(6, 1, 8000, 8, kALaw), kOpened, 4, kALinear},
    {"WaveMuLaw", wave(7, 1, 8000, 8, kMuLaw), kOpened, 5, kMuLinear},
    {"AuSizeToEnd", patched(au(3, 2, 8000, kTenFrames), 8, {0xFF, 0xFF, 0xFF, 0xFF}), kOpened, 10},
    {"AuHeaderPastEnd", patched(au(3, 2, 8000, kTenFrames), 6, {1}), kCorrupt},
    {"AuMuLaw", au(1, 1, 8000, kMuLaw), kOpened, 5, kMuLinear},
    {"RiffVideo", form("AVI ", {}, false), kNotAudio}};
INSTANTIATE_TEST_SUITE_P(Headers, HeaderTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sonidrax::media
