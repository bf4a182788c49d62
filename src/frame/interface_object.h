// The small forwarding object that stands for one interface of a class instance.
#pragma once

#include "frame/host_interfaces.h"

#include <cstddef>

namespace sonidrax {

// Three words, in this order: the operation table, the owning class instance and
// the object's own reference count.
struct InterfaceObject {
    const void* ops;
    void* outer;
    int32_t refCount;
};
#ifdef _WIN64
static_assert(offsetof(InterfaceObject, refCount) == 16);
static_assert(sizeof(InterfaceObject) == 24);
#else
static_assert(offsetof(InterfaceObject, refCount) == 8);
static_assert(sizeof(InterfaceObject) == 12);
#endif

// Number of InterfaceObjects alive in the module; the DLL may unload at 0.
extern int32_t liveInterfaceCount;

// The header the host filled at the start of every class instance.
inline HostHeader& HeaderOf(void* instance) { return *static_cast<HostHeader*>(instance); }
inline HostInstance* AsHostInstance(void* instance) { return static_cast<HostInstance*>(instance); }

// Makes an InterfaceObject with the given operation table on `instance`; stores it
// (or null) in `out`. Takes two references on the instance.
Status CreateInterfaceObject(void* instance, const void* ops, void** out);

// The three COM operations shared by both interfaces.
Status __stdcall InterfaceQueryInterface(InterfaceObject* self, const GUID* iid, void** out);
ULONG __stdcall InterfaceAddRef(InterfaceObject* self);
ULONG __stdcall InterfaceRelease(InterfaceObject* self);

}  // namespace sonidrax
