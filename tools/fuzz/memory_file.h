#pragma once
// A file in memory (memfd) that holds one fuzz input at a time, for the
// loaders that open a path or read a descriptor as the game does.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace fuzz {

class MemoryFile {
public:
    explicit MemoryFile(const char* name) : fd_(::memfd_create(name, MFD_CLOEXEC)) {
        if (fd_ < 0) std::abort();
    }
    ~MemoryFile() { ::close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // The file now holds exactly these bytes.
    void Hold(const std::uint8_t* data, std::size_t size) {
        if (::ftruncate(fd_, 0) != 0) std::abort();
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0) std::abort();
            done += static_cast<std::size_t>(n);
        }
    }
    // A descriptor of its own (at offset 0) for a reader that takes one.
    int Reopen() const { return ::open(path().c_str(), O_RDONLY | O_CLOEXEC); }
    // A path that opens the file.
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

}  // namespace fuzz
