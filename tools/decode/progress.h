// The progress line sonidrax-decode keeps up to date on a terminal.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "decoder/decoder.h"

namespace sonidrax::tools {

// "0:12.34 / 3:25.50  6%", or without the total when the duration is unknown.
std::string ProgressText(const decoder::DecoderStatus& status);

class ProgressLine {
public:
    // Writes nothing at all when enabled is false.
    ProgressLine(std::FILE* stream, bool enabled) : stream_(stream), enabled_(enabled) {}

    // Redraws the line, at most a few times a second.
    void Update(const decoder::DecoderStatus& status);
    // Removes the line, so the next message starts on a clean line.
    void Finish();

private:
    std::FILE* stream_;
    bool enabled_;
    bool shown_ = false;
    std::size_t width_ = 0;
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace sonidrax::tools
