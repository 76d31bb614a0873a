#include "platform/process_start.h"

#include <cstdio>

namespace platform {

std::vector<std::string> ProgramArguments(int argc, char** argv) { return {argv, argv + argc}; }

void TellUser(const std::string& text, bool error) {
    std::fputs(text.c_str(), error ? stderr : stdout);
    std::fflush(error ? stderr : stdout);
}

}  // namespace platform
