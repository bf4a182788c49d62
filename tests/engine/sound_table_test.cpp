// The sound table: deletion of playing sounds and duplication as the fake device
// sees them; ids and what a script sees on Wine are in scripts/sounds.sdx.
#include <gtest/gtest.h>

#include <cstring>

#include "xtra_fixture.h"

namespace sonidrax {
namespace {

using SoundTable = testing::XtraTest;

TEST_F(SoundTable, APlayingSoundIsDeletedWithoutAStopAndItsBufferIsReleased) {
    const int32_t id = NewSound();
    SoundBuffer* sound = Sound(id);
    sound->SetLoop(true);
    sound->Play();
    testing::FakeSoundBuffer& buffer = FakeOf(sound);
    ASSERT_TRUE(buffer.playing);
    const int32_t stopsBefore = CountCalls(".Stop");

    EXPECT_EQ(Call("dsDelSound", {host.Integer(id)}), 0);
    EXPECT_TRUE(Ids().empty());
    EXPECT_TRUE(buffer.Released());
    EXPECT_EQ(CountCalls(".Stop"), stopsBefore);
}

TEST_F(SoundTable, ADuplicateSharesTheSamplesWithItsOwnBufferFormatAndCursor) {
    const int32_t id = NewSound();
    SoundBuffer* source = Sound(id);
    source->SetVolume(-600);
    source->SetPosition(400);

    EXPECT_EQ(Call("dsDuplicateSound", {host.Integer(id)}), 0);
    SoundBuffer* copy = Sound(ResultInteger());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ((std::vector<uint32_t>{copy->Kind(), copy->DataBytes(), copy->BufferBytes()}),
              (std::vector<uint32_t>{source->Kind(), source->DataBytes(), source->BufferBytes()}));
    EXPECT_EQ(copy->AskedVolume(), -600);
    ASSERT_NE(copy->Format(), nullptr);
    EXPECT_NE(copy->Format(), source->Format());
    EXPECT_EQ(std::memcmp(copy->Format(), source->Format(), sizeof(WAVEFORMATEX)), 0);

    testing::FakeSoundBuffer& copied = FakeOf(copy);
    EXPECT_TRUE(copied.isDuplicate);
    EXPECT_EQ(copied.Bytes(), FakeOf(source).Bytes());
    copy->SetPosition(1000);
    EXPECT_EQ(FakeOf(source).playCursor, 400u);
    EXPECT_EQ(copied.playCursor, 1000u);
}

TEST_F(SoundTable, TheDuplicateOfA3DSoundHasA3DInterfaceOfItsOwn) {
    ASSERT_EQ(Call("dsNewSound", {Member(1), host.List({host.Float(1.0), host.Float(2.0), host.Float(3.0)})}), 0);
    SoundBuffer* source = Sound(1);
    ASSERT_NE(source->Buffer3D(), nullptr);

    EXPECT_EQ(Call("dsDupSound", {host.Integer(1)}), 0);
    SoundBuffer* copy = Sound(ResultInteger());
    ASSERT_NE(copy->Buffer3D(), nullptr);
    EXPECT_NE(copy->Buffer3D(), source->Buffer3D());
    EXPECT_EQ(&fake.Find(copy->Buffer3D())->buffer, &FakeOf(copy));

    Call("dsDeleteSound", {host.Integer(1)});
    EXPECT_EQ(copy->Buffer3D()->SetPosition(0.0f, 0.0f, 1.0f, DS3D_IMMEDIATE), DS_OK);
    copy->Play();  // destroyed playing, its 3D interface still held
    ExpectCleanDestruction();
}

TEST_F(SoundTable, AFailedDuplicationAddsNothingAndLeavesMinus7) {
    NewSound();
    const int32_t blocks = host.LiveAllocations();

    fake.Refuse("DirectSound.DuplicateSoundBuffer", DSERR_OUTOFMEMORY, 1);
    host.messages.clear();
    EXPECT_EQ(Call("dsDuplicateSound", {host.Integer(1)}), static_cast<Status>(0x80040002));
    EXPECT_EQ(host.messages, std::vector<std::string>{"Attempt to duplicate sound buffer failed.\n"});
    EXPECT_EQ(LastError(), -7);
    EXPECT_TRUE(NoResult());

    host.messages.clear();
    host.failAllocationsAfter = 0;
    EXPECT_EQ(Call("dsDuplicateSound", {host.Integer(1)}), static_cast<Status>(0x80040002));
    host.failAllocationsAfter = -1;
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(LastError(), -7);

    EXPECT_EQ(Ids(), std::vector<int32_t>{1});
    EXPECT_EQ(host.LiveAllocations(), blocks);
}

}  // namespace
}  // namespace sonidrax
