// Decoding allocates nothing: the codec writes straight into a buffer that exists.
#include <gtest/gtest.h>

#include "allocation_counter.h"
#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

// An output that keeps nothing, so the only allocations counted are the decoder's.
OutputModule QuietOutput() {
    OutputModule m{};
    m.version = kModuleVersion;
    m.newInstance = [](void** out, const char*, const ModuleRecord*, Decoder*) {
        static int instance;
        *out = &instance;
        return kSuccess;
    };
    m.deleteInstance = [](void*) { return kSuccess; };
    m.open = [](void*) { return kSuccess; };
    m.close = [](void*) { return kSuccess; };
    m.write = [](void*, const void*, std::int32_t count, std::int32_t, std::int32_t, std::int32_t) { return count; };
    return m;
}

using AllocationTest = DecoderTest;

TEST_F(AllocationTest, DecodeAndDecodeAndPlayAllocateNothing) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 8; ++i) bytes.insert(bytes.end(), 4608, static_cast<std::uint8_t>(i));
    MemoryInputs::Put("mem:a", bytes);
    const InputModule input = MakeMemoryInput();
    // Without the methods whose calls the test codec logs (its log allocates).
    const CodecModule codec = MakeTestCodec({.withSeekDone = false});
    const OutputModule output = QuietOutput();
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    ASSERT_EQ(RegisterOutputModule(decoder, &output), 0);
    ASSERT_EQ(SelectInput(decoder, "mem:a", 0), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    ASSERT_EQ(SelectOutput(decoder, "quiet", 0), kSuccess);
    ASSERT_EQ(OpenOutput(decoder), kSuccess);

    alignas(8) static std::int16_t mine[2304];
    const long before = sonidrax::testing::AllocationCount();
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    ASSERT_EQ(Decode(decoder, mine), kSuccess);
    ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    ASSERT_EQ(SeekPosition(decoder, 0.5f), kSuccess);
    ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    EXPECT_EQ(sonidrax::testing::AllocationCount() - before, 0);
}

}  // namespace
}  // namespace sonidrax::decoder::testing
