// Whether a standard stream is a terminal, on every platform the tool builds for.
#pragma once

#include <cstdio>

namespace sonidrax::tools {

bool IsTerminal(std::FILE* stream);

}  // namespace sonidrax::tools
