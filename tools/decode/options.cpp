#include "decode/options.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace sonidrax::tools {
namespace {

struct Choice {
    std::string_view word;
    std::int32_t value;
};

constexpr Choice kChannelChoices[] = {{"both", 0}, {"left", 1}, {"right", 2}, {"mix", 3}};
constexpr Choice kRateChoices[] = {{"full", 0}, {"half", 1}, {"quarter", 2}};

template <std::size_t N>
bool Choose(std::string_view word, const Choice (&choices)[N], std::int32_t* value) {
    for (const Choice& c : choices) {
        if (c.word == word) {
            *value = c.value;
            return true;
        }
    }
    return false;
}

// Splits "--name=value" into its parts; value is empty without '='.
std::pair<std::string_view, std::optional<std::string_view>> SplitLongOption(std::string_view arg) {
    const std::size_t eq = arg.find('=');
    if (eq == std::string_view::npos) return {arg, std::nullopt};
    return {arg.substr(0, eq), arg.substr(eq + 1)};
}

class Parser {
public:
    explicit Parser(std::span<const char* const> arguments) : args_(arguments) {}

    ParsedCommandLine Run() {
        bool onlyNames = false;
        for (index_ = 0; index_ < args_.size() && result_.error.empty(); ++index_) {
            const std::string_view arg = args_[index_] != nullptr ? args_[index_] : "";
            if (onlyNames || arg == "-" || arg.empty() || arg[0] != '-') {
                Name(arg);
            } else if (arg == "--") {
                onlyNames = true;
            } else {
                Option(arg);
            }
        }
        if (result_.error.empty() && !result_.options.help && result_.options.input.empty()) {
            result_.error = "no input file given";
        }
        return result_;
    }

private:
    void Name(std::string_view name) {
        if (name.empty()) {
            result_.error = "an empty file name";
        } else if (names_ == 0) {
            result_.options.input = name;
        } else if (names_ == 1) {
            result_.options.output = std::string(name);
        } else {
            result_.error = "too many file names: '" + std::string(name) + "'";
        }
        ++names_;
    }

    // The value of an option: after '=' or in the next argument.
    std::optional<std::string_view> Value(std::string_view option, std::optional<std::string_view> inline_) {
        if (inline_) return inline_;
        if (index_ + 1 < args_.size() && args_[index_ + 1] != nullptr) return std::string_view(args_[++index_]);
        result_.error = "option " + std::string(option) + " needs a value";
        return std::nullopt;
    }

    void Option(std::string_view arg) {
        const auto [name, inlineValue] = SplitLongOption(arg);
        DecodeOptions& o = result_.options;
        if (name == "-c" || name == "--channels") {
            const auto v = Value(name, inlineValue);
            if (v && !Choose(*v, kChannelChoices, &o.channelOption)) {
                result_.error = "--channels takes both, left, right or mix, not '" + std::string(*v) + "'";
            }
            return;
        }
        if (name == "-R" || name == "--rate") {
            const auto v = Value(name, inlineValue);
            if (v && !Choose(*v, kRateChoices, &o.rateOption)) {
                result_.error = "--rate takes full, half or quarter, not '" + std::string(*v) + "'";
            }
            return;
        }
        if (inlineValue) {
            result_.error = "option " + std::string(name) + " takes no value";
        } else if (name == "-h" || name == "--help") {
            o.help = true;
        } else if (name == "-q" || name == "--quiet") {
            o.quiet = true;
        } else if (name == "-w" || name == "--wav") {
            o.format = OutputFormat::kWave;
        } else if (name == "-r" || name == "--raw") {
            o.format = OutputFormat::kRaw;
        } else {
            result_.error = "unknown option '" + std::string(arg) + "'";
        }
    }

    std::span<const char* const> args_;
    std::size_t index_ = 0;
    int names_ = 0;
    ParsedCommandLine result_;
};

bool EndsWithWav(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == ".wav";
}

}  // namespace

ParsedCommandLine ParseCommandLine(std::span<const char* const> arguments) { return Parser(arguments).Run(); }

bool WritesWave(const DecodeOptions& options) {
    switch (options.format) {
        case OutputFormat::kWave:
            return true;
        case OutputFormat::kRaw:
            return false;
        case OutputFormat::kChosenByName:
            break;
    }
    return options.output.has_value() && EndsWithWav(*options.output);
}

const char* UsageText() {
    return "Usage: sonidrax-decode [options] INPUT [OUTPUT]\n"
           "Decodes MPEG audio (Layer I, II or III) to 16-bit PCM.\n"
           "\n"
           "  INPUT                the file to decode, or - for standard input\n"
           "  OUTPUT               the file to write, or - for standard output; a name\n"
           "                       ending in .wav is written as WAVE, others as raw\n"
           "                       samples. Without OUTPUT the stream's properties are\n"
           "                       shown and nothing is written.\n"
           "\n"
           "Options:\n"
           "  -w, --wav            write a RIFF WAVE file whatever the name\n"
           "  -r, --raw            write raw 16-bit little-endian samples\n"
           "  -c, --channels MODE  both (the default), left, right or mix\n"
           "  -R, --rate MODE      full (the default), half or quarter\n"
           "  -q, --quiet          show neither the properties nor the progress\n"
           "  -h, --help           show this help\n";
}

}  // namespace sonidrax::tools
