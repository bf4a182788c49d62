#include "control/id3v1_tag.h"

#include <windows.h>

#include <cstring>

namespace sonidrax {

namespace {

constexpr size_t kTitleOffset = 3;
constexpr size_t kArtistOffset = 33;
constexpr size_t kAlbumOffset = 63;

void CopyField(const uint8_t* field, char (&out)[kId3v1FieldBytes + 1]) {
    size_t length = 0;
    while (length < kId3v1FieldBytes && field[length] != 0) ++length;
    std::memcpy(out, field, length);
    out[length] = '\0';
}

}  // namespace

bool ParseId3v1Tag(const uint8_t (&block)[kId3v1TagBytes], Id3v1Fields* fields) {
    if (std::memcmp(block, "TAG", 3) != 0) return false;
    CopyField(block + kTitleOffset, fields->title);
    CopyField(block + kArtistOffset, fields->artist);
    CopyField(block + kAlbumOffset, fields->album);
    return true;
}

Status ReadFileTail(const char* path, uint8_t (&block)[kId3v1TagBytes], bool* found) {
    *found = false;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return kFileNotFound;
    LARGE_INTEGER size{};
    const LARGE_INTEGER back{.QuadPart = -static_cast<LONGLONG>(kId3v1TagBytes)};
    DWORD read = 0;
    if (GetFileSizeEx(file, &size) && size.QuadPart >= static_cast<LONGLONG>(kId3v1TagBytes) &&
        SetFilePointerEx(file, back, nullptr, FILE_END) &&
        ReadFile(file, block, static_cast<DWORD>(kId3v1TagBytes), &read, nullptr) && read == kId3v1TagBytes) {
        *found = true;
    }
    CloseHandle(file);
    return kOk;
}

}  // namespace sonidrax
