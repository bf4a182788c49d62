// The device's listener and the switch between immediate and deferred 3D changes.
#include <gtest/gtest.h>

#include <cmath>

#include "control_fixture.h"

namespace sonidrax {
namespace {

using testing::ControlTest;
using testing::FakeListener;
using testing::kNoVector;
using testing::kRefused;
using testing::kUntouched;
using testing::Vector;

class Listener : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        xtra().lastError = kUntouched;
    }
    void TearDown() override {
        EXPECT_EQ(LastError(), kUntouched);
        ControlTest::TearDown();
    }
    FakeListener& Fake() {
        FakeListener* listener = fake.directSounds.front()->listener;
        EXPECT_NE(listener, nullptr);
        return *listener;
    }
};

TEST_F(Listener, QueuedChangesAreInvisibleToTheGettersUntilCommitted) {
    EXPECT_EQ(GetVector("dsGetListenerPosition"), (Vector{0.0, 0.0, 0.0}));
    ASSERT_EQ(Call("dsQueueSettings"), 0);
    EXPECT_EQ(xtra().applyMode, DWORD{DS3D_DEFERRED});
    ASSERT_EQ(Call("dsSetListenerPosition", {List({1.0, 0.0, 0.0})}), 0);
    ASSERT_EQ(Call("dsSetListenerVelocity", {List({0.0, 0.0, 2.0})}), 0);
    ASSERT_EQ(Call("dsSetListenerOrientation", {List({1.0, 0.0, 0.0}), List({0.0, 0.0, 1.0})}), 0);
    ASSERT_EQ(Call("dsSetRolloff", {Float(2.0)}), 0);
    ASSERT_EQ(Call("dsSetDoppler", {Float(3.0)}), 0);
    ASSERT_EQ(Call("dsSetDistanceFactor", {Float(0.5)}), 0);

    auto expectAll = [&](Vector position, Vector velocity, Vector front, Vector top, double rolloff, double doppler,
                         double distance) {
        EXPECT_EQ(GetVector("dsGetListenerPosition"), position);
        EXPECT_EQ(GetVector("dsGetListenerVelocity"), velocity);
        EXPECT_EQ(GetVector("dsGetListenerOrientationFront"), front);
        EXPECT_EQ(GetVector("dsGetListenerOrientationTop"), top);
        Call("dsGetRolloff");
        EXPECT_DOUBLE_EQ(ResultFloat(), rolloff);
        Call("dsGetDoppler");
        EXPECT_DOUBLE_EQ(ResultFloat(), doppler);
        Call("dsGetDistanceFactor");
        EXPECT_DOUBLE_EQ(ResultFloat(), distance);
    };
    expectAll({0, 0, 0}, {0, 0, 0}, {0, 0, 1}, {0, 1, 0}, 1.0, 1.0, 1.0);
    ASSERT_EQ(Call("dsCommitSettings"), 0);
    EXPECT_EQ(xtra().applyMode, DWORD{DS3D_IMMEDIATE});
    expectAll({1, 0, 0}, {0, 0, 2}, {1, 0, 0}, {0, 0, 1}, 2.0, 3.0, 0.5);
    EXPECT_EQ(Fake().commits, 1);
}

TEST_F(Listener, AQueuedSoundAndListenerChangeCommitTogether) {
    const int32_t id = New3DSound({0.0, 0.0, 1.0});
    xtra().lastError = kUntouched;
    Call("dsQueueSettings");
    Call("dsSetListenerPosition", {List({0.0, 0.0, 5.0})});
    Call("dsSet3DPosition", {Int(id), List({0.0, 0.0, 6.0})});
    EXPECT_EQ(GetVector("dsGetListenerPosition"), (Vector{0, 0, 0}));
    EXPECT_EQ(GetVector("dsGet3DPosition", {Int(id)}), (Vector{0, 0, 1}));
    Call("dsCommitSettings");
    EXPECT_EQ(GetVector("dsGetListenerPosition"), (Vector{0, 0, 5}));
    EXPECT_EQ(GetVector("dsGet3DPosition", {Int(id)}), (Vector{0, 0, 6}));
}

TEST_F(Listener, ChangesAreImmediateWithoutAQueueAndCommittingNothingSucceeds) {
    ASSERT_EQ(Call("dsSetListenerPosition", {List({-3.0, 1.5, 2.0})}), 0);
    EXPECT_TRUE(NoResult());
    EXPECT_EQ(GetVector("dsGetListenerPosition"), (Vector{-3.0, 1.5, 2.0}));
    ASSERT_EQ(Call("dsCommitSettings"), 0);
    EXPECT_EQ(Fake().commits, 1);
    EXPECT_EQ(GetVector("dsGetListenerPosition"), (Vector{-3.0, 1.5, 2.0}));
}

