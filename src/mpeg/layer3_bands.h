#pragma once
#include <cstdint>

namespace sonidrax::mpeg {

// Scale-factor band edges for one sampling frequency: 22 long bands over the 576
// spectral values, and 13 short bands over the 192 values of one window.
struct BandEdges {
    uint16_t longEdges[23];
    uint16_t shortEdges[14];
};

// `version` as in the frame header (0 MPEG-2, 1 MPEG-1, 2 MPEG-2.5), samplingIndex 0-2.
const BandEdges& bandEdges(uint32_t version, uint32_t samplingIndex);

inline constexpr unsigned kLongBands = 22;
inline constexpr unsigned kShortBands = 13;
// Mixed blocks code the first two subbands (36 values) as long bands and the rest
// as short bands from the first one that starts at or after value 12 of a window.
inline constexpr unsigned kMixedLongValues = 36;

// Number of long bands below the mixed-block boundary, and the first short band above it.
unsigned mixedLongBandCount(const BandEdges& edges);
unsigned mixedFirstShortBand(const BandEdges& edges);

}  // namespace sonidrax::mpeg
