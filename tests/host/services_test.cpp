// The host services as the plug-in reaches them: through the callback and the
// operation tables, with the statuses, ownership and ledgers the host keeps.
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

TEST_F(ServicesTest, TheCallbackYieldsEveryServiceWithAReference) {
    const GUID* ids[] = {&kIidHostAppInfo, &kIidHostValues, &kIidHostMessages, &kIidHostLists,
                         &kIidHostWindow,  &kIidHostPlayer, &kIidHostMedia,    &kIidHostMemberRefs};
    std::vector<void*> services;
    for (const GUID* iid : ids) {
        void* out = nullptr;
        ASSERT_EQ(record->callback.iface.ops->QueryInterface(&record->callback.iface, iid, &out), kOk);
        ASSERT_NE(out, nullptr);
        services.push_back(out);
    }
    EXPECT_EQ(record->ServiceReferences(), 8);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(record->callback.iface.ops->QueryInterface(&record->callback.iface, &kIidScripting, &none),
              kStatusNoInterface);
    EXPECT_EQ(none, nullptr);
    for (void* service : services) {
        auto* values = static_cast<HostValues*>(service);  // slot 2 is Release in every table
        values->ops->Release(values);
    }
    EXPECT_EQ(record->ServiceReferences(), 0);
    EXPECT_EQ(host.FaultCount(), 0u);
    auto* values = static_cast<HostValues*>(services[1]);
    values->ops->Release(values);  // one release too many
    EXPECT_EQ(host.FaultCount(), 1u);
    EXPECT_EQ(record->ServiceReferences(), 0);
}