TEST_F(Listener, AFailedCommitStillReturnsToImmediateChanges) {
    Call("dsQueueSettings");
    Call("dsSetListenerPosition", {List({1.0, 1.0, 1.0})});
    fake.Refuse("Listener.CommitDeferredSettings", DSERR_GENERIC, 1);
    ASSERT_EQ(Call("dsCommitSettings"), 0);
    EXPECT_EQ(xtra().applyMode, DWORD{DS3D_IMMEDIATE});
    Call("dsSetListenerVelocity", {List({4.0, 0.0, 0.0})});
    EXPECT_EQ(GetVector("dsGetListenerVelocity"), (Vector{4.0, 0.0, 0.0}));
}

TEST_F(Listener, AnOrientationIsSetOnlyWhenBothVectorsRead) {
    EXPECT_EQ(Call("dsSetListenerOrientation", {List({0.0, 0.0, 1.0}), Numbers({0.0, 1.0})}), kRefused);
    EXPECT_EQ(Call("dsSetListenerOrientation", {Numbers({1.0}), List({0.0, 1.0, 0.0})}), kRefused);
    EXPECT_EQ(Call("dsSetListenerOrientation", {List({1.0, 0.0, 0.0})}), kNoVector);
    EXPECT_EQ(Call("dsSetListenerOrientation"), kNoVector);
    EXPECT_EQ(Call("dsSetListenerPosition", {Numbers({1.0, 2.0, 3.0, 4.0})}), kRefused);
    EXPECT_EQ(GetVector("dsGetListenerOrientationFront"), (Vector{0, 0, 1}));
    EXPECT_EQ(GetVector("dsGetListenerOrientationTop"), (Vector{0, 1, 0}));
    EXPECT_EQ(GetVector("dsGetListenerPosition"), (Vector{0, 0, 0}));
}

TEST_F(Listener, FactorsTakeIntegersAndFloatsAndRefuseOtherValues) {
    ASSERT_EQ(Call("dsSetRolloff", {Int(2)}), 0);
    Call("dsGetRolloff");
    EXPECT_DOUBLE_EQ(ResultFloat(), 2.0);
    ASSERT_EQ(Call("dsSetDoppler", {Float(0.25)}), 0);
    Call("dsGetDoppler");
    EXPECT_DOUBLE_EQ(ResultFloat(), 0.25);
    ASSERT_EQ(Call("dsSetDistanceFactor", {Int(3)}), 0);
    Call("dsGetDistanceFactor");
    EXPECT_DOUBLE_EQ(ResultFloat(), 3.0);

    EXPECT_EQ(Call("dsSetRolloff", {host.String("steep")}), kRefused);
    EXPECT_EQ(Call("dsSetDoppler"), kRefused);
    EXPECT_EQ(Call("dsSetDistanceFactor", {Float(std::nan(""))}), kRefused);
    EXPECT_EQ(Call("dsSetRolloff", {Float(-HUGE_VAL)}), kRefused);
    // DirectSound's own range refusals are not reported.
    EXPECT_EQ(Call("dsSetRolloff", {Float(-1.0)}), 0);
    Call("dsGetRolloff");
    EXPECT_DOUBLE_EQ(ResultFloat(), 2.0);
}

TEST_F(Listener, WithoutAListenerEveryCallDoesNothingButTheModeSwitch) {
    fake.Refuse("Buffer.QueryInterface", E_NOINTERFACE);
    ASSERT_EQ(Call("dsQueueSettings"), 0);
    EXPECT_EQ(xtra().applyMode, DWORD{DS3D_DEFERRED});
    for (const std::string getter : {"dsGetListenerPosition", "dsGetListenerVelocity", "dsGetListenerOrientationFront",
                                     "dsGetListenerOrientationTop", "dsGetRolloff", "dsGetDoppler",
                                     "dsGetDistanceFactor"}) {
        ASSERT_EQ(Call(getter), 0) << getter;
        EXPECT_TRUE(NoResult()) << getter;
    }
    EXPECT_EQ(Call("dsSetListenerPosition", {Numbers({1.0})}), 0);
    EXPECT_EQ(Call("dsSetRolloff", {host.String("x")}), 0);
    ASSERT_EQ(Call("dsCommitSettings"), 0);
    EXPECT_EQ(xtra().applyMode, DWORD{DS3D_IMMEDIATE});
    EXPECT_TRUE(fake.listeners.empty());
}

TEST_F(Listener, GettersWhoseDirectSoundCallFailsAnswerNothing) {
    Call("dsGetRolloff");  // makes the listener
    for (const std::string op : {"GetPosition", "GetOrientation", "GetRolloffFactor"}) {
        fake.Refuse("Listener." + op, DSERR_GENERIC);
    }
    for (const std::string getter : {"dsGetListenerPosition", "dsGetListenerOrientationTop", "dsGetRolloff"}) {
        ASSERT_EQ(Call(getter), 0) << getter;
        EXPECT_TRUE(NoResult()) << getter;
    }
}

}  // namespace
}  // namespace sonidrax
