// Decoding one frame, and decoding one frame into the output.
#include <cstdio>
#include <cstdlib>

#include "decoder/codec_call.h"
#include "decoder/decoder_internals.h"

namespace sonidrax::decoder {
namespace {

float PositionAfterDecode(Decoder* decoder, Status& status) {
    const InputState& input = decoder->input;
    const CodecModule* codec = decoder->codec.module;
    float position = 0.0f;
    if (codec->positionOfOffset != nullptr) {
        void* instance = decoder->codec.instance;
        const std::uint32_t offset = input.bytesConsumed;
        status = GuardedCodecCall(decoder, [&] {
            position = codec->positionOfOffset(instance, offset);
            return kSuccess;
        });
    } else if (input.size != 0) {
        position = static_cast<float>(static_cast<double>(input.bytesConsumed) / input.size);
    }
    return ClampPosition(position);
}

double SecondsPlayed(const Decoder* decoder) {
    const DecoderStatus& status = decoder->status;
    if (status.durationMs != 0) return status.durationMs * static_cast<double>(status.position) * 0.001;
    if (status.bitrate != 0) return decoder->input.bytesConsumed / (status.bitrate * 125.0);
    return 0.0;
}

std::uint32_t FormatChanges(const OutputBuffer& before, const OutputBuffer& after) {
    std::uint32_t bits = 0;
    if (after.bytesPerSample != before.bytesPerSample) bits |= kBytesPerSampleChanged;
    if (after.channels != before.channels) bits |= kChannelsChanged | kSampleRateChanged;
    if (after.sampleRate != before.sampleRate) bits |= kSampleRateChanged;
    return bits;
}

OutputFilterElement* OutputHead(Decoder* decoder) { return decoder->internals->outputChain; }

}  // namespace

Status Decode(Decoder* decoder, std::int16_t* buffer) {
    if (decoder == nullptr) return kInvalidParameters;
    if (decoder->input.state != kOpen) return InternalError(decoder, "input not open");
    const CodecModule* codec = decoder->codec.module;
    void* instance = decoder->codec.instance;
    if (codec == nullptr || instance == nullptr) return InternalError(decoder, "null codec instance");
    // The internal buffer has a fixed size; a codec that may write more needs the
    // caller's buffer.
    if (buffer == nullptr && decoder->codec.maxOutputBytes > static_cast<std::int32_t>(kInternalBufferBytes)) {
        return InternalError(decoder, "codec output larger than the internal buffer");
    }

    OutputBuffer& out = decoder->outputBuffer;
    const OutputBuffer before = out;
    out.pcm = buffer != nullptr ? buffer : decoder->internals->buffer;
    out.bytesPerSample = 2;
    decoder->status.changedBits = 0;

    DecoderStatus* status = &decoder->status;
    const Status decoded = GuardedCodecCall(decoder, [&] { return codec->decode(instance, &out, status); });
    if (decoded != kSuccess) return decoded;

    Status positioned = kSuccess;
    status->position = PositionAfterDecode(decoder, positioned);
    if (positioned != kSuccess) return positioned;
    status->timecode = SecondsToTimecode(SecondsPlayed(decoder));
    out.changedBits = FormatChanges(before, out);
    return kSuccess;
}

Status DecodeAndPlay(Decoder* decoder) {
    if (decoder == nullptr) return kInvalidParameters;
    if (decoder->output.state != kOpen) return InternalError(decoder, "output not open");
    OutputFilterElement* head = OutputHead(decoder);
    std::int16_t* buffer = head->filter.getBuffer(head, decoder->codec.maxOutputBytes);
    if (const Status s = Decode(decoder, buffer); s != kSuccess) return s;

    OutputBuffer& out = decoder->outputBuffer;
    if (out.changedBits != 0) {
        const OutputFormat format{out.bytesPerSample, out.sampleRate, out.channels};
        if (head->filter.setFormat(head, &format, out.changedBits) == kNoOutputModuleAccepts) {
            return kNoOutputModuleAccepts;
        }
    }
    if (decoder->output.instance != nullptr && (decoder->output.caps & kOutputHasValue) != 0) {
        std::int32_t value = 0;
        out.outputValue = head->filter.getValue(head, &value) == kSuccess ? value : 0;
    }
    const std::int32_t bytes = out.samplesPerChannel * out.bytesPerSample * out.channels;
    const std::int32_t written =
        head->filter.write(head, out.pcm, bytes, out.bytesPerSample, out.channels, out.sampleRate);
    // An output that answers with an error code has lost the block; say so rather
    // than report success.
    return written < 0 ? written : kSuccess;
}

[[noreturn]] void AbortDecode(Decoder* decoder) {
    if (decoder == nullptr || decoder->internals->codecCallDepth == 0) {
        // Nothing of the decoder's is on the stack to return to.
        std::fputs("sonidrax decoder: AbortDecode called outside a codec call\n", stderr);
        std::abort();
    }
    throw DecodeAbort{};
}

}  // namespace sonidrax::decoder
