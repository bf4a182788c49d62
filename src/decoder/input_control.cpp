// Selecting, opening, closing and releasing the decoder's input.
#include <cstring>

#include "decoder/codec_call.h"
#include "decoder/codec_selection.h"
#include "decoder/decoder_internals.h"
#include "decoder/text.h"

namespace sonidrax::decoder {
namespace {

// Automatic selection passes over a module without probe: it cannot say whether it
// accepts the name, and calling a null method is not an answer. Such a module is
// still selected by its id.
const InputModuleRecord* ProbeInputModules(const Decoder* decoder, const char* name) {
    for (const InputModuleRecord* r = decoder->internals->inputModules; r != nullptr; r = r->previous) {
        if (r->module.probe != nullptr && r->module.probe(name) == kSuccess) return r;
    }
    return nullptr;
}

void ResetInputState(InputState& input) {
    input.caps = 0;
    input.bytesConsumed = 0;
    input.size = 0;
    input.mimeType = "unknown";
}

void ResetStatus(DecoderStatus& status) {
    status.position = 0.0f;
    status.changedBits = 0;
    status.durationMs = 0;
    status.sampleRate = 0;
    status.bitrate = 0;
    status.channels = 0;
    status.mimeType = nullptr;
    status.timecode = Timecode{};
    ClearProperties(status.statusProperties);
}

InputFilterElement* Head(Decoder* decoder) { return decoder->internals->inputChain; }

// Closes the input again after a failed open step and answers that step's status.
Status FailOpen(Decoder* decoder, Status status) {
    CloseInput(decoder);
    return status;
}

}  // namespace

Status SelectInput(Decoder* decoder, const char* name, std::int32_t moduleId) {
    if (decoder == nullptr) return kInvalidParameters;
    if (name == nullptr) name = "";
    const bool probing = moduleId == kAutomaticModule;
    const InputModuleRecord* record = probing ? ProbeInputModules(decoder, name) : FindInputModule(decoder, moduleId);
    if (record == nullptr) return probing ? kNoInputModuleAccepts : kNoSuchModule;

    InputState& input = decoder->input;
    if (input.instance != nullptr && input.module == &record->module && input.name != nullptr &&
        std::strcmp(input.name, name) == 0) {
        return kSuccess;
    }
    ReleaseInput(decoder);
    input.state = kClosed;
    input.name = CopyText(name);
    if (input.name == nullptr) return kOutOfMemory;
    input.module = &record->module;
    const Status s = record->module.newInstance(&input.instance, input.name, &record->head, decoder);
    if (s != kSuccess) {
        input.instance = nullptr;
        input.module = nullptr;
        FreeText(input.name);
        input.name = nullptr;
        return s;
    }
    input.caps = 0;
    return kSuccess;
}

Status ReleaseInput(Decoder* decoder) {
    if (decoder == nullptr) return kInvalidParameters;
    InputState& input = decoder->input;
    if (input.state == kOpen) CloseInput(decoder);
    if (input.instance != nullptr && input.module != nullptr) input.module->deleteInstance(input.instance);
    input.instance = nullptr;
    input.module = nullptr;
    FreeText(input.name);
    input.name = nullptr;
    input.state = kClosed;
    return kSuccess;
}

Status OpenInput(Decoder* decoder) {
    if (decoder == nullptr) return kInvalidParameters;
    InputState& input = decoder->input;
    if (input.instance == nullptr) return InternalError(decoder, "null input instance");
    if (input.module == nullptr) return InternalError(decoder, "null input module");
    if (input.state == kOpen) return InternalError(decoder, "input not closed");

    ResetStatus(decoder->status);
    ResetInputState(input);
    const Status opened = Head(decoder)->filter.open(Head(decoder));
    if (opened != kSuccess) return opened;
    input.state = kOpen;
    if (input.size == 0) input.size = Head(decoder)->filter.size(Head(decoder));
    input.caps = Head(decoder)->filter.caps(Head(decoder));

    const Status chosen = ChooseCodec(decoder);
    if (chosen != kSuccess) return FailOpen(decoder, chosen);

    const CodecModule* codec = decoder->codec.module;
    void* instance = decoder->codec.instance;
    if (codec->inputChanged != nullptr) {
        const char* mimeType = input.mimeType;
        const Status told =
            GuardedCodecCall(decoder, [&] { return codec->inputChanged(instance, mimeType, input.name); });
        if (told != kSuccess) return FailOpen(decoder, told);
    }
    if ((input.caps & kInputSeekable) != 0 && codec->streamInfo != nullptr) {
        GuardedCodecCall(decoder, [&] { return codec->streamInfo(instance, &decoder->status); });
    }
    return kSuccess;
}

Status CloseInput(Decoder* decoder) {
    if (decoder == nullptr) return kInvalidParameters;
    InputState& input = decoder->input;
    if (input.state != kOpen) return InternalError(decoder, "input not open");
    ResetInputState(input);
    const Status closed = Head(decoder)->filter.close(Head(decoder));
    input.state = kClosed;
    const CodecModule* codec = decoder->codec.module;
    void* instance = decoder->codec.instance;
    if (instance != nullptr && codec != nullptr && codec->inputClosed != nullptr) {
        GuardedCodecCall(decoder, [&] { return codec->inputClosed(instance); });
    }
    return closed;
}

Status InputMessage(Decoder* decoder, std::intptr_t a, std::intptr_t b, std::intptr_t c) {
    if (decoder == nullptr) return kInvalidParameters;
    if (decoder->input.instance == nullptr) return InternalError(decoder, "null input instance");
    return Head(decoder)->filter.message(Head(decoder), a, b, c);
}

}  // namespace sonidrax::decoder
