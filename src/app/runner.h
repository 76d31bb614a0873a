#pragma once
#include "app/command_line.h"

namespace dw {

// Runs the program as the command line says; returns the exit status.
int RunProgram(const CommandLine& cl);

// The windowed run: SDL window with OpenGL, the real clock, keyboard and
// mouse, settings in the user directory.
int RunWindowed(const CommandLine& cl);

// The headless run: fixed-step clock, no window, no sound card, for
// `--frames N` frames (or until quit). Writes the report if asked.
int RunHeadless(const CommandLine& cl);

}  // namespace dw
