#include "ui/path_argument.h"

#include <cstring>

namespace sonidrax {

bool ReadPath(const ScriptCall& call, int32_t position, TextBuffer& path) {
    call.text(position, path);
    const ScriptValue* argument = call.argument(position);
    if (argument == nullptr) return true;
    HostValues* values = call.instance().hostValues;
    int32_t length = 0;
    const bool measured = values->ops->StringLength(values, argument, &length) == 0;
    return !measured || (length >= 0 && length < kTextSize);
}

bool JoinPath(const char* folder, const char* name, TextBuffer& path) {
    const size_t folderLength = strnlen(folder, kTextSize);
    const size_t nameLength = strnlen(name, kTextSize);
    if (folderLength + nameLength >= static_cast<size_t>(kTextSize)) return false;
    std::memcpy(path, folder, folderLength);
    std::memcpy(path + folderLength, name, nameLength);
    path[folderLength + nameLength] = '\0';
    return true;
}

}  // namespace sonidrax