TEST_F(ServicesTest, TheAllocatorKeepsALedgerAndCatchesBadFrees) {
    HostAllocator* allocator = &record->allocator.iface;
    void* a = allocator->ops->Alloc(allocator, 40);
    void* b = allocator->ops->Alloc(allocator, 0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(allocator->ops->Alloc(allocator, 0x80000000u), nullptr);
    EXPECT_EQ(record->blocks.size(), 2u);
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
    EXPECT_EQ(record->allocationCount, 2u);
}

TEST_F(ServicesTest, ValueConversionsWriteBoundedTexts) {
    auto* values = Service<HostValues>(record, kIidHostValues);
    ScriptValue text{};
    ASSERT_EQ(values->ops->FromString(values, "Primary Sound Driver", &text), kOk);
    int32_t type = 0;
    EXPECT_EQ(values->ops->GetType(values, &text, &type), kOk);
    EXPECT_EQ(type, kValueString);
    int32_t length = 0;
    EXPECT_EQ(values->ops->StringLength(values, &text, &length), kOk);
    EXPECT_EQ(length, 20);
    char buffer[8];
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(values->ops->ToString(values, &text, buffer, sizeof buffer), kStatusTooSmall);
    EXPECT_STREQ(buffer, "Primary");
    char full[260];
    EXPECT_EQ(values->ops->ToString(values, &text, full, sizeof full), kOk);
    EXPECT_STREQ(full, "Primary Sound Driver");

    ScriptValue number{};
    values->ops->FromInteger(values, 12, &number);
    std::strcpy(full, "stale");
    EXPECT_EQ(values->ops->ToString(values, &number, full, sizeof full), kStatusWrongType);
    EXPECT_STREQ(full, "");  // a failed conversion leaves an empty text, not the old one

    Symbol symbol = 0;
    EXPECT_EQ(values->ops->StringToSymbol(values, "winWAVE", &symbol), kOk);
    ScriptValue symbolValue{};
    EXPECT_EQ(values->ops->FromSymbol(values, symbol, &symbolValue), kOk);
    Symbol back = 0;
    EXPECT_EQ(values->ops->ToSymbol(values, &symbolValue, &back), kOk);
    EXPECT_EQ(back, symbol);
    EXPECT_EQ(values->ops->FromSymbol(values, 9999, &symbolValue), kStatusBadValue);

    EXPECT_EQ(values->ops->ReleaseValue(values, &text), kOk);
    EXPECT_EQ(host.values.LiveCells(), 0u);
    ScriptValue released{{kValueString, 1}};
    EXPECT_EQ(values->ops->ReleaseValue(values, &released), kStatusBadValue);
    EXPECT_EQ(host.FaultCount(), 1u);
    values->ops->Release(values);
}

TEST_F(ServicesTest, MessagesAreKeptInOrder) {
    auto* messages = Service<HostMessages>(record, kIidHostMessages);
    EXPECT_EQ(messages->ops->Show(messages, "Invalid Sound ID\n"), kOk);
    EXPECT_EQ(messages->ops->ShowFormatted(messages, "Could not lock buffer - error %lx\n", 0x88780096), kOk);
    EXPECT_EQ(messages->ops->Show(messages, nullptr), kStatusNullPointer);
    ASSERT_EQ(host.allMessages.size(), 2u);
    EXPECT_EQ(host.pendingMessages.front(), "Invalid Sound ID\n");
    EXPECT_EQ(host.allMessages[1], "Could not lock buffer - error 88780096\n");
    messages->ops->Release(messages);
}

TEST_F(ServicesTest, TheApplicationKindIsTheScriptsChoice) {
    auto* app = Service<HostAppInfo>(record, kIidHostAppInfo);
    char text[32];
    host.appKind = "plugin";
    EXPECT_EQ(app->ops->GetProperty(app, kAppPropertyKind, text, sizeof text), kOk);
    EXPECT_STREQ(text, "plugin");
    char small[4];
    EXPECT_EQ(app->ops->GetProperty(app, kAppPropertyKind, small, sizeof small), kStatusTooSmall);
    EXPECT_STREQ(small, "plu");
    EXPECT_EQ(app->ops->GetProperty(app, 2, text, sizeof text), kStatusNotFound);
    host.appKind.reset();
    EXPECT_NE(app->ops->GetProperty(app, kAppPropertyKind, text, sizeof text), kOk);
    EXPECT_STREQ(text, "");
    app->ops->Release(app);
}

TEST_F(ServicesTest, FileNamesResolveAgainstTheScriptFolder) {
    auto* player = Service<HostPlayer>(record, kIidHostPlayer);
    host.scriptFolder = "Z:\\work\\examples";
    char path[260];
    EXPECT_EQ(player->ops->ResolveFileName(player, "media/tone.wav", path, sizeof path), kOk);
    EXPECT_STREQ(path, "Z:\\work\\examples\\media\\tone.wav");
    EXPECT_EQ(player->ops->ResolveFileName(player, "C:\\sounds\\a.wav", path, sizeof path), kOk);
    EXPECT_STREQ(path, "C:\\sounds\\a.wav");
    char small[10];
    EXPECT_EQ(player->ops->ResolveFileName(player, "tone.wav", small, sizeof small), kStatusTooSmall);
    EXPECT_STREQ(small, "");
    player->ops->Release(player);
}

TEST_F(ServicesTest, SoundMembersDeliverTheirWaveImageInGlobalMemory) {
    host.members.push_back({"tone", "sound", 1, 1, {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}});
    host.members.push_back({"logo", "bitmap", 1, 2, {}});
    auto* values = Service<HostValues>(record, kIidHostValues);
    auto* player = Service<HostPlayer>(record, kIidHostPlayer);
    auto* media = Service<HostMedia>(record, kIidHostMedia);
    auto* refs = Service<HostMemberRefs>(record, kIidHostMemberRefs);

    ScriptValue referenceValue = host.values.NewMemberRef({1, 1});
    MemberRef reference{};
    ASSERT_EQ(refs->ops->ToMemberRef(refs, &referenceValue, &reference), kOk);
    HostMovie* movie = nullptr;
    ASSERT_EQ(player->ops->GetActiveMovie(player, &movie), kOk);
    HostMember* member = nullptr;
    ASSERT_EQ(movie->ops->GetMember(movie, &reference, &member), kOk);
    EXPECT_EQ(record->liveMembers, 1);

    Symbol typeSymbol = 0;
    values->ops->StringToSymbol(values, "type", &typeSymbol);
    ScriptValue type{};
    ASSERT_EQ(member->ops->GetMemberProp(member, typeSymbol, &type), kOk);
    Symbol kind = 0;
    values->ops->ToSymbol(values, &type, &kind);
    Symbol sound = 0;
    Symbol wave = 0;
    values->ops->StringToSymbol(values, "sound", &sound);
    values->ops->StringToSymbol(values, "winWAVE", &wave);
    EXPECT_EQ(kind, sound);

    MediaRequest request{};
    ASSERT_EQ(media->ops->NewMediaRequest(media, sound, wave, 0, 0, 0, &request), kOk);
    ASSERT_EQ(member->ops->GetMedia(member, &request), kOk);
    HGLOBAL handle = reinterpret_cast<HGLOBAL>(request.mediaData);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GlobalSize(handle), 12u);
    const char* bytes = static_cast<const char*>(GlobalLock(handle));
    EXPECT_EQ(std::memcmp(bytes + 8, "WAVE", 4), 0);
    GlobalUnlock(handle);
    EXPECT_EQ(record->liveMedia.size(), 1u);

    MediaRequest copy = request;
    EXPECT_EQ(media->ops->ReleaseMedia(media, &request), kOk);
    EXPECT_EQ(request.mediaData, 0u);
    EXPECT_TRUE(record->liveMedia.empty());
    EXPECT_EQ(media->ops->ReleaseMedia(media, &copy), kStatusBadValue);  // released twice
    EXPECT_EQ(host.FaultCount(), 1u);

    member->ops->Release(member);
    EXPECT_EQ(record->liveMembers, 0);

    // A member that is not a sound has no sound media; an unknown member is refused.
    const MemberRef logo{1, 2};
    ASSERT_EQ(movie->ops->GetMember(movie, &logo, &member), kOk);
    EXPECT_EQ(member->ops->GetMedia(member, &request), kStatusNotSound);
    member->ops->Release(member);
    const MemberRef missing{2, 1};
    EXPECT_EQ(movie->ops->GetMember(movie, &missing, &member), kStatusNoSuchMember);
    EXPECT_EQ(member, nullptr);

    EXPECT_EQ(movie->ops->CallHandler(movie, sound, 0, nullptr, nullptr), kOk);
    EXPECT_EQ(host.handlerCalls["sound"], 1);
    movie->ops->Release(movie);
    EXPECT_EQ(record->movie.refs, 0);
    host.movieActive = false;
    EXPECT_NE(player->ops->GetActiveMovie(player, &movie), kOk);
    EXPECT_EQ(movie, nullptr);

    host.values.Release(&referenceValue);
    for (auto* service : {reinterpret_cast<HostValues*>(values), reinterpret_cast<HostValues*>(player),
                          reinterpret_cast<HostValues*>(media), reinterpret_cast<HostValues*>(refs)}) {
        service->ops->Release(service);
    }
    EXPECT_EQ(record->ServiceReferences(), 0);
}

