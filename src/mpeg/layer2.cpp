#include "bit_cursor.h"
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

// One coded subband of a granule: a code (or three) read once, scaled for one channel
// or, above the joint-stereo bound, for both. Factors per part of 12 samples, with the
// class's step folded in.
struct Slot {
  const QuantClass* quant;
  uint32_t subband;
  uint32_t firstChannel;
  uint32_t sharing;
  float factor[2][3];
};

inline void readSlot(BitCursor& reader, const Slot& slot, uint32_t part, float (*blocks)[kSubbands]) {
  const QuantClass& quant = *slot.quant;
  float values[3];
  if (quant.groupTable != nullptr) {
    const float* group = quant.groupTable + 3 * reader.get(quant.codeBits);
    values[0] = group[0];
    values[1] = group[1];
    values[2] = group[2];
  } else {
    for (float& value : values) value = static_cast<float>(reader.get(quant.codeBits)) - quant.offset;
  }
  for (uint32_t c = 0; c < slot.sharing; ++c) {
    const float factor = slot.factor[c][part];
    float(*channel)[kSubbands] = blocks + 3 * (slot.firstChannel + c);
    channel[0][slot.subband] = values[0] * factor;
    channel[1][slot.subband] = values[1] * factor;
    channel[2][slot.subband] = values[2] * factor;
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

  Slot slots[2 * kMaxCoded];
  uint32_t count = 0;
  for (uint32_t sb = 0; sb < sblimit; ++sb) {
    const bool shared = sb >= bound;
    for (uint32_t ch = 0; ch < (shared ? 1 : channels); ++ch) {
      const QuantClass* quant = frame.quant[ch][sb];
      if (quant->codeBits == 0) continue;
      Slot& slot = slots[count++];
      slot.quant = quant;
      slot.subband = sb;
      slot.firstChannel = ch;
      slot.sharing = shared ? 2 : 1;
      for (uint32_t c = 0; c < slot.sharing; ++c)
        for (uint32_t part = 0; part < 3; ++part) {
          const float scale = frame.scale[ch + c][sb][part];
          slot.factor[c][part] = quant->groupTable != nullptr ? scale : quant->step * scale;
        }
    }
  }

  // blocks[3 * ch + i]: sample slot i of the granule, channel ch. Subbands that are not
  // coded stay zero.
  BitCursor bits(reader.words(), FrameReader::kFrameWords, reader.bitPosition());
  alignas(16) float blocks[6][kSubbands] = {};
  for (uint32_t granule = 0; granule < 12; ++granule) {
    const uint32_t part = granule / 4;
    for (uint32_t i = 0; i < count; ++i) readSlot(bits, slots[i], part, blocks);
    for (uint32_t i = 0; i < 3; ++i) feedSynthesis(blocks[i], channels == 2 ? blocks[3 + i] : nullptr, sblimit, out);
  }
  return kOk;
}

}  // namespace sonidrax::mpeg
