// The last bytes of a sound's file, where an ID3 version 1 tag would be.
#pragma once

#include <cstdint>

#include "decoder/id3v1_tag.h"
#include "frame/status.h"

namespace sonidrax {

// Reads the last 128 bytes of a file, sharing it with readers and writers.
// 0x80040006 when the file cannot be opened; `found` says whether a whole block
// was read (a shorter file has none).
Status ReadFileTail(const char* path, uint8_t (&block)[decoder::kId3v1TagBytes], bool* found);

}  // namespace sonidrax
