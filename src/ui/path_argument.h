// Text arguments that name files and folders.
#pragma once

#include "frame/script_call.h"

namespace sonidrax {

// Reads the argument at a position into a path buffer. False when the text is
// longer than the buffer holds: cut short, it would name some other file or
// folder, so the caller leaves the file system alone.
bool ReadPath(const ScriptCall& call, int32_t position, TextBuffer& path);

// The folder followed directly by the name (no separator is put between);
// false when the two do not fit in one path buffer.
bool JoinPath(const char* folder, const char* name, TextBuffer& path);

}  // namespace sonidrax
