// The 128-byte ID3 version 1 tag at the end of a sound file: title, artist, album.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/status.h"

namespace sonidrax {

constexpr size_t kId3v1TagBytes = 128;
constexpr size_t kId3v1FieldBytes = 30;

struct Id3v1Fields {
    // Each field ends at its first zero byte or after 30 bytes; trailing blanks stay.
    char title[kId3v1FieldBytes + 1];
    char artist[kId3v1FieldBytes + 1];
    char album[kId3v1FieldBytes + 1];
};

// Whether the block is a tag (it starts with "TAG"); the fields are filled only then.
bool ParseId3v1Tag(const uint8_t (&block)[kId3v1TagBytes], Id3v1Fields* fields);

// Reads the last 128 bytes of a file, sharing it with readers and writers.
// 0x80040006 when the file cannot be opened; `found` says whether a whole block
// was read (a shorter file has none).
Status ReadFileTail(const char* path, uint8_t (&block)[kId3v1TagBytes], bool* found);

}  // namespace sonidrax
