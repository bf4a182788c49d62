// sonidrax-decode: its command line, messages and files, run with the test codec.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "decode/decode_run.h"
#include "decode/progress.h"
#include "decode/stream_report.h"
#include "support/temp_files.h"
#include "support/test_codec.h"

namespace sonidrax::tools {
namespace {

using decoder::testing::Block;
using decoder::testing::Concat;
using decoder::testing::TempFolder;

std::vector<std::uint8_t> Id3Tag(const std::string& title, std::uint8_t genre) {
    std::vector<std::uint8_t> tag(128, 0);
    std::memcpy(tag.data(), "TAG", 3);
    std::memcpy(tag.data() + 3, title.data(), title.size());
    tag[127] = genre;
    return tag;
}

class DecodeToolTest : public ::testing::Test {
protected:
    void SetUp() override { decoder::testing::ResetTestCodecs(); }

    // Runs the tool with the given codec on the arguments; paths in args that
    // start with '@' are taken as names in the test's folder.
    int Run(std::vector<std::string> args, const decoder::CodecModule& codec, bool terminal = false,
            bool stdoutTerminal = false) {
        for (auto& a : args) {
            if (!a.empty() && a[0] == '@') a = folder.Path(a.substr(1));
        }
        std::vector<const char*> argv;
        for (const auto& a : args) argv.push_back(a.c_str());
        ToolEnvironment env;
        env.codecs.push_back(codec);
        env.out = std::fopen(folder.Path("stdout.txt").c_str(), "wb");
        env.err = std::fopen(folder.Path("stderr.txt").c_str(), "wb");
        env.errIsTerminal = terminal;
        env.stdoutIsTerminal = stdoutTerminal;
        const int code = RunDecodeTool(argv, env);
        std::fclose(env.out);
        std::fclose(env.err);
        out = Text("stdout.txt");
        err = Text("stderr.txt");
        return code;
    }

    int Run(std::vector<std::string> args) { return Run(std::move(args), decoder::testing::MakeTestCodec()); }

    std::string Text(const std::string& name) {
        const auto bytes = folder.Read(name);
        return {bytes.begin(), bytes.end()};
    }

    TempFolder folder;
    std::string out, err;
};

TEST_F(DecodeToolTest, BadCommandLinesAreExplained) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {{{}, "no input file given"},
                 {{"--bogus", "a.mp3"}, "unknown option '--bogus'"},
                 {{"a", "b", "c"}, "too many file names: 'c'"},
                 {{"--channels=sideways", "a"}, "--channels takes both, left, right or mix"},
                 {{"a", "--rate"}, "option --rate needs a value"},
                 {{"--quiet=yes", "a"}, "takes no value"},
                 {{""}, "--help"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), kExitUsage) << c.message;
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_NE(err.find("--help"), std::string::npos) << err;
        EXPECT_TRUE(out.empty());
    }
    EXPECT_EQ(Run({"--help"}), kExitSuccess);
    EXPECT_EQ(out.rfind("Usage: sonidrax-decode", 0), 0u);
    EXPECT_TRUE(err.empty());
}

TEST_F(DecodeToolTest, WithoutAnOutputThePropertiesAreShown) {
    folder.Write("song.mp3", Concat({Block(4608), Block(4608), Id3Tag("A Title   ", 17)}));
    ASSERT_EQ(Run({"@song.mp3"}), kExitSuccess) << err;
    for (const char* line :
         {"Stream:      audio/x-test\n", "Sample rate: 44100 Hz\n", "Channels:    2\n", "Bit rate:    128 kbit/s\n",
          "Duration:    unknown\n", "Title:       A Title\n", "Genre:       17\n"}) {
        EXPECT_NE(out.find(line), std::string::npos) << line << out;
    }
    EXPECT_TRUE(err.empty()) << err;
}

