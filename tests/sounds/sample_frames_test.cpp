// Frame sizes, in-place reversal, byte/millisecond conversion and the level law.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "fake_host.h"
#include "sounds/sound_buffer.h"

namespace sonidrax::testing {
namespace {

// A sound with nothing but a format, which is all these operations read.
class Frames {
public:
    Frames(uint16_t channels, uint16_t bits, uint32_t rate) {
        uint16_t align = static_cast<uint16_t>(channels * bits / 8);
        sound.UseFormat(WAVEFORMATEX{WAVE_FORMAT_PCM, channels, rate, rate * align, align, bits, 0});
    }

    struct FormattedSound : SoundBuffer {
        explicit FormattedSound(HostAllocator* allocator)
            : SoundBuffer(SoundContext{allocator, nullptr, nullptr}, kWaveFileKind, false) {}
        void UseFormat(const WAVEFORMATEX& format) { *AllocateFormat(sizeof format) = format; }
    };
    FakeHost host;
    FormattedSound sound{host.allocator()};
};

TEST(SampleFrames, FrameSizeFollowsBitsAndChannels) {
    EXPECT_EQ(Frames(1, 8, 8000).sound.FrameSize(), 1u);
    EXPECT_EQ(Frames(2, 8, 8000).sound.FrameSize(), 2u);
    EXPECT_EQ(Frames(1, 16, 8000).sound.FrameSize(), 2u);
    EXPECT_EQ(Frames(2, 16, 8000).sound.FrameSize(), 4u);
    // Sizes it does not know count as 8-bit mono.
    EXPECT_EQ(Frames(6, 24, 8000).sound.FrameSize(), 1u);
    SoundBuffer bare(SoundContext{}, kWaveFileKind, false);
    EXPECT_EQ(bare.FrameSize(), 1u);
}

// Reversal swaps whole frames and keeps their bytes. Refill regions need not be
// whole frames: every length reverses the whole frames it holds, leaves a partial
// one in place and touches nothing outside.
TEST(SampleFrames, ReversalOfPartialFramesStaysInsideTheBlock) {
    for (uint16_t channels : {1, 2}) {
        for (uint16_t bits : {8, 16}) {
            Frames f(channels, bits, 22050);
            uint32_t frame = f.sound.FrameSize();
            for (int32_t length = 0; length <= 41; ++length) {
                std::vector<uint8_t> memory(length + 16, 0xEE);
                for (int32_t i = 0; i < length; ++i) memory[8 + i] = static_cast<uint8_t>(i);
                f.sound.ReverseFrames(memory.data() + 8, length);
                for (int i = 0; i < 8; ++i) ASSERT_EQ(memory[i], 0xEE) << length;
                for (int i = 0; i < 8; ++i) ASSERT_EQ(memory[8 + length + i], 0xEE) << length;
                if (static_cast<uint32_t>(length) < frame) continue;
                uint32_t frames = static_cast<uint32_t>(length) / frame;
                for (uint32_t k = 0; k < frames; ++k) {
                    for (uint32_t b = 0; b < frame; ++b) {
                        ASSERT_EQ(memory[8 + k * frame + b], (frames - 1 - k) * frame + b) << length;
                    }
                }
                for (uint32_t i = frames * frame; i < static_cast<uint32_t>(length); ++i) {
                    ASSERT_EQ(memory[8 + i], i) << length;
                }
            }
        }
    }
    // Nothing to reverse.
    Frames mono8(1, 8, 11025);
    EXPECT_EQ(mono8.sound.ReverseFrames(nullptr, 8), kOk);
    std::vector<uint8_t> bytes = {1, 2};
    EXPECT_EQ(mono8.sound.ReverseFrames(bytes.data(), -4), kOk);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2}));
}

TEST(SampleFrames, BytesAndMillisecondsTruncate) {
    Frames cd(2, 16, 44100);
    EXPECT_EQ(cd.sound.BytesToMs(176400), 1000);
    EXPECT_EQ(cd.sound.MsToBytes(1000), 176400);
    EXPECT_EQ(cd.sound.MsToBytes(1), 176);
    EXPECT_EQ(cd.sound.BytesToMs(0), 0);
    Frames phone(1, 8, 11025);
    EXPECT_EQ(phone.sound.BytesToMs(11024), 999);
    EXPECT_EQ(phone.sound.BytesToMs(11025), 1000);
    // No format, or a rate of 0, gives 0 rather than a division by zero.
    SoundBuffer bare(SoundContext{}, kWaveFileKind, false);
    EXPECT_EQ(bare.BytesToMs(1000), 0);
    EXPECT_EQ(bare.MsToBytes(1000), 0);
    Frames broken(2, 16, 0);
    EXPECT_EQ(broken.sound.BytesToMs(1000), 0);
}

TEST(LevelConversion, DocumentedFigures) {
    EXPECT_EQ(DbToLevel(0), 0);
    EXPECT_EQ(DbToLevel(-1000), -128);
    EXPECT_EQ(DbToLevel(-5000), -248);
    EXPECT_EQ(DbToLevel(-8000), -255);
    EXPECT_EQ(DbToLevel(-10000), -255);
    EXPECT_EQ(LevelToDb(0), 0);
    EXPECT_EQ(LevelToDb(-255), -8000);
    EXPECT_EQ(LevelToDb(-128), -1000);
    EXPECT_EQ(LevelToDb(-1), -5);
    EXPECT_EQ(LevelToDb(1), 5);
    // Linear volume 128 is level -127; -988 reads back as linear 129.
    EXPECT_EQ(DbToLevel(LevelToDb(-128)) + 255, 127);
    EXPECT_EQ(DbToLevel(-988) + 255, 129);
    EXPECT_EQ(LevelToDb(-127), -988);
}

TEST(LevelConversion, RoundTripStaysWithinOneLevelAndIsMonotonic) {
    int32_t previous = LevelToDb(-255);
    for (int32_t level = -255; level <= 0; ++level) {
        int32_t db = LevelToDb(level);
        EXPECT_GE(db, previous) << level;
        previous = db;
        EXPECT_GE(db, -10000);
        EXPECT_LE(db, 0);
        int32_t back = DbToLevel(db);
        EXPECT_LE(std::abs(back - level), 1) << level;
    }
    // Beyond the scale the law has no logarithm; the answer stays in range.
    EXPECT_EQ(LevelToDb(-256), -10000);
    EXPECT_EQ(LevelToDb(INT32_MIN), -10000);
    EXPECT_EQ(DbToLevel(INT32_MIN), -256);
}

}  // namespace
}  // namespace sonidrax::testing
