// Registering modules (ids, order, the version rule and the required methods),
// selecting, opening, closing and releasing the input and the output, and choosing
// the codec.
#include <gtest/gtest.h>

#include <cstring>

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
    // The same module and name keep the instance; another name or module makes a new one.
    const std::pair<const char*, std::int32_t> selections[] = {
        {"mem:song", kAutomaticModule}, {"mem:song", 0}, {"mem:other", 0}, {"mem:other", 1}};
    Events chosen;
    for (const auto& [name, id] : selections) {
        ASSERT_EQ(SelectInput(decoder, name, id), kSuccess);
        MemoryInputOptions& options = OptionsOf(decoder->input.instance);
        chosen.push_back(std::string(options.seekable ? "new " : "kept ") + (options.reportsSize ? "1" : "0"));
        options.seekable = false;  // marks this very instance
    }
    EXPECT_EQ(chosen, (Events{"new 0", "kept 0", "new 0", "new 1"}));
    EXPECT_EQ(SelectInput(decoder, nullptr, 1), kSuccess);  // the module judges the name
    EXPECT_STREQ(decoder->input.name, "");
}

TEST_F(ControlTest, StateErrorsAreReportedWithTheirTexts) {
    OutputControlBlock block{};
    EXPECT_EQ((std::vector<Status>{OpenInput(decoder), CloseInput(decoder), Decode(decoder, nullptr),
                                   InputMessage(decoder, 0, 0, 0), SeekBytes(decoder, 0), OpenOutput(decoder),
                                   CloseOutput(decoder), OutputMessage(decoder, 0, 0, 0),
                                   OutputControls(decoder, &block, 0), DecodeAndPlay(decoder)}),
              std::vector<Status>(10, kInternalError));
    Register({{}});
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    OpenRecorder();
    EXPECT_EQ((std::vector<Status>{OpenInput(decoder), OpenOutput(decoder), OutputControls(decoder, nullptr, 0)}),
              std::vector<Status>(3, kInternalError));
    EXPECT_EQ(details, (Events{"null input instance", "input not open", "input not open", "null input instance",
                               "input not open", "null output instance", "output not open", "null output instance",
                               "output not open", "output not open", "input not closed", "output not closed",
                               "null control block"}));
}

TEST_F(ControlTest, OpeningChoosesTheNewestAcceptingCodecAndKeepsItAcrossOpens) {
    Register({{.label = "a"}, {.label = "b", .probeResult = kNotAvailable}, {.label = "c", .probeResult = -1}});
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    EXPECT_EQ(Codecs().events, (Events{"c:probe", "b:probe", "a:probe", "a:new", "a:setParameters 7",
                                       "a:inputChanged unknown mem:song", "a:streamInfo"}));
    void* instance = decoder->codec.instance;
    ASSERT_EQ(CloseInput(decoder), kSuccess);
    Codecs().events.clear();
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    EXPECT_EQ(decoder->codec.instance, instance);
    // Another codec replaces the instance.
    ASSERT_EQ(CloseInput(decoder), kSuccess);
    const CodecModule d = MakeTestCodec({.label = "d"});
    ASSERT_EQ(RegisterCodecModule(decoder, &d), 3);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    ASSERT_EQ(DestroyDecoder(decoder), kSuccess);
    ASSERT_EQ(CreateDecoder(&decoder), kSuccess);
    EXPECT_EQ(Codecs().events,
              (Events{"c:probe", "b:probe", "a:probe", "a:inputChanged unknown mem:song", "a:streamInfo",
                      "a:inputClosed", "d:probe", "a:delete", "d:new", "d:setParameters 7",
                      "d:inputChanged unknown mem:song", "d:streamInfo", "d:inputClosed", "d:delete"}));
}

TEST_F(ControlTest, FailedOpensLeaveTheInputClosed) {
    Register({}, {.openResult = kFileNotFound});
    EXPECT_EQ(OpenInput(decoder), kFileNotFound);  // no codec is asked
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
    EXPECT_EQ(Codecs().events.back(), "r:inputClosed");
}

