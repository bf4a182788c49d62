#pragma once
#include <cstdint>

#include "frame_header.h"
#include "bit_reader.h"
#include "layer3_side_info.h"

namespace sonidrax::mpeg {

// Scale factors of one granule and channel. For the right channel of an intensity
// stereo frame they are the intensity positions, and `longLimit` / `shortLimit`
// hold the illegal position of each band (the largest value its length can code
// in MPEG-2 and MPEG-2.5, 7 in MPEG-1): such bands are not intensity coded.
struct ScaleFactors {
    uint8_t longBands[22] = {};
    uint8_t shortBands[13][3] = {};
    uint8_t longLimit[22] = {};
    uint8_t shortLimit[13] = {};
};

// How MPEG-2 and MPEG-2.5 code their scale factors for one scalefac_compress value
// (ISO/IEC 13818-3): the lengths of the four groups, the preflag and the row of the
// band-count table.
struct LsfScaleFactorLayout {
    uint8_t slen[4];
    uint8_t preflag;
    uint8_t row;  // 0-2, and 3-5 for the right channel under intensity stereo
};

LsfScaleFactorLayout lsfScaleFactorLayout(uint32_t scalefacCompress, bool intensityRight);

// Number of scale factors per group, by layout row and block kind (0 long, 1 short,
// 2 mixed).
const uint8_t* lsfBandCounts(unsigned row, unsigned blockKind);

// Reads the scale factors of granule `gr`, channel `ch`, and returns the number of
// bits they took (part2_length). `sf` keeps the values of granule 0 that scfsi
// copies into granule 1 in MPEG-1. The MPEG-2 preflag is stored into `g`.
uint32_t readScaleFactors(BitReader& bits, const FrameHeader& header, const SideInfo& info, unsigned gr, unsigned ch,
                          GranuleInfo& g, ScaleFactors& sf);

}  // namespace sonidrax::mpeg
