// The fake DirectSound behaves the way the sound tests rely on: wrapped locks,
// lost buffers, refusals, deferred 3D settings and honest reference counts.
#include <gtest/gtest.h>

#include "fake_direct_sound.h"

namespace sonidrax::testing {
namespace {

WAVEFORMATEX Pcm(WORD channels, WORD bits, DWORD rate) {
    WORD align = static_cast<WORD>(channels * bits / 8);
    return WAVEFORMATEX{WAVE_FORMAT_PCM, channels, rate, rate * align, align, bits, 0};
}

class FakeDirectSoundTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(FakeDirectSoundSystem::Create(nullptr, &ds, nullptr), DS_OK); }

    IDirectSoundBuffer* Secondary(DWORD bytes, DWORD flags = 0x180E0, WAVEFORMATEX f = Pcm(2, 16, 44100)) {
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof(DSBUFFERDESC1);
        desc.dwFlags = flags;
        desc.dwBufferBytes = bytes;
        desc.lpwfxFormat = &f;
        IDirectSoundBuffer* b = nullptr;
        EXPECT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DS_OK);
        return b;
    }

    FakeDirectSoundSystem system;
    IDirectSound* ds = nullptr;
};

TEST_F(FakeDirectSoundTest, LocksWrapAtTheEndAndUnlocksMustMatch) {
    IDirectSoundBuffer* b = Secondary(1000);
    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(b->Lock(900, 250, &p1, &n1, &p2, &n2, 0), DS_OK);
    FakeSoundBuffer* fake = system.Find(b);
    EXPECT_EQ(p1, fake->Bytes() + 900);
    EXPECT_EQ(n1, 100u);
    EXPECT_EQ(p2, fake->Bytes());
    EXPECT_EQ(n2, 150u);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2 + 1), DSERR_INVALIDPARAM);
    EXPECT_EQ(system.faults.size(), 1u);
    EXPECT_EQ(b->Lock(1000, 4, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Release(), 0u);
    EXPECT_EQ(ds->Release(), 0u);
    EXPECT_EQ(system.LiveReferences(), 0);
}

TEST_F(FakeDirectSoundTest, WritesOutsideTheBufferAreCaught) {
    IDirectSoundBuffer* b = Secondary(16);
    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(b->Lock(0, 16, &p1, &n1, &p2, &n2, 0), DS_OK);
    static_cast<BYTE*>(p1)[16] = 1;
    b->Unlock(p1, n1, p2, n2);
    ASSERT_FALSE(system.faults.empty());
    b->Release();
    ds->Release();
}

TEST_F(FakeDirectSoundTest, LostBufferRefusesPlayAndLockUntilRestored) {
    IDirectSoundBuffer* b = Secondary(64);
    system.Find(b)->Lose();
    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    EXPECT_EQ(b->Play(0, 0, 0), DSERR_BUFFERLOST);
    EXPECT_EQ(b->Lock(0, 4, &p1, &n1, &p2, &n2, 0), DSERR_BUFFERLOST);
    EXPECT_EQ(b->Restore(), DS_OK);
    EXPECT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    DWORD status = 0;
    b->GetStatus(&status);
    EXPECT_EQ(status, DWORD{DSBSTATUS_PLAYING | DSBSTATUS_LOOPING});
    b->Release();
    ds->Release();
}

TEST_F(FakeDirectSoundTest, RefusalsCountDownAndCursorScriptPlaysOut) {
    IDirectSoundBuffer* b = Secondary(400);
    system.Refuse("Buffer.SetVolume", DSERR_GENERIC, 1, 1);
    EXPECT_EQ(b->SetVolume(-10), DS_OK);
    EXPECT_EQ(b->SetVolume(-20), DSERR_GENERIC);
    EXPECT_EQ(b->SetVolume(-30), DS_OK);
    FakeSoundBuffer* fake = system.Find(b);
    fake->cursorScript = {10, 20};
    DWORD play = 0;
    b->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 10u);
    b->GetCurrentPosition(&play, nullptr);
    b->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 20u);
    b->Play(0, 0, 0);
    fake->Advance(500);
    EXPECT_FALSE(fake->playing);
    b->Release();
    ds->Release();
}

