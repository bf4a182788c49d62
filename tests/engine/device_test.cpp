// The engine's DirectSound side: the default device at creation, enumeration,
// device selection, the listener, and a destruction that leaves nothing behind.
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
    EXPECT_EQ(LastError(), 0);
    ASSERT_EQ(fake.directSounds.size(), 1u);
    FakeDirectSound& device = *fake.directSounds[0];
    EXPECT_EQ(device.cooperativeLevel, static_cast<DWORD>(DSSCL_PRIORITY));
    EXPECT_EQ(device.cooperativeWindow, xtra().mainWindow);
    ASSERT_NE(device.primary, nullptr);
    EXPECT_EQ(device.primary->flags, static_cast<DWORD>(DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D));
    const WAVEFORMATEX* format = device.primary->Format();
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->wBitsPerSample, 16);
    EXPECT_EQ(format->nSamplesPerSec, 44100u);
    EXPECT_EQ(format->nChannels, 2);  // the fake refuses a format whose block and rate disagree with these

    // The default record comes first, without description, then DirectSound's list.
    ASSERT_EQ(DeviceCount(), 1 + static_cast<int32_t>(fake.devices.size()));
    EXPECT_EQ(xtra().currentDevice, DeviceAt(0));
    EXPECT_EQ(DeviceAt(0)->description, nullptr);
    EXPECT_EQ(DeviceAt(0)->guid, nullptr);
    for (size_t i = 0; i < fake.devices.size(); ++i) {
        OutputDevice* record = DeviceAt(static_cast<int32_t>(i + 1));
        EXPECT_STREQ(record->description, fake.devices[i].description.c_str());
        EXPECT_STREQ(record->module, fake.devices[i].module.c_str());
        EXPECT_EQ(record->guid != nullptr, fake.devices[i].hasGuid);
        if (record->guid != nullptr) {
            EXPECT_TRUE(IsEqualGUID(*record->guid, fake.devices[i].guid));
        }
        EXPECT_EQ(record->directSound, nullptr);
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

TEST_F(Devices, SelectingACardTwiceOpensItOnceAndLeavesTheFormerDeviceAsItWas) {
    const std::string card = fake.devices[1].description;
    const std::vector<BYTE> firstFormat = fake.directSounds[0]->primary->format;

    EXPECT_EQ(Call("dsSetDevice", {host.String(card)}), 0);
    ASSERT_EQ(fake.directSounds.size(), 2u);
    EXPECT_EQ(xtra().currentDevice, DeviceAt(2));
    FakeDirectSound& opened = *fake.directSounds[1];
    EXPECT_TRUE(IsEqualGUID(opened.device.guid, fake.devices[1].guid));
    ASSERT_NE(opened.primary, nullptr);
    EXPECT_EQ(opened.primary->format, firstFormat);

    EXPECT_EQ(Call("dsSetDevice", {host.String("")}), 0);
    EXPECT_EQ(xtra().currentDevice, DeviceAt(0));
    EXPECT_EQ(Call("dsSetDevice", {host.String(card)}), 0);
    EXPECT_EQ(fake.directSounds.size(), 2u);
    EXPECT_EQ(CountCalls(".SetCooperativeLevel"), 2);
    EXPECT_EQ(xtra().currentDevice, DeviceAt(2));
    EXPECT_EQ(fake.directSounds[0]->primary->format, firstFormat);
    EXPECT_EQ(LastError(), 0);
}

TEST_F(Devices, UnknownNamesAndNamesInAnotherCaseSelectNothing) {
    std::string shouted = fake.devices[1].description;
    for (char& c : shouted) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    ASSERT_NE(shouted, fake.devices[1].description);
    for (const std::string& name : {shouted, std::string("no such card")}) {
        xtra().lastError = -4;
        EXPECT_EQ(Call("dsSetDevice", {host.String(name)}), 0);
        EXPECT_EQ(xtra().currentDevice, DeviceAt(0));
        EXPECT_EQ(LastError(), 0);
    }
    EXPECT_EQ(fake.directSounds.size(), 1u);
    // A call without a name asks for the default device.
    EXPECT_EQ(Call("dsSetDevice"), 0);
    EXPECT_EQ(xtra().currentDevice, DeviceAt(0));
}

TEST_F(Devices, ADeviceThatCannotBeOpenedLeavesTheCurrentOneAndCanBeTriedAgain) {
    const std::string card = fake.devices[1].description;
    fake.Refuse("System.Create", DSERR_NODRIVER, 1);
    EXPECT_EQ(Call("dsSetDevice", {host.String(card)}), 0);
    EXPECT_EQ(xtra().currentDevice, DeviceAt(0));
    EXPECT_EQ(DeviceAt(2)->directSound, nullptr);

    // A refused primary buffer gives the new object back.
    fake.Refuse("DirectSound.CreateSoundBuffer", DSERR_ALLOCATED, 1);
    EXPECT_EQ(Call("dsSetDevice", {host.String(card)}), 0);
    EXPECT_EQ(xtra().currentDevice, DeviceAt(0));
    EXPECT_EQ(DeviceAt(2)->directSound, nullptr);
    ASSERT_EQ(fake.directSounds.size(), 2u);
    EXPECT_TRUE(fake.directSounds[1]->Released());

    EXPECT_EQ(Call("dsSetDevice", {host.String(card)}), 0);
    EXPECT_EQ(xtra().currentDevice, DeviceAt(2));
}

TEST_F(Devices, TheListenerIsAskedForOnceAndBelongsToTheCurrentDevice) {
    const int32_t queriesBefore = CountCalls(".QueryInterface");
    IDirectSound3DListener* first = GetListener(xtra());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetListener(xtra()), first);
    EXPECT_EQ(CountCalls(".QueryInterface"), queriesBefore + 1);
    EXPECT_EQ(fake.listeners.size(), 1u);
    EXPECT_EQ(fake.Find(first), fake.directSounds[0]->listener);
    EXPECT_EQ(fake.directSounds[0]->listener->refs, 1);

    Call("dsSetDevice", {host.String(fake.devices[1].description)});
    IDirectSound3DListener* second = GetListener(xtra());
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(fake.listeners.size(), 2u);
    ExpectCleanDestruction();  // both devices, both listeners
}

