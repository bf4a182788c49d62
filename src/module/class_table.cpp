#include "module/class_table.h"

#include <cstring>

#include "engine/sound_xtra.h"
#include "module/registrar.h"
#include "module/script_object.h"

namespace sonidrax {

const ClassEntry classTable[2] = {
    {&kClsidXtraRegistrar, sizeof(HostHeader), RegistrarCreate, RegistrarDestroy, &kIidRegistration,
     CreateRegistrarInterface},
    {&kClsidSoundXtra, sizeof(SoundXtra), SoundXtraCreate, SoundXtraDestroy, &kIidScripting, CreateScriptInterface},
};

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

Status WalkClasses(const GUID* filter, ClassVisitor classVisitor, InterfaceVisitor interfaceVisitor, void* context) {
    for (const ClassEntry& entry : classTable) {
        if (filter != nullptr && !SameGuid(*filter, *entry.classId)) continue;
        if (classVisitor != nullptr) {
            Status s =
                classVisitor(*entry.classId, kXtraVersion, entry.instanceSize, entry.create, entry.destroy, context);
            if (s != 0) return s;
        }
        if (interfaceVisitor != nullptr) {
            Status s = interfaceVisitor(*entry.classId, kXtraVersion, *entry.interfaceId, kXtraVersion,
                                        entry.createInterface, context);
            if (s != 0) return s;
        }
    }
    return 0;
}

}  // namespace sonidrax
