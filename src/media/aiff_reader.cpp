#include "media/aiff_reader.h"

#include "media/byte_order.h"
#include "media/chunk_walker.h"
#include "media/extended_float.h"
#include "media/source_read.h"

namespace sonidrax::media {
namespace {

// COMM: channels (2), frames (4), sample size (2), rate (10); AIFF-C adds the
// compression type (4) before its name, which is not needed.
constexpr size_t kCommBytes = 18;
constexpr size_t kCommCompressedBytes = 22;

struct Comm {
    int16_t channels = 0;
    uint32_t frames = 0;
    int16_t sampleSize = 0;
    uint32_t rate = 0;
    uint32_t compression = fourCc("NONE");
};

struct Ssnd {
    bool found = false;
    Chunk chunk;
    uint32_t offset = 0;  // bytes of the chunk's data before the first frame
};

OpenResult readComm(ByteSource& source, const Chunk& chunk, bool compressed, Comm& comm) {
    const size_t needed = compressed ? kCommCompressedBytes : kCommBytes;
    uint8_t bytes[kCommCompressedBytes];
    if (chunk.size < needed || !readExact(source, chunk.body, bytes, needed)) return OpenResult::kCorrupt;
    comm.channels = static_cast<int16_t>(readBe16(bytes));
    comm.frames = readBe32(bytes + 2);
    comm.sampleSize = static_cast<int16_t>(readBe16(bytes + 6));
    comm.rate = extendedToWhole(bytes + 8);
    if (compressed) comm.compression = readBe32(bytes + 18);
    return OpenResult::kOpened;
}

OpenResult readSsnd(ByteSource& source, const Chunk& chunk, Ssnd& ssnd) {
    uint8_t bytes[8];
    if (chunk.size < 8 || !readExact(source, chunk.body, bytes, sizeof bytes)) return OpenResult::kCorrupt;
    ssnd.found = true;
    ssnd.chunk = chunk;
    ssnd.offset = readBe32(bytes);
    if (ssnd.offset > chunk.size - 8) return OpenResult::kCorrupt;
    return OpenResult::kOpened;
}

// Integers of 1..32 bits, left-justified in whole bytes.
OpenResult integerCoding(const Comm& comm, bool bigEndian, TrackLayout& layout) {
    if (comm.sampleSize < 1) return OpenResult::kCorrupt;
    if (comm.sampleSize > 32) return OpenResult::kNotAudio;
    layout.coding = {SampleKind::kSigned, static_cast<uint8_t>((comm.sampleSize + 7) / 8),
                     static_cast<uint8_t>(comm.sampleSize), bigEndian};
    layout.format.sampleBits = static_cast<uint16_t>(comm.sampleSize);
    return OpenResult::kOpened;
}

void byteCoding(SampleKind kind, uint16_t describedBits, TrackLayout& layout) {
    layout.coding = {kind, 1, 8, true};
    layout.format.sampleBits = describedBits;
}

void floatCoding(uint8_t bytes, TrackLayout& layout) {
    layout.coding = {SampleKind::kFloat, bytes, static_cast<uint8_t>(bytes * 8), true};
    layout.format.sampleBits = static_cast<uint16_t>(bytes * 8);
}

OpenResult chooseCoding(const Comm& comm, TrackLayout& layout) {
    switch (comm.compression) {
        case fourCc("NONE"):
        case fourCc("twos"):
            return integerCoding(comm, true, layout);
        case fourCc("sowt"):
            return integerCoding(comm, false, layout);
        case fourCc("fl32"):
        case fourCc("FL32"):
            floatCoding(4, layout);
            return OpenResult::kOpened;
        case fourCc("fl64"):
        case fourCc("FL64"):
            floatCoding(8, layout);
            return OpenResult::kOpened;
        case fourCc("raw "):
            byteCoding(SampleKind::kUnsigned, 8, layout);
            return OpenResult::kOpened;
        case fourCc("ulaw"):
        case fourCc("ULAW"):
            byteCoding(SampleKind::kMuLaw, 16, layout);
            return OpenResult::kOpened;
        case fourCc("alaw"):
        case fourCc("ALAW"):
            byteCoding(SampleKind::kALaw, 16, layout);
            return OpenResult::kOpened;
        default:
            return OpenResult::kNotAudio;
    }
}

// Later duplicates of a chunk are ignored; the walk ends once both are known.
OpenResult findChunks(ByteSource& source, bool compressed, Comm& comm, bool& haveComm, Ssnd& ssnd) {
    ChunkWalker walker(source, 12, true);
    Chunk chunk;
    while ((!haveComm || !ssnd.found) && walker.next(chunk)) {
        OpenResult result = OpenResult::kOpened;
        if (chunk.id == fourCc("COMM") && !haveComm) {
            result = readComm(source, chunk, compressed, comm);
            haveComm = true;
        } else if (chunk.id == fourCc("SSND") && !ssnd.found) {
            result = readSsnd(source, chunk, ssnd);
        }
        if (result != OpenResult::kOpened) return result;
    }
    return haveComm ? OpenResult::kOpened : OpenResult::kCorrupt;
}

}  // namespace

OpenResult parseAiff(ByteSource& source, bool compressed, TrackLayout& layout) {
    Comm comm;
    bool haveComm = false;
    Ssnd ssnd;
    OpenResult result = findChunks(source, compressed, comm, haveComm, ssnd);
    if (result != OpenResult::kOpened) return result;

    layout.format.container = compressed ? Container::kAiffC : Container::kAiff;
    layout.format.channels = comm.channels < 0 ? 0 : static_cast<uint16_t>(comm.channels);
    layout.format.sampleRate = comm.rate;
    if ((result = checkPlayable(layout.format)) != OpenResult::kOpened) return result;
    if ((result = chooseCoding(comm, layout)) != OpenResult::kOpened) return result;

    // A sound without frames may leave out its SSND chunk.
    if (!ssnd.found) {
        layout.format.frames = 0;
        return comm.frames == 0 ? OpenResult::kOpened : OpenResult::kCorrupt;
    }
    const uint64_t start = ssnd.chunk.body + 8 + ssnd.offset;
    result = placeData(layout, start, uint64_t{ssnd.chunk.size} - 8 - ssnd.offset, source.size());
    if (result != OpenResult::kOpened) return result;
    if (comm.frames < layout.format.frames) layout.format.frames = comm.frames;
    return OpenResult::kOpened;
}

}  // namespace sonidrax::media
