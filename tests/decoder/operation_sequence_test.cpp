// Long random sequences of decoder operations, in any order and state, keep the
// decoder consistent and answer only known statuses (run with the sanitizers in the
// native-asan build, this also shows that no sequence touches freed or foreign
// memory).
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

class OperationSequenceTest : public DecoderTest {
protected:
    void SetUp() override {
        DecoderTest::SetUp();
        std::vector<std::uint8_t> stream;
        for (int i = 0; i < 12; ++i) stream = Concat({stream, Block(256, i == 5 ? "ABRT" : (i == 8 ? "MONO" : ""))});
        stream.resize(stream.size() - 100);  // a short last block
        MemoryInputs::Put("mem:a", stream);
        MemoryInputs::Put("mem:b", Block(256, "MONO"));
        inputs_[0] = MakeMemoryInput();
        inputs_[1] = MakeMemoryInput({.seekable = false});
        codecs_[0] = MakeTestCodec({.label = "x",
                                    .blockBytes = 256,
                                    .maxOutputBytes = 256,
                                    .durationMs = 9000,
                                    .withPositionOfOffset = true,
                                    .withOffsetOfPosition = true});
        codecs_[1] =
            MakeTestCodec({.label = "y", .probeResult = kNotAvailable, .blockBytes = 256, .maxOutputBytes = 256});
        output_ = MakeRecordingOutput({.withGetBuffer = true, .withGetValue = true});
    }

    // Every seed starts with both inputs, both codecs and the output registered.
    void RegisterAll() {
        ASSERT_EQ(RegisterInputModule(decoder, &inputs_[0]), 0);
        ASSERT_EQ(RegisterInputModule(decoder, &inputs_[1]), 1);
        ASSERT_EQ(RegisterCodecModule(decoder, &codecs_[0]), 0);
        ASSERT_EQ(RegisterCodecModule(decoder, &codecs_[1]), 1);
        ASSERT_EQ(RegisterOutputModule(decoder, &output_), 0);
    }

    // One operation, chosen at random with the decoding ones most often; answers
    // its status.
    Status Step(std::mt19937& random) {
        const char* names[] = {"mem:a", "mem:a", "mem:b", "mem:missing", nullptr};
        std::uniform_int_distribution<int> pick(0, 39);
        const int op = pick(random);
        const int small = static_cast<int>(random() % 5);
        switch (op) {
            case 0:
                return RegisterInputModule(decoder, &inputs_[small % 2]);
            case 1:
                return RegisterCodecModule(decoder, &codecs_[small % 2]);
            case 2:
                return RegisterOutputModule(decoder, &output_);
            case 3:
                return SelectInput(decoder, names[small], small == 4 ? kAutomaticModule : small % 3 - 1);
            case 4:
            case 5:
            case 6:
            case 7:
                return OpenInput(decoder);
            // Closing seldom, so that most steps find the input open.
            case 8:
                return small == 0 ? CloseInput(decoder) : Decode(decoder, nullptr);
            case 9:
                return small == 0 ? ReleaseInput(decoder) : Decode(decoder, nullptr);
            case 10:
            case 11:
            case 12:
            case 13:
            case 14:
                return Decode(decoder, nullptr);
            case 15:
            case 16:
                return Decode(decoder, buffer_);
            case 17:
            case 18:
                return SeekBytes(decoder, static_cast<std::uint32_t>(random() % 4000));
            case 19:
                return SeekPosition(decoder, static_cast<float>(random() % 300) / 100.0f - 1.0f);
            case 20:
                return SeekSeconds(decoder, static_cast<float>(random() % 20) - 5.0f);
            case 21:
                return SelectOutput(decoder, small == 0 ? nullptr : "out", small % 2 - 1);
            case 22:
            case 23:
                return OpenOutput(decoder);
            case 24:
                return CloseOutput(decoder);
            case 25:
                return ReleaseOutput(decoder);
            case 26:
            case 27:
            case 28:
            case 29:
            case 30:
                return DecodeAndPlay(decoder);
            case 31:
                return SetCodecOption1(decoder, small);
            case 32:
                return SetBandGains(decoder, small == 0 ? nullptr : gains_);
            case 33: {
                InputFilter f{};
                f.version = kModuleVersion;
                f.name = [] { return "f"; };
                return AddInputFilter(decoder, &f, small - 1);
            }
            case 34:
                return RemoveInputFilter(decoder, "f", small - 2);
            case 35:
                return InputMessage(decoder, 1, 1, 1);
            case 36: {
                OutputControlBlock block{};
                return OutputControls(decoder, &block, 0);
            }
            case 37:
                return decoder->services.seekInput(decoder, static_cast<std::uint32_t>(random() % 3000));
            default:
                return decoder->services.readInput(decoder, buffer_, 100);
        }
    }

    void CheckConsistent() {
        const InputState& in = decoder->input;
        ASSERT_TRUE(in.state == kClosed || in.state == kOpen);
        if (in.state == kOpen) {
            ASSERT_NE(in.instance, nullptr);
            ASSERT_NE(decoder->codec.instance, nullptr);
        }
        if (in.instance != nullptr) {
            ASSERT_NE(in.name, nullptr);
        }
        if (in.size != 0) {
            ASSERT_LE(in.bytesConsumed, in.size);
        }
        ASSERT_GE(decoder->status.position, 0.0f);
        ASSERT_LE(decoder->status.position, 1.0f);
        if (decoder->output.state == kOpen) {
            ASSERT_NE(decoder->output.instance, nullptr);
        }
    }

    InputModule inputs_[2]{};
    CodecModule codecs_[2]{};
    OutputModule output_{};
    alignas(8) std::int16_t buffer_[2048]{};
    std::int8_t gains_[kBandGainCount]{};
};

TEST_F(OperationSequenceTest, AnyOrderOfOperationsKeepsTheDecoderConsistent) {
    // Registration answers ids; every other operation a status of the library.
    const std::set<Status> known = {kSuccess,      kNotAvailable,         kInvalidParameters,     kInternalError,
                                    kNoSuchModule, kNoInputModuleAccepts, kNoOutputModuleAccepts, kFileNotFound,
                                    kEndOfInput,   kNoCodecAccepts,       kDecodeAborted,         3};
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 random(seed);
        RegisterAll();
        if (HasFatalFailure()) return;
        for (int i = 0; i < 400; ++i) {
            const Status s = Step(random);
            ASSERT_TRUE(s >= 0 || known.count(s) == 1) << "seed " << seed << " step " << i << ": " << s;
            CheckConsistent();
            if (HasFatalFailure()) return;
        }
        ASSERT_EQ(DestroyDecoder(decoder), kSuccess);
        ASSERT_EQ(CreateDecoder(&decoder), kSuccess);
        Recorded().events.clear();
        Recorded().bytes.clear();
        CodecEvents().clear();
    }
}

}  // namespace
}  // namespace sonidrax::decoder::testing
