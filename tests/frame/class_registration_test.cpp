// The class exports, interface objects and registration, driven as a host drives them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fake_host.h"
#include "module/exports.h"
#include "frame/interface_object.h"
#include "engine/sound_xtra.h"

namespace sonidrax {
namespace {

using testing::FakeHost;

bool Same(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(ClassInfo, ListsBothClassesAndInterfacesInOrderWithATerminator) {
    FakeHost host;
    ClassInfoRecord* records = nullptr;
    ASSERT_EQ(DllGetClassInfo(host.allocator(), &records), 0);
    ASSERT_NE(records, nullptr);
    ASSERT_EQ(host.LiveAllocations(), 1);

    struct Expected {
        const GUID& classId;
        const GUID& interfaceId;
        uint32_t interfaceVersion;
    };
    const Expected expected[] = {{kClsidXtraRegistrar, kIidClassFactory, 1u},
                                 {kClsidXtraRegistrar, kIidRegistration, kXtraVersion},
                                 {kClsidSoundXtra, kIidClassFactory, 1u},
                                 {kClsidSoundXtra, kIidScripting, kXtraVersion}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(Same(records[i].classId, expected[i].classId)) << i;
        EXPECT_TRUE(Same(records[i].interfaceId, expected[i].interfaceId)) << i;
        EXPECT_EQ(records[i].interfaceVersion, expected[i].interfaceVersion) << i;
        EXPECT_EQ(records[i].classVersion, kXtraVersion) << i;
    }
    EXPECT_TRUE(Same(records[4].classId, kNullId));
    EXPECT_TRUE(Same(records[4].interfaceId, kNullId));
    host.allocator()->ops->Free(host.allocator(), records);
    records = nullptr;
    host.failAllocationsAfter = 0;
    EXPECT_EQ(DllGetClassInfo(host.allocator(), &records), static_cast<Status>(0x80040002));
    EXPECT_EQ(records, nullptr);
}

TEST(ClassForm, ReportsSizesAndFunctionsOfKnownClassesOnly) {
    uint32_t size = 0;
    ClassCreateFn create = nullptr;
    ClassDestroyFn destroy = nullptr;
    ASSERT_EQ(DllGetClassForm(&kClsidXtraRegistrar, &size, &create, &destroy), 0);
    EXPECT_EQ(size, sizeof(HostHeader));
    ASSERT_NE(create, nullptr);
    EXPECT_EQ(create(nullptr), 0);
    EXPECT_EQ(destroy(nullptr), 0);

    ASSERT_EQ(DllGetClassForm(&kClsidSoundXtra, &size, &create, &destroy), 0);
    EXPECT_EQ(size, sizeof(SoundXtra));

    size = 77;
    EXPECT_EQ(DllGetClassForm(&kIidScripting, &size, &create, &destroy), static_cast<Status>(0x80040005));
    EXPECT_EQ(size, 77u);
    EXPECT_EQ(DllGetClassObject(kClsidSoundXtra, kIidScripting, nullptr), static_cast<HRESULT>(0x80040005));
}

class InterfaceObjects : public ::testing::Test {
protected:
    void SetUp() override {
        instance = host.NewInstance(sizeof(HostHeader));
        baseline = host.InstanceRefs();
    }
    void TearDown() override { host.DeleteInstance(instance); }
    FakeHost host;
    void* instance = nullptr;
    int32_t baseline = 0;
};

TEST_F(InterfaceObjects, RefuseInterfacesOfAnotherClassOrAnUnknownClass) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(DllGetInterface(instance, &kClsidXtraRegistrar, &kIidScripting, &out), static_cast<Status>(0x80040004));
    EXPECT_EQ(DllGetInterface(instance, &kIidScripting, &kIidScripting, &out), static_cast<Status>(0x80040004));
    EXPECT_EQ(host.InstanceRefs(), baseline);
    EXPECT_EQ(liveInterfaceCount, 0);
}

TEST_F(InterfaceObjects, HoldOneInstanceReferencePlusOnePerOwnReference) {
    void* out = nullptr;
    ASSERT_EQ(DllGetInterface(instance, &kClsidXtraRegistrar, &kIidRegistration, &out), 0);
    auto* object = static_cast<InterfaceObject*>(out);
    auto* ops = static_cast<const RegistrationOps*>(object->ops);
    EXPECT_EQ(object->outer, instance);
    EXPECT_EQ(object->refCount, 1);
    EXPECT_EQ(host.InstanceRefs(), baseline + 2);
    EXPECT_EQ(liveInterfaceCount, 1);
    EXPECT_EQ(DllCanUnloadNow(), static_cast<HRESULT>(0x80040003));

    auto* self = reinterpret_cast<RegistrationInterface*>(object);
    EXPECT_EQ(ops->AddRef(self), 2u);
    EXPECT_EQ(host.InstanceRefs(), baseline + 3);
    EXPECT_EQ(ops->Release(self), 1u);
    EXPECT_EQ(host.InstanceRefs(), baseline + 2);
    EXPECT_EQ(DllCanUnloadNow(), static_cast<HRESULT>(0x80040003));
    EXPECT_EQ(ops->Release(self), 0u);
    EXPECT_EQ(host.InstanceRefs(), baseline);
    EXPECT_EQ(liveInterfaceCount, 0);
    EXPECT_EQ(host.LiveAllocations(), 0);
    EXPECT_EQ(DllCanUnloadNow(), 0);
}

TEST_F(InterfaceObjects, FailedAllocationChangesNoCount) {
    host.failAllocationsAfter = 0;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(DllGetInterface(instance, &kClsidXtraRegistrar, &kIidRegistration, &out),
              static_cast<Status>(0x80040002));
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(host.InstanceRefs(), baseline);
    EXPECT_EQ(liveInterfaceCount, 0);
}

TEST_F(InterfaceObjects, NewHandlerGetsAChanceBeforeAllocationFails) {
    static FakeHost* current = nullptr;
    current = &host;
    host.failAllocationsAfter = 0;
    std::new_handler previous = std::set_new_handler([] {
        current->failAllocationsAfter = -1;  // "frees memory"
        std::set_new_handler(nullptr);
    });
    void* out = nullptr;
    EXPECT_EQ(DllGetInterface(instance, &kClsidXtraRegistrar, &kIidRegistration, &out), 0);
    std::set_new_handler(previous);
    ASSERT_NE(out, nullptr);
    auto* self = static_cast<RegistrationInterface*>(out);
    self->ops->Release(self);
    EXPECT_EQ(host.InstanceRefs(), baseline);
}

TEST_F(InterfaceObjects, RegisterStoresTheMethodTableUnderMsgTable) {
    void* out = nullptr;
    ASSERT_EQ(DllGetInterface(instance, &kClsidXtraRegistrar, &kIidRegistration, &out), 0);
    auto* registrar = static_cast<RegistrationInterface*>(out);
    EXPECT_EQ(registrar->ops->Register(registrar, host.registry(), host.stand().registrationToken), 0);
    const host::Dictionary* stored = host.stand().FindDictionary(kClsidSoundXtra, kIidScripting);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->texts.at("msgTable").rfind("xtra sonidrax\nnew object me\nforget object me\n", 0), 0u);
    registrar->ops->Release(registrar);
}

}  // namespace
}  // namespace sonidrax
