// The loaded plug-in, reached only through its five exports: class info,
// registration, instance creation and destruction, and script calls.
#pragma once

#include "host.h"
#include "method_table.h"

#include <string>
#include <vector>

namespace sonidrax::host {

class Plugin {
public:
    explicit Plugin(Host* host) : host_(host) {}
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    // Loads the DLL, reads its class info, registers it and reads its method table.
    bool Load(const std::string& path, std::string* error);

    const MethodTable& Methods() const { return methods_; }
    const std::vector<ClassInfoRecord>& ClassInfo() const { return classInfo_; }

    // Makes a script instance: allocation, header, Create, scripting interface and
    // the host's "new" call. `createStatus` receives what Create answered.
    InstanceRecord* CreateInstance(const std::string& name, Status* createStatus, std::string* error);

    // Runs one method on an instance; `result` receives the value the call left
    // (one reference, owned by the caller).
    Status Call(InstanceRecord* record, uint32_t index, const std::vector<ScriptValue>& args, ScriptValue* result);

    // The host's "forget": its call, then the release of the interface and of the
    // host's own reference; destroys the instance when no reference is left.
    // Answers the transcript line about what was left behind.
    std::string Forget(InstanceRecord* record);

    // What the instance still holds, or "nothing left".
    static std::string Leftovers(const InstanceRecord& record);
    static bool Clean(const InstanceRecord& record);

    Status CanUnloadNow() const;
    bool Loaded() const { return module_ != nullptr; }

private:
    bool ReadClassInfo(std::string* error);
    bool RegisterClasses(std::string* error);
    InstanceRecord* MakeInstance(const GUID& classId, const std::string& name, Status* createStatus,
                                 std::string* error);
    // Drops the host's reference and destroys the instance when nothing else holds it.
    void Finish(InstanceRecord* record);

    Host* host_;
    HMODULE module_ = nullptr;
    DllGetClassFormFn getClassForm_ = nullptr;
    DllGetInterfaceFn getInterface_ = nullptr;
    DllGetClassInfoFn getClassInfo_ = nullptr;
    DllGetClassObjectFn getClassObject_ = nullptr;
    DllCanUnloadNowFn canUnloadNow_ = nullptr;
    std::vector<ClassInfoRecord> classInfo_;
    MethodTable methods_;
};

}  // namespace sonidrax::host
