#include "media/wave_reader.h"

#include <cstring>

#include "media/byte_order.h"
#include "media/chunk_walker.h"
#include "media/source_read.h"

namespace sonidrax::media {
namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatALaw = 6;
constexpr uint16_t kFormatMuLaw = 7;
constexpr uint16_t kFormatExtensible = 0xFFFE;

// fmt: tag, channels, rate, bytes per second, block align, bits per sample (16
// bytes); the extensible form adds its size, valid bits, channel mask and the
// sub-format GUID (40 bytes in all).
constexpr size_t kFmtBytes = 16;
constexpr size_t kFmtExtensibleBytes = 40;

// The sub-format GUIDs of the extensible form are a format tag followed by these
// fixed bytes.
constexpr uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

struct Fmt {
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t blockAlign = 0;
    uint16_t bits = 0;       // bits each sample occupies
    uint16_t validBits = 0;  // significant bits of those
};

OpenResult readExtension(const uint8_t* bytes, Fmt& fmt) {
    if (readLe16(bytes + 16) < 22) return OpenResult::kCorrupt;
    if (std::memcmp(bytes + 26, kSubFormatTail, sizeof kSubFormatTail) != 0) return OpenResult::kNotAudio;
    const uint16_t valid = readLe16(bytes + 18);
    if (valid > fmt.bits) return OpenResult::kCorrupt;
    fmt.validBits = valid == 0 ? fmt.bits : valid;
    fmt.tag = readLe16(bytes + 24);
    return OpenResult::kOpened;
}

OpenResult readFmt(ByteSource& source, const Chunk& chunk, Fmt& fmt) {
    uint8_t bytes[kFmtExtensibleBytes];
    if (chunk.size < kFmtBytes || !readExact(source, chunk.body, bytes, kFmtBytes)) return OpenResult::kCorrupt;
    fmt.tag = readLe16(bytes);
    fmt.channels = readLe16(bytes + 2);
    fmt.rate = readLe32(bytes + 4);
    fmt.blockAlign = readLe16(bytes + 12);
    fmt.bits = readLe16(bytes + 14);
    fmt.validBits = fmt.bits;
    if (fmt.tag != kFormatExtensible) return OpenResult::kOpened;
    if (chunk.size < kFmtExtensibleBytes ||
        !readExact(source, chunk.body + kFmtBytes, bytes + kFmtBytes, kFmtExtensibleBytes - kFmtBytes)) {
        return OpenResult::kCorrupt;
    }
    return readExtension(bytes, fmt);
}

OpenResult chooseCoding(const Fmt& fmt, TrackLayout& layout) {
    const uint16_t bits = fmt.bits;
    switch (fmt.tag) {
        case kFormatPcm:
            if (bits < 1 || bits > 32) return OpenResult::kNotAudio;
            layout.coding = {bits <= 8 ? SampleKind::kUnsigned : SampleKind::kSigned,
                             static_cast<uint8_t>((bits + 7) / 8), static_cast<uint8_t>(fmt.validBits), false};
            layout.format.sampleBits = fmt.validBits;
            return OpenResult::kOpened;
        case kFormatFloat:
            if (bits != 32 && bits != 64) return OpenResult::kNotAudio;
            layout.coding = {SampleKind::kFloat, static_cast<uint8_t>(bits / 8), static_cast<uint8_t>(bits), false};
            layout.format.sampleBits = bits;
            return OpenResult::kOpened;
        case kFormatALaw:
        case kFormatMuLaw:
            if (bits != 8) return OpenResult::kNotAudio;
            layout.coding = {fmt.tag == kFormatALaw ? SampleKind::kALaw : SampleKind::kMuLaw, 1, 8, false};
            layout.format.sampleBits = 16;
            return OpenResult::kOpened;
        default:
            return OpenResult::kNotAudio;
    }
}

// Later duplicates of a chunk are ignored; the walk ends once both are known.
OpenResult findChunks(ByteSource& source, Fmt& fmt, Chunk& data) {
    bool haveFmt = false;
    bool haveData = false;
    ChunkWalker walker(source, 12, false);
    Chunk chunk;
    while ((!haveFmt || !haveData) && walker.next(chunk)) {
        if (chunk.id == fourCc("fmt ") && !haveFmt) {
            const OpenResult result = readFmt(source, chunk, fmt);
            if (result != OpenResult::kOpened) return result;
            haveFmt = true;
        } else if (chunk.id == fourCc("data") && !haveData) {
            data = chunk;
            haveData = true;
        }
    }
    return haveFmt && haveData ? OpenResult::kOpened : OpenResult::kCorrupt;
}

}  // namespace

OpenResult parseWave(ByteSource& source, TrackLayout& layout) {
    Fmt fmt;
    Chunk data;
    OpenResult result = findChunks(source, fmt, data);
    if (result != OpenResult::kOpened) return result;

    layout.format.container = Container::kWave;
    layout.format.channels = fmt.channels;
    layout.format.sampleRate = fmt.rate;
    if ((result = checkPlayable(layout.format)) != OpenResult::kOpened) return result;
    if ((result = chooseCoding(fmt, layout)) != OpenResult::kOpened) return result;
    // Frames are laid out as the samples' own widths say; a block that disagrees
    // leaves the data's layout unknown.
    if (fmt.blockAlign != frameBytesOf(layout)) return OpenResult::kCorrupt;
    return placeData(layout, data.body, data.size, source.size());
}

}  // namespace sonidrax::media
