// Long random sequences of decoder operations, in any order and state, keep the
// decoder consistent and answer only known statuses (run with the sanitizers in the
// native-asan build, this also shows that no sequence touches freed or foreign
// memory).
#include <gtest/gtest.h>

#include <functional>
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
        filter_.version = kModuleVersion;
        filter_.name = [] { return "f"; };
    }

    // Every seed starts with both inputs, both codecs and the output registered.
    void RegisterAll() {
        ASSERT_EQ(RegisterInputModule(decoder, &inputs_[0]), 0);
        ASSERT_EQ(RegisterInputModule(decoder, &inputs_[1]), 1);
        ASSERT_EQ(RegisterCodecModule(decoder, &codecs_[0]), 0);
        ASSERT_EQ(RegisterCodecModule(decoder, &codecs_[1]), 1);
        ASSERT_EQ(RegisterOutputModule(decoder, &output_), 0);
    }

    // One operation, chosen at random with the decoding ones most often (each stands
    // in the table as often as it should be drawn); answers its status.
    Status Step(std::mt19937& random) {
        const char* names[] = {"mem:a", "mem:a", "mem:b", "mem:missing", nullptr};
        const int small = static_cast<int>(random() % 5);
        const std::uint32_t offset = static_cast<std::uint32_t>(random() % 4000);
        Decoder* d = decoder;
        const std::function<Status()> operations[] = {
            [&] { return RegisterInputModule(d, &inputs_[small % 2]); },
            [&] { return RegisterCodecModule(d, &codecs_[small % 2]); },
            [&] { return RegisterOutputModule(d, &output_); },
            [&] { return SelectInput(d, names[small], small == 4 ? kAutomaticModule : small % 3 - 1); },
            [&] { return OpenInput(d); },
            [&] { return OpenInput(d); },
            // Closing seldom, so that most steps find the input open.
            [&] { return small == 0 ? CloseInput(d) : Decode(d, nullptr); },
            [&] { return small == 0 ? ReleaseInput(d) : Decode(d, nullptr); },
            [&] { return Decode(d, nullptr); },
            [&] { return Decode(d, nullptr); },
            [&] { return Decode(d, buffer_); },
            [&] { return SeekBytes(d, offset); },
            [&] { return SeekPosition(d, static_cast<float>(offset % 300) / 100.0f - 1.0f); },
            [&] { return SeekSeconds(d, static_cast<float>(offset % 20) - 5.0f); },
            [&] { return SelectOutput(d, small == 0 ? nullptr : "out", small % 2 - 1); },
            [&] { return OpenOutput(d); },
            [&] { return CloseOutput(d); },
            [&] { return ReleaseOutput(d); },
            [&] { return DecodeAndPlay(d); },
            [&] { return DecodeAndPlay(d); },
            [&] { return SetCodecOption1(d, small); },
            [&] { return SetBandGains(d, small == 0 ? nullptr : gains_); },
            [&] { return AddInputFilter(d, &filter_, small - 1); },
            [&] { return RemoveInputFilter(d, "f", small - 2); },
            [&] { return InputMessage(d, 1, 1, 1); },
            [&] {
                OutputControlBlock block{};
                return OutputControls(d, &block, 0);
            },
            [&] { return d->services.seekInput(d, offset % 3000); },
            [&] { return d->services.readInput(d, buffer_, 100); },
        };
        return operations[random() % std::size(operations)]();
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
    InputFilter filter_{};
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
