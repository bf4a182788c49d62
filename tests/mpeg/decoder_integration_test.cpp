// The codec inside the decoder library: registered beside the file input, chosen by
// probing, driven by Decode, positioned by the library's seeks.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codec_harness.h"
#include "decoder/decoder.h"
#include "decoder/file_input.h"
#include "mpeg_codec.h"

namespace sonidrax::mpeg::testing {
namespace {

const std::string kDirectory = SONIDRAX_CONFORMANCE_DIR;

class LibraryDecoder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(decoder::CreateDecoder(&d), 0);
        decoder::InputModule input{};
        decoder::GetFileInputModule(&input);
        decoder::CodecModule codec{};
        GetMpegCodecModule(&codec);
        ASSERT_GE(decoder::RegisterInputModule(d, &input), 0);
        ASSERT_GE(decoder::RegisterCodecModule(d, &codec), 0);
    }
    void TearDown() override { decoder::DestroyDecoder(d); }

    bool open(const std::string& name) {
        const std::string path = kDirectory + "/" + name + ".bit";
        if (!std::ifstream(path)) return false;
        EXPECT_EQ(decoder::SelectInput(d, path.c_str(), decoder::kAutomaticModule), 0);
        EXPECT_EQ(decoder::OpenInput(d), 0);
        return true;
    }

    std::vector<int16_t> decodeRest() {
        std::vector<int16_t> pcm;
        int16_t block[kMaxOutputBytes / 2];
        for (;;) {
            const decoder::Status result = decoder::Decode(d, block);
            if (result != 0) {
                EXPECT_EQ(result, decoder::kEndOfInput);
                return pcm;
            }
            const auto& out = d->outputBuffer;
            pcm.insert(pcm.end(), block, block + out.samplesPerChannel * out.channels);
        }
    }

    int32_t property(const char* name) {
        int32_t value = -1;
        decoder::GetIntegerProperty(d->status.statusProperties, name, &value);
        return value;
    }

    decoder::Decoder* d = nullptr;
};

TEST_F(LibraryDecoder, DecodesAStreamExactlyAsTheCodecAloneAndSeeksHalfWay) {
    if (!open("l2-fl16")) GTEST_SKIP() << "conformance streams not found";
    EXPECT_EQ(property("mpeg/level"), 1);
    EXPECT_EQ(property("mpeg/layer"), 2);
    EXPECT_EQ(d->status.sampleRate, 48000);
    EXPECT_EQ(d->status.channels, 2);
    EXPECT_STREQ(d->status.mimeType, "audio/mpeg");
    EXPECT_EQ(d->status.durationMs, 1512u);  // 63 frames of 24 ms at a constant 256 kbit/s
    const std::vector<int16_t> library = decodeRest();
    std::ifstream file(kDirectory + "/l2-fl16.bit", std::ios::binary);
    CodecHarness alone(std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {}));
    ASSERT_EQ(alone.open(), 0);
    std::vector<int16_t> direct;
    alone.decodeAll(direct);
    EXPECT_EQ(library, direct);
    EXPECT_EQ(library.size(), 72576u * 2u);
    EXPECT_FLOAT_EQ(d->status.position, 1.0f);

    ASSERT_EQ(decoder::SeekPosition(d, 0.5f), 0);
    EXPECT_FLOAT_EQ(d->status.position, 0.5f);
    // The search finds the frame after the middle one (frames 32 to 62).
    EXPECT_EQ(decodeRest().size(), 31u * 1152u * 2u);
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
