#include "bit_reader.h"
#include "decoder/status.h"
#include "layer12.h"
#include "layer12_tables.h"

namespace sonidrax::mpeg {

using decoder::kDecodeAborted;
using decoder::kSuccess;

namespace {

constexpr uint32_t kSubbands = 32;
constexpr uint32_t kMaxCoded = 30;

struct Layer2Frame {
    const QuantClass* quant[2][kMaxCoded];
    uint32_t scfsi[2][kMaxCoded];
    float scale[2][kMaxCoded][3];  // per part of 12 samples
};

// Three scale-factor indices of one subband and channel, as the selection says.
void readScaleFactors(BitReader& bits, uint32_t scfsi, float* scale) {
    const float* table = scaleFactors();
    switch (scfsi) {
        case 0:
            scale[0] = table[bits.get(6)];
            scale[1] = table[bits.get(6)];
            scale[2] = table[bits.get(6)];
            break;
        case 1:
            scale[0] = scale[1] = table[bits.get(6)];
            scale[2] = table[bits.get(6)];
            break;
        case 2:
            scale[0] = scale[1] = scale[2] = table[bits.get(6)];
            break;
        default:
            scale[0] = table[bits.get(6)];
            scale[1] = scale[2] = table[bits.get(6)];
            break;
    }
}

// One coded subband of a granule: a code (or three) read once, scaled for one channel
// or, above the joint-stereo bound, for both. A subband coded for one channel writes
// the same values twice to the same place, so that the granule loop has no branch on
// the sharing. Factors per part of 12 samples, with the class's step folded in.
struct Slot {
    const float* groupTable;
    uint32_t codeBits;
    bool oneRead;  // the three codes fit one read of up to 32 bits
    float offset;
    float* destination[2];  // the subband in sample slot 0 of the granule; slots 1 and 2 follow a block apart
    float factor[3][2];     // [part][channel]
};

inline void readSlot(BitReader& bits, const Slot& slot, uint32_t part) {
    float v0, v1, v2;
    if (slot.groupTable != nullptr) {
        const float* group = slot.groupTable + 3 * bits.get(slot.codeBits);
        v0 = group[0];
        v1 = group[1];
        v2 = group[2];
    } else if (slot.oneRead) {
        const uint32_t n = slot.codeBits;
        const uint32_t codes = bits.get(3 * n);
        const uint32_t mask = (1u << n) - 1;
        v0 = static_cast<float>(codes >> (2 * n)) - slot.offset;
        v1 = static_cast<float>((codes >> n) & mask) - slot.offset;
        v2 = static_cast<float>(codes & mask) - slot.offset;
    } else {
        v0 = static_cast<float>(bits.get(slot.codeBits)) - slot.offset;
        v1 = static_cast<float>(bits.get(slot.codeBits)) - slot.offset;
        v2 = static_cast<float>(bits.get(slot.codeBits)) - slot.offset;
    }
    const float f0 = slot.factor[part][0];
    const float f1 = slot.factor[part][1];
    float* d0 = slot.destination[0];
    float* d1 = slot.destination[1];
    d0[0] = v0 * f0;
    d0[kSubbands] = v1 * f0;
    d0[2 * kSubbands] = v2 * f0;
    d1[0] = v0 * f1;
    d1[kSubbands] = v1 * f1;
    d1[2 * kSubbands] = v2 * f1;
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

    BitReader bits = reader.bits();
    Layer2Frame frame;
    for (uint32_t sb = 0; sb < sblimit; ++sb) {
        const AllocationRecord& record = *table.records[sb];
        const uint32_t coded = sb < bound ? channels : 1;
        for (uint32_t ch = 0; ch < coded; ++ch) frame.quant[ch][sb] = record.classes[bits.get(record.nbal)];
        if (coded < channels) frame.quant[1][sb] = frame.quant[0][sb];
    }
    for (uint32_t sb = 0; sb < sblimit; ++sb)
        for (uint32_t ch = 0; ch < channels; ++ch)
            frame.scfsi[ch][sb] = frame.quant[ch][sb]->codeBits != 0 ? bits.get(2) : 0;
    for (uint32_t sb = 0; sb < sblimit; ++sb)
        for (uint32_t ch = 0; ch < channels; ++ch)
            if (frame.quant[ch][sb]->codeBits != 0) readScaleFactors(bits, frame.scfsi[ch][sb], frame.scale[ch][sb]);

    // blocks[3 * ch + i]: sample slot i of the granule, channel ch. Subbands that are not
    // coded stay zero.
    alignas(16) float blocks[6][kSubbands] = {};
    Slot slots[2 * kMaxCoded];
    uint32_t count = 0;
    for (uint32_t sb = 0; sb < sblimit; ++sb) {
        const bool shared = sb >= bound && channels == 2;
        for (uint32_t ch = 0; ch < (sb >= bound ? 1 : channels); ++ch) {
            const QuantClass* quant = frame.quant[ch][sb];
            if (quant->codeBits == 0) continue;
            Slot& slot = slots[count++];
            slot.groupTable = quant->groupTable;
            slot.codeBits = quant->codeBits;
            slot.oneRead = 3 * quant->codeBits <= 32;
            slot.offset = quant->offset;
            const uint32_t second = shared ? 1 : ch;
            slot.destination[0] = &blocks[3 * ch][sb];
            slot.destination[1] = &blocks[3 * second][sb];
            const float step = quant->groupTable != nullptr ? 1.0f : quant->step;
            for (uint32_t part = 0; part < 3; ++part) {
                slot.factor[part][0] = step * frame.scale[ch][sb][part];
                slot.factor[part][1] = step * frame.scale[second][sb][part];
            }
        }
    }

    for (uint32_t granule = 0; granule < 12; ++granule) {
        const uint32_t part = granule / 4;
        for (uint32_t i = 0; i < count; ++i) readSlot(bits, slots[i], part);
        for (uint32_t i = 0; i < 3; ++i)
            feedSynthesis(blocks[i], channels == 2 ? blocks[3 + i] : nullptr, sblimit, out);
    }
    return kSuccess;
}

}  // namespace sonidrax::mpeg
