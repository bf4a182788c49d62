// Registering modules: the record layouts modules rely on, ids, order, the version
// rule and the required methods.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

TEST(Contracts, DescriptorsAreTablesOfWordsAndModuleInfoIsFixed) {
    // a version word (padded to a pointer on 64-bit builds) and one pointer per entry
    EXPECT_EQ(sizeof(InputModule), 12 * sizeof(void*));
    EXPECT_EQ(sizeof(OutputModule), 14 * sizeof(void*));
    EXPECT_EQ(sizeof(CodecModule), 16 * sizeof(void*));
    EXPECT_EQ(sizeof(InputFilter), 11 * sizeof(void*));
    EXPECT_EQ(sizeof(OutputFilter), 13 * sizeof(void*));
    EXPECT_EQ(sizeof(DecoderServices), 15 * sizeof(void*));
    EXPECT_EQ(offsetof(ModuleInfo, flags), 4u);
    EXPECT_EQ(offsetof(ModuleInfo, name), 8u);
    EXPECT_EQ(offsetof(ModuleInfo, description), 263u);
    EXPECT_EQ(offsetof(ModuleInfo, maxOutputBytes), 520u);
}

using RegistryTest = DecoderTest;

TEST_F(RegistryTest, IdsCountUpPerKindAndTheNewestIsProbedFirst) {
    const InputModule refuses = MakeMemoryInput({.acceptsEveryName = false});
    const InputModule accepts = MakeMemoryInput();
    const OutputModule output = MakeRecordingOutput();
    CodecModule codec = MakeTestCodec();
    EXPECT_EQ(RegisterInputModule(decoder, &refuses), 0);
    EXPECT_EQ(RegisterCodecModule(decoder, &codec), 0);
    EXPECT_EQ(RegisterOutputModule(decoder, &output), 0);
    EXPECT_EQ(RegisterCodecModule(decoder, &codec), 1);
    EXPECT_EQ(RegisterInputModule(decoder, &accepts), 1);
    std::memset(&codec, 0, sizeof codec);  // the caller may reuse its table
    // Both accept "mem:x"; the module with id 1 stands first and wins.
    ASSERT_EQ(SelectInput(decoder, "mem:x", kAutomaticModule), kSuccess);
    EXPECT_TRUE(OptionsOf(decoder->input.instance).acceptsEveryName);
    ModuleInfo info{};
    ASSERT_EQ(QueryCodecModule(decoder, 1, &info, kQueryModule | kQueryMaxOutput), kSuccess);
    EXPECT_STREQ(info.name, "Test Codec");
    EXPECT_EQ(info.maxOutputBytes, 4608);
}

TEST_F(RegistryTest, OnlyTheLowestByteOfTheVersionIsFreeAndRefusalsTakeNoId) {
    InputModule input = MakeMemoryInput();
    for (std::uint32_t version : {0x000403FFu, 0xFF040300u}) {
        input.version = version;
        EXPECT_GE(RegisterInputModule(decoder, &input), 0) << version;
    }
    input.version = 0x00040400;
    EXPECT_EQ(RegisterInputModule(decoder, &input), kVersionMismatch);
    OutputModule output = MakeRecordingOutput();
    output.version = 0x00030300;
    EXPECT_EQ(RegisterOutputModule(decoder, &output), kVersionMismatch);
    CodecModule codec = MakeTestCodec();
    codec.version = 0;
    EXPECT_EQ(RegisterCodecModule(decoder, &codec), kVersionMismatch);
    input.version = kModuleVersion;
    EXPECT_EQ(RegisterInputModule(decoder, &input), 2);
    EXPECT_EQ(decoder->moduleCounts[kOutputKind] + decoder->moduleCounts[kCodecKind], 0);
}

// Registers a copy of the descriptor with one entry cleared, by its place in the table
// (the version word counts as entry 0).
template <class Module>
Status RegisterWithout(Decoder* decoder, Module m, int entry, Status (*registerModule)(Decoder*, const Module*)) {
    reinterpret_cast<void**>(&m)[entry] = nullptr;
    return registerModule(decoder, &m);
}

TEST_F(RegistryTest, MissingRequiredMethodsAreReportedAndNothingIsRegistered) {
    const InputModule input = MakeMemoryInput();
    const OutputModule output = MakeRecordingOutput();
    const CodecModule codec = MakeTestCodec();
    const auto detail = [](const std::string& method) { return "null '" + method + "' method in module"; };
    const char* const inputMethods[] = {"new", "delete", "open", "close", "read"};     // entries 3 to 7
    const char* const outputMethods[] = {"new", "delete", "open", "close", "write"};   // entries 3 to 7
    const char* const codecMethods[] = {"probe", "query", "new", "delete", "decode"};  // entries 1 to 5
    const auto expectReport = [this](Status s, const std::string& expected) {
        EXPECT_EQ(s, kInternalError) << expected;
        ASSERT_EQ(reports.size(), 1u) << expected;
        EXPECT_EQ(reports[0].detail, expected);
        EXPECT_EQ(reports[0].category, "internal error");
        reports.clear();
    };
    for (int i = 0; i < 5; ++i) {
        expectReport(RegisterWithout(decoder, input, 3 + i, RegisterInputModule), detail(inputMethods[i]));
        expectReport(RegisterWithout(decoder, output, 3 + i, RegisterOutputModule), detail(outputMethods[i]));
        expectReport(RegisterWithout(decoder, codec, 1 + i, RegisterCodecModule),
                     i == 1 ? "null 'query' method" : detail(codecMethods[i]));
    }
    // The first missing method in the table's order is the one reported.
    CodecModule both = codec;
    both.query = nullptr;
    both.probe = nullptr;
    EXPECT_EQ(RegisterCodecModule(decoder, &both), kInternalError);
    EXPECT_EQ(Details().back(), "null 'query' method");
    for (int kind : {kInputKind, kOutputKind, kCodecKind}) EXPECT_EQ(decoder->moduleCounts[kind], 0);
    // Without a callback only the report is missing.
    ASSERT_EQ(SetErrorCallback(decoder, nullptr, nullptr), kSuccess);
    EXPECT_EQ(RegisterWithout(decoder, input, 5, RegisterInputModule), kInternalError);

    InputModule optional = input;
    optional.probe = nullptr;
    optional.query = nullptr;
    optional.seek = nullptr;
    optional.caps = nullptr;
    optional.size = nullptr;
    optional.message = nullptr;
    EXPECT_EQ(RegisterInputModule(decoder, &optional), 0);
    EXPECT_EQ(RegisterInputModule(nullptr, &optional), kInvalidParameters);
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

}  // namespace
}  // namespace sonidrax::decoder::testing
