// The module contracts: the descriptor tables of input, output and codec modules,
// the registry record a module is handed, and the services it may call back.
//
// A descriptor is a plain table of function pointers, copied at registration; the
// first word is the version (kModuleVersion). Every method except probe, query and
// newInstance receives the module's instance value first. Entries marked optional
// may be null; the decoder then supplies the answer noted.
//
// `newInstance` and `deleteInstance` are the module's "new" and "delete" methods.
#pragma once

#include <cstdint>

#include "decoder/property_list.h"
#include "decoder/records.h"
#include "decoder/status.h"

namespace sonidrax::decoder {

struct Decoder;

// The head of every registry record; a module may keep the pointer handed to its
// newInstance for its error reports (id) for as long as the decoder lives.
struct ModuleRecord {
    std::int32_t id;
    std::int32_t reserved;
};

// Input capability bits.
inline constexpr std::uint32_t kInputSeekable = 1;

struct InputModule {
    std::uint32_t version;
    // Optional for registration: 0 accepts the name in automatic selection.
    Status (*probe)(const char* name);
    // Optional: fills a ModuleInfo for the kQuery* flags.
    Status (*query)(ModuleInfo* info, std::int32_t flags);
    // Required: creates an instance for the name and stores it through instanceOut.
    Status (*newInstance)(void** instanceOut, const char* name, const ModuleRecord* record, Decoder* decoder);
    Status (*deleteInstance)(void* instance);  // required
    Status (*open)(void* instance);            // required
    Status (*close)(void* instance);           // required
    // Required: count when all count bytes were read, 0 at end of input, or a
    // negative code.
    std::int32_t (*read)(void* instance, void* buffer, std::int32_t count);
    Status (*seek)(void* instance, std::uint32_t byteOffset);                              // optional: kNotAvailable
    std::uint32_t (*caps)(void* instance);                                                 // optional: 0
    std::uint32_t (*size)(void* instance);                                                 // optional: 0 (unknown)
    Status (*message)(void* instance, std::intptr_t a, std::intptr_t b, std::intptr_t c);  // optional: kNotAvailable
};

// Output capability bits.
inline constexpr std::uint32_t kDefaultOutputCaps = 0x7FBFFFFF;
inline constexpr std::uint32_t kOutputHasValue = 0x00400000;  // ask getValue after each decode

struct OutputModule {
    std::uint32_t version;
    Status (*probe)(const char* name);
    Status (*query)(ModuleInfo* info, std::int32_t flags);
    Status (*newInstance)(void** instanceOut, const char* name, const ModuleRecord* record, Decoder* decoder);
    Status (*deleteInstance)(void* instance);  // required
    Status (*open)(void* instance);            // required
    Status (*close)(void* instance);           // required
    // Required: consumes one block of interleaved PCM; answers byteCount, or 0 when
    // the block could not be written.
    std::int32_t (*write)(void* instance, const void* pcm, std::int32_t byteCount, std::int32_t bytesPerSample,
                          std::int32_t channels, std::int32_t sampleRate);
    // Optional: a buffer of at least byteCount bytes for the next decode, or null
    // to let the decoder use its own.
    std::int16_t* (*getBuffer)(void* instance, std::int32_t byteCount);
    // Optional: kNoOutputModuleAccepts refuses the format; absent: accepted.
    Status (*setFormat)(void* instance, const OutputFormat* format, std::uint32_t changedBits);
    // Optional: reads or sets the control record; absent: defaults written.
    Status (*controls)(void* instance, OutputControlBlock* record, std::int32_t mask);
    // Optional: 0 and a value through valueOut, or non-zero.
    Status (*getValue)(void* instance, std::int32_t* valueOut);
    std::uint32_t (*caps)(void* instance);  // optional: kDefaultOutputCaps
    Status (*message)(void* instance, std::intptr_t a, std::intptr_t b, std::intptr_t c);
};

// Codec capability bits (query flag kQueryCodecCaps).
inline constexpr std::uint32_t kCodecAnalysesStreamStart = 1;

struct CodecModule {
    std::uint32_t version;
    // Required: 0 when the codec accepts a stream of that MIME type and name.
    Status (*probe)(const char* mimeType, const char* name);
    Status (*query)(ModuleInfo* info, std::int32_t flags);  // required
    // Required: creates the codec instance and stores it through instanceOut (the
    // first field of the decoder's CodecState).
    Status (*newInstance)(void** instanceOut, const char* mimeType, const char* name, const ModuleRecord* record,
                          Decoder* decoder);
    Status (*deleteInstance)(void* instance);  // required
    // Required: decodes the next frame into the OutputBuffer (at most the
    // maxOutputBytes the codec answers to kQueryMaxOutput) and updates the status
    // fields from changedBits on. 0, kEndOfInput, or another code.
    Status (*decode)(void* instance, OutputBuffer* output, DecoderStatus* status);
    // Optional, called once after a seekable input opened: fills duration and
    // format in advance. Its result is ignored.
    Status (*streamInfo)(void* instance, DecoderStatus* status);
    float (*positionOfOffset)(void* instance, std::uint32_t byteOffset);  // optional, 0.0 to 1.0
    float (*offsetOfPosition)(void* instance, float position);            // optional
    Status (*inputChanged)(void* instance, const char* mimeType,
                           const char* name);                      // optional; non-zero fails the open
    Status (*inputClosed)(void* instance);                         // optional
    Status (*seekDone)(void* instance, std::uint32_t byteOffset);  // optional, before the input moves
    Status (*reset)(void* instance);                               // optional
    Status (*setParameters)(void* instance, const CodecParameters* parameters, std::int32_t mask);  // optional
    Status (*getParameters)(void* instance, CodecParameters* parameters, std::int32_t mask);        // optional
    void* reserved;
};

// The operations a module may call back, each with the decoder first.
struct DecoderServices {
    // All or nothing: 0 when all count bytes were read, kEndOfInput, or the
    // input's negative code. kInternalError when the input is not open.
    Status (*readInput)(Decoder* decoder, void* buffer, std::int32_t count);
    // Moves the input to an absolute byte offset; bytes consumed restart there.
    Status (*seekInput)(Decoder* decoder, std::uint32_t byteOffset);
    Status (*resetCodec)(Decoder* decoder);
    Status (*setIntegerStatusProperty)(Decoder* decoder, const char* name, std::int32_t value);
    Status (*getIntegerStatusProperty)(Decoder* decoder, const char* name, std::int32_t* valueOut);
    Status (*setStringStatusProperty)(Decoder* decoder, const char* name, const char* text);
    Status (*getStringStatusProperty)(Decoder* decoder, const char* name, char* textOut);
    Status (*deleteStatusProperty)(Decoder* decoder, const char* name);
    Status (*setIntegerDecoderProperty)(Decoder* decoder, const char* name, std::int32_t value);
    Status (*getIntegerDecoderProperty)(Decoder* decoder, const char* name, std::int32_t* valueOut);
    Status (*setStringDecoderProperty)(Decoder* decoder, const char* name, const char* text);
    Status (*getStringDecoderProperty)(Decoder* decoder, const char* name, char* textOut);
    Status (*deleteDecoderProperty)(Decoder* decoder, const char* name);
    Status (*addDecoderPropertyWatcher)(Decoder* decoder, const char* name, void* client,
                                        PropertyWatchCallback callback, PropertyWatcher** handleOut);
    Status (*removeDecoderPropertyWatcher)(Decoder* decoder, PropertyWatcher* handle);
};

}  // namespace sonidrax::decoder