TEST_F(DecodeToolTest, TheNameOrAnOptionChoosesTheFormatAndDamagedFramesAreSkipped) {
    const auto a = Block(4608, "", 1), c = Block(4608, "", 3);
    folder.Write("in.bin", Concat({a, Block(4608, "ABRT"), c}));
    ASSERT_EQ(Run({"@in.bin", "@out.WAV"}), kExitSuccess) << err;
    const auto file = folder.Read("out.WAV");
    ASSERT_EQ(file.size(), 9260u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 44, file.end()), Concat({a, c}));
    EXPECT_NE(out.find("Decoded 2 frames (0:00.05) to "), std::string::npos) << out;
    EXPECT_NE(out.find("skipped 1 damaged"), std::string::npos) << out;
    ASSERT_EQ(Run({"--raw", "@in.bin", "@raw.wav"}), kExitSuccess) << err;
    EXPECT_EQ(folder.Read("raw.wav"), Concat({a, c}));
    ASSERT_EQ(Run({"-w", "-q", "@in.bin", "@wave.pcm"}), kExitSuccess) << err;
    EXPECT_EQ(folder.Read("wave.pcm").size(), 9260u);
    EXPECT_TRUE(out.empty());  // quiet
    ASSERT_EQ(Run({"--channels", "mix", "-R", "quarter", "@in.bin", "@plain.pcm"}), kExitSuccess) << err;
    EXPECT_EQ(folder.Read("plain.pcm"), Concat({a, c}));
    EXPECT_EQ(decoder::testing::LastParameters().option1, 3);
    EXPECT_EQ(decoder::testing::LastParameters().option2, 2);
}

TEST_F(DecodeToolTest, FailuresAreExplained) {
    const auto a = Block(4608, "", 1);
    folder.Write("in.wav", a);
    folder.Write("empty.bin", {});
    const struct {
        std::vector<std::string> args;
        decoder::Status probe;
        const char* message;
    } cases[] = {
        {{"@missing.mp3", "@never.wav"}, 0, "missing.mp3': file not found"},
        {{"@empty.bin", "@o.wav"}, 0, "no audio found in '"},
        {{"@empty.bin"}, 0, "no audio found"},
        {{"@in.wav", "@o.pcm"}, decoder::kNotAvailable, "no codec knows this stream"},
        {{"@in.wav", "@no/such/folder/o.wav"}, 0, "cannot open output file '"},
        {{"@in.wav", "-"}, 0, "standard output is a terminal"},
        {{"@in.wav", "@in.wav"}, 0, "is the input file"},
    };
    for (const auto& c : cases) {
        const auto codec = decoder::testing::MakeTestCodec({.probeResult = c.probe});
        EXPECT_EQ(Run(c.args, codec, false, c.args.back() == "-"), kExitFailure) << c.message;
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        decoder::testing::ResetTestCodecs();
    }
    EXPECT_FALSE(folder.Exists("never.wav"));
    EXPECT_EQ(folder.Read("in.wav"), a);
}

#ifndef _WIN32
TEST_F(DecodeToolTest, AFullDiskIsAFailure) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    folder.Write("in.bin", Concat({Block(4608), Block(4608)}));
    EXPECT_EQ(Run({"@in.bin", "/dev/full"}), kExitFailure);
    EXPECT_NE(err.find("cannot write '/dev/full'"), std::string::npos) << err;
}
#endif

TEST_F(DecodeToolTest, ProgressIsShownOnlyOnATerminal) {
    folder.Write("in.bin", Concat({Block(4608), Block(4608)}));
    ASSERT_EQ(Run({"@in.bin", "@o.pcm"}, decoder::testing::MakeTestCodec(), false), kExitSuccess);
    EXPECT_EQ(err.find('\r'), std::string::npos);
    ASSERT_EQ(Run({"@in.bin", "@o.pcm"}, decoder::testing::MakeTestCodec(), true), kExitSuccess);
    EXPECT_NE(err.find('\r'), std::string::npos);
    EXPECT_EQ(err.back(), '\r');  // the line is cleared at the end
}

TEST(ProgressText, ShowsTimeTotalAndShare) {
    decoder::DecoderStatus status{};
    status.timecode = decoder::Timecode{0, 1, 2, 5};
    EXPECT_EQ(ProgressText(status), "1:02.05");
    status.durationMs = 3725500;
    status.position = 0.25f;
    EXPECT_EQ(ProgressText(status), "1:02.05 / 1:02:05.50  25%");
}

}  // namespace
}  // namespace sonidrax::tools
