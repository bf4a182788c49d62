#include "layer12.h"
#include "layer12_tables.h"
#include "status.h"

namespace sonidrax::mpeg {
namespace {

constexpr uint32_t kSubbands = 32;
constexpr uint32_t kMaxCoded = 30;

struct Layer2Frame {
  const QuantClass* quant[2][kMaxCoded];
  uint32_t scfsi[2][kMaxCoded];
  float scale[2][kMaxCoded][3];  // per part of 12 samples
};

// Three scale-factor indices of one subband and channel, as the selection says.
void readScaleFactors(FrameReader& reader, uint32_t scfsi, float* scale) {
  const float* table = scaleFactors();
  switch (scfsi) {
    case 0:
      scale[0] = table[reader.getBits(6)];
      scale[1] = table[reader.getBits(6)];
      scale[2] = table[reader.getBits(6)];
      break;
    case 1:
      scale[0] = scale[1] = table[reader.getBits(6)];
      scale[2] = table[reader.getBits(6)];
      break;
    case 2:
      scale[0] = scale[1] = scale[2] = table[reader.getBits(6)];
      break;
    default:
      scale[0] = table[reader.getBits(6)];
      scale[1] = scale[2] = table[reader.getBits(6)];
      break;
  }
}

// Reads the three samples of one granule of a subband and scales them for each channel
// that shares the code (one, or both above the joint-stereo bound).
void readTriple(FrameReader& reader, const QuantClass& quant, const float* scales, uint32_t sharing,
                float (*blocks)[kSubbands], uint32_t firstChannel, uint32_t sb) {
  if (quant.codeBits == 0) {
    for (uint32_t c = 0; c < sharing; ++c)
      for (uint32_t i = 0; i < 3; ++i) blocks[3 * (firstChannel + c) + i][sb] = 0.0f;
    return;
  }
  float values[3];
  if (quant.groupTable != nullptr) {
    const float* group = quant.groupTable + 3 * reader.getBits(quant.codeBits);
    values[0] = group[0];
    values[1] = group[1];
    values[2] = group[2];
  } else {
    for (uint32_t i = 0; i < 3; ++i) values[i] = static_cast<float>(reader.getBits(quant.codeBits)) - quant.offset;
  }
  for (uint32_t c = 0; c < sharing; ++c) {
    const float factor = quant.groupTable != nullptr ? scales[c] : quant.step * scales[c];
    for (uint32_t i = 0; i < 3; ++i) blocks[3 * (firstChannel + c) + i][sb] = values[i] * factor;
  }
}

}  // namespace

int32_t decodeLayer2(FrameReader& reader, const FrameHeader& header, const OutputChannels& out) {
  const Layer2Table& table = chooseLayer2Table(header);
  const uint32_t sblimit = table.sblimit;
  const uint32_t channels = isSingleChannel(header) ? 1 : 2;
  uint32_t bound = sblimit;
  if (channels == 2 && header.mode == kModeJointStereo) {
    bound = 4 * header.modeExtension + 4;
    if (bound > sblimit) return kDecodeAborted;
  }

  Layer2Frame frame;
  for (uint32_t sb = 0; sb < sblimit; ++sb) {
    const AllocationRecord& record = *table.records[sb];
    const uint32_t coded = sb < bound ? channels : 1;
    for (uint32_t ch = 0; ch < coded; ++ch) frame.quant[ch][sb] = record.classes[reader.getBits(record.nbal)];
    if (coded < channels) frame.quant[1][sb] = frame.quant[0][sb];
  }
  for (uint32_t sb = 0; sb < sblimit; ++sb)
    for (uint32_t ch = 0; ch < channels; ++ch)
      frame.scfsi[ch][sb] = frame.quant[ch][sb]->codeBits != 0 ? reader.getBits(2) : 0;
  for (uint32_t sb = 0; sb < sblimit; ++sb)
    for (uint32_t ch = 0; ch < channels; ++ch)
      if (frame.quant[ch][sb]->codeBits != 0) readScaleFactors(reader, frame.scfsi[ch][sb], frame.scale[ch][sb]);

  // blocks[3 * ch + i]: sample slot i of the granule, channel ch.
  alignas(16) float blocks[6][kSubbands] = {};
  for (uint32_t granule = 0; granule < 12; ++granule) {
    const uint32_t part = granule / 4;
    for (uint32_t sb = 0; sb < sblimit; ++sb) {
      if (sb < bound) {
        for (uint32_t ch = 0; ch < channels; ++ch) {
          const float scale = frame.scale[ch][sb][part];
          readTriple(reader, *frame.quant[ch][sb], &scale, 1, blocks, ch, sb);
        }
      } else {
        const float scales[2] = {frame.scale[0][sb][part], frame.scale[1][sb][part]};
        readTriple(reader, *frame.quant[0][sb], scales, 2, blocks, 0, sb);
      }
    }
    for (uint32_t i = 0; i < 3; ++i) feedSynthesis(blocks[i], channels == 2 ? blocks[3 + i] : nullptr, sblimit, out);
  }
  return kOk;
}

}  // namespace sonidrax::mpeg
