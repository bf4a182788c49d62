#include "frame/interface_object.h"

#include <new>

#include "frame/status.h"

namespace sonidrax {

int32_t liveInterfaceCount = 0;

namespace {

void AddRefInstance(void* instance) { HeaderOf(instance).instanceOps->AddRef(AsHostInstance(instance)); }
void ReleaseInstance(void* instance) { HeaderOf(instance).instanceOps->Release(AsHostInstance(instance)); }

// Allocation through the host, giving an installed new-handler the chance to make
// room, as operator new would.
void* AllocateWithNewHandler(HostAllocator* allocator, uint32_t byteCount) {
    for (;;) {
        void* block = allocator->ops->Alloc(allocator, byteCount);
        if (block != nullptr) return block;
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) return nullptr;
        handler();
    }
}

}  // namespace

Status CreateInterfaceObject(void* instance, const void* ops, void** out) {
    HostAllocator* allocator = HeaderOf(instance).allocator;
    void* block = AllocateWithNewHandler(allocator, sizeof(InterfaceObject));
    if (block == nullptr) {
        *out = nullptr;
        return kOutOfMemory;
    }
    auto* object = new (block) InterfaceObject{ops, instance, 1};
    AddRefInstance(instance);
    AddRefInstance(instance);
    ++liveInterfaceCount;
    *out = object;
    return kOk;
}

Status __stdcall InterfaceQueryInterface(InterfaceObject* self, const GUID* iid, void** out) {
    return HeaderOf(self->outer).instanceOps->QueryInterface(AsHostInstance(self->outer), iid, out);
}

ULONG __stdcall InterfaceAddRef(InterfaceObject* self) {
    AddRefInstance(self->outer);
    return static_cast<ULONG>(++self->refCount);
}

ULONG __stdcall InterfaceRelease(InterfaceObject* self) {
    void* outer = self->outer;
    const int32_t count = --self->refCount;
    if (count == 0) {
        HostAllocator* allocator = HeaderOf(outer).allocator;
        allocator->ops->Free(allocator, self);
        --liveInterfaceCount;
        ReleaseInstance(outer);
    }
    // Pairs with the reference AddRef took, or with the second one taken at creation.
    ReleaseInstance(outer);
    return static_cast<ULONG>(count);
}

}  // namespace sonidrax
