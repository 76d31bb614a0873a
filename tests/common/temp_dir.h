#pragma once
// A fresh, empty directory under the system's temporary directory, removed
// with everything in it when the test ends. Its name ends in the process's
// id: ctest runs tests of one suite side by side, each in a process of its
// own, and two of them must never share (or remove) each other's folder.
#include <filesystem>
#include <string>
#include <system_error>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace dw {

struct TempDir {
    explicit TempDir(const char* name)
        : path(std::filesystem::temp_directory_path() / (std::string(name) + "-" + std::to_string(ProcessId()))) {
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

private:
    static long ProcessId() {
#ifdef _WIN32
        return static_cast<long>(_getpid());
#else
        return static_cast<long>(::getpid());
#endif
    }
};

}  // namespace dw
