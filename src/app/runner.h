#pragma once
#include <string>

#include "app/command_line.h"

namespace platform {
class ResourceLibrary;
class Shell;
struct DataSearch;
}  // namespace platform

namespace dw {

class Log;

// The user directory of a run: --user-dir, else the player's own
// ($XDG_DATA_HOME/QVM/Duskwhirl), created when missing. One that cannot be
// used is reported once by the application at start; the game goes on.
std::string UserDirectoryFor(const CommandLine& cl, bool windowed);

// A window without its data would show nothing: the places looked at go to
// a message box, stderr and the log ("GAME: Resource Library is absent").
void ReportMissingData(const platform::DataSearch& data, platform::Shell& shell, Log* log);
// A headless run goes on without pictures and sounds, after a warning.
void WarnMissingData(const platform::DataSearch& data);

// Gives the window the game's icon ("WindowIcon" of the resource library);
// false when the library has none.
bool SetWindowIconFromData(platform::ResourceLibrary& library, const char* libraryName,
                           platform::Shell& shell);

// Runs the program as the command line says; returns the exit status.
int RunProgram(const CommandLine& cl);

// The windowed run: SDL window with OpenGL, the real clock, keyboard and
// mouse, settings in the user directory.
int RunWindowed(const CommandLine& cl);

// The headless run: fixed-step clock, no window, no sound card, for
// `--frames N` frames (or until quit). Writes the report if asked.
int RunHeadless(const CommandLine& cl);

}  // namespace dw
