#pragma once
// A whole run of the program as the command line says, on the desktop's
// own driver (Program::RunToEnd, as src/app/main.cpp runs it): what the
// tests of whole runs call instead of starting the executable.
#include "app/command_line.h"
#include "app/program.h"

namespace dw {

// Runs the program to its end; returns its exit status.
inline int RunProgram(const CommandLine& cl) {
    Program program(cl);
    return program.RunToEnd();
}

}  // namespace dw
