// Duskwhirl 2: entry point, the desktop's driver of the program.
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/process_start.h"

int main(int argc, char** argv) {
    // UTF-8 arguments (Windows hands the program UTF-16 ones).
    std::vector<std::string> args = platform::ProgramArguments(argc, argv);
    std::vector<char*> pointers;
    pointers.reserve(args.size() + 1);
    for (std::string& arg : args) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    int status = 0;
    auto program = dw::Program::FromArguments(static_cast<int>(args.size()), pointers.data(), status);
    if (!program) return status;
    return program->RunToEnd();
}
