// The engine's DirectSound side as the fake device sees it: the default device at
// creation, device selection and refusals, the listener, and a destruction that
// leaves nothing behind (what a script sees on Wine is in scripts/devices.sdx).
#include <gtest/gtest.h>

#include "engine/sound_engine.h"
#include "xtra_fixture.h"

namespace sonidrax {
namespace {

using testing::FakeDirectSound;
using testing::XtraTest;

class Devices : public XtraTest {};

TEST_F(Devices, CreationOpensTheDefaultDeviceWithAPriorityPrimaryBufferIn16Bit44100Stereo) {
    EXPECT_EQ(createStatus, 0);
    ASSERT_EQ(fake.directSounds.size(), 1u);
    FakeDirectSound& device = *fake.directSounds[0];
    EXPECT_EQ(device.cooperativeLevel, static_cast<DWORD>(DSSCL_PRIORITY));
    EXPECT_EQ(device.cooperativeWindow, xtra().mainWindow);
    ASSERT_NE(device.primary, nullptr);
    EXPECT_EQ(device.primary->flags, static_cast<DWORD>(DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D));
    const WAVEFORMATEX* format = device.primary->Format();
    ASSERT_NE(format, nullptr);
    // The fake refuses a format whose block and rate disagree with these.
    EXPECT_EQ((std::vector<uint32_t>{format->wBitsPerSample, format->nSamplesPerSec, format->nChannels}),
              (std::vector<uint32_t>{16, 44100, 2}));

    // The default record comes first, without description or GUID, then DirectSound's list.
    ASSERT_EQ(DeviceCount(), 1 + static_cast<int32_t>(fake.devices.size()));
    EXPECT_EQ(xtra().currentDevice, DeviceAt(0));
    EXPECT_EQ(DeviceAt(0)->guid, nullptr);
    for (size_t i = 0; i < fake.devices.size(); ++i) {
        EXPECT_EQ(DeviceAt(static_cast<int32_t>(i + 1))->guid != nullptr, fake.devices[i].hasGuid) << i;
    }
}

TEST_F(Devices, DsGetDevicesListsDirectSoundsDescriptionsInItsOrder) {
    xtra().lastError = -9;
    EXPECT_EQ(Call("dsGetDevices"), 0);
    std::vector<std::string> expected;
    for (const auto& d : fake.devices) expected.push_back(d.description);
    ASSERT_EQ(expected.size(), 2u);
    EXPECT_EQ(ResultStrings(), expected);
    EXPECT_EQ(LastError(), 0);
}

TEST_F(Devices, ACardIsOpenedOnceByItsExactNameAndALaterTryFollowsARefusal) {
    const std::string card = fake.devices[1].description;
    std::string shouted = card;
    for (char& c : shouted) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(Call("dsSetDevice", {host.String(shouted)}), 0);
    fake.Refuse("System.Create", DSERR_NODRIVER, 1);
    EXPECT_EQ(Call("dsSetDevice", {host.String(card)}), 0);
    EXPECT_EQ(xtra().currentDevice, DeviceAt(0));
    // A refused primary buffer gives the new object back.
    fake.Refuse("DirectSound.CreateSoundBuffer", DSERR_ALLOCATED, 1);
    EXPECT_EQ(Call("dsSetDevice", {host.String(card)}), 0);
    EXPECT_EQ(xtra().currentDevice, DeviceAt(0));
    EXPECT_EQ(DeviceAt(2)->directSound, nullptr);
    ASSERT_EQ(fake.directSounds.size(), 2u);
    EXPECT_TRUE(fake.directSounds[1]->Released());

    const std::vector<BYTE> firstFormat = fake.directSounds[0]->primary->format;
    for (const std::string& name : {card, std::string(""), card})
        EXPECT_EQ(Call("dsSetDevice", {host.String(name)}), 0);
    ASSERT_EQ(fake.directSounds.size(), 3u);
    EXPECT_EQ(xtra().currentDevice, DeviceAt(2));
    EXPECT_TRUE(IsEqualGUID(fake.directSounds[2]->device.guid, fake.devices[1].guid));
    EXPECT_EQ(fake.directSounds[2]->primary->format, firstFormat);
    EXPECT_EQ(fake.directSounds[0]->primary->format, firstFormat);
}

TEST_F(Devices, TheListenerIsAskedForOnceAndBelongsToTheCurrentDevice) {
    const int32_t queriesBefore = CountCalls(".QueryInterface");
    IDirectSound3DListener* first = GetListener(xtra());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetListener(xtra()), first);
    EXPECT_EQ(CountCalls(".QueryInterface"), queriesBefore + 1);
    EXPECT_EQ(fake.Find(first), fake.directSounds[0]->listener);
    EXPECT_EQ(fake.directSounds[0]->listener->refs, 1);

    Call("dsSetDevice", {host.String(fake.devices[1].description)});
    EXPECT_NE(GetListener(xtra()), first);
    EXPECT_EQ(fake.listeners.size(), 2u);
    ExpectCleanDestruction();  // both devices, both listeners
}

TEST_F(Devices, RunningOutOfMemoryWhileStartingKeepsWhatWasMadeAndLeaksNothing) {
    StopSoundEngine(xtra());
    ASSERT_EQ(fake.LiveReferences(), 0);
    const int32_t before = host.TotalAllocations();
    ASSERT_EQ(StartSoundEngine(xtra()), 0);
    const int32_t needed = host.TotalAllocations() - before;
    StopSoundEngine(xtra());
    // What remains belongs to the instance itself (its interface objects).
    const int32_t baseline = host.LiveAllocations();

    for (int32_t budget = 0; budget < needed; ++budget) {
        host.failAllocationsAfter = budget;
        const Status status = StartSoundEngine(xtra());
        host.failAllocationsAfter = -1;
        // Only the default record is indispensable; later failures cut the list short.
        EXPECT_EQ(status, budget == 0 ? -5 : 0) << "budget " << budget;
        EXPECT_LT(DeviceCount(), 3) << "budget " << budget;
        StopSoundEngine(xtra());
        EXPECT_EQ(host.LiveAllocations(), baseline) << "budget " << budget;
        EXPECT_EQ(fake.LiveReferences(), 0) << "budget " << budget;
    }
}

// Instances whose start the test arranges before creating them.
class DeviceStart : public XtraTest {
protected:
    void SetUp() override { SetDirectSoundApi(&api); }
};

// Without a primary buffer the format setters answer their value and change nothing.
TEST_F(DeviceStart, RefusalsAtCreationKeepWhatCouldBeMade) {
    fake.Refuse("DirectSound.SetCooperativeLevel", DSERR_INVALIDPARAM);
    fake.Refuse("System.Enumerate", DSERR_GENERIC);
    Create();
    EXPECT_EQ(createStatus, 0);
    ASSERT_NE(xtra().currentDevice, nullptr);
    EXPECT_EQ(xtra().currentDevice->primary, nullptr);
    EXPECT_EQ(GetListener(xtra()), nullptr);
    EXPECT_EQ(DeviceCount(), 1);
    Call("dsGetDevices");
    EXPECT_TRUE(host.AsList(info.result).items.empty());
    xtra().lastError = -9;
    ASSERT_EQ(Call("dsSetSampleRate", {Int(22050)}), 0);
    EXPECT_EQ(ResultInteger(), 22050);
    EXPECT_EQ(LastError(), 0);
}

}  // namespace
}  // namespace sonidrax
