// Playing, stopping, looping, reversing and synchronising sounds through the
// script methods, and what each answers for an id that names no sound.
#include <gtest/gtest.h>

#include "control_fixture.h"

namespace sonidrax {
namespace {

using testing::ControlTest;
using testing::kUntouched;
using testing::WaveShape;

const std::vector<std::string> kInvalidId = {"Invalid Sound ID\n"};

class Playback : public ControlTest {};

TEST_F(Playback, PlayRunsOnceUntilTheBufferEndsAndExtraArgumentsChangeNothing) {
    const int32_t id = NewSound();
    auto& buffer = FakeBuffer(id);
    xtra().lastError = -9;
    ASSERT_EQ(Call("dsPlay", {Int(id), Int(1)}), 0);
    EXPECT_TRUE(NoResult());
    EXPECT_EQ(LastError(), 0);
    ASSERT_EQ(Call("dsPlay", {Int(id)}), 0);
    EXPECT_EQ(buffer.playFlags, (std::vector<DWORD>{0, 0}));

    Call("dsIsPlaying", {Int(id)});
    EXPECT_EQ(ResultInteger(), 1);
    buffer.Advance(buffer.bufferBytes);  // a one-shot buffer stops at its end
    Call("dsIsPlaying", {Int(id)});
    EXPECT_EQ(ResultInteger(), 0);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Playback, StopEndsPlayingAndSetLoopAnswersTheFlagItStored) {
    const int32_t id = NewSound();
    auto& buffer = FakeBuffer(id);
    ASSERT_EQ(Call("dsSetLoop", {Int(id), Int(5)}), 0);
    EXPECT_EQ(ResultInteger(), 1);
    Call("dsGetLoop", {Int(id)});
    EXPECT_EQ(ResultInteger(), 1);

    Call("dsPlay", {Int(id)});
    EXPECT_EQ(buffer.playFlags.back(), DWORD{DSBPLAY_LOOPING});
    buffer.Advance(3 * buffer.bufferBytes);
    Call("dsIsPlaying", {Int(id)});
    EXPECT_EQ(ResultInteger(), 1);

    xtra().lastError = -3;
    ASSERT_EQ(Call("dsStop", {Int(id)}), 0);
    EXPECT_EQ(LastError(), 0);
    EXPECT_FALSE(buffer.playing);
    Call("dsIsPlaying", {Int(id)});
    EXPECT_EQ(ResultInteger(), 0);

    ASSERT_EQ(Call("dsSetLoop", {Int(id), Int(0)}), 0);
    EXPECT_EQ(ResultInteger(), 0);
    Call("dsGetLoop", {Int(id)});
    EXPECT_EQ(ResultInteger(), 0);
}

TEST_F(Playback, AnUnknownIdIsReportedAndEachMethodAnswersAsWithoutASound) {
    struct Case {
        std::string method;
        std::vector<ScriptValue> extra;
        bool answers;   // whether the call sets a result
        int32_t value;  // the result it sets
    };
    const std::vector<Case> cases = {
        {"dsPlay", {}, false, 0},         {"dsStop", {}, false, 0},
        {"dsStream", {}, false, 0},       {"dsReverse", {}, false, 0},
        {"dsGetSize", {}, true, 0},       {"dsGetDuration", {}, true, 0},
        {"dsIsPlaying", {}, true, 0},     {"dsGetPosition", {}, true, 0},
        {"dsGetTime", {}, true, 0},       {"dsGetLoop", {}, true, 0},
        {"dsSetPosition", {Int(1000)}, true, 1000}, {"dsSetTime", {Int(10)}, false, 0},
        {"dsSetLoop", {Int(1)}, false, 0},
    };
    NewSound();
    for (const Case& c : cases) {
        host.messages.clear();
        xtra().lastError = -9;
        std::vector<ScriptValue> args = {Int(7)};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        EXPECT_EQ(Call(c.method, args), 0) << c.method;
        EXPECT_EQ(host.messages, kInvalidId) << c.method;
        EXPECT_EQ(LastError(), 0) << c.method;
        EXPECT_EQ(NoResult(), !c.answers) << c.method;
        if (c.answers) {
            EXPECT_EQ(ResultInteger(), c.value) << c.method;
        }
    }
    EXPECT_FALSE(FakeBuffer(1).playing);
}

TEST_F(Playback, StreamRefillsTheQuarterOfTheRingThatWasPlayed) {
    const std::string name = testing::WriteWaveFile("control_stream.wav", testing::WaveImage({2, 16, 22050, 40000}));
    ASSERT_EQ(Call("dsNewSound", {host.String(name), Int(4096)}), 0);
    const int32_t id = ResultInteger();
    ASSERT_TRUE(Sound(id)->Streaming());
    auto& buffer = FakeBuffer(id);
    Call("dsPlay", {Int(id)});
    const size_t locksBefore = buffer.locks.size();
    buffer.Advance(1500);
    ASSERT_EQ(Call("dsStream", {Int(id)}), 0);
    ASSERT_EQ(buffer.locks.size(), locksBefore + 1);
    EXPECT_EQ(buffer.locks.back().offset, 0u);
    EXPECT_EQ(buffer.locks.back().bytes, 1024u);
    // The cursor now sits in the next quarter: nothing more is written yet.
    ASSERT_EQ(Call("dsStream", {Int(id)}), 0);
    EXPECT_EQ(buffer.locks.size(), locksBefore + 1);
    EXPECT_TRUE(NoResult());
}

TEST_F(Playback, ReversingAPlayingSoundTurnsItsSamplesAndKeepsItPlaying) {
    const int32_t id = NewSound({1, 8, 11025, 1000});
    auto& buffer = FakeBuffer(id);
    const std::vector<BYTE> forward = buffer.Contents();
    Call("dsPlay", {Int(id)});
    buffer.SetPlayCursor(300);

    ASSERT_EQ(Call("dsReverse", {Int(id)}), 0);
    EXPECT_TRUE(Sound(id)->Reversed());
    const std::vector<BYTE> backward = buffer.Contents();
    EXPECT_EQ(std::vector<BYTE>(backward.rbegin(), backward.rend()), forward);
    EXPECT_EQ(buffer.playCursor, 700u);
    EXPECT_TRUE(buffer.playing);
    EXPECT_EQ(buffer.playFlags.size(), 2u);
    Call("dsGetPosition", {Int(id)});
    EXPECT_EQ(ResultInteger(), 300);

    // A reversal that cannot lock its buffer changes nothing, and no error is recorded.
    fake.Refuse("Buffer.Lock", DSERR_INVALIDCALL);
    xtra().lastError = -9;
    ASSERT_EQ(Call("dsReverse", {Int(id)}), 0);
    EXPECT_EQ(LastError(), 0);
    EXPECT_EQ(buffer.Contents(), backward);
}

class Synchronize : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        lead = NewSound({2, 16, 22050, 8000});
        ASSERT_EQ(Call("dsReverseSound", {Member(50, {2, 16, 22050, 8000})}), 0);
        follower = ResultInteger();
    }
    int32_t lead = 0;
    int32_t follower = 0;
};

