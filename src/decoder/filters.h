// Input and output filters: elements of a chain between the decoder and its input
// or output instance.
//
// Every call of the decoder on its input (or output) goes to the first element of
// the chain; each element passes the call on to `next`. The last element is the
// decoder's own terminal element (id 0), which calls the module instance. A filter
// method receives its own chain element, so it reaches its instance through
// `element->instance` and the rest of the chain through `element->next`. Forwarding
// methods left null in a descriptor pass the call on unchanged.
#pragma once

#include <cstdint>

#include "decoder/records.h"
#include "decoder/status.h"

namespace sonidrax::decoder {

struct Decoder;
struct InputFilterElement;
struct OutputFilterElement;

struct InputFilter {
    std::uint32_t version;
    const char* (*name)();                                                               // required
    Status (*newInstance)(void** instanceOut, std::int32_t filterId, Decoder* decoder);  // optional
    Status (*deleteInstance)(void* instance);                                            // optional
    Status (*open)(InputFilterElement* element);
    Status (*close)(InputFilterElement* element);
    std::int32_t (*read)(InputFilterElement* element, void* buffer, std::int32_t count);
    Status (*seek)(InputFilterElement* element, std::uint32_t byteOffset);
    std::uint32_t (*caps)(InputFilterElement* element);
    std::uint32_t (*size)(InputFilterElement* element);
    Status (*message)(InputFilterElement* element, std::intptr_t a, std::intptr_t b, std::intptr_t c);
};

struct OutputFilter {
    std::uint32_t version;
    const char* (*name)();
    Status (*newInstance)(void** instanceOut, std::int32_t filterId, Decoder* decoder);
    Status (*deleteInstance)(void* instance);
    Status (*open)(OutputFilterElement* element);
    Status (*close)(OutputFilterElement* element);
    std::int32_t (*write)(OutputFilterElement* element, const void* pcm, std::int32_t byteCount,
                          std::int32_t bytesPerSample, std::int32_t channels, std::int32_t sampleRate);
    std::int16_t* (*getBuffer)(OutputFilterElement* element, std::int32_t byteCount);
    Status (*setFormat)(OutputFilterElement* element, const OutputFormat* format, std::uint32_t changedBits);
    Status (*controls)(OutputFilterElement* element, OutputControlBlock* record, std::int32_t mask);
    Status (*getValue)(OutputFilterElement* element, std::int32_t* valueOut);
    std::uint32_t (*caps)(OutputFilterElement* element);
    Status (*message)(OutputFilterElement* element, std::intptr_t a, std::intptr_t b, std::intptr_t c);
};

// The terminal element's instance is the Decoder itself.
struct InputFilterElement {
    std::int32_t id;
    void* instance;
    InputFilter filter;
    InputFilterElement* next;
    InputFilterElement* previous;
};

struct OutputFilterElement {
    std::int32_t id;
    void* instance;
    OutputFilter filter;
    OutputFilterElement* next;
    OutputFilterElement* previous;
};

// ListInputFilters / ListOutputFilters call these once per filter in chain order.
using InputFilterVisitor = void (*)(void* client, const InputFilterElement* element);
using OutputFilterVisitor = void (*)(void* client, const OutputFilterElement* element);

}  // namespace sonidrax::decoder
