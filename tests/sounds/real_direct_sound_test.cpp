// Sounds on the system's own DirectSound (Wine's, on a null audio device): the
// buffer flags are accepted, a one-shot sound ends by itself, and a stream kept
// fed by the refill plays to its end and stops. Wine's cursor runs faster than
// real time, so everything is polled with bounded waits and no durations are
// asserted.
#include <memory>

#include "sound_test_support.h"
#include "sounds/wave_file_sound.h"

namespace sonidrax::testing {
namespace {

constexpr DWORD kPollMs = 5;
constexpr DWORD kPatienceMs = 10000;

class RealDirectSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        IDirectSound* ds = nullptr;
        if (FAILED(DirectSoundCreate(nullptr, &ds, nullptr))) GTEST_SKIP() << "no DirectSound device here";
        ds->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY);
        context = SoundContext{host.allocator(), nullptr, ds};
    }

    void TearDown() override {
        if (context.directSound == nullptr) return;
        sound.reset();
        EXPECT_EQ(context.directSound->Release(), 0u) << "a sound kept a DirectSound reference";
        EXPECT_EQ(host.LiveAllocations(), 0);
    }

    void Open(const WaveShape& shape, uint32_t bufferBytes, bool threeD = false) {
        file = std::make_unique<TempFile>(WaveImage(shape));
        sound = std::make_unique<WaveFileSound>(context, false);
        sound->SetIs3D(threeD);
        ASSERT_EQ(sound->OpenFile(file->path(), bufferBytes), kOk);
        sound->FinishOpening(D3DVECTOR{}, DS3D_IMMEDIATE);
    }

    FakeHost host;
    SoundContext context{};
    std::unique_ptr<TempFile> file;
    std::unique_ptr<WaveFileSound> sound;
};

WaveShape Tone(uint16_t channels, uint16_t bits, uint32_t rate, uint32_t frames) {
    WaveShape shape;
    shape.channels = channels;
    shape.bits = bits;
    shape.rate = rate;
    shape.data = Pattern((bits / 8) * channels, frames);
    return shape;
}

TEST_F(RealDirectSoundTest, OneShotSoundEndsByItself) {
    Open(Tone(2, 16, 22050, 5512), 0);
    EXPECT_FALSE(sound->Streaming());
    ASSERT_EQ(sound->Play(), kOk);
    DWORD waited = 0;
    while (sound->IsPlaying() && waited < kPatienceMs) {
        Sleep(kPollMs);
        waited += kPollMs;
    }
    EXPECT_FALSE(sound->IsPlaying());
    EXPECT_TRUE(sound->PlayRequested()) << "the flag stays set; DirectSound tells the truth";
    EXPECT_EQ(sound->SetVolume(-600), kOk);
    EXPECT_EQ(sound->GetVolume(), -600);
    EXPECT_EQ(sound->SetPitch(2.0), kOk);
    EXPECT_DOUBLE_EQ(sound->GetPitch(), 2.0);
    EXPECT_EQ(sound->Reverse(), kOk);
}

TEST_F(RealDirectSoundTest, StreamFedByRefillsPlaysToItsEndAndStops) {
    WaveShape shape = Tone(1, 8, 11025, 33075);
    Open(shape, 16384);
    ASSERT_TRUE(sound->Streaming());
    ASSERT_EQ(sound->Play(), kOk);
    uint32_t last = 0;
    DWORD waited = 0;
    while (sound->PlayRequested() && waited < kPatienceMs) {
        sound->Refill();
        uint32_t pos = sound->GetPosition();
        EXPECT_LE(pos, sound->DataBytes());
        last = pos;
        Sleep(kPollMs);
        waited += kPollMs;
    }
    EXPECT_FALSE(sound->PlayRequested());
    EXPECT_TRUE(sound->Ring().endReached);
    EXPECT_EQ(last, sound->DataBytes());
}

TEST_F(RealDirectSoundTest, ThreeDBufferHasNoPanControl) {
    Open(Tone(1, 16, 22050, 4000), 0, true);
    ASSERT_NE(sound->Buffer3D(), nullptr);
    EXPECT_EQ(sound->Buffer()->SetPan(100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(sound->SetPan(100), kOk);
    EXPECT_EQ(sound->GetPan(), 0);
    DSBCAPS caps{};
    caps.dwSize = sizeof caps;
    ASSERT_EQ(sound->Buffer()->GetCaps(&caps), DS_OK);
    EXPECT_NE(caps.dwFlags & DSBCAPS_CTRL3D, 0u);
    EXPECT_EQ(caps.dwBufferBytes, 8000u);
}

}  // namespace
}  // namespace sonidrax::testing
