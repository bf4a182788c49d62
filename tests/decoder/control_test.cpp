// Selecting, opening, closing and releasing the input and the output, and choosing
// the codec.
#include <gtest/gtest.h>

#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

using Events = std::vector<std::string>;

class ControlTest : public DecoderTest {
protected:
    // The memory input and the given codecs, "mem:song" selected.
    void Register(std::initializer_list<TestCodecOptions> codecs, const MemoryInputOptions& input = {}) {
        MemoryInputs::Put("mem:song", Concat({Block(4608), Block(4608)}));
        const InputModule m = MakeMemoryInput(input);
        ASSERT_EQ(RegisterInputModule(decoder, &m), 0);
        for (const TestCodecOptions& options : codecs) {
            const CodecModule codec = MakeTestCodec(options);
            ASSERT_GE(RegisterCodecModule(decoder, &codec), 0);
        }
        ASSERT_EQ(SelectInput(decoder, "mem:song", 0), kSuccess);
    }
};

TEST_F(ControlTest, InputsAreChosenByIdOrByProbingModulesThatHaveAProbe) {
    const InputModule refuses = MakeMemoryInput({.reportsSize = false, .acceptsEveryName = false});
    const InputModule withoutProbe = MakeMemoryInput({.withProbe = false});
    ASSERT_EQ(RegisterInputModule(decoder, &refuses), 0);
    ASSERT_EQ(RegisterInputModule(decoder, &withoutProbe), 1);
    EXPECT_EQ(
        (std::vector<Status>{SelectInput(decoder, "song.mp3", kAutomaticModule), SelectInput(decoder, "mem:a", 7)}),
        (std::vector<Status>{kNoInputModuleAccepts, kNoSuchModule}));
    EXPECT_EQ(decoder->input.instance, nullptr);
    ASSERT_EQ(SelectInput(decoder, "mem:song", kAutomaticModule), kSuccess);
    EXPECT_FALSE(OptionsOf(decoder->input.instance).reportsSize);  // module 0
    EXPECT_STREQ(decoder->input.name, "mem:song");
    // The same module and name keep the instance; another name or module makes a new one.
    void* first = decoder->input.instance;
    ASSERT_EQ(SelectInput(decoder, "mem:song", 0), kSuccess);
    EXPECT_EQ(decoder->input.instance, first);
    OptionsOf(first).seekable = false;  // marks this very instance
    ASSERT_EQ(SelectInput(decoder, "mem:other", 0), kSuccess);
    EXPECT_TRUE(OptionsOf(decoder->input.instance).seekable);
    OptionsOf(decoder->input.instance).seekable = false;
    ASSERT_EQ(SelectInput(decoder, "mem:other", 1), kSuccess);
    EXPECT_TRUE(OptionsOf(decoder->input.instance).reportsSize && OptionsOf(decoder->input.instance).seekable);
    EXPECT_EQ(SelectInput(decoder, nullptr, 1), kSuccess);  // the module judges the name
    EXPECT_STREQ(decoder->input.name, "");
}

TEST_F(ControlTest, StateErrorsAreReportedWithTheirTexts) {
    OutputControlBlock block{};
    std::vector<Status> statuses = {OpenInput(decoder),
                                    CloseInput(decoder),
                                    Decode(decoder, nullptr),
                                    InputMessage(decoder, 0, 0, 0),
                                    SeekBytes(decoder, 0),
                                    OpenOutput(decoder),
                                    CloseOutput(decoder),
                                    OutputMessage(decoder, 0, 0, 0),
                                    OutputControls(decoder, &block, 0),
                                    DecodeAndPlay(decoder)};
    Register({{}});
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    statuses.push_back(OpenInput(decoder));
    OpenRecorder();
    statuses.push_back(OpenOutput(decoder));
    statuses.push_back(OutputControls(decoder, nullptr, 0));
    EXPECT_EQ(statuses, std::vector<Status>(statuses.size(), kInternalError));
    EXPECT_EQ(Details(), (Events{"null input instance", "input not open", "input not open", "null input instance",
                                 "input not open", "null output instance", "output not open", "null output instance",
                                 "output not open", "output not open", "input not closed", "output not closed",
                                 "null control block"}));
}

