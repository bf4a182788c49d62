// Status mapping, and arguments a script did not pass.
#include <gtest/gtest.h>

#include "frame/script_call.h"
#include "xtra_fixture.h"

namespace sonidrax {
namespace {

TEST(MapHostError, MapsTheHostCodesScriptsKnowAndPassesTheRest) {
    const std::pair<uint32_t, int32_t> cases[] = {
        {0x80040002, -7},
        {0x80040006, -3},
        {0x8004000E, -8},
        {0x80040014, -1},
        {0x800407D0, -11},
        {0x800407D8, -9},
        {0x800407EF, -9},
        {0x80040BBC, -4},
        {0x80040BBE, -4},
        {0x80040003, static_cast<int32_t>(0x80040003)},
        {0, 0},
        {static_cast<uint32_t>(-5), -5},
    };
    for (const auto& [status, error] : cases) EXPECT_EQ(MapHostError(static_cast<Status>(status)), error) << status;
}

using ScriptCallTest = testing::XtraTest;

TEST_F(ScriptCallTest, ArgumentsPastTheCallKeepTheirPresets) {
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
