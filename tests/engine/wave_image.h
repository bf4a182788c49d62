// RIFF WAVE images built in memory for tests, and files written from them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace sonidrax::testing {

struct WaveShape {
    uint16_t channels = 2;
    uint16_t bits = 16;
    uint32_t rate = 22050;
    uint32_t dataBytes = 4000;
};

inline void PutWord(std::vector<unsigned char>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

inline void PutTag(std::vector<unsigned char>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

// A PCM image whose samples count up byte by byte, so copies can be checked.
inline std::vector<unsigned char> WaveImage(const WaveShape& shape) {
    std::vector<unsigned char> image;
    PutTag(image, "RIFF");
    PutWord(image, 4 + 8 + 16 + 8 + shape.dataBytes, 4);
    PutTag(image, "WAVE");
    PutTag(image, "fmt ");
    PutWord(image, 16, 4);
    const uint16_t blockAlign = static_cast<uint16_t>(shape.channels * shape.bits / 8);
    PutWord(image, 1, 2);
    PutWord(image, shape.channels, 2);
    PutWord(image, shape.rate, 4);
    PutWord(image, shape.rate * blockAlign, 4);
    PutWord(image, blockAlign, 2);
    PutWord(image, shape.bits, 2);
    PutTag(image, "data");
    PutWord(image, shape.dataBytes, 4);
    for (uint32_t i = 0; i < shape.dataBytes; ++i) image.push_back(static_cast<unsigned char>(i * 7 + 1));
    if (shape.dataBytes % 2 != 0) image.push_back(0);
    return image;
}

// Writes the image to a file in the test's working directory; answers its name.
inline std::string WriteWaveFile(const std::string& name, const std::vector<unsigned char>& image) {
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (file == nullptr) return name;
    std::fwrite(image.data(), 1, image.size(), file);
    std::fclose(file);
    return name;
}

}  // namespace sonidrax::testing
