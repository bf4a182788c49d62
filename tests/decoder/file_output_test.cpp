// The file output module: raw and WAVE files, prefixes, and open failures.
#include <gtest/gtest.h>

#include <cstring>

#include "decoder/file_output.h"
#include "support/decoder_fixture.h"
#include "support/temp_files.h"

namespace sonidrax::decoder::testing {
namespace {

std::uint32_t Word(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint32_t Half(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }
std::string Tag(const std::vector<std::uint8_t>& b, std::size_t at) { return {b.begin() + at, b.begin() + at + 4}; }

class FileOutputTest : public DecoderTest {
protected:
    void SetUp() override {
        DecoderTest::SetUp();
        ASSERT_EQ(GetFileOutputModule(&module), kSuccess);
        ASSERT_EQ(RegisterOutputModule(decoder, &module), 0);
    }

    // Writes the blocks through the module directly, as the decoder would.
    Status WriteFile(const std::string& name, const std::vector<std::vector<std::uint8_t>>& blocks,
                     std::int32_t channels = 2, std::int32_t rate = 44100) {
        if (const Status s = SelectOutput(decoder, name.c_str(), kAutomaticModule); s != kSuccess) return s;
        if (const Status s = OpenOutput(decoder); s != kSuccess) return s;
        for (const auto& block : blocks) {
            const auto size = static_cast<std::int32_t>(block.size());
            if (module.write(decoder->output.instance, block.data(), size, 2, channels, rate) != size) return -1;
        }
        return CloseOutput(decoder);
    }

    OutputModule module{};
    TempFolder folder;
};

TEST_F(FileOutputTest, TwoBlocksMakeAWaveFileWithTheRightSizes) {
    const auto first = Block(4608, "", 0x01);
    const auto second = Block(4608, "", 0x02);
    ASSERT_EQ(WriteFile("wav:" + folder.Path("out.wav"), {first, second}), kSuccess);
    const auto file = folder.Read("out.wav");
    ASSERT_EQ(file.size(), 9260u);
    EXPECT_EQ(Tag(file, 0), "RIFF");
    EXPECT_EQ(Word(file, 4), 9252u);
    EXPECT_EQ(Tag(file, 8), "WAVE");
    EXPECT_EQ(Tag(file, 12), "fmt ");
    EXPECT_EQ(Word(file, 16), 16u);
    EXPECT_EQ(Half(file, 20), 1u);
    EXPECT_EQ(Half(file, 22), 2u);
    EXPECT_EQ(Word(file, 24), 44100u);
    EXPECT_EQ(Word(file, 28), 176400u);
    EXPECT_EQ(Half(file, 32), 4u);
    EXPECT_EQ(Half(file, 34), 16u);
    EXPECT_EQ(Tag(file, 36), "data");
    EXPECT_EQ(Word(file, 40), 9216u);
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 44, file.end()), Concat({first, second}));
}

TEST_F(FileOutputTest, TheHeaderTakesTheFirstBlocksFormat) {
    ASSERT_EQ(WriteFile("wav:" + folder.Path("mono.wav"), {Block(100), Block(100)}, 1, 22050), kSuccess);
    const auto file = folder.Read("mono.wav");
    ASSERT_EQ(file.size(), 244u);
    EXPECT_EQ(Half(file, 22), 1u);
    EXPECT_EQ(Word(file, 24), 22050u);
    EXPECT_EQ(Word(file, 28), 44100u);
    EXPECT_EQ(Half(file, 32), 2u);
}

TEST_F(FileOutputTest, AWaveFileWithoutSamplesStillHasAHeader) {
    ASSERT_EQ(WriteFile("wav:" + folder.Path("empty.wav"), {}), kSuccess);
    const auto file = folder.Read("empty.wav");
    ASSERT_EQ(file.size(), 44u);
    EXPECT_EQ(Word(file, 4), 36u);
    EXPECT_EQ(Word(file, 40), 0u);
}

TEST_F(FileOutputTest, OtherPrefixesWriteBareSamples) {
    const auto block = Block(64, "pcm", 0x7F);
    for (const std::string prefix : {"", "raw:", "aiff:", "sun:"}) {
        const std::string name = "bare" + std::to_string(prefix.size()) + ".pcm";
        ASSERT_EQ(WriteFile(prefix + folder.Path(name), {block, block}), kSuccess) << prefix;
        EXPECT_EQ(folder.Read(name), Concat({block, block})) << prefix;
    }
}

TEST_F(FileOutputTest, PrefixesAreCaseSensitive) {
    // "WAV:" is no prefix, so it stays part of a path that leads nowhere.
    EXPECT_EQ(WriteFile("WAV:" + folder.Path("upper.wav"), {}), kCannotOpenFile);
    EXPECT_FALSE(folder.Exists("upper.wav"));
}

TEST_F(FileOutputTest, AnEmptyNameIsRefusedByNew) {
    EXPECT_EQ(SelectOutput(decoder, "", kAutomaticModule), kInvalidParameters);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().detail, "null params or null/empty output name");
    EXPECT_EQ(decoder->output.instance, nullptr);
}

