// Owned copies of texts, made without throwing.
#pragma once

#include <cstddef>

namespace sonidrax::decoder {

// A heap copy of text with its terminator, or null when memory runs out.
char* CopyText(const char* text);
void FreeText(char* text);
// Copies text into a fixed field of size bytes, cutting it short when needed; the
// field is always terminated.
void CopyIntoField(char* field, std::size_t size, const char* text);

}  // namespace sonidrax::decoder
