#include "ui/selected_paths.h"

#include <cstring>

namespace sonidrax {

SelectedPaths::SelectedPaths(const char* buffer, uint32_t size, uint32_t nameOffset)
    : buffer_(buffer), size_(size), folderLength_(0), position_(nameOffset) {
    if (nameOffset == 0 || nameOffset >= size) {
        position_ = size;  // nothing that could be a name
        return;
    }
    folderLength_ = nameOffset - 1;
}

bool SelectedPaths::Next(TextBuffer& path) {
    while (position_ < size_ && buffer_[position_] != '\0') {
        const char* name = buffer_ + position_;
        const auto nameLength = static_cast<uint32_t>(strnlen(name, size_ - position_));
        position_ += nameLength + 1;
        if (Join(name, nameLength, path)) return true;
    }
    return false;
}

// A folder that already ends in a separator (a drive's root, "C:\") gets no
// second one.
bool SelectedPaths::Join(const char* name, uint32_t nameLength, TextBuffer& path) const {
    const bool separator = folderLength_ == 0 || buffer_[folderLength_ - 1] != '\\';
    const uint32_t length = folderLength_ + (separator ? 1 : 0) + nameLength;
    if (length >= static_cast<uint32_t>(kTextSize)) return false;
    std::memcpy(path, buffer_, folderLength_);
    if (separator) path[folderLength_] = '\\';
    std::memcpy(path + length - nameLength, name, nameLength);
    path[length] = '\0';
    return true;
}

}  // namespace sonidrax