TEST_F(Synchronize, AReversedFollowerIsTurnedForwardPlacedAndStarted) {
    auto& leadBuffer = FakeBuffer(lead);
    auto& followerBuffer = FakeBuffer(follower);
    const std::vector<BYTE> leadSamples = leadBuffer.Contents();
    ASSERT_TRUE(Sound(follower)->Reversed());
    ASSERT_NE(followerBuffer.Contents(), leadSamples);
    Call("dsPlay", {Int(lead)});
    leadBuffer.SetPlayCursor(2000);

    xtra().lastError = -9;
    ASSERT_EQ(Call("dsSynchronize", {Int(lead), Int(follower)}), 0);
    EXPECT_EQ(LastError(), 0);
    EXPECT_TRUE(NoResult());
    EXPECT_FALSE(Sound(follower)->Reversed());
    EXPECT_EQ(followerBuffer.Contents(), leadSamples);
    EXPECT_TRUE(followerBuffer.playing);
    EXPECT_EQ(followerBuffer.playCursor, 2000u);
    Call("dsGetPosition", {Int(follower)});
    EXPECT_EQ(ResultInteger(), 2000);
}

TEST_F(Synchronize, TheFollowerStopsWithAStoppedLeadAndTakesItsPosition) {
    Call("dsReverse", {Int(follower)});
    Call("dsPlay", {Int(follower)});
    FakeBuffer(lead).SetPlayCursor(4000);
    ASSERT_EQ(Call("dsSynchronize", {Int(lead), Int(follower)}), 0);
    EXPECT_FALSE(FakeBuffer(follower).playing);
    EXPECT_EQ(FakeBuffer(follower).playCursor, 4000u);
}

TEST_F(Synchronize, AMissingSoundOnEitherSideIsReportedAndNothingMoves) {
    Call("dsPlay", {Int(lead)});
    ASSERT_EQ(Call("dsSynchronize", {Int(lead), Int(9)}), 0);
    ASSERT_EQ(Call("dsSynchronize", {Int(9), Int(follower)}), 0);
    EXPECT_EQ(host.messages, (std::vector<std::string>{"Invalid Sound ID\n", "Invalid Sound ID\n"}));
    EXPECT_TRUE(Sound(follower)->Reversed());
    EXPECT_FALSE(FakeBuffer(follower).playing);
}

}  // namespace
}  // namespace sonidrax
