// The built DLL as a host reaches it: LoadLibrary, then the exports. Its file (machine,
// export table, imports) is checked by scripts/check-dll, in the i686 build alone.
#include <gtest/gtest.h>

#include <windows.h>

#include "frame/host_interfaces.h"

namespace sonidrax {
namespace {

// GetProcAddress answers a generic procedure; the export's real type is known here.
template <typename Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

TEST(DllFile, LoadsAndAnswersThroughItsExports) {
    HMODULE module = LoadLibraryA(SONIDRAX_DLL_PATH);
    ASSERT_NE(module, nullptr);
    auto canUnload = Export<DllCanUnloadNowFn>(module, "DllCanUnloadNow");
    auto classObject = Export<DllGetClassObjectFn>(module, "DllGetClassObject");
    auto classForm = Export<DllGetClassFormFn>(module, MAKEINTRESOURCEA(2));
    ASSERT_NE(canUnload, nullptr);
    ASSERT_NE(classObject, nullptr);
    ASSERT_EQ(reinterpret_cast<void*>(classForm), reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassForm")));
    EXPECT_EQ(canUnload(), 0);
    void* out = nullptr;
    EXPECT_EQ(classObject(&kClsidSoundXtra, &kIidScripting, &out), static_cast<Status>(0x80040005));
    uint32_t size = 0;
    ClassCreateFn create = nullptr;
    ClassDestroyFn destroy = nullptr;
    EXPECT_EQ(classForm(&kClsidXtraRegistrar, &size, &create, &destroy), 0);
    EXPECT_EQ(size, sizeof(HostHeader));
    FreeLibrary(module);
}

}  // namespace
}  // namespace sonidrax
