// A fresh Decoder per test, with its error reports collected.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder/decoder.h"
#include "memory_input.h"
#include "recording_output.h"
#include "test_codec.h"

namespace sonidrax::decoder::testing {

class DecoderTest : public ::testing::Test {
protected:
    void SetUp() override {
        MemoryInputs::Clear();
        ResetTestCodecs();
        ASSERT_EQ(CreateDecoder(&decoder), kSuccess);
        const ErrorCallback collect = [](void* user, std::int32_t, std::int32_t, const char* category,
                                         const char* detail) {
            static_cast<DecoderTest*>(user)->categories.push_back(category);
            static_cast<DecoderTest*>(user)->details.push_back(detail);
        };
        ASSERT_EQ(SetErrorCallback(decoder, collect, this), kSuccess);
    }
    void TearDown() override { EXPECT_EQ(DestroyDecoder(decoder), kSuccess); }
    // A fresh decoder, for the next case of a table.
    void Renew() {
        TearDown();
        SetUp();
    }

    // Registers a memory input holding `bytes` as "mem:s" and a test codec, selects
    // and opens it; the codec's events so far are forgotten.
    void OpenStream(const std::vector<std::uint8_t>& bytes, const TestCodecOptions& codec = {},
                    const MemoryInputOptions& input = {}) {
        MemoryInputs::Put("mem:s", bytes);
        const InputModule inputModule = MakeMemoryInput(input);
        const CodecModule codecModule = MakeTestCodec(codec);
        ASSERT_GE(RegisterInputModule(decoder, &inputModule), 0);
        ASSERT_GE(RegisterCodecModule(decoder, &codecModule), 0);
        ASSERT_EQ(SelectInput(decoder, "mem:s", kAutomaticModule), kSuccess);
        ASSERT_EQ(OpenInput(decoder), kSuccess);
        Codecs().events.clear();
    }

    // Registers a recording output, selects and opens it.
    void OpenRecorder(const RecordingOutputOptions& options = {}) {
        const OutputModule output = MakeRecordingOutput(options);
        ASSERT_GE(RegisterOutputModule(decoder, &output), 0);
        ASSERT_EQ(SelectOutput(decoder, "out", kAutomaticModule), kSuccess);
        ASSERT_EQ(OpenOutput(decoder), kSuccess);
    }

    // The bytes of the last decoded block.
    std::vector<std::uint8_t> DecodedBytes() const {
        const auto* p = reinterpret_cast<const std::uint8_t*>(decoder->outputBuffer.pcm);
        const OutputBuffer& out = decoder->outputBuffer;
        return {p, p + out.samplesPerChannel * out.bytesPerSample * out.channels};
    }

    Decoder* decoder = nullptr;
    std::vector<std::string> categories, details;  // of the error reports
};

}  // namespace sonidrax::decoder::testing
