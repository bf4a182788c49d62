#pragma once

#include <cstdint>

#include "media/audio_file.h"
#include "media/sample_coding.h"

// What a container's parser finds: the format, how the samples are stored, and
// where the frames lie in the source.
namespace sonidrax::media {

struct TrackLayout {
    TrackFormat format{};
    SampleCoding coding{};
    uint64_t dataOffset = 0;
};

inline uint32_t frameBytesOf(const TrackLayout& layout) {
    return uint32_t{layout.format.channels} * layout.coding.bytes;
}

// Refuses channel counts and rates a sound buffer cannot take.
OpenResult checkPlayable(const TrackFormat& format);

// Places the data at `offset`, `declaredBytes` long as the header says; only the
// whole frames the source holds count. The start must lie inside the source.
// Channels and coding must be set first.
OpenResult placeData(TrackLayout& layout, uint64_t offset, uint64_t declaredBytes, uint64_t sourceSize);

}  // namespace sonidrax::media
