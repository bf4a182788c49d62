// Registering modules: ids, order, the version rule and the required methods.
#include <gtest/gtest.h>

#include <cstring>

#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

using RegistryTest = DecoderTest;

TEST_F(RegistryTest, IdsCountUpAndTheNewestIsProbedFirst) {
    const InputModule refuses = MakeMemoryInput({.acceptsEveryName = false});
    const InputModule accepts = MakeMemoryInput({.acceptsEveryName = true});
    EXPECT_EQ(RegisterInputModule(decoder, &refuses), 0);
    EXPECT_EQ(RegisterInputModule(decoder, &accepts), 1);
    EXPECT_EQ(decoder->moduleCounts[kInputKind], 2);

    // Both accept "mem:x"; the module with id 1 stands first and wins.
    ASSERT_EQ(SelectInput(decoder, "mem:x", kAutomaticModule), kSuccess);
    EXPECT_TRUE(OptionsOf(decoder->input.instance).acceptsEveryName);
}

TEST_F(RegistryTest, EachKindCountsItsOwnIds) {
    const InputModule input = MakeMemoryInput();
    const OutputModule output = MakeRecordingOutput();
    const CodecModule codec = MakeTestCodec();
    EXPECT_EQ(RegisterInputModule(decoder, &input), 0);
    EXPECT_EQ(RegisterCodecModule(decoder, &codec), 0);
    EXPECT_EQ(RegisterOutputModule(decoder, &output), 0);
    EXPECT_EQ(RegisterCodecModule(decoder, &codec), 1);
    EXPECT_EQ(decoder->moduleCounts[kInputKind], 1);
    EXPECT_EQ(decoder->moduleCounts[kOutputKind], 1);
    EXPECT_EQ(decoder->moduleCounts[kCodecKind], 2);
}

TEST_F(RegistryTest, TheDescriptorIsCopied) {
    InputModule input = MakeMemoryInput();
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    std::memset(&input, 0, sizeof input);  // the caller may reuse its table
    MemoryInputs::Put("mem:a", {1, 2, 3});
    EXPECT_EQ(SelectInput(decoder, "mem:a", 0), kSuccess);
}

TEST_F(RegistryTest, OnlyTheLowestByteOfTheVersionIsFree) {
    InputModule input = MakeMemoryInput();
    input.version = 0x000403FF;
    EXPECT_EQ(RegisterInputModule(decoder, &input), 0);
    input.version = 0x00040400;
    EXPECT_EQ(RegisterInputModule(decoder, &input), kVersionMismatch);

    OutputModule output = MakeRecordingOutput();
    output.version = 0x00030300;
    EXPECT_EQ(RegisterOutputModule(decoder, &output), kVersionMismatch);
    CodecModule codec = MakeTestCodec();
    codec.version = 0;
    EXPECT_EQ(RegisterCodecModule(decoder, &codec), kVersionMismatch);

    // Refused descriptors are not registered: the next id follows the last accepted.
    EXPECT_EQ(decoder->moduleCounts[kInputKind], 1);
    EXPECT_EQ(decoder->moduleCounts[kOutputKind], 0);
    EXPECT_EQ(decoder->moduleCounts[kCodecKind], 0);
    input.version = kModuleVersion;
    EXPECT_EQ(RegisterInputModule(decoder, &input), 1);
}

TEST_F(RegistryTest, MissingInputMethodsAreReportedInOrder) {
    InputModule m = MakeMemoryInput();
    m.newInstance = nullptr;
    m.read = nullptr;
    EXPECT_EQ(RegisterInputModule(decoder, &m), kInternalError);
    m = MakeMemoryInput();
    m.deleteInstance = nullptr;
    EXPECT_EQ(RegisterInputModule(decoder, &m), kInternalError);
    m = MakeMemoryInput();
    m.open = nullptr;
    m.close = nullptr;
    EXPECT_EQ(RegisterInputModule(decoder, &m), kInternalError);
    m = MakeMemoryInput();
    m.close = nullptr;
    EXPECT_EQ(RegisterInputModule(decoder, &m), kInternalError);
    m = MakeMemoryInput();
    m.read = nullptr;
    EXPECT_EQ(RegisterInputModule(decoder, &m), kInternalError);
    EXPECT_EQ(Details(), (std::vector<std::string>{"null 'new' method in module", "null 'delete' method in module",
                                                   "null 'open' method in module", "null 'close' method in module",
                                                   "null 'read' method in module"}));
    for (const auto& r : reports) {
        EXPECT_EQ(r.category, "internal error");
        EXPECT_EQ(r.moduleId, 0);
    }
    EXPECT_EQ(decoder->moduleCounts[kInputKind], 0);
}

TEST_F(RegistryTest, OptionalInputMethodsMayBeMissing) {
    InputModule m = MakeMemoryInput();
    m.probe = nullptr;
    m.query = nullptr;
    m.seek = nullptr;
    m.caps = nullptr;
    m.size = nullptr;
    m.message = nullptr;
    EXPECT_EQ(RegisterInputModule(decoder, &m), 0);
    EXPECT_TRUE(reports.empty());
}

