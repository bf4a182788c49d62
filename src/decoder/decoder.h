// The decoder control object and every operation on it.
//
// A Decoder owns one input instance, one codec instance and one output instance at
// a time, the registries of the modules a client registered, the input and output
// filter chains, the stream status, the PCM output buffer, the codec parameters,
// two property lists (status and decoder properties) and the services table it
// hands to modules. Clients use it from one thread; separate Decoders are
// independent.
//
// Every operation answers a Status (see status.h) unless it says otherwise. No
// operation throws.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decoder/filters.h"
#include "decoder/modules.h"
#include "decoder/property_list.h"
#include "decoder/records.h"
#include "decoder/status.h"

namespace sonidrax::decoder {

class DecoderInternals;

inline constexpr std::int32_t kClosed = 0;
inline constexpr std::int32_t kOpen = 1;
// The module id that asks SelectInput / SelectOutput to choose by probing.
inline constexpr std::int32_t kAutomaticModule = -1;
inline constexpr std::size_t kInternalBufferBytes = 8192;

struct InputState {
    std::int32_t state;  // kClosed or kOpen
    std::uint32_t caps;
    std::uint32_t bytesConsumed;  // since open or the last seek target
    std::uint32_t size;           // 0 when unknown
    void* instance;
    const InputModule* module;
    char* name;
    const char* mimeType;  // "unknown" after every reset
};

struct OutputState {
    std::int32_t state;
    std::uint32_t caps;
    void* instance;
    const OutputModule* module;
    char* name;
};

struct CodecState {
    void* instance;
    const CodecModule* module;
    std::int32_t maxOutputBytes;
    std::uint32_t caps;
};

inline constexpr int kInputKind = 0;
inline constexpr int kOutputKind = 1;
inline constexpr int kCodecKind = 2;

struct Decoder {
    InputState input;
    OutputState output;
    CodecState codec;
    std::int32_t moduleCounts[3];  // indexed by kInputKind, kOutputKind, kCodecKind
    DecoderStatus status;
    OutputBuffer outputBuffer;
    void* errorUserValue;
    std::int32_t reserved1;
    ErrorCallback errorCallback;
    std::int32_t reserved2[3];
    DecoderServices services;
    DecoderInternals* internals;
};

// Lifecycle.
Status CreateDecoder(Decoder** decoderOut);
Status DestroyDecoder(Decoder* decoder);  // null is ignored
Status SetErrorCallback(Decoder* decoder, ErrorCallback callback, void* userValue);
// Hands a report to the error callback, when one is set. Modules report with their
// module id; the decoder itself with 0.
void ReportError(const Decoder* decoder, std::int32_t moduleId, const char* category, const char* detail);

// Module registry: module id (>= 0) or a negative code.
Status RegisterInputModule(Decoder* decoder, const InputModule* descriptor);
Status RegisterOutputModule(Decoder* decoder, const OutputModule* descriptor);
Status RegisterCodecModule(Decoder* decoder, const CodecModule* descriptor);
Status QueryInputModule(Decoder* decoder, std::int32_t moduleId, ModuleInfo* info, std::int32_t flags);
Status QueryOutputModule(Decoder* decoder, std::int32_t moduleId, ModuleInfo* info, std::int32_t flags);
Status QueryCodecModule(Decoder* decoder, std::int32_t moduleId, ModuleInfo* info, std::int32_t flags);

// Filter chains. where: -1 puts the filter first, below 2 last (before the
// terminal element), else before the filter of that id (last when none has it).
// Answers the filter id (>= 1) or a negative code.
Status AddInputFilter(Decoder* decoder, const InputFilter* descriptor, std::int32_t where);
Status AddOutputFilter(Decoder* decoder, const OutputFilter* descriptor, std::int32_t where);
// which: -2 the filter named name, -1 the first, 0 the last, else the filter of
// that id (below -2 counts as 1). Answers the id of the chain's new first element
// (0 when only the terminal element is left), or kNotAvailable.
inline constexpr std::int32_t kFilterByName = -2;
inline constexpr std::int32_t kFirstFilter = -1;
inline constexpr std::int32_t kLastFilter = 0;
Status RemoveInputFilter(Decoder* decoder, const char* name, std::int32_t which);
Status RemoveOutputFilter(Decoder* decoder, const char* name, std::int32_t which);
Status ListInputFilters(Decoder* decoder, void* client, InputFilterVisitor callback);
Status ListOutputFilters(Decoder* decoder, void* client, OutputFilterVisitor callback);

// Input.
Status SelectInput(Decoder* decoder, const char* name, std::int32_t moduleId);
Status ReleaseInput(Decoder* decoder);
Status OpenInput(Decoder* decoder);
Status CloseInput(Decoder* decoder);
Status InputMessage(Decoder* decoder, std::intptr_t a, std::intptr_t b, std::intptr_t c);

// Output.
Status SelectOutput(Decoder* decoder, const char* name, std::int32_t moduleId);
Status ReleaseOutput(Decoder* decoder);
Status OpenOutput(Decoder* decoder);
Status CloseOutput(Decoder* decoder);
Status OutputControls(Decoder* decoder, OutputControlBlock* record, std::int32_t mask);
Status OutputMessage(Decoder* decoder, std::intptr_t a, std::intptr_t b, std::intptr_t c);

// Decoding. Decode writes one frame into buffer (at least codec.maxOutputBytes
// bytes), or into the decoder's internal kInternalBufferBytes buffer when buffer is
// null; decoder->outputBuffer describes the block. Neither allocates.
Status Decode(Decoder* decoder, std::int16_t* buffer);
Status DecodeAndPlay(Decoder* decoder);

// Positioning.
Status SeekBytes(Decoder* decoder, std::uint32_t byteOffset);
Status SeekPosition(Decoder* decoder, float position);
Status SeekSeconds(Decoder* decoder, float seconds);
Status SeekTimecode(Decoder* decoder, const Timecode* timecode);
Timecode SecondsToTimecode(double seconds);

// For codecs only: ends the decoder call in progress at once (Decode answers
// kDecodeAborted); it does not return. The codec's own frames are unwound
// normally, so its locals are destroyed; codec methods must therefore not be
// declared noexcept, and a codec must not call it from a callback it hands to C
// code (qsort and the like). Outside any codec call it ends the program.
[[noreturn]] void AbortDecode(Decoder* decoder);

// Codec parameters.
Status SetCodecOption1(Decoder* decoder, std::int32_t value);
Status SetCodecOption2(Decoder* decoder, std::int32_t value);
std::int32_t GetCodecOption1(Decoder* decoder);
std::int32_t GetCodecOption2(Decoder* decoder);
Status SetBandGains(Decoder* decoder, const std::int8_t* table);  // kBandGainCount bytes, or null
Status GetBandGains(Decoder* decoder, std::int8_t* tableOut);     // kBandGainCount bytes

}  // namespace sonidrax::decoder
