#include "subband_feed.h"

namespace sonidrax::mpeg {

void feedSynthesis(float* left, float* right, uint32_t fed, const OutputChannels& out) {
    const uint32_t shift = out.rateShift();
    uint32_t kept = fed;
    if (shift != 0 && kept > (32u >> shift)) kept = 32u >> shift;
    for (uint32_t sb = kept; sb < fed; ++sb) {
        left[sb] = 0.0f;
        if (right != nullptr) right[sb] = 0.0f;
    }
    if (right == nullptr) {  // single-channel stream
        if (out.left != nullptr) out.left->synthesise(left);
        return;
    }
    if (out.mixed()) {
        float mix[32] = {};
        for (uint32_t sb = 0; sb < kept; ++sb) mix[sb] = (left[sb] + right[sb]) * 0.5f;
        out.left->synthesise(mix);
        return;
    }
    if (out.left != nullptr && out.right != nullptr) {
        SynthesisChannel::synthesisePair(*out.left, *out.right, left, right);
        return;
    }
    if (out.left != nullptr) out.left->synthesise(left);
    if (out.right != nullptr) out.right->synthesise(right);
}

}  // namespace sonidrax::mpeg
