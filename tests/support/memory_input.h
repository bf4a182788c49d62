// An input module that reads named byte blocks held in memory, for tests.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "decoder/decoder.h"

namespace sonidrax::decoder::testing {

struct MemoryInputOptions {
    bool seekable = true;
    bool reportsSize = true;
    bool withProbe = true;
    bool acceptsEveryName = true;  // probe answer; else only names starting "mem:"
    Status openResult = kSuccess;
};

// The bytes behind each name, and the options of the module descriptors made.
class MemoryInputs {
public:
    static void Put(const std::string& name, std::vector<std::uint8_t> bytes);
    static void Clear();
    static const std::vector<std::uint8_t>* Find(const std::string& name);
};

InputModule MakeMemoryInput(const MemoryInputOptions& options = {});

// The options of the instance a decoder holds (for tests that change them later).
MemoryInputOptions& OptionsOf(void* instance);

}  // namespace sonidrax::decoder::testing
