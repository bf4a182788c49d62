// A small plug-in for testing the host through a real DLL boundary: the same five
// exports and class ids as sonidrax, and methods that each drive one host service
// (or misuse it on purpose) so that scripts can check what the host reports.
#include "frame/host_interfaces.h"

#include <cstring>

using namespace sonidrax;

namespace {

bool Same(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

constexpr char kMethodTable[] =
    "xtra probe\n"
    "new object me\n"
    "forget object me\n"
    "probeMessage object me, string\n"
    "probeFormatted object me, string, integer\n"
    "probeLeak object me, integer\n"
    "probeMedia object me, any\n"
    "probeResolve object me, string\n"
    "probeUpdate object me\n"
    "probeKeepModal object me\n"
    "probeDoubleRelease object me\n"
    "probeAppKind object me\n"
    "probeWindow object me\n"
    "probeType object me, any\n"
    "probeArgCount object me, *\n"
    "probeCrash object me\n"
    "*probeGlobal integer\n"
    "probeDialog object me\n";

enum Method : uint32_t {
    kNew,
    kForget,
    kMessage,
    kFormatted,
    kLeak,
    kMedia,
    kResolve,
    kUpdate,
    kKeepModal,
    kDoubleRelease,
    kAppKind,
    kWindow,
    kType,
    kArgCount,
    kCrash,
    kGlobal,
    kDialog,
};

// The dialog template in the probe's own resources (dialog_test.rc).
constexpr int32_t kProbeDialog = 100;
HMODULE g_module = nullptr;

struct Probe {
    HostHeader header;
    HostAppInfo* appInfo;
    HostValues* values;
    HostMessages* messages;
    HostLists* lists;
    HostWindow* window;
    HostPlayer* player;
    HostMedia* media;
    HostMemberRefs* memberRefs;
};

struct Interface {
    const void* ops;
    HostHeader* outer;
    int32_t refs;
};

int32_t g_liveInterfaces = 0;

void AddRefOuter(HostHeader* outer) { outer->instanceOps->AddRef(reinterpret_cast<HostInstance*>(outer)); }
void ReleaseOuter(HostHeader* outer) { outer->instanceOps->Release(reinterpret_cast<HostInstance*>(outer)); }

template <typename Self>
Status __stdcall InterfaceQuery(Self* self, const GUID* iid, void** out) {
    HostHeader* outer = reinterpret_cast<Interface*>(self)->outer;
    return outer->instanceOps->QueryInterface(reinterpret_cast<HostInstance*>(outer), iid, out);
}

template <typename Self>
ULONG __stdcall InterfaceAddRef(Self* self) {
    return static_cast<ULONG>(++reinterpret_cast<Interface*>(self)->refs);
}

template <typename Self>
ULONG __stdcall InterfaceRelease(Self* self) {
    auto* object = reinterpret_cast<Interface*>(self);
    const int32_t refs = --object->refs;
    if (refs == 0) {
        HostHeader* outer = object->outer;
        outer->allocator->ops->Free(outer->allocator, object);
        --g_liveInterfaces;
        ReleaseOuter(outer);
    }
    return static_cast<ULONG>(refs);
}

Status __stdcall Register(RegistrationInterface*, HostRegistry* registry, uint32_t token) {
    HostDictionary* dictionary = nullptr;
    const Status status =
        registry->ops->GetClassDictionary(registry, token, &kClsidSoundXtra, &kIidScripting, &dictionary);
    if (status != 0) {
        return status;
    }
    return dictionary->ops->Put(dictionary, kDictionaryValueText, kMethodTable, 0, "msgTable");
}

Status SetText(Probe* probe, CallInfo* call, const char* text) {
    return probe->values->ops->FromString(probe->values, text, &call->result);
}

Status ProbeMedia(Probe* probe, CallInfo* call) {
    HostValues* values = probe->values;
    MemberRef reference{};
    Status status = probe->memberRefs->ops->ToMemberRef(probe->memberRefs, &call->args[1], &reference);
    if (status != 0) {
        return status;
    }
    HostMovie* movie = nullptr;
    status = probe->player->ops->GetActiveMovie(probe->player, &movie);
    if (status != 0) {
        return status;
    }
    HostMember* member = nullptr;
    status = movie->ops->GetMember(movie, &reference, &member);
    movie->ops->Release(movie);
    if (status != 0) {
        return status;
    }
    Symbol typeName = 0;
    Symbol sound = 0;
    Symbol wave = 0;
    values->ops->StringToSymbol(values, "type", &typeName);
    values->ops->StringToSymbol(values, "sound", &sound);
    values->ops->StringToSymbol(values, "winWAVE", &wave);
    ScriptValue type{};
    member->ops->GetMemberProp(member, typeName, &type);
    MediaRequest request{};
    probe->media->ops->NewMediaRequest(probe->media, sound, wave, 0, 0, 0, &request);
    status = member->ops->GetMedia(member, &request);
    member->ops->Release(member);
    // The answer: [type, media size, first four bytes].
    ScriptValue list{};
    probe->lists->ops->NewList(probe->lists, &list);
    probe->lists->ops->SetAt(probe->lists, &list, 1, &type);
    if (status == 0) {
        HGLOBAL handle = reinterpret_cast<HGLOBAL>(request.mediaData);
        ScriptValue size{};
        values->ops->FromInteger(values, static_cast<int32_t>(GlobalSize(handle)), &size);
        probe->lists->ops->SetAt(probe->lists, &list, 2, &size);
        char head[5] = {};
        std::memcpy(head, GlobalLock(handle), 4);
        GlobalUnlock(handle);
        ScriptValue text{};
        values->ops->FromString(values, head, &text);
        probe->lists->ops->SetAt(probe->lists, &list, 3, &text);
        status = probe->media->ops->ReleaseMedia(probe->media, &request);
    }
    call->result = list;
    return status;
}

// What a plug-in's modal dialog does: a timer that keeps the host's movie running,
// and the pressed button as the end code.
INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
            SetTimer(dialog, 1, 20, nullptr);
            return TRUE;
        case WM_TIMER: {
            auto* probe = reinterpret_cast<Probe*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
            HostMovie* movie = nullptr;
            if (wParam != 1 || probe->player->ops->GetActiveMovie(probe->player, &movie) != 0) {
                return TRUE;
            }
            Symbol symbol = 0;
            probe->values->ops->StringToSymbol(probe->values, "frameEvent", &symbol);
            movie->ops->CallHandler(movie, symbol, 0, nullptr, nullptr);
            probe->values->ops->StringToSymbol(probe->values, "updatestage", &symbol);
            movie->ops->CallHandler(movie, symbol, 0, nullptr, nullptr);
            movie->ops->Release(movie);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                KillTimer(dialog, 1);
                EndDialog(dialog, LOWORD(wParam));
            }
            return TRUE;
        default:
            return FALSE;
    }
}

