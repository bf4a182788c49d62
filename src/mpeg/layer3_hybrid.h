#pragma once

#include "layer3_side_info.h"

namespace sonidrax::mpeg {

// The hybrid filter bank of one granule and channel. `spectrum` holds the 576
// requantised (and stereo-processed) values, 18 per subband; alias reduction works
// on it in place. `out` receives the 18 × 32 time samples, time-major (sample t of
// subband sb at 32 t + sb), so that each run of 32 is one synthesis block.
// `overlap` keeps the second half of each subband's last transform for the next
// granule (time-major as well), and `overlapSubbands`
// how many low subbands of it may be non-zero.
//
// `extent` is the spectral extent (values at or above it are zero), which lets the
// transform skip the silent top subbands; `subbandLimit` (32, or fewer at a reduced
// output rate) caps the subbands that are transformed at all. Skipped subbands
// output their overlap and clear it.
struct HybridState {
    float* overlap;             // 576 values: sample t of subband sb at 32 t + sb
    unsigned* overlapSubbands;  // 0 to 32
};
void hybridSynthesis(float* spectrum, const HybridState& state, float* out, const GranuleInfo& g, unsigned extent,
                     unsigned subbandLimit);

// The eight alias-reduction butterflies across each subband boundary below `boundaries`.
void reduceAliasing(float* samples, unsigned boundaries);

}  // namespace sonidrax::mpeg
