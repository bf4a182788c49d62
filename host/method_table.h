// The plug-in's method table, read from the text it registers under "msgTable":
// a first line "xtra NAME", then one method per line; a method's index is its
// position after the first line; "*" marks a global method, "object me" as first
// parameter an instance method.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sonidrax::host {

struct MethodEntry {
    std::string name;
    uint32_t index = 0;
    bool global = false;
    std::string params;  // the parameter list as written
    std::string line;    // the whole line as written
};

struct MethodTable {
    std::string xtraName;
    std::vector<MethodEntry> methods;

    // Script names compare without regard to case.
    const MethodEntry* Find(std::string_view name) const;
};

// False with a reason when the text is not a method table.
bool ParseMethodTable(std::string_view text, MethodTable* out, std::string* error);

}  // namespace sonidrax::host
