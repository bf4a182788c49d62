// A small codec module for tests. Its stream is a sequence of blocks of
// `blockBytes` bytes, each delivered as one decoded block of 16-bit PCM: the bytes
// themselves. A block that begins with "ABRT" makes the codec give up through
// AbortDecode; one that begins with "MONO" is delivered as one channel at 22050 Hz.
// It publishes a bit rate of 128 kbit/s.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "decoder/decoder.h"

namespace sonidrax::decoder::testing {

struct TestCodecOptions {
    std::string label = "codec";  // prefixes its events
    Status probeResult = kSuccess;
    Status newResult = kSuccess;
    Status inputChangedResult = kSuccess;
    std::int32_t blockBytes = 4608;  // also the largest block it answers to a query
    std::uint32_t durationMs = 0;    // published by streamInfo
    bool withStreamInfo = true;
    bool withPositionOfOffset = false;  // twice the share of the input read
    bool withOffsetOfPosition = false;  // twice the position less a half
    bool withSeekDone = true;
};

// What the codecs did, in order, as "label:event" texts, and what they saw.
struct CodecRecord {
    std::vector<std::string> events;
    int unwoundLocals = 0;                  // destroyed while AbortDecode unwound the decode
    std::int32_t option1 = 0, option2 = 0;  // as last handed over
};
CodecRecord& Codecs();
std::vector<std::string>& CodecEvents();

// At most four per test (ResetTestCodecs starts again).
CodecModule MakeTestCodec(const TestCodecOptions& options = {});
void ResetTestCodecs();

// A block for the test codec's stream: blockBytes bytes beginning with tag (may be
// empty), the rest filled with fill.
std::vector<std::uint8_t> Block(std::int32_t blockBytes, const std::string& tag = "", std::uint8_t fill = 0x11);
std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts);

}  // namespace sonidrax::decoder::testing
