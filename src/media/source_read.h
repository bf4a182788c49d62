#pragma once

#include <cstddef>
#include <cstdint>

#include "media/audio_file.h"

namespace sonidrax::media {

// Header fields are read whole or not at all.
inline bool readExact(ByteSource& source, uint64_t offset, uint8_t* into, size_t size) {
    return source.readAt(offset, into, size) == size;
}

}  // namespace sonidrax::media
