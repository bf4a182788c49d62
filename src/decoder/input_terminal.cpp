// The last element of the input chain: calls the selected input module.
#include "decoder/filter_terminals.h"

namespace sonidrax::decoder {
namespace {

Decoder* OwnerOf(const InputFilterElement* element) { return static_cast<Decoder*>(element->instance); }

// Answers kSuccess when the decoder has an input instance with its module.
Status CheckInput(const Decoder* decoder) {
    if (decoder->input.instance == nullptr) return InternalError(decoder, "null input instance");
    if (decoder->input.module == nullptr) return InternalError(decoder, "null input module");
    return kSuccess;
}

const char* TerminalName() { return "terminal"; }

Status Open(InputFilterElement* element) {
    Decoder* d = OwnerOf(element);
    if (const Status s = CheckInput(d); s != kSuccess) return s;
    return d->input.module->open(d->input.instance);
}

Status Close(InputFilterElement* element) {
    Decoder* d = OwnerOf(element);
    if (const Status s = CheckInput(d); s != kSuccess) return s;
    return d->input.module->close(d->input.instance);
}

std::int32_t Read(InputFilterElement* element, void* buffer, std::int32_t count) {
    Decoder* d = OwnerOf(element);
    if (const Status s = CheckInput(d); s != kSuccess) return s;
    return d->input.module->read(d->input.instance, buffer, count);
}

Status Seek(InputFilterElement* element, std::uint32_t byteOffset) {
    Decoder* d = OwnerOf(element);
    if (const Status s = CheckInput(d); s != kSuccess) return s;
    if (d->input.module->seek == nullptr) return kNotAvailable;
    return d->input.module->seek(d->input.instance, byteOffset);
}

std::uint32_t Caps(InputFilterElement* element) {
    Decoder* d = OwnerOf(element);
    if (CheckInput(d) != kSuccess || d->input.module->caps == nullptr) return 0;
    return d->input.module->caps(d->input.instance);
}

std::uint32_t Size(InputFilterElement* element) {
    Decoder* d = OwnerOf(element);
    if (CheckInput(d) != kSuccess || d->input.module->size == nullptr) return 0;
    return d->input.module->size(d->input.instance);
}

Status Message(InputFilterElement* element, std::intptr_t a, std::intptr_t b, std::intptr_t c) {
    Decoder* d = OwnerOf(element);
    if (const Status s = CheckInput(d); s != kSuccess) return s;
    if (d->input.module->message == nullptr) return kNotAvailable;
    return d->input.module->message(d->input.instance, a, b, c);
}

}  // namespace

void InitializeInputTerminal(Decoder* decoder, InputFilterElement* element) {
    *element = InputFilterElement{};
    element->id = 0;
    element->instance = decoder;
    element->filter =
        InputFilter{kModuleVersion, TerminalName, nullptr, nullptr, Open, Close, Read, Seek, Caps, Size, Message};
}

}  // namespace sonidrax::decoder
