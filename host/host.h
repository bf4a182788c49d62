// The stand-in host: the state that its services share, and the per-instance
// records through which the plug-in reaches them.
#pragma once

#include "frame/host_interfaces.h"
#include "values.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sonidrax::host {

class Host;
struct InstanceRecord;

// One host object as the plug-in sees it: the interface record first (its word 0
// points at the operation table), then what the host keeps about it.
template <typename Iface>
struct Face {
    Iface iface;
    InstanceRecord* owner = nullptr;
    int32_t refs = 0;
    const char* name = "";
};

// A cast member the script defined.
struct MemberDef {
    std::string name;
    std::string kind;  // "sound", "bitmap", ...
    int32_t castNumber = 1;
    int32_t memberNumber = 0;
    std::vector<uint8_t> media;  // the WAVE image of a sound member
};

// A button to press in a dialog that comes up, optionally after going to a
// folder and typing a text into its file name field (file dialogs), choosing
// combo box entries and ticking check boxes.
struct DialogAnswer {
    int32_t button = IDOK;
    int32_t delayMs = 200;
    std::optional<std::string> typed;
    std::optional<std::string> folder = std::nullopt;
    std::vector<std::pair<int32_t, int32_t>> choices = {};  // combo box id, entry (from 0)
    std::vector<int32_t> ticks = {};                        // check box ids
    bool report = false;                                    // print the dialog's combo and check boxes as it came up
    std::vector<int32_t> listings = {};                     // combo boxes whose entries are printed as it came up
};

// A member handed to the plug-in by HostMovie GetMember; lives while it has references.
struct MemberObject {
    HostMember iface;
    InstanceRecord* owner = nullptr;
    int32_t refs = 1;
    size_t member = 0;  // index into Host::members
};

// One class instance the host made, with the services it hands to it and the
// ledgers that show what the instance still holds.
struct InstanceRecord {
    InstanceRecord(Host* host, uint32_t id, std::string name);
    InstanceRecord(const InstanceRecord&) = delete;
    InstanceRecord& operator=(const InstanceRecord&) = delete;

    Host* host;
    uint32_t id;
    std::string name;
    GUID classId{};

    void* block = nullptr;  // header plus the plug-in's fields
    uint32_t size = 0;
    ClassCreateFn create = nullptr;
    ClassDestroyFn destroy = nullptr;
    ScriptingInterface* scripting = nullptr;
    bool destroyed = false;

    Face<HostInstance> self;  // only its count: the references on the instance block
    Face<HostCallback> callback;
    Face<HostAllocator> allocator;
    Face<HostAppInfo> appInfo;
    Face<HostValues> values;
    Face<HostMessages> messages;
    Face<HostLists> lists;
    Face<HostWindow> window;
    Face<HostPlayer> player;
    Face<HostMedia> media;
    Face<HostMemberRefs> memberRefs;
    Face<HostMovie> movie;

    std::unordered_map<void*, uint32_t> blocks;  // live allocations and their sizes
    uint32_t allocationCount = 0;                // every Alloc that succeeded
    int32_t liveMembers = 0;                     // MemberObjects not yet released
    std::set<HGLOBAL> liveMedia;                 // media handed out, not yet released
    int32_t resourcesHeld = 0;                   // UseModuleResources without RestoreResources
    int32_t modalHeld = 0;                       // BeginModal without EndModal

    // The references the plug-in holds on host services (callback, allocator and
    // the eight services).
    int32_t ServiceReferences() const;
    uint32_t LiveBytes() const;
};

// The registry handed to Register.
struct RegistryRecord {
    HostRegistry iface;
    Host* host = nullptr;
};

// A dictionary of one registered class.
struct Dictionary {
    HostDictionary iface;
    Host* host = nullptr;
    std::map<std::string, std::string> texts;  // key -> value as stored
};

class Host {
public:
    Host();
    ~Host();

    ValueStore values;

    // Transcript: everything the run shows goes through here, in order.
    void Print(const std::string& line);
    // Protocol misuse by the plug-in: printed and counted, never fatal by itself.
    void Fault(const std::string& text);
    uint32_t FaultCount() const { return faults_; }

