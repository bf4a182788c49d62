#include "decode/decode_run.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "decode/progress.h"
#include "decode/stream_report.h"
#include "decode/write_check.h"
#include "decoder/file_input.h"
#include "decoder/file_output.h"

namespace sonidrax::tools {
namespace {

using namespace sonidrax::decoder;

constexpr const char* kProgram = "sonidrax-decode";
// Aborted frames in a row that moved the input no further: the codec is stuck.
constexpr int kStuckAbortLimit = 64;

struct LastReport {
    bool present = false;
    std::string category;
    std::string detail;
};

void Remember(void* user, std::int32_t, std::int32_t, const char* category, const char* detail) {
    auto* report = static_cast<LastReport*>(user);
    report->present = true;
    report->category = category != nullptr ? category : "";
    report->detail = detail != nullptr ? detail : "";
}

const char* StatusText(Status status) {
    switch (status) {
        case kOutOfMemory:
            return "out of memory";
        case kCannotOpenFile:
            return "cannot open the file";
        case kPermissionDenied:
            return "permission denied";
        case kFileNotFound:
            return "file not found";
        case kEndOfInput:
            return "unexpected end of the input";
        case kNoCodecAccepts:
            return "no codec knows this stream";
        case kDecodeAborted:
            return "damaged stream";
        case kNoOutputModuleAccepts:
            return "the output cannot take the stream's format";
        default:
            return "internal error";
    }
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return a != "-" && b != "-" && std::filesystem::equivalent(a, b, error);
}

class DecodeRun {
public:
    DecodeRun(const DecodeOptions& options, const ToolEnvironment& environment)
        : options_(options), env_(environment),
          progress_(environment.err, environment.errIsTerminal && !options.quiet) {}
    ~DecodeRun() { DestroyDecoder(decoder_); }
    DecodeRun(const DecodeRun&) = delete;
    DecodeRun& operator=(const DecodeRun&) = delete;

    int Run() {
        if (options_.output && SameFile(options_.input, *options_.output)) {
            return Fail("'" + *options_.output + "' is the input file; choose another output");
        }
        if (!Prepare()) return kExitFailure;
        if (!OpenTheInput()) return kExitFailure;
        return options_.output ? DecodeToOutput() : DescribeOnly();
    }

private:
    bool Prepare() {
        if (CreateDecoder(&decoder_) != kSuccess) {
            Fail("out of memory");
            return false;
        }
        SetErrorCallback(decoder_, Remember, &report_);
        InputModule input{};
        OutputModule output{};
        GetFileInputModule(&input);
        GetFileOutputModule(&output);
        inputId_ = RegisterInputModule(decoder_, &input);
        outputId_ = RegisterOutputModule(decoder_, &output);
        for (const CodecModule& codec : env_.codecs) {
            if (RegisterCodecModule(decoder_, &codec) < 0) {
                Fail("a codec could not be registered");
                return false;
            }
        }
        SetCodecOption1(decoder_, options_.channelOption);
        SetCodecOption2(decoder_, options_.rateOption);
        return true;
    }

    bool OpenTheInput() {
        Status s = SelectInput(decoder_, options_.input.c_str(), inputId_);
        if (s == kSuccess) s = OpenInput(decoder_);
        if (s == kSuccess) return true;
        Fail(Explain(s, InputLabel()));
        return false;
    }

    int DescribeOnly() {
        const Status s = Decode(decoder_, nullptr);
        if (s != kSuccess && s != kDecodeAborted) {
            return Fail(s == kEndOfInput ? "no audio found in " + InputLabel() : Explain(s, InputLabel()));
        }
        if (!options_.quiet) std::fputs(DescribeStream(decoder_, options_.input).c_str(), env_.out);
        return kExitSuccess;
    }