TEST_F(ControlTest, OpeningResetsTheStatusAndAsksStreamInfoOnlyWhenSeekable) {
    Register({{.durationMs = 5000}}, {.seekable = false});
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    ASSERT_EQ(decoder->services.setStringStatusProperty(decoder, "id3/title", "old"), kSuccess);
    ASSERT_EQ(CloseInput(decoder), kSuccess);
    EXPECT_STREQ(decoder->input.mimeType, "unknown");
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    char title[8];
    const DecoderStatus& s = decoder->status;
    EXPECT_EQ(
        (std::vector<double>{double(GetStringProperty(s.statusProperties, "id3/title", title)), double(s.sampleRate),
                             s.position, double(s.durationMs), double(decoder->input.bytesConsumed),
                             double(decoder->input.caps), double(decoder->input.size)}),
        (std::vector<double>{kNoSuchProperty, 0, 0, 0, 0, 0, 9216}));
    EXPECT_EQ((std::vector<Status>{ReleaseInput(decoder), ReleaseInput(decoder)}), (std::vector<Status>{0, 0}));
    EXPECT_TRUE(decoder->input.instance == nullptr && decoder->input.state == kClosed);
    EXPECT_EQ(Codecs().events,
              (Events{"codec:probe", "codec:new", "codec:setParameters 7", "codec:inputChanged unknown mem:song",
                      "codec:inputClosed", "codec:probe", "codec:inputChanged unknown mem:song", "codec:inputClosed"}));
}

