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

using OperationSequenceTest = DecoderTest;

TEST_F(OperationSequenceTest, AnyOrderOfOperationsKeepsTheDecoderConsistent) {
    // Registration answers ids; every other operation a status of the library.
    const std::set<Status> known = {kSuccess,      kNotAvailable,         kInvalidParameters,     kInternalError,
                                    kNoSuchModule, kNoInputModuleAccepts, kNoOutputModuleAccepts, kFileNotFound,
                                    kEndOfInput,   kNoCodecAccepts,       kDecodeAborted,         3};
    std::vector<std::uint8_t> stream;
    for (int i = 0; i < 12; ++i) stream = Concat({stream, Block(256, i == 5 ? "ABRT" : (i == 8 ? "MONO" : ""))});
    stream.resize(stream.size() - 100);  // a short last block
    const char* names[] = {"mem:a", "mem:a", "mem:b", "mem:missing", nullptr};
    alignas(8) std::int16_t buffer[2048]{};
    std::int8_t gains[kBandGainCount]{};
    InputFilter filter{};
    filter.version = kModuleVersion;
    filter.name = [] { return "f"; };
    for (unsigned seed = 1; seed <= 20 && !HasFatalFailure(); ++seed) {
        Renew();
        MemoryInputs::Put("mem:a", stream);
        MemoryInputs::Put("mem:b", Block(256, "MONO"));
        const InputModule inputs[] = {MakeMemoryInput(), MakeMemoryInput({.seekable = false})};
        const CodecModule codecs[] = {
            MakeTestCodec(
                {.blockBytes = 256, .durationMs = 9000, .withPositionOfOffset = true, .withOffsetOfPosition = true}),
            MakeTestCodec({.probeResult = kNotAvailable, .blockBytes = 256})};
        const OutputModule output = MakeRecordingOutput({.withGetBuffer = true, .withGetValue = true});
        ASSERT_EQ(RegisterOutputModule(decoder, &output), 0);
        for (int k = 0; k < 2; ++k) {
            ASSERT_EQ(RegisterInputModule(decoder, &inputs[k]), k);
            ASSERT_EQ(RegisterCodecModule(decoder, &codecs[k]), k);
        }
        std::mt19937 random(seed);
        // Each operation stands in the table as often as it should be drawn: the
        // decoding ones most, closing seldom, so that most steps find the input open.
        for (int i = 0; i < 400 && !HasFatalFailure(); ++i) {
            const int small = static_cast<int>(random() % 5);
            const std::uint32_t offset = static_cast<std::uint32_t>(random() % 4000);
            Decoder* d = decoder;
            OutputControlBlock block{};
            const std::function<Status()> operations[] = {
                [&] { return RegisterInputModule(d, &inputs[small % 2]); },
                [&] { return RegisterCodecModule(d, &codecs[small % 2]); },
                [&] { return SelectInput(d, names[small], small == 4 ? kAutomaticModule : small % 3 - 1); },
                [&] { return OpenInput(d); },
                [&] { return small == 0 ? CloseInput(d) : Decode(d, nullptr); },
                [&] { return small == 0 ? ReleaseInput(d) : Decode(d, buffer); },
                [&] { return Decode(d, nullptr); },
                [&] { return SeekBytes(d, offset); },
                [&] { return SeekPosition(d, static_cast<float>(offset % 300) / 100.0f - 1.0f); },
                [&] { return SeekSeconds(d, static_cast<float>(offset % 20) - 5.0f); },
                [&] { return SelectOutput(d, small == 0 ? nullptr : "out", small % 2 - 1); },
                [&] { return small < 3 ? OpenOutput(d) : CloseOutput(d); },
                [&] { return small == 0 ? ReleaseOutput(d) : DecodeAndPlay(d); },
                [&] { return DecodeAndPlay(d); },
                [&] { return small < 3 ? SetCodecOption1(d, small) : SetBandGains(d, small == 3 ? nullptr : gains); },
                [&] {
                    return small < 3 ? AddInputFilter(d, &filter, small - 1) : RemoveInputFilter(d, "f", small - 5);
                },
                [&] { return small < 3 ? InputMessage(d, 1, 1, 1) : OutputControls(d, &block, 0); },
                [&] {
                    return small < 3 ? d->services.seekInput(d, offset % 3000) : d->services.readInput(d, buffer, 9);
                },
            };
            const Status s = operations[random() % std::size(operations)]();
            ASSERT_TRUE(s >= 0 || known.count(s) == 1) << "seed " << seed << " step " << i << ": " << s;
            const InputState& in = d->input;
            const bool open = in.state == kOpen, out = d->output.state == kOpen;
            ASSERT_TRUE((open || in.state == kClosed) && (!open || (in.instance && d->codec.instance)));
            ASSERT_TRUE((!in.instance || in.name) && (!in.size || in.bytesConsumed <= in.size));
            ASSERT_TRUE(d->status.position >= 0.0f && d->status.position <= 1.0f && (!out || d->output.instance));
        }
    }
}

}  // namespace
}  // namespace sonidrax::decoder::testing