    int DecodeToOutput() {
        if (*options_.output == "-" && env_.stdoutIsTerminal) {
            return Fail("standard output is a terminal; name an output file or redirect it");
        }
        const std::string name = (WritesWave(options_) ? "wav:" : "raw:") + *options_.output;
        Status s = SelectOutput(decoder_, name.c_str(), outputId_);
        if (s == kSuccess) s = OpenOutput(decoder_);
        if (s != kSuccess) return Fail(Explain(s, OutputLabel()));
        WriteCheck* check = nullptr;
        if (AddWriteCheck(decoder_, &check) != kSuccess) return Fail("out of memory");

        // The properties go where the samples do not.
        std::FILE* info = *options_.output == "-" ? env_.err : env_.out;
        long frames = 0, skipped = 0, stuck = 0;
        std::uint32_t lastConsumed = 0;
        for (;;) {
            s = DecodeAndPlay(decoder_);
            if (s == kEndOfInput) break;
            if (s == kDecodeAborted) {
                ++skipped;
                stuck = decoder_->input.bytesConsumed == lastConsumed ? stuck + 1 : 0;
                lastConsumed = decoder_->input.bytesConsumed;
                if (stuck >= kStuckAbortLimit) return Finish(Fail("the decoder is stuck on a damaged frame"));
                continue;
            }
            if (s != kSuccess) return Finish(Fail(Explain(s, InputLabel())));
            if (check->failed) {
                return Finish(
                    Fail("cannot write " + OutputLabel() + ": " + std::generic_category().message(check->error)));
            }
            if (frames++ == 0 && !options_.quiet) {
                std::fputs(DescribeStream(decoder_, options_.input).c_str(), info);
                std::fflush(info);  // before the progress line on the other stream
            }
            const OutputBuffer& block = decoder_->outputBuffer;
            if (block.sampleRate > 0) seconds_ += static_cast<double>(block.samplesPerChannel) / block.sampleRate;
            lastConsumed = decoder_->input.bytesConsumed;
            progress_.Update(decoder_->status);
        }
        progress_.Finish();
        report_ = LastReport{};
        if (CloseOutput(decoder_) != kSuccess) return Fail(Explain(kCannotOpenFile, OutputLabel()));
        if (frames == 0) return Fail("no audio found in " + InputLabel());
        if (!options_.quiet) Summary(info, frames, skipped);
        return kExitSuccess;
    }

    void Summary(std::FILE* info, long frames, long skipped) {
        std::string line = "Decoded " + std::to_string(frames) + (frames == 1 ? " frame" : " frames");
        line += " (" + FormatTime(SecondsToTimecode(seconds_)) + ")";
        if (*options_.output != "-") line += " to " + *options_.output;
        if (skipped > 0) line += "; skipped " + std::to_string(skipped) + " damaged";
        std::fprintf(info, "%s\n", line.c_str());
    }

    int Finish(int code) {
        progress_.Finish();
        return code;
    }

    std::string InputLabel() const { return options_.input == "-" ? "standard input" : "'" + options_.input + "'"; }
    std::string OutputLabel() const {
        return *options_.output == "-" ? "standard output" : "'" + *options_.output + "'";
    }

    // The module's own report when there is one, else the status's meaning.
    std::string Explain(Status status, const std::string& what) {
        if (report_.present) {
            return report_.category + " " + what + ": " + report_.detail;
        }
        return what + ": " + StatusText(status);
    }

    int Fail(const std::string& message) {
        progress_.Finish();
        std::fprintf(env_.err, "%s: %s\n", kProgram, message.c_str());
        return kExitFailure;
    }

    const DecodeOptions& options_;
    const ToolEnvironment& env_;
    ProgressLine progress_;
    Decoder* decoder_ = nullptr;
    LastReport report_;
    Status inputId_ = -1;
    Status outputId_ = -1;
    double seconds_ = 0.0;  // of audio written
};

}  // namespace

int RunDecode(const DecodeOptions& options, const ToolEnvironment& environment) {
    return DecodeRun(options, environment).Run();
}

int RunDecodeTool(std::span<const char* const> arguments, const ToolEnvironment& environment) {
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    if (!parsed.error.empty()) {
        std::fprintf(environment.err, "%s: %s\n%s", kProgram, parsed.error.c_str(),
                     "Try 'sonidrax-decode --help' for more information.\n");
        return kExitUsage;
    }
    if (parsed.options.help) {
        std::fputs(UsageText(), environment.out);
        return kExitSuccess;
    }
    return RunDecode(parsed.options, environment);
}

}  // namespace sonidrax::tools
