// Registering modules: ids, order, the version rule and the required methods.
#include <gtest/gtest.h>

#include <cstring>

#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

using RegistryTest = DecoderTest;

TEST_F(RegistryTest, IdsCountUpPerKindAndTheNewestIsProbedFirst) {
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
    ModuleInfo info{};
    ASSERT_EQ(QueryCodecModule(decoder, 1, &info, kQueryMaxOutput), kSuccess);
    EXPECT_EQ(info.maxOutputBytes, 4608);
}

// Registers a copy of the descriptor with one entry cleared, by its place in the table
// (the version word counts as entry 0).
template <class Module>
Status RegisterWithout(Decoder* decoder, Module m, int entry, Status (*registerModule)(Decoder*, const Module*)) {
    reinterpret_cast<void**>(&m)[entry] = nullptr;
    return registerModule(decoder, &m);
}

TEST_F(RegistryTest, RefusalsAreReportedAndTakeNoIdAndOnlyTheVersionsLowestByteIsFree) {
    InputModule input = MakeMemoryInput();
    OutputModule output = MakeRecordingOutput();
    CodecModule codec = MakeTestCodec();
    // Entries 3 to 7 of input and output modules, 1 to 5 of codecs.
    const char* const methods[][3] = {{"new", "new", "probe"},
                                      {"delete", "delete", "query"},
                                      {"open", "open", "new"},
                                      {"close", "close", "delete"},
                                      {"read", "write", "decode"}};
    std::vector<std::string> expected;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(RegisterWithout(decoder, input, 3 + i, RegisterInputModule), kInternalError);
        EXPECT_EQ(RegisterWithout(decoder, output, 3 + i, RegisterOutputModule), kInternalError);
        EXPECT_EQ(RegisterWithout(decoder, codec, 1 + i, RegisterCodecModule), kInternalError);
        for (const char* method : methods[i]) expected.push_back("null '" + std::string(method) + "' method in module");
    }
    expected[5] = "null 'query' method";
    codec.query = nullptr;  // the first missing method in the table's order is the one reported
    EXPECT_EQ(RegisterWithout(decoder, codec, 1, RegisterCodecModule), kInternalError);
    expected.push_back("null 'query' method");
    EXPECT_EQ(Details(), expected);
    EXPECT_EQ(reports[0].category, "internal error");
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
}

}  // namespace
}  // namespace sonidrax::decoder::testing
