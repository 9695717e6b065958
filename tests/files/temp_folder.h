#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace cadenzo::test {

// A fresh folder under the system's temporary folder, removed with its contents at the end.
struct TempFolder {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("cadenzo-test-" + std::to_string(std::random_device()()));
    TempFolder() { std::filesystem::create_directories(path); }
    ~TempFolder() {
        std::error_code ec; // a folder closed by UnreadablePaths opens again to be removed
        std::filesystem::permissions(path / "closed", std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path);
    }
    std::filesystem::path operator/(const std::string& name) const { return path / name; }
    // Entries in the folder, so that a left-over temporary file shows.
    long Entries() const { return std::distance(std::filesystem::directory_iterator(path), {}); }
};

// Names of a file in folder whose status cannot be read: below a 300-byte folder name, through a
// loop of links, and (when permission bits bind, i.e. not for root) in a folder without access.
inline std::vector<std::filesystem::path> UnreadablePaths(const TempFolder& folder,
                                                          const std::string& name) {
    std::filesystem::create_directory_symlink("loop", folder / "loop");
    std::vector<std::filesystem::path> paths{folder / std::string(300, 'd') / name,
                                             folder / "loop" / name};
    if (::geteuid() != 0) {
        std::filesystem::create_directory(folder / "closed");
        std::filesystem::permissions(folder / "closed", std::filesystem::perms::none);
        paths.push_back(folder / "closed" / name);
    }
    return paths;
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace cadenzo::test
