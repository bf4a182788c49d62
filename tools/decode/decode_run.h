// sonidrax-decode's work: a file (or standard input) through the file input, a
// codec and the file output, with the stream's properties and a progress line.
#pragma once

#include <cstdio>
#include <span>
#include <vector>

#include "decode/options.h"
#include "decoder/decoder.h"

namespace sonidrax::tools {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct ToolEnvironment {
    std::vector<decoder::CodecModule> codecs;  // registered in this order
    std::FILE* out = stdout;                   // the properties, unless the samples go there
    std::FILE* err = stderr;                   // messages and the progress line
    bool errIsTerminal = false;                // show progress on err
    bool stdoutIsTerminal = false;             // samples are not written to a terminal
};

int RunDecode(const DecodeOptions& options, const ToolEnvironment& environment);
// Parses the arguments after the program name and runs them.
int RunDecodeTool(std::span<const char* const> arguments, const ToolEnvironment& environment);

}  // namespace sonidrax::tools
