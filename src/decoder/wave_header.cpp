#include "decoder/wave_header.h"

#include <cstring>

namespace sonidrax::decoder {
namespace {

class LittleEndianWriter {
public:
    explicit LittleEndianWriter(std::uint8_t* at) : at_(at) {}
    void Tag(const char (&text)[5]) {
        std::memcpy(at_, text, 4);
        at_ += 4;
    }
    void Word(std::uint32_t value) {
        for (int i = 0; i < 4; ++i) *at_++ = static_cast<std::uint8_t>(value >> (8 * i));
    }
    void Half(std::uint32_t value) {
        for (int i = 0; i < 2; ++i) *at_++ = static_cast<std::uint8_t>(value >> (8 * i));
    }

private:
    std::uint8_t* at_;
};

}  // namespace

// Always 16-bit samples: the decoder delivers nothing else.
std::array<std::uint8_t, kWaveHeaderBytes> MakeWaveHeader(std::uint32_t dataBytes, std::int32_t channels,
                                                          std::int32_t sampleRate) {
    const auto ch = static_cast<std::uint32_t>(channels);
    const auto rate = static_cast<std::uint32_t>(sampleRate);
    std::array<std::uint8_t, kWaveHeaderBytes> header{};
    LittleEndianWriter w(header.data());
    w.Tag("RIFF");
    w.Word(dataBytes + 36);
    w.Tag("WAVE");
    w.Tag("fmt ");
    w.Word(16);
    w.Half(1);
    w.Half(ch);
    w.Word(rate);
    w.Word(ch * rate * 2);
    w.Half(ch * 2);
    w.Half(16);
    w.Tag("data");
    w.Word(dataBytes);
    return header;
}

}  // namespace sonidrax::decoder