// Instances whose start the test arranges before creating them.
class DeviceStart : public XtraTest {
protected:
    void SetUp() override { SetDirectSoundApi(&api); }
};

TEST_F(DeviceStart, WithoutDirectSoundTheInstanceAnswersMinus5AndRefusesSounds) {
    fake.Refuse("System.Create", DSERR_NODRIVER);
    Create();
    EXPECT_EQ(createStatus, -5);
    EXPECT_EQ(LastError(), -5);
    EXPECT_EQ(host.messages, std::vector<std::string>{"DirectSound Initialization Failed!\n"});
    EXPECT_EQ(xtra().currentDevice, nullptr);
    EXPECT_EQ(xtra().deviceList, nullptr);
    EXPECT_EQ(CountCalls(".Enumerate"), 0);

    EXPECT_EQ(Call("dsGetDevices"), 0);
    EXPECT_TRUE(host.AsList(info.result).items.empty());
    EXPECT_EQ(Call("dsSetDevice", {host.String("")}), 0);
    EXPECT_EQ(xtra().currentDevice, nullptr);

    host.messages.clear();
    EXPECT_EQ(Call("dsNewSound", {host.String("any.wav"), host.Integer(0)}), static_cast<Status>(0x8004000F));
    EXPECT_EQ(ResultInteger(), 0);
    EXPECT_EQ(LastError(), -5);
    EXPECT_EQ(host.messages, std::vector<std::string>{"DirectSound did not initialize properly!\n"});

    ExpectCleanDestruction();
}

TEST_F(DeviceStart, ARefusedCooperativeLevelLeavesTheDeviceCurrentWithoutPrimaryBuffer) {
    fake.Refuse("DirectSound.SetCooperativeLevel", DSERR_INVALIDPARAM);
    Create();
    EXPECT_EQ(createStatus, 0);
    ASSERT_NE(xtra().currentDevice, nullptr);
    EXPECT_EQ(xtra().currentDevice->primary, nullptr);
    EXPECT_EQ(GetListener(xtra()), nullptr);
    EXPECT_EQ(DeviceCount(), 3);
}

TEST_F(DeviceStart, AFailedEnumerationKeepsTheDefaultDevice) {
    fake.Refuse("System.Enumerate", DSERR_GENERIC);
    Create();
    EXPECT_EQ(createStatus, 0);
    EXPECT_EQ(DeviceCount(), 1);
    Call("dsGetDevices");
    EXPECT_TRUE(host.AsList(info.result).items.empty());
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

}  // namespace
}  // namespace sonidrax
