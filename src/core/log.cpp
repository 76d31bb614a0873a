#include "core/log.h"

#include <cstdio>
#include <unistd.h>

#include "platform/stored_file.h"

namespace dw {

namespace {

// "file.log" -> "file-2.log" for the second copy, and so on.
std::string NumberedName(const std::string& path, int n) {
    if (n == 1) return path;
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::size_t at = hasExtension ? dot : path.size();
    return path.substr(0, at) + "-" + std::to_string(n) + path.substr(at);
}

}  // namespace

Log::Log(std::string path) : path_(std::move(path)) {
    const std::string first = path_;
    constexpr int kCopies = 9;
    for (int n = 1; n <= kCopies; ++n) {
        const std::string name = NumberedName(first, n);
        bool taken = false, notRegular = false;
        lockFd_ = platform::OpenLockedFile(name, &taken, &notRegular);
        if (taken) continue;  // another copy of the game logs there
        path_ = name;
        if (lockFd_ < 0) {
            // A FIFO, directory or device in its place: never opened, no log.
            refused_ = notRegular;
            if (notRegular)
                std::fprintf(stderr, "duskwhirl: %s is not a regular file; no log is written\n", path_.c_str());
            return;
        }
        if (::ftruncate(lockFd_, 0) != 0) {
            // Left as it was: the lines go after what is there.
        }
        if (n > 1)
            std::fprintf(stderr, "duskwhirl: %s is in use by another copy of the game; this one logs to %s\n",
                         first.c_str(), path_.c_str());
        return;
    }
    refused_ = true;
    std::fprintf(stderr, "duskwhirl: %s and its numbered copies are all in use; no log is written\n", first.c_str());
}

Log::~Log() {
    if (lockFd_ >= 0) ::close(lockFd_);
}

void Log::WriteLine(const char* text) {
    if (refused_) return;
    std::FILE* f = platform::OpenRegularFile(path_, "ab");
    if (!f) return;
    std::setvbuf(f, nullptr, _IONBF, 0);
    if (text) std::fputs(text, f);
    std::fputs("\n", f);
    std::fflush(f);
    std::fclose(f);
}

}  // namespace dw
