#pragma once
#include <cstdint>

#include "frame_header.h"
#include "frame_reader.h"
#include "subband_feed.h"

namespace sonidrax::mpeg {

// Decode the Layer I or II frame whose bits the reader holds (CRC already skipped) and
// synthesise it into the chosen channels. Return 0, or kDecodeAborted for a forbidden
// value (the frame then produces no complete output and must be dropped).
int32_t decodeLayer1(FrameReader& reader, const FrameHeader& header, const OutputChannels& out);
int32_t decodeLayer2(FrameReader& reader, const FrameHeader& header, const OutputChannels& out);

}  // namespace sonidrax::mpeg
