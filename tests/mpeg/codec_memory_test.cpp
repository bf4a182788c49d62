// The codec's memory: one allocation per stream, none per frame, and a footprint
// that leaves the whole decoder below 64 KiB beside the caller's buffers.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "allocation_counter.h"
#include "codec_harness.h"
#include "codec_instance.h"

namespace sonidrax::mpeg::testing {
namespace {

TEST(CodecMemory, StateFitsBesideTheDecodersOwnBuffers) {
    // The Decoder's internal PCM buffer is 8 KiB; its records are small.
    EXPECT_LT(sizeof(MpegCodecInstance) + decoder::kInternalBufferBytes + sizeof(decoder::Decoder), 48u * 1024u);
}

TEST(CodecMemory, DecodingAllocatesNothingPerFrame) {
    std::ifstream file(std::string(SONIDRAX_CONFORMANCE_DIR) + "/l3-sin1k0db.bit", std::ios::binary);
    std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(file), {});
    if (bytes.empty()) GTEST_SKIP() << "conformance streams not found";
    CodecHarness h(std::move(bytes));
    const int32_t opened = h.open();
    ASSERT_TRUE(opened == 0 || opened == -1) << opened;  // the stream starts mid-way
    static int16_t pcm[2304];
    // The first frames build the constant tables that are made at start-up.
    for (int i = 0; i < 4; ++i) ASSERT_EQ(h.decode(pcm), 0);
    const long before = sonidrax::testing::AllocationCount();
    int frames = 0;
    while (h.decode(pcm) == 0) ++frames;
    EXPECT_GT(frames, 300);
    EXPECT_EQ(sonidrax::testing::AllocationCount(), before);
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
