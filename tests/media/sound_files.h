#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

// Builds AIFF, AU and WAVE files in memory, field by field.
namespace sonidrax::media::testing {

struct Bytes : std::vector<uint8_t> {
    using std::vector<uint8_t>::vector;
    Bytes& be(uint64_t value, int bytes) {
        for (int i = bytes - 1; i >= 0; --i) push_back(static_cast<uint8_t>(value >> (8 * i)));
        return *this;
    }
    Bytes& le(uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) push_back(static_cast<uint8_t>(value >> (8 * i)));
        return *this;
    }
    Bytes& text(const std::string& id) { return append(id.begin(), id.end()); }
    template <typename Range>
    Bytes& append(Range first, Range last) {
        insert(end(), first, last);
        return *this;
    }
    Bytes& add(const Bytes& more) { return append(more.begin(), more.end()); }
    // An IFF (big-endian) or RIFF chunk, with its pad byte.
    Bytes& chunk(const std::string& id, const Bytes& body, bool bigEndian) {
        text(id);
        bigEndian ? be(body.size(), 4) : le(body.size(), 4);
        add(body);
        if (body.size() % 2) push_back(0);
        return *this;
    }
};

// A positive rate as an 80-bit extended number.
inline Bytes extended(double rate) {
    int exponent = 0;
    const double fraction = std::frexp(rate, &exponent);  // rate = fraction x 2^exponent, fraction in [0.5, 1)
    return Bytes{}.be(16382 + exponent, 2).be(static_cast<uint64_t>(std::ldexp(fraction, 64)), 8);
}

inline Bytes aiff(const std::string& compression, int channels, int sampleSize, double rate, uint32_t frames,
                  const Bytes& data) {
    const bool compressed = !compression.empty();
    Bytes comm = Bytes{}.be(channels, 2).be(frames, 4).be(sampleSize, 2).add(extended(rate));
    if (compressed) comm.text(compression).push_back(0);
    const Bytes body = Bytes{}
                           .text(compressed ? "AIFC" : "AIFF")
                           .chunk("COMM", comm, true)
                           .chunk("SSND", Bytes{}.be(0, 8).add(data), true);
    return Bytes{}.text("FORM").be(body.size(), 4).add(body);
}

inline Bytes au(uint32_t encoding, uint32_t channels, uint32_t rate, const Bytes& data) {
    return Bytes{}
        .text(".snd")
        .be(28, 4)
        .be(data.size(), 4)
        .be(encoding, 4)
        .be(rate, 4)
        .be(channels, 4)
        .be(0, 4)
        .add(data);
}

// `subFormat` non-zero writes the extensible form with that sub-format.
inline Bytes wave(uint16_t tag, int channels, uint32_t rate, int bits, const Bytes& data, uint16_t subFormat = 0,
                  int validBits = 0) {
    const int block = channels * ((bits + 7) / 8);
    Bytes fmt = Bytes{}.le(subFormat ? 0xFFFE : tag, 2).le(channels, 2).le(rate, 4).le(rate * block, 4);
    fmt.le(block, 2).le(bits, 2);
    if (subFormat)
        fmt.le(22, 2).le(validBits, 2).le(0, 4).le(subFormat, 2).be(0, 4).be(0x1000800000AA0038, 8).be(0x9B71, 2);
    const Bytes body = Bytes{}.text("WAVE").chunk("fmt ", fmt, false).chunk("data", data, false);
    return Bytes{}.text("RIFF").le(body.size(), 4).add(body);
}

}  // namespace sonidrax::media::testing