TEST_F(FakeDirectSoundTest, DuplicateSharesMemoryButNotCursor) {
    IDirectSoundBuffer* b = Secondary(64);
    IDirectSoundBuffer* d = nullptr;
    ASSERT_EQ(ds->DuplicateSoundBuffer(b, &d), DS_OK);
    EXPECT_EQ(system.Find(b)->Bytes(), system.Find(d)->Bytes());
    b->SetCurrentPosition(8);
    DWORD play = 99;
    d->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 0u);
    b->Release();
    d->Release();
    ds->Release();
    EXPECT_EQ(system.LiveReferences(), 0);
}

TEST_F(FakeDirectSoundTest, DeferredThreeDSettingsShowOnlyAfterCommit) {
    DSBUFFERDESC primaryDesc{sizeof(DSBUFFERDESC1), DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D, 0, 0, nullptr, {}};
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&primaryDesc, &primary, nullptr), DS_OK);
    IDirectSound3DListener* listener = nullptr;
    ASSERT_EQ(primary->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener)), DS_OK);
    IDirectSoundBuffer* b = Secondary(64, 0xB0, Pcm(1, 16, 22050));
    IDirectSound3DBuffer* b3 = nullptr;
    ASSERT_EQ(b->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&b3)), DS_OK);

    ASSERT_EQ(b3->SetPosition(1, 2, 3, DS3D_DEFERRED), DS_OK);
    ASSERT_EQ(listener->SetDopplerFactor(2.0f, DS3D_DEFERRED), DS_OK);
    D3DVECTOR v{};
    D3DVALUE doppler = 0;
    b3->GetPosition(&v);
    listener->GetDopplerFactor(&doppler);
    EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(doppler, 1.0f);
    ASSERT_EQ(listener->CommitDeferredSettings(), DS_OK);
    b3->GetPosition(&v);
    listener->GetDopplerFactor(&doppler);
    EXPECT_EQ(v.z, 3.0f);
    EXPECT_EQ(doppler, 2.0f);
    EXPECT_EQ(b->SetPan(100), DSERR_CONTROLUNAVAIL);

    b3->Release();
    b->Release();
    listener->Release();
    primary->Release();
    EXPECT_EQ(system.LiveReferences(), 1);
    ds->Release();
    EXPECT_EQ(system.LiveReferences(), 0);
    EXPECT_TRUE(system.faults.empty());
}

TEST_F(FakeDirectSoundTest, UseAfterReleaseIsAFault) {
    IDirectSoundBuffer* b = Secondary(64);
    b->Release();
    b->Stop();
    EXPECT_EQ(system.faults.size(), 1u);
    ds->Release();
}

TEST_F(FakeDirectSoundTest, NonPcmFormatRefused) {
    WAVEFORMATEX adpcm = Pcm(1, 16, 22050);
    adpcm.wFormatTag = 2;
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC1), 0x180E0, 64, 0, &adpcm, {}};
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DSERR_BADFORMAT);
    EXPECT_EQ(b, nullptr);
    ds->Release();
}

BOOL WINAPI Collect(LPGUID, LPCSTR description, LPCSTR, LPVOID context) {
    static_cast<std::vector<std::string>*>(context)->push_back(description);
    return TRUE;
}

TEST_F(FakeDirectSoundTest, EnumerationAndCreationByGuid) {
    std::vector<std::string> names;
    ASSERT_EQ(FakeDirectSoundSystem::Enumerate(Collect, &names), DS_OK);
    EXPECT_EQ(names, (std::vector<std::string>{"Primary Sound Driver", "Fake Sound Card"}));
    IDirectSound* card = nullptr;
    ASSERT_EQ(FakeDirectSoundSystem::Create(&FakeDirectSoundSystem::kCardGuid, &card, nullptr), DS_OK);
    EXPECT_EQ(system.Find(card)->device.description, "Fake Sound Card");
    GUID unknown = FakeDirectSoundSystem::kCardGuid;
    unknown.Data1++;
    IDirectSound* none = nullptr;
    EXPECT_EQ(FakeDirectSoundSystem::Create(&unknown, &none, nullptr), DSERR_NODRIVER);
    system.Refuse("System.Create", DSERR_NODRIVER);
    EXPECT_EQ(FakeDirectSoundSystem::Create(nullptr, &none, nullptr), DSERR_NODRIVER);
    card->Release();
    ds->Release();
}

}  // namespace
}  // namespace sonidrax::testing
