#include "decoder/id3v1_tag.h"

#include <cstring>

#include "decoder/stdio_file.h"

namespace sonidrax::decoder {
namespace {

constexpr std::size_t kGenreOffset = 127;

template <std::size_t Size>
void CopyField(const std::uint8_t* field, TrailingBlanks blanks, char (&text)[Size]) {
    std::size_t n = 0;
    while (n < Size - 1 && field[n] != 0) {
        text[n] = static_cast<char>(field[n]);
        ++n;
    }
    if (blanks == TrailingBlanks::kTrim) {
        while (n > 0 && text[n - 1] == ' ') --n;
    }
    text[n] = '\0';
}

}  // namespace

bool ParseId3v1Tag(const std::uint8_t (&block)[kId3v1TagBytes], TrailingBlanks blanks, Id3v1Tag* tag) {
    if (std::memcmp(block, "TAG", 3) != 0) return false;
    CopyField(block + 3, blanks, tag->title);
    CopyField(block + 33, blanks, tag->artist);
    CopyField(block + 63, blanks, tag->album);
    CopyField(block + 93, blanks, tag->year);
    CopyField(block + 97, blanks, tag->comment);
    tag->genre = static_cast<std::int8_t>(block[kGenreOffset]);
    return true;
}

bool PublishId3v1Tag(Decoder* decoder, const std::uint8_t (&block)[kId3v1TagBytes]) {
    Id3v1Tag tag;
    if (!ParseId3v1Tag(block, TrailingBlanks::kTrim, &tag)) return false;
    const struct {
        const char* property;
        const char* text;
    } texts[] = {
        {"id3/title", tag.title}, {"id3/artist", tag.artist},   {"id3/album", tag.album},
        {"id3/year", tag.year},   {"id3/comment", tag.comment},
    };
    for (const auto& field : texts) decoder->services.setStringStatusProperty(decoder, field.property, field.text);
    decoder->services.setIntegerStatusProperty(decoder, "id3/genre", tag.genre);
    return true;
}

void ReadId3v1Tag(Decoder* decoder, std::FILE* file) {
    if (!SeekFileFromEnd(file, kId3v1TagBytes)) return;
    std::uint8_t block[kId3v1TagBytes];
    if (std::fread(block, sizeof block, 1, file) == 1) PublishId3v1Tag(decoder, block);
    SeekFileTo(file, 0);
}

}  // namespace sonidrax::decoder
