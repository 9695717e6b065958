#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace cadenzo::test {

struct TempFolder {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("cadenzo-test-" + std::to_string(std::random_device()()));
    TempFolder() { std::filesystem::create_directories(path); }
    ~TempFolder() { std::filesystem::remove_all(path); }
    std::filesystem::path operator/(const std::string& name) const { return path / name; }
    // Entries in the folder, so that a left-over temporary file shows.
    long Entries() const { return std::distance(std::filesystem::directory_iterator(path), {}); }
};

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace cadenzo::test
