#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "media/audio_file.h"

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
    Bytes& put(uint64_t value, int bytes, bool bigEndian) { return bigEndian ? be(value, bytes) : le(value, bytes); }
    Bytes& add(const std::string& text) { return insert(end(), text.begin(), text.end()), *this; }
    Bytes& add(const Bytes& more) { return insert(end(), more.begin(), more.end()), *this; }
    // An IFF (big-endian) or RIFF chunk, with its pad byte.
    Bytes& chunk(const std::string& id, const Bytes& body, bool bigEndian) {
        add(id).put(body.size(), 4, bigEndian).add(body);
        return body.size() % 2 ? add(Bytes{0}) : *this;
    }
};

inline Bytes form(const char* type, const Bytes& chunks, bool bigEndian) {
    return Bytes{}.add(bigEndian ? "FORM" : "RIFF").put(chunks.size() + 4, 4, bigEndian).add(type).add(chunks);
}

// A positive rate as an 80-bit extended number: rate = fraction x 2^exponent.
inline Bytes extended(double rate) {
    int exponent = 0;
    const double fraction = std::frexp(rate, &exponent);
    return Bytes{}.be(16382 + exponent, 2).be(static_cast<uint64_t>(std::ldexp(fraction, 64)), 8);
}

inline Bytes comm(int channels, uint32_t frames, int sampleSize, double rate, const std::string& compression = "") {
    Bytes body = Bytes{}.be(channels, 2).be(frames, 4).be(sampleSize, 2).add(extended(rate));
    return compression.empty() ? body : body.add(compression).add(Bytes{0});
}

inline Bytes aiff(const std::string& compression, int channels, int sampleSize, double rate, uint32_t frames,
                  const Bytes& data) {
    Bytes chunks = Bytes{}.chunk("COMM", comm(channels, frames, sampleSize, rate, compression), true);
    return form(compression.empty() ? "AIFF" : "AIFC", chunks.chunk("SSND", Bytes(8).add(data), true), true);
}

inline Bytes au(uint32_t encoding, uint32_t channels, uint32_t rate, const Bytes& data) {
    Bytes header = Bytes{}.add(".snd").be(28, 4).be(data.size(), 4).be(encoding, 4);
    return header.be(rate, 4).be(channels, 4).be(0, 4).add(data);
}

// `subFormat` non-zero gives the extensible form with that sub-format.
inline Bytes fmt(uint16_t tag, int channels, uint32_t rate, int bits, uint16_t subFormat = 0, int validBits = 0) {
    const int block = channels * ((bits + 7) / 8);
    Bytes body = Bytes{}.le(subFormat ? 0xFFFE : tag, 2).le(channels, 2).le(rate, 4).le(rate * block, 4);
    body.le(block, 2).le(bits, 2);
    if (!subFormat) return body;
    return body.le(22, 2).le(validBits, 2).le(0, 4).le(subFormat, 2).be(0, 4).be(0x1000800000AA0038, 8).be(0x9B71, 2);
}

inline Bytes wave(uint16_t tag, int channels, uint32_t rate, int bits, const Bytes& data, uint16_t subFormat = 0,
                  int validBits = 0) {
    const Bytes chunks =
        Bytes{}.chunk("fmt ", fmt(tag, channels, rate, bits, subFormat, validBits), false).chunk("data", data, false);
    return form("WAVE", chunks, false);
}

// Up to `count` frames from `first`, as many samples as were converted.
inline std::vector<int16_t> readFrames(AudioFile& file, uint64_t first, size_t count) {
    std::vector<int16_t> out(count * file.format().channels);
    out.resize(file.readPcm16(first, count, out.data()) * file.format().channels);
    return out;
}

}  // namespace sonidrax::media::testing
