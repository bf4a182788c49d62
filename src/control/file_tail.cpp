#include "control/file_tail.h"

#include <windows.h>

namespace sonidrax {

Status ReadFileTail(const char* path, uint8_t (&block)[decoder::kId3v1TagBytes], bool* found) {
    *found = false;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return kFileNotFound;
    LARGE_INTEGER size{};
    const LARGE_INTEGER back{.QuadPart = -static_cast<LONGLONG>(decoder::kId3v1TagBytes)};
    DWORD read = 0;
    if (GetFileSizeEx(file, &size) && size.QuadPart >= static_cast<LONGLONG>(decoder::kId3v1TagBytes) &&
        SetFilePointerEx(file, back, nullptr, FILE_END) &&
        ReadFile(file, block, static_cast<DWORD>(decoder::kId3v1TagBytes), &read, nullptr) &&
        read == decoder::kId3v1TagBytes) {
        *found = true;
    }
    CloseHandle(file);
    return kOk;
}

}  // namespace sonidrax
