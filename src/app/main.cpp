// Duskwhirl 2: entry point.
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/runner.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    auto cl = dw::ParseCommandLine(args, error);
    if (!cl) {
        std::fprintf(stderr, "duskwhirl: %s\n%s", error.c_str(), dw::CommandLineUsage());
        return 2;
    }
    if (cl->help) {
        // The keys as the player bound them.
        std::fputs(dw::CommandLineHelp(dw::ReadBoundKeys(dw::UserDirectoryFor(*cl))).c_str(), stdout);
        return 0;
    }
    if (cl->version) {
        std::printf("Duskwhirl 2 %s\n", DW_VERSION);
        return 0;
    }
    return dw::RunProgram(*cl);
}
