#include "media/sample_coding.h"

#include <cmath>
#include <cstring>

#include "media/byte_order.h"
#include "media/g711.h"

namespace sonidrax::media {
namespace {

void convertIntegers(const SampleCoding& coding, const uint8_t* in, size_t samples, int16_t* out) {
    const size_t step = coding.bytes;
    // The most significant byte and the one after it (none for 8-bit samples).
    const size_t high = coding.bigEndian ? 0 : step - 1;
    const bool hasLow = step > 1;
    const size_t low = coding.bigEndian ? 1 : step - 2;
    const uint8_t flip = coding.kind == SampleKind::kUnsigned ? 0x80 : 0x00;
    const unsigned keep = coding.validBits >= 16 ? 0xFFFFu : (0xFFFFu << (16 - coding.validBits)) & 0xFFFFu;
    for (size_t i = 0; i < samples; ++i, in += step) {
        const unsigned top = static_cast<uint8_t>(in[high] ^ flip);
        const unsigned bits = (top << 8) | (hasLow ? in[low] : 0u);
        out[i] = static_cast<int16_t>(static_cast<uint16_t>(bits & keep));
    }
}

int16_t scaleFloat(double value) {
    if (std::isnan(value)) return 0;
    if (value > 1.0) value = 1.0;
    if (value < -1.0) value = -1.0;
    return static_cast<int16_t>(std::lround(value * 32767.0));
}

void convertFloats(const SampleCoding& coding, const uint8_t* in, size_t samples, int16_t* out) {
    for (size_t i = 0; i < samples; ++i) {
        if (coding.bytes == 8) {
            const uint64_t bits = coding.bigEndian ? readBe64(in + i * 8) : readLe64(in + i * 8);
            double value;
            std::memcpy(&value, &bits, sizeof value);
            out[i] = scaleFloat(value);
        } else {
            const uint32_t bits = coding.bigEndian ? readBe32(in + i * 4) : readLe32(in + i * 4);
            float value;
            std::memcpy(&value, &bits, sizeof value);
            out[i] = scaleFloat(value);
        }
    }
}

}  // namespace

void convertToPcm16(const SampleCoding& coding, const uint8_t* in, size_t samples, int16_t* out) {
    switch (coding.kind) {
        case SampleKind::kSigned:
        case SampleKind::kUnsigned:
            convertIntegers(coding, in, samples, out);
            return;
        case SampleKind::kFloat:
            convertFloats(coding, in, samples, out);
            return;
        case SampleKind::kMuLaw:
            for (size_t i = 0; i < samples; ++i) out[i] = muLawToLinear(in[i]);
            return;
        case SampleKind::kALaw:
            for (size_t i = 0; i < samples; ++i) out[i] = aLawToLinear(in[i]);
            return;
    }
}

}  // namespace sonidrax::media
