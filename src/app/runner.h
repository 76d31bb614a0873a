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

// The user directory of a run, headless or in a window: --user-dir, else the
// player's own ($XDG_DATA_HOME/QVM/Duskwhirl, else
// ~/.local/share/QVM/Duskwhirl), created when missing. One that cannot be
// used is reported once by the application at start; the game goes on.
std::string UserDirectoryFor(const CommandLine& cl);

// The keys bound in the settings.ini of a user directory (the defaults for
// those it does not hold or cannot be read), for --help.
platform::Controls ReadBoundKeys(const std::string& userDir);

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
// Every run is one session (app/session.h) in one loop; what differs is
// the devices it is given:
//   --headless: the headless devices (null shell and graphics device,
//     scripted input, fixed-step clock, no sound card, no browser);
//   else: an SDL window with OpenGL, the sound card, the real clock read
//     once a frame (fixed steps for a replay or a timedemo), the keyboard,
//     mouse and gamepads (a script for a replay or the autopilot), the
//     desktop's browser (none for a replay or the autopilot).
int RunProgram(const CommandLine& cl);

}  // namespace dw
