#include "layer3_bands.h"

namespace sonidrax::mpeg {
namespace {

// Rows by 3 × version + samplingIndex: MPEG-2 (22050, 24000, 16000 Hz), MPEG-1
// (44100, 48000, 32000 Hz) and MPEG-2.5 (11025, 12000, 8000 Hz). The MPEG-1 and
// MPEG-2 rows are the scale-factor bands of ISO/IEC 11172-3 and 13818-3; 11025 and
// 12000 Hz take the long bands of 22050 Hz and the short bands of 16000 Hz.
constexpr BandEdges kEdges[9] = {
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 24, 32, 42, 56, 74, 100, 132, 174, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 114, 136, 162, 194, 232, 278, 332, 394, 464, 540, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 136, 180, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 52, 62, 74, 90, 110, 134, 162, 196, 238, 288, 342, 418, 576},
     {0, 4, 8, 12, 16, 22, 30, 40, 52, 66, 84, 106, 136, 192}},
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 42, 50, 60, 72, 88, 106, 128, 156, 190, 230, 276, 330, 384, 576},
     {0, 4, 8, 12, 16, 22, 28, 38, 50, 64, 80, 100, 126, 192}},
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 54, 66, 82, 102, 126, 156, 194, 240, 296, 364, 448, 550, 576},
     {0, 4, 8, 12, 16, 22, 30, 42, 58, 78, 104, 138, 180, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    {{0, 12, 24, 36, 48, 60, 72, 88, 108, 132, 160, 192, 232, 280, 336, 400, 476, 566, 568, 570, 572, 574, 576},
     {0, 8, 16, 24, 36, 52, 72, 96, 124, 160, 162, 164, 166, 192}},
};

}  // namespace

const BandEdges& bandEdges(uint32_t version, uint32_t samplingIndex) {
    const uint32_t row = 3u * (version > 2 ? 1u : version) + (samplingIndex > 2 ? 0u : samplingIndex);
    return kEdges[row];
}

unsigned mixedLongBandCount(const BandEdges& edges) {
    unsigned band = 0;
    while (band < kLongBands && edges.longEdges[band + 1] <= kMixedLongValues) ++band;
    return band;
}

unsigned mixedFirstShortBand(const BandEdges& edges) {
    unsigned band = 0;
    while (band < kShortBands && 3u * edges.shortEdges[band] < kMixedLongValues) ++band;
    return band;
}

}  // namespace sonidrax::mpeg
