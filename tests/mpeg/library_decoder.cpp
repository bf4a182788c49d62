#include "library_decoder.h"

#include <gtest/gtest.h>

#include "mpeg_codec.h"

namespace sonidrax::mpeg::testing {

using decoder::testing::MemoryInputs;

LibraryDecoder::LibraryDecoder() {
    MemoryInputs::Clear();
    decoder::CreateDecoder(&d);
    decoder::CodecModule codec{};
    GetMpegCodecModule(&codec);
    decoder::RegisterCodecModule(d, &codec);
}

LibraryDecoder::~LibraryDecoder() {
    decoder::DestroyDecoder(d);
    MemoryInputs::Clear();
}

decoder::Status LibraryDecoder::open(std::vector<uint8_t> bytes, const decoder::testing::MemoryInputOptions& input) {
    MemoryInputs::Put("mem:stream", std::move(bytes));
    const decoder::InputModule module = decoder::testing::MakeMemoryInput(input);
    const decoder::Status id = decoder::RegisterInputModule(d, &module);
    if (id < 0) return id;
    if (const decoder::Status s = decoder::SelectInput(d, "mem:stream", id); s != decoder::kSuccess) return s;
    return decoder::OpenInput(d);
}

decoder::Status LibraryDecoder::decodeAll(std::vector<int16_t>& pcm) {
    for (;;) {
        const decoder::Status s = decoder::Decode(d, nullptr);
        if (s == decoder::kDecodeAborted) continue;
        if (s != decoder::kSuccess) return s;
        const int16_t* block = output().pcm;
        pcm.insert(pcm.end(), block, block + output().samplesPerChannel * output().channels);
    }
}

int32_t LibraryDecoder::property(const char* name) const {
    int32_t value = -1;
    decoder::GetIntegerProperty(d->status.statusProperties, name, &value);
    return value;
}

std::vector<DecodedFrame> decodeFrames(const std::vector<uint8_t>& bytes, int32_t channelOption, int32_t rateOption,
                                       bool seekable) {
    LibraryDecoder library;
    decoder::SetCodecOption1(library.d, channelOption);
    decoder::SetCodecOption2(library.d, rateOption);
    const decoder::Status opened = library.open(bytes, {.seekable = seekable});
    if (opened != decoder::kSuccess) return {DecodedFrame(opened)};
    std::vector<DecodedFrame> frames;
    do {
        DecodedFrame& f = frames.emplace_back(decoder::Decode(library.d, nullptr));
        const decoder::OutputBuffer& out = library.output();
        f.sampleRate = out.sampleRate;
        for (int32_t i = 0; f.status == decoder::kSuccess && i < out.samplesPerChannel * out.channels; ++i)
            (i % out.channels == 0 ? f.left : f.right).push_back(out.pcm[i]);
    } while (frames.back().status == decoder::kSuccess || frames.back().status == decoder::kDecodeAborted);
    return frames;
}

bool sounds(const std::vector<int16_t>& pcm, double loud) {
    double energy = 0.0;
    for (const int16_t s : pcm) energy += static_cast<double>(s) * s;
    EXPECT_TRUE(energy == 0.0 || energy > loud) << energy;
    return energy != 0.0;
}

}  // namespace sonidrax::mpeg::testing
