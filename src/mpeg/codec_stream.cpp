#include <cstring>

#include "codec_instance.h"
#include "stream_start.h"

namespace sonidrax::mpeg {
namespace {

using decoder::Status;

Status readStart(decoder::Decoder* decoder, uint8_t* bytes) {
    if (decoder->services.readInput == nullptr) return decoder::kEndOfInput;
    return decoder->services.readInput(decoder, bytes, static_cast<int32_t>(kStreamStartBytes));
}

Status seekTo(decoder::Decoder* decoder, uint32_t offset) {
    if (decoder->services.seekInput == nullptr) return decoder::kNotAvailable;
    return decoder->services.seekInput(decoder, offset);
}

// An ID3 version 2 tag: "ID3", version, flags, then a 28-bit size in the low 7 bits of
// four bytes, most significant first; the size excludes the 10-byte tag header.
bool id3TagLength(const uint8_t* bytes, uint32_t& length) {
    if (std::memcmp(bytes, "ID3", 3) != 0) return false;
    length = 10 + ((uint32_t{bytes[6]} & 0x7F) << 21) + ((uint32_t{bytes[7]} & 0x7F) << 14) +
             ((uint32_t{bytes[8]} & 0x7F) << 7) + (uint32_t{bytes[9]} & 0x7F);
    return true;
}

void setProperty(decoder::Decoder* decoder, const char* name, uint32_t value) {
    if (decoder->services.setIntegerStatusProperty != nullptr)
        decoder->services.setIntegerStatusProperty(decoder, name, static_cast<int32_t>(value));
}

}  // namespace

Status analyseStream(MpegCodecInstance& codec, decoder::DecoderStatus* status) {
    decoder::Decoder* decoder = codec.decoder;
    if (decoder == nullptr || status == nullptr) return decoder::kInvalidParameters;
    status->mimeType = codec.mimeType;
    codec.dataLength = decoder->input.size;
    codec.hasSeekTable = false;

    uint8_t bytes[kStreamStartBytes];
    Status result = readStart(decoder, bytes);
    if (result != decoder::kSuccess) {
        // A stream shorter than the analysed start is still decoded from its beginning.
        seekTo(decoder, codec.dataStart);
        return result;
    }
    uint32_t tagLength = 0;
    if (id3TagLength(bytes, tagLength)) {
        codec.dataStart = tagLength;
        if (tagLength <= codec.dataLength) {
            codec.dataLength -= tagLength;
        } else {
            codec.dataStart = codec.dataLength;
            codec.dataLength = 0;
        }
        result = seekTo(decoder, codec.dataStart);
        if (result == decoder::kSuccess) result = readStart(decoder, bytes);
        if (result != decoder::kSuccess) {
            seekTo(decoder, codec.dataStart);
            return result;
        }
    }
    result = seekTo(decoder, codec.dataStart);
    if (result != decoder::kSuccess) return result;

    StreamStart start;
    if (!analyseStreamStart(codec.dataLength, bytes, kStreamStartBytes, start)) {
        status->changedBits = 0;
        return decoder::kNotAvailable;
    }
    codec.params = start.params;
    codec.vbr = start.vbr;
    codec.hasSeekTable = start.hasSeekTable;
    std::memcpy(codec.seekTable, start.seekTable, sizeof codec.seekTable);
    status->durationMs = start.durationMs;
    status->sampleRate = static_cast<int32_t>(start.params.sampleRate);
    status->bitrate = static_cast<int32_t>(start.params.bitrate);
    setProperty(decoder, "mpeg/level", start.params.level);
    setProperty(decoder, "mpeg/layer", start.params.layerNumber);
    setProperty(decoder, "mpeg/mode", start.params.mode);
    status->channels = start.params.mode == kModeSingleChannel ? 1 : 2;
    status->changedBits =
        decoder::kStatusPropertiesChanged | decoder::kStatusTimingChanged | decoder::kStatusMimeTypeChanged;
    return decoder::kSuccess;
}

float positionOfOffset(const MpegCodecInstance& codec, uint32_t byteOffset) {
    if (codec.dataLength == 0 || byteOffset < codec.dataStart) return 0.0f;
    return static_cast<float>(static_cast<double>(byteOffset - codec.dataStart) / codec.dataLength);
}

float offsetOfPosition(const MpegCodecInstance& codec, float position) {
    if (!(position >= 0.0f)) position = 0.0f;
    if (position > 1.0f) position = 1.0f;
    double result = position;
    if (codec.hasSeekTable) {
        int i = static_cast<int>(position * 100.0f);
        if (i > 99) i = 99;
        // The table has 100 entries: the one after the last is the end of the stream.
        const double next = i == 99 ? 256.0 : codec.seekTable[i + 1];
        const double entry = codec.seekTable[i];
        result = ((position * 100.0 - i) * (next - entry) + entry) * (1.0 / 256.0);
    }
    if (codec.dataStart != 0 && codec.dataLength != 0) {
        const double length = codec.dataLength;
        const double start = codec.dataStart;
        result = (result * length + start) / (length + start);
    }
    return static_cast<float>(result);
}

}  // namespace sonidrax::mpeg
