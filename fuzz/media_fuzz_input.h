#pragma once

// Shared by the sound file readers' fuzz targets: the input, with its container's
// marks written over it so that every mutation reaches that container's parser,
// is opened from memory and all its frames are converted in small pieces.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "media/audio_file.h"

namespace sonidrax::media::fuzzing {

struct Mark {
    size_t offset;
    const char* text;  // four characters
};

inline void openAndRead(const uint8_t* data, size_t size, std::initializer_list<Mark> marks) {
    std::vector<uint8_t> bytes(data, data + size);
    for (const Mark& mark : marks) {
        if (mark.offset + 4 <= bytes.size()) std::memcpy(bytes.data() + mark.offset, mark.text, 4);
    }
    std::unique_ptr<AudioFile> file;
    if (AudioFile::open(openMemorySource(bytes.data(), bytes.size()), file) != OpenResult::kOpened) return;
    int16_t out[8 * 97];
    for (uint64_t first = 0;; first += 97) {
        if (file->readPcm16(first, 97, out) < 97) break;
    }
}

}  // namespace sonidrax::media::fuzzing
