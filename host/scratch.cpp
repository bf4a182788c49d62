// Files and folders a script makes for the plug-in to work on: a fresh folder
// under the temporary folder, and files of a given size anywhere. Everything is
// removed when the run ends, whatever the plug-in moved into the folder.
#include "host.h"

#include <string>
#include <vector>

namespace sonidrax::host {
namespace {

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

std::string Host::ScratchFolder() {
    if (!scratchFolder_.empty()) {
        return scratchFolder_;
    }
    char temp[MAX_PATH] = {};
    const DWORD length = GetTempPathA(MAX_PATH, temp);
    std::string base = length > 0 && length < MAX_PATH ? std::string(temp, length) : std::string(".\\");
    if (base.back() != '\\') {
        base += '\\';
    }
    for (int attempt = 0; attempt < 100 && scratchFolder_.empty(); ++attempt) {
        const std::string folder =
            base + "sonidrax-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
        if (CreateDirectoryA(folder.c_str(), nullptr)) {
            scratchFolder_ = folder;
        }
    }
    return scratchFolder_;
}

bool Host::MakeFile(const std::string& path, int32_t bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const std::vector<char> content(static_cast<size_t>(bytes), 'x');
    DWORD written = 0;
    const bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                    written == content.size();
    CloseHandle(file);
    madeFiles_.push_back(path);
    return ok;
}

void Host::RemoveScratch() {
    for (const std::string& path : madeFiles_) {
        DeleteFileA(path.c_str());
    }
    madeFiles_.clear();
    if (!scratchFolder_.empty()) {
        RemoveTree(scratchFolder_);
        scratchFolder_.clear();
    }
}

}  // namespace sonidrax::host
