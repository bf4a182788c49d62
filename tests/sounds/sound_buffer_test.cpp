// The buffer operations of a sound held whole: priming from a short source,
// failures that must leave nothing behind, a lost buffer and positions; the
// in-place reversal of sample frames, and sounds without a usable format. What a
// script sees of reversal, volume, pan and pitch is in the control tests.
#include "sound_test_support.h"
#include "sounds/wave_file_sound.h"

namespace sonidrax::testing {
namespace {

class SoundBufferTest : public SoundTest<WaveFileSound> {
protected:
    std::unique_ptr<WaveFileSound> Load(uint32_t frames) {
        shape.data = Pattern(4, frames);
        auto loaded = std::make_unique<WaveFileSound>(context, false);
        status = OpenImage(*loaded, WaveImage(shape));
        return loaded;
    }

    WaveShape shape{.rate = 22050};
    Status status = -1;
};

// A sound of the given format whose source gives `available` bytes of 0x11 and
// then ends, as a short decoded stream does.
struct ShortSource : SoundBuffer {
    ShortSource(const SoundContext& context, uint32_t available, uint16_t channels = 1, uint16_t bits = 8,
                uint32_t rate = 8000)
        : SoundBuffer(context, kWaveFileKind, false), left(available) {
        uint16_t align = static_cast<uint16_t>(channels * bits / 8);
        *AllocateFormat(sizeof(WAVEFORMATEX)) =
            WAVEFORMATEX{WAVE_FORMAT_PCM, channels, rate, rate * align, align, bits, 0};
    }
    Status ReadData(uint8_t* dest, uint32_t count, uint32_t* bytesRead) override {
        *bytesRead = std::min(count, left);
        std::memset(dest, 0x11, *bytesRead);
        left -= *bytesRead;
        return kOk;
    }
    uint32_t left;
};

TEST_F(SoundBufferTest, ShortSourceLeavesAZeroTailAndReportsWhatItRead) {
    ShortSource sound(context, 600);
    uint32_t n = 0;
    ASSERT_EQ(sound.CreateBuffer(1000, &n), kOk);
    EXPECT_EQ(n, 600u);
    Bytes expected(1000, 0);
    std::fill(expected.begin(), expected.begin() + 600, 0x11);
    EXPECT_EQ(Fake(sound)->Contents(), expected);
}

// A refused buffer, a refused first lock and a missing device each end the
// opening; the format block goes in every case.
TEST_F(SoundBufferTest, CreationFailuresFreeTheFormat) {
    for (auto [refused, expected] :
         {std::pair<const char*, Status>{"DirectSound.CreateSoundBuffer", kUnsupportedFormat},
          {"Buffer.Lock", DSERR_INVALIDCALL},
          {"", kUnsupportedFormat}}) {
        IDirectSound* device = context.directSound;
        if (*refused == '\0') context.directSound = nullptr;
        directSound.Refuse(refused, DSERR_INVALIDCALL, 1);
        auto sound = Load(100);
        context.directSound = device;
        EXPECT_EQ(status, expected) << refused;
        EXPECT_EQ(sound->Format(), nullptr) << refused;
        sound.reset();
        EXPECT_EQ(host.LiveAllocations(), 0) << refused;
    }
}

// Play restores a lost buffer but does not retry; the data's end is the next
// lap's start.
TEST_F(SoundBufferTest, PlayOnALostBufferRestoresItAndTheEndIsTheStart) {
    auto sound = Load(300);
    FakeSoundBuffer* fake = Fake(*sound);
    fake->lost = true;
    EXPECT_EQ(sound->Play(), kOk);
    EXPECT_FALSE(fake->lost);
    EXPECT_TRUE(sound->PlayRequested());
    EXPECT_FALSE(fake->playing);
    ASSERT_EQ(sound->SetPosition(401), kOk);
    EXPECT_EQ(fake->playCursor, 400u);
    ASSERT_EQ(sound->SetPosition(1200), kOk);
    EXPECT_EQ(fake->playCursor, 0u);
}

// Refill regions need not be whole frames: every length reverses the whole
// frames it holds, keeps their bytes, leaves a partial one in place and touches
// nothing outside.
TEST_F(SoundBufferTest, ReversalOfPartialFramesStaysInsideTheBlock) {
    for (auto [channels, bits] : {std::pair<uint16_t, uint16_t>{1, 8}, {2, 8}, {1, 16}, {2, 16}}) {
        ShortSource sound(context, 0, channels, bits, 22050);
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
    ShortSource mono8(context, 0);
    EXPECT_EQ(mono8.ReverseFrames(nullptr, 8), kOk);
    std::vector<uint8_t> bytes = {1, 2};
    EXPECT_EQ(mono8.ReverseFrames(bytes.data(), -4), kOk);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2}));
}

// Milliseconds and bytes truncate; no format, an unknown sample size or a rate of
// 0 give one byte a frame and 0 rather than a division by zero.
TEST_F(SoundBufferTest, FramesAndMillisecondsTruncateAndNeverDivideByZero) {
    SoundBuffer bare(SoundContext{}, kWaveFileKind, false);
    ShortSource phone(context, 0, 1, 8, 11025), cd(context, 0, 2, 16, 44100);
    ShortSource surround(context, 0, 6, 24), broken(context, 0, 2, 16, 0);
    EXPECT_EQ(std::vector<int64_t>({phone.BytesToMs(11024), phone.BytesToMs(11025), cd.MsToBytes(1), bare.FrameSize(),
                                    surround.FrameSize(), bare.BytesToMs(1000), bare.MsToBytes(1000),
                                    broken.BytesToMs(1000), broken.MsToBytes(1000)}),
              std::vector<int64_t>({999, 1000, 176, 1, 1, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace sonidrax::testing
