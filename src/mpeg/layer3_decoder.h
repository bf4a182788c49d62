#pragma once
#include <cstdint>

#include "frame_header.h"
#include "frame_reader.h"
#include "layer3_scale_factors.h"
#include "layer3_side_info.h"
#include "subband_feed.h"

namespace sonidrax::mpeg {

// The Layer III decoder of MPEG-1, MPEG-2 and MPEG-2.5: side information, main data
// from the bit reservoir, scale factors, Huffman decoding with requantisation, joint
// stereo, the hybrid filter bank, and synthesis into the chosen channels. Its state
// (the overlap of the hybrid filter bank) lives inside the object; a frame allocates
// nothing.
class Layer3Decoder {
public:
    Layer3Decoder() { reset(); }

    // Decodes the Layer III frame the reader has just delivered (CRC skipped) and
    // synthesises 18 blocks per granule into `out`. A frame whose main data reaches
    // back before the reservoir's start comes out as silence of the full length and
    // clears the overlap. Returns 0, or kDecodeAborted for forbidden side information
    // (nothing is output then).
    int32_t decodeFrame(FrameReader& reader, const FrameHeader& header, const OutputChannels& out);

    // Forgets the overlap of the hybrid filter bank (a new stream or a seek).
    void reset();

private:
    void decodeGranule(const FrameHeader& header, BitReader& bits, uint32_t& position, unsigned gr,
                       const OutputChannels& out);
    void silence(unsigned granules, const OutputChannels& out);

    static constexpr unsigned kValues = 576;

    SideInfo side_;
    ScaleFactors scale_[2];
    alignas(16) float spectrum_[2][kValues];
    alignas(16) float overlap_[2][kValues];
    alignas(16) float time_[2][kValues];  // 18 synthesis blocks of 32 subband samples
    unsigned overlapSubbands_[2] = {};
    unsigned dirty_[2] = {};  // spectrum_ values at or above are zero
};

}  // namespace sonidrax::mpeg
