#include "decoder/id3v1_tag.h"

#include <cstring>

#include "decoder/stdio_file.h"

namespace sonidrax::decoder {
namespace {

struct TextField {
    const char* property;
    std::size_t offset;
    std::size_t length;
};

constexpr TextField kTextFields[] = {
    {"id3/title", 3, 30}, {"id3/artist", 33, 30}, {"id3/album", 63, 30}, {"id3/year", 93, 4}, {"id3/comment", 97, 30},
};
constexpr std::size_t kGenreOffset = 127;
constexpr std::size_t kLongestField = 30;

// The field up to its first NUL, without trailing spaces.
void FieldText(const std::uint8_t* field, std::size_t length, char (&text)[kLongestField + 1]) {
    std::size_t n = 0;
    while (n < length && field[n] != 0) {
        text[n] = static_cast<char>(field[n]);
        ++n;
    }
    while (n > 0 && text[n - 1] == ' ') --n;
    text[n] = '\0';
}

}  // namespace

bool PublishId3v1Tag(Decoder* decoder, const std::uint8_t (&tag)[kId3v1TagBytes]) {
    if (std::memcmp(tag, "TAG", 3) != 0) return false;
    for (const TextField& field : kTextFields) {
        char text[kLongestField + 1];
        FieldText(tag + field.offset, field.length, text);
        decoder->services.setStringStatusProperty(decoder, field.property, text);
    }
    // The genre byte is signed: 255 reads as -1 ("no genre").
    const auto genre = static_cast<std::int8_t>(tag[kGenreOffset]);
    decoder->services.setIntegerStatusProperty(decoder, "id3/genre", genre);
    return true;
}

void ReadId3v1Tag(Decoder* decoder, std::FILE* file) {
    if (!SeekFileFromEnd(file, kId3v1TagBytes)) return;
    std::uint8_t tag[kId3v1TagBytes];
    if (std::fread(tag, sizeof tag, 1, file) == 1) PublishId3v1Tag(decoder, tag);
    SeekFileTo(file, 0);
}

}  // namespace sonidrax::decoder
