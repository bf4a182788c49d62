// The five functions the host reaches the module through.
#pragma once

#include "frame/host_interfaces.h"

extern "C" {
sonidrax::Status __stdcall DllGetClassForm(const GUID* classId, uint32_t* instanceSize, sonidrax::ClassCreateFn* create,
                                           sonidrax::ClassDestroyFn* destroy);
sonidrax::Status __stdcall DllGetInterface(void* instance, const GUID* classId, const GUID* interfaceId, void** out);
sonidrax::Status __stdcall DllGetClassInfo(sonidrax::HostAllocator* allocator, sonidrax::ClassInfoRecord** out);
// These two keep the signatures the Windows headers already declare.
HRESULT __stdcall DllGetClassObject(REFCLSID classId, REFIID interfaceId, LPVOID* out);
HRESULT __stdcall DllCanUnloadNow();
}
