// In-place reversal of blocks that need not hold whole frames, and the
// byte/millisecond conversion of sounds without a usable format.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "fake_host.h"
#include "sounds/sound_buffer.h"

namespace sonidrax::testing {
namespace {

// A sound with nothing but a format, which is all these operations read.
struct OwnHost {
    FakeHost host;
};
struct Frames : OwnHost, SoundBuffer {
    Frames(uint16_t channels, uint16_t bits, uint32_t rate)
        : SoundBuffer(SoundContext{host.allocator(), nullptr, nullptr}, kWaveFileKind, false) {
        uint16_t align = static_cast<uint16_t>(channels * bits / 8);
        *AllocateFormat(sizeof(WAVEFORMATEX)) =
            WAVEFORMATEX{WAVE_FORMAT_PCM, channels, rate, rate * align, align, bits, 0};
    }
};

// Refill regions need not be whole frames: every length reverses the whole
// frames it holds, keeps their bytes, leaves a partial one in place and touches
// nothing outside.
TEST(SampleFrames, ReversalOfPartialFramesStaysInsideTheBlock) {
    for (auto [channels, bits] : {std::pair<uint16_t, uint16_t>{1, 8}, {2, 8}, {1, 16}, {2, 16}}) {
        Frames sound(channels, bits, 22050);
        const uint32_t frame = sound.FrameSize();
        ASSERT_EQ(frame, channels * bits / 8u);
        for (uint32_t length = 0; length <= 41; ++length) {
            std::vector<uint8_t> memory(length + 16, 0xEE);
            std::vector<uint8_t> expected = memory;
            const uint32_t whole = length / frame * frame;
            for (uint32_t i = 0; i < length; ++i) {
                memory[8 + i] = static_cast<uint8_t>(i);
                expected[8 + i] = static_cast<uint8_t>(i < whole ? whole - frame - i / frame * frame + i % frame : i);
            }
            sound.ReverseFrames(memory.data() + 8, static_cast<int32_t>(length));
            ASSERT_EQ(memory, expected) << channels << "x" << bits << ", " << length << " bytes";
        }
    }
    Frames mono8(1, 8, 11025);
    EXPECT_EQ(mono8.ReverseFrames(nullptr, 8), kOk);
    std::vector<uint8_t> bytes = {1, 2};
    EXPECT_EQ(mono8.ReverseFrames(bytes.data(), -4), kOk);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2}));
}

// No format, an unknown sample size or a rate of 0: one byte a frame, and 0
// rather than a division by zero.
TEST(SampleFrames, SoundsWithoutAUsableFormat) {
    SoundBuffer bare(SoundContext{}, kWaveFileKind, false);
    Frames surround(6, 24, 8000);
    Frames broken(2, 16, 0);
    EXPECT_EQ(bare.FrameSize(), 1u);
    EXPECT_EQ(surround.FrameSize(), 1u);
    for (SoundBuffer* sound : {static_cast<SoundBuffer*>(&bare), static_cast<SoundBuffer*>(&broken)}) {
        EXPECT_EQ(sound->BytesToMs(1000), 0);
        EXPECT_EQ(sound->MsToBytes(1000), 0);
    }
}

}  // namespace
}  // namespace sonidrax::testing
