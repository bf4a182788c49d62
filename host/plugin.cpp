#include "plugin.h"

#include "status.h"
#include "value_text.h"

#include <cstdlib>
#include <cstring>

namespace sonidrax::host {
namespace {

// Class-info arrays longer than this are taken as unterminated.
constexpr int kMaxClassRecords = 64;

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

std::string LastErrorText() {
    char text[32];
    std::snprintf(text, sizeof text, "error %lu", static_cast<unsigned long>(GetLastError()));
    return text;
}

template <typename Fn>
bool Resolve(HMODULE module, const char* name, Fn* out, std::string* error) {
    *out = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!*out) {
        *error = std::string("the plug-in does not export ") + name;
        return false;
    }
    return true;
}

}  // namespace

Plugin::~Plugin() {
    if (module_) {
        host_->getInterface = nullptr;
        FreeLibrary(module_);
    }
}

bool Plugin::Load(const std::string& path, std::string* error) {
    module_ = LoadLibraryA(path.c_str());
    if (!module_) {
        const size_t slash = path.find_last_of("\\/");
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        *error = "cannot load the plug-in \"" + name + "\" (" + LastErrorText() + ")";
        return false;
    }
    if (!Resolve(module_, "DllGetClassForm", &getClassForm_, error) ||
        !Resolve(module_, "DllGetInterface", &getInterface_, error) ||
        !Resolve(module_, "DllGetClassInfo", &getClassInfo_, error) ||
        !Resolve(module_, "DllGetClassObject", &getClassObject_, error) ||
        !Resolve(module_, "DllCanUnloadNow", &canUnloadNow_, error)) {
        return false;
    }
    host_->getInterface = getInterface_;
    return ReadClassInfo(error) && RegisterClasses(error);
}

bool Plugin::ReadClassInfo(std::string* error) {
    InstanceRecord* loader = host_->NewRecord("class info");
    ClassInfoRecord* records = nullptr;
    const Status status = getClassInfo_(&loader->allocator.iface, &records);
    if (status != kOk || !records) {
        *error = "DllGetClassInfo answered " + FormatStatus(status);
        return false;
    }
    if (loader->blocks.find(records) == loader->blocks.end()) {
        *error = "DllGetClassInfo answered a block the host's allocator did not give";
        return false;
    }
    const uint32_t blockSize = loader->blocks[records];
    for (int i = 0;; ++i) {
        if (static_cast<uint32_t>(i + 1) * sizeof(ClassInfoRecord) > blockSize || i == kMaxClassRecords) {
            *error = "the class info has no terminating record";
            return false;
        }
        if (SameGuid(records[i].classId, kNullId) && SameGuid(records[i].interfaceId, kNullId)) {
            break;
        }
        classInfo_.push_back(records[i]);
    }
    loader->allocator.iface.ops->Free(&loader->allocator.iface, records);
    auto has = [&](const GUID& classId, const GUID& interfaceId) {
        for (const ClassInfoRecord& record : classInfo_) {
            if (SameGuid(record.classId, classId) && SameGuid(record.interfaceId, interfaceId)) {
                return true;
            }
        }
        return false;
    };
    if (!has(kClsidXtraRegistrar, kIidRegistration) || !has(kClsidSoundXtra, kIidScripting)) {
        *error = "the class info lacks the registrar or the scripting class";
        return false;
    }
    return true;
}

bool Plugin::RegisterClasses(std::string* error) {
    Status createStatus = kOk;
    InstanceRecord* registrar = MakeInstance(kClsidXtraRegistrar, "registrar", &createStatus, error);
    if (!registrar) {
        return false;
    }
    RegistrationInterface* registration = nullptr;
    Status status = getInterface_(registrar->block, &kClsidXtraRegistrar, &kIidRegistration,
                                  reinterpret_cast<void**>(&registration));
    if (status == kOk && registration) {
        status = registration->ops->Register(registration, host_->Registry(), host_->registrationToken);
        registration->ops->Release(registration);
    }
    Finish(registrar);
    if (!Clean(*registrar)) {
        host_->Fault("the registrar left " + Leftovers(*registrar));
    }
    if (status != kOk) {
        *error = "registration answered " + FormatStatus(status);
        return false;
    }
    Dictionary* dictionary = host_->FindDictionary(kClsidSoundXtra, kIidScripting);
    if (!dictionary || dictionary->texts.count("msgTable") == 0) {
        *error = "the plug-in registered no \"msgTable\" for its scripting class";
        return false;
    }
    std::string tableError;
    if (!ParseMethodTable(dictionary->texts["msgTable"], &methods_, &tableError)) {
        *error = "the method table cannot be read: " + tableError;
        return false;
    }
    return true;
}

