#include <gtest/gtest.h>

#include <cstring>

#include "stream_bits.h"
#include "stream_start.h"

namespace sonidrax::mpeg::testing {
namespace {

// The first 152 bytes of a stream: a frame header and, at the tag position (after the
// side information), the given tag bytes.
std::vector<uint8_t> streamStart(const HeaderFields& f, const std::vector<uint8_t>& tag) {
    std::vector<uint8_t> bytes;
    appendWord(bytes, headerWord(f));
    const uint32_t side = sideInfoLength(unpackHeader(headerWord(f)));
    bytes.resize(4 + side, 0);
    bytes.insert(bytes.end(), tag.begin(), tag.end());
    bytes.resize(kStreamStartBytes, 0);
    return bytes;
}

HeaderFields layer3At128() {
    HeaderFields f;
    f.layer = kLayer3;
    f.bitrateIndex = 9;  // 128 kbit/s
    f.mode = 1;
    return f;
}

std::vector<uint8_t> xing(const char* name, uint32_t flags, uint32_t frames, bool withBytes = false) {
    std::vector<uint8_t> tag(name, name + 4);
    appendWord(tag, flags);
    if (flags & 1) appendWord(tag, frames);
    if (flags & 2 || withBytes) appendWord(tag, 123456);
    if (flags & 4)
        for (int i = 0; i < 100; ++i) tag.push_back(static_cast<uint8_t>(i * 2));
    return tag;
}

TEST(StreamStart, DurationAndRateComeFromTheDataLengthOrAFrameCountTag) {
    std::vector<uint8_t> vbri = {'V', 'B', 'R', 'I'};
    vbri.resize(14, 0);
    appendWord(vbri, 500);
    HeaderFields mpeg2 = layer3At128();
    mpeg2.version = 0;  // 576 samples per frame at 22050 Hz
    mpeg2.bitrateIndex = 8;
    const struct {
        std::vector<uint8_t> bytes;
        uint32_t dataLength, durationMs, bitrate;
        bool vbr;
    } cases[] = {
        {streamStart(layer3At128(), {}), 1600000, 100000, 128, false},
        {streamStart(layer3At128(), xing("Xing", 1 | 2 | 4, 1000)), 4000000, 26122, 4000000 / 26122 * 8, true},
        {streamStart(layer3At128(), xing("Xing", 1, 0)), 1600000, 0, 0, true},
        {streamStart(layer3At128(), xing("Xing", 0, 0)), 1600000, 100000, 128, false},  // no frame count
        {streamStart(layer3At128(), xing("Lame", 1, 100)), 1600000, 2612, 1600000 / 2612 * 8, true},
        {streamStart(layer3At128(), xing("Info", 1, 100)), 1600000, 100000, 128, false},
        {streamStart(mpeg2, vbri), 800000, 13061, 800000 / 13061 * 8, true},
    };
    for (const auto& c : cases) {
        StreamStart start;
        ASSERT_TRUE(analyseStreamStart(c.dataLength, c.bytes.data(), kStreamStartBytes, start)) << &c - cases;
        EXPECT_EQ(start.durationMs, c.durationMs) << &c - cases;
        EXPECT_EQ(start.params.bitrate, c.bitrate) << &c - cases;
        EXPECT_EQ(start.vbr, c.vbr) << &c - cases;
        EXPECT_EQ(start.hasSeekTable, &c == cases + 1) << &c - cases;
    }
    StreamStart start;
    ASSERT_TRUE(analyseStreamStart(4000000, cases[1].bytes.data(), kStreamStartBytes, start));
    EXPECT_EQ(start.seekTable[99], 198);
    EXPECT_EQ(start.params.sampleRate, 44100u);
    EXPECT_EQ(start.params.layerNumber, 3u);
    EXPECT_EQ(start.params.level, 1u);
    EXPECT_EQ(start.params.mode, 1u);
}

TEST(StreamStart, FailsWithoutAValidHeaderAtTheVeryStart) {
    auto bytes = streamStart(layer3At128(), {});
    bytes.insert(bytes.begin(), 0x00);  // nothing is searched
    StreamStart start;
    EXPECT_FALSE(analyseStreamStart(1000, bytes.data(), kStreamStartBytes, start));
    HeaderFields freeFormat = layer3At128();
    freeFormat.bitrateIndex = 0;
    bytes = streamStart(freeFormat, {});
    EXPECT_FALSE(analyseStreamStart(1000, bytes.data(), kStreamStartBytes, start));
}

TEST(StreamStart, FieldsBeyondTheAnalysedBytesAreIgnored) {
    // A single-channel MPEG-2 header puts the tag early; with every flag the fields end
    // well inside 152 bytes. Cut the bytes short in every place instead.
    const auto full = streamStart(layer3At128(), xing("Xing", 1 | 2 | 4, 1000));
    for (uint32_t count = 0; count <= kStreamStartBytes; ++count) {
        std::vector<uint8_t> cut(full.begin(), full.begin() + count);
        StreamStart start;
        const bool ok = analyseStreamStart(1600000, cut.data(), count, start);
        EXPECT_EQ(ok, count >= 4) << count;
        if (count < kStreamStartBytes) {
            EXPECT_FALSE(start.hasSeekTable) << count;
        }
    }
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
