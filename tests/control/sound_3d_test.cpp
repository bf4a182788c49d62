// A sound's 3D parameters: vectors, mode symbols, cone and distances, refusals
// that leave everything as it was, sounds made without 3D, and deferred changes.
#include <gtest/gtest.h>

#include "control_fixture.h"

namespace sonidrax {
namespace {

using testing::ControlTest;
using testing::kNoVector;
using testing::kRefused;
using testing::kUntouched;
using testing::Vector;

class Sound3D : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        id = New3DSound({1.0, 2.0, 3.0});
        ASSERT_NE(id, 0);
        ASSERT_NE(Sound(id)->Buffer3D(), nullptr);
        xtra().lastError = kUntouched;
    }
    void TearDown() override {
        // No 3D call records a script error code.
        EXPECT_EQ(LastError(), kUntouched);
        ControlTest::TearDown();
    }
    int32_t id = 0;
};

TEST_F(Sound3D, VectorsGoInAndComeBackAsListsOfThreeFloats) {
    EXPECT_EQ(GetVector("dsGet3DPosition", {Int(id)}), (Vector{1.0, 2.0, 3.0}));
    struct Case {
        std::string set, get;
        Vector value;
    };
    const Case cases[] = {
        {"dsSet3DPosition", "dsGet3DPosition", {-4.5, 0.25, 100.0}},
        {"dsSetVelocity", "dsGetVelocity", {0.0, -1.5, 3.0}},
        {"dsSetOrientation", "dsGetOrientation", {1.0, 0.0, 0.0}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Call(c.set, {Int(id), List(c.value)}), 0) << c.set;
        EXPECT_TRUE(NoResult());
        EXPECT_EQ(GetVector(c.get, {Int(id)}), c.value) << c.get;
    }
    // Integers in the list are numbers too.
    ASSERT_EQ(Call("dsSet3DPosition", {Int(id), host.List({Int(7), Int(-8), Float(9.5)})}), 0);
    EXPECT_EQ(GetVector("dsGet3DPosition", {Int(id)}), (Vector{7.0, -8.0, 9.5}));
}

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
}

TEST_F(Sound3D, TheModeGetterAnswersTheSymbolsTheSetterAccepts) {
    const std::pair<std::string, DWORD> modes[] = {
        {"dsListenerRelative", DS3DMODE_HEADRELATIVE}, {"dsDisable", DS3DMODE_DISABLE}, {"dsNormal", DS3DMODE_NORMAL}};
    for (const auto& [name, mode] : modes) {
        ASSERT_EQ(Call("dsSet3DMode", {Int(id), host.SymbolValue(name)}), 0) << name;
        EXPECT_EQ(Fake3DOf(id).current.dwMode, mode);
        ASSERT_EQ(Call("dsGet3DMode", {Int(id)}), 0);
        EXPECT_EQ(host.SymbolName(info.result), name);
        // The answer goes straight back into the setter.
        const ScriptValue answer = info.result;
        Call("dsSet3DMode", {Int(id), host.SymbolValue("dsDisable")});
        ASSERT_EQ(Call("dsSet3DMode", {Int(id), answer}), 0) << name;
        EXPECT_EQ(Fake3DOf(id).current.dwMode, mode);
    }
}

TEST_F(Sound3D, AnUnknownModeIsRefusedAndANonSymbolGetsTheHostsStatus) {
    Call("dsSet3DMode", {Int(id), host.SymbolValue("dsListenerRelative")});
    EXPECT_EQ(Call("dsSet3DMode", {Int(id), host.SymbolValue("dsLoud")}), kRefused);
    EXPECT_EQ(Call("dsSet3DMode", {Int(id), host.SymbolValue("#dsNormal")}), kRefused);
    EXPECT_EQ(Call("dsSet3DMode", {Int(id), host.String("dsNormal")}), kRefused);
    EXPECT_EQ(Call("dsSet3DMode", {Int(id)}), kRefused);
    EXPECT_EQ(Fake3DOf(id).current.dwMode, DWORD{DS3DMODE_HEADRELATIVE});
}

TEST_F(Sound3D, OutsideVolumeUsesTheLevelScaleNegated) {
    struct Case {
        int32_t level;
        LONG attenuation;
        int32_t readBack;
    };
    for (const Case& c : {Case{255, -8000, 255}, Case{128, -1000, 128}, Case{0, 0, 0}, Case{200, -2192, 199}}) {
        ASSERT_EQ(Call("dsSetOutsideVolume", {Int(id), Int(c.level)}), 0);
        EXPECT_TRUE(NoResult());
        EXPECT_EQ(Fake3DOf(id).current.lConeOutsideVolume, c.attenuation) << c.level;
        ASSERT_EQ(Call("dsGetOutsideVolume", {Int(id)}), 0);
        EXPECT_EQ(ResultInteger(), c.readBack) << c.level;
    }
}

TEST_F(Sound3D, OutsideVolumeLevelsBeyond0To255AreRefusedBeforeTheLookup) {
    Call("dsSetOutsideVolume", {Int(id), Int(100)});
    const LONG before = Fake3DOf(id).current.lConeOutsideVolume;
    for (int32_t level : {256, 257, 1000, -1}) {
        EXPECT_EQ(Call("dsSetOutsideVolume", {Int(id), Int(level)}), kRefused) << level;
        EXPECT_EQ(Call("dsSetOutsideVolume", {Int(42), Int(level)}), kRefused) << level;
    }
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(Fake3DOf(id).current.lConeOutsideVolume, before);
}

