// The full paths of an open dialog's selection. The dialog's buffer holds the
// folder, then from the name offset on one or more NUL-terminated names ending
// with an empty one; a single selection is the whole path, with the offset at
// its name, so one rule rebuilds both.
#pragma once

#include <cstdint>

#include "frame/script_call.h"

namespace sonidrax {

class SelectedPaths {
public:
    SelectedPaths(const char* buffer, uint32_t size, uint32_t nameOffset);

    // Writes the next path; false after the last name. A path longer than a
    // path buffer holds is passed over: cut short it would name another file.
    bool Next(TextBuffer& path);

private:
    bool Join(const char* name, uint32_t nameLength, TextBuffer& path) const;

    const char* buffer_;
    uint32_t size_;
    uint32_t folderLength_;
    uint32_t position_;
};

}  // namespace sonidrax
