// The registrar class: no state, one interface that registers the script class.
#pragma once

#include "frame/host_interfaces.h"

namespace sonidrax {

Status __stdcall RegistrarCreate(void* instance);
Status __stdcall RegistrarDestroy(void* instance);
Status CreateRegistrarInterface(void* instance, void** out);

}  // namespace sonidrax
