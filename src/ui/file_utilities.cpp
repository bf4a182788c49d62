// Folders and files for scripts: whether a folder exists, making one, a file's
// size, moving a file. Outcomes of the file system's own calls are not reported;
// a path that does not fit a path buffer names nothing.
#include "ui/path_argument.h"
#include "ui/ui_handlers.h"

namespace sonidrax {

Status DsDirExists(ScriptCall& call) {
    TextBuffer path;
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    if (ReadPath(call, 1, path)) attributes = GetFileAttributesA(path);
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return call.finish(kOk, folder ? 1 : 0);
}

Status DsCreateDir(ScriptCall& call) {
    TextBuffer path;
    if (ReadPath(call, 1, path)) CreateDirectoryA(path, nullptr);
    return call.finish(kOk);
}

// The low 32 bits of the size; 0 for a folder or a file that cannot be opened.
Status DsGetFileSize(ScriptCall& call) {
    TextBuffer path;
    DWORD size = 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (ReadPath(call, 1, path)) {
        file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    }
    if (file != INVALID_HANDLE_VALUE) {
        size = GetFileSize(file, nullptr);
        CloseHandle(file);
    }
    return call.finish(kOk, static_cast<int32_t>(size));
}

// The target folder must end with "\": it is joined to the name as it stands.
Status DsMoveFile(ScriptCall& call) {
    TextBuffer source;
    TextBuffer folder;
    TextBuffer name;
    TextBuffer target;
    const bool fits = ReadPath(call, 0, source) && ReadPath(call, 1, folder) && ReadPath(call, 2, name);
    if (fits && JoinPath(folder, name, target)) MoveFileA(source, target);
    return call.finish(kOk);
}

}  // namespace sonidrax
