#pragma once
#include <cstdint>

#include "frame_header.h"
#include "bit_reader.h"

namespace sonidrax::mpeg {

// Side information of one granule and channel.
struct GranuleInfo {
    uint32_t part23Length = 0;
    uint32_t bigValues = 0;
    uint32_t globalGain = 0;
    uint32_t scalefacCompress = 0;
    uint32_t windowSwitching = 0;
    uint32_t blockType = 0;
    uint32_t mixedBlock = 0;
    uint32_t tableSelect[3] = {};
    uint32_t subblockGain[3] = {};
    uint32_t region0Count = 0;
    uint32_t region1Count = 0;
    uint32_t region1Start = 0;  // spectral value where region 1 begins
    uint32_t region2Start = 0;
    uint32_t preflag = 0;
    uint32_t scalefacScale = 0;
    uint32_t count1Table = 0;

    bool isShort() const { return blockType == 2; }
    bool isMixed() const { return blockType == 2 && mixedBlock != 0; }
};

struct SideInfo {
    uint32_t mainDataBegin = 0;
    uint32_t scfsi[2] = {};
    GranuleInfo granule[2][2];  // [granule][channel]
    uint32_t mainDataBits = 0;  // sum of part2_3_length
    unsigned granules = 0;
    unsigned channels = 0;
};

// Largest part2_3_length sum the main-data buffer can hold (2 granules × 2 channels).
inline constexpr uint32_t kMaxMainDataBits = 4u * 4095u;

// Reads the side information of a Layer III frame of `header` (CRC already skipped).
// Returns kDecodeAborted for the forbidden values: big_values above 288 and a
// switched granule of block type 0.
int32_t readSideInfo(BitReader& bits, const FrameHeader& header, SideInfo& info);

}  // namespace sonidrax::mpeg
