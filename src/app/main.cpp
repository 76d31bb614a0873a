// Duskwhirl 2: entry point, the desktop's driver of the program.
#include "app/program.h"

int main(int argc, char** argv) {
    int status = 0;
    auto program = dw::Program::FromArguments(argc, argv, status);
    if (!program) return status;
    while (program->StepFrame()) program->WaitForNextFrame();
    return program->exitStatus();
}
