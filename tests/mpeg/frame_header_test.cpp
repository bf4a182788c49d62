#include <gtest/gtest.h>

#include "frame_header.h"
#include "stream_bits.h"

namespace sonidrax::mpeg::testing {
namespace {

// version: 1 MPEG-1, 0 MPEG-2, 2 MPEG-2.5, 3 reserved; layer as coded (3 = Layer I).
HeaderFields fields(uint32_t version, uint32_t layer, uint32_t bitrateIndex, uint32_t samplingIndex, uint32_t mode = 0,
                    uint32_t padding = 0) {
    return {.version = version,
            .layer = layer,
            .bitrateIndex = bitrateIndex,
            .samplingIndex = samplingIndex,
            .padding = padding,
            .mode = mode};
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
        EXPECT_EQ(isValidHeader(h) ? frameLength(h) : 0, c.length) << std::hex << headerWord(c.f);
    }
    for (uint32_t index : {2u, 12u, 13u}) {
        EXPECT_FALSE(isValidHeader(headerOf(fields(1, 2, index, 0, index < 11 ? 0 : 3)))) << index;
        EXPECT_TRUE(isValidHeader(headerOf(fields(1, 2, index, 0, index < 11 ? 3 : 0)))) << index;
    }
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