TEST_F(ControlTest, OpeningChoosesTheNewestAcceptingCodecAndKeepsItAcrossOpens) {
    Register({{.label = "a"}, {.label = "b", .probeResult = kNotAvailable}, {.label = "c", .probeResult = -1}});
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    EXPECT_EQ(CodecEvents(), (Events{"c:probe", "b:probe", "a:probe", "a:new", "a:setParameters 7",
                                     "a:inputChanged unknown mem:song", "a:streamInfo"}));
    EXPECT_EQ(decoder->codec.maxOutputBytes, 4608);
    EXPECT_EQ(decoder->codec.caps, 1u);
    void* instance = decoder->codec.instance;
    ASSERT_EQ(CloseInput(decoder), kSuccess);
    CodecEvents().clear();
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    EXPECT_EQ(decoder->codec.instance, instance);
    // Another codec replaces the instance.
    ASSERT_EQ(CloseInput(decoder), kSuccess);
    const CodecModule d = MakeTestCodec({.label = "d"});
    ASSERT_EQ(RegisterCodecModule(decoder, &d), 3);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    ASSERT_EQ(DestroyDecoder(decoder), kSuccess);
    ASSERT_EQ(CreateDecoder(&decoder), kSuccess);
    EXPECT_EQ(CodecEvents(), (Events{"c:probe", "b:probe", "a:probe", "a:inputChanged unknown mem:song", "a:streamInfo",
                                     "a:inputClosed", "d:probe", "a:delete", "d:new", "d:setParameters 7",
                                     "d:inputChanged unknown mem:song", "d:streamInfo", "d:inputClosed", "d:delete"}));
}

TEST_F(ControlTest, FailedOpensLeaveTheInputClosed) {
    Register({}, {.openResult = kFileNotFound});
    EXPECT_EQ(OpenInput(decoder), kFileNotFound);  // no codec is asked
    EXPECT_NE(decoder->input.instance, nullptr);
    OptionsOf(decoder->input.instance).openResult = kSuccess;
    EXPECT_EQ(OpenInput(decoder), kNoCodecAccepts);  // none registered
    const struct {
        TestCodecOptions codec;
        Status expected;
    } failures[] = {{{.probeResult = kNotAvailable}, kNoCodecAccepts},
                    {{.newResult = kOutOfMemory}, kOutOfMemory},
                    {{.label = "r", .inputChangedResult = -77}, -77}};
    for (const auto& f : failures) {
        const CodecModule codec = MakeTestCodec(f.codec);
        ASSERT_GE(RegisterCodecModule(decoder, &codec), 0);
        EXPECT_EQ(OpenInput(decoder), f.expected);
        EXPECT_EQ(decoder->input.state, kClosed) << f.expected;
    }
    EXPECT_EQ(CodecEvents().back(), "r:inputClosed");
}

TEST_F(ControlTest, OpeningResetsTheStatusWithoutTellingWatchersAndAsksStreamInfoOnlyWhenSeekable) {
    Register({{.durationMs = 5000}}, {.seekable = false});
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    EXPECT_EQ(decoder->input.caps + decoder->status.durationMs, 0u);
    EXPECT_EQ(CodecEvents().back(), "codec:inputChanged unknown mem:song");
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    ASSERT_EQ(decoder->services.setStringStatusProperty(decoder, "id3/title", "old"), kSuccess);
    int told = 0;
    PropertyWatcher* handle = nullptr;
    ASSERT_EQ(AddPropertyWatcher(
                  decoder->status.statusProperties, "id3/title", &told,
                  [](void* client, const char*, const void*) { ++*static_cast<int*>(client); }, &handle),
              kSuccess);
    ASSERT_EQ(CloseInput(decoder), kSuccess);
    EXPECT_EQ(decoder->input.bytesConsumed, 0u);
    EXPECT_STREQ(decoder->input.mimeType, "unknown");
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    char title[8];
    EXPECT_EQ(GetStringProperty(decoder->status.statusProperties, "id3/title", title), kNoSuchProperty);
    EXPECT_EQ(told, 0);
    EXPECT_EQ(decoder->status.sampleRate, 0);
    EXPECT_EQ(decoder->status.position, 0.0f);
    EXPECT_EQ(decoder->input.size, 9216u);
    CodecEvents().clear();
    EXPECT_EQ(ReleaseInput(decoder), kSuccess);
    EXPECT_EQ(ReleaseInput(decoder), kSuccess);
    EXPECT_EQ(decoder->input.instance, nullptr);
    EXPECT_EQ(decoder->input.state, kClosed);
    EXPECT_EQ(CodecEvents(), (Events{"codec:inputClosed"}));
}

