#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {

void DecoderTest::SetUp() {
    MemoryInputs::Clear();
    ResetTestCodecs();
    ASSERT_EQ(CreateDecoder(&decoder), kSuccess);
    const ErrorCallback collect = [](void* user, std::int32_t, std::int32_t, const char* category, const char* detail) {
        static_cast<std::vector<ErrorReport>*>(user)->push_back({category, detail});
    };
    ASSERT_EQ(SetErrorCallback(decoder, collect, &reports), kSuccess);
}

void DecoderTest::TearDown() { EXPECT_EQ(DestroyDecoder(decoder), kSuccess); }

std::vector<std::string> DecoderTest::Details() const {
    std::vector<std::string> details;
    for (const auto& r : reports) details.push_back(r.detail);
    return details;
}

void DecoderTest::OpenStream(const std::vector<std::uint8_t>& bytes, const TestCodecOptions& codec,
                             const MemoryInputOptions& input) {
    MemoryInputs::Put("mem:s", bytes);
    const InputModule inputModule = MakeMemoryInput(input);
    const CodecModule codecModule = MakeTestCodec(codec);
    ASSERT_GE(RegisterInputModule(decoder, &inputModule), 0);
    ASSERT_GE(RegisterCodecModule(decoder, &codecModule), 0);
    ASSERT_EQ(SelectInput(decoder, "mem:s", kAutomaticModule), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    CodecEvents().clear();
}

void DecoderTest::OpenRecorder(const RecordingOutputOptions& options) {
    const OutputModule output = MakeRecordingOutput(options);
    ASSERT_GE(RegisterOutputModule(decoder, &output), 0);
    ASSERT_EQ(SelectOutput(decoder, "out", kAutomaticModule), kSuccess);
    ASSERT_EQ(OpenOutput(decoder), kSuccess);
}

std::vector<std::uint8_t> DecoderTest::DecodedBytes() const {
    const OutputBuffer& out = decoder->outputBuffer;
    const auto* p = reinterpret_cast<const std::uint8_t*>(out.pcm);
    return {p, p + out.samplesPerChannel * out.bytesPerSample * out.channels};
}

}  // namespace sonidrax::decoder::testing
