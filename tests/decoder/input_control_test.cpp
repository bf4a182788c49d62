// Selecting, opening and closing the input, and choosing the codec.
#include <gtest/gtest.h>

#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

class InputControlTest : public DecoderTest {
protected:
    void SetUp() override {
        DecoderTest::SetUp();
        MemoryInputs::Put("mem:song", Concat({Block(4608), Block(4608)}));
    }
};

TEST_F(InputControlTest, SelectionByIdOrByProbing) {
    const InputModule input = MakeMemoryInput({.acceptsEveryName = false});
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    EXPECT_EQ(SelectInput(decoder, "song.mp3", kAutomaticModule), kNoInputModuleAccepts);
    EXPECT_EQ(SelectInput(decoder, "mem:song", 7), kNoSuchModule);
    EXPECT_EQ(decoder->input.instance, nullptr);
    EXPECT_EQ(SelectInput(decoder, "mem:song", kAutomaticModule), kSuccess);
    EXPECT_NE(decoder->input.instance, nullptr);
    EXPECT_STREQ(decoder->input.name, "mem:song");
}

TEST_F(InputControlTest, AutomaticSelectionPassesOverModulesWithoutProbe) {
    const InputModule withProbe = MakeMemoryInput({.reportsSize = false});
    const InputModule withoutProbe = MakeMemoryInput({.withProbe = false});
    ASSERT_EQ(RegisterInputModule(decoder, &withProbe), 0);
    ASSERT_EQ(RegisterInputModule(decoder, &withoutProbe), 1);
    ASSERT_EQ(SelectInput(decoder, "mem:song", kAutomaticModule), kSuccess);
    EXPECT_FALSE(OptionsOf(decoder->input.instance).reportsSize);  // module 0
    // Selected by id, the module without probe is fine.
    ASSERT_EQ(SelectInput(decoder, "mem:song", 1), kSuccess);
    EXPECT_TRUE(OptionsOf(decoder->input.instance).reportsSize);

    DestroyDecoder(decoder);
    ASSERT_EQ(CreateDecoder(&decoder), kSuccess);
    ASSERT_EQ(RegisterInputModule(decoder, &withoutProbe), 0);
    EXPECT_EQ(SelectInput(decoder, "mem:song", kAutomaticModule), kNoInputModuleAccepts);
}

TEST_F(InputControlTest, SelectingTheSameModuleAndNameKeepsTheInstance) {
    const InputModule input = MakeMemoryInput();
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(RegisterInputModule(decoder, &input), 1);
    ASSERT_EQ(SelectInput(decoder, "mem:song", 0), kSuccess);
    void* first = decoder->input.instance;
    OptionsOf(first).seekable = false;  // marks this very instance
    EXPECT_EQ(SelectInput(decoder, "mem:song", 0), kSuccess);
    EXPECT_EQ(decoder->input.instance, first);
    EXPECT_FALSE(OptionsOf(decoder->input.instance).seekable);

    // Another name, or another module with the same descriptor, makes a new one.
    EXPECT_EQ(SelectInput(decoder, "mem:other", 0), kSuccess);
    EXPECT_TRUE(OptionsOf(decoder->input.instance).seekable);
    OptionsOf(decoder->input.instance).seekable = false;
    EXPECT_EQ(SelectInput(decoder, "mem:other", 1), kSuccess);
    EXPECT_TRUE(OptionsOf(decoder->input.instance).seekable);
}

TEST_F(InputControlTest, StateErrorsAreReportedWithTheirTexts) {
    EXPECT_EQ(OpenInput(decoder), kInternalError);
    EXPECT_EQ(CloseInput(decoder), kInternalError);
    EXPECT_EQ(Decode(decoder, nullptr), kInternalError);
    EXPECT_EQ(InputMessage(decoder, 0, 0, 0), kInternalError);
    EXPECT_EQ(SeekBytes(decoder, 0), kInternalError);

    const InputModule input = MakeMemoryInput();
    const CodecModule codec = MakeTestCodec();
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    ASSERT_EQ(SelectInput(decoder, "mem:song", 0), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    EXPECT_EQ(OpenInput(decoder), kInternalError);
    EXPECT_EQ(Details(), (std::vector<std::string>{"null input instance", "input not open", "input not open",
                                                   "null input instance", "input not open", "input not closed"}));
}

TEST_F(InputControlTest, AFailedOpenKeepsTheInstanceClosed) {
    const InputModule input = MakeMemoryInput({.openResult = kFileNotFound});
    const CodecModule codec = MakeTestCodec();
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    ASSERT_EQ(SelectInput(decoder, "mem:song", 0), kSuccess);
    EXPECT_EQ(OpenInput(decoder), kFileNotFound);
    EXPECT_EQ(decoder->input.state, kClosed);
    EXPECT_NE(decoder->input.instance, nullptr);
    EXPECT_TRUE(CodecEvents().empty());  // no codec was asked
}

TEST_F(InputControlTest, OpeningChoosesTheNewestCodecThatAccepts) {
    const InputModule input = MakeMemoryInput();
    const CodecModule a = MakeTestCodec({.label = "a"});
    const CodecModule b = MakeTestCodec({.label = "b", .probeResult = kNotAvailable});
    const CodecModule c = MakeTestCodec({.label = "c", .probeResult = kNotAvailable});
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &a), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &b), 1);
    ASSERT_EQ(RegisterCodecModule(decoder, &c), 2);
    ASSERT_EQ(SelectInput(decoder, "mem:song", 0), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    EXPECT_EQ(CodecEvents(), (std::vector<std::string>{"c:probe", "b:probe", "a:probe", "a:new", "a:setParameters 7",
                                                       "a:inputChanged unknown mem:song", "a:streamInfo"}));
    EXPECT_EQ(decoder->codec.maxOutputBytes, 4608);
    EXPECT_EQ(decoder->codec.caps, 1u);
}