TEST_F(ControlTest, OutputsAreChosenLikeInputsAndReleasedOrDestroyedClosed) {
    OutputModule silent = MakeRecordingOutput();
    silent.probe = nullptr;  // passed over by probing
    const auto select = [&](const char* name, std::int32_t id) { return SelectOutput(decoder, name, id); };
    EXPECT_EQ(
        (std::vector<Status>{select("out", kAutomaticModule), select("out", 3), RegisterOutputModule(decoder, &silent),
                             select("out", kAutomaticModule), select("out", 0), select("out", 0), select("other", 0),
                             OpenOutput(decoder), ReleaseOutput(decoder), select("out", 0), OpenOutput(decoder)}),
        (std::vector<Status>{kNoOutputModuleAccepts, kNoSuchModule, 0, kNoOutputModuleAccepts, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_STREQ(decoder->output.name, "out");
    ASSERT_EQ(DestroyDecoder(decoder), kSuccess);
    ASSERT_EQ(CreateDecoder(&decoder), kSuccess);
    EXPECT_EQ(Recorded().events,
              (Events{"new", "delete", "new", "open", "close", "delete", "new", "open", "close", "delete"}));
}

TEST_F(ControlTest, IdsCountUpPerKindTheNewestIsProbedFirstAndMissingOptionalMethodsGetDefaults) {
    const InputModule refuses = MakeMemoryInput({.acceptsEveryName = false});
    const InputModule accepts = MakeMemoryInput();
    const OutputModule output = MakeRecordingOutput();
    CodecModule codec = MakeTestCodec();
    EXPECT_EQ((std::vector<Status>{RegisterInputModule(decoder, &refuses), RegisterCodecModule(decoder, &codec),
                                   RegisterOutputModule(decoder, &output), RegisterCodecModule(decoder, &codec),
                                   RegisterInputModule(decoder, &accepts)}),
              (std::vector<Status>{0, 0, 0, 1, 1}));
    std::memset(&codec, 0, sizeof codec);  // the caller may reuse its table
    // Both accept "mem:x"; the module with id 1 stands first and wins.
    ASSERT_EQ(SelectInput(decoder, "mem:x", kAutomaticModule), kSuccess);
    EXPECT_TRUE(OptionsOf(decoder->input.instance).acceptsEveryName);
    // Modules without query, controls or message get the default answers.
    ModuleInfo module{}, device{}, second{};
    second.index = 1;
    OutputControlBlock controls{{-1, -2, -3, -4, -5, -6, -7}};
    EXPECT_EQ(
        (std::vector<Status>{
            QueryInputModule(decoder, 1, &module, kQueryModule | kQueryDeviceCount),
            QueryInputModule(decoder, 1, &device, kQueryDevice), QueryInputModule(decoder, 1, &second, kQueryDevice),
            QueryInputModule(decoder, 5, &module, kQueryModule), SelectOutput(decoder, "o", 0), OpenOutput(decoder),
            OutputControls(decoder, &controls, 0), OutputMessage(decoder, 1, 2, 3)}),
        (std::vector<Status>{0, 0, kInvalidParameters, kNoSuchModule, 0, 0, 0, kNotAvailable}));
    EXPECT_EQ((std::vector<std::string>{module.name, module.description, device.name}),
              (std::vector<std::string>{"unknown module name", "", "unknown device name"}));
    std::vector<std::int32_t> numbers(controls.fields, controls.fields + 7);
    numbers.insert(numbers.end(), {module.index, device.flags});
    EXPECT_EQ(numbers, (std::vector<std::int32_t>{-1, -2, 2, 100, 100, 50, 1, 1, kDeviceNameIsPattern}));
}

// Registers a copy of the descriptor with one entry cleared, by its place in the table
// (the version word counts as entry 0).
template <class Module>
Status RegisterWithout(Decoder* decoder, Module m, int entry, Status (*registerModule)(Decoder*, const Module*)) {
    reinterpret_cast<void**>(&m)[entry] = nullptr;
    return registerModule(decoder, &m);
}

TEST_F(ControlTest, RefusalsAreReportedAndTakeNoIdAndOnlyTheVersionsLowestByteIsFree) {
    InputModule input = MakeMemoryInput();
    OutputModule output = MakeRecordingOutput();
    CodecModule codec = MakeTestCodec();
    // Entries 3 to 7 of input and output modules, 1 to 5 of codecs.
    const char* const methods[] = {"new", "new",   "probe", "delete", "delete", "query", "open",  "open",
                                   "new", "close", "close", "delete", "read",   "write", "decode"};
    std::vector<std::string> expected;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(RegisterWithout(decoder, input, 3 + i, RegisterInputModule), kInternalError);
        EXPECT_EQ(RegisterWithout(decoder, output, 3 + i, RegisterOutputModule), kInternalError);
        EXPECT_EQ(RegisterWithout(decoder, codec, 1 + i, RegisterCodecModule), kInternalError);
        for (int k = 0; k < 3; ++k)
            expected.push_back("null '" + std::string(methods[3 * i + k]) + "' method in module");
    }
    expected[5] = "null 'query' method";
    codec.query = nullptr;  // the first missing method in the table's order is the one reported
    EXPECT_EQ(RegisterWithout(decoder, codec, 1, RegisterCodecModule), kInternalError);
    expected.push_back("null 'query' method");
    EXPECT_EQ(details, expected);
    EXPECT_EQ(categories[0], "internal error");
    output.version = 0x00030300;
    codec.version = 0;
    std::vector<Status> answers = {RegisterOutputModule(decoder, &output), RegisterCodecModule(decoder, &codec),
                                   RegisterInputModule(nullptr, &input),   RegisterInputModule(decoder, nullptr),
                                   RegisterOutputModule(decoder, nullptr), RegisterCodecModule(decoder, nullptr)};
    for (int entry : {1, 2, 8, 9, 10, 11}) reinterpret_cast<void**>(&input)[entry] = nullptr;  // optional ones
    for (std::uint32_t version : {0x000403FFu, 0xFF040300u, 0x00040400u, kModuleVersion}) {
        input.version = version;
        answers.push_back(RegisterInputModule(decoder, &input));
    }
    EXPECT_EQ(answers, (std::vector<Status>{kVersionMismatch, kVersionMismatch, kInvalidParameters, kInvalidParameters,
                                            kInvalidParameters, kInvalidParameters, 0, 1, kVersionMismatch, 2}));
    EXPECT_EQ(decoder->moduleCounts[kOutputKind] + decoder->moduleCounts[kCodecKind], 0);
    ASSERT_EQ(SetErrorCallback(decoder, nullptr, nullptr), kSuccess);  // without one only the report is missing
    EXPECT_EQ(RegisterWithout(decoder, input, 5, RegisterInputModule), kInternalError);
}

}  // namespace
}  // namespace sonidrax::decoder::testing
