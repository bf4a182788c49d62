// Files the Windows tests write into their working folder (each test program runs in
// its own build folder), where a new file replaces the last one of that name.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace sonidrax::testing {

// Answers the name, to be handed on to whatever opens the file.
inline std::string WriteWorkingFile(const std::string& name, const std::vector<unsigned char>& bytes) {
    if (std::FILE* file = std::fopen(name.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return name;
}

}  // namespace sonidrax::testing
