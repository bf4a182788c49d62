#include "library_decoder.h"

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

decoder::Status LibraryDecoder::decodeAll(std::vector<int16_t>& pcm, int* damaged) {
    for (;;) {
        const decoder::Status s = decoder::Decode(d, nullptr);
        if (s == decoder::kDecodeAborted && damaged != nullptr) ++*damaged;
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

}  // namespace sonidrax::mpeg::testing
