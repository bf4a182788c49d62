// The ID3 version 1 tag: the last 128 bytes of a file, published as status
// properties of the decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "decoder/decoder.h"

namespace sonidrax::decoder {

inline constexpr std::size_t kId3v1TagBytes = 128;

// Publishes the fields of a tag block through the decoder's status services.
// Answers false, publishing nothing, when the block does not begin with "TAG".
bool PublishId3v1Tag(Decoder* decoder, const std::uint8_t (&tag)[kId3v1TagBytes]);

// Reads the tag at the end of file and publishes it; leaves the file at its start,
// or, when the file is too short to hold a tag, where it was.
void ReadId3v1Tag(Decoder* decoder, std::FILE* file);

}  // namespace sonidrax::decoder