InstanceRecord* Plugin::MakeInstance(const GUID& classId, const std::string& name, Status* createStatus,
                                     std::string* error) {
    uint32_t size = 0;
    ClassCreateFn create = nullptr;
    ClassDestroyFn destroy = nullptr;
    const Status status = getClassForm_(&classId, &size, &create, &destroy);
    if (status != kOk) {
        *error = "DllGetClassForm answered " + FormatStatus(status);
        return nullptr;
    }
    if (size < sizeof(HostHeader) || size > 0x1000000 || !create || !destroy) {
        *error = "DllGetClassForm reported an unusable class form (size " + std::to_string(size) + ")";
        return nullptr;
    }
    InstanceRecord* record = host_->NewRecord(name);
    record->classId = classId;
    record->size = size;
    record->create = create;
    record->destroy = destroy;
    record->block = std::calloc(1, size);
    if (!record->block) {
        *error = "out of memory";
        return nullptr;
    }
    auto* header = static_cast<HostHeader*>(record->block);
    header->instanceOps = &kInstanceOps;
    header->hostWord = reinterpret_cast<uintptr_t>(record);
    header->callback = &record->callback.iface;
    header->allocator = &record->allocator.iface;
    record->self.refs = 1;
    *createStatus = create(record->block);
    return record;
}

InstanceRecord* Plugin::CreateInstance(const std::string& name, Status* createStatus, std::string* error) {
    InstanceRecord* record = MakeInstance(kClsidSoundXtra, name, createStatus, error);
    if (!record) {
        return nullptr;
    }
    const Status status =
        getInterface_(record->block, &kClsidSoundXtra, &kIidScripting, reinterpret_cast<void**>(&record->scripting));
    if (status != kOk || !record->scripting) {
        record->scripting = nullptr;
        *error = "DllGetInterface for the scripting interface answered " + FormatStatus(status);
        Finish(record);
        return nullptr;
    }
    ScriptValue result = ValueStore::Void();
    const MethodEntry* entry = methods_.Find("new");
    if (entry) {
        ScriptValue me = host_->values.NewObject(record->id);
        Call(record, entry->index, {me}, &result);
        host_->values.Release(&me);
        host_->values.Release(&result);
    }
    return record;
}

Status Plugin::Call(InstanceRecord* record, uint32_t index, const std::vector<ScriptValue>& args, ScriptValue* result) {
    // Arguments past the count read as void: a handler that looks further than it
    // was given sees no value instead of the host's memory.
    std::vector<ScriptValue> padded(args);
    padded.resize(args.size() + 16, ValueStore::Void());
    CallInfo call{};
    call.hostWords[0] = 0x4C4C4143;  // "CALL"
    call.hostWords[1] = record->id;
    call.methodIndex = index;
    call.result = ValueStore::Void();
    call.argCount = static_cast<int32_t>(args.size());
    call.args = padded.data();
    const Status status = record->scripting->ops->Call(record->scripting, &call);
    *result = call.result;
    if (!host_->values.IsValid(*result)) {
        host_->Fault("the call left a result that is not a live value");
        *result = ValueStore::Void();
    }
    return status;
}

void Plugin::Finish(InstanceRecord* record) {
    if (record->self.refs <= 0) {
        host_->Fault("instance " + record->name + " has no reference left for the host to release");
    } else {
        --record->self.refs;
    }
    if (record->self.refs != 0) {
        return;  // something still holds it: it stays, and the report says so
    }
    const Status status = record->destroy(record->block);
    if (status != kOk) {
        host_->Fault("Destroy of " + record->name + " answered " + FormatStatus(status));
    }
    std::free(record->block);
    record->block = nullptr;
    record->destroyed = true;
}

std::string Plugin::Forget(InstanceRecord* record) {
    const MethodEntry* entry = methods_.Find("forget");
    if (entry && record->scripting) {
        ScriptValue me = host_->values.NewObject(record->id);
        ScriptValue result = ValueStore::Void();
        Call(record, entry->index, {me}, &result);
        host_->values.Release(&me);
        host_->values.Release(&result);
    }
    if (record->scripting) {
        record->scripting->ops->Release(record->scripting);
        record->scripting = nullptr;
    }
    Finish(record);
    return Leftovers(*record);
}

bool Plugin::Clean(const InstanceRecord& record) {
    return record.destroyed && record.blocks.empty() && record.self.refs == 0 && record.ServiceReferences() == 0 &&
           record.movie.refs == 0 && record.liveMembers == 0 && record.liveMedia.empty() && record.resourcesHeld == 0 &&
           record.modalHeld == 0;
}

std::string Plugin::Leftovers(const InstanceRecord& record) {
    if (Clean(record)) {
        return "nothing left";
    }
    std::string text;
    auto add = [&](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (!record.destroyed) {
        add("not destroyed");
    }
    if (!record.blocks.empty()) {
        add(std::to_string(record.blocks.size()) + " allocations (" + std::to_string(record.LiveBytes()) + " bytes)");
    }
    if (record.self.refs != 0) {
        add(std::to_string(record.self.refs) + " instance references");
    }
    if (record.ServiceReferences() != 0) {
        add(std::to_string(record.ServiceReferences()) + " service references");
    }
    if (record.movie.refs != 0) {
        add(std::to_string(record.movie.refs) + " movie references");
    }
    if (record.liveMembers != 0) {
        add(std::to_string(record.liveMembers) + " member references");
    }
    if (!record.liveMedia.empty()) {
        add(std::to_string(record.liveMedia.size()) + " media not released");
    }
    if (record.resourcesHeld != 0) {
        add(std::to_string(record.resourcesHeld) + " module resources not restored");
    }
    if (record.modalHeld != 0) {
        add(std::to_string(record.modalHeld) + " modal states not ended");
    }
    return text + " left";
}

Status Plugin::CanUnloadNow() const { return canUnloadNow_ ? canUnloadNow_() : kOk; }

}  // namespace sonidrax::host
