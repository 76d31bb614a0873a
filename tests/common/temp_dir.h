#pragma once
// A fresh, empty directory under the system's temporary directory, removed
// with everything in it when the test ends.
#include <filesystem>
#include <system_error>

namespace dw {

struct TempDir {
    explicit TempDir(const char* name) : path(std::filesystem::temp_directory_path() / name) {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::filesystem::path path;
};

}  // namespace dw
