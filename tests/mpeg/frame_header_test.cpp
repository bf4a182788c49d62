#include <gtest/gtest.h>

#include "stream_bits.h"
#include "frame_header.h"

namespace sonidrax::mpeg::testing {
namespace {

// version: 1 MPEG-1, 0 MPEG-2, 2 MPEG-2.5, 3 reserved; layer as coded (3 = Layer I).
HeaderFields fields(uint32_t version, uint32_t layer, uint32_t bitrateIndex, uint32_t samplingIndex, uint32_t mode = 0,
                    uint32_t padding = 0) {
    HeaderFields f;
    f.version = version;
    f.layer = layer;
    f.bitrateIndex = bitrateIndex;
    f.samplingIndex = samplingIndex;
    f.mode = mode;
    f.padding = padding;
    return f;
}

TEST(FrameHeader, ValidityFollowsTheStandardsRules) {
    const struct {
        HeaderFields f;
        bool valid;
    } cases[] = {
        {fields(1, 2, 8, 0), true},
        {fields(1, 2, 8, 0, 0, 1), true},   // padding at 44100 Hz
        {fields(1, 2, 8, 1, 0, 1), false},  // padding at 48000 Hz
        {fields(1, 2, 8, 2, 0, 1), false},  // padding at 32000 Hz
        {fields(1, 2, 0, 0), false},        // free format
        {fields(1, 2, 15, 0), false},
        {fields(1, 2, 8, 3), false},
        {fields(1, 0, 8, 0), false},
        {fields(3, 2, 8, 0), false},
        {fields(2, 3, 1, 2), false},  // MPEG-2.5 is Layer III only
        {fields(2, 2, 1, 2), false},
        {fields(2, 1, 1, 2), true},
        {fields(1, 2, 1, 0, 0), false},  // MPEG-1 Layer II: low rates single channel only
        {fields(1, 2, 5, 0, 3), true},
        {fields(1, 2, 3, 0, 1), false},
        {fields(1, 2, 11, 0, 3), false},  // and high rates never single channel
        {fields(1, 2, 14, 0, 2), true},
        {fields(0, 2, 1, 0, 0), true},  // no such restriction at the lower frequencies
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isValidHeader(headerOf(c.f)), c.valid) << std::hex << headerWord(c.f);
    }
    for (uint32_t index : {2u, 12u, 13u}) {
        EXPECT_FALSE(isValidHeader(headerOf(fields(1, 2, index, 0, index < 11 ? 0 : 3)))) << index;
        EXPECT_TRUE(isValidHeader(headerOf(fields(1, 2, index, 0, index < 11 ? 3 : 0)))) << index;
    }
}

TEST(FrameHeader, LengthsSideInformationAndSamplesFollowLayerVersionAndChannels) {
    const struct {
        HeaderFields f;
        uint32_t length, side, samples;
    } cases[] = {
        {fields(1, 2, 8, 0), 417, 32, 1152},  // Layer II, 128 kbit/s, 44100 Hz
        {fields(1, 2, 8, 0, 0, 1), 418, 32, 1152},
        {fields(1, 3, 1, 0), 32, 32, 384},        // Layer I, 32 kbit/s: (32 * 12000 / 44100) * 4
        {fields(1, 3, 1, 0, 0, 1), 36, 32, 384},  // a Layer I slot is four bytes
        {fields(1, 1, 9, 0, 3), 417, 17, 1152},
        {fields(0, 1, 8, 0, 3), 208, 9, 576},  // half of 64 * 125 * 1152 / 22050
        {fields(0, 1, 8, 0, 1), 208, 17, 576},
        {fields(2, 1, 1, 2), 72, 17, 576},  // 8 kbit/s at 8000 Hz
    };
    for (const auto& c : cases) {
        const FrameHeader h = headerOf(c.f);
        EXPECT_EQ(frameLength(h), c.length) << std::hex << headerWord(c.f);
        EXPECT_EQ(sideInfoLength(h), c.side) << std::hex << headerWord(c.f);
        EXPECT_EQ(samplesPerFrame(h), c.samples) << std::hex << headerWord(c.f);
    }
    EXPECT_EQ(sampleRateOf(headerOf(fields(2, 1, 1, 2))), 8000u);
    EXPECT_EQ(paramsOf(headerOf(fields(2, 1, 1, 2))).level, 0u);
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
