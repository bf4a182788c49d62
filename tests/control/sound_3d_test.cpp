// A sound's 3D parameters and the device's listener as the fake DirectSound keeps
// them: refusals that leave everything as it was, DirectSound calls that fail,
// sounds made without 3D, and changes queued until the commit. Round trips, modes
// and the outside volume's scale on Wine are in scripts/space.sdx.
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

TEST_F(Sound3D, BadVectorsAreRefusedAndChangeNothing) {
    struct Case {
        std::vector<ScriptValue> args;
        Status status;
    };
    const std::vector<Case> cases = {
        {{Int(id), Numbers({1.0, 2.0})}, kRefused},
        {{Int(id), Numbers({1.0, 2.0, 3.0, 4.0})}, kRefused},
        {{Int(id), Float(1.0)}, kRefused},
        {{Int(id), host.List({Float(1.0), host.String("two"), Float(3.0)})}, kRefused},
        {{Int(id)}, kNoVector},
    };
    for (const std::string method : {"dsSet3DPosition", "dsSetVelocity", "dsSetOrientation"}) {
        for (const Case& c : cases) EXPECT_EQ(Call(method, c.args), c.status) << method;
    }
    EXPECT_EQ(GetVector("dsGet3DPosition", {Int(id)}), (Vector{1.0, 2.0, 3.0}));
    EXPECT_EQ(GetVector("dsGetVelocity", {Int(id)}), (Vector{0.0, 0.0, 0.0}));
    EXPECT_EQ(GetVector("dsGetOrientation", {Int(id)}), (Vector{0.0, 0.0, 1.0}));

    // The listener's orientation is set only when both vectors read.
    EXPECT_EQ(Call("dsSetListenerOrientation", {List({0.0, 0.0, 1.0}), Numbers({0.0, 1.0})}), kRefused);
    EXPECT_EQ(Call("dsSetListenerOrientation", {Numbers({1.0}), List({0.0, 1.0, 0.0})}), kRefused);
    EXPECT_EQ(Call("dsSetListenerOrientation", {List({1.0, 0.0, 0.0})}), kNoVector);
    EXPECT_EQ(GetVector("dsGetListenerOrientationFront"), (Vector{0, 0, 1}));
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
         {"dsGet3DPosition", "dsGet3DMode", "dsGetInsideAngle", "dsGetMinDistance", "dsGetOutsideVolume"}) {
        ASSERT_EQ(Call(method, {Int(id)}), 0) << method;
        EXPECT_TRUE(NoResult()) << method;
    }
    for (const std::string getter : {"dsGetListenerPosition", "dsGetListenerOrientationTop", "dsGetRolloff"}) {
        ASSERT_EQ(Call(getter), 0) << getter;
        EXPECT_TRUE(NoResult()) << getter;
    }
}

// Queued changes of the sound and the listener are invisible to the getters until
// one commit applies them all.
TEST_F(Sound3D, QueuedChangesApplyTogetherAtTheCommit) {
    ASSERT_EQ(Call("dsQueueSettings"), 0);
    Call("dsSet3DPosition", {Int(id), List({5.0, 0.0, -5.0})});
    Call("dsSetVelocity", {Int(id), List({1.0, 1.0, 1.0})});
    Call("dsSet3DMode", {Int(id), host.SymbolValue("dsListenerRelative")});
    Call("dsSetAngles", {Int(id), Int(30), Int(60)});
    Call("dsSetMinDistance", {Int(id), Float(3.0)});
    Call("dsSetListenerPosition", {List({1.0, 0.0, 0.0})});
    Call("dsSetListenerOrientation", {List({1.0, 0.0, 0.0}), List({0.0, 0.0, 1.0})});
    Call("dsSetDistanceFactor", {Float(0.5)});

    auto expectAll = [&](Vector position, Vector velocity, const std::string& mode, int32_t inside, double minimum,
                         Vector listener, Vector top, double distance) {
        EXPECT_EQ(GetVector("dsGet3DPosition", {Int(id)}), position);
        EXPECT_EQ(GetVector("dsGetVelocity", {Int(id)}), velocity);
        Call("dsGet3DMode", {Int(id)});
        EXPECT_EQ(host.SymbolName(info.result), mode);
        Call("dsGetInsideAngle", {Int(id)});
        EXPECT_EQ(ResultInteger(), inside);
        Call("dsGetMinDistance", {Int(id)});
        EXPECT_DOUBLE_EQ(ResultFloat(), minimum);
        EXPECT_EQ(GetVector("dsGetListenerPosition"), listener);
        EXPECT_EQ(GetVector("dsGetListenerOrientationTop"), top);
        Call("dsGetDistanceFactor");
        EXPECT_DOUBLE_EQ(ResultFloat(), distance);
    };
    expectAll({1, 2, 3}, {0, 0, 0}, "dsNormal", 360, 1.0, {0, 0, 0}, {0, 1, 0}, 1.0);
    ASSERT_EQ(Call("dsCommitSettings"), 0);
    EXPECT_EQ(xtra().applyMode, DWORD{DS3D_IMMEDIATE});
    expectAll({5, 0, -5}, {1, 1, 1}, "dsListenerRelative", 30, 3.0, {1, 0, 0}, {0, 0, 1}, 0.5);

    // A failed commit still returns to immediate changes.
    Call("dsQueueSettings");
    fake.Refuse("Listener.CommitDeferredSettings", DSERR_GENERIC, 1);
    ASSERT_EQ(Call("dsCommitSettings"), 0);
    Call("dsSetListenerVelocity", {List({4.0, 0.0, 0.0})});
    EXPECT_EQ(GetVector("dsGetListenerVelocity"), (Vector{4.0, 0.0, 0.0}));
}

TEST_F(Sound3D, ASoundMadeWithout3DIgnoresEvery3DCall) {
    const int32_t flat = NewSound();
    xtra().lastError = kUntouched;
    ASSERT_EQ(Sound(flat)->Buffer3D(), nullptr);
    const size_t callsBefore = fake.calls.size();
    const std::vector<std::pair<std::string, std::vector<ScriptValue>>> calls = {
        {"dsGet3DMode", {}},
        {"dsSet3DMode", {host.SymbolValue("dsListenerRelative")}},
        {"dsGet3DPosition", {}},
        {"dsSet3DPosition", {Numbers({1.0, 2.0})}},
        {"dsGetVelocity", {}},
        {"dsSetVelocity", {List({1.0, 0.0, 0.0})}},
        {"dsGetOrientation", {}},
        {"dsSetOrientation", {List({1.0, 0.0, 0.0})}},
        {"dsGetOutsideVolume", {}},
        {"dsSetOutsideVolume", {Int(10)}},
        {"dsGetInsideAngle", {}},
        {"dsGetOutsideAngle", {}},
        {"dsSetAngles", {Int(10), Int(20)}},
        {"dsGetMinDistance", {}},
        {"dsSetMinDistance", {Float(2.0)}},
        {"dsGetMaxDistance", {}},
        {"dsSetMaxDistance", {Float(2.0)}},
    };
    for (const auto& [method, extra] : calls) {
        std::vector<ScriptValue> args = {Int(flat)};
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_EQ(Call(method, args), 0) << method;
        EXPECT_TRUE(NoResult()) << method;
    }
    EXPECT_EQ(fake.calls.size(), callsBefore);
    EXPECT_TRUE(host.messages.empty());
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
