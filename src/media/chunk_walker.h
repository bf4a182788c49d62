#pragma once

#include <cstdint>

#include "media/audio_file.h"

// Steps through the chunks of an IFF form (AIFF, big-endian sizes) or a RIFF form
// (WAVE, little-endian sizes): a four-character id, a 32-bit size, the body, and a
// pad byte after an odd-sized body.
namespace sonidrax::media {

constexpr uint32_t fourCc(const char (&id)[5]) {
    return (uint32_t{static_cast<uint8_t>(id[0])} << 24) | (uint32_t{static_cast<uint8_t>(id[1])} << 16) |
           (uint32_t{static_cast<uint8_t>(id[2])} << 8) | uint32_t{static_cast<uint8_t>(id[3])};
}

struct Chunk {
    uint32_t id = 0;    // the four characters, first in the top byte
    uint32_t size = 0;  // as declared; the body may run past the end of the source
    uint64_t body = 0;  // offset of the body
};

class ChunkWalker {
public:
    ChunkWalker(ByteSource& source, uint64_t first, bool bigEndian)
        : source_(source), next_(first), bigEndian_(bigEndian) {}

    // False when no whole chunk header is left in the source.
    bool next(Chunk& chunk);

private:
    ByteSource& source_;
    uint64_t next_;
    bool bigEndian_;
};

}  // namespace sonidrax::media
