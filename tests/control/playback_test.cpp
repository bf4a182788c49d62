// Reversing, synchronising and placing sounds through the script methods as the
// fake device sees them, and what each method answers for an id that names no
// sound. Round trips that Wine's DirectSound shows, streaming included, are in
// scripts/playback.sdx and scripts/levels.sdx; the ring's refills in tests/sounds.
#include <gtest/gtest.h>

#include <optional>

#include "xtra_fixture.h"

namespace sonidrax {
namespace {

using testing::kInvalidId;

using Playback = testing::XtraTest;

TEST_F(Playback, AnUnknownIdIsReportedAndEachMethodAnswersAsWithoutASound) {
    NewSound();
    const auto expectNoSound = [&](const std::string& method, ScriptValue extra, std::optional<int32_t> answer) {
        host.messages.clear();
        xtra().lastError = -9;
        EXPECT_EQ(Call(method, {Int(7), extra}), 0) << method;
        EXPECT_EQ(host.messages, kInvalidId) << method;
        EXPECT_EQ(LastError(), 0) << method;
        EXPECT_EQ(NoResult(), !answer) << method;
        if (answer) {
            EXPECT_EQ(ResultInteger(), *answer) << method;
        }
    };
    for (const char* method : {"dsPlay", "dsStop", "dsStream", "dsReverse"}) expectNoSound(method, Int(0), {});
    for (const char* method : {"dsGetSize", "dsGetDuration", "dsIsPlaying", "dsGetPosition", "dsGetTime", "dsGetLoop",
                               "dsGetVolume", "dsGetLinearVolume", "dsGetSampleRate", "dsGetChannelCount"}) {
        expectNoSound(method, Int(0), 0);
    }
    expectNoSound("dsSetPosition", Int(1000), 1000);
    const std::pair<const char*, ScriptValue> setters[] = {{"dsSetTime", Int(10)},
                                                           {"dsSetLoop", Int(1)},
                                                           {"dsSetVolume", Int(-100)},
                                                           {"dsSetPitch", Float(2.0)},
                                                           {"dsSetLinearVolume", Int(100)}};
    for (const auto& [method, value] : setters) expectNoSound(method, value, {});
    EXPECT_FALSE(FakeBuffer(1).playing);
    // The pitch of no sound is 1.
    ASSERT_EQ(Call("dsGetPitch", {Int(3)}), 0);
    EXPECT_DOUBLE_EQ(ResultFloat(), 1.0);
}

TEST_F(Playback, ReversingTurnsTheSamplesAroundTheCursorUnlessTheBufferCannotBeLocked) {
    const int32_t id = NewSound({1, 8, 11025, 1000});
    auto& buffer = FakeBuffer(id);
    const std::vector<BYTE> forward = buffer.Contents();
    Call("dsPlay", {Int(id)});
    buffer.SetPlayCursor(300);
    ASSERT_EQ(Call("dsReverse", {Int(id)}), 0);
    const std::vector<BYTE> backward = buffer.Contents();
    EXPECT_EQ(std::vector<BYTE>(backward.rbegin(), backward.rend()), forward);
    EXPECT_EQ(buffer.playCursor, 700u);

    fake.Refuse("Buffer.Lock", DSERR_INVALIDCALL);
    xtra().lastError = -9;
    ASSERT_EQ(Call("dsReverse", {Int(id)}), 0);
    EXPECT_EQ(LastError(), 0);  // no error is recorded
    EXPECT_EQ(buffer.Contents(), backward);
}

TEST_F(Playback, AReversedFollowerIsTurnedForwardWithItsLeadsSamples) {
    const int32_t lead = NewSound({2, 16, 22050, 8000});
    ASSERT_EQ(Call("dsReverseSound", {Member(50, {2, 16, 22050, 8000})}), 0);
    const int32_t follower = ResultInteger();
    ASSERT_EQ(Call("dsSynchronize", {Int(lead), Int(follower)}), 0);
    EXPECT_FALSE(Sound(follower)->Reversed());
    EXPECT_EQ(FakeBuffer(follower).Contents(), FakeBuffer(lead).Contents());
}

// 1 ms of 16-bit stereo at 44100 Hz is 176.4 bytes: truncated to 176, a whole
// frame; 3 ms is 529.2. A reversed sound counts from the start of its data.
TEST_F(Playback, TimeConvertsThroughTheSoundsByteRateToWholeFrames) {
    const int32_t id = NewSound({2, 16, 44100, 176400});
    for (auto [ms, bytes] : {std::pair{1, 176u}, {3, 528u}}) {
        ASSERT_EQ(Call("dsSetTime", {Int(id), Int(ms)}), 0);
        EXPECT_EQ(FakeBuffer(id).positionsSet.back(), bytes) << ms;
    }
    ASSERT_EQ(Call("dsReverseSound", {Member(40, {1, 8, 11025, 1000})}), 0);
    const int32_t reversed = ResultInteger();
    ASSERT_EQ(Call("dsSetPosition", {Int(reversed), Int(250)}), 0);
    EXPECT_EQ(FakeBuffer(reversed).playCursor, 750u);
    Call("dsGetTime", {Int(reversed)});
    EXPECT_EQ(ResultInteger(), 22);  // 250 bytes at 11025 bytes per second
}

}  // namespace
}  // namespace sonidrax
