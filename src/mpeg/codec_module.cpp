#include <cmath>
#include <cstring>
#include <new>

#include "codec_instance.h"
#include "mpeg_codec.h"

namespace sonidrax::mpeg {
namespace {

using decoder::Status;

constexpr uint32_t kCodecCaps = 3;
constexpr std::align_val_t kInstanceAlignment{64};  // bit 0: analyses a seekable stream in advance

MpegCodecInstance& self(void* instance) { return *static_cast<MpegCodecInstance*>(instance); }

void copyText(char* destination, const char* text) {
    std::strncpy(destination, text, decoder::kModuleInfoTextSize - 1);
    destination[decoder::kModuleInfoTextSize - 1] = '\0';
}

int32_t readThroughDecoder(void* context, uint8_t* buffer, uint32_t count) {
    auto* decoder = static_cast<decoder::Decoder*>(context);
    if (decoder == nullptr || decoder->services.readInput == nullptr) return decoder::kEndOfInput;
    return decoder->services.readInput(decoder, buffer, static_cast<int32_t>(count));
}

Status probe(const char*, const char*) { return decoder::kSuccess; }

Status query(decoder::ModuleInfo* info, int32_t flags) {
    if (info == nullptr) return decoder::kInvalidParameters;
    if (flags & decoder::kQueryDeviceCount) info->index = 1;
    if (flags & decoder::kQueryModule) {
        copyText(info->name, "MPEG Audio Codec");
        copyText(info->description, "Version 1.2");
        return decoder::kSuccess;
    }
    if (flags & decoder::kQueryDevice) {
        if (info->index != 0) return decoder::kInvalidParameters;
        copyText(info->name, "MP1, MP2, MP3");
        copyText(info->description, "MPEG 1 or 2 audio");
        info->flags = 0;
    }
    if (flags & decoder::kQueryMaxOutput) info->maxOutputBytes = kMaxOutputBytes;
    if (flags & decoder::kQueryCodecCaps) info->flags = kCodecCaps;
    return decoder::kSuccess;
}

Status newInstance(void** instanceOut, const char*, const char*, const decoder::ModuleRecord*,
                   decoder::Decoder* decoder) {
    if (instanceOut == nullptr) return decoder::kInvalidParameters;
    // Explicitly aligned: some C runtimes' plain allocation gives only 8-byte alignment,
    // less than the vector code's data wants.
    void* memory = ::operator new(sizeof(MpegCodecInstance), kInstanceAlignment, std::nothrow);
    *instanceOut = memory;
    if (memory == nullptr) return decoder::kOutOfMemory;
    auto* codec = new (memory) MpegCodecInstance;
    *instanceOut = codec;
    codec->decoder = decoder;
    codec->reader.setInput(ByteSource{decoder, readThroughDecoder});
    resetInstance(*codec);
    return decoder::kSuccess;
}

Status deleteInstance(void* instance) {
    if (instance == nullptr) return decoder::kSuccess;
    static_cast<MpegCodecInstance*>(instance)->~MpegCodecInstance();
    ::operator delete(instance, kInstanceAlignment);
    return decoder::kSuccess;
}

Status decode(void* instance, decoder::OutputBuffer* output, decoder::DecoderStatus* status) {
    return decodeFrame(self(instance), output, status);
}

Status streamInfo(void* instance, decoder::DecoderStatus* status) { return analyseStream(self(instance), status); }

float positionSlot(void* instance, uint32_t byteOffset) { return positionOfOffset(self(instance), byteOffset); }

float offsetSlot(void* instance, float position) { return offsetOfPosition(self(instance), position); }

Status inputChanged(void* instance, const char*, const char*) {
    MpegCodecInstance& codec = self(instance);
    codec.vbr = false;
    codec.params = kNothingKnownYet;
    codec.bitrateAverage = 0;
    codec.dataLength = codec.decoder != nullptr ? codec.decoder->input.size : 0;
    codec.dataStart = 0;
    resetInstance(codec);
    return decoder::kSuccess;
}

Status seekDone(void* instance, uint32_t byteOffset) {
    MpegCodecInstance& codec = self(instance);
    resetInstance(codec);
    codec.seekPosition = byteOffset;
    return decoder::kSuccess;
}

Status reset(void* instance) {
    resetInstance(self(instance));
    return decoder::kSuccess;
}

float gainOfByte(int8_t b) {
    return b >= 0 ? 1.0f + static_cast<float>(b) / 32.0f : 1.0f / (1.0f - static_cast<float>(b) / 32.0f);
}

// The inverse of gainOfByte. Rounded rather than truncated: a gain such as 1 / 1.15625
// is not exact in single precision, and truncation would hand back a neighbouring byte.
int8_t byteOfGain(float gain) {
    const double g = gain;
    const double value = g >= 1.0 ? (g - 1.0) * 32.0 : (1.0 - 1.0 / g) * 32.0;
    const long rounded = std::lround(value);
    return static_cast<int8_t>(rounded < -128 ? -128 : (rounded > 127 ? 127 : rounded));
}

void setEqualiser(MpegCodecInstance& codec, const int8_t* bandGains) {
    if (bandGains == nullptr) {
        codec.leftSynthesis.setGains(nullptr);
        codec.rightSynthesis.setGains(nullptr);
        return;
    }
    float gains[2][32];
    for (int i = 0; i < 64; ++i) gains[i / 32][i % 32] = gainOfByte(bandGains[i]);
    codec.leftSynthesis.setGains(gains[0]);
    codec.rightSynthesis.setGains(gains[1]);
}

Status setParameters(void* instance, const decoder::CodecParameters* parameters, int32_t mask) {
    if (parameters == nullptr) return decoder::kInvalidParameters;
    MpegCodecInstance& codec = self(instance);
    if (mask & decoder::kParameterOption1) codec.channelOption = parameters->option1;
    if (mask & decoder::kParameterOption2) codec.rateOption = parameters->option2;
    if (mask & decoder::kParameterBandGains) setEqualiser(codec, parameters->bandGains);
    return decoder::kSuccess;
}

void writeGains(const SynthesisChannel& channel, int8_t* bytes) {
    for (int i = 0; i < 32; ++i) bytes[i] = channel.hasGains() ? byteOfGain(channel.getGains()[i]) : 0;
}

Status getParameters(void* instance, decoder::CodecParameters* parameters, int32_t mask) {
    if (parameters == nullptr) return decoder::kInvalidParameters;
    const MpegCodecInstance& codec = self(instance);
    if (mask & decoder::kParameterOption1) parameters->option1 = codec.channelOption;
    if (mask & decoder::kParameterOption2) parameters->option2 = codec.rateOption;
    if ((mask & decoder::kParameterBandGains) && parameters->bandGains != nullptr) {
        writeGains(codec.leftSynthesis, parameters->bandGains);
        writeGains(codec.rightSynthesis, parameters->bandGains + 32);
    }
    return decoder::kSuccess;
}

}  // namespace

Status GetMpegCodecModule(decoder::CodecModule* descriptor) {
    if (descriptor == nullptr) return decoder::kInvalidParameters;
    *descriptor = decoder::CodecModule{};
    descriptor->version = decoder::kModuleVersion;
    descriptor->probe = probe;
    descriptor->query = query;
    descriptor->newInstance = newInstance;
    descriptor->deleteInstance = deleteInstance;
    descriptor->decode = decode;
    descriptor->streamInfo = streamInfo;
    descriptor->positionOfOffset = positionSlot;
    descriptor->offsetOfPosition = offsetSlot;
    descriptor->inputChanged = inputChanged;
    descriptor->inputClosed = nullptr;
    descriptor->seekDone = seekDone;
    descriptor->reset = reset;
    descriptor->setParameters = setParameters;
    descriptor->getParameters = getParameters;
    return decoder::kSuccess;
}

}  // namespace sonidrax::mpeg
