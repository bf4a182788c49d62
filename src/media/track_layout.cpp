#include "media/track_layout.h"

namespace sonidrax::media {

OpenResult checkPlayable(const TrackFormat& format) {
    if (format.channels < 1 || format.channels > 8) return OpenResult::kNotAudio;
    if (format.sampleRate < 1 || format.sampleRate > 384000) return OpenResult::kNotAudio;
    return OpenResult::kOpened;
}

OpenResult placeData(TrackLayout& layout, uint64_t offset, uint64_t declaredBytes, uint64_t sourceSize) {
    if (offset > sourceSize) return OpenResult::kCorrupt;
    const uint64_t present = sourceSize - offset;
    const uint64_t bytes = declaredBytes < present ? declaredBytes : present;
    const uint32_t frameBytes = frameBytesOf(layout);
    if (frameBytes == 0) return OpenResult::kCorrupt;
    layout.dataOffset = offset;
    layout.format.frames = bytes / frameBytes;
    return OpenResult::kOpened;
}

}  // namespace sonidrax::media
