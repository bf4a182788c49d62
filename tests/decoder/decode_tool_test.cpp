// sonidrax-decode: its command line, messages and files, run with the test codec.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "decode/decode_run.h"
#include "decode/progress.h"
#include "support/temp_files.h"
#include "support/test_codec.h"

namespace sonidrax::tools {
namespace {

using decoder::testing::Block;
using decoder::testing::Concat;

class DecodeToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write("in.mp3", Concat({first, Block(4608, "ABRT"), third, Block(128, "TAGA Title   ", 0)}));
    }

    // Runs the tool with a test codec on the arguments; paths in args that start
    // with '@' are taken as names in the test's folder.
    int Run(std::vector<std::string> args, decoder::Status probe = 0, bool terminal = false) {
        std::vector<const char*> argv;
        for (auto& a : args) {
            if (!a.empty() && a[0] == '@') a = folder.Path(a.substr(1));
            argv.push_back(a.c_str());
        }
        decoder::testing::ResetTestCodecs();
        ToolEnvironment env;
        env.codecs.push_back(decoder::testing::MakeTestCodec({.probeResult = probe}));
        env.out = std::fopen(folder.Path("stdout.txt").c_str(), "wb");
        env.err = std::fopen(folder.Path("stderr.txt").c_str(), "wb");
        env.errIsTerminal = terminal;
        env.stdoutIsTerminal = !args.empty() && args.back() == "-";
        const int code = RunDecodeTool(argv, env);
        std::fclose(env.out);
        std::fclose(env.err);
        out = folder.Text("stdout.txt");
        err = folder.Text("stderr.txt");
        return code;
    }

    decoder::testing::TempFolder folder;
    std::string out, err;
    const std::vector<std::uint8_t> first = Block(4608, "", 1), third = Block(4608, "", 3);
};

TEST_F(DecodeToolTest, BadCommandLinesAndFailuresAreExplained) {
    folder.Write("empty.bin", {});
    const struct {
        std::vector<std::string> args;
        int code;
        const char* message;
        decoder::Status probe = 0;
    } cases[] = {{{}, kExitUsage, "no input file given"},
                 {{""}, kExitUsage, "--help"},
                 {{"--bogus", "a.mp3"}, kExitUsage, "unknown option '--bogus'"},
                 {{"a", "b", "c"}, kExitUsage, "too many file names: 'c'"},
                 {{"--channels=sideways", "a"}, kExitUsage, "--channels takes both, left, right or mix"},
                 {{"a", "--rate"}, kExitUsage, "option --rate needs a value"},
                 {{"--quiet=yes", "a"}, kExitUsage, "takes no value"},
                 {{"@missing.mp3", "@never.wav"}, kExitFailure, "missing.mp3': file not found"},
                 {{"@empty.bin", "@o.wav"}, kExitFailure, "no audio found in '"},
                 {{"@empty.bin"}, kExitFailure, "no audio found"},
                 {{"@in.mp3", "@o.pcm"}, kExitFailure, "no codec knows this stream", decoder::kNotAvailable},
                 {{"@in.mp3", "@no/such/folder/o.wav"}, kExitFailure, "cannot open output file '"},
                 {{"@in.mp3", "-"}, kExitFailure, "standard output is a terminal"},
                 {{"@in.mp3", "@in.mp3"}, kExitFailure, "is the input file"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args, c.probe), c.code) << c.message;
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_EQ(err.find("--help") != std::string::npos, c.code == kExitUsage) << err;
        EXPECT_TRUE(out.empty());
    }
    // Nothing was written over or left behind.
    EXPECT_TRUE(!std::filesystem::exists(folder.Path("never.wav")) && folder.Read("in.mp3").size() == 3 * 4608u + 128);
    EXPECT_EQ(Run({"--help"}), kExitSuccess);
    EXPECT_EQ(out.rfind("Usage: sonidrax-decode", 0), 0u);
    EXPECT_TRUE(err.empty());
}

TEST_F(DecodeToolTest, WithoutAnOutputThePropertiesAreShownAndOnATerminalTheProgress) {
    ASSERT_EQ(Run({"@in.mp3"}), kExitSuccess) << err;
    for (const char* line : {"Stream:      audio/x-test\n", "Sample rate: 44100 Hz\n", "Channels:    2\n",
                             "Bit rate:    128 kbit/s\n", "Duration:    unknown\n", "Title:       A Title\n"}) {
        EXPECT_NE(out.find(line), std::string::npos) << line << out;
    }
    ASSERT_EQ(Run({"@in.mp3", "@o.pcm"}, 0, true), kExitSuccess);
    EXPECT_EQ(err.back(), '\r');  // the line is cleared at the end
    decoder::DecoderStatus status{};
    status.timecode = decoder::Timecode{0, 1, 2, 5};
    EXPECT_EQ(ProgressText(status), "1:02.05");
    status.durationMs = 3725500;
    status.position = 0.25f;
    EXPECT_EQ(ProgressText(status), "1:02.05 / 1:02:05.50  25%");
}

TEST_F(DecodeToolTest, TheNameOrAnOptionChoosesTheFormatDamagedFramesAreSkippedAndWriteErrorsTold) {
    const struct {
        std::vector<std::string> args;
        std::size_t header;
    } cases[] = {{{"@in.mp3", "@out.WAV"}, 44},
                 {{"--raw", "@in.mp3", "@raw.wav"}, 0},
                 {{"-w", "-q", "@in.mp3", "@wave.pcm"}, 44},
                 {{"--channels", "mix", "-R", "quarter", "@in.mp3", "@plain.pcm"}, 0}};
    for (const auto& c : cases) {
        ASSERT_EQ(Run(c.args), kExitSuccess) << err;
        const auto file = folder.Read(c.args.back().substr(1));
        EXPECT_EQ(std::string(file.begin(), file.begin() + 4) == "RIFF", c.header == 44);
        EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + c.header, file.end()), Concat({first, third}));
        const bool told = out.find("Decoded 2 frames (0:00.05) to ") != std::string::npos &&
                          out.find("skipped 1 damaged") != std::string::npos;
        EXPECT_EQ(told, c.args[1] != "-q") << out;
        EXPECT_TRUE(err.empty()) << err;  // no progress line off a terminal
    }
    EXPECT_EQ(decoder::testing::Codecs().option1 * 10 + decoder::testing::Codecs().option2, 32);  // mix, quarter
#ifndef _WIN32
    if (std::filesystem::exists("/dev/full")) {  // a full disk
        EXPECT_EQ(Run({"@in.mp3", "/dev/full"}), kExitFailure);
        EXPECT_NE(err.find("cannot write '/dev/full'"), std::string::npos) << err;
    }
#endif
}

}  // namespace
}  // namespace sonidrax::tools
