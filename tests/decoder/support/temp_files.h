// A private folder per test for the tests of files, removed afterwards.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace sonidrax::decoder::testing {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The path of a file in the folder, as text the file modules take.
    std::string Path(const std::string& name) const { return (root_ / name).string(); }
    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
    std::vector<std::uint8_t> Read(const std::string& name) const;
    std::string Text(const std::string& name) const {
        const auto bytes = Read(name);
        return {bytes.begin(), bytes.end()};
    }

private:
    std::filesystem::path root_;
};

}  // namespace sonidrax::decoder::testing
