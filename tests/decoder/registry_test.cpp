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
    const char* const common[] = {"null 'new' method in module", "null 'delete' method in module",
                                  "null 'open' method in module", "null 'close' method in module"};
    const struct {
        int kind, entry;
        const char* detail;
    } requirements[] = {
        {kInputKind, 3, common[0]},
        {kInputKind, 4, common[1]},
        {kInputKind, 5, common[2]},
        {kInputKind, 6, common[3]},
        {kInputKind, 7, "null 'read' method in module"},
        {kOutputKind, 3, common[0]},
        {kOutputKind, 4, common[1]},
        {kOutputKind, 5, common[2]},
        {kOutputKind, 6, common[3]},
        {kOutputKind, 7, "null 'write' method in module"},
        {kCodecKind, 2, "null 'query' method"},
        {kCodecKind, 1, "null 'probe' method in module"},
        {kCodecKind, 3, common[0]},
        {kCodecKind, 4, common[1]},
        {kCodecKind, 5, "null 'decode' method in module"},
    };
    for (const auto& r : requirements) {
        reports.clear();
        const Status s = r.kind == kInputKind    ? RegisterWithout(decoder, input, r.entry, RegisterInputModule)
                         : r.kind == kOutputKind ? RegisterWithout(decoder, output, r.entry, RegisterOutputModule)
                                                 : RegisterWithout(decoder, codec, r.entry, RegisterCodecModule);
        EXPECT_EQ(s, kInternalError) << r.detail;
        ASSERT_EQ(reports.size(), 1u) << r.detail;
        EXPECT_EQ(reports[0].detail, r.detail);
        EXPECT_EQ(reports[0].category, "internal error");
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
