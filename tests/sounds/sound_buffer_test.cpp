// The buffer operations of a sound held whole: priming from a short source,
// failures that must leave nothing behind, a lost buffer and positions. What a
// script sees of reversal, volume, pan and pitch is in the control tests.
#include <memory>

#include "sound_test_support.h"
#include "sounds/wave_file_sound.h"

namespace sonidrax::testing {
namespace {

class SoundBufferTest : public SoundTest {
protected:
    std::unique_ptr<WaveFileSound> Load(uint32_t frames, bool reversed = false) {
        shape.data = Pattern(4, frames);
        auto sound = std::make_unique<WaveFileSound>(context, reversed);
        status = OpenImage(*sound, WaveImage(shape));
        return sound;
    }

    WaveShape shape{.rate = 22050};
    Status status = -1;
};

// A source that ends before the buffer is full, as a short decoded stream does.
struct ShortSource : SoundBuffer {
    ShortSource(const SoundContext& context, uint32_t available)
        : SoundBuffer(context, kWaveFileKind, false), left(available) {
        *AllocateFormat(sizeof(WAVEFORMATEX)) = WAVEFORMATEX{WAVE_FORMAT_PCM, 1, 8000, 8000, 1, 8, 0};
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
    struct Case {
        const char* refused;
        Status status;
    };
    for (Case c : {Case{"DirectSound.CreateSoundBuffer", kUnsupportedFormat}, Case{"Buffer.Lock", DSERR_INVALIDCALL},
                   Case{"", kUnsupportedFormat}}) {
        IDirectSound* device = context.directSound;
        if (*c.refused == '\0') context.directSound = nullptr;
        directSound.Refuse(c.refused, DSERR_INVALIDCALL, 1);
        auto sound = Load(100);
        context.directSound = device;
        EXPECT_EQ(status, c.status) << c.refused;
        EXPECT_EQ(sound->Format(), nullptr) << c.refused;
        sound.reset();
        EXPECT_EQ(host.LiveAllocations(), 0) << c.refused;
    }
}

// Play restores a lost buffer but does not retry; the data's end is the next
// lap's start.
TEST_F(SoundBufferTest, PlayOnALostBufferRestoresItAndTheEndIsTheStart) {
    auto sound = Load(300);
    FakeSoundBuffer* fake = Fake(*sound);
    fake->Lose();
    EXPECT_EQ(sound->Play(), kOk);
    EXPECT_FALSE(fake->lost);
    EXPECT_TRUE(sound->PlayRequested());
    EXPECT_FALSE(fake->playing);
    ASSERT_EQ(sound->SetPosition(401), kOk);
    EXPECT_EQ(fake->playCursor, 400u);
    ASSERT_EQ(sound->SetPosition(1200), kOk);
    EXPECT_EQ(fake->playCursor, 0u);
}

}  // namespace
}  // namespace sonidrax::testing
