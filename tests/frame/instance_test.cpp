// Creating and destroying a script instance: host services and application kind.
#include <gtest/gtest.h>

#include <optional>

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
    struct Case {
        std::optional<std::string> kind;
        Status status;
        bool inPlugin;
    };
    const Case cases[] = {
        {"authoring", 0, false},
        {"PlugIn", 0, true},
        {std::nullopt, static_cast<Status>(0x80040006), true},  // unanswered: a plug-in
    };
    for (const Case& c : cases) {
        host.stand().appKind = c.kind;
        Create();
        EXPECT_EQ(createStatus, c.status) << c.kind.value_or("none");
        EXPECT_EQ(xtra().inPlugin, c.inPlugin) << c.kind.value_or("none");
        EXPECT_EQ(xtra().dialogsAllowed, !c.inPlugin) << c.kind.value_or("none");
        EXPECT_EQ(xtra().lastError, MapHostError(c.status)) << c.kind.value_or("none");
        Destroy();
    }
}

}  // namespace
}  // namespace sonidrax