Status ProbeDialog(Probe* probe, CallInfo* call) {
    HostCallback* callback = probe->header.callback;
    int32_t saved = 0;
    HANDLE resources = callback->ops->UseModuleResources(callback, g_module, &saved);
    const INT_PTR result = probe->window->ops->RunDialog(probe->window, resources, kProbeDialog, DialogProc,
                                                         reinterpret_cast<LPARAM>(probe));
    const Status status = callback->ops->RestoreResources(callback, g_module, saved);
    probe->values->ops->FromInteger(probe->values, static_cast<int32_t>(result), &call->result);
    return status;
}

Status __stdcall Call(ScriptingInterface* self, CallInfo* call) {
    auto* probe = reinterpret_cast<Probe*>(reinterpret_cast<Interface*>(self)->outer);
    HostValues* values = probe->values;
    char text[260] = "";
    int32_t number = 0;
    switch (call->methodIndex) {
        case kNew:
        case kForget:
            return 0;
        case kMessage:
            values->ops->ToString(values, &call->args[1], text, sizeof text);
            return probe->messages->ops->Show(probe->messages, text);
        case kFormatted:
            values->ops->ToString(values, &call->args[1], text, sizeof text);
            values->ops->ToInteger(values, &call->args[2], &number);
            return probe->messages->ops->ShowFormatted(probe->messages, text, number);
        case kLeak:
            values->ops->ToInteger(values, &call->args[1], &number);
            probe->header.allocator->ops->Alloc(probe->header.allocator, static_cast<uint32_t>(number));
            return 0;
        case kMedia:
            return ProbeMedia(probe, call);
        case kResolve: {
            values->ops->ToString(values, &call->args[1], text, sizeof text);
            char path[260] = "";
            const Status status = probe->player->ops->ResolveFileName(probe->player, text, path, sizeof path);
            SetText(probe, call, path);
            return status;
        }
        case kUpdate: {
            HostMovie* movie = nullptr;
            const Status status = probe->player->ops->GetActiveMovie(probe->player, &movie);
            if (status != 0) {
                return status;
            }
            Symbol symbol = 0;
            values->ops->StringToSymbol(values, "frameEvent", &symbol);
            movie->ops->CallHandler(movie, symbol, 0, nullptr, nullptr);
            values->ops->StringToSymbol(values, "updatestage", &symbol);
            movie->ops->CallHandler(movie, symbol, 0, nullptr, nullptr);
            movie->ops->Release(movie);
            return 0;
        }
        case kKeepModal: {
            int32_t state = 0;
            return probe->window->ops->BeginModal(probe->window, &state);
        }
        case kDoubleRelease: {
            ScriptValue value{};
            values->ops->FromString(values, "twice", &value);
            const ScriptValue copy = value;
            values->ops->ReleaseValue(values, &value);
            value = copy;
            return values->ops->ReleaseValue(values, &value);
        }
        case kAppKind: {
            const Status status = probe->appInfo->ops->GetProperty(probe->appInfo, kAppPropertyKind, text, 32);
            SetText(probe, call, text);
            return status;
        }
        case kWindow: {
            HINSTANCE instance = nullptr;
            HWND window = nullptr;
            probe->window->ops->GetWindows(probe->window, &instance, &window);
            return values->ops->FromInteger(values, IsWindow(window) && instance == GetModuleHandleA(nullptr),
                                            &call->result);
        }
        case kType: {
            int32_t type = 0;
            const Status status = values->ops->GetType(values, &call->args[1], &type);
            values->ops->FromInteger(values, type, &call->result);
            return status;
        }
        case kArgCount:
            // Reads one past the count: the host answers void there.
            values->ops->GetType(values, &call->args[call->argCount], &number);
            values->ops->FromInteger(values, call->argCount * 100 + number, &call->result);
            return 0;
        case kCrash:
            *static_cast<volatile int*>(nullptr) = 1;
            return 0;
        case kGlobal:
            values->ops->ToInteger(values, &call->args[0], &number);
            return values->ops->FromInteger(values, number * 2, &call->result);
        case kDialog:
            return ProbeDialog(probe, call);
        default:
            return static_cast<Status>(0x80040BC9);
    }
}

