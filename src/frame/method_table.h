// The script method table: the text the host reads, and how each method index
// reaches its handler.
#pragma once

#include <cstdint>
#include <span>

namespace sonidrax {

enum class MethodKind : uint8_t {
    Host,          // "new" and "forget": the host's own; Call does nothing
    NewSound,      // dsNewSound's handler with the reverse flag clear
    ReverseSound,  // the same handler with the reverse flag set
    Handler,       // a handler of its own
    Alias,         // another name for the handler of `target`
};

struct MethodEntry {
    const char* line;  // the line of the table text, without its newline
    MethodKind kind;
    uint8_t target;  // for an alias: the method index it stands for
};

constexpr uint32_t kLastMethodIndex = 84;
constexpr uint32_t kHandlerCount = 78;

std::span<const MethodEntry> Methods();

// The whole NUL-terminated text: "xtra sonidrax", then one line per method.
const char* MethodTableText();

// The handler number (0 = dsNewSound's) that serves a method index, or -1 for
// the host's own methods.
int32_t HandlerNumberOf(uint32_t methodIndex);

}  // namespace sonidrax
