// A small codec module for tests. Its stream is a sequence of blocks of
// `blockBytes` bytes, each delivered as one decoded block of 16-bit PCM: the bytes
// themselves. A block that begins with "ABRT" makes the codec give up through
// AbortDecode; one that begins with "MONO" is delivered as one channel at 22050 Hz.
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
    std::int32_t blockBytes = 4608;
    std::int32_t maxOutputBytes = 4608;
    std::int32_t bitrate = 128;
    std::uint32_t durationMs = 0;  // published by streamInfo
    bool withStreamInfo = true;
    bool withPositionOfOffset = false;
    bool withOffsetOfPosition = false;
    bool withSeekDone = true;
    float offsetOfPositionScale = 0.5f;  // offsetOfPosition answers position x this
};

// What the codecs did, in order, as "label:event" texts.
std::vector<std::string>& CodecEvents();
// How many locals of the codec's decode were destroyed while AbortDecode unwound.
int& UnwoundLocals();
// The parameters a codec instance was last told.
struct TestCodecParameters {
    std::int32_t option1 = 0;
    std::int32_t option2 = 0;
    std::vector<std::int8_t> bandGains;  // empty when none
};
TestCodecParameters& LastParameters();

CodecModule MakeTestCodec(const TestCodecOptions& options = {});
void ResetTestCodecs();

// A block for the test codec's stream: blockBytes bytes beginning with tag (may be
// empty), the rest filled with fill.
std::vector<std::uint8_t> Block(std::int32_t blockBytes, const std::string& tag = "", std::uint8_t fill = 0x11);
std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts);

}  // namespace sonidrax::decoder::testing
