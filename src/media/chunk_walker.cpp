#include "media/chunk_walker.h"

#include "media/byte_order.h"
#include "media/source_read.h"

namespace sonidrax::media {

bool ChunkWalker::next(Chunk& chunk) {
    uint8_t header[8];
    if (next_ > source_.size() || !readExact(source_, next_, header, sizeof header)) return false;
    chunk.id = readBe32(header);
    chunk.size = bigEndian_ ? readBe32(header + 4) : readLe32(header + 4);
    chunk.body = next_ + 8;
    // At most 2^32 + 8 past an offset inside the source: no overflow.
    next_ = chunk.body + chunk.size + (chunk.size & 1u);
    return true;
}

}  // namespace sonidrax::media