TEST_F(ServicesTest, ModalStateAndModuleResourcesNest) {
    auto* window = Service<HostWindow>(record, kIidHostWindow);
    HINSTANCE app = nullptr;
    HWND main = nullptr;
    EXPECT_EQ(window->ops->GetWindows(window, &app, &main), kOk);
    EXPECT_EQ(app, GetModuleHandleA(nullptr));
    EXPECT_NE(main, nullptr);
    EXPECT_TRUE(IsWindow(main));

    int32_t outer = -1;
    int32_t inner = -1;
    EXPECT_EQ(window->ops->BeginModal(window, &outer), kOk);
    EXPECT_EQ(window->ops->BeginModal(window, &inner), kOk);
    EXPECT_EQ(host.modalDepth, 2);
    EXPECT_EQ(window->ops->EndModal(window, outer), kStatusBadState);  // out of order
    EXPECT_EQ(window->ops->EndModal(window, inner), kOk);
    EXPECT_EQ(window->ops->EndModal(window, outer), kOk);
    EXPECT_EQ(host.modalDepth, 0);
    EXPECT_EQ(record->modalHeld, 0);

    HMODULE module = GetModuleHandleA(nullptr);
    int32_t saved = -1;
    HostCallback* callback = &record->callback.iface;
    EXPECT_EQ(callback->ops->UseModuleResources(callback, module, &saved), reinterpret_cast<HANDLE>(module));
    EXPECT_EQ(record->resourcesHeld, 1);
    EXPECT_EQ(callback->ops->RestoreResources(callback, module, saved + 1), kStatusBadState);
    EXPECT_EQ(callback->ops->RestoreResources(callback, module, saved), kOk);
    EXPECT_EQ(record->resourcesHeld, 0);
    EXPECT_EQ(host.FaultCount(), 2u);
    window->ops->Release(window);
}

TEST_F(ServicesTest, TheRegistryKeepsTheMethodTableOfARegisteredClass) {
    HostRegistry* registry = host.Registry();
    HostDictionary* dictionary = nullptr;
    EXPECT_EQ(registry->ops->GetClassDictionary(registry, host.registrationToken + 1, &kClsidSoundXtra, &kIidScripting,
                                                &dictionary),
              kStatusBadState);
    ASSERT_EQ(registry->ops->GetClassDictionary(registry, host.registrationToken, &kClsidSoundXtra, &kIidScripting,
                                                &dictionary),
              kOk);
    const char table[] = "xtra sonidrax\nnew object me\n";
    ASSERT_EQ(dictionary->ops->Put(dictionary, kDictionaryValueText, table, 0, "msgTable"), kOk);
    Dictionary* stored = host.FindDictionary(kClsidSoundXtra, kIidScripting);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->texts["msgTable"], table);
    EXPECT_EQ(host.FindDictionary(kClsidXtraRegistrar, kIidScripting), nullptr);
}

TEST_F(ServicesTest, TheInstanceIsItsOwnReferenceCountedObject) {
    // The header's word 0 is the operation table and word 1 the host's record.
    HostHeader header{&kInstanceOps, reinterpret_cast<uintptr_t>(record), &record->callback.iface,
                      &record->allocator.iface};
    auto* self = reinterpret_cast<HostInstance*>(&header);
    record->self.refs = 1;
    EXPECT_EQ(header.instanceOps->AddRef(self), 2u);
    EXPECT_EQ(header.instanceOps->Release(self), 1u);
    EXPECT_EQ(header.instanceOps->Release(self), 0u);
    EXPECT_EQ(host.FaultCount(), 0u);
    EXPECT_EQ(header.instanceOps->Release(self), 0u);
    EXPECT_EQ(host.FaultCount(), 1u);
}

}  // namespace
}  // namespace sonidrax::host