TEST_F(InputControlTest, TheCodecInstanceIsKeptAcrossOpens) {
    const InputModule input = MakeMemoryInput();
    const CodecModule codec = MakeTestCodec();
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    ASSERT_EQ(SelectInput(decoder, "mem:song", 0), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    void* instance = decoder->codec.instance;
    ASSERT_EQ(CloseInput(decoder), kSuccess);
    CodecEvents().clear();
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    EXPECT_EQ(decoder->codec.instance, instance);
    EXPECT_EQ(CodecEvents(),
              (std::vector<std::string>{"codec:probe", "codec:inputChanged unknown mem:song", "codec:streamInfo"}));
}

TEST_F(InputControlTest, NoAcceptingCodecClosesTheInputAgain) {
    const InputModule input = MakeMemoryInput();
    const CodecModule codec = MakeTestCodec({.probeResult = kNotAvailable});
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(SelectInput(decoder, "mem:song", 0), kSuccess);
    EXPECT_EQ(OpenInput(decoder), kNoCodecAccepts);  // none registered
    ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    EXPECT_EQ(OpenInput(decoder), kNoCodecAccepts);
    EXPECT_EQ(decoder->input.state, kClosed);
    EXPECT_EQ(decoder->codec.instance, nullptr);
}

TEST_F(InputControlTest, CodecFailuresCloseTheInputAndAreReturned) {
    const InputModule input = MakeMemoryInput();
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    const CodecModule failsNew = MakeTestCodec({.newResult = kOutOfMemory});
    ASSERT_EQ(RegisterCodecModule(decoder, &failsNew), 0);
    ASSERT_EQ(SelectInput(decoder, "mem:song", 0), kSuccess);
    EXPECT_EQ(OpenInput(decoder), kOutOfMemory);
    EXPECT_EQ(decoder->input.state, kClosed);
    EXPECT_EQ(decoder->codec.module, nullptr);

    const CodecModule refusesInput = MakeTestCodec({.label = "r", .inputChangedResult = -77});
    ASSERT_EQ(RegisterCodecModule(decoder, &refusesInput), 1);
    EXPECT_EQ(OpenInput(decoder), -77);
    EXPECT_EQ(decoder->input.state, kClosed);
    EXPECT_EQ(CodecEvents().back(), "r:inputClosed");
}

TEST_F(InputControlTest, StreamInfoIsAskedOnlyForASeekableInput) {
    const InputModule input = MakeMemoryInput({.seekable = false});
    const CodecModule codec = MakeTestCodec({.durationMs = 5000});
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    ASSERT_EQ(SelectInput(decoder, "mem:song", 0), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    EXPECT_EQ(decoder->input.caps, 0u);
    EXPECT_EQ(decoder->status.durationMs, 0u);
    for (const auto& e : CodecEvents()) EXPECT_NE(e, "codec:streamInfo");
}

TEST_F(InputControlTest, OpeningResetsTheStatusWithoutTellingWatchers) {
    const InputModule input = MakeMemoryInput();
    const CodecModule codec = MakeTestCodec({.withStreamInfo = false});
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    ASSERT_EQ(SelectInput(decoder, "mem:song", 0), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
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
}

TEST_F(InputControlTest, ReleasingClosesAndDeletes) {
    const InputModule input = MakeMemoryInput();
    const CodecModule codec = MakeTestCodec();
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    ASSERT_EQ(SelectInput(decoder, "mem:song", 0), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    CodecEvents().clear();
    EXPECT_EQ(ReleaseInput(decoder), kSuccess);
    EXPECT_EQ(decoder->input.instance, nullptr);
    EXPECT_EQ(decoder->input.state, kClosed);
    EXPECT_EQ(CodecEvents(), (std::vector<std::string>{"codec:inputClosed"}));
    EXPECT_EQ(ReleaseInput(decoder), kSuccess);
}

TEST_F(InputControlTest, DestroyingTheDecoderClosesTheInputAndDeletesTheCodec) {
    const InputModule input = MakeMemoryInput();
    const CodecModule codec = MakeTestCodec();
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    ASSERT_EQ(SelectInput(decoder, "mem:song", 0), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    CodecEvents().clear();
    ASSERT_EQ(DestroyDecoder(decoder), kSuccess);
    ASSERT_EQ(CreateDecoder(&decoder), kSuccess);
    EXPECT_EQ(CodecEvents(), (std::vector<std::string>{"codec:inputClosed", "codec:delete"}));
}

TEST_F(InputControlTest, AnotherCodecReplacesTheInstance) {
    const InputModule input = MakeMemoryInput();
    const CodecModule a = MakeTestCodec({.label = "a"});
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &a), 0);
    ASSERT_EQ(SelectInput(decoder, "mem:song", 0), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    ASSERT_EQ(CloseInput(decoder), kSuccess);
    const CodecModule b = MakeTestCodec({.label = "b"});
    ASSERT_EQ(RegisterCodecModule(decoder, &b), 1);
    CodecEvents().clear();
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    EXPECT_EQ(CodecEvents(), (std::vector<std::string>{"b:probe", "a:delete", "b:new", "b:setParameters 7",
                                                       "b:inputChanged unknown mem:song", "b:streamInfo"}));
}

TEST_F(InputControlTest, AnEmptyOrNullNameIsTheModulesToJudge) {
    const InputModule input = MakeMemoryInput();
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    EXPECT_EQ(SelectInput(decoder, nullptr, 0), kSuccess);
    EXPECT_STREQ(decoder->input.name, "");
}

}  // namespace
}  // namespace sonidrax::decoder::testing