    // Messages the plug-in shows, in order; expectations consume them from the front.
    void ShowMessage(const std::string& text);
    std::deque<std::string> pendingMessages;
    std::vector<std::string> allMessages;

    // What the script chose.
    std::optional<std::string> appKind = std::string("authoring");  // nullopt: the host reports no kind
    bool movieActive = true;
    std::string scriptFolder = ".";  // Windows path, no trailing separator
    // A name relative to the script's folder as a Windows path; absolute names stay.
    std::string ResolveName(std::string_view name) const;
    std::vector<MemberDef> members;
    const MemberDef* FindMember(const MemberRef& reference) const;

    // The main window: a real window, hidden until the script shows it.
    HWND MainWindow();
    void ShowMainWindow(bool show);

    // Movie handlers the plug-in called, by name.
    std::map<std::string, int32_t> handlerCalls;

    // Resource and modal state shared by all instances.
    std::vector<HMODULE> resourceStack;
    int32_t modalDepth = 0;
    int32_t dialogsRun = 0;

    // What to do in the next dialogs that come up, in order.
    std::deque<DialogAnswer> dialogAnswers;

    // Files and folders the script made (scratch.cpp); removed when the run ends.
    std::string ScratchFolder();
    bool MakeFile(const std::string& path, int32_t bytes);
    void RemoveScratch();

    // The plug-in's DllGetInterface, through which an instance answers QueryInterface.
    DllGetInterfaceFn getInterface = nullptr;

    // Registration.
    uint32_t registrationToken = 0x52454731;  // handed to Register; the registry checks it
    HostRegistry* Registry() { return &registry_.iface; }
    Dictionary* FindDictionary(const GUID& classId, const GUID& interfaceId);
    Dictionary* GetDictionary(const GUID& classId, const GUID& interfaceId);

    // Instances (and the loader's own record, which only lends its allocator).
    InstanceRecord* NewRecord(const std::string& name);
    InstanceRecord* FindRecord(uint32_t id);
    std::vector<std::unique_ptr<InstanceRecord>> records;

private:
    std::string scratchFolder_;
    std::vector<std::string> madeFiles_;
    uint32_t faults_ = 0;
    HWND mainWindow_ = nullptr;
    bool windowClassRegistered_ = false;
    RegistryRecord registry_;
    std::vector<std::pair<std::pair<GUID, GUID>, std::unique_ptr<Dictionary>>> dictionaries_;
};

// The operation tables, one per service (services_*.cpp).
extern const HostInstanceOps kInstanceOps;
extern const HostCallbackOps kCallbackOps;
extern const HostAllocatorOps kAllocatorOps;
extern const HostAppInfoOps kAppInfoOps;
extern const HostValuesOps kValuesOps;
extern const HostMessagesOps kMessagesOps;
extern const HostListsOps kListsOps;
extern const HostWindowOps kWindowOps;
extern const HostPlayerOps kPlayerOps;
extern const HostMediaOps kMediaOps;
extern const HostMemberRefsOps kMemberRefsOps;
extern const HostMovieOps kMovieOps;
extern const HostMemberOps kMemberOps;
extern const HostRegistryOps kRegistryOps;
extern const HostDictionaryOps kDictionaryOps;

// The host's side of an instance's own reference count, and the services' common
// slots 0 to 2.
template <typename Iface>
Face<Iface>* FaceOf(Iface* iface) {
    return reinterpret_cast<Face<Iface>*>(iface);
}

template <typename Iface>
ULONG __stdcall FaceAddRef(Iface* self) {
    return static_cast<ULONG>(++FaceOf(self)->refs);
}

void ReportOverRelease(InstanceRecord* owner, const char* service);

template <typename Iface>
ULONG __stdcall FaceRelease(Iface* self) {
    Face<Iface>* face = FaceOf(self);
    if (face->refs <= 0) {
        ReportOverRelease(face->owner, face->name);
        return 0;
    }
    return static_cast<ULONG>(--face->refs);
}

Status __stdcall CallbackQueryInterface(HostCallback* self, const GUID* iid, void** out);

template <typename Iface>
Status __stdcall FaceQueryInterface(Iface* self, const GUID* iid, void** out) {
    return CallbackQueryInterface(&FaceOf(self)->owner->callback.iface, iid, out);
}

}  // namespace sonidrax::host
