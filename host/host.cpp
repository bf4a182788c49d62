#include "host.h"

#include "status.h"
#include "value_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sonidrax::host {
namespace {

constexpr GUID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

template <typename Iface, typename Ops>
void InitFace(Face<Iface>& face, const Ops* ops, InstanceRecord* owner, const char* name) {
    face.iface.ops = ops;
    face.owner = owner;
    face.refs = 0;
    face.name = name;
}

constexpr char kStageClass[] = "SonidraxHostStage";

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        ShowWindow(window, SW_HIDE);  // the script decides when the host ends
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---- the instance's own reference count (header word 0)
//
// The instance itself is the object: its header's word 0 points at these
// operations, and word 1 holds the host's record of it.

InstanceRecord* RecordOf(HostInstance* self) {
    return reinterpret_cast<InstanceRecord*>(reinterpret_cast<HostHeader*>(self)->hostWord);
}

Status __stdcall InstanceQueryInterface(HostInstance* self, const GUID* iid, void** out) {
    InstanceRecord* record = RecordOf(self);
    if (!iid || !out) {
        return kStatusNullPointer;
    }
    *out = nullptr;
    if (SameGuid(*iid, kIidUnknown)) {
        ++record->self.refs;
        *out = self;
        return kOk;
    }
    if (!record->host->getInterface || !record->block) {
        return kStatusNoInterface;
    }
    return record->host->getInterface(record->block, &record->classId, iid, out);
}

ULONG __stdcall InstanceAddRef(HostInstance* self) { return static_cast<ULONG>(++RecordOf(self)->self.refs); }

ULONG __stdcall InstanceRelease(HostInstance* self) {
    InstanceRecord* record = RecordOf(self);
    if (record->self.refs <= 0) {
        record->host->Fault("instance " + record->name + " released more often than referenced");
        return 0;
    }
    return static_cast<ULONG>(--record->self.refs);
}

// ---- the allocator (header word 3)

void* __stdcall AllocatorAlloc(HostAllocator* self, uint32_t byteCount) {
    InstanceRecord* record = FaceOf(self)->owner;
    if (byteCount > 0x10000000u) {
        return nullptr;  // more than any instance needs: refuse, as a host out of memory would
    }
    void* block = std::malloc(byteCount == 0 ? 1 : byteCount);
    if (!block) {
        return nullptr;
    }
    // Fresh blocks are not zero, so a field read before it is written shows up.
    std::memset(block, 0xCD, byteCount == 0 ? 1 : byteCount);
    record->blocks.emplace(block, byteCount);
    ++record->allocationCount;
    return block;
}

void __stdcall AllocatorFree(HostAllocator* self, void* block) {
    InstanceRecord* record = FaceOf(self)->owner;
    if (!block) {
        return;
    }
    auto found = record->blocks.find(block);
    if (found == record->blocks.end()) {
        char text[96];
        std::snprintf(text, sizeof text, "Free of a block that allocator %s never gave out (or freed twice)",
                      record->name.c_str());
        record->host->Fault(text);
        return;
    }
    std::memset(block, 0xDD, found->second == 0 ? 1 : found->second);
    record->blocks.erase(found);
    std::free(block);
}

// ---- the callback (header word 2)

HANDLE __stdcall CallbackUseModuleResources(HostCallback* self, HMODULE module, int32_t* savedState) {
    InstanceRecord* record = FaceOf(self)->owner;
    Host* host = record->host;
    if (savedState) {
        *savedState = static_cast<int32_t>(host->resourceStack.size());
    }
    host->resourceStack.push_back(module);
    ++record->resourcesHeld;
    return reinterpret_cast<HANDLE>(module);
}

Status __stdcall CallbackRestoreResources(HostCallback* self, HMODULE module, int32_t savedState) {
    InstanceRecord* record = FaceOf(self)->owner;
    Host* host = record->host;
    const bool matches = !host->resourceStack.empty() && host->resourceStack.back() == module &&
                         savedState == static_cast<int32_t>(host->resourceStack.size()) - 1;
    if (!matches) {
        host->Fault("RestoreResources does not match the last UseModuleResources");
        return kStatusBadState;
    }
    host->resourceStack.pop_back();
    --record->resourcesHeld;
    return kOk;
}

}  // namespace

// ---- the services an instance asks its callback for

Status __stdcall CallbackQueryInterface(HostCallback* self, const GUID* iid, void** out) {
    InstanceRecord* record = FaceOf(self)->owner;
    if (!iid || !out) {
        return kStatusNullPointer;
    }
    *out = nullptr;
    struct Entry {
        const GUID* iid;
        void* face;
        int32_t* refs;
    };
    const Entry entries[] = {
        {&kIidHostAppInfo, &record->appInfo, &record->appInfo.refs},
        {&kIidHostValues, &record->values, &record->values.refs},
        {&kIidHostMessages, &record->messages, &record->messages.refs},
        {&kIidHostLists, &record->lists, &record->lists.refs},
        {&kIidHostWindow, &record->window, &record->window.refs},
        {&kIidHostPlayer, &record->player, &record->player.refs},
        {&kIidHostMedia, &record->media, &record->media.refs},
        {&kIidHostMemberRefs, &record->memberRefs, &record->memberRefs.refs},
        {&kIidUnknown, &record->callback, &record->callback.refs},
    };
    for (const Entry& entry : entries) {
        if (SameGuid(*iid, *entry.iid)) {
            ++*entry.refs;
            *out = entry.face;
            return kOk;
        }
    }
    return kStatusNoInterface;
}

void ReportOverRelease(InstanceRecord* owner, const char* service) {
    owner->host->Fault(std::string(service) + " of " + owner->name + " released more often than referenced");
}