TEST_F(ControlTest, OutputsAreChosenLikeInputsAndReleasedOrDestroyedClosed) {
    EXPECT_EQ(SelectOutput(decoder, "out", kAutomaticModule), kNoOutputModuleAccepts);
    EXPECT_EQ(SelectOutput(decoder, "out", 3), kNoSuchModule);
    OutputModule silent = MakeRecordingOutput();
    silent.probe = nullptr;  // passed over by probing
    ASSERT_EQ(RegisterOutputModule(decoder, &silent), 0);
    EXPECT_EQ(SelectOutput(decoder, "out", kAutomaticModule), kNoOutputModuleAccepts);
    EXPECT_EQ(SelectOutput(decoder, "out", 0), kSuccess);
    EXPECT_STREQ(decoder->output.name, "out");
    EXPECT_EQ(SelectOutput(decoder, "out", 0), kSuccess);  // the same: no new instance
    EXPECT_EQ(SelectOutput(decoder, "other", 0), kSuccess);
    ASSERT_EQ(OpenOutput(decoder), kSuccess);
    ASSERT_EQ(ReleaseOutput(decoder), kSuccess);
    EXPECT_EQ(decoder->output.instance, nullptr);
    ASSERT_EQ(SelectOutput(decoder, "out", 0), kSuccess);
    ASSERT_EQ(OpenOutput(decoder), kSuccess);
    ASSERT_EQ(DestroyDecoder(decoder), kSuccess);
    ASSERT_EQ(CreateDecoder(&decoder), kSuccess);
    EXPECT_EQ(Recorded().events,
              (Events{"new", "delete", "new", "open", "close", "delete", "new", "open", "close", "delete"}));
}

TEST_F(ControlTest, ControlsAndMessagesReachTheOutputOrGetTheDefaults) {
    OpenRecorder();
    OutputControlBlock block{{-1, -2, -3, -4, -5, -6, -7}};
    ASSERT_EQ(OutputControls(decoder, &block, 0), kSuccess);
    EXPECT_EQ(std::vector<std::int32_t>(block.fields, block.fields + 7),
              (std::vector<std::int32_t>{-1, -2, 2, 100, 100, 50, 1}));
    EXPECT_EQ(OutputMessage(decoder, 1, 2, 3), kNotAvailable);
    OutputModule output = MakeRecordingOutput();
    output.controls = [](void*, OutputControlBlock* record, std::int32_t mask) {
        record->fields[0] = mask;
        return kSuccess;
    };
    output.message = [](void*, std::intptr_t a, std::intptr_t b, std::intptr_t c) {
        return static_cast<Status>(a * b * c);
    };
    ASSERT_EQ(RegisterOutputModule(decoder, &output), 1);
    ASSERT_EQ(SelectOutput(decoder, "out", 1), kSuccess);
    EXPECT_EQ(OutputMessage(decoder, 2, 3, 4), 24);  // an instance is enough
    ASSERT_EQ(OpenOutput(decoder), kSuccess);
    block = OutputControlBlock{};
    ASSERT_EQ(OutputControls(decoder, &block, 5), kSuccess);
    EXPECT_EQ(std::vector<std::int32_t>(block.fields, block.fields + 3), (std::vector<std::int32_t>{5, 0, 0}));
}

}  // namespace
}  // namespace sonidrax::decoder::testing
