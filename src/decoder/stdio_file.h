// The few file operations the file modules need beyond standard C, done the same
// way on every platform this library builds for.
#pragma once

#include <cstdint>
#include <cstdio>

namespace sonidrax::decoder {

// Moves to an absolute byte offset; false when the stream refuses.
bool SeekFileTo(std::FILE* file, std::uint64_t offset);
// Moves to `back` bytes before the end; false when the stream refuses.
bool SeekFileFromEnd(std::FILE* file, std::uint32_t back);
// The size of the open file from the operating system's status, 0 when unknown, or
// for standard input and anything else with a descriptor number below 1, and for
// files of 4 GiB and more, whose size the decoder cannot count.
std::uint32_t SizeOfOpenFile(std::FILE* file);
// Whether the open file is a directory (fopen accepts those on some systems).
bool IsDirectory(std::FILE* file);
// Standard input and output carry bytes unchanged (no newline translation).
void UseBinaryMode(std::FILE* stream);
// The C runtime's text for an error number.
const char* SystemErrorText(int error);

}  // namespace sonidrax::decoder
