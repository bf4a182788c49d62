#include "media/au_reader.h"

#include "media/byte_order.h"
#include "media/source_read.h"

namespace sonidrax::media {
namespace {

// Magic, header size, data size, encoding, rate, channels: six big-endian words,
// then an annotation up to the header size.
constexpr uint32_t kHeaderBytes = 24;
constexpr uint32_t kSizeUnknown = 0xFFFFFFFF;

OpenResult chooseCoding(uint32_t encoding, TrackLayout& layout) {
    switch (encoding) {
        case 1:
            layout.coding = {SampleKind::kMuLaw, 1, 8, true};
            layout.format.sampleBits = 16;
            return OpenResult::kOpened;
        case 27:
            layout.coding = {SampleKind::kALaw, 1, 8, true};
            layout.format.sampleBits = 16;
            return OpenResult::kOpened;
        case 2:
        case 3:
        case 4:
        case 5: {
            const auto bytes = static_cast<uint8_t>(encoding - 1);
            layout.coding = {SampleKind::kSigned, bytes, static_cast<uint8_t>(bytes * 8), true};
            layout.format.sampleBits = static_cast<uint16_t>(bytes * 8);
            return OpenResult::kOpened;
        }
        case 6:
        case 7: {
            const auto bytes = static_cast<uint8_t>(encoding == 6 ? 4 : 8);
            layout.coding = {SampleKind::kFloat, bytes, static_cast<uint8_t>(bytes * 8), true};
            layout.format.sampleBits = static_cast<uint16_t>(bytes * 8);
            return OpenResult::kOpened;
        }
        default:
            return OpenResult::kNotAudio;
    }
}

}  // namespace

OpenResult parseAu(ByteSource& source, TrackLayout& layout) {
    uint8_t header[kHeaderBytes];
    if (!readExact(source, 0, header, sizeof header)) return OpenResult::kCorrupt;
    const uint32_t headerBytes = readBe32(header + 4);
    const uint32_t dataBytes = readBe32(header + 8);
    const uint32_t channels = readBe32(header + 20);
    if (headerBytes < kHeaderBytes) return OpenResult::kCorrupt;

    layout.format.container = Container::kAu;
    layout.format.channels = channels > 8 ? 0 : static_cast<uint16_t>(channels);
    layout.format.sampleRate = readBe32(header + 16);
    OpenResult result = checkPlayable(layout.format);
    if (result != OpenResult::kOpened) return result;
    if ((result = chooseCoding(readBe32(header + 12), layout)) != OpenResult::kOpened) return result;
    const uint64_t declared = dataBytes == kSizeUnknown ? UINT64_MAX : dataBytes;
    return placeData(layout, headerBytes, declared, source.size());
}

}  // namespace sonidrax::media
