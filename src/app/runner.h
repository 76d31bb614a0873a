#pragma once
#include <memory>
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
// used is reported once by the session at start; the game goes on.
std::string UserDirectoryFor(const CommandLine& cl);

// The keys bound in the settings.ini of a user directory (the defaults for
// those it does not hold or cannot be read), for --help.
platform::Controls ReadBoundKeys(const std::string& userDir);

// Looks for a usable "gamedata.res" (platform/game_data.h: --data, then
// DUSKWHIRL_DATA, beside the program, installed, ...); usable means it holds
// the pictures and music the intro starts with.
platform::DataSearch FindGameData(const std::string& dataOption);

// The resource library of a run: the file the search found, or a library
// that opens nothing ("GAME: Resource Library is absent") when it found none.
std::unique_ptr<platform::ResourceLibrary> MakeResourceLibrary(const platform::DataSearch& search);

// A window without its data would show nothing: the places looked at go to
// a message box, stderr and the log ("GAME: Resource Library is absent").
void ReportMissingData(const platform::DataSearch& data, platform::Shell& shell, Log* log);
// A headless run goes on without pictures and sounds, after a warning.
void WarnMissingData(const platform::DataSearch& data);

// Gives the window the game's icon ("WindowIcon" of the resource library);
// false when the library has none.
bool SetWindowIconFromData(platform::ResourceLibrary& library, const char* libraryName, platform::Shell& shell);

}  // namespace dw
