#include "decoder/text.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace sonidrax::decoder {

char* CopyText(const char* text) {
    const std::size_t length = std::strlen(text);
    char* copy = new (std::nothrow) char[length + 1];
    if (copy != nullptr) std::memcpy(copy, text, length + 1);
    return copy;
}

void FreeText(char* text) { delete[] text; }

void CopyIntoField(char* field, std::size_t size, const char* text) {
    if (size == 0) return;
    const std::size_t length = std::min(std::strlen(text), size - 1);
    std::memcpy(field, text, length);
    field[length] = '\0';
}

}  // namespace sonidrax::decoder