const RegistrationOps kRegistrationOps = {
    {InterfaceQuery<RegistrationInterface>, InterfaceAddRef<RegistrationInterface>,
     InterfaceRelease<RegistrationInterface>},
    Register};
const ScriptingOps kScriptingOps = {
    {InterfaceQuery<ScriptingInterface>, InterfaceAddRef<ScriptingInterface>, InterfaceRelease<ScriptingInterface>},
    Call};

Status MakeInterface(void* instance, const void* ops, void** out) {
    auto* outer = static_cast<HostHeader*>(instance);
    auto* object = static_cast<Interface*>(outer->allocator->ops->Alloc(outer->allocator, sizeof(Interface)));
    if (!object) {
        *out = nullptr;
        return static_cast<Status>(0x80040002);
    }
    *object = Interface{ops, outer, 1};
    AddRefOuter(outer);
    ++g_liveInterfaces;
    *out = object;
    return 0;
}

Status __stdcall Nothing(void*) { return 0; }

Status __stdcall CreateProbe(void* instance) {
    auto* probe = static_cast<Probe*>(instance);
    HostCallback* callback = probe->header.callback;
    auto query = [&](const GUID& iid, auto** out) {
        callback->ops->QueryInterface(callback, &iid, reinterpret_cast<void**>(out));
    };
    query(kIidHostAppInfo, &probe->appInfo);
    query(kIidHostValues, &probe->values);
    query(kIidHostMessages, &probe->messages);
    query(kIidHostLists, &probe->lists);
    query(kIidHostWindow, &probe->window);
    query(kIidHostPlayer, &probe->player);
    query(kIidHostMedia, &probe->media);
    query(kIidHostMemberRefs, &probe->memberRefs);
    return 0;
}

