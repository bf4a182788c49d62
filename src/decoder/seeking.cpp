// Moving the input: by bytes, by position, by seconds and by timecode.
#include <cmath>

#include "decoder/codec_call.h"
#include "decoder/decoder_internals.h"

namespace sonidrax::decoder {
namespace {

// The longest time a timecode holds without overflowing its hours.
constexpr double kLongestSeconds = 2147483647.0;

}  // namespace

Timecode SecondsToTimecode(double seconds) {
    if (!(seconds > 0.0)) return Timecode{};
    if (seconds > kLongestSeconds) seconds = kLongestSeconds;
    const auto whole = static_cast<std::int64_t>(seconds);
    const std::int64_t hours = whole / 3600;
    const std::int64_t minutes = static_cast<std::int64_t>(seconds - hours * 3600.0) / 60;
    const double rest = seconds - hours * 3600.0 - minutes * 60.0;
    const auto wholeSeconds = static_cast<std::int64_t>(rest);
    const auto hundredths = static_cast<std::int64_t>(rest * 100.0 - wholeSeconds * 100.0);
    return Timecode{static_cast<std::int32_t>(hours), static_cast<std::int32_t>(minutes),
                    static_cast<std::int32_t>(wholeSeconds), static_cast<std::int32_t>(hundredths)};
}

Status SeekBytes(Decoder* decoder, std::uint32_t byteOffset) {
    if (decoder == nullptr) return kInvalidParameters;
    InputState& input = decoder->input;
    if (input.state != kOpen) return InternalError(decoder, "input not open");
    if ((input.caps & kInputSeekable) == 0 || input.size == 0) return kNotAvailable;
    if (byteOffset > input.size) byteOffset = input.size;
    input.bytesConsumed = byteOffset;

    const CodecModule* codec = decoder->codec.module;
    void* instance = decoder->codec.instance;
    const bool haveCodec = codec != nullptr && instance != nullptr;
    DecoderStatus& status = decoder->status;
    float position = static_cast<float>(static_cast<double>(byteOffset) / input.size);
    if (haveCodec && codec->positionOfOffset != nullptr) {
        const Status s = GuardedCodecCall(decoder, [&] {
            position = codec->positionOfOffset(instance, byteOffset);
            return kSuccess;
        });
        if (s != kSuccess) return s;
    }
    status.position = ClampPosition(position);
    status.timecode = SecondsToTimecode(status.durationMs * static_cast<double>(status.position) * 0.001);

    if (haveCodec && codec->seekDone != nullptr) {
        const Status s = GuardedCodecCall(decoder, [&] { return codec->seekDone(instance, byteOffset); });
        if (s != kSuccess) return s;
    }
    InputFilterElement* head = decoder->internals->inputChain;
    return head->filter.seek(head, byteOffset);
}

Status SeekPosition(Decoder* decoder, float position) {
    if (decoder == nullptr) return kInvalidParameters;
    if (decoder->input.state != kOpen) return InternalError(decoder, "input not open");
    position = ClampPosition(position);
    const CodecModule* codec = decoder->codec.module;
    void* instance = decoder->codec.instance;
    if (codec != nullptr && instance != nullptr && codec->offsetOfPosition != nullptr) {
        const float asked = position;
        const Status s = GuardedCodecCall(decoder, [&] {
            position = codec->offsetOfPosition(instance, asked);
            return kSuccess;
        });
        if (s != kSuccess) return s;
        position = ClampPosition(position);
    }
    const double offset = static_cast<double>(decoder->input.size) * position;
    return SeekBytes(decoder, static_cast<std::uint32_t>(offset));
}

Status SeekSeconds(Decoder* decoder, float seconds) {
    if (decoder == nullptr) return kInvalidParameters;
    const std::uint32_t durationMs = decoder->status.durationMs;
    if (durationMs == 0) return SeekPosition(decoder, 0.0f);
    const double from = seconds > 0.0f ? seconds : 0.0;
    return SeekPosition(decoder, static_cast<float>(from * 1000.0 / durationMs));
}

Status SeekTimecode(Decoder* decoder, const Timecode* timecode) {
    if (decoder == nullptr || timecode == nullptr) return kInvalidParameters;
    const double seconds =
        timecode->hours * 3600.0 + timecode->minutes * 60.0 + timecode->seconds + timecode->hundredths * 0.01;
    return SeekSeconds(decoder, static_cast<float>(seconds));
}

}  // namespace sonidrax::decoder
