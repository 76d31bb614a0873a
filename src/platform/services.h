#pragma once
// The platform seams in use by this process. main() (or a test) fills them
// in before the application is constructed; nothing here is owned.
#include <string>

namespace gfx { class Device; }

namespace platform {

class SettingsStore;
class Shell;
class InputDevices;
class SoundLibrary;
class ResourceLibrary;
class ModuleResources;
class Desktop;
class SystemInfo;

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
    std::string userDir;  // where "file.log", "records.csm" and "settings.ini" live
};

Services& services();

// Full path of a file in the user directory (the file name alone when the
// directory is empty).
std::string UserFile(const std::string& fileName);

// The default user directory: $XDG_DATA_HOME/QVM/Duskwhirl or
// ~/.local/share/QVM/Duskwhirl, created when missing (UserDirProblem tells
// whether that worked). Empty when neither variable is set.
std::string DefaultUserDir();

// Creates a directory and its parents. True when it exists afterwards.
bool MakeDirs(const std::string& path);

// Why files cannot be written in the user directory `dir` (empty when they
// can): it cannot be created, is not a directory, or refuses a new file.
std::string UserDirProblem(const std::string& dir);

}  // namespace platform
