// Volume and pitch as the fake buffer receives them, and the output format of the
// current device's primary buffer, also when memory runs out. What a
// script sees of levels, pan, pitch and their ranges on Wine is in scripts/levels.sdx.
#include <gtest/gtest.h>

#include <cmath>

#include "xtra_fixture.h"

namespace sonidrax {
namespace {

using testing::kRefused;
using testing::kRefusedError;
using testing::kUntouched;

class Levels : public testing::XtraTest {
protected:
    const WAVEFORMATEX& Primary() { return *fake.directSounds.front()->primary->Format(); }
};

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
        ASSERT_EQ(Call("dsSetLinearVolume", {Int(id), Int(c.level)}), 0) << c.level;
        EXPECT_EQ(FakeBuffer(id).volume, c.attenuation) << c.level;
        ASSERT_EQ(Call("dsGetLinearVolume", {Int(id)}), 0);
        EXPECT_EQ(ResultInteger(), c.readBack) << c.level;
    }
    // 256 passes the range check and the sound refuses its gain.
    xtra().lastError = 0;
    EXPECT_EQ(Call("dsSetLinearVolume", {Int(id), Int(256)}), kRefused);
    EXPECT_EQ(ResultInteger(), 0);
    EXPECT_EQ(LastError(), kRefusedError);
    EXPECT_EQ(FakeBuffer(id).volume, -7000);
}

// The sound's own refusals, with the ranges a script sees, are in scripts/levels.sdx.
TEST_F(Levels, APitchThatIsNoFiniteNumberIsRefusedAtOnce) {
    const int32_t id = NewSound({2, 16, 22050, 4000});
    ASSERT_EQ(Call("dsSetPitch", {Int(id), Float(0.5)}), 0);
    EXPECT_EQ(FakeBuffer(id).frequency, 11025u);
    xtra().lastError = kUntouched;
    EXPECT_EQ(Call("dsSetPitch", {Int(id), host.String("fast")}), kRefused);
    EXPECT_EQ(Call("dsSetPitch", {Int(id)}), kRefused);
    EXPECT_EQ(Call("dsSetPitch", {Int(id), Float(std::nan(""))}), kRefused);
    EXPECT_EQ(Call("dsSetPitch", {Int(id), Float(HUGE_VAL)}), kRefused);
    EXPECT_EQ(LastError(), kUntouched);
    EXPECT_EQ(FakeBuffer(id).frequency, 11025u);
}

// Unlike the other format getters, dsGetSampleSize leaves lastError as it was.
TEST_F(Levels, SampleSizeKeepsLastError) {
    NewSound();
    xtra().lastError = kUntouched;
    Call("dsGetSampleSize", {Int(1)});
    EXPECT_EQ(ResultInteger(), 16);
    Call("dsGetSampleSize", {Int(8)});
    EXPECT_EQ(ResultInteger(), 0);
    EXPECT_EQ(LastError(), kUntouched);
}

TEST_F(Levels, FormatSettersChangeOnePartOfThePrimaryFormatAndItsDerivedFields) {
    const auto format = [&] {
        const WAVEFORMATEX& f = Primary();
        return std::vector<uint32_t>{f.nChannels, f.nSamplesPerSec, f.wBitsPerSample, f.nBlockAlign, f.nAvgBytesPerSec};
    };
    ASSERT_EQ(Call("dsSetSampleRate", {Int(22050)}), 0);
    EXPECT_EQ(format(), (std::vector<uint32_t>{2, 22050, 16, 4, 88200}));
    ASSERT_EQ(Call("dsSetSampleSize", {Int(8)}), 0);
    EXPECT_EQ(format(), (std::vector<uint32_t>{2, 22050, 8, 2, 44100}));
    ASSERT_EQ(Call("dsSetChannelCount", {Int(1)}), 0);
    // A format DirectSound refuses is answered but not applied.
    ASSERT_EQ(Call("dsSetSampleSize", {Int(12)}), 0);
    EXPECT_EQ(ResultInteger(), 12);
    EXPECT_EQ(format(), (std::vector<uint32_t>{1, 22050, 8, 1, 22050}));

    // A failed allocation of the format block is recorded.
    host.failAllocationsAfter = 0;
    EXPECT_EQ(Call("dsSetSampleRate", {Int(11025)}), static_cast<Status>(0x80040002));
    EXPECT_EQ(LastError(), -7);
    host.failAllocationsAfter = -1;
    EXPECT_EQ(Primary().nSamplesPerSec, 22050u);
}

}  // namespace
}  // namespace sonidrax
