// A small plug-in for testing the host through a real DLL boundary: the same five
// exports and class ids as sonidrax, and methods that misuse the host's services
// in ways sonidrax never does, so that scripts can check what the host reports.
#include "frame/host_interfaces.h"

#include <cstring>

using namespace sonidrax;

namespace {

bool Same(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

constexpr char kMethodTable[] =
    "xtra probe\n"
    "new object me\n"
    "forget object me\n"
    "probeFormatted object me, string, integer\n"
    "probeLeak object me, integer\n"
    "probeKeepModal object me\n"
    "probeDoubleRelease object me\n"
    "probeArgCount object me, *\n"
    "probeCrash object me\n";

enum Method : uint32_t {
    kNew,
    kForget,
    kFormatted,
    kLeak,
    kKeepModal,
    kDoubleRelease,
    kArgCount,
    kCrash,
};

struct Probe {
    HostHeader header;
    HostValues* values;
    HostMessages* messages;
    HostWindow* window;
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

Status __stdcall Call(ScriptingInterface* self, CallInfo* call) {
    auto* probe = reinterpret_cast<Probe*>(reinterpret_cast<Interface*>(self)->outer);
    HostValues* values = probe->values;
    char text[260] = "";
    int32_t number = 0;
    switch (call->methodIndex) {
        case kNew:
        case kForget:
            return 0;
        case kFormatted:
            values->ops->ToString(values, &call->args[1], text, sizeof text);
            values->ops->ToInteger(values, &call->args[2], &number);
            return probe->messages->ops->ShowFormatted(probe->messages, text, number);
        case kLeak:
            values->ops->ToInteger(values, &call->args[1], &number);
            probe->header.allocator->ops->Alloc(probe->header.allocator, static_cast<uint32_t>(number));
            return 0;
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
        case kArgCount:
            // Reads one past the count: the host answers void there.
            values->ops->GetType(values, &call->args[call->argCount], &number);
            values->ops->FromInteger(values, call->argCount * 100 + number, &call->result);
            return 0;
        case kCrash:
            *static_cast<volatile int*>(nullptr) = 1;
            return 0;
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
    query(kIidHostValues, &probe->values);
    query(kIidHostMessages, &probe->messages);
    query(kIidHostWindow, &probe->window);
    return 0;
}

Status __stdcall DestroyProbe(void* instance) {
    auto* probe = static_cast<Probe*>(instance);
    probe->values->ops->Release(probe->values);
    probe->messages->ops->Release(probe->messages);
    probe->window->ops->Release(probe->window);
    return 0;
}

}  // namespace

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
