#include "module/exports.h"

#include "frame/interface_object.h"
#include "frame/module_handle.h"
#include "frame/status.h"
#include "module/class_table.h"

using namespace sonidrax;

namespace {

struct ClassForm {
    uint32_t* instanceSize;
    ClassCreateFn* create;
    ClassDestroyFn* destroy;
    bool found;
};

Status WriteClassForm(const GUID&, uint32_t, uint32_t size, ClassCreateFn create, ClassDestroyFn destroy,
                      void* context) {
    auto* form = static_cast<ClassForm*>(context);
    *form->instanceSize = size;
    *form->create = create;
    *form->destroy = destroy;
    form->found = true;
    return 1;
}

struct InterfaceSearch {
    const GUID* interfaceId;
    InterfaceCreateFn create;
};

Status MatchInterface(const GUID&, uint32_t, const GUID& interfaceId, uint32_t, InterfaceCreateFn create,
                      void* context) {
    auto* search = static_cast<InterfaceSearch*>(context);
    if (!SameGuid(interfaceId, *search->interfaceId)) return 0;
    search->create = create;
    return 1;
}

Status CountClass(const GUID&, uint32_t, uint32_t, ClassCreateFn, ClassDestroyFn, void* context) {
    ++*static_cast<uint32_t*>(context);
    return 0;
}

Status CountInterface(const GUID&, uint32_t, const GUID&, uint32_t, InterfaceCreateFn, void* context) {
    ++*static_cast<uint32_t*>(context);
    return 0;
}

// A class is announced with the class-factory interface at version 1.
Status WriteClassRecord(const GUID& classId, uint32_t classVersion, uint32_t, ClassCreateFn, ClassDestroyFn,
                        void* context) {
    auto** record = static_cast<ClassInfoRecord**>(context);
    **record = ClassInfoRecord{classId, classVersion, kIidClassFactory, 1};
    ++*record;
    return 0;
}

Status WriteInterfaceRecord(const GUID& classId, uint32_t classVersion, const GUID& interfaceId,
                            uint32_t interfaceVersion, InterfaceCreateFn, void* context) {
    auto** record = static_cast<ClassInfoRecord**>(context);
    **record = ClassInfoRecord{classId, classVersion, interfaceId, interfaceVersion};
    ++*record;
    return 0;
}

}  // namespace

extern "C" {

Status __stdcall DllGetClassForm(const GUID* classId, uint32_t* instanceSize, ClassCreateFn* create,
                                 ClassDestroyFn* destroy) {
    ClassForm form{instanceSize, create, destroy, false};
    WalkClasses(classId, WriteClassForm, nullptr, &form);
    return form.found ? kOk : kNoSuchClass;
}

Status __stdcall DllGetInterface(void* instance, const GUID* classId, const GUID* interfaceId, void** out) {
    InterfaceSearch search{interfaceId, nullptr};
    WalkClasses(classId, nullptr, MatchInterface, &search);
    if (search.create == nullptr) return kNoSuchInterface;
    return search.create(instance, out);
}

Status __stdcall DllGetClassInfo(HostAllocator* allocator, ClassInfoRecord** out) {
    uint32_t count = 0;
    WalkClasses(nullptr, CountClass, CountInterface, &count);
    auto* records =
        static_cast<ClassInfoRecord*>(allocator->ops->Alloc(allocator, (count + 1) * sizeof(ClassInfoRecord)));
    *out = records;
    if (records == nullptr) return kOutOfMemory;
    ClassInfoRecord* next = records;
    WalkClasses(nullptr, WriteClassRecord, WriteInterfaceRecord, &next);
    // The terminator: null ids; its version words keep whatever the block held.
    next->classId = kNullId;
    next->interfaceId = kNullId;
    return kOk;
}

HRESULT __stdcall DllGetClassObject(REFCLSID, REFIID, LPVOID*) { return kNoSuchClass; }

HRESULT __stdcall DllCanUnloadNow() { return liveInterfaceCount > 0 ? kCannotUnload : kOk; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
    moduleHandle = instance;
    return TRUE;
}

}  // extern "C"
