// How the transcript writes values: close to what the authoring tool's message
// window shows (floats with four decimals, strings quoted, symbols with '#').
#pragma once

#include "values.h"

#include <functional>
#include <string>
#include <string_view>

namespace sonidrax::host {

// Names an instance id for the transcript (e.g. "x").
using InstanceNamer = std::function<std::string(uint32_t)>;

std::string FormatValue(const ValueStore& store, const ScriptValue& value, const InstanceNamer& namer = {});

// A string literal as a script would write it: quoted, with \n, \t, \r, \", \\ and \xHH.
std::string QuoteText(std::string_view text);

// A status as the transcript shows it: 0, small negative numbers in decimal,
// anything else in hexadecimal.
std::string FormatStatus(int32_t status);

}  // namespace sonidrax::host
