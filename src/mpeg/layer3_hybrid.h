#pragma once

#include "layer3_side_info.h"

namespace sonidrax::mpeg {

// The hybrid filter bank of one granule and channel, in place: `samples` holds the
// 576 requantised (and stereo-processed) spectral values, 18 per subband, and
// receives the 18 time samples of each subband at the same places. `overlap` keeps
// the second half of each subband's last transform for the next granule.
//
// `extent` is the spectral extent (values at or above it are zero), which lets the
// transform skip the silent top subbands; `subbandLimit` (32, or fewer at a reduced
// output rate) caps the subbands that are transformed at all. Skipped subbands
// output their overlap and clear it.
void hybridSynthesis(float* samples, float* overlap, const GranuleInfo& g, unsigned extent, unsigned subbandLimit);

// The eight alias-reduction butterflies across each subband boundary below `boundaries`.
void reduceAliasing(float* samples, unsigned boundaries);

}  // namespace sonidrax::mpeg
