// What sonidrax-decode tells about a stream: its format, length and ID3 fields.
#pragma once

#include <cstdint>
#include <string>

#include "decoder/decoder.h"

namespace sonidrax::tools {

// "m:ss.hh", or "h:mm:ss.hh" from one hour on.
std::string FormatTime(const decoder::Timecode& time);
std::string FormatDuration(std::uint32_t milliseconds);

// The properties the decoder knows after the input opened and a first frame was
// decoded, one "Name: value" line each, for the input called inputName.
std::string DescribeStream(decoder::Decoder* decoder, const std::string& inputName);

}  // namespace sonidrax::tools
