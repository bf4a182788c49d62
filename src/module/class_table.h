// The module's two classes and the walk that the class exports share.
#pragma once

#include "frame/host_interfaces.h"

namespace sonidrax {

using InterfaceCreateFn = Status (*)(void* instance, void** out);

struct ClassEntry {
    const GUID* classId;
    uint32_t instanceSize;
    ClassCreateFn create;
    ClassDestroyFn destroy;
    const GUID* interfaceId;
    InterfaceCreateFn createInterface;
};

// The registrar first, then the script-instance class; every walk keeps this order.
extern const ClassEntry classTable[2];

using ClassVisitor = Status (*)(const GUID& classId, uint32_t classVersion, uint32_t instanceSize, ClassCreateFn create,
                                ClassDestroyFn destroy, void* context);
using InterfaceVisitor = Status (*)(const GUID& classId, uint32_t classVersion, const GUID& interfaceId,
                                    uint32_t interfaceVersion, InterfaceCreateFn create, void* context);

// Visits the classes (only the one named by `filter` when given); a visitor's
// non-zero answer ends the walk with that value. Answers 0 after the last class.
Status WalkClasses(const GUID* filter, ClassVisitor classVisitor, InterfaceVisitor interfaceVisitor, void* context);

bool SameGuid(const GUID& a, const GUID& b);

}  // namespace sonidrax
