#include <new>

#include "decoder/codec_call.h"
#include "decoder/decoder_internals.h"

namespace sonidrax::decoder {

Status CreateDecoder(Decoder** decoderOut) {
    if (decoderOut == nullptr) return kInvalidParameters;
    *decoderOut = nullptr;
    auto* decoder = new (std::nothrow) Decoder{};
    if (decoder == nullptr) return kOutOfMemory;
    decoder->internals = new (std::nothrow) DecoderInternals{};
    if (decoder->internals == nullptr) {
        delete decoder;
        return kOutOfMemory;
    }
    if (CreatePropertyList(&decoder->status.statusProperties) != kSuccess ||
        CreatePropertyList(&decoder->internals->decoderProperties) != kSuccess) {
        DestroyPropertyList(decoder->status.statusProperties);
        delete decoder->internals;
        delete decoder;
        return kOutOfMemory;
    }
    decoder->input.mimeType = "unknown";
    decoder->output.caps = kDefaultOutputCaps;
    InitializeFilterChains(decoder);
    InstallServices(decoder);
    *decoderOut = decoder;
    return kSuccess;
}

void DeleteCodecInstance(Decoder* decoder) {
    CodecState& codec = decoder->codec;
    if (codec.instance != nullptr && codec.module != nullptr) {
        const CodecModule* module = codec.module;
        void* instance = codec.instance;
        GuardedCodecCall(decoder, [&] { return module->deleteInstance(instance); });
    }
    codec = CodecState{};
    // The codec may have pointed the status at a text of its own.
    decoder->status.mimeType = nullptr;
}

Status DestroyDecoder(Decoder* decoder) {
    if (decoder == nullptr) return kSuccess;
    DecoderInternals* in = decoder->internals;
    ReleaseInput(decoder);
    DeleteInputFilters(decoder);
    ReleaseOutput(decoder);
    DeleteOutputFilters(decoder);
    DestroyPropertyList(decoder->status.statusProperties);
    delete[] in->parameters.bandGains;
    DeleteCodecInstance(decoder);
    FreeRegistries(decoder);
    DestroyPropertyList(in->decoderProperties);
    delete in;
    delete decoder;
    return kSuccess;
}

}  // namespace sonidrax::decoder
