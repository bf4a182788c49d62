#include <cstdlib>
#include <cstring>

#include "codec_instance.h"
#include "decoder/status.h"
#include "layer12.h"

namespace sonidrax::mpeg {

using decoder::kDecodeAborted;

namespace {

using decoder::Status;

constexpr int32_t kChannelsInterleaved = 0;
constexpr int32_t kLeftOnly = 1;
constexpr int32_t kRightOnly = 2;
constexpr int32_t kMixed = 3;

uint32_t rateShiftFor(int32_t rateOption, uint32_t sampleRate) {
    if (rateOption == 1) return sampleRate >= 32000 ? 1 : 0;
    if (rateOption == 2) return sampleRate >= 32000 ? 2 : (sampleRate >= 16000 ? 1 : 0);
    return 0;
}

// Points the synthesis channels at the output buffer for this frame and says which of
// them the layer decoder feeds. Returns the number of output channels.
int32_t routeChannels(MpegCodecInstance& codec, int16_t* pcm, OutputChannels& out) {
    SynthesisChannel& left = codec.leftSynthesis;
    SynthesisChannel& right = codec.rightSynthesis;
    if (isSingleChannel(codec.frame)) {
        left.setOutput(pcm, 1);
        out = {&left, nullptr};
        return 1;
    }
    switch (codec.channelOption) {
        case kLeftOnly:
            left.setOutput(pcm, 1);
            out = {&left, nullptr};
            return 1;
        case kRightOnly:
            right.setOutput(pcm, 1);
            out = {nullptr, &right};
            return 1;
        case kMixed:
            left.setOutput(pcm, 1);
            out = {&left, &left};
            return 1;
        default:
            left.setOutput(pcm, 2);
            right.setOutput(pcm + 1, 2);
            out = {&left, &right};
            return 2;
    }
}

Status decodeLayers(MpegCodecInstance& codec, const OutputChannels& out) {
    switch (codec.frame.layer) {
        case kLayer1:
            return decodeLayer1(codec.reader, codec.frame, out);
        case kLayer2:
            return decodeLayer2(codec.reader, codec.frame, out);
        default:
            return decodeLayer3Frame(codec, out);
    }
}

void setProperty(decoder::Decoder* decoder, const char* name, uint32_t value) {
    if (decoder->services.setIntegerStatusProperty != nullptr)
        decoder->services.setIntegerStatusProperty(decoder, name, static_cast<int32_t>(value));
}

// Publishes what changed since the last frame, in the order level, layer, mode,
// sample rate, bit rate.
void publishParams(MpegCodecInstance& codec, const StreamParams& now, decoder::DecoderStatus* status) {
    decoder::Decoder* decoder = codec.decoder;
    StreamParams& known = codec.params;
    if (now.level != known.level) {
        known.level = now.level;
        setProperty(decoder, "mpeg/level", now.level);
        status->changedBits |= decoder::kStatusPropertiesChanged;
    }
    if (now.layerNumber != known.layerNumber) {
        known.layerNumber = now.layerNumber;
        setProperty(decoder, "mpeg/layer", now.layerNumber);
        status->changedBits |= decoder::kStatusPropertiesChanged;
    }
    if (now.mode != known.mode) {
        const bool wasSingle = known.mode == kModeSingleChannel;
        const bool isSingle = now.mode == kModeSingleChannel;
        known.mode = now.mode;
        setProperty(decoder, "mpeg/mode", now.mode);
        status->changedBits |= decoder::kStatusPropertiesChanged;
        status->channels = isSingle ? 1 : 2;
        if (wasSingle != isSingle) status->changedBits |= decoder::kStatusTimingChanged;
    }
    if (now.sampleRate != known.sampleRate) {
        known.sampleRate = now.sampleRate;
        status->sampleRate = static_cast<int32_t>(now.sampleRate);
        status->changedBits |= decoder::kStatusTimingChanged;
    }
    if (now.bitrate != known.bitrate) {
        known.bitrate = now.bitrate;
        status->bitrate = static_cast<int32_t>(now.bitrate);
        status->changedBits |= decoder::kStatusTimingChanged;
    }
}

// A running average of the bit rate, so that a variable-bit-rate stream does not
// report a new rate every frame.
void smoothBitrate(MpegCodecInstance& codec, uint32_t b, decoder::DecoderStatus* status) {
    const int32_t shown = status->bitrate;
    int32_t average;
    if (shown == 0) {
        status->bitrate = static_cast<int32_t>(b);
        codec.bitrateAverage = b * 1024;
        average = static_cast<int32_t>(b);
    } else {
        if (codec.bitrateAverage == 0) codec.bitrateAverage = static_cast<uint32_t>(shown) * 1024;
        codec.bitrateAverage = (codec.bitrateAverage * 31 + b * 1024) / 32;
        average = static_cast<int32_t>((codec.bitrateAverage + 512) / 1024);
    }
    if (std::abs(average - shown) > shown / 32) {
        status->bitrate = average;
        status->changedBits |= decoder::kStatusTimingChanged;
    }
}

void estimateDuration(const MpegCodecInstance& codec, decoder::DecoderStatus* status) {
    if (status->bitrate == 0 || (status->changedBits & decoder::kStatusTimingChanged) == 0 || codec.dataLength == 0 ||
        status->sampleRate <= 0)
        return;
    const double consumed = codec.decoder->input.bytesConsumed;
    const double seekPosition = codec.seekPosition;
    const double elapsed = codec.samplesSinceSeek * 1000.0 / status->sampleRate;
    const double rate =
        consumed > seekPosition && elapsed > 0.0 ? (consumed - seekPosition) / elapsed : status->bitrate;
    const double before = codec.seekPosition > codec.dataStart ? 0.8 * (seekPosition - codec.dataStart) / rate : 0.0;
    const double end = static_cast<double>(codec.dataStart) + codec.dataLength;
    const double remaining = (end - consumed) * 8.0 / status->bitrate;
    const double total = remaining + before + elapsed;
    status->durationMs = total <= 0.0 ? 0 : (total >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(total));
}

Status nextFrame(MpegCodecInstance& codec) {
    for (;;) {
        const int32_t result = codec.reader.nextFrame(codec.frame);
        if (result != kDecodeAborted) return result;
    }
}

}  // namespace

void resetInstance(MpegCodecInstance& codec) {
    codec.leftSynthesis.reset();
    codec.rightSynthesis.reset();
    resetLayer3State(codec);
    codec.reader.reset();
    codec.samplesSinceSeek = 0;
    codec.seekPosition = 0;
}

Status decodeFrame(MpegCodecInstance& codec, decoder::OutputBuffer* output, decoder::DecoderStatus* status) {
    if (output == nullptr || status == nullptr || output->pcm == nullptr) return decoder::kInvalidParameters;
    const Status found = nextFrame(codec);
    if (found != decoder::kSuccess) return found;

    const StreamParams now = paramsOf(codec.frame);
    const uint32_t shift = rateShiftFor(codec.rateOption, now.sampleRate);
    codec.leftSynthesis.setRateShift(shift);
    codec.rightSynthesis.setRateShift(shift);
    OutputChannels out;
    const int32_t channels = routeChannels(codec, output->pcm, out);
    const Status decoded = decodeLayers(codec, out);
    if (decoded != decoder::kSuccess) return decoded;

    const uint32_t samples = samplesPerFrame(codec.frame) >> shift;
    output->samplesPerChannel = static_cast<int32_t>(samples);
    output->channels = channels;
    output->sampleRate = static_cast<int32_t>(now.sampleRate >> shift);
    if (status->mimeType == nullptr || std::strcmp(status->mimeType, codec.mimeType) != 0) {
        status->mimeType = codec.mimeType;
        status->changedBits |= decoder::kStatusMimeTypeChanged;
    }
    codec.samplesSinceSeek += samples;
    if (codec.vbr) return decoder::kSuccess;
    publishParams(codec, now, status);
    smoothBitrate(codec, now.bitrate, status);
    estimateDuration(codec, status);
    return decoder::kSuccess;
}

}  // namespace sonidrax::mpeg