const HostInstanceOps kInstanceOps = {{InstanceQueryInterface, InstanceAddRef, InstanceRelease}};

const HostCallbackOps kCallbackOps = {{CallbackQueryInterface, FaceAddRef<HostCallback>, FaceRelease<HostCallback>},
                                      nullptr,
                                      nullptr,
                                      CallbackUseModuleResources,
                                      CallbackRestoreResources};

const HostAllocatorOps kAllocatorOps = {
    {FaceQueryInterface<HostAllocator>, FaceAddRef<HostAllocator>, FaceRelease<HostAllocator>},
    AllocatorAlloc,
    AllocatorFree};

InstanceRecord::InstanceRecord(Host* host, uint32_t id, std::string name) : host(host), id(id), name(std::move(name)) {
    InitFace(self, &kInstanceOps, this, "instance");
    InitFace(callback, &kCallbackOps, this, "HostCallback");
    InitFace(allocator, &kAllocatorOps, this, "HostAllocator");
    InitFace(appInfo, &kAppInfoOps, this, "HostAppInfo");
    InitFace(values, &kValuesOps, this, "HostValues");
    InitFace(messages, &kMessagesOps, this, "HostMessages");
    InitFace(lists, &kListsOps, this, "HostLists");
    InitFace(window, &kWindowOps, this, "HostWindow");
    InitFace(player, &kPlayerOps, this, "HostPlayer");
    InitFace(media, &kMediaOps, this, "HostMedia");
    InitFace(memberRefs, &kMemberRefsOps, this, "HostMemberRefs");
    InitFace(movie, &kMovieOps, this, "HostMovie");
}

int32_t InstanceRecord::ServiceReferences() const {
    return callback.refs + allocator.refs + appInfo.refs + values.refs + messages.refs + lists.refs + window.refs +
           player.refs + media.refs + memberRefs.refs;
}

uint32_t InstanceRecord::LiveBytes() const {
    uint32_t total = 0;
    for (const auto& [block, size] : blocks) {
        total += size;
    }
    return total;
}

Host::Host() {
    registry_.iface.ops = &kRegistryOps;
    registry_.host = this;
    values.SetFaultSink([this](const std::string& text) { Fault(text); });
}

Host::~Host() {
    if (mainWindow_) {
        DestroyWindow(mainWindow_);
    }
}

void Host::Print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Host::Fault(const std::string& text) {
    ++faults_;
    Print("host fault: " + text);
}

void Host::ShowMessage(const std::string& text) {
    Print("message " + QuoteText(text));
    pendingMessages.push_back(text);
    allMessages.push_back(text);
}

std::string Host::ResolveName(std::string_view name) const {
    const bool absolute =
        (name.size() >= 2 && name[1] == ':') || (!name.empty() && (name[0] == '\\' || name[0] == '/'));
    std::string resolved = absolute || name.empty() ? std::string(name) : scriptFolder + "\\" + std::string(name);
    for (char& c : resolved) {
        if (c == '/') {
            c = '\\';
        }
    }
    return resolved;
}

const MemberDef* Host::FindMember(const MemberRef& reference) const {
    for (const MemberDef& member : members) {
        if (member.castNumber == reference.castNumber && member.memberNumber == reference.memberNumber) {
            return &member;
        }
    }
    return nullptr;
}

HWND Host::MainWindow() {
    if (mainWindow_) {
        return mainWindow_;
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!windowClassRegistered_) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = MainWindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kStageClass;
        windowClassRegistered_ = RegisterClassA(&windowClass) != 0;
    }
    // A desktop that is still starting (or a Wine server that is shutting down) can
    // refuse windows for a moment: try again for a while before giving up.
    for (int attempt = 0; attempt < 20 && !mainWindow_; ++attempt) {
        if (attempt > 0) {
            Sleep(50);
        }
        mainWindow_ = CreateWindowExA(0, kStageClass, "sonidrax host", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                      CW_USEDEFAULT, 640, 480, nullptr, nullptr, instance, nullptr);
        if (!mainWindow_) {
            // Without a display only a message-only window can be made; it is still
            // a real window for cooperative levels and timers.
            mainWindow_ = CreateWindowExA(0, kStageClass, "sonidrax host", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          instance, nullptr);
        }
    }
    return mainWindow_;
}

void Host::ShowMainWindow(bool show) {
    if (HWND window = MainWindow()) {
        ShowWindow(window, show ? SW_SHOW : SW_HIDE);
    }
}

Dictionary* Host::FindDictionary(const GUID& classId, const GUID& interfaceId) {
    for (auto& [ids, dictionary] : dictionaries_) {
        if (SameGuid(ids.first, classId) && SameGuid(ids.second, interfaceId)) {
            return dictionary.get();
        }
    }
    return nullptr;
}

Dictionary* Host::GetDictionary(const GUID& classId, const GUID& interfaceId) {
    if (Dictionary* found = FindDictionary(classId, interfaceId)) {
        return found;
    }
    auto dictionary = std::make_unique<Dictionary>();
    dictionary->iface.ops = &kDictionaryOps;
    dictionary->host = this;
    dictionaries_.emplace_back(std::make_pair(classId, interfaceId), std::move(dictionary));
    return dictionaries_.back().second.get();
}

InstanceRecord* Host::NewRecord(const std::string& name) {
    const uint32_t id = static_cast<uint32_t>(records.size()) + 1;
    records.push_back(std::make_unique<InstanceRecord>(this, id, name));
    return records.back().get();
}

InstanceRecord* Host::FindRecord(uint32_t id) {
    if (id == 0 || id > records.size()) {
        return nullptr;
    }
    return records[id - 1].get();
}

}  // namespace sonidrax::host
