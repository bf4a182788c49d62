// The class exports and interface objects where a host cannot show them: refused
// classes and interfaces, allocations that fail, and the references an object holds.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/sound_xtra.h"
#include "fake_host.h"
#include "frame/interface_object.h"
#include "module/exports.h"

namespace sonidrax {
namespace {

using testing::FakeHost;

constexpr Status kNoMemory = static_cast<Status>(0x80040002);

TEST(ClassExports, ListBothClassesWithATerminatorAndRefuseUnknownClasses) {
    FakeHost host;
    ClassInfoRecord* records = nullptr;
    ASSERT_EQ(DllGetClassInfo(host.allocator(), &records), 0);
    const GUID expected[][2] = {{kClsidXtraRegistrar, kIidClassFactory},
                                {kClsidXtraRegistrar, kIidRegistration},
                                {kClsidSoundXtra, kIidClassFactory},
                                {kClsidSoundXtra, kIidScripting},
                                {kNullId, kNullId}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(std::memcmp(&records[i].classId, &expected[i][0], sizeof(GUID)), 0) << i;
        EXPECT_EQ(std::memcmp(&records[i].interfaceId, &expected[i][1], sizeof(GUID)), 0) << i;
    }
    host.allocator()->ops->Free(host.allocator(), records);
    host.failAllocationsAfter = 0;
    EXPECT_EQ(DllGetClassInfo(host.allocator(), &records), kNoMemory);
    EXPECT_EQ(records, nullptr);

    uint32_t size = 77;
    ClassCreateFn create = nullptr;
    ClassDestroyFn destroy = nullptr;
    EXPECT_EQ(DllGetClassForm(&kIidScripting, &size, &create, &destroy), static_cast<Status>(0x80040005));
    EXPECT_EQ(size, 77u);
}

class InterfaceObjects : public ::testing::Test {
protected:
    void SetUp() override {
        instance = host.NewInstance(sizeof(HostHeader));
        baseline = host.InstanceRefs();
    }
    void TearDown() override {
        EXPECT_EQ(host.InstanceRefs(), baseline);
        EXPECT_EQ(liveInterfaceCount, 0);
        host.DeleteInstance(instance);
    }
    Status Get(const GUID& classId, const GUID& interfaceId) {
        return DllGetInterface(instance, &classId, &interfaceId, &out);
    }
    FakeHost host;
    void* instance = nullptr;
    void* out = reinterpret_cast<void*>(1);
    int32_t baseline = 0;
};

TEST_F(InterfaceObjects, HoldOneInstanceReferencePlusOnePerOwnReference) {
    ASSERT_EQ(Get(kClsidXtraRegistrar, kIidRegistration), 0);
    auto* self = static_cast<RegistrationInterface*>(out);
    EXPECT_EQ(host.InstanceRefs(), baseline + 2);
    EXPECT_EQ(self->ops->AddRef(self), 2u);
    EXPECT_EQ(host.InstanceRefs(), baseline + 3);
    EXPECT_EQ(self->ops->Release(self), 1u);
    EXPECT_EQ(self->ops->Release(self), 0u);
    EXPECT_EQ(host.LiveAllocations(), 0);
}

// A failed allocation first gives the program's new handler its chance.
TEST_F(InterfaceObjects, RefusalsAndFailedAllocationsChangeNoCount) {
    EXPECT_EQ(Get(kClsidXtraRegistrar, kIidScripting), static_cast<Status>(0x80040004));
    EXPECT_EQ(Get(kIidScripting, kIidScripting), static_cast<Status>(0x80040004));
    host.failAllocationsAfter = 0;
    EXPECT_EQ(Get(kClsidXtraRegistrar, kIidRegistration), kNoMemory);
    EXPECT_EQ(out, nullptr);

    static FakeHost* current = nullptr;
    current = &host;
    std::new_handler previous = std::set_new_handler([] {
        current->failAllocationsAfter = -1;  // "frees memory"
        std::set_new_handler(nullptr);
    });
    EXPECT_EQ(Get(kClsidXtraRegistrar, kIidRegistration), 0);
    std::set_new_handler(previous);
    ASSERT_NE(out, nullptr);
    static_cast<RegistrationInterface*>(out)->ops->Release(static_cast<RegistrationInterface*>(out));
}

}  // namespace
}  // namespace sonidrax
