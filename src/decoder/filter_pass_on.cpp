// Forwarding methods that pass a call on to the next element of the chain, for the
// methods a filter descriptor leaves null.
#include "decoder/filter_terminals.h"

namespace sonidrax::decoder {
namespace {

Status InOpen(InputFilterElement* e) { return e->next->filter.open(e->next); }
Status InClose(InputFilterElement* e) { return e->next->filter.close(e->next); }
std::int32_t InRead(InputFilterElement* e, void* buffer, std::int32_t count) {
    return e->next->filter.read(e->next, buffer, count);
}
Status InSeek(InputFilterElement* e, std::uint32_t offset) { return e->next->filter.seek(e->next, offset); }
std::uint32_t InCaps(InputFilterElement* e) { return e->next->filter.caps(e->next); }
std::uint32_t InSize(InputFilterElement* e) { return e->next->filter.size(e->next); }
Status InMessage(InputFilterElement* e, std::intptr_t a, std::intptr_t b, std::intptr_t c) {
    return e->next->filter.message(e->next, a, b, c);
}

Status OutOpen(OutputFilterElement* e) { return e->next->filter.open(e->next); }
Status OutClose(OutputFilterElement* e) { return e->next->filter.close(e->next); }
std::int32_t OutWrite(OutputFilterElement* e, const void* pcm, std::int32_t byteCount, std::int32_t bytesPerSample,
                      std::int32_t channels, std::int32_t sampleRate) {
    return e->next->filter.write(e->next, pcm, byteCount, bytesPerSample, channels, sampleRate);
}
std::int16_t* OutGetBuffer(OutputFilterElement* e, std::int32_t byteCount) {
    return e->next->filter.getBuffer(e->next, byteCount);
}
Status OutSetFormat(OutputFilterElement* e, const OutputFormat* format, std::uint32_t changedBits) {
    return e->next->filter.setFormat(e->next, format, changedBits);
}
Status OutControls(OutputFilterElement* e, OutputControlBlock* record, std::int32_t mask) {
    return e->next->filter.controls(e->next, record, mask);
}
Status OutGetValue(OutputFilterElement* e, std::int32_t* valueOut) {
    return e->next->filter.getValue(e->next, valueOut);
}
std::uint32_t OutCaps(OutputFilterElement* e) { return e->next->filter.caps(e->next); }
Status OutMessage(OutputFilterElement* e, std::intptr_t a, std::intptr_t b, std::intptr_t c) {
    return e->next->filter.message(e->next, a, b, c);
}

template <class Method>
void Default(Method& method, Method passOn) {
    if (method == nullptr) method = passOn;
}

}  // namespace

void FillInputPassOns(InputFilter* f) {
    Default(f->open, InOpen);
    Default(f->close, InClose);
    Default(f->read, InRead);
    Default(f->seek, InSeek);
    Default(f->caps, InCaps);
    Default(f->size, InSize);
    Default(f->message, InMessage);
}

void FillOutputPassOns(OutputFilter* f) {
    Default(f->open, OutOpen);
    Default(f->close, OutClose);
    Default(f->write, OutWrite);
    Default(f->getBuffer, OutGetBuffer);
    Default(f->setFormat, OutSetFormat);
    Default(f->controls, OutControls);
    Default(f->getValue, OutGetValue);
    Default(f->caps, OutCaps);
    Default(f->message, OutMessage);
}

}  // namespace sonidrax::decoder
