// The dispatch of method indices to handlers; the table's text as a host reads it
// is in tests/host/scripts/frame_basics.out.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "frame/method_table.h"
#include "xtra_fixture.h"

namespace sonidrax {
namespace {

int IndexOf(const std::string& name) { return static_cast<int>(testing::MethodIndex(name)); }

TEST(MethodTable, SeventyEightHandlersServeTheMethods) {
    std::set<int32_t> handlers;
    for (uint32_t i = 0; i <= kLastMethodIndex; ++i) {
        if (HandlerNumberOf(i) >= 0) handlers.insert(HandlerNumberOf(i));
    }
    EXPECT_EQ(handlers.size(), 78u);
    EXPECT_EQ(*handlers.rbegin(), 77);
    EXPECT_EQ(HandlerNumberOf(2), HandlerNumberOf(3));  // dsNewSound and dsReverseSound
    EXPECT_EQ(HandlerNumberOf(IndexOf("dsDupSound")), HandlerNumberOf(IndexOf("dsDuplicateSound")));
    EXPECT_EQ(HandlerNumberOf(IndexOf("dsDelSound")), HandlerNumberOf(IndexOf("dsDeleteSound")));
    EXPECT_EQ(HandlerNumberOf(IndexOf("dsDelAllSounds")), HandlerNumberOf(IndexOf("dsDeleteAllSounds")));
    EXPECT_EQ(HandlerNumberOf(IndexOf("dsGetChannels")), HandlerNumberOf(IndexOf("dsGetChannelCount")));
    EXPECT_EQ(HandlerNumberOf(IndexOf("dsQueueSettings")), HandlerNumberOf(IndexOf("dsAppIsForeground")) + 1);
    EXPECT_EQ(HandlerNumberOf(85), -1);
}

TEST(MethodTable, EveryOperationSlotIsFilled) {
    const auto* slots = reinterpret_cast<void* const*>(&kScriptObjectOps);
    const size_t count = sizeof(ScriptObjectOps) / sizeof(void*);
    EXPECT_EQ(count, 12u + kHandlerCount);
    for (size_t i = 0; i < count; ++i) EXPECT_NE(slots[i], nullptr) << "slot " << i;
}

using Dispatch = testing::XtraTest;

TEST_F(Dispatch, RefusesIndicesBeyondTheTable) {
    EXPECT_EQ(Call(85u), static_cast<Status>(0x80040BC9));
    EXPECT_EQ(Call(0xFFFFFFFFu), static_cast<Status>(0x80040BC9));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Dispatch, NewAndForgetDoNothingAndGetErrorKeepsTheLastError) {
    xtra().lastError = -4;
    EXPECT_EQ(Call(0u), 0);
    EXPECT_EQ(Call(1u), 0);
    EXPECT_TRUE(NoResult());
    ASSERT_EQ(Call("dsGetError"), 0);
    EXPECT_EQ(ResultInteger(), -4);
    ASSERT_EQ(Call("dsGetError"), 0);
    EXPECT_EQ(ResultInteger(), -4);
}

}  // namespace
}  // namespace sonidrax
