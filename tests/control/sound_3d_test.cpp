// A sound's 3D parameters and the device's listener as the fake DirectSound keeps
// them: refusals that leave everything as it was, DirectSound calls that fail, and
// changes queued until the commit. Round trips, modes, sounds without 3D and the
// outside volume's scale on Wine are in scripts/space.sdx.
#include <gtest/gtest.h>

#include <cmath>

#include "xtra_fixture.h"

namespace sonidrax {
namespace {

using testing::kNoVector;
using testing::kRefused;
using testing::kUntouched;
using testing::Vector;

class Sound3D : public testing::XtraTest {
protected:
    void SetUp() override {
        XtraTest::SetUp();
        id = New3DSound({1.0, 2.0, 3.0});
        ASSERT_NE(id, 0);
        xtra().lastError = kUntouched;
    }
    void TearDown() override {
        // No 3D or listener call records a script error code.
        EXPECT_EQ(LastError(), kUntouched);
        XtraTest::TearDown();
    }
    int32_t id = 0;
};

// The sound's three vector setters read their vector alike; dsSet3DPosition's
// refusals on Wine are in scripts/space.sdx.
TEST_F(Sound3D, BadVectorsAreRefusedAndChangeNothing) {
    for (const auto& args : {std::vector{Int(id), Numbers({1.0, 2.0, 3.0, 4.0})}, std::vector{Int(id), Float(1.0)},
                             std::vector{Int(id), host.List({Float(1.0), host.String("two"), Float(3.0)})}}) {
        EXPECT_EQ(Call("dsSetVelocity", args), kRefused);
    }
    EXPECT_EQ(Call("dsSetOrientation", {Int(id)}), kNoVector);
    EXPECT_EQ(GetVector("dsGetVelocity", {Int(id)}), (Vector{0.0, 0.0, 0.0}));
    EXPECT_EQ(GetVector("dsGetOrientation", {Int(id)}), (Vector{0.0, 0.0, 1.0}));

    // The listener's orientation is set only when both vectors read.
    EXPECT_EQ(Call("dsSetListenerOrientation", {Numbers({1.0}), List({0.0, 1.0, 0.0})}), kRefused);
    EXPECT_EQ(Call("dsSetListenerOrientation", {List({1.0, 0.0, 0.0})}), kNoVector);
    EXPECT_EQ(GetVector("dsGetListenerOrientationTop"), (Vector{0, 1, 0}));
}

TEST_F(Sound3D, NumbersTakeIntegersAndFloatsAndRefuseOtherValues) {
    ASSERT_EQ(Call("dsSet3DPosition", {Int(id), host.List({Int(7), Int(-8), Float(9.5)})}), 0);
    EXPECT_EQ(GetVector("dsGet3DPosition", {Int(id)}), (Vector{7.0, -8.0, 9.5}));
    ASSERT_EQ(Call("dsSetMaxDistance", {Int(id), Int(50)}), 0);
    EXPECT_FLOAT_EQ(Fake3DOf(id).current.flMaxDistance, 50.0f);
    EXPECT_EQ(Call("dsSetMaxDistance", {Int(id), host.String("far")}), kRefused);
    ASSERT_EQ(Call("dsSetRolloff", {Int(2)}), 0);
    ASSERT_EQ(Call("dsSetDoppler", {Float(0.25)}), 0);
    EXPECT_EQ(Call("dsSetRolloff", {host.String("steep")}), kRefused);
    EXPECT_EQ(Call("dsSetDoppler"), kRefused);
    EXPECT_EQ(Call("dsSetDistanceFactor", {Float(std::nan(""))}), kRefused);
    EXPECT_EQ(Call("dsSetRolloff", {Float(-HUGE_VAL)}), kRefused);
    // DirectSound's own range refusals are not reported.
    EXPECT_EQ(Call("dsSetRolloff", {Float(-1.0)}), 0);
    EXPECT_EQ(Call("dsSetAngles", {Int(id), Int(400), Int(400)}), 0);
    EXPECT_FLOAT_EQ(fake.directSounds.front()->listener->current.flRolloffFactor, 2.0f);
    EXPECT_FLOAT_EQ(fake.directSounds.front()->listener->current.flDopplerFactor, 0.25f);
}

TEST_F(Sound3D, GettersWhoseDirectSoundCallFailsAnswerNothing) {
    Call("dsGetRolloff");  // makes the listener
    for (const std::string op : {"Buffer3D.GetPosition", "Buffer3D.GetMode", "Buffer3D.GetConeAngles",
                                 "Buffer3D.GetMinDistance", "Buffer3D.GetConeOutsideVolume", "Listener.GetPosition",
                                 "Listener.GetOrientation", "Listener.GetRolloffFactor"}) {
        fake.Refuse(op, DSERR_GENERIC);
    }
    for (const std::string method :
         {"dsGet3DPosition", "dsGet3DMode", "dsGetInsideAngle", "dsGetMinDistance", "dsGetOutsideVolume",
          "dsGetListenerPosition", "dsGetListenerOrientationTop", "dsGetRolloff"}) {
        // The listener's getters take no id; one more argument changes nothing.
        ASSERT_EQ(Call(method, {Int(id)}), 0) << method;
        EXPECT_TRUE(NoResult()) << method;
    }
}

// Queued changes of the sound and the listener are invisible to the getters until
// one commit applies them all.
TEST_F(Sound3D, QueuedChangesApplyTogetherAtTheCommit) {
    // Every value the getters answer: position, velocity, listener position and top,
    // inside angle, minimum distance and distance factor; then the mode.
    const auto state = [&] {
        std::vector<double> all;
        for (const Vector& v : {GetVector("dsGet3DPosition", {Int(id)}), GetVector("dsGetVelocity", {Int(id)}),
                                GetVector("dsGetListenerPosition"), GetVector("dsGetListenerOrientationTop")}) {
            all.insert(all.end(), {v.x, v.y, v.z});
        }
        for (const std::string getter : {"dsGetInsideAngle", "dsGetMinDistance", "dsGetDistanceFactor"}) {
            Call(getter, {Int(id)});
            all.push_back(getter == "dsGetInsideAngle" ? ResultInteger() : ResultFloat());
        }
        Call("dsGet3DMode", {Int(id)});
        return std::pair{all, host.SymbolName(info.result)};
    };
    ASSERT_EQ(Call("dsQueueSettings"), 0);
    Call("dsSet3DPosition", {Int(id), List({5.0, 0.0, -5.0})});
    Call("dsSetVelocity", {Int(id), List({1.0, 1.0, 1.0})});
    Call("dsSet3DMode", {Int(id), host.SymbolValue("dsListenerRelative")});
    Call("dsSetAngles", {Int(id), Int(30), Int(60)});
    Call("dsSetMinDistance", {Int(id), Float(3.0)});
    Call("dsSetListenerPosition", {List({1.0, 0.0, 0.0})});
    Call("dsSetListenerOrientation", {List({1.0, 0.0, 0.0}), List({0.0, 0.0, 1.0})});
    Call("dsSetDistanceFactor", {Float(0.5)});
    EXPECT_EQ(state(), std::pair(std::vector<double>{1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 1, 0, 360, 1.0, 1.0},
                                 std::string("dsNormal")));
    ASSERT_EQ(Call("dsCommitSettings"), 0);
    EXPECT_EQ(xtra().applyMode, DWORD{DS3D_IMMEDIATE});
    EXPECT_EQ(state(), std::pair(std::vector<double>{5, 0, -5, 1, 1, 1, 1, 0, 0, 0, 0, 1, 30, 3.0, 0.5},
                                 std::string("dsListenerRelative")));

    // A failed commit still returns to immediate changes.
    Call("dsQueueSettings");
    fake.Refuse("Listener.CommitDeferredSettings", DSERR_GENERIC, 1);
    ASSERT_EQ(Call("dsCommitSettings"), 0);
    Call("dsSetListenerVelocity", {List({4.0, 0.0, 0.0})});
    EXPECT_EQ(GetVector("dsGetListenerVelocity"), (Vector{4.0, 0.0, 0.0}));
}

// Without a listener every listener call does nothing, but the mode still switches.
class NoListener : public testing::XtraTest {};

TEST_F(NoListener, EveryCallDoesNothingButTheModeSwitch) {
    fake.Refuse("Buffer.QueryInterface", E_NOINTERFACE);
    xtra().lastError = kUntouched;
    ASSERT_EQ(Call("dsQueueSettings"), 0);
    EXPECT_EQ(xtra().applyMode, DWORD{DS3D_DEFERRED});
    for (const std::string getter :
         {"dsGetListenerPosition", "dsGetListenerVelocity", "dsGetListenerOrientationFront",
          "dsGetListenerOrientationTop", "dsGetRolloff", "dsGetDoppler", "dsGetDistanceFactor"}) {
        ASSERT_EQ(Call(getter), 0) << getter;
        EXPECT_TRUE(NoResult()) << getter;
    }
    EXPECT_EQ(Call("dsSetListenerPosition", {Numbers({1.0})}), 0);
    EXPECT_EQ(Call("dsSetRolloff", {host.String("x")}), 0);
    ASSERT_EQ(Call("dsCommitSettings"), 0);
    EXPECT_EQ(xtra().applyMode, DWORD{DS3D_IMMEDIATE});
    EXPECT_TRUE(fake.listeners.empty());
    EXPECT_EQ(LastError(), kUntouched);
}

}  // namespace
}  // namespace sonidrax
