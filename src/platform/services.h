#pragma once
// The platform seams of one session: the record a runner (or a test) fills
// in and the Game context points to (GameContext::services). Nothing here is
// owned and nothing is process-wide: two sessions have two records.
#include <string>
#include <vector>

namespace gfx {
class Device;
}

namespace platform {

class SettingsStore;
class Shell;
class InputDevices;
class SoundLibrary;
class ResourceLibrary;
class ModuleResources;
class Desktop;
class SystemInfo;
class Clock;
class ScoreServer;

struct Services {
    SettingsStore* settings = nullptr;
    Shell* shell = nullptr;
    gfx::Device* device = nullptr;
    InputDevices* input = nullptr;
    SoundLibrary* sound = nullptr;
    ResourceLibrary* resources = nullptr;
    ModuleResources* module = nullptr;
    Desktop* desktop = nullptr;
    SystemInfo* system = nullptr;
    Clock* clock = nullptr;
    ScoreServer* scores = nullptr;  // optional: a session without it sends nothing
    std::string userDir;            // where "file.log", "records.csm" and "settings.ini" live

    // The seams a session must have, as they are named in messages: shell,
    // input, sound library, resources, settings store, desktop, system
    // information, clock. (The device comes from the shell; the program's
    // resources default to the compiled-in ones.)
    std::vector<std::string> Missing() const;
    // The clock and the desktop. A record without them is a fault of the
    // program: the call says which seam is missing on stderr and aborts,
    // rather than read the wall clock or open a browser in its place.
    Clock& Time() const;
    Desktop& Browser() const;
    // Full path of a file in the user directory (the file name alone when
    // the directory is empty).
    std::string UserFile(const std::string& fileName) const;
};

// Ends the program: "duskwhirl: the session has no <seam>".
[[noreturn]] void MissingSeam(const char* seam);

// Full path of `fileName` in the directory `dir` (the name alone when `dir`
// is empty).
std::string FileIn(const std::string& dir, const std::string& fileName);

// The default user directory: $XDG_DATA_HOME/QVM/Duskwhirl or
// ~/.local/share/QVM/Duskwhirl, created when missing (UserDirProblem tells
// whether that worked). Empty when neither variable is set. On Windows
// %APPDATA%\QVM\Duskwhirl (SDL_GetPrefPath).
std::string DefaultUserDir();

// Creates a directory and its parents. True when it exists afterwards.
bool MakeDirs(const std::string& path);

// Why files cannot be written in the user directory `dir` (empty when they
// can): it cannot be created, is not a directory, or refuses a new file.
std::string UserDirProblem(const std::string& dir);

}  // namespace platform
