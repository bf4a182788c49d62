#include "module/registrar.h"

#include "frame/interface_object.h"
#include "frame/method_table.h"

namespace sonidrax {

namespace {

Status __stdcall Register(InterfaceObject*, HostRegistry* registry, uint32_t token) {
    HostDictionary* dictionary = nullptr;
    Status status = registry->ops->GetClassDictionary(registry, token, &kClsidSoundXtra, &kIidScripting, &dictionary);
    if (status != 0) return status;
    // The dictionary comes without a reference of ours: it is not released here.
    return dictionary->ops->Put(dictionary, kDictionaryValueText, MethodTableText(), 0, "msgTable");
}

struct RegistrarOps {
    decltype(&InterfaceQueryInterface) queryInterface;
    decltype(&InterfaceAddRef) addRef;
    decltype(&InterfaceRelease) release;
    decltype(&Register) registerClass;
};

constexpr RegistrarOps kRegistrarOps = {InterfaceQueryInterface, InterfaceAddRef, InterfaceRelease, Register};

}  // namespace

Status __stdcall RegistrarCreate(void*) { return 0; }
Status __stdcall RegistrarDestroy(void*) { return 0; }

Status CreateRegistrarInterface(void* instance, void** out) {
    return CreateInterfaceObject(instance, &kRegistrarOps, out);
}

}  // namespace sonidrax
