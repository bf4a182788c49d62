// Playing, streaming, reversing, synchronising and placing sounds through the
// script methods as the fake device sees them, and what each method answers for
// an id that names no sound. Round trips that Wine's DirectSound shows as well
// are in scripts/playback.sdx and scripts/levels.sdx.
#include <gtest/gtest.h>

#include "xtra_fixture.h"

namespace sonidrax {
namespace {

using testing::kInvalidId;
using testing::kRefused;
using testing::kRefusedError;

using Playback = testing::XtraTest;

TEST_F(Playback, AnUnknownIdIsReportedAndEachMethodAnswersAsWithoutASound) {
    struct Case {
        std::string method;
        std::vector<ScriptValue> extra;
        bool answers;   // whether the call sets a result
        int32_t value;  // the result it sets
    };
    const std::vector<Case> cases = {
        {"dsPlay", {}, false, 0},
        {"dsStop", {}, false, 0},
        {"dsStream", {}, false, 0},
        {"dsReverse", {}, false, 0},
        {"dsGetSize", {}, true, 0},
        {"dsGetDuration", {}, true, 0},
        {"dsIsPlaying", {}, true, 0},
        {"dsGetPosition", {}, true, 0},
        {"dsGetTime", {}, true, 0},
        {"dsGetLoop", {}, true, 0},
        {"dsSetPosition", {Int(1000)}, true, 1000},
        {"dsSetTime", {Int(10)}, false, 0},
        {"dsSetLoop", {Int(1)}, false, 0},
        {"dsGetVolume", {}, true, 0},
        {"dsGetLinearVolume", {}, true, 0},
        {"dsSetVolume", {Int(-100)}, false, 0},
        {"dsSetLinearVolume", {Int(100)}, false, 0},
        {"dsSetPitch", {Float(2.0)}, false, 0},
        {"dsGetSampleRate", {}, true, 0},
        {"dsGetChannelCount", {}, true, 0},
        {"dsGetChannels", {}, true, 0},
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
    // The pitch of no sound is 1.
    ASSERT_EQ(Call("dsGetPitch", {Int(3)}), 0);
    EXPECT_DOUBLE_EQ(ResultFloat(), 1.0);
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

TEST_F(Playback, AReversedFollowerIsTurnedForwardPlacedAndStartedOrStoppedWithItsLead) {
    const int32_t lead = NewSound({2, 16, 22050, 8000});
    ASSERT_EQ(Call("dsReverseSound", {Member(50, {2, 16, 22050, 8000})}), 0);
    const int32_t follower = ResultInteger();
    auto& followerBuffer = FakeBuffer(follower);
    const std::vector<BYTE> leadSamples = FakeBuffer(lead).Contents();
    Call("dsPlay", {Int(lead)});
    FakeBuffer(lead).SetPlayCursor(2000);

    xtra().lastError = -9;
    ASSERT_EQ(Call("dsSynchronize", {Int(lead), Int(follower)}), 0);
    EXPECT_EQ(LastError(), 0);
    EXPECT_TRUE(NoResult());
    EXPECT_FALSE(Sound(follower)->Reversed());
    EXPECT_EQ(followerBuffer.Contents(), leadSamples);
    EXPECT_TRUE(followerBuffer.playing);
    EXPECT_EQ(followerBuffer.playCursor, 2000u);

    Call("dsStop", {Int(lead)});
    FakeBuffer(lead).SetPlayCursor(4000);
    ASSERT_EQ(Call("dsSynchronize", {Int(lead), Int(follower)}), 0);
    EXPECT_FALSE(followerBuffer.playing);
    EXPECT_EQ(followerBuffer.playCursor, 4000u);
}

TEST_F(Playback, TimeConvertsThroughTheSoundsByteRate) {
    const int32_t id = NewSound({2, 16, 44100, 176400});
    auto& buffer = FakeBuffer(id);
    // 1 ms is 176.4 bytes: truncated to 176, which is a whole frame; 3 ms is 529.2.
    for (auto [ms, bytes] : {std::pair{10, 1764u}, {1, 176u}, {3, 528u}}) {
        ASSERT_EQ(Call("dsSetTime", {Int(id), Int(ms)}), 0);
        EXPECT_EQ(ResultInteger(), ms);
        EXPECT_EQ(buffer.positionsSet.back(), bytes) << ms;
    }
    buffer.SetPlayCursor(88200);
    Call("dsGetTime", {Int(id)});
    EXPECT_EQ(ResultInteger(), 500);

    xtra().lastError = 0;
    EXPECT_EQ(Call("dsSetTime", {Int(id), Int(1001)}), kRefused);
    EXPECT_EQ(LastError(), kRefusedError);
    EXPECT_EQ(buffer.playCursor, 88200u);

    // A reversed sound counts its position from the start of its data.
    ASSERT_EQ(Call("dsReverseSound", {Member(40, {1, 8, 11025, 1000})}), 0);
    const int32_t reversed = ResultInteger();
    Call("dsGetPosition", {Int(reversed)});
    EXPECT_EQ(ResultInteger(), 1000);
    ASSERT_EQ(Call("dsSetPosition", {Int(reversed), Int(250)}), 0);
    EXPECT_EQ(FakeBuffer(reversed).playCursor, 750u);
    Call("dsGetTime", {Int(reversed)});
    EXPECT_EQ(ResultInteger(), 22);  // 250 bytes at 11025 bytes per second
}

}  // namespace
}  // namespace sonidrax
