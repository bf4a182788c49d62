#include "decoder/codec_selection.h"

#include "decoder/codec_call.h"

namespace sonidrax::decoder {
namespace {

const CodecModuleRecord* ProbeCodecs(Decoder* decoder, const char* mimeType, const char* name) {
    for (const CodecModuleRecord* r = decoder->internals->codecModules; r != nullptr; r = r->previous) {
        const CodecModule& m = r->module;
        if (GuardedCodecCall(decoder, [&] { return m.probe(mimeType, name); }) == kSuccess) return r;
    }
    return nullptr;
}

Status CreateCodecInstance(Decoder* decoder, const CodecModuleRecord* record, const char* mimeType, const char* name) {
    DeleteCodecInstance(decoder);
    CodecState& codec = decoder->codec;
    codec.module = &record->module;
    const Status s = GuardedCodecCall(
        decoder, [&] { return record->module.newInstance(&codec.instance, mimeType, name, &record->head, decoder); });
    if (s != kSuccess || codec.instance == nullptr) {
        codec = CodecState{};
        return s != kSuccess ? s : kInternalError;
    }
    return kSuccess;
}

Status QueryCodec(Decoder* decoder) {
    CodecState& codec = decoder->codec;
    ModuleInfo info{};
    const CodecModule* module = codec.module;
    const Status s = GuardedCodecCall(decoder, [&] { return module->query(&info, kQueryMaxOutput | kQueryCodecCaps); });
    if (s != kSuccess) return s;
    codec.maxOutputBytes = info.maxOutputBytes;
    codec.caps = static_cast<std::uint32_t>(info.flags);
    return kSuccess;
}

Status HandParameters(Decoder* decoder) {
    const CodecModule* module = decoder->codec.module;
    if (module->setParameters == nullptr) return kSuccess;
    void* instance = decoder->codec.instance;
    const CodecParameters* parameters = &decoder->internals->parameters;
    return GuardedCodecCall(decoder, [&] { return module->setParameters(instance, parameters, kAllParameters); });
}

}  // namespace

Status ChooseCodec(Decoder* decoder) {
    const char* mimeType = decoder->input.mimeType != nullptr ? decoder->input.mimeType : "audio/unknown";
    const char* name = decoder->input.name;
    const CodecModuleRecord* record = ProbeCodecs(decoder, mimeType, name);
    if (record == nullptr) return kNoCodecAccepts;
    if (decoder->codec.instance != nullptr && decoder->codec.module == &record->module) return kSuccess;
    if (const Status s = CreateCodecInstance(decoder, record, mimeType, name); s != kSuccess) return s;
    if (const Status s = QueryCodec(decoder); s != kSuccess) return s;
    return HandParameters(decoder);
}

}  // namespace sonidrax::decoder
