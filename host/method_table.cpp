#include "method_table.h"

#include <cctype>

namespace sonidrax::host {
namespace {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

}  // namespace

const MethodEntry* MethodTable::Find(std::string_view name) const {
    for (const MethodEntry& entry : methods) {
        if (SameName(entry.name, name)) {
            return &entry;
        }
    }
    return nullptr;
}

bool ParseMethodTable(std::string_view text, MethodTable* out, std::string* error) {
    *out = MethodTable{};
    if (text.empty() || text.back() != '\n') {
        *error = "the method table does not end with a line break";
        return false;
    }
    std::vector<std::string_view> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    const std::string_view first = lines.front();
    if (first.substr(0, 5) != "xtra " || first.size() == 5) {
        *error = "the method table does not start with \"xtra NAME\"";
        return false;
    }
    out->xtraName = std::string(first.substr(5));
    for (size_t i = 1; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        MethodEntry entry;
        entry.line = std::string(line);
        entry.index = static_cast<uint32_t>(i - 1);
        if (!line.empty() && line.front() == '*') {
            entry.global = true;
            line.remove_prefix(1);
        }
        size_t nameEnd = 0;
        while (nameEnd < line.size() && IsNameChar(line[nameEnd])) {
            ++nameEnd;
        }
        if (nameEnd == 0 || (nameEnd < line.size() && line[nameEnd] != ' ')) {
            *error =
                "method table line " + std::to_string(i + 1) + " is not \"name parameters\": \"" + entry.line + "\"";
            return false;
        }
        entry.name = std::string(line.substr(0, nameEnd));
        entry.params = nameEnd < line.size() ? std::string(line.substr(nameEnd + 1)) : std::string();
        if (!entry.global && entry.params.substr(0, 9) != "object me") {
            *error = "method \"" + entry.name + "\" is neither global nor takes \"object me\"";
            return false;
        }
        if (out->Find(entry.name)) {
            *error = "method \"" + entry.name + "\" appears twice";
            return false;
        }
        out->methods.push_back(std::move(entry));
    }
    return true;
}

}  // namespace sonidrax::host
