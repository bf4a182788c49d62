// Selecting, opening, closing and controlling the output.
#include <gtest/gtest.h>

#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

using OutputControlTest = DecoderTest;

TEST_F(OutputControlTest, SelectionByIdOrByProbing) {
    EXPECT_EQ(SelectOutput(decoder, "out", kAutomaticModule), kNoOutputModuleAccepts);
    EXPECT_EQ(SelectOutput(decoder, "out", 3), kNoSuchModule);
    OutputModule silent = MakeRecordingOutput();
    silent.probe = nullptr;  // passed over by probing, like inputs
    ASSERT_EQ(RegisterOutputModule(decoder, &silent), 0);
    EXPECT_EQ(SelectOutput(decoder, "out", kAutomaticModule), kNoOutputModuleAccepts);
    EXPECT_EQ(SelectOutput(decoder, "out", 0), kSuccess);
    EXPECT_STREQ(decoder->output.name, "out");
    // The same module and name keep the instance: no second "new".
    EXPECT_EQ(SelectOutput(decoder, "out", 0), kSuccess);
    EXPECT_EQ(Recorded().events, (std::vector<std::string>{"new"}));
    EXPECT_EQ(SelectOutput(decoder, "other", 0), kSuccess);
    EXPECT_EQ(Recorded().events, (std::vector<std::string>{"new", "delete", "new"}));
}

TEST_F(OutputControlTest, StateErrorsAreReportedWithTheirTexts) {
    EXPECT_EQ(OpenOutput(decoder), kInternalError);
    EXPECT_EQ(CloseOutput(decoder), kInternalError);
    EXPECT_EQ(OutputMessage(decoder, 0, 0, 0), kInternalError);
    OutputControlBlock block{};
    EXPECT_EQ(OutputControls(decoder, &block, 0), kInternalError);
    const OutputModule output = MakeRecordingOutput();
    ASSERT_EQ(RegisterOutputModule(decoder, &output), 0);
    ASSERT_EQ(SelectOutput(decoder, "out", 0), kSuccess);
    ASSERT_EQ(OpenOutput(decoder), kSuccess);
    EXPECT_EQ(OpenOutput(decoder), kInternalError);
    EXPECT_EQ(OutputControls(decoder, nullptr, 0), kInternalError);
    EXPECT_EQ(Details(), (std::vector<std::string>{"null output instance", "output not open", "null output instance",
                                                   "output not open", "output not closed", "null control block"}));
}

TEST_F(OutputControlTest, OpeningTakesTheCapsAndForgetsTheFormat) {
    const OutputModule output = MakeRecordingOutput({.withGetValue = true});
    ASSERT_EQ(RegisterOutputModule(decoder, &output), 0);
    EXPECT_EQ(decoder->output.caps, kDefaultOutputCaps);
    decoder->outputBuffer.channels = 2;
    decoder->outputBuffer.sampleRate = 44100;
    decoder->outputBuffer.bytesPerSample = 2;
    ASSERT_EQ(SelectOutput(decoder, "out", 0), kSuccess);
    ASSERT_EQ(OpenOutput(decoder), kSuccess);
    EXPECT_EQ(decoder->output.caps, kOutputHasValue);
    EXPECT_EQ(decoder->outputBuffer.channels, 0);
    EXPECT_EQ(decoder->outputBuffer.sampleRate, 0);
    EXPECT_EQ(decoder->outputBuffer.bytesPerSample, 0);
    ASSERT_EQ(CloseOutput(decoder), kSuccess);
    EXPECT_EQ(decoder->output.caps, 0u);
    EXPECT_EQ(decoder->output.state, kClosed);
}

TEST_F(OutputControlTest, AnOutputWithoutCapsGetsTheDefault) {
    const OutputModule output = MakeRecordingOutput();
    ASSERT_EQ(RegisterOutputModule(decoder, &output), 0);
    ASSERT_EQ(SelectOutput(decoder, "out", 0), kSuccess);
    ASSERT_EQ(OpenOutput(decoder), kSuccess);
    EXPECT_EQ(decoder->output.caps, kDefaultOutputCaps);
}

TEST_F(OutputControlTest, AnOutputWithoutControlsGetsTheDefaultSettings) {
    const OutputModule output = MakeRecordingOutput();
    ASSERT_EQ(RegisterOutputModule(decoder, &output), 0);
    ASSERT_EQ(SelectOutput(decoder, "out", 0), kSuccess);
    ASSERT_EQ(OpenOutput(decoder), kSuccess);
    OutputControlBlock block{{-1, -2, -3, -4, -5, -6, -7}};
    ASSERT_EQ(OutputControls(decoder, &block, 0), kSuccess);
    EXPECT_EQ(block.fields[0], -1);
    EXPECT_EQ(block.fields[1], -2);
    EXPECT_EQ(block.fields[2], 2);
    EXPECT_EQ(block.fields[3], 100);
    EXPECT_EQ(block.fields[4], 100);
    EXPECT_EQ(block.fields[5], 50);
    EXPECT_EQ(block.fields[6], 1);
    EXPECT_EQ(OutputMessage(decoder, 1, 2, 3), kNotAvailable);
}

TEST_F(OutputControlTest, ControlsAndMessagesReachTheOutput) {
    OutputModule output = MakeRecordingOutput();
    output.controls = [](void*, OutputControlBlock* record, std::int32_t mask) {
        record->fields[0] = mask;
        return kSuccess;
    };
    output.message = [](void*, std::intptr_t a, std::intptr_t b, std::intptr_t c) {
        return static_cast<Status>(a * b * c);
    };
    ASSERT_EQ(RegisterOutputModule(decoder, &output), 0);
    ASSERT_EQ(SelectOutput(decoder, "out", 0), kSuccess);
    EXPECT_EQ(OutputMessage(decoder, 2, 3, 4), 24);  // an instance is enough
    ASSERT_EQ(OpenOutput(decoder), kSuccess);
    OutputControlBlock block{};
    ASSERT_EQ(OutputControls(decoder, &block, 5), kSuccess);
    EXPECT_EQ(block.fields[0], 5);
    EXPECT_EQ(block.fields[2], 0);  // the output's own method: no defaults
}

TEST_F(OutputControlTest, ReleasingClosesAndDeletes) {
    const OutputModule output = MakeRecordingOutput();
    ASSERT_EQ(RegisterOutputModule(decoder, &output), 0);
    ASSERT_EQ(SelectOutput(decoder, "out", 0), kSuccess);
    ASSERT_EQ(OpenOutput(decoder), kSuccess);
    ASSERT_EQ(ReleaseOutput(decoder), kSuccess);
    EXPECT_EQ(decoder->output.instance, nullptr);
    EXPECT_EQ(Recorded().events, (std::vector<std::string>{"new", "open", "close", "delete"}));
}

TEST_F(OutputControlTest, DestroyingTheDecoderClosesItsOutput) {
    const OutputModule output = MakeRecordingOutput();
    ASSERT_EQ(RegisterOutputModule(decoder, &output), 0);
    ASSERT_EQ(SelectOutput(decoder, "out", 0), kSuccess);
    ASSERT_EQ(OpenOutput(decoder), kSuccess);
    ASSERT_EQ(DestroyDecoder(decoder), kSuccess);
    ASSERT_EQ(CreateDecoder(&decoder), kSuccess);
    EXPECT_EQ(Recorded().events, (std::vector<std::string>{"new", "open", "close", "delete"}));
}

}  // namespace
}  // namespace sonidrax::decoder::testing
