#pragma once
#include <cstdint>

#include "synthesis.h"

namespace sonidrax::mpeg {

// The synthesis channels chosen for one frame. Either may be absent (one channel
// chosen), or both may be the same object (the two channels mixed into one). A
// single-channel stream has only `left`.
struct OutputChannels {
    SynthesisChannel* left = nullptr;
    SynthesisChannel* right = nullptr;

    bool mixed() const { return left != nullptr && left == right; }
    // The rate shift in force for this frame (the codec sets the same on both).
    uint32_t rateShift() const {
        if (left != nullptr) return left->getRateShift();
        return right != nullptr ? right->getRateShift() : 0;
    }
};

// Hands one block of subband samples per coded channel to the chosen synthesis
// channels. `fed` subbands carry signal; with a reduced rate only 32 >> shift of them
// are kept, and the rest are fed as zeros. `right` is ignored for a single-channel
// stream (pass nullptr). Subbands from the kept ones up to `fed` are zeroed in the
// blocks.
void feedSynthesis(float* left, float* right, uint32_t fed, const OutputChannels& out);

}  // namespace sonidrax::mpeg
