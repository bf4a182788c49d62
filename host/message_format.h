// Formats the plug-in's printf-style messages that carry one 32-bit argument.
// The format comes from the plug-in, so only conversions that take a number are
// honoured; anything that would read a pointer (%s, %n, %p) is written out as is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sonidrax::host {

std::string FormatHostMessage(std::string_view format, int32_t argument);

}  // namespace sonidrax::host
