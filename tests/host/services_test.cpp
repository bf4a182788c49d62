// The host services as the plug-in reaches them, where a script cannot show it:
// bounded texts, ledgers that catch misuse, and nesting that must match.
#include "host.h"
#include "status.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace sonidrax::host {
namespace {

template <typename Iface>
Iface* Service(InstanceRecord* record, const GUID& iid) {
    void* out = nullptr;
    EXPECT_EQ(record->callback.iface.ops->QueryInterface(&record->callback.iface, &iid, &out), kOk);
    return static_cast<Iface*>(out);
}

class ServicesTest : public ::testing::Test {
protected:
    ServicesTest() : record(host.NewRecord("x")) {}
    Host host;
    InstanceRecord* record;
};

// Every text the host writes fits the caller's buffer, and a refusal leaves it empty.
TEST_F(ServicesTest, TextsThatDoNotFitAreCutOrRefused) {
    auto* values = Service<HostValues>(record, kIidHostValues);
    auto* app = Service<HostAppInfo>(record, kIidHostAppInfo);
    auto* player = Service<HostPlayer>(record, kIidHostPlayer);
    ScriptValue text{};
    ASSERT_EQ(values->ops->FromString(values, "Primary Sound Driver", &text), kOk);
    char small[8];
    EXPECT_EQ(values->ops->ToString(values, &text, small, sizeof small), kStatusTooSmall);
    EXPECT_STREQ(small, "Primary");
    ScriptValue number{};
    values->ops->FromInteger(values, 12, &number);
    std::strcpy(small, "stale");
    EXPECT_EQ(values->ops->ToString(values, &number, small, sizeof small), kStatusWrongType);
    EXPECT_STREQ(small, "");
    char four[4];
    host.appKind = "plugin";
    EXPECT_EQ(app->ops->GetProperty(app, kAppPropertyKind, four, sizeof four), kStatusTooSmall);
    EXPECT_STREQ(four, "plu");
    char path[10];
    EXPECT_EQ(player->ops->ResolveFileName(player, "tone.wav", path, sizeof path), kStatusTooSmall);
    EXPECT_STREQ(path, "");
    EXPECT_EQ(values->ops->FromSymbol(values, 9999, &number), kStatusBadValue);

    EXPECT_EQ(values->ops->ReleaseValue(values, &text), kOk);
    for (auto* service : {values, reinterpret_cast<HostValues*>(app), reinterpret_cast<HostValues*>(player)}) {
        service->ops->Release(service);  // slot 2 is Release in every table
    }
    EXPECT_EQ(record->ServiceReferences(), 0);
    values->ops->Release(values);  // one release too many
    EXPECT_EQ(host.FaultCount(), 1u);
}

TEST_F(ServicesTest, TheAllocatorKeepsALedgerAndCatchesBadFrees) {
    HostAllocator* allocator = &record->allocator.iface;
    void* a = allocator->ops->Alloc(allocator, 40);
    void* b = allocator->ops->Alloc(allocator, 0);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(allocator->ops->Alloc(allocator, 0x80000000u), nullptr);
    EXPECT_EQ(record->LiveBytes(), 40u);
    allocator->ops->Free(allocator, a);
    allocator->ops->Free(allocator, nullptr);
    EXPECT_EQ(host.FaultCount(), 0u);
    allocator->ops->Free(allocator, a);  // twice
    int local = 0;
    allocator->ops->Free(allocator, &local);  // never allocated
    EXPECT_EQ(host.FaultCount(), 2u);
    allocator->ops->Free(allocator, b);
    EXPECT_TRUE(record->blocks.empty());
}

TEST_F(ServicesTest, ModalStateResourcesAndTheInstanceCountMustMatch) {
    auto* window = Service<HostWindow>(record, kIidHostWindow);
    int32_t outer = -1;
    int32_t inner = -1;
    EXPECT_EQ(window->ops->BeginModal(window, &outer), kOk);
    EXPECT_EQ(window->ops->BeginModal(window, &inner), kOk);
    EXPECT_EQ(window->ops->EndModal(window, outer), kStatusBadState);  // out of order
    EXPECT_EQ(window->ops->EndModal(window, inner), kOk);
    EXPECT_EQ(window->ops->EndModal(window, outer), kOk);
    EXPECT_EQ(record->modalHeld, 0);
    window->ops->Release(window);

    HMODULE module = GetModuleHandleA(nullptr);
    int32_t saved = -1;
    HostCallback* callback = &record->callback.iface;
    EXPECT_EQ(callback->ops->UseModuleResources(callback, module, &saved), reinterpret_cast<HANDLE>(module));
    EXPECT_EQ(callback->ops->RestoreResources(callback, module, saved + 1), kStatusBadState);
    EXPECT_EQ(callback->ops->RestoreResources(callback, module, saved), kOk);
    EXPECT_EQ(record->resourcesHeld, 0);

    HostHeader header{&kInstanceOps, reinterpret_cast<uintptr_t>(record), callback, &record->allocator.iface};
    auto* self = reinterpret_cast<HostInstance*>(&header);
    record->self.refs = 1;
    EXPECT_EQ(header.instanceOps->AddRef(self), 2u);
    EXPECT_EQ(header.instanceOps->Release(self), 1u);
    EXPECT_EQ(header.instanceOps->Release(self), 0u);
    EXPECT_EQ(header.instanceOps->Release(self), 0u);
    EXPECT_EQ(host.FaultCount(), 3u);
}

// Registration with the token the host handed out shows in every script's table.
TEST_F(ServicesTest, TheRegistryAnswersOnlyTheTokenItHandedOut) {
    HostRegistry* registry = host.Registry();
    HostDictionary* dictionary = nullptr;
    EXPECT_EQ(registry->ops->GetClassDictionary(registry, host.registrationToken + 1, &kClsidSoundXtra, &kIidScripting,
                                                &dictionary),
              kStatusBadState);
    EXPECT_EQ(dictionary, nullptr);
}

}  // namespace
}  // namespace sonidrax::host
