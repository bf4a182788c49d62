// Creating and destroying a script instance: host services and application kind;
// and arguments a script did not pass.
#include <gtest/gtest.h>

#include <optional>

#include "frame/script_call.h"
#include "xtra_fixture.h"

namespace sonidrax {
namespace {

class Instance : public testing::XtraTest {
protected:
    void SetUp() override { SetDirectSoundApi(&api); }  // each test sets the host up first
};

TEST_F(Instance, AcquiresTheEightServicesAndReleasesThemAll) {
    Create();
    EXPECT_EQ(host.LiveServiceRefs(), 8);
    ExpectCleanDestruction();
    EXPECT_EQ(host.InstanceRefs(), 1);
}

TEST_F(Instance, TheApplicationKindDecidesOnDialogsIgnoringCase) {
    const std::pair<std::optional<std::string>, bool> cases[] = {
        {"authoring", false}, {"PlugIn", true}, {std::nullopt, true}};  // unanswered: a plug-in
    for (const auto& [kind, inPlugin] : cases) {
        host.stand().appKind = kind;
        Create();
        EXPECT_EQ(xtra().inPlugin, inPlugin) << kind.value_or("none");
        EXPECT_EQ(xtra().dialogsAllowed, !inPlugin) << kind.value_or("none");
        Destroy();
    }
}

TEST_F(Instance, ArgumentsPastTheCallKeepTheirPresets) {
    Create();
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
