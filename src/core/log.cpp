#include "core/log.h"

#include <cstdio>

namespace dw {

Log::Log(std::string path) : path_(std::move(path)) {
    if (std::FILE* f = std::fopen(path_.c_str(), "w")) std::fclose(f);
}

void Log::WriteLine(const char* text) {
    std::FILE* f = std::fopen(path_.c_str(), "a");
    if (!f) return;
    std::setvbuf(f, nullptr, _IONBF, 0);
    if (text) std::fputs(text, f);
    std::fputs("\n", f);
    std::fflush(f);
    std::fclose(f);
}

}  // namespace dw
