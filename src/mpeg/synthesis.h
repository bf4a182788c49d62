#pragma once
#include <cstdint>

#include "synthesis_path.h"

namespace sonidrax::mpeg {

// One output channel's polyphase synthesis filterbank: turns blocks of 32 subband
// samples into 32 signed 16-bit PCM samples (fewer at a reduced rate), written straight
// into the caller's buffer at this channel's position and stride. The filter memory
// carries from block to block until reset(). No allocation after construction.
class SynthesisChannel {
public:
    static constexpr uint32_t kSubbands = 32;
    static constexpr uint32_t kColumns = 16;  // V blocks remembered

    // The channel runs on the given path, fixed for its lifetime.
    explicit SynthesisChannel(SynthesisPath path = synthesisPath());
    SynthesisPath getPath() const { return path; }

    // Clears the filter memory. Gains, rate shift, output position and stride are kept.
    void reset();

    // Where the next PCM sample goes, and the distance in samples between this channel's
    // successive samples (2 when two channels are interleaved, 1 otherwise).
    void setOutput(int16_t* output, uint32_t stride) {
        this->output = output;
        this->stride = stride;
    }
    int16_t* outputPosition() const { return output; }

    // 0, 1 or 2: one output sample in 2^shift is produced. Samples at a reduced rate are
    // truncated toward zero instead of rounded.
    void setRateShift(uint32_t shift) { rateShift = shift > 2 ? 2 : shift; }
    uint32_t getRateShift() const { return rateShift; }

    // The equaliser: 32 gains, one per subband, applied before matrixing; nullptr turns
    // it off. The gains are copied.
    void setGains(const float* gains);
    bool hasGains() const { return gainsOn; }
    const float* getGains() const { return gains; }

    // Consumes 32 subband samples (subband 0 first) and writes 32 >> rateShift samples.
    void synthesise(const float* input);
    // Both channels of an interleaved pair at once, the same as left.synthesise(l) then
    // right.synthesise(r), but the two blocks are woven into the output together.
    static void synthesisePair(SynthesisChannel& left, SynthesisChannel& right, const float* l, const float* r);
    // Writes 32 >> rateShift zero samples; the filter memory is left as it is.
    void silence();

    // What one filter step reads and writes: the (equalised) input, the column of each
    // half that receives the new V values, the current half, and the window rows for it.
    struct Step {
        const float* input;
        float* now;
        float* later;
        const float* history;
        const float* base;
    };

    // The conversion of one windowed sum to a 16-bit sample: rounded to nearest with ties
    // to even at the full rate, truncated toward zero at a reduced rate, then clipped.
    static int16_t toPcm(double sum, bool truncate);

private:
    // The filter step proper: all 32 samples of the block into pcm, and the ring moved on.
    void filter(const float* input, int16_t* pcm);
    Step prepare(const float* input, float* scaled);
    void advance() {
        offset = (offset - 1) & (kColumns - 1);
        current ^= 1;
    }
    bool interleavedWith(const SynthesisChannel& right) const {
        return stride == 2 && right.stride == 2 && right.output == output + 1 && right.rateShift == rateShift;
    }

    // halves[h][column][j]: the V values that output sample j of a block needs from an
    // earlier block. A block's V[0..31] go to the current half and V[32..63] to the other,
    // in column `offset`; the current half alternates, so the current half always holds
    // exactly the 16 values each output sample sums.
    alignas(16) float halves[2][kColumns][kSubbands];
    alignas(16) float gains[kSubbands];
    const float* windowTable;  // synthesisWindow(), kept at hand
    bool gainsOn = false;
    uint32_t current = 0;
    uint32_t offset = 0;
    uint32_t rateShift = 0;
    int16_t* output = nullptr;
    uint32_t stride = 1;
    SynthesisPath path;
};

}  // namespace sonidrax::mpeg
