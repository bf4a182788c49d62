// The decoder's private block and the helpers its operations share.
#pragma once

#include <cstdint>

#include "decoder/decoder.h"

namespace sonidrax::decoder {

template <class Descriptor>
struct RegistryRecord {
    ModuleRecord head;  // first, so a module's ModuleRecord* is the record
    Descriptor module;
    RegistryRecord* previous;  // the record registered before this one
};

using InputModuleRecord = RegistryRecord<InputModule>;
using OutputModuleRecord = RegistryRecord<OutputModule>;
using CodecModuleRecord = RegistryRecord<CodecModule>;

class DecoderInternals {
public:
    alignas(8) std::int16_t buffer[kInternalBufferBytes / sizeof(std::int16_t)];
    CodecParameters parameters{};              // bandGains owned
    InputFilterElement* inputChain = nullptr;  // first element; the terminal one when no filter
    InputFilterElement inputTerminal{};
    OutputFilterElement* outputChain = nullptr;
    OutputFilterElement outputTerminal{};
    InputModuleRecord* inputModules = nullptr;  // newest first
    OutputModuleRecord* outputModules = nullptr;
    CodecModuleRecord* codecModules = nullptr;
    PropertyList* decoderProperties = nullptr;
    // Codec calls in progress; AbortDecode is only allowed inside one.
    int codecCallDepth = 0;
};

// The stream position stays within 0.0 to 1.0, whatever a codec maps; not a
// number counts as the start.
inline float ClampPosition(float p) {
    if (!(p > 0.0f)) return 0.0f;
    return p > 1.0f ? 1.0f : p;
}

// The category of every report the decoder makes itself.
inline constexpr const char* kInternalErrorCategory = "internal error";

// Reports an internal error with the decoder's module id 0 and answers kInternalError.
Status InternalError(const Decoder* decoder, const char* detail);

// Filter chains.
void InitializeFilterChains(Decoder* decoder);
void DeleteFilterChains(Decoder* decoder);
void DeleteInputFilters(Decoder* decoder);
void DeleteOutputFilters(Decoder* decoder);

// Registry.
void FreeRegistries(Decoder* decoder);
const InputModuleRecord* FindInputModule(const Decoder* decoder, std::int32_t moduleId);
const OutputModuleRecord* FindOutputModule(const Decoder* decoder, std::int32_t moduleId);
const CodecModuleRecord* FindCodecModule(const Decoder* decoder, std::int32_t moduleId);
const CodecModuleRecord* CodecRecordOf(const Decoder* decoder, const CodecModule* module);

// Services table.
void InstallServices(Decoder* decoder);

// Codec instance.
void DeleteCodecInstance(Decoder* decoder);

}  // namespace sonidrax::decoder
