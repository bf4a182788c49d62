#include "bit_reader.h"
#include "decoder/status.h"
#include "layer12.h"
#include "layer12_tables.h"

namespace sonidrax::mpeg {

using decoder::kDecodeAborted;
using decoder::kSuccess;

namespace {

constexpr uint32_t kSubbands = 32;
constexpr uint32_t kForbiddenAllocation = 15;
constexpr uint32_t kForbiddenScaleFactor = 63;

// Requantisation of an allocation a (a + 1 bits per sample): (s - c[a]) * d[a], with
// d[a] = 2 / (2^(a+1) - 1) and c[a] = 2^a - 1.
struct Requantiser {
    float factor[16] = {};
    float offset[16] = {};
    constexpr Requantiser() {
        for (uint32_t a = 1; a < 15; ++a) {
            factor[a] = 2.0f / static_cast<float>((1u << (a + 1)) - 1);
            offset[a] = static_cast<float>((1u << a) - 1);
        }
    }
};
constexpr Requantiser kRequantiser;

// One coded sample slot of a block: read `bits`, requantise, scale for one channel or,
// above the joint-stereo bound, for both. A slot of one channel writes the same value
// twice to the same place, so that the sample loop has no branch on the sharing.
struct Slot {
    uint32_t bits;
    float offset;
    float scale[2];
    float* destination[2];
};

uint32_t jointBound(const FrameHeader& header) {
    return header.mode == kModeJointStereo ? 4 * header.modeExtension + 4 : kSubbands;
}

}  // namespace

int32_t decodeLayer1(FrameReader& reader, const FrameHeader& header, const OutputChannels& out) {
    const uint32_t channels = isSingleChannel(header) ? 1 : 2;
    const uint32_t bound = channels == 2 ? jointBound(header) : kSubbands;
    BitReader bits = reader.bits();
    uint32_t allocation[2][kSubbands] = {};
    for (uint32_t sb = 0; sb < kSubbands; ++sb) {
        const uint32_t coded = sb < bound ? channels : 1;
        for (uint32_t ch = 0; ch < coded; ++ch) {
            allocation[ch][sb] = bits.get(4);
            if (allocation[ch][sb] == kForbiddenAllocation) return kDecodeAborted;
        }
        if (coded < channels) allocation[1][sb] = allocation[0][sb];
    }

    // Scale factors, in the same channel order; the factor of the allocation is folded in.
    const float* scaleFactors = mpeg::scaleFactors();
    float scale[2][kSubbands] = {};
    for (uint32_t sb = 0; sb < kSubbands; ++sb) {
        for (uint32_t ch = 0; ch < channels; ++ch) {
            const uint32_t a = allocation[ch][sb];
            if (a == 0) continue;
            const uint32_t index = bits.get(6);
            if (index == kForbiddenScaleFactor) return kDecodeAborted;
            scale[ch][sb] = scaleFactors[index] * kRequantiser.factor[a];
        }
    }

    // The coded samples of one block, in bit-stream order.
    alignas(16) float blocks[2][kSubbands] = {};
    Slot slots[2 * kSubbands];
    uint32_t count = 0;
    for (uint32_t sb = 0; sb < kSubbands; ++sb) {
        const bool shared = sb >= bound;
        for (uint32_t ch = 0; ch < (shared ? 1 : channels); ++ch) {
            const uint32_t a = allocation[ch][sb];
            if (a == 0) continue;
            const uint32_t second = shared && channels == 2 ? 1 : ch;
            slots[count++] = {a + 1,
                              kRequantiser.offset[a],
                              {scale[ch][sb], scale[second][sb]},
                              {&blocks[ch][sb], &blocks[second][sb]}};
        }
    }

    for (uint32_t position = 0; position < 12; ++position) {
        for (uint32_t i = 0; i < count; ++i) {
            const Slot& slot = slots[i];
            const float sample = static_cast<float>(bits.get(slot.bits)) - slot.offset;
            *slot.destination[0] = sample * slot.scale[0];
            *slot.destination[1] = sample * slot.scale[1];
        }
        feedSynthesis(blocks[0], channels == 2 ? blocks[1] : nullptr, kSubbands, out);
    }
    return kSuccess;
}

}  // namespace sonidrax::mpeg
