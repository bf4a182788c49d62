// The codec options and band gains a client sets through the decoder.
#include <algorithm>
#include <new>

#include "decoder/codec_call.h"
#include "decoder/decoder_internals.h"

namespace sonidrax::decoder {
namespace {

// Hands the fields selected by mask to the codec, when it takes parameters.
Status TellCodec(Decoder* decoder, std::int32_t mask) {
    const CodecModule* codec = decoder->codec.module;
    void* instance = decoder->codec.instance;
    if (codec == nullptr || instance == nullptr || codec->setParameters == nullptr) return kSuccess;
    const CodecParameters* parameters = &decoder->internals->parameters;
    return GuardedCodecCall(decoder, [&] { return codec->setParameters(instance, parameters, mask); });
}

// Refreshes the fields selected by mask from the codec, when it reports them.
void AskCodec(Decoder* decoder, std::int32_t mask) {
    const CodecModule* codec = decoder->codec.module;
    void* instance = decoder->codec.instance;
    if (codec == nullptr || instance == nullptr || codec->getParameters == nullptr) return;
    CodecParameters* parameters = &decoder->internals->parameters;
    GuardedCodecCall(decoder, [&] { return codec->getParameters(instance, parameters, mask); });
}

}  // namespace

Status SetCodecOption1(Decoder* decoder, std::int32_t value) {
    if (decoder == nullptr) return kInvalidParameters;
    decoder->internals->parameters.option1 = value;
    return TellCodec(decoder, kParameterOption1);
}

Status SetCodecOption2(Decoder* decoder, std::int32_t value) {
    if (decoder == nullptr) return kInvalidParameters;
    decoder->internals->parameters.option2 = value;
    return TellCodec(decoder, kParameterOption2);
}

std::int32_t GetCodecOption1(Decoder* decoder) {
    if (decoder == nullptr) return 0;
    AskCodec(decoder, kParameterOption1);
    return decoder->internals->parameters.option1;
}

std::int32_t GetCodecOption2(Decoder* decoder) {
    if (decoder == nullptr) return 0;
    AskCodec(decoder, kParameterOption2);
    return decoder->internals->parameters.option2;
}

Status SetBandGains(Decoder* decoder, const std::int8_t* table) {
    if (decoder == nullptr) return kInvalidParameters;
    CodecParameters& parameters = decoder->internals->parameters;
    if (table == nullptr) {
        delete[] parameters.bandGains;
        parameters.bandGains = nullptr;
    } else {
        if (parameters.bandGains == nullptr) {
            parameters.bandGains = new (std::nothrow) std::int8_t[kBandGainCount];
            if (parameters.bandGains == nullptr) return kOutOfMemory;
        }
        std::copy(table, table + kBandGainCount, parameters.bandGains);
    }
    return TellCodec(decoder, kParameterBandGains);
}

Status GetBandGains(Decoder* decoder, std::int8_t* tableOut) {
    if (decoder == nullptr || tableOut == nullptr) return kInvalidParameters;
    const std::int8_t* gains = decoder->internals->parameters.bandGains;
    if (gains == nullptr) {
        std::fill(tableOut, tableOut + kBandGainCount, std::int8_t{0});
    } else {
        std::copy(gains, gains + kBandGainCount, tableOut);
    }
    return kSuccess;
}

}  // namespace sonidrax::decoder