TEST_F(Sound3D, ConeAnglesAndDistancesRoundTrip) {
    ASSERT_EQ(Call("dsSetAngles", {Int(id), Int(90), Int(180)}), 0);
    Call("dsGetInsideAngle", {Int(id)});
    EXPECT_EQ(ResultInteger(), 90);
    Call("dsGetOutsideAngle", {Int(id)});
    EXPECT_EQ(ResultInteger(), 180);
    // DirectSound's refusal of angles beyond 360 degrees is not reported.
    ASSERT_EQ(Call("dsSetAngles", {Int(id), Int(400), Int(400)}), 0);
    Call("dsGetOutsideAngle", {Int(id)});
    EXPECT_EQ(ResultInteger(), 180);

    ASSERT_EQ(Call("dsSetMinDistance", {Int(id), Float(2.5)}), 0);
    ASSERT_EQ(Call("dsSetMaxDistance", {Int(id), Int(50)}), 0);
    Call("dsGetMinDistance", {Int(id)});
    EXPECT_DOUBLE_EQ(ResultFloat(), 2.5);
    Call("dsGetMaxDistance", {Int(id)});
    EXPECT_DOUBLE_EQ(ResultFloat(), 50.0);
    // A negative distance is refused by DirectSound, silently; no number at all by us.
    ASSERT_EQ(Call("dsSetMinDistance", {Int(id), Float(-1.0)}), 0);
    EXPECT_EQ(Call("dsSetMaxDistance", {Int(id), host.String("far")}), kRefused);
    EXPECT_FLOAT_EQ(Fake3DOf(id).current.flMinDistance, 2.5f);
    EXPECT_FLOAT_EQ(Fake3DOf(id).current.flMaxDistance, 50.0f);
}

TEST_F(Sound3D, GettersWhoseDirectSoundCallFailsAnswerNothing) {
    for (const std::string op : {"GetPosition", "GetMode", "GetConeAngles", "GetMinDistance", "GetConeOutsideVolume"}) {
        fake.Refuse("Buffer3D." + op, DSERR_GENERIC);
    }
    for (const std::string method :
         {"dsGet3DPosition", "dsGet3DMode", "dsGetInsideAngle", "dsGetMinDistance", "dsGetOutsideVolume"}) {
        ASSERT_EQ(Call(method, {Int(id)}), 0) << method;
        EXPECT_TRUE(NoResult()) << method;
    }
}

TEST_F(Sound3D, DeferredChangesAreInvisibleUntilCommittedThenAllApplyAtOnce) {
    Call("dsQueueSettings");
    ASSERT_EQ(Call("dsSet3DPosition", {Int(id), List({5.0, 0.0, -5.0})}), 0);
    Call("dsSetVelocity", {Int(id), List({1.0, 1.0, 1.0})});
    Call("dsSetOrientation", {Int(id), List({0.0, 1.0, 0.0})});
    Call("dsSet3DMode", {Int(id), host.SymbolValue("dsListenerRelative")});
    Call("dsSetOutsideVolume", {Int(id), Int(255)});
    Call("dsSetAngles", {Int(id), Int(30), Int(60)});
    Call("dsSetMinDistance", {Int(id), Float(3.0)});
    Call("dsSetMaxDistance", {Int(id), Float(30.0)});

    auto expectAll = [&](Vector position, Vector velocity, Vector orientation, const std::string& mode,
                         int32_t outside, int32_t inside, double minimum) {
        EXPECT_EQ(GetVector("dsGet3DPosition", {Int(id)}), position);
        EXPECT_EQ(GetVector("dsGetVelocity", {Int(id)}), velocity);
        EXPECT_EQ(GetVector("dsGetOrientation", {Int(id)}), orientation);
        Call("dsGet3DMode", {Int(id)});
        EXPECT_EQ(host.SymbolName(info.result), mode);
        Call("dsGetOutsideVolume", {Int(id)});
        EXPECT_EQ(ResultInteger(), outside);
        Call("dsGetInsideAngle", {Int(id)});
        EXPECT_EQ(ResultInteger(), inside);
        Call("dsGetMinDistance", {Int(id)});
        EXPECT_DOUBLE_EQ(ResultFloat(), minimum);
    };
    expectAll({1.0, 2.0, 3.0}, {0.0, 0.0, 0.0}, {0.0, 0.0, 1.0}, "dsNormal", 0, 360, 1.0);
    ASSERT_EQ(Call("dsCommitSettings"), 0);
    expectAll({5.0, 0.0, -5.0}, {1.0, 1.0, 1.0}, {0.0, 1.0, 0.0}, "dsListenerRelative", 255, 30, 3.0);

    // Back in immediate mode a change shows at once.
    Call("dsSet3DPosition", {Int(id), List({0.0, 0.0, 0.0})});
    EXPECT_EQ(GetVector("dsGet3DPosition", {Int(id)}), (Vector{0.0, 0.0, 0.0}));
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

    // An unknown id is reported by the lookup and otherwise treated the same.
    EXPECT_EQ(Call("dsGet3DPosition", {Int(77)}), 0);
    EXPECT_TRUE(NoResult());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"Invalid Sound ID\n"}));
}

}  // namespace
}  // namespace sonidrax
