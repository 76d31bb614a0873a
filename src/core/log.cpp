#include "core/log.h"

#include <cstdio>

#include "platform/stored_file.h"

namespace dw {

Log::Log(std::string path) : path_(std::move(path)) {
    bool notRegular = false;
    if (std::FILE* f = platform::OpenRegularFile(path_, "wb", &notRegular)) std::fclose(f);
    if (notRegular) {
        // A FIFO, directory or device in its place: never opened, no log.
        refused_ = true;
        std::fprintf(stderr, "duskwhirl: %s is not a regular file; no log is written\n",
                     path_.c_str());
    }
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
