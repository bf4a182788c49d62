// Status mapping and the vector arguments and results shared by the 3D handlers.
#include <gtest/gtest.h>

#include "frame/script_call.h"
#include "sound_xtra_fixture.h"

namespace sonidrax {
namespace {

TEST(MapHostError, MapsTheHostCodesScriptsKnowAndPassesTheRest) {
    EXPECT_EQ(MapHostError(static_cast<Status>(0x80040002)), -7);
    EXPECT_EQ(MapHostError(static_cast<Status>(0x80040006)), -3);
    EXPECT_EQ(MapHostError(static_cast<Status>(0x8004000E)), -8);
    EXPECT_EQ(MapHostError(static_cast<Status>(0x80040014)), -1);
    EXPECT_EQ(MapHostError(static_cast<Status>(0x800407D0)), -11);
    EXPECT_EQ(MapHostError(static_cast<Status>(0x800407D8)), -9);
    EXPECT_EQ(MapHostError(static_cast<Status>(0x800407EF)), -9);
    EXPECT_EQ(MapHostError(static_cast<Status>(0x80040BBC)), -4);
    EXPECT_EQ(MapHostError(static_cast<Status>(0x80040BBE)), -4);
    EXPECT_EQ(MapHostError(static_cast<Status>(0x80040003)), static_cast<Status>(0x80040003));
    EXPECT_EQ(MapHostError(0), 0);
    EXPECT_EQ(MapHostError(-5), -5);
    EXPECT_EQ(MapHostError(static_cast<Status>(0x88780032)), static_cast<Status>(0x88780032));
}

class Vectors : public testing::SoundXtraInstance {
protected:
    Status Read(std::vector<ScriptValue> args, int32_t n) {
        arguments = std::move(args);
        info = CallInfo{};
        info.argCount = static_cast<int32_t>(arguments.size());
        info.args = arguments.data();
        return ReadVectorArgument(xtra(), info, n, &x, &y, &z);
    }
    float x = 9, y = 9, z = 9;
};

TEST_F(Vectors, ReadsThreeNumbersNarrowedToFloats) {
    ScriptValue list = host.List({host.Float(1.0), host.Integer(0), host.Float(-2.5)});
    ASSERT_EQ(Read({host.Void(), list}, 2), 0);
    EXPECT_FLOAT_EQ(x, 1.0f);
    EXPECT_FLOAT_EQ(y, 0.0f);
    EXPECT_FLOAT_EQ(z, -2.5f);
}

TEST_F(Vectors, RefuseMissingWrongTypeAndWrongLengthLeavingOutsUntouched) {
    EXPECT_EQ(Read({host.Void()}, 2), static_cast<Status>(0x800407E5));
    EXPECT_EQ(Read({host.Void(), host.Integer(3)}, 2), static_cast<Status>(0x800407D8));
    ScriptValue four = host.List({host.Float(1), host.Float(2), host.Float(3), host.Float(4)});
    EXPECT_EQ(Read({host.Void(), four}, 2), static_cast<Status>(0x800407D8));
    ScriptValue two = host.List({host.Float(1), host.Float(2)});
    EXPECT_EQ(Read({host.Void(), two}, 2), static_cast<Status>(0x800407D8));
    ScriptValue text = host.List({host.Float(1), host.String("up"), host.Float(3)});
    EXPECT_EQ(Read({host.Void(), text}, 2), static_cast<Status>(0x800407D8));
    EXPECT_EQ(x, 9.0f);
    EXPECT_EQ(y, 9.0f);
    EXPECT_EQ(z, 9.0f);
}

TEST_F(Vectors, ResultIsAListOfExactlyThreeFloats) {
    ASSERT_EQ(ReturnVector(xtra(), info, 0.5f, -1.0f, 3.25f), 0);
    const auto& list = host.AsList(info.result);
    ASSERT_EQ(list.items.size(), 3u);
    EXPECT_DOUBLE_EQ(host.AsFloat(list.items[0]), 0.5);
    EXPECT_DOUBLE_EQ(host.AsFloat(list.items[1]), -1.0);
    EXPECT_DOUBLE_EQ(host.AsFloat(list.items[2]), 3.25);
}

TEST_F(Vectors, ArgumentsPastTheCallKeepTheirPresets) {
    // A handler asking for an argument the script did not pass must not read past the array.
    arguments = {host.Void()};
    info.argCount = 1;
    info.args = arguments.data();
    ScriptCall call(xtra(), info);
    EXPECT_EQ(call.integer(1, 1), 1);
    TextBuffer text;
    call.text(2, text);
    EXPECT_STREQ(text, "");
    EXPECT_DOUBLE_EQ(call.number(5, 0.25), 0.25);
}

}  // namespace
}  // namespace sonidrax
