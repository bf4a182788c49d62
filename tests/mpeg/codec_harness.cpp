#include "codec_harness.h"

#include <algorithm>
#include <cstring>

#include "mpeg_codec.h"

namespace sonidrax::mpeg::testing {

CodecHarness::CodecHarness(std::vector<uint8_t> bytes, bool seekable) : bytes_(std::move(bytes)) {
    GetMpegCodecModule(&module);
    // The error callback's user value is free while no callback is set: it leads the
    // services back to this harness.
    decoder.errorUserValue = this;
    decoder.input.state = decoder::kOpen;
    decoder.input.size = static_cast<uint32_t>(bytes_.size());
    decoder.input.caps = seekable ? decoder::kInputSeekable : 0;
    decoder.services.readInput = read;
    decoder.services.seekInput = seek;
    decoder.services.setIntegerStatusProperty = setInteger;
}

CodecHarness::~CodecHarness() {
    if (instance != nullptr) module.deleteInstance(instance);
}

CodecHarness& CodecHarness::of(decoder::Decoder* decoder) {
    return *static_cast<CodecHarness*>(decoder->errorUserValue);
}

int32_t CodecHarness::read(decoder::Decoder* decoder, void* buffer, int32_t count) {
    CodecHarness& self = of(decoder);
    if (self.failNextRead != 0) {
        const int32_t code = self.failNextRead;
        self.failNextRead = 0;
        return code;
    }
    if (count <= 0 || self.bytes_.size() - self.position_ < static_cast<size_t>(count)) {
        self.position_ = self.bytes_.size();
        return decoder::kEndOfInput;
    }
    std::memcpy(buffer, self.bytes_.data() + self.position_, static_cast<size_t>(count));
    self.position_ += static_cast<size_t>(count);
    decoder->input.bytesConsumed += static_cast<uint32_t>(count);
    return decoder::kSuccess;
}

int32_t CodecHarness::seek(decoder::Decoder* decoder, uint32_t offset) {
    CodecHarness& self = of(decoder);
    self.position_ = std::min<size_t>(offset, self.bytes_.size());
    decoder->input.bytesConsumed = offset;
    return decoder::kSuccess;
}

int32_t CodecHarness::setInteger(decoder::Decoder* decoder, const char* name, int32_t value) {
    CodecHarness& self = of(decoder);
    self.properties[name] = value;
    ++self.propertyWrites;
    decoder->status.changedBits |= decoder::kStatusPropertiesChanged;
    return decoder::kSuccess;
}

int32_t CodecHarness::open(int32_t channelOption, int32_t rateOption, const int8_t* bandGains) {
    int32_t result = module.newInstance(&instance, "audio/unknown", "stream", nullptr, &decoder);
    if (result != decoder::kSuccess) return result;
    decoder::CodecParameters parameters{channelOption, rateOption, const_cast<int8_t*>(bandGains)};
    module.setParameters(instance, &parameters, decoder::kAllParameters);
    module.inputChanged(instance, "unknown", "stream");
    if ((decoder.input.caps & decoder::kInputSeekable) == 0) return decoder::kSuccess;
    return module.streamInfo(instance, &decoder.status);
}

int32_t CodecHarness::decode(int16_t* pcm) {
    decoder.outputBuffer.pcm = pcm;
    decoder.outputBuffer.bytesPerSample = 2;
    decoder.status.changedBits = 0;
    return module.decode(instance, &decoder.outputBuffer, &decoder.status);
}

int32_t CodecHarness::decodeAll(std::vector<int16_t>& pcm, int32_t* aborted) {
    int16_t block[kMaxOutputBytes / 2];
    for (;;) {
        const int32_t result = decode(block);
        if (result == decoder::kDecodeAborted) {
            if (aborted != nullptr) ++*aborted;
            continue;
        }
        if (result != decoder::kSuccess) return result;
        const size_t count = static_cast<size_t>(output().samplesPerChannel) * static_cast<size_t>(output().channels);
        pcm.insert(pcm.end(), block, block + count);
    }
}

int32_t CodecHarness::seekBytes(uint32_t offset) {
    module.seekDone(instance, offset);
    return seek(&decoder, offset);
}

}  // namespace sonidrax::mpeg::testing