TEST_F(FileOutputTest, AFileThatCannotBeCreatedIsReported) {
    EXPECT_EQ(WriteFile(folder.Path("no/such/folder/out.wav"), {}), kCannotOpenFile);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().category, "cannot open output file");
    EXPECT_FALSE(reports.back().detail.empty());
    EXPECT_EQ(decoder->output.state, kClosed);
}

TEST_F(FileOutputTest, EmptyBlocksAreNotWritten) {
    ASSERT_EQ(SelectOutput(decoder, folder.Path("e.pcm").c_str(), kAutomaticModule), kSuccess);
    ASSERT_EQ(OpenOutput(decoder), kSuccess);
    const std::uint8_t byte = 0;
    EXPECT_EQ(module.write(decoder->output.instance, &byte, 0, 2, 2, 44100), 0);
    EXPECT_EQ(module.write(decoder->output.instance, nullptr, 4, 2, 2, 44100), 0);
    ASSERT_EQ(CloseOutput(decoder), kSuccess);
    EXPECT_TRUE(folder.Read("e.pcm").empty());
}

TEST_F(FileOutputTest, QueryNamesTheModuleAndItsDevices) {
    ModuleInfo info{};
    ASSERT_EQ(QueryOutputModule(decoder, 0, &info, kQueryModule | kQueryDeviceCount), kSuccess);
    EXPECT_STREQ(info.name, "Output To File");
    EXPECT_STREQ(info.description, "Version 1.2");
    EXPECT_EQ(info.index, 3);
    const char* names[] = {"*, or raw:*", "wav:*", "-"};
    const char* descriptions[] = {"file name (raw PCM format)", "file name (WAV format)", "standard output"};
    const std::int32_t flags[] = {1, 1, 0};
    for (std::int32_t i = 0; i < 3; ++i) {
        info = ModuleInfo{};
        info.index = i;
        ASSERT_EQ(QueryOutputModule(decoder, 0, &info, kQueryDevice), kSuccess);
        EXPECT_STREQ(info.name, names[i]);
        EXPECT_STREQ(info.description, descriptions[i]);
        EXPECT_EQ(info.flags, flags[i]);
    }
    info.index = 3;
    EXPECT_EQ(QueryOutputModule(decoder, 0, &info, kQueryDevice), kInvalidParameters);
    info.index = -1;
    EXPECT_EQ(QueryOutputModule(decoder, 0, &info, kQueryDevice), kInvalidParameters);
}

TEST_F(FileOutputTest, DecodeAndPlayWritesTheDecodedStream) {
    const InputModule input = MakeMemoryInput();
    const CodecModule codec = MakeTestCodec();
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    const auto first = Block(4608, "", 5);
    const auto second = Block(4608, "", 6);
    MemoryInputs::Put("mem:two", Concat({first, second}));
    ASSERT_EQ(SelectInput(decoder, "mem:two", 0), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    ASSERT_EQ(SelectOutput(decoder, ("wav:" + folder.Path("decoded.wav")).c_str(), 0), kSuccess);
    ASSERT_EQ(OpenOutput(decoder), kSuccess);
    ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    ASSERT_EQ(DecodeAndPlay(decoder), kEndOfInput);
    ASSERT_EQ(CloseOutput(decoder), kSuccess);
    const auto file = folder.Read("decoded.wav");
    ASSERT_EQ(file.size(), 9260u);
    EXPECT_EQ(Word(file, 40), 9216u);
    EXPECT_EQ(file[44], 5);
    EXPECT_EQ(file.back(), 6);
}

}  // namespace
}  // namespace sonidrax::decoder::testing
