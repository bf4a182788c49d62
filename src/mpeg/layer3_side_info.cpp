#include "layer3_side_info.h"

#include "decoder/status.h"
#include "layer3_bands.h"

namespace sonidrax::mpeg {

using decoder::kDecodeAborted;
using decoder::kSuccess;

namespace {

constexpr uint32_t kMaxBigValues = 288;

void setRegions(GranuleInfo& g, const BandEdges& edges) {
    if (g.windowSwitching) {
        // The implied region0_count of the standard: three short bands for short and
        // mixed blocks, eight long bands for start and stop blocks.
        g.region1Start = g.isShort() ? 3u * edges.shortEdges[3] : edges.longEdges[8];
        g.region2Start = 576;
        return;
    }
    g.region1Start = edges.longEdges[g.region0Count + 1];
    const uint32_t band2 = g.region0Count + g.region1Count + 2;
    g.region2Start = band2 < kLongBands ? edges.longEdges[band2] : 576u;
}

int32_t readGranule(BitReader& bits, bool mpeg1, const BandEdges& edges, GranuleInfo& g) {
    g.part23Length = bits.get(12);
    g.bigValues = bits.get(9);
    g.globalGain = bits.get(8);
    g.scalefacCompress = bits.get(mpeg1 ? 4 : 9);
    g.windowSwitching = bits.get(1);
    if (g.windowSwitching) {
        g.blockType = bits.get(2);
        g.mixedBlock = bits.get(1);
        g.tableSelect[0] = bits.get(5);
        g.tableSelect[1] = bits.get(5);
        g.tableSelect[2] = 0;
        for (uint32_t& gain : g.subblockGain) gain = bits.get(3);
        g.region0Count = 0;
        g.region1Count = 0;
    } else {
        g.blockType = 0;
        g.mixedBlock = 0;
        for (uint32_t& table : g.tableSelect) table = bits.get(5);
        for (uint32_t& gain : g.subblockGain) gain = 0;
        g.region0Count = bits.get(4);
        g.region1Count = bits.get(3);
    }
    g.preflag = mpeg1 ? bits.get(1) : 0;
    g.scalefacScale = bits.get(1);
    g.count1Table = bits.get(1);
    if (g.bigValues > kMaxBigValues) return kDecodeAborted;
    if (g.windowSwitching && g.blockType == 0) return kDecodeAborted;
    setRegions(g, edges);
    return kSuccess;
}

}  // namespace

int32_t readSideInfo(BitReader& bits, const FrameHeader& header, SideInfo& info) {
    const bool mpeg1 = header.version == kVersionMpeg1;
    const bool single = isSingleChannel(header);
    const BandEdges& edges = bandEdges(header.version, header.samplingIndex);
    info.channels = single ? 1 : 2;
    info.granules = mpeg1 ? 2 : 1;
    info.mainDataBegin = bits.get(mpeg1 ? 9 : 8);
    bits.get(mpeg1 ? (single ? 5 : 3) : (single ? 1 : 2));  // private bits
    info.scfsi[0] = info.scfsi[1] = 0;
    if (mpeg1) {
        for (unsigned ch = 0; ch < info.channels; ++ch) info.scfsi[ch] = bits.get(4);
    }
    info.mainDataBits = 0;
    for (unsigned gr = 0; gr < info.granules; ++gr) {
        for (unsigned ch = 0; ch < info.channels; ++ch) {
            GranuleInfo& g = info.granule[gr][ch];
            const int32_t status = readGranule(bits, mpeg1, edges, g);
            if (status != kSuccess) return status;
            info.mainDataBits += g.part23Length;
        }
    }
    return kSuccess;
}

}  // namespace sonidrax::mpeg
