// Feeds arbitrary bytes through a Decoder with an in-memory input and the MPEG codec.
// The first byte chooses the codec's options (channels, rate, equaliser), so that every
// output path is reached; a seek half-way exercises the repositioning.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decoder/decoder.h"
#include "memory_input.h"
#include "mpeg_codec.h"

namespace {

using namespace sonidrax;

constexpr int kMaxDecodes = 400;

void chooseOptions(decoder::Decoder* d, uint8_t choice) {
    decoder::SetCodecOption1(d, choice & 3);
    decoder::SetCodecOption2(d, (choice >> 2) % 3);
    if (choice & 0x20) {
        int8_t gains[decoder::kBandGainCount];
        for (size_t i = 0; i < decoder::kBandGainCount; ++i) gains[i] = static_cast<int8_t>(i * 37 + choice);
        decoder::SetBandGains(d, gains);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t choice = data[0];
    decoder::testing::MemoryInputs::Put("memory", std::vector<uint8_t>(data + 1, data + size));

    decoder::Decoder* d = nullptr;
    if (decoder::CreateDecoder(&d) != decoder::kSuccess) return 0;
    static const decoder::InputModule input = decoder::testing::MakeMemoryInput();
    decoder::CodecModule codec{};
    mpeg::GetMpegCodecModule(&codec);
    decoder::RegisterInputModule(d, &input);
    decoder::RegisterCodecModule(d, &codec);
    chooseOptions(d, choice);
    if (decoder::SelectInput(d, "memory", decoder::kAutomaticModule) == decoder::kSuccess &&
        decoder::OpenInput(d) == decoder::kSuccess) {
        for (int i = 0; i < kMaxDecodes; ++i) {
            const decoder::Status result = decoder::Decode(d, nullptr);
            if (result != decoder::kSuccess && result != decoder::kDecodeAborted) break;
            if (i == 8 && (choice & 0x40)) decoder::SeekPosition(d, 0.5f);
        }
    }
    decoder::DestroyDecoder(d);
    return 0;
}
