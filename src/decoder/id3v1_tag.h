// The ID3 version 1 tag: the last 128 bytes of a file. The decoder publishes its
// fields as status properties; the plug-in's dsGetSoundInfo reads it too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "decoder/decoder.h"

namespace sonidrax::decoder {

inline constexpr std::size_t kId3v1TagBytes = 128;
inline constexpr std::size_t kId3v1TextBytes = 30;  // the longest text field

// What becomes of the blanks that pad a text field: the decoder's properties
// drop them, dsGetSoundInfo hands the field on as the tag holds it.
enum class TrailingBlanks { kKeep, kTrim };

// Each text ends at its field's first zero byte or at the field's end.
struct Id3v1Tag {
    char title[kId3v1TextBytes + 1];
    char artist[kId3v1TextBytes + 1];
    char album[kId3v1TextBytes + 1];
    char year[4 + 1];
    char comment[kId3v1TextBytes + 1];
    std::int8_t genre;  // the byte read as signed: 255 is -1, "no genre"
};

// Whether the block is a tag (it begins with "TAG"); `tag` is filled only then.
bool ParseId3v1Tag(const std::uint8_t (&block)[kId3v1TagBytes], TrailingBlanks blanks, Id3v1Tag* tag);

// Publishes the fields of a tag block through the decoder's status services.
// Answers false, publishing nothing, when the block does not begin with "TAG".
bool PublishId3v1Tag(Decoder* decoder, const std::uint8_t (&block)[kId3v1TagBytes]);

// Reads the tag at the end of file and publishes it; leaves the file at its start,
// or, when the file is too short to hold a tag, where it was.
void ReadId3v1Tag(Decoder* decoder, std::FILE* file);

}  // namespace sonidrax::decoder
