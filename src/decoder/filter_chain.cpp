// Adding, removing and listing the filters of the input and output chains. Both
// chains work alike; the templates below serve either element type.
#include <cstring>
#include <new>

#include "decoder/filter_terminals.h"

namespace sonidrax::decoder {
namespace {

template <class Element>
bool IdInUse(const Element* head, std::int32_t id) {
    for (const Element* e = head; e != nullptr; e = e->next) {
        if (e->id == id) return true;
    }
    return false;
}

// The smallest id from 1 up that no element carries.
template <class Element>
std::int32_t FreeId(const Element* head) {
    std::int32_t id = 1;
    while (IdInUse(head, id)) ++id;
    return id;
}

// The element the new filter goes before.
template <class Element>
Element* InsertionPoint(Element* head, Element* terminal, std::int32_t where) {
    if (where == -1) return head;
    if (where < 2) return terminal;
    for (Element* e = head; e != terminal; e = e->next) {
        if (e->id == where) return e;
    }
    return terminal;
}

template <class Element>
void LinkBefore(Element*& head, Element* element, Element* before) {
    element->next = before;
    element->previous = before->previous;
    if (before->previous != nullptr) {
        before->previous->next = element;
    } else {
        head = element;
    }
    before->previous = element;
}

template <class Element, class Filter, class FillPassOns>
Status AddFilter(Decoder* decoder, Element*& head, Element* terminal, const Filter* descriptor, std::int32_t where,
                 FillPassOns fillPassOns) {
    if (decoder == nullptr || descriptor == nullptr || descriptor->name == nullptr || where < -1) {
        return kInvalidParameters;
    }
    if (!IsAcceptedVersion(descriptor->version)) return kVersionMismatch;
    auto* element = new (std::nothrow) Element{};
    if (element == nullptr) return kOutOfMemory;
    element->filter = *descriptor;
    fillPassOns(&element->filter);
    element->id = FreeId(head);
    Element* before = InsertionPoint(head, terminal, where);
    if (element->filter.newInstance != nullptr) {
        const Status s = element->filter.newInstance(&element->instance, element->id, decoder);
        if (s != kSuccess) {
            delete element;
            return s;
        }
    }
    LinkBefore(head, element, before);
    return element->id;
}

template <class Element>
Element* FilterToRemove(Element* head, Element* terminal, const char* name, std::int32_t which) {
    if (head == terminal) return nullptr;
    if (which == -2) {
        if (name == nullptr) return nullptr;
        for (Element* e = head; e != terminal; e = e->next) {
            const char* filterName = e->filter.name();
            if (filterName != nullptr && std::strcmp(filterName, name) == 0) return e;
        }
        return nullptr;
    }
    if (which == -1) return head;
    if (which == 0) return terminal->previous;
    if (which < -2) which = 1;
    for (Element* e = head; e != terminal; e = e->next) {
        if (e->id == which) return e;
    }
    return nullptr;
}

template <class Element>
void DeleteElement(Element*& head, Element* element) {
    if (element->filter.deleteInstance != nullptr) element->filter.deleteInstance(element->instance);
    if (element->previous != nullptr) {
        element->previous->next = element->next;
    } else {
        head = element->next;
    }
    element->next->previous = element->previous;
    delete element;
}

template <class Element>
Status RemoveFilter(Decoder* decoder, Element*& head, Element* terminal, const char* name, std::int32_t which) {
    if (decoder == nullptr) return kInvalidParameters;
    Element* element = FilterToRemove(head, terminal, name, which);
    if (element == nullptr) return kNotAvailable;
    DeleteElement(head, element);
    return head->id;
}

template <class Element, class Visitor>
Status ListFilters(Decoder* decoder, const Element* head, const Element* terminal, void* client, Visitor callback) {
    if (decoder == nullptr || callback == nullptr) return kInvalidParameters;
    for (const Element* e = head; e != terminal;) {
        const Element* next = e->next;  // the visitor may not remove, but be safe against it
        callback(client, e);
        e = next;
    }
    return kSuccess;
}

template <class Element>
void DeleteAll(Element*& head, Element* terminal) {
    while (head != terminal) DeleteElement(head, head);
}

}  // namespace

void InitializeFilterChains(Decoder* decoder) {
    DecoderInternals* in = decoder->internals;
    InitializeInputTerminal(decoder, &in->inputTerminal);
    InitializeOutputTerminal(decoder, &in->outputTerminal);
    in->inputChain = &in->inputTerminal;
    in->outputChain = &in->outputTerminal;
}

void DeleteInputFilters(Decoder* decoder) {
    DeleteAll(decoder->internals->inputChain, &decoder->internals->inputTerminal);
}

void DeleteOutputFilters(Decoder* decoder) {
    DeleteAll(decoder->internals->outputChain, &decoder->internals->outputTerminal);
}

Status AddInputFilter(Decoder* decoder, const InputFilter* descriptor, std::int32_t where) {
    if (decoder == nullptr) return kInvalidParameters;
    DecoderInternals* in = decoder->internals;
    return AddFilter(decoder, in->inputChain, &in->inputTerminal, descriptor, where, FillInputPassOns);
}

Status AddOutputFilter(Decoder* decoder, const OutputFilter* descriptor, std::int32_t where) {
    if (decoder == nullptr) return kInvalidParameters;
    DecoderInternals* in = decoder->internals;
    return AddFilter(decoder, in->outputChain, &in->outputTerminal, descriptor, where, FillOutputPassOns);
}

Status RemoveInputFilter(Decoder* decoder, const char* name, std::int32_t which) {
    if (decoder == nullptr) return kInvalidParameters;
    DecoderInternals* in = decoder->internals;
    return RemoveFilter(decoder, in->inputChain, &in->inputTerminal, name, which);
}

Status RemoveOutputFilter(Decoder* decoder, const char* name, std::int32_t which) {
    if (decoder == nullptr) return kInvalidParameters;
    DecoderInternals* in = decoder->internals;
    return RemoveFilter(decoder, in->outputChain, &in->outputTerminal, name, which);
}

Status ListInputFilters(Decoder* decoder, void* client, InputFilterVisitor callback) {
    if (decoder == nullptr) return kInvalidParameters;
    DecoderInternals* in = decoder->internals;
    return ListFilters(decoder, in->inputChain, &in->inputTerminal, client, callback);
}

Status ListOutputFilters(Decoder* decoder, void* client, OutputFilterVisitor callback) {
    if (decoder == nullptr) return kInvalidParameters;
    DecoderInternals* in = decoder->internals;
    return ListFilters(decoder, in->outputChain, &in->outputTerminal, client, callback);
}

}  // namespace sonidrax::decoder
