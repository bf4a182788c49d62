// The command line of sonidrax-decode.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace sonidrax::tools {

enum class OutputFormat { kChosenByName, kWave, kRaw };

struct DecodeOptions {
    std::string input;                  // a file name, or "-" for standard input
    std::optional<std::string> output;  // absent: print the properties only
    OutputFormat format = OutputFormat::kChosenByName;
    std::int32_t channelOption = 0;  // the codec's option 1
    std::int32_t rateOption = 0;     // the codec's option 2
    bool quiet = false;
    bool help = false;
};

struct ParsedCommandLine {
    DecodeOptions options;
    std::string error;  // empty when the command line is good
};

// Parses the arguments after the program name.
ParsedCommandLine ParseCommandLine(std::span<const char* const> arguments);

// Whether the output is written as WAVE: asked for, or a name ending in ".wav".
bool WritesWave(const DecodeOptions& options);

const char* UsageText();

}  // namespace sonidrax::tools