Status __stdcall DestroyProbe(void* instance) {
    auto* probe = static_cast<Probe*>(instance);
    probe->appInfo->ops->Release(probe->appInfo);
    probe->values->ops->Release(probe->values);
    probe->messages->ops->Release(probe->messages);
    probe->lists->ops->Release(probe->lists);
    probe->window->ops->Release(probe->window);
    probe->player->ops->Release(probe->player);
    probe->media->ops->Release(probe->media);
    probe->memberRefs->ops->Release(probe->memberRefs);
    return 0;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD, LPVOID) {
    g_module = module;
    return TRUE;
}

// Exported by name through probe_plugin.def.
extern "C" {

Status __stdcall DllGetClassForm(const GUID* classId, uint32_t* size, ClassCreateFn* create, ClassDestroyFn* destroy) {
    if (Same(*classId, kClsidXtraRegistrar)) {
        *size = sizeof(HostHeader);
        *create = Nothing;
        *destroy = Nothing;
        return 0;
    }
    if (Same(*classId, kClsidSoundXtra)) {
        *size = sizeof(Probe);
        *create = CreateProbe;
        *destroy = DestroyProbe;
        return 0;
    }
    return static_cast<Status>(0x80040005);
}

Status __stdcall DllGetInterface(void* instance, const GUID* classId, const GUID* interfaceId, void** out) {
    if (Same(*classId, kClsidXtraRegistrar) && Same(*interfaceId, kIidRegistration)) {
        return MakeInterface(instance, &kRegistrationOps, out);
    }
    if (Same(*classId, kClsidSoundXtra) && Same(*interfaceId, kIidScripting)) {
        return MakeInterface(instance, &kScriptingOps, out);
    }
    return static_cast<Status>(0x80040004);
}

Status __stdcall DllGetClassInfo(HostAllocator* allocator, ClassInfoRecord** out) {
    auto* records = static_cast<ClassInfoRecord*>(allocator->ops->Alloc(allocator, 3 * sizeof(ClassInfoRecord)));
    *out = records;
    if (!records) {
        return static_cast<Status>(0x80040002);
    }
    records[0] = ClassInfoRecord{kClsidXtraRegistrar, kXtraVersion, kIidRegistration, kXtraVersion};
    records[1] = ClassInfoRecord{kClsidSoundXtra, kXtraVersion, kIidScripting, kXtraVersion};
    records[2] = ClassInfoRecord{kNullId, 0, kNullId, 0};
    return 0;
}

HRESULT __stdcall DllGetClassObject(REFCLSID, REFIID, LPVOID*) { return static_cast<Status>(0x80040005); }

HRESULT __stdcall DllCanUnloadNow() { return g_liveInterfaces > 0 ? 0x80040003 : 0; }

}  // extern "C"
