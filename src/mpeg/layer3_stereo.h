#pragma once
#include <cstdint>

#include "frame_header.h"
#include "layer3_bands.h"
#include "layer3_scale_factors.h"
#include "layer3_side_info.h"

namespace sonidrax::mpeg {

// The joint-stereo tools of one granule, applied to the requantised spectra of
// both channels (576 values each, short blocks reordered):
// - mid/side (modeExtension bit 1): left = (m + s) / sqrt 2, right = (m - s) / sqrt 2;
// - intensity (modeExtension bit 0): above the highest non-zero value of the right
//   channel (per window for short blocks), both channels are formed from the left
//   one with the intensity positions carried by the right channel's scale factors,
//   as ISO/IEC 11172-3 (MPEG-1) and ISO/IEC 13818-3 (MPEG-2, MPEG-2.5) specify.
//   Bands whose position is illegal keep the mid/side or plain coding.
// `extents` holds each channel's spectral extent (values at or above it are zero)
// and is updated.
struct StereoGranule {
    const FrameHeader* header;
    const GranuleInfo* right;        // side information of the right channel
    const ScaleFactors* rightScale;  // its scale factors: the intensity positions
    const BandEdges* edges;
};

void applyJointStereo(const StereoGranule& granule, float* left, float* right, unsigned extents[2]);

// Intensity factors for one position: left = m × kl, right = m × kr.
struct IntensityFactors {
    float left;
    float right;
};
IntensityFactors mpeg1Intensity(unsigned position);
IntensityFactors lsfIntensity(unsigned position, unsigned intensityScale);

}  // namespace sonidrax::mpeg
