// Sizes, durations, positions and times: bytes of PCM data and milliseconds.
#include <gtest/gtest.h>

#include "control_fixture.h"

namespace sonidrax {
namespace {

using testing::ControlTest;
using testing::kRefused;
using testing::kRefusedError;
using testing::WaveShape;

class Positions : public ControlTest {};

TEST_F(Positions, SizeIsInBytesAndDurationTruncatesToMilliseconds) {
    struct Case {
        WaveShape shape;
        int32_t ms;
    };
    const Case cases[] = {
        {{2, 16, 44100, 176400}, 1000},
        {{1, 8, 11025, 11024}, 999},
        {{2, 16, 22050, 4000}, 45},
    };
    for (const Case& c : cases) {
        const int32_t id = NewSound(c.shape);
        xtra().lastError = -9;
        ASSERT_EQ(Call("dsGetSize", {Int(id)}), 0);
        EXPECT_EQ(ResultInteger(), static_cast<int32_t>(c.shape.dataBytes));
        EXPECT_EQ(LastError(), 0);
        xtra().lastError = -9;
        ASSERT_EQ(Call("dsGetDuration", {Int(id)}), 0);
        EXPECT_EQ(ResultInteger(), c.ms) << c.shape.dataBytes;
        EXPECT_EQ(LastError(), 0);
    }
}

TEST_F(Positions, SetPositionAnswersWhatWasAskedAndPlacesTheCursorOnAFrame) {
    const int32_t stereo = NewSound({2, 16, 22050, 4000});
    ASSERT_EQ(Call("dsSetPosition", {Int(stereo), Int(1001)}), 0);
    EXPECT_EQ(ResultInteger(), 1001);
    EXPECT_EQ(FakeBuffer(stereo).playCursor, 1000u);
    Call("dsGetPosition", {Int(stereo)});
    EXPECT_EQ(ResultInteger(), 1000);

    const int32_t mono = NewSound({1, 8, 11025, 4000});
    ASSERT_EQ(Call("dsSetPosition", {Int(mono), Int(1001)}), 0);
    EXPECT_EQ(FakeBuffer(mono).playCursor, 1001u);
    ASSERT_EQ(Call("dsSetPosition", {Int(mono), Int(4000)}), 0);
    EXPECT_EQ(ResultInteger(), 4000);
}

TEST_F(Positions, APositionOutsideTheDataIsRefusedWithoutAnAnswer) {
    const int32_t id = NewSound({2, 16, 22050, 4000});
    FakeBuffer(id).SetPlayCursor(800);
    for (int32_t position : {-1, 4001}) {
        xtra().lastError = 0;
        EXPECT_EQ(Call("dsSetPosition", {Int(id), Int(position)}), kRefused) << position;
        EXPECT_TRUE(NoResult());
        EXPECT_EQ(LastError(), kRefusedError);
        Call("dsGetError");
        EXPECT_EQ(ResultInteger(), kRefusedError);
    }
    EXPECT_EQ(FakeBuffer(id).playCursor, 800u);
}

TEST_F(Positions, TimeConvertsThroughTheSoundsByteRate) {
    const int32_t id = NewSound({2, 16, 44100, 176400});
    auto& buffer = FakeBuffer(id);
    ASSERT_EQ(Call("dsSetTime", {Int(id), Int(10)}), 0);
    EXPECT_EQ(ResultInteger(), 10);
    EXPECT_EQ(buffer.positionsSet.back(), 1764u);
    // 1 ms is 176.4 bytes: truncated to 176, which is a whole frame.
    ASSERT_EQ(Call("dsSetTime", {Int(id), Int(1)}), 0);
    EXPECT_EQ(buffer.positionsSet.back(), 176u);
    ASSERT_EQ(Call("dsSetTime", {Int(id), Int(3)}), 0);
    EXPECT_EQ(buffer.positionsSet.back(), 528u);  // 529.2 truncated, then aligned

    buffer.SetPlayCursor(88200);
    Call("dsGetTime", {Int(id)});
    EXPECT_EQ(ResultInteger(), 500);
    Call("dsGetPosition", {Int(id)});
    EXPECT_EQ(ResultInteger(), 88200);

    xtra().lastError = 0;
    EXPECT_EQ(Call("dsSetTime", {Int(id), Int(1001)}), kRefused);
    EXPECT_EQ(ResultInteger(), 0);
    EXPECT_EQ(LastError(), kRefusedError);
    EXPECT_EQ(buffer.playCursor, 88200u);
}

TEST_F(Positions, AReversedSoundCountsItsPositionFromTheStartOfItsData) {
    ASSERT_EQ(Call("dsReverseSound", {Member(40, {1, 8, 11025, 1000})}), 0);
    const int32_t id = ResultInteger();
    auto& buffer = FakeBuffer(id);
    Call("dsGetPosition", {Int(id)});
    EXPECT_EQ(ResultInteger(), 1000);
    ASSERT_EQ(Call("dsSetPosition", {Int(id), Int(250)}), 0);
    EXPECT_EQ(buffer.playCursor, 750u);
    Call("dsGetTime", {Int(id)});
    EXPECT_EQ(ResultInteger(), 22);  // 250 bytes at 11025 bytes per second
}

}  // namespace
}  // namespace sonidrax
