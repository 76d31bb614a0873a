#pragma once
// Finding "gamedata.res": the places looked at in order, the first usable
// file wins. A file is usable when it is a regular, non-empty ZIP archive
// holding the entries the start of the game needs.
//
//   1. --data FILE
//   2. $DUSKWHIRL_DATA
//   3. next to the program
//   4. <program>/../share/duskwhirl, then <program>/../share/games/duskwhirl
//   5. each of $XDG_DATA_DIRS/duskwhirl and $XDG_DATA_DIRS/games/duskwhirl
//      (default /usr/local/share:/usr/share)
//   6. the data directory the program was built for
//
// On Windows: 1 to 3, then the folder the installer recorded (its
// InstallDir value under Software\QVM\Duskwhirl).
//
// A file named by --data or DUSKWHIRL_DATA is the player's own choice: when
// it is not usable the search stops there instead of quietly taking another.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct DataPlace {
    std::string where;    // "--data", "DUSKWHIRL_DATA", "next to the program", ...
    std::string path;     // the file looked at
    std::string problem;  // empty: usable
};

struct DataSearch {
    std::string file;               // the usable file found (empty: none)
    std::vector<DataPlace> looked;  // every place looked at, in order
};

struct DataSearchInputs {
    std::string option;                 // --data (empty: not given)
    std::string environment;            // $DUSKWHIRL_DATA (empty: not set)
    std::string programDir;             // directory of the running program
    std::string xdgDataDirs;            // $XDG_DATA_DIRS as it is
    std::string buildTimeDir;           // the installed data directory of this build
    std::vector<std::string> required;  // entries a usable file must hold
};

inline constexpr char kDataFileName[] = "gamedata.res";

// The inputs of this process: the environment, /proc/self/exe, the build.
DataSearchInputs ProcessDataSearchInputs(const std::string& option, std::vector<std::string> required);

DataSearch FindDataFile(const DataSearchInputs& inputs);

// Why `path` is not a usable data file (empty when it is). Never blocks on
// FIFOs or devices and reads nothing but regular files.
std::string DataFileProblem(const std::string& path, const std::vector<std::string>& required);

// Why the whole file `bytes` is not usable game data (empty when it is): not
// a ZIP archive, or an entry of `required` missing or damaged.
std::string DataArchiveProblem(const std::uint8_t* bytes, std::size_t size, const std::vector<std::string>& required);

// For a search that found nothing: every place looked at, what was wrong
// there, and what to do about it (several lines, ending in a newline).
std::string DataSearchFailureText(const DataSearch& search);

// Directory of the running program, as SDL_GetBasePath tells it, without the
// closing '/' (empty when unknown).
std::string ProgramDirectory();

// The installed data directory this build was configured for.
const char* BuildTimeDataDirectory();

#ifdef _WIN32
// The folder the installer recorded for the current user, else for all
// users (empty when the game was unzipped rather than installed).
std::string InstalledDataDirectory();
#endif

}  // namespace platform
