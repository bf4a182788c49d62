// A sound's sample format, and the output format of the current device's primary
// buffer with the ranges of its setters.
#include <gtest/gtest.h>

#include "control_fixture.h"

namespace sonidrax {
namespace {

using testing::ControlTest;
using testing::kRefused;
using testing::kUntouched;
using testing::WaveShape;

class Formats : public ControlTest {
protected:
    const WAVEFORMATEX& Primary() { return *fake.directSounds.front()->primary->Format(); }
};

TEST_F(Formats, GettersAnswerTheSoundsOwnFormat) {
    const int32_t mono = NewSound({1, 8, 11025, 1000});
    const int32_t stereo = NewSound({2, 16, 22050, 4000});
    struct Case {
        std::string method;
        int32_t mono, stereo;
    };
    const Case cases[] = {
        {"dsGetSampleRate", 11025, 22050},
        {"dsGetSampleSize", 8, 16},
        {"dsGetChannelCount", 1, 2},
        {"dsGetChannels", 1, 2},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Call(c.method, {Int(mono)}), 0);
        EXPECT_EQ(ResultInteger(), c.mono) << c.method;
        ASSERT_EQ(Call(c.method, {Int(stereo)}), 0);
        EXPECT_EQ(ResultInteger(), c.stereo) << c.method;
    }
}

TEST_F(Formats, WithoutTheSoundGettersAnswerZeroAndOnlySampleSizeKeepsLastError) {
    NewSound();
    for (const std::string method : {"dsGetSampleRate", "dsGetChannelCount", "dsGetChannels", "dsGetSampleSize"}) {
        xtra().lastError = kUntouched;
        ASSERT_EQ(Call(method, {Int(8)}), 0);
        EXPECT_EQ(ResultInteger(), 0) << method;
        EXPECT_EQ(LastError(), method == "dsGetSampleSize" ? kUntouched : 0) << method;
    }
    EXPECT_EQ(host.messages.size(), 4u);
    // Found, the sample size still leaves lastError alone.
    xtra().lastError = kUntouched;
    Call("dsGetSampleSize", {Int(1)});
    EXPECT_EQ(ResultInteger(), 16);
    EXPECT_EQ(LastError(), kUntouched);
}

TEST_F(Formats, SettersChangeOnePartOfThePrimaryFormatAndItsDerivedFields) {
    ASSERT_EQ(Primary().nSamplesPerSec, 44100u);
    xtra().lastError = -9;
    ASSERT_EQ(Call("dsSetSampleRate", {Int(22050)}), 0);
    EXPECT_EQ(ResultInteger(), 22050);
    EXPECT_EQ(LastError(), 0);
    EXPECT_EQ(Primary().nSamplesPerSec, 22050u);
    EXPECT_EQ(Primary().wBitsPerSample, 16);
    EXPECT_EQ(Primary().nChannels, 2);
    EXPECT_EQ(Primary().nAvgBytesPerSec, 88200u);

    ASSERT_EQ(Call("dsSetSampleSize", {Int(8)}), 0);
    EXPECT_EQ(ResultInteger(), 8);
    EXPECT_EQ(Primary().wBitsPerSample, 8);
    EXPECT_EQ(Primary().nBlockAlign, 2);
    EXPECT_EQ(Primary().nAvgBytesPerSec, 44100u);

    ASSERT_EQ(Call("dsSetChannelCount", {Int(1)}), 0);
    EXPECT_EQ(ResultInteger(), 1);
    EXPECT_EQ(Primary().nChannels, 1);
    EXPECT_EQ(Primary().nBlockAlign, 1);
    EXPECT_EQ(Primary().nSamplesPerSec, 22050u);
}

TEST_F(Formats, ValuesOutsideTheirRangesAreRefusedAndLastErrorKept) {
    struct Case {
        std::string method;
        int32_t value;
    };
    const Case cases[] = {
        {"dsSetSampleRate", 44101}, {"dsSetSampleRate", 0}, {"dsSetSampleSize", 17},
        {"dsSetSampleSize", 0},     {"dsSetChannelCount", 3}, {"dsSetChannelCount", 0},
    };
    for (const Case& c : cases) {
        xtra().lastError = kUntouched;
        EXPECT_EQ(Call(c.method, {Int(c.value)}), kRefused) << c.method << " " << c.value;
        EXPECT_TRUE(NoResult());
        EXPECT_EQ(LastError(), kUntouched);
    }
    EXPECT_EQ(Primary().nSamplesPerSec, 44100u);
    EXPECT_EQ(Primary().wBitsPerSample, 16);
    EXPECT_EQ(Primary().nChannels, 2);
}

TEST_F(Formats, AFormatDirectSoundRefusesIsAnsweredButNotApplied) {
    ASSERT_EQ(Call("dsSetSampleSize", {Int(12)}), 0);
    EXPECT_EQ(ResultInteger(), 12);
    EXPECT_EQ(LastError(), 0);
    EXPECT_EQ(Primary().wBitsPerSample, 16);
}

TEST_F(Formats, AFailedAllocationOfTheFormatBlockIsRecorded) {
    host.failAllocationsAfter = 0;
    EXPECT_EQ(Call("dsSetSampleRate", {Int(11025)}), static_cast<Status>(0x80040002));
    EXPECT_EQ(ResultInteger(), 11025);
    EXPECT_EQ(LastError(), -7);
    host.failAllocationsAfter = -1;
    EXPECT_EQ(Primary().nSamplesPerSec, 44100u);
}

TEST_F(Formats, WithoutAPrimaryBufferTheSettersAnswerTheirValueAndChangeNothing) {
    Destroy();
    fake.Refuse("DirectSound.CreateSoundBuffer", DSERR_GENERIC);
    Create();
    ASSERT_NE(xtra().currentDevice, nullptr);
    ASSERT_EQ(xtra().currentDevice->primary, nullptr);
    xtra().lastError = -9;
    ASSERT_EQ(Call("dsSetSampleRate", {Int(22050)}), 0);
    EXPECT_EQ(ResultInteger(), 22050);
    EXPECT_EQ(LastError(), 0);
    ASSERT_EQ(Call("dsSetChannelCount", {Int(1)}), 0);
    EXPECT_EQ(ResultInteger(), 1);
}

}  // namespace
}  // namespace sonidrax
