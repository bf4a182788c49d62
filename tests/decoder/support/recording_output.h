// An output module for tests that keeps what it is given. It hands out a buffer of
// its own and a value (77) after each decode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "decoder/decoder.h"

namespace sonidrax::decoder::testing {

struct RecordingOutputOptions {
    Status setFormatResult = kSuccess;
    std::int32_t writeResult = 0;  // 0: answers the byte count
    bool keepsNothing = false;     // writes and formats are not recorded (nor allocate)
};

struct RecordedOutput {
    std::vector<std::string> events;       // "open", "setFormat 2 44100 2 bits 7", "write 64 2 2 44100", ...
    std::vector<std::uint8_t> bytes;       // everything written
    alignas(8) std::int16_t buffer[4096];  // what getBuffer hands out
};

RecordedOutput& Recorded();
// Forgets what was recorded before.
OutputModule MakeRecordingOutput(const RecordingOutputOptions& options = {});

}  // namespace sonidrax::decoder::testing
