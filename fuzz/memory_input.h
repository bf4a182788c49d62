#pragma once
// An input module that serves one block of memory to a Decoder: seekable, with a
// known size, reads all or nothing. The fuzz targets hand it the fuzzer's bytes.
#include <cstddef>
#include <cstdint>

#include "decoder/modules.h"

namespace sonidrax::fuzz {

// The bytes the next opened memory input serves; they must outlive the input.
void setMemoryInputBytes(const uint8_t* data, size_t size);
decoder::Status GetMemoryInputModule(decoder::InputModule* descriptor);

}  // namespace sonidrax::fuzz
