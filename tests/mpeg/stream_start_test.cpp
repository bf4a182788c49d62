// The first bytes of a stream: frame headers, and what the stream start tells of the
// whole stream.
#include <gtest/gtest.h>

#include "frame_header.h"
#include "stream_bits.h"
#include "stream_start.h"

namespace sonidrax::mpeg::testing {
namespace {

// version: 1 MPEG-1, 0 MPEG-2, 2 MPEG-2.5, 3 reserved; layer as coded (3 = Layer I).
HeaderFields fields(uint32_t version, uint32_t layer, uint32_t bitrateIndex, uint32_t samplingIndex, uint32_t mode = 0,
                    uint32_t padding = 0) {
    return {version, layer, 1, bitrateIndex, samplingIndex, padding, mode};
}

// The length in bytes of the frames the standards allow, 0 for the others.
TEST(FrameHeader, ValidityAndLengthFollowTheStandardsRules) {
    const struct {
        HeaderFields f;
        uint32_t length;
    } cases[] = {
        {fields(1, 2, 8, 0), 417},        // Layer II, 128 kbit/s, 44100 Hz
        {fields(1, 2, 8, 0, 0, 1), 418},  // padding at 44100 Hz
        {fields(1, 2, 8, 1, 0, 1), 0},    // padding at 48000 Hz
        {fields(1, 2, 8, 2, 0, 1), 0},    // padding at 32000 Hz
        {fields(1, 2, 0, 0), 0},          // free format
        {fields(1, 2, 15, 0), 0},        {fields(1, 2, 8, 3), 0},
        {fields(1, 0, 8, 0), 0},         {fields(3, 2, 8, 0), 0},
        {fields(2, 3, 1, 2), 0},                                    // MPEG-2.5 is Layer III only
        {fields(2, 2, 1, 2), 0},         {fields(2, 1, 1, 2), 72},  // 8 kbit/s at 8000 Hz
        {fields(1, 2, 1, 0, 0), 0},                                 // MPEG-1 Layer II: low rates single channel only
        {fields(1, 2, 5, 0, 3), 261},    {fields(1, 2, 3, 0, 1), 0},
        {fields(1, 2, 11, 0, 3), 0},                                   // and high rates never single channel
        {fields(1, 2, 14, 0, 2), 1253},  {fields(0, 2, 1, 0, 0), 52},  // no such restriction at the lower frequencies
        {fields(1, 3, 1, 0, 0, 1), 36},  // a Layer I slot is four bytes: (32 * 12000 / 44100) * 4 + 4
        {fields(0, 1, 8, 0, 3), 208},    // half of 64 * 125 * 1152 / 22050
    };
    for (const auto& c : cases) {
        const FrameHeader h = headerOf(c.f);
        EXPECT_EQ(isValidHeader(h), c.length != 0) << std::hex << headerWord(c.f);
        EXPECT_EQ(frameLength(h), c.length != 0 ? c.length : frameLength(h)) << std::hex << headerWord(c.f);
    }
    for (uint32_t index : {2u, 12u, 13u}) {
        EXPECT_FALSE(isValidHeader(headerOf(fields(1, 2, index, 0, index < 11 ? 0 : 3)))) << index;
        EXPECT_TRUE(isValidHeader(headerOf(fields(1, 2, index, 0, index < 11 ? 3 : 0)))) << index;
    }
}

// The first 152 bytes of a stream: a frame header and, at the tag position (after the
// side information), the given tag bytes.
std::vector<uint8_t> streamStart(const HeaderFields& f, const std::vector<uint8_t>& tag) {
    std::vector<uint8_t> bytes;
    bytes.reserve(kStreamStartBytes);
    appendWord(bytes, headerWord(f));
    const uint32_t side = f.version == 1 ? (f.mode == 3 ? 17 : 32) : (f.mode == 3 ? 9 : 17);
    bytes.resize(4 + side, 0);
    bytes.insert(bytes.end(), tag.begin(), tag.end());
    bytes.resize(kStreamStartBytes, 0);
    return bytes;
}

const HeaderFields kLayer3At128{.layer = kLayer3, .bitrateIndex = 9, .mode = 1};

TEST(StreamStart, DurationAndRateComeFromTheDataLengthOrAFrameCountTag) {
    std::vector<uint8_t> vbri = {'V', 'B', 'R', 'I'};
    vbri.resize(14, 0);
    appendWord(vbri, 500);
    const HeaderFields mpeg2{.version = 0, .layer = kLayer3, .bitrateIndex = 8, .mode = 1};  // 576 samples at 22050 Hz
    const HeaderFields freeFormat{.layer = kLayer3, .bitrateIndex = 0, .mode = 1};
    const std::vector<uint8_t> table = streamStart(kLayer3At128, xing("Xing", 1 | 2 | 4, 1000));
    std::vector<uint8_t> late = streamStart(kLayer3At128, {});
    late.insert(late.begin(), 0x00);  // a header not at the very start: nothing is searched
    const struct {
        std::vector<uint8_t> bytes;
        uint32_t dataLength, durationMs, bitrate;
        bool vbr, ok = true;
    } cases[] = {
        {streamStart(kLayer3At128, {}), 1600000, 100000, 128, false},
        {table, 4000000, 26122, 4000000 / 26122 * 8, true},
        {streamStart(kLayer3At128, xing("Xing", 1, 0)), 1600000, 0, 0, true},
        {streamStart(kLayer3At128, xing("Xing", 0, 0)), 1600000, 100000, 128, false},  // no frame count
        {streamStart(kLayer3At128, xing("Lame", 1, 100)), 1600000, 2612, 1600000 / 2612 * 8, true},
        {streamStart(kLayer3At128, xing("Info", 1, 100)), 1600000, 100000, 128, false},
        {streamStart(mpeg2, vbri), 800000, 13061, 800000 / 13061 * 8, true},
        {streamStart(mpeg2, xing("Xing", 1, 100)), 800000, 2612, 800000 / 2612 * 8, true},
        {late, 1000, 0, 0, false, false},
        {streamStart(freeFormat, {}), 1000, 0, 0, false, false},
    };
    for (const auto& c : cases) {
        StreamStart start;
        ASSERT_EQ(analyseStreamStart(c.dataLength, c.bytes.data(), kStreamStartBytes, start), c.ok) << &c - cases;
        if (!c.ok) continue;
        EXPECT_EQ(std::tuple(start.durationMs, start.params.bitrate, start.vbr, start.hasSeekTable),
                  std::tuple(c.durationMs, c.bitrate, c.vbr, &c == cases + 1))
            << &c - cases;
    }
    // Fields beyond the bytes given are not read: cut short in every place, the table is lost.
    for (uint32_t count = 0; count < kStreamStartBytes; ++count) {
        const std::vector<uint8_t> cut(table.begin(), table.begin() + count);
        StreamStart start;
        EXPECT_EQ(analyseStreamStart(4000000, cut.data(), count, start), count >= 4) << count;
        EXPECT_FALSE(start.hasSeekTable) << count;
    }
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
