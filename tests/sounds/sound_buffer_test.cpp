// The buffer operations of a sound held whole: creation flags and priming,
// failures that must leave nothing behind, play, stop, positions, reversal,
// pitch, volume, pan, and a duplicate that shares the samples.
#include <memory>

#include "sound_test_support.h"
#include "sounds/wave_file_sound.h"

namespace sonidrax::testing {
namespace {

class SoundBufferTest : public SoundTest {
protected:
    std::unique_ptr<WaveFileSound> Load(const WaveShape& shape, bool reversed = false) {
        GlobalImage image(WaveImage(shape));
        auto sound = std::make_unique<WaveFileSound>(context, reversed);
        status = sound->OpenMemory(image.handle(), 0);
        EXPECT_TRUE(image.Unlocked());
        if (status == kOk) Finish(*sound);
        return sound;
    }

    static WaveShape Stereo16(uint32_t frames) {
        WaveShape shape;
        shape.data = Pattern(4, frames);
        return shape;
    }

    Status status = -1;
};

TEST_F(SoundBufferTest, WholeSoundIsPrimedAndItsSourceClosed) {
    WaveShape shape = Stereo16(250);
    auto sound = Load(shape);
    ASSERT_EQ(status, kOk);
    FakeSoundBuffer* fake = Fake(*sound);
    EXPECT_EQ(sound->DataBytes(), 1000u);
    EXPECT_EQ(sound->BufferBytes(), 1000u);
    EXPECT_FALSE(sound->Streaming());
    EXPECT_FALSE(sound->SourceOpen());
    EXPECT_EQ(fake->Contents(), shape.data);
    EXPECT_EQ(fake->positionsSet.back(), 0u);
    EXPECT_EQ(fake->openLocks, 0);
    EXPECT_EQ(sound->Ring().writeCursor, 1000u);
}

// A source that ends before the buffer is full, as a short decoded stream does.
class ShortSource : public SoundBuffer {
public:
    ShortSource(const SoundContext& context, uint32_t available)
        : SoundBuffer(context, kWaveFileKind, false), left(available) {}
    void UseFormat(const WAVEFORMATEX& format) { *AllocateFormat(sizeof format) = format; }
    Status ReadData(uint8_t* dest, uint32_t count, uint32_t* bytesRead) override {
        uint32_t n = std::min(count, left);
        std::memset(dest, 0x11, n);
        left -= n;
        *bytesRead = n;
        return kOk;
    }
    uint32_t left;
};

TEST_F(SoundBufferTest, ShortSourceLeavesAZeroTailAndReportsWhatItRead) {
    ShortSource sound(context, 600);
    sound.UseFormat(WAVEFORMATEX{WAVE_FORMAT_PCM, 1, 8000, 8000, 1, 8, 0});
    uint32_t n = 0;
    ASSERT_EQ(sound.CreateBuffer(1000, &n), kOk);
    EXPECT_EQ(n, 600u);
    Bytes held = Fake(sound)->Contents();
    EXPECT_EQ(std::count(held.begin(), held.begin() + 600, 0x11), 600);
    EXPECT_EQ(std::count(held.begin() + 600, held.end(), 0), 400);
    EXPECT_EQ(Fake(sound)->unlocks.back().bytes1, 1000u) << "the zeroed tail was written too";
}

TEST_F(SoundBufferTest, CreationFailuresFreeTheFormat) {
    directSound.Refuse("DirectSound.CreateSoundBuffer", DSERR_OUTOFMEMORY, 1);
    auto refused = Load(Stereo16(100));
    EXPECT_EQ(status, kUnsupportedFormat);
    EXPECT_EQ(refused->Format(), nullptr);
    EXPECT_EQ(refused->Buffer(), nullptr);

    directSound.Refuse("Buffer.Lock", DSERR_INVALIDCALL, 1);
    auto unlocked = Load(Stereo16(100));
    EXPECT_EQ(status, DSERR_INVALIDCALL);
    EXPECT_EQ(unlocked->Format(), nullptr);
    EXPECT_NE(unlocked->Buffer(), nullptr);  // released by the destructor
    unlocked.reset();
    refused.reset();
    EXPECT_EQ(host.LiveAllocations(), 0);

    // Without a device nothing is made.
    IDirectSound* device = context.directSound;
    context.directSound = nullptr;
    auto homeless = Load(Stereo16(100));
    EXPECT_EQ(status, kUnsupportedFormat);
    context.directSound = device;
}

TEST_F(SoundBufferTest, PlayOnALostBufferRestoresIt) {
    auto sound = Load(Stereo16(100));
    FakeSoundBuffer* fake = Fake(*sound);
    fake->Lose();
    EXPECT_EQ(sound->Play(), kOk);
    EXPECT_EQ(fake->restores, 1);
    EXPECT_TRUE(sound->PlayRequested());
    EXPECT_FALSE(fake->playing);  // not retried
}

TEST_F(SoundBufferTest, PositionsOfAWholeSound) {
    auto sound = Load(Stereo16(500));
    FakeSoundBuffer* fake = Fake(*sound);
    ASSERT_EQ(sound->SetPosition(1001), kOk);
    EXPECT_EQ(fake->playCursor, 1000u);
    EXPECT_EQ(sound->GetPosition(), 1000u);
    EXPECT_EQ(sound->SetPosition(2000), kOk);
    EXPECT_EQ(fake->playCursor, 0u);  // the end is the start of the next lap
    EXPECT_EQ(sound->SetPosition(2001), kBadArgument);
    EXPECT_EQ(sound->Refill(), kOk);
    EXPECT_EQ(fake->locks.size(), 1u);  // nothing to refill in a whole sound

    WaveShape mono8;
    mono8.channels = 1;
    mono8.bits = 8;
    mono8.rate = 11025;
    mono8.data = Pattern(1, 2000);
    auto bytes = Load(mono8);
    ASSERT_EQ(bytes->SetPosition(1001), kOk);
    EXPECT_EQ(Fake(*bytes)->playCursor, 1001u);
}

TEST_F(SoundBufferTest, ReversedWholeSoundHoldsItsFramesBackwards) {
    WaveShape shape = Stereo16(300);
    auto sound = Load(shape, true);
    ASSERT_EQ(status, kOk);
    FakeSoundBuffer* fake = Fake(*sound);
    EXPECT_TRUE(std::equal(shape.data.end() - 4, shape.data.end(), fake->Bytes()));
    sound->Play();
    EXPECT_EQ(sound->GetPosition(), 1200u);
    fake->playCursor = 1196;
    EXPECT_EQ(sound->GetPosition(), 4u);
    ASSERT_EQ(sound->SetPosition(0), kOk);
    EXPECT_EQ(fake->playCursor, 0u);  // plays the whole data backwards from its end
}

TEST_F(SoundBufferTest, ReverseTurnsTheSamplesAndKeepsThePosition) {
    WaveShape shape = Stereo16(300);
    auto sound = Load(shape);
    FakeSoundBuffer* fake = Fake(*sound);
    sound->Play();
    fake->playCursor = 400;
    ASSERT_EQ(sound->Reverse(), kOk);
    EXPECT_TRUE(sound->Reversed());
    EXPECT_EQ(sound->GetPosition(), 400u);
    EXPECT_EQ(fake->playCursor, 800u);
    EXPECT_TRUE(fake->playing);
    EXPECT_EQ(fake->playFlags.back(), 0u) << "a one-shot sound stays one-shot";
    Listener listener(*sound, *fake, shape.data, 4, 400);
    EXPECT_TRUE(listener.Hear(400));
    EXPECT_FALSE(fake->playing);
    // And back again: the buffer holds the data in order once more.
    ASSERT_EQ(sound->Reverse(), kOk);
    EXPECT_EQ(fake->Contents(), shape.data);

    directSound.Refuse("Buffer.Lock", DSERR_GENERIC, 1);
    EXPECT_EQ(sound->Reverse(), kLockFailed);
    EXPECT_FALSE(sound->Reversed()) << "the direction follows the samples";
}

TEST_F(SoundBufferTest, VolumePanAndPitch) {
    WaveShape shape = Stereo16(100);
    shape.rate = 22050;
    auto sound = Load(shape);
    FakeSoundBuffer* fake = Fake(*sound);
    EXPECT_EQ(sound->SetVolume(1), kBadArgument);
    EXPECT_EQ(sound->SetVolume(-10001), kBadArgument);
    EXPECT_EQ(sound->SetVolume(0), kOk);
    EXPECT_EQ(sound->SetVolume(-10000), kOk);
    EXPECT_EQ(fake->volume, -10000);
    EXPECT_EQ(sound->GetVolume(), -10000);
    EXPECT_EQ(sound->SetPan(-2500), kOk);
    EXPECT_EQ(sound->GetPan(), -2500);
    EXPECT_EQ(sound->SetPan(20000), kOk);  // DirectSound's range check is the only one
    EXPECT_EQ(fake->pan, -2500);

    EXPECT_EQ(sound->SetPitch(-0.5), kBadArgument);
    EXPECT_EQ(sound->SetPitch(1.5), kOk);
    EXPECT_EQ(fake->frequency, 33075u);
    EXPECT_DOUBLE_EQ(sound->GetPitch(), 1.5);
    EXPECT_EQ(sound->SetPitch(0.0), kOk);
    EXPECT_EQ(fake->frequency, 0u);
    EXPECT_DOUBLE_EQ(sound->GetPitch(), 1.0);
    EXPECT_EQ(sound->SetPitch(1e12), kOk);  // out of DirectSound's range: silently refused
    EXPECT_DOUBLE_EQ(sound->AskedPitch(), 1e12);

    directSound.Refuse("Buffer.GetVolume", DSERR_GENERIC);
    directSound.Refuse("Buffer.GetFrequency", DSERR_GENERIC);
    EXPECT_EQ(sound->GetVolume(), 0);
    EXPECT_EQ(sound->GetPitch(), 0.0);
}

TEST_F(SoundBufferTest, DuplicatePlaysTheSameSamplesWithItsOwnCursor) {
    WaveShape shape = Stereo16(200);
    auto source = Load(shape);
    source->SetVolume(-300);
    SoundBuffer copy(context, kWaveFileKind, false);
    ASSERT_EQ(copy.CopyStateFrom(*source), kOk);
    ASSERT_EQ(copy.DuplicateBufferOf(*source), kOk);

    source->SetPosition(400);
    copy.Play();
    EXPECT_EQ(copy.GetPosition(), 0u);
    EXPECT_EQ(Fake(copy)->Bytes(), Fake(*source)->Bytes());
    source.reset();  // the copy outlives its source
    Listener listener(copy, *Fake(copy), shape.data, 4, 0);
    EXPECT_TRUE(listener.Hear(800));
    EXPECT_EQ(copy.OpenFile("x.wav", 0), kNotProvided);
    EXPECT_EQ(copy.SeekData(0), kNotProvided);
    uint32_t n = 7;
    EXPECT_EQ(copy.ReadData(nullptr, 4, &n), kNotProvided);
    EXPECT_EQ(n, 0u);
}

}  // namespace
}  // namespace sonidrax::testing
