// Volume in hundredths of a decibel, linear volume on the 0..255 scale, pan and
// pitch: the arithmetic of the level scale and every range refusal.
#include <gtest/gtest.h>

#include <cmath>

#include "control_fixture.h"

namespace sonidrax {
namespace {

using testing::ControlTest;
using testing::kRefused;
using testing::kRefusedError;
using testing::kUntouched;

class Levels : public ControlTest {};

TEST_F(Levels, LinearLevelsMapToAttenuationsAndReadBackThroughTwoTruncations) {
    struct Case {
        int32_t level;
        LONG attenuation;
        int32_t readBack;
    };
    const Case cases[] = {
        {255, 0, 255}, {0, -8000, 0}, {128, -988, 129}, {55, -2192, 56}, {254, -5, 255}, {1, -7000, 1},
    };
    const int32_t id = NewSound();
    for (const Case& c : cases) {
        xtra().lastError = -9;
        ASSERT_EQ(Call("dsSetLinearVolume", {Int(id), Int(c.level)}), 0) << c.level;
        EXPECT_EQ(ResultInteger(), c.level);
        EXPECT_EQ(LastError(), 0);
        EXPECT_EQ(FakeBuffer(id).volume, c.attenuation) << c.level;
        ASSERT_EQ(Call("dsGetLinearVolume", {Int(id)}), 0);
        EXPECT_EQ(ResultInteger(), c.readBack) << c.level;
        ASSERT_EQ(Call("dsGetVolume", {Int(id)}), 0);
        EXPECT_EQ(ResultInteger(), c.readBack - 255) << c.level;
    }
}

TEST_F(Levels, Level256PassesTheRangeCheckAndTheSoundRefusesItsGain) {
    const int32_t id = NewSound();
    Call("dsSetLinearVolume", {Int(id), Int(100)});
    const LONG before = FakeBuffer(id).volume;
    xtra().lastError = 0;
    EXPECT_EQ(Call("dsSetLinearVolume", {Int(id), Int(256)}), kRefused);
    EXPECT_EQ(ResultInteger(), 0);
    EXPECT_EQ(LastError(), kRefusedError);
    EXPECT_EQ(FakeBuffer(id).volume, before);
}

TEST_F(Levels, LevelsBeyond0To256AreRefusedBeforeTheSoundIsLookedAt) {
    const int32_t id = NewSound();
    for (int32_t level : {257, -1, 100000}) {
        xtra().lastError = kUntouched;
        // An id that names no sound shows that the lookup never ran: no message.
        EXPECT_EQ(Call("dsSetLinearVolume", {Int(99), Int(level)}), kRefused) << level;
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(Call("dsSetLinearVolume", {Int(id), Int(level)}), kRefused) << level;
        EXPECT_TRUE(NoResult());
        EXPECT_EQ(LastError(), kUntouched);
    }
    EXPECT_EQ(FakeBuffer(id).volume, 0);
}

TEST_F(Levels, VolumeTakesAttenuationAndAnswersOnTheLevelScale) {
    const int32_t id = NewSound();
    struct Case {
        int32_t attenuation;
        int32_t level;
    };
    for (const Case& c : {Case{0, 0}, Case{-1000, -128}, Case{-5000, -248}, Case{-8000, -255}, Case{-10000, -255}}) {
        ASSERT_EQ(Call("dsSetVolume", {Int(id), Int(c.attenuation)}), 0);
        EXPECT_EQ(ResultInteger(), c.attenuation);
        EXPECT_EQ(FakeBuffer(id).volume, c.attenuation);
        Call("dsGetVolume", {Int(id)});
        EXPECT_EQ(ResultInteger(), c.level) << c.attenuation;
    }
    for (int32_t attenuation : {100, 1, -10001}) {
        xtra().lastError = 0;
        EXPECT_EQ(Call("dsSetVolume", {Int(id), Int(attenuation)}), kRefused);
        EXPECT_EQ(ResultInteger(), 0);
        EXPECT_EQ(LastError(), kRefusedError);
    }
    EXPECT_EQ(FakeBuffer(id).volume, -10000);
}

TEST_F(Levels, VolumeOfAnUnknownSoundIsZeroAndSettingItAnswersNothing) {
    NewSound();
    xtra().lastError = -9;
    Call("dsGetVolume", {Int(5)});
    EXPECT_EQ(ResultInteger(), 0);
    Call("dsGetLinearVolume", {Int(5)});
    EXPECT_EQ(ResultInteger(), 0);
    ASSERT_EQ(Call("dsSetVolume", {Int(5), Int(-100)}), 0);
    EXPECT_TRUE(NoResult());
    ASSERT_EQ(Call("dsSetLinearVolume", {Int(5), Int(100)}), 0);
    EXPECT_TRUE(NoResult());
    EXPECT_EQ(LastError(), 0);
    EXPECT_EQ(host.messages.size(), 4u);
}

TEST_F(Levels, PanGoesFromLeftToRightAndBeyondIsRefusedBeforeTheLookup) {
    const int32_t id = NewSound();
    for (int32_t pan : {-10000, 10000, 0, -2500}) {
        ASSERT_EQ(Call("dsSetPan", {Int(id), Int(pan)}), 0);
        EXPECT_EQ(ResultInteger(), pan);
        EXPECT_EQ(FakeBuffer(id).pan, pan);
        Call("dsGetPan", {Int(id)});
        EXPECT_EQ(ResultInteger(), pan);
    }
    for (int32_t pan : {10001, -10001}) {
        xtra().lastError = kUntouched;
        EXPECT_EQ(Call("dsSetPan", {Int(99), Int(pan)}), kRefused);
        EXPECT_EQ(Call("dsSetPan", {Int(id), Int(pan)}), kRefused);
        EXPECT_TRUE(NoResult());
        EXPECT_EQ(LastError(), kUntouched);
    }
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(FakeBuffer(id).pan, -2500);
}

TEST_F(Levels, PitchScalesTheSoundsOwnRate) {
    const int32_t id = NewSound({2, 16, 22050, 4000});
    ASSERT_EQ(Call("dsSetPitch", {Int(id), Float(0.5)}), 0);
    EXPECT_DOUBLE_EQ(ResultFloat(), 0.5);
    EXPECT_EQ(FakeBuffer(id).frequency, 11025u);
    Call("dsGetPitch", {Int(id)});
    EXPECT_DOUBLE_EQ(ResultFloat(), 0.5);

    ASSERT_EQ(Call("dsSetPitch", {Int(id), Int(2)}), 0);
    EXPECT_EQ(FakeBuffer(id).frequency, 44100u);

    // A negative factor is answered as asked, refused by the sound, and recorded.
    xtra().lastError = 0;
    EXPECT_EQ(Call("dsSetPitch", {Int(id), Float(-0.5)}), kRefused);
    EXPECT_DOUBLE_EQ(ResultFloat(), -0.5);
    EXPECT_EQ(LastError(), kRefusedError);
    EXPECT_EQ(FakeBuffer(id).frequency, 44100u);

    // A factor that is no number is refused at once.
    xtra().lastError = kUntouched;
    EXPECT_EQ(Call("dsSetPitch", {Int(id), host.String("fast")}), kRefused);
    EXPECT_EQ(Call("dsSetPitch", {Int(id)}), kRefused);
    EXPECT_EQ(Call("dsSetPitch", {Int(id), Float(std::nan(""))}), kRefused);
    EXPECT_EQ(Call("dsSetPitch", {Int(id), Float(HUGE_VAL)}), kRefused);
    EXPECT_EQ(LastError(), kUntouched);
    EXPECT_EQ(FakeBuffer(id).frequency, 44100u);
}

TEST_F(Levels, PitchOfAnUnknownSoundIsOne) {
    xtra().lastError = -9;
    ASSERT_EQ(Call("dsGetPitch", {Int(3)}), 0);
    EXPECT_DOUBLE_EQ(ResultFloat(), 1.0);
    EXPECT_EQ(LastError(), 0);
    ASSERT_EQ(Call("dsSetPitch", {Int(3), Float(2.0)}), 0);
    EXPECT_TRUE(NoResult());
}

}  // namespace
}  // namespace sonidrax
