// Creating and destroying a script instance: host services and application kind.
#include <gtest/gtest.h>

#include "xtra_fixture.h"

namespace sonidrax {
namespace {

class Instance : public testing::XtraTest {
protected:
    void SetUp() override { SetDirectSoundApi(&api); }  // each test sets the host up first
};

TEST_F(Instance, AcquiresTheEightServicesInOrderAndReleasesThemAll) {
    Create();
    const std::vector<std::string> expected = {"HostAppInfo", "HostValues", "HostMessages", "HostLists",
                                               "HostWindow",  "HostPlayer", "HostMedia",    "HostMemberRefs"};
    EXPECT_EQ(host.queriedServices, expected);
    EXPECT_EQ(host.LiveServiceRefs(), 8);
    ExpectCleanDestruction();
    EXPECT_EQ(host.InstanceRefs(), 1);
}

TEST_F(Instance, TheApplicationKindDecidesOnDialogsIgnoringCase) {
    struct Case {
        const char* kind;
        bool fails;
        Status status;
        bool inPlugin;
    };
    const Case cases[] = {
        {"authoring", false, 0, false},
        {"PlugIn", false, 0, true},
        {"authoring", true, static_cast<Status>(0x80040001), true},  // unanswered: a plug-in
    };
    for (const Case& c : cases) {
        host.applicationKind = c.kind;
        host.appKindFails = c.fails;
        Create();
        EXPECT_EQ(createStatus, c.status) << c.kind;
        EXPECT_EQ(xtra().inPlugin, c.inPlugin) << c.kind;
        EXPECT_EQ(xtra().dialogsAllowed, !c.inPlugin) << c.kind;
        EXPECT_EQ(xtra().lastError, c.status) << c.kind;
        Destroy();
    }
}

}  // namespace
}  // namespace sonidrax
