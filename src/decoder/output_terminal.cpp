// The last element of the output chain: calls the selected output module.
#include "decoder/filter_terminals.h"

namespace sonidrax::decoder {
namespace {

Decoder* OwnerOf(const OutputFilterElement* element) { return static_cast<Decoder*>(element->instance); }

Status CheckOutput(const Decoder* decoder) {
    if (decoder->output.instance == nullptr) return InternalError(decoder, "null output instance");
    if (decoder->output.module == nullptr) return InternalError(decoder, "null output module");
    return kSuccess;
}

const char* TerminalName() { return "terminal"; }

Status Open(OutputFilterElement* element) {
    Decoder* d = OwnerOf(element);
    if (const Status s = CheckOutput(d); s != kSuccess) return s;
    return d->output.module->open(d->output.instance);
}

Status Close(OutputFilterElement* element) {
    Decoder* d = OwnerOf(element);
    if (const Status s = CheckOutput(d); s != kSuccess) return s;
    return d->output.module->close(d->output.instance);
}

std::int32_t Write(OutputFilterElement* element, const void* pcm, std::int32_t byteCount, std::int32_t bytesPerSample,
                   std::int32_t channels, std::int32_t sampleRate) {
    Decoder* d = OwnerOf(element);
    if (const Status s = CheckOutput(d); s != kSuccess) return s;
    return d->output.module->write(d->output.instance, pcm, byteCount, bytesPerSample, channels, sampleRate);
}

std::int16_t* GetBuffer(OutputFilterElement* element, std::int32_t byteCount) {
    Decoder* d = OwnerOf(element);
    if (CheckOutput(d) != kSuccess || d->output.module->getBuffer == nullptr) return nullptr;
    return d->output.module->getBuffer(d->output.instance, byteCount);
}

Status SetFormat(OutputFilterElement* element, const OutputFormat* format, std::uint32_t changedBits) {
    Decoder* d = OwnerOf(element);
    if (const Status s = CheckOutput(d); s != kSuccess) return s;
    if (d->output.module->setFormat == nullptr) return kSuccess;
    return d->output.module->setFormat(d->output.instance, format, changedBits);
}

// Without a controls method the output reports these settings in fields 3 to 7.
Status Controls(OutputFilterElement* element, OutputControlBlock* record, std::int32_t mask) {
    Decoder* d = OwnerOf(element);
    if (const Status s = CheckOutput(d); s != kSuccess) return s;
    if (record == nullptr) return InternalError(d, "null control block");
    if (d->output.module->controls != nullptr) return d->output.module->controls(d->output.instance, record, mask);
    record->fields[2] = 2;
    record->fields[3] = 100;
    record->fields[4] = 100;
    record->fields[5] = 50;
    record->fields[6] = 1;
    return kSuccess;
}

Status GetValue(OutputFilterElement* element, std::int32_t* valueOut) {
    Decoder* d = OwnerOf(element);
    if (const Status s = CheckOutput(d); s != kSuccess) return s;
    if (d->output.module->getValue == nullptr) return kNotAvailable;
    return d->output.module->getValue(d->output.instance, valueOut);
}

std::uint32_t Caps(OutputFilterElement* element) {
    Decoder* d = OwnerOf(element);
    if (CheckOutput(d) != kSuccess || d->output.module->caps == nullptr) return kDefaultOutputCaps;
    return d->output.module->caps(d->output.instance);
}

Status Message(OutputFilterElement* element, std::intptr_t a, std::intptr_t b, std::intptr_t c) {
    Decoder* d = OwnerOf(element);
    if (const Status s = CheckOutput(d); s != kSuccess) return s;
    if (d->output.module->message == nullptr) return kNotAvailable;
    return d->output.module->message(d->output.instance, a, b, c);
}

}  // namespace

void InitializeOutputTerminal(Decoder* decoder, OutputFilterElement* element) {
    *element = OutputFilterElement{};
    element->id = 0;
    element->instance = decoder;
    element->filter = OutputFilter{kModuleVersion, TerminalName, nullptr,  nullptr,  Open, Close,  Write,
                                   GetBuffer,      SetFormat,    Controls, GetValue, Caps, Message};
}

}  // namespace sonidrax::decoder
