// Creating and destroying a script instance: host services and application kind.
#include <gtest/gtest.h>

#include "sound_xtra_fixture.h"

namespace sonidrax {
namespace {

class Instance : public testing::SoundXtraInstance {
protected:
    void SetUp() override {}  // each test sets the host up first
};

TEST_F(Instance, AcquiresTheEightServicesInOrderAndReleasesThemAll) {
    Create();
    const std::vector<std::string> expected = {"HostAppInfo", "HostValues", "HostMessages", "HostLists",
                                               "HostWindow",  "HostPlayer", "HostMedia",    "HostMemberRefs"};
    EXPECT_EQ(host.queriedServices, expected);
    EXPECT_EQ(host.LiveServiceRefs(), 8);
    Destroy();
    EXPECT_EQ(host.LiveServiceRefs(), 0);
    EXPECT_EQ(host.LiveAllocations(), 0);
    EXPECT_EQ(host.InstanceRefs(), 1);
}

TEST_F(Instance, AnAuthoringApplicationAllowsDialogsAndResolvesNames) {
    host.applicationKind = "authoring";
    Create();
    EXPECT_EQ(createStatus, 0);
    EXPECT_FALSE(xtra().inPlugin);
    EXPECT_TRUE(xtra().dialogsAllowed);
    EXPECT_EQ(xtra().lastError, 0);
}

TEST_F(Instance, ThePluginKindIsRecognisedIgnoringCase) {
    host.applicationKind = "PlugIn";
    Create();
    EXPECT_TRUE(xtra().inPlugin);
    EXPECT_FALSE(xtra().dialogsAllowed);
}

TEST_F(Instance, AnUnansweredKindCountsAsPluginAndIsTheCreationResult) {
    host.appKindFails = true;
    Create();
    EXPECT_EQ(createStatus, static_cast<Status>(0x80040001));
    EXPECT_TRUE(xtra().inPlugin);
    EXPECT_EQ(xtra().lastError, static_cast<Status>(0x80040001));
}

}  // namespace
}  // namespace sonidrax