TEST_F(RegistryTest, MissingOutputMethodsAreReportedInOrder) {
    OutputModule m = MakeRecordingOutput();
    m.newInstance = nullptr;
    m.write = nullptr;
    EXPECT_EQ(RegisterOutputModule(decoder, &m), kInternalError);
    m = MakeRecordingOutput();
    m.deleteInstance = nullptr;
    EXPECT_EQ(RegisterOutputModule(decoder, &m), kInternalError);
    m = MakeRecordingOutput();
    m.open = nullptr;
    EXPECT_EQ(RegisterOutputModule(decoder, &m), kInternalError);
    m = MakeRecordingOutput();
    m.close = nullptr;
    EXPECT_EQ(RegisterOutputModule(decoder, &m), kInternalError);
    m = MakeRecordingOutput();
    m.write = nullptr;
    EXPECT_EQ(RegisterOutputModule(decoder, &m), kInternalError);
    EXPECT_EQ(Details(), (std::vector<std::string>{"null 'new' method in module", "null 'delete' method in module",
                                                   "null 'open' method in module", "null 'close' method in module",
                                                   "null 'write' method in module"}));
}

TEST_F(RegistryTest, MissingCodecMethodsAreReportedInOrder) {
    CodecModule m = MakeTestCodec();
    m.query = nullptr;
    m.probe = nullptr;
    EXPECT_EQ(RegisterCodecModule(decoder, &m), kInternalError);
    m = MakeTestCodec();
    m.probe = nullptr;
    EXPECT_EQ(RegisterCodecModule(decoder, &m), kInternalError);
    m = MakeTestCodec();
    m.newInstance = nullptr;
    EXPECT_EQ(RegisterCodecModule(decoder, &m), kInternalError);
    m = MakeTestCodec();
    m.deleteInstance = nullptr;
    EXPECT_EQ(RegisterCodecModule(decoder, &m), kInternalError);
    m = MakeTestCodec();
    m.decode = nullptr;
    EXPECT_EQ(RegisterCodecModule(decoder, &m), kInternalError);
    EXPECT_EQ(Details(), (std::vector<std::string>{"null 'query' method", "null 'probe' method in module",
                                                   "null 'new' method in module", "null 'delete' method in module",
                                                   "null 'decode' method in module"}));
    EXPECT_EQ(decoder->moduleCounts[kCodecKind], 0);
}

TEST_F(RegistryTest, AMissingCallbackChangesOnlyTheReport) {
    ASSERT_EQ(SetErrorCallback(decoder, nullptr, nullptr), kSuccess);
    InputModule m = MakeMemoryInput();
    m.open = nullptr;
    EXPECT_EQ(RegisterInputModule(decoder, &m), kInternalError);
}

TEST_F(RegistryTest, NullArgumentsAreRefused) {
    const InputModule m = MakeMemoryInput();
    EXPECT_EQ(RegisterInputModule(nullptr, &m), kInvalidParameters);
    EXPECT_EQ(RegisterInputModule(decoder, nullptr), kInvalidParameters);
    EXPECT_EQ(RegisterOutputModule(decoder, nullptr), kInvalidParameters);
    EXPECT_EQ(RegisterCodecModule(decoder, nullptr), kInvalidParameters);
}

TEST_F(RegistryTest, AModuleWithoutQueryGetsTheDefaultAnswers) {
    InputModule m = MakeMemoryInput();
    ASSERT_EQ(RegisterInputModule(decoder, &m), 0);
    ModuleInfo info{};
    ASSERT_EQ(QueryInputModule(decoder, 0, &info, kQueryModule | kQueryDeviceCount), kSuccess);
    EXPECT_STREQ(info.name, "unknown module name");
    EXPECT_STREQ(info.description, "");
    EXPECT_EQ(info.index, 1);

    info = ModuleInfo{};
    ASSERT_EQ(QueryInputModule(decoder, 0, &info, kQueryDevice), kSuccess);
    EXPECT_STREQ(info.name, "unknown device name");
    EXPECT_EQ(info.flags, kDeviceNameIsPattern);
    info.index = 1;
    EXPECT_EQ(QueryInputModule(decoder, 0, &info, kQueryDevice), kInvalidParameters);

    EXPECT_EQ(QueryInputModule(decoder, 5, &info, kQueryModule), kNoSuchModule);
    EXPECT_EQ(QueryOutputModule(decoder, 0, &info, kQueryModule), kNoSuchModule);
}

TEST_F(RegistryTest, CodecQueriesAnswerTheCodecsResult) {
    const CodecModule codec = MakeTestCodec({.maxOutputBytes = 1234});
    ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    ModuleInfo info{};
    ASSERT_EQ(QueryCodecModule(decoder, 0, &info, kQueryModule | kQueryMaxOutput), kSuccess);
    EXPECT_STREQ(info.name, "Test Codec");
    EXPECT_EQ(info.maxOutputBytes, 1234);
    EXPECT_EQ(QueryCodecModule(decoder, 1, &info, kQueryModule), kNoSuchModule);
}

}  // namespace
}  // namespace sonidrax::decoder::testing
