#include "sounds/stream_sound.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace sonidrax {

namespace {

constexpr uint32_t kFormatBytes = 18;  // WAVEFORMATEX without extra bytes
// Positions reach scripts as signed 32-bit numbers.
constexpr double kLongestData = std::numeric_limits<int32_t>::max();

}  // namespace

StreamSound::StreamSound(const SoundContext& context, bool reversed, const StreamModules& modules)
    : SoundBuffer(context, kStreamKind, reversed), modules_(modules) {}

StreamSound::~StreamSound() { CloseSource(); }

Status StreamSound::CloseSource() {
    decoder::Decoder* stream = Stream();
    if (stream == nullptr) return kOk;
    decoder::CloseInput(stream);
    decoder::DestroyDecoder(stream);
    SetSource(nullptr);
    blockBytes_ = 0;
    blockOffset_ = 0;
    return kOk;
}

Status StreamSound::OpenFile(const char* path, uint32_t bufferBytes) {
    CloseSource();
    if (path == nullptr || SetFileName(path) != kOk) return kDeviceRefused;

    Status opened = OpenDecoder();
    if (opened != kOk) return opened;
    Status formatted = FillFormat();
    if (formatted != kOk) return formatted;

    // A reversed ring is primed from the end of the data, so its length is wanted
    // first wherever the stream tells it.
    SetDataBytes(DurationBytes());
    uint32_t primed = 0;
    Status created = CreateBuffer(bufferBytes != 0 ? bufferBytes : kDefaultStreamBufferBytes, &primed);
    if (created != kOk) return created;
    if (DataBytes() == 0) SetDataBytes(ExtrapolatedBytes(primed));
    return kOk;
}

// Decoder, modules, input and the first frame, which tells the format and stays
// the current block for the first read.
Status StreamSound::OpenDecoder() {
    decoder::Decoder* stream = nullptr;
    if (decoder::CreateDecoder(&stream) != decoder::kSuccess || stream == nullptr) return kDeviceRefused;
    SetSource(stream);
    decoder::RegisterInputModule(stream, modules_.fileInput);
    decoder::RegisterCodecModule(stream, modules_.codec);
    if (decoder::SelectInput(stream, FileName(), decoder::kAutomaticModule) != decoder::kSuccess) return kDeviceRefused;
    if (decoder::OpenInput(stream) != decoder::kSuccess) return kDeviceRefused;
    if (NextBlock() != decoder::kSuccess) return kUnsupportedFormat;
    return kOk;
}

Status StreamSound::FillFormat() {
    const decoder::OutputBuffer& block = Stream()->outputBuffer;
    if (block.channels < 1 || block.channels > 2 || block.sampleRate <= 0 || block.bytesPerSample != 2) {
        return kUnsupportedFormat;
    }
    WAVEFORMATEX* format = AllocateFormat(kFormatBytes);
    if (format == nullptr) return kOutOfMemory;
    format->wFormatTag = WAVE_FORMAT_PCM;
    format->nChannels = static_cast<WORD>(block.channels);
    format->nSamplesPerSec = static_cast<DWORD>(block.sampleRate);
    format->wBitsPerSample = static_cast<WORD>(8 * block.bytesPerSample);
    format->nBlockAlign = static_cast<WORD>(block.bytesPerSample * block.channels);
    format->nAvgBytesPerSec = format->wBitsPerSample * format->nChannels * format->nSamplesPerSec / 8;
    format->cbSize = 0;
    return kOk;
}

// The length the stream's duration gives; 0 when the duration is unknown.
uint32_t StreamSound::DurationBytes() const {
    double bytes = (Format()->nAvgBytesPerSec * 0.001) * Stream()->status.durationMs;
    return static_cast<uint32_t>(std::min(bytes, kLongestData));
}

// The length from the share of the stream that priming the ring consumed. A
// stream that cannot tell its share is taken to be what was primed: the one
// length known for sure, and a finite one.
uint32_t StreamSound::ExtrapolatedBytes(uint32_t primed) const {
    double share = Stream()->status.position;
    if (!(share > 0.0)) return primed;
    return static_cast<uint32_t>(std::min(primed / share, kLongestData));
}

// Decodes the next frame into the decoder's own buffer and makes it the current
// block; answers the decoder's status (kEndOfInput at the end of the stream).
decoder::Status StreamSound::NextBlock() {
    blockOffset_ = 0;
    blockBytes_ = 0;
    decoder::Decoder* stream = Stream();
    decoder::Status decoded = decoder::Decode(stream, nullptr);
    if (decoded != decoder::kSuccess) return decoded;
    const decoder::OutputBuffer& block = stream->outputBuffer;
    if (block.pcm == nullptr || block.samplesPerChannel < 0) return decoded;
    blockBytes_ = static_cast<uint32_t>(block.samplesPerChannel) * static_cast<uint32_t>(block.bytesPerSample) *
                  static_cast<uint32_t>(block.channels);
    return decoded;
}

uint32_t StreamSound::TakeFromBlock(uint8_t* dest, uint32_t count) {
    uint32_t n = std::min(count, blockBytes_ - blockOffset_);
    if (dest != nullptr) {
        std::memcpy(dest, reinterpret_cast<const uint8_t*>(Stream()->outputBuffer.pcm) + blockOffset_, n);
    }
    blockOffset_ += n;
    return n;
}

Status StreamSound::ReadData(uint8_t* dest, uint32_t count, uint32_t* bytesRead) {
    *bytesRead = 0;
    if (Stream() == nullptr) return kOk;
    uint32_t delivered = 0;
    // Set by a rewind and cleared by the first bytes after it: a stream that has
    // nothing to give right after its start must not be started over again.
    bool rewound = false;
    while (delivered < count) {
        if (blockOffset_ < blockBytes_) {
            uint32_t n = TakeFromBlock(dest != nullptr ? dest + delivered : nullptr, count - delivered);
            delivered += n;
            if (!Reversed()) SetSourcePos(SourcePos() + n);
            rewound = false;
            continue;
        }
        decoder::Status decoded = NextBlock();
        if (decoded == decoder::kSuccess) continue;
        // A frame that cannot be decoded ends the read with what it has. A reversed
        // read is a block inside the data, which the ring wraps itself.
        bool restart = decoded == decoder::kEndOfInput && GetLoop() && !Reversed() && !rewound;
        if (!restart || decoder::SeekPosition(Stream(), 0.0f) != decoder::kSuccess) break;
        rewound = true;
        SetSourcePos(0);
    }
    *bytesRead = delivered;
    if (Reversed() && delivered > 0) return ReverseFrames(dest, static_cast<int32_t>(delivered));
    return kOk;
}

// The ring counts positions as shares of dataBytes, so the stream is placed at the
// same share of itself. Seeking by time would go by the codec's duration, which it
// revises as it decodes, and would drift away from the ring's idea of the data.
Status StreamSound::SeekData(uint32_t bytePos) {
    decoder::Decoder* stream = Stream();
    if (stream == nullptr) return kOk;
    if (bytePos == 0) {
        decoder::SeekPosition(stream, 0.0f);
    } else {
        if (DataBytes() == 0) return kSourceFailed;
        double share = static_cast<double>(bytePos) / DataBytes();
        if (decoder::SeekPosition(stream, static_cast<float>(share)) != decoder::kSuccess) return kSourceFailed;
    }
    blockOffset_ = blockBytes_;
    SetSourcePos(bytePos);
    return kOk;
}

}  // namespace sonidrax
