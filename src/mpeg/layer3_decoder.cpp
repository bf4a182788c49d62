#include "layer3_decoder.h"

#include <algorithm>

#include "decoder/status.h"
#include "layer3_bands.h"
#include "layer3_hybrid.h"
#include "layer3_spectrum.h"
#include "layer3_stereo.h"

namespace sonidrax::mpeg {

using decoder::kSuccess;

namespace {

constexpr unsigned kBlocksPerGranule = 18;
constexpr unsigned kSubbands = 32;

// Which coded channels reach an output: the left synthesis takes channel 0, the
// right one channel 1, and a mixed output takes both.
bool channelIsOutput(const OutputChannels& out, unsigned ch, unsigned channels) {
    if (channels == 1) return out.left != nullptr;
    return ch == 0 ? out.left != nullptr : out.right != nullptr;
}

}  // namespace

void Layer3Decoder::reset() {
    std::fill(&spectrum_[0][0], &spectrum_[0][0] + 2 * kValues, 0.0f);
    std::fill(&overlap_[0][0], &overlap_[0][0] + 2 * kValues, 0.0f);
    std::fill(&time_[0][0], &time_[0][0] + 2 * kValues, 0.0f);
    overlapSubbands_[0] = overlapSubbands_[1] = 0;
    dirty_[0] = dirty_[1] = 0;
    side_ = SideInfo{};
    scale_[0] = scale_[1] = ScaleFactors{};
}

void Layer3Decoder::silence(unsigned granules, const OutputChannels& out) {
    for (unsigned block = 0; block < granules * kBlocksPerGranule; ++block) {
        if (out.left != nullptr) out.left->silence();
        if (out.right != nullptr && out.right != out.left) out.right->silence();
    }
}

int32_t Layer3Decoder::decodeFrame(FrameReader& reader, const FrameHeader& header, const OutputChannels& out) {
    BitReader sideBits = reader.bits();
    const int32_t status = readSideInfo(sideBits, header, side_);
    if (status != kSuccess) {
        // The frame is dropped, but its main data stays in the reservoir for the frames
        // that reach back into it.
        reader.fetchMainData(0, 0);
        return status;
    }

    if (!reader.fetchMainData(side_.mainDataBegin, side_.mainDataBits)) {
        silence(side_.granules, out);
        reset();
        return kSuccess;
    }
    const uint32_t words = std::min((side_.mainDataBits + 31) / 32, FrameReader::kFrameWords);
    BitReader bits(reader.words(), words);
    uint32_t position = 0;
    for (unsigned gr = 0; gr < side_.granules; ++gr) decodeGranule(header, bits, position, gr, out);
    return kSuccess;
}

void Layer3Decoder::decodeGranule(const FrameHeader& header, BitReader& bits, uint32_t& position, unsigned gr,
                                  const OutputChannels& out) {
    const BandEdges& edges = bandEdges(header.version, header.samplingIndex);
    const unsigned channels = side_.channels;
    unsigned extents[2] = {0, 0};
    for (unsigned ch = 0; ch < channels; ++ch) {
        GranuleInfo& g = side_.granule[gr][ch];
        const uint32_t end = position + g.part23Length;
        bits.seek(position);
        readScaleFactors(bits, header, side_, gr, ch, g, scale_[ch]);
        extents[ch] = decodeSpectrum(bits, end, g, scale_[ch], edges, spectrum_[ch], dirty_[ch]);
        position = end;
    }
    if (channels == 2) {
        const StereoGranule stereo{&header, &side_.granule[gr][1], &scale_[1], &edges};
        applyJointStereo(stereo, spectrum_[0], spectrum_[1], extents);
    }

    for (unsigned ch = 0; ch < channels; ++ch) {
        // Alias reduction reaches into the subband above the last non-zero one.
        const unsigned subbands = (extents[ch] + kBlocksPerGranule - 1) / kBlocksPerGranule + 1;
        dirty_[ch] = std::min(subbands * kBlocksPerGranule, kValues);
    }
    const unsigned limit = kSubbands >> out.rateShift();
    for (unsigned ch = 0; ch < channels; ++ch) {
        if (!channelIsOutput(out, ch, channels)) continue;
        const HybridState state{overlap_[ch], &overlapSubbands_[ch]};
        hybridSynthesis(spectrum_[ch], state, time_[ch], side_.granule[gr][ch], extents[ch], limit);
    }

    for (unsigned t = 0; t < kBlocksPerGranule; ++t) {
        float* right = channels == 2 ? time_[1] + kSubbands * t : nullptr;
        feedSynthesis(time_[0] + kSubbands * t, right, kSubbands, out);
    }
}

}  // namespace sonidrax::mpeg
