// Selecting, opening, closing and releasing the decoder's output.
#include <cstring>

#include "decoder/decoder_internals.h"
#include "decoder/text.h"

namespace sonidrax::decoder {
namespace {

// As for inputs, automatic selection passes over a module without probe.
const OutputModuleRecord* ProbeOutputModules(const Decoder* decoder, const char* name) {
    for (const OutputModuleRecord* r = decoder->internals->outputModules; r != nullptr; r = r->previous) {
        if (r->module.probe != nullptr && r->module.probe(name) == kSuccess) return r;
    }
    return nullptr;
}

OutputFilterElement* Head(Decoder* decoder) { return decoder->internals->outputChain; }

}  // namespace

Status SelectOutput(Decoder* decoder, const char* name, std::int32_t moduleId) {
    if (decoder == nullptr) return kInvalidParameters;
    if (name == nullptr) name = "";
    const bool probing = moduleId == kAutomaticModule;
    const OutputModuleRecord* record =
        probing ? ProbeOutputModules(decoder, name) : FindOutputModule(decoder, moduleId);
    if (record == nullptr) return probing ? kNoOutputModuleAccepts : kNoSuchModule;

    OutputState& output = decoder->output;
    if (output.instance != nullptr && output.module == &record->module && output.name != nullptr &&
        std::strcmp(output.name, name) == 0) {
        return kSuccess;
    }
    ReleaseOutput(decoder);
    output.state = kClosed;
    output.name = CopyText(name);
    if (output.name == nullptr) return kOutOfMemory;
    output.module = &record->module;
    const Status s = record->module.newInstance(&output.instance, output.name, &record->head, decoder);
    if (s != kSuccess) {
        output.instance = nullptr;
        output.module = nullptr;
        FreeText(output.name);
        output.name = nullptr;
        return s;
    }
    output.caps = 0;
    return kSuccess;
}

Status ReleaseOutput(Decoder* decoder) {
    if (decoder == nullptr) return kInvalidParameters;
    OutputState& output = decoder->output;
    if (output.state == kOpen) CloseOutput(decoder);
    if (output.instance != nullptr && output.module != nullptr) output.module->deleteInstance(output.instance);
    output.instance = nullptr;
    output.module = nullptr;
    FreeText(output.name);
    output.name = nullptr;
    output.state = kClosed;
    return kSuccess;
}

Status OpenOutput(Decoder* decoder) {
    if (decoder == nullptr) return kInvalidParameters;
    OutputState& output = decoder->output;
    if (output.instance == nullptr) return InternalError(decoder, "null output instance");
    if (output.module == nullptr) return InternalError(decoder, "null output module");
    if (output.state == kOpen) return InternalError(decoder, "output not closed");
    const Status opened = Head(decoder)->filter.open(Head(decoder));
    if (opened != kSuccess) return opened;
    // A zero format makes the first decode report a change, so the output hears it.
    decoder->outputBuffer.bytesPerSample = 0;
    decoder->outputBuffer.channels = 0;
    decoder->outputBuffer.sampleRate = 0;
    output.caps = Head(decoder)->filter.caps(Head(decoder));
    output.state = kOpen;
    return kSuccess;
}

Status CloseOutput(Decoder* decoder) {
    if (decoder == nullptr) return kInvalidParameters;
    OutputState& output = decoder->output;
    if (output.state != kOpen) return InternalError(decoder, "output not open");
    output.caps = 0;
    output.state = kClosed;
    return Head(decoder)->filter.close(Head(decoder));
}

Status OutputControls(Decoder* decoder, OutputControlBlock* record, std::int32_t mask) {
    if (decoder == nullptr) return kInvalidParameters;
    if (decoder->output.state != kOpen) return InternalError(decoder, "output not open");
    if (record == nullptr) return InternalError(decoder, "null control block");
    return Head(decoder)->filter.controls(Head(decoder), record, mask);
}

Status OutputMessage(Decoder* decoder, std::intptr_t a, std::intptr_t b, std::intptr_t c) {
    if (decoder == nullptr) return kInvalidParameters;
    if (decoder->output.instance == nullptr) return InternalError(decoder, "null output instance");
    return Head(decoder)->filter.message(Head(decoder), a, b, c);
}

}  // namespace sonidrax::decoder
