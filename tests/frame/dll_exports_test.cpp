// The built DLL as a host finds it: its export table read from the file, then
// the exports reached through LoadLibrary.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frame/host_interfaces.h"

namespace sonidrax {
namespace {

struct PeImage {
    std::vector<unsigned char> bytes;
    const IMAGE_NT_HEADERS32* nt = nullptr;

    // Turns a relative virtual address into a file offset through the section table.
    const unsigned char* At(DWORD rva) const {
        const auto* section = IMAGE_FIRST_SECTION(nt);
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
            const DWORD size = std::max(section->Misc.VirtualSize, section->SizeOfRawData);
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + size) {
                const size_t offset = rva - section->VirtualAddress + section->PointerToRawData;
                return offset < bytes.size() ? bytes.data() + offset : nullptr;
            }
        }
        return nullptr;
    }
};

PeImage Load(const char* path) {
    PeImage image;
    std::ifstream file(path, std::ios::binary);
    image.bytes.assign(std::istreambuf_iterator<char>(file), {});
    if (image.bytes.size() < sizeof(IMAGE_DOS_HEADER)) return image;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.bytes.data());
    image.nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image.bytes.data() + dos->e_lfanew);
    return image;
}

TEST(DllFile, ExportsExactlyTheFiveFunctionsByNameWithAlphabeticalOrdinals) {
    PeImage image = Load(SONIDRAX_DLL_PATH);
    ASSERT_NE(image.nt, nullptr) << SONIDRAX_DLL_PATH;
    ASSERT_EQ(image.nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    const auto& dir = image.nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(image.At(dir.VirtualAddress));
    ASSERT_NE(exports, nullptr);
    EXPECT_EQ(exports->NumberOfFunctions, 5u);
    ASSERT_EQ(exports->NumberOfNames, 5u);

    const auto* names = reinterpret_cast<const DWORD*>(image.At(exports->AddressOfNames));
    const auto* ordinals = reinterpret_cast<const WORD*>(image.At(exports->AddressOfNameOrdinals));
    const char* expected[] = {"DllCanUnloadNow", "DllGetClassForm", "DllGetClassInfo", "DllGetClassObject",
                              "DllGetInterface"};
    for (DWORD i = 0; i < 5; ++i) {
        EXPECT_STREQ(reinterpret_cast<const char*>(image.At(names[i])), expected[i]);
        EXPECT_EQ(exports->Base + ordinals[i], i + 1) << expected[i];
    }
}

TEST(DllFile, ImportsOnlyWindowsSystemLibraries) {
    PeImage image = Load(SONIDRAX_DLL_PATH);
    ASSERT_NE(image.nt, nullptr);
    const auto& dir = image.nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image.At(dir.VirtualAddress));
    ASSERT_NE(import, nullptr);
    const std::vector<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll",  "winmm.dll",
                                             "dsound.dll",   "comdlg32.dll", "advapi32.dll", "ole32.dll",
                                             "msvcrt.dll",   "shell32.dll"};
    for (; import->Name != 0; ++import) {
        std::string name = reinterpret_cast<const char*>(image.At(import->Name));
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        EXPECT_NE(std::find(system.begin(), system.end(), name), system.end()) << name;
    }
}

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
    EXPECT_EQ(size, 16u);
    FreeLibrary(module);
}

}  // namespace
}  // namespace sonidrax
