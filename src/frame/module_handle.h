#pragma once

#include <windows.h>

namespace sonidrax {

// The DLL's own instance handle, kept at load: dialogs come from its resources.
extern HINSTANCE moduleHandle;

}  // namespace sonidrax
