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

// Writes RGBA8 pixels (top row first) as a PNG file. False on failure.
bool WriteScreenshot(const char* path, const std::uint8_t* rgba, std::uint32_t width,
                     std::uint32_t height);

}  // namespace dw
