#include "layer12.h"
#include "layer12_tables.h"
#include "status.h"

namespace sonidrax::mpeg {
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

uint32_t jointBound(const FrameHeader& header) {
  return header.mode == kModeJointStereo ? 4 * header.modeExtension + 4 : kSubbands;
}

}  // namespace

int32_t decodeLayer1(FrameReader& reader, const FrameHeader& header, const OutputChannels& out) {
  const uint32_t channels = isSingleChannel(header) ? 1 : 2;
  const uint32_t bound = channels == 2 ? jointBound(header) : kSubbands;
  uint32_t allocation[2][kSubbands] = {};
  float scale[2][kSubbands] = {};  // scale factor times the allocation's factor

  for (uint32_t sb = 0; sb < kSubbands; ++sb) {
    const uint32_t coded = sb < bound ? channels : 1;
    for (uint32_t ch = 0; ch < coded; ++ch) {
      allocation[ch][sb] = reader.getBits(4);
      if (allocation[ch][sb] == kForbiddenAllocation) return kDecodeAborted;
    }
    if (coded < channels) allocation[1][sb] = allocation[0][sb];
  }
  const float* scaleFactors = mpeg::scaleFactors();
  for (uint32_t sb = 0; sb < kSubbands; ++sb) {
    for (uint32_t ch = 0; ch < channels; ++ch) {
      const uint32_t a = allocation[ch][sb];
      if (a == 0) continue;
      const uint32_t index = reader.getBits(6);
      if (index == kForbiddenScaleFactor) return kDecodeAborted;
      scale[ch][sb] = scaleFactors[index] * kRequantiser.factor[a];
    }
  }

  alignas(16) float blocks[2][kSubbands];
  for (uint32_t position = 0; position < 12; ++position) {
    for (uint32_t sb = 0; sb < kSubbands; ++sb) {
      if (sb < bound) {
        for (uint32_t ch = 0; ch < channels; ++ch) {
          const uint32_t a = allocation[ch][sb];
          blocks[ch][sb] =
              a == 0 ? 0.0f : (static_cast<float>(reader.getBits(a + 1)) - kRequantiser.offset[a]) * scale[ch][sb];
        }
        continue;
      }
      const uint32_t a = allocation[0][sb];
      const float sample = a == 0 ? 0.0f : static_cast<float>(reader.getBits(a + 1)) - kRequantiser.offset[a];
      blocks[0][sb] = sample * scale[0][sb];
      blocks[1][sb] = sample * scale[1][sb];
    }
    feedSynthesis(blocks[0], channels == 2 ? blocks[1] : nullptr, kSubbands, out);
  }
  return kOk;
}

}  // namespace sonidrax::mpeg
