#include "platform/game_data.h"

#include <SDL.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "dw_install_dirs.h"  // generated: DW_DATA_INSTALL_DIR
#include "platform/resource_library.h"
#include "platform/zip_archive.h"

namespace platform {

namespace {

#ifndef _WIN32
std::string KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "is a directory, not a file";
    if (S_ISFIFO(mode)) return "is a pipe (FIFO), not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a file";
    if (S_ISSOCK(mode)) return "is a socket, not a file";
    return "is not a regular file";
}

// Unmaps and closes on every way out.
struct MappedFile {
    int fd = -1;
    void* map = MAP_FAILED;
    std::size_t size = 0;
    ~MappedFile() {
        if (map != MAP_FAILED) ::munmap(map, size);
        if (fd >= 0) ::close(fd);
    }
};
#endif

std::string Join(const std::string& dir, const std::string& name) {
    if (dir.empty()) return {};
#ifdef _WIN32
    // UTF-8 as it is: a narrow std::filesystem::path would read the bytes in
    // the machine's ANSI code page.
    return dir + '\\' + name;
#else
    return (std::filesystem::path(dir) / name).lexically_normal().string();
#endif
}

}  // namespace

#ifndef _WIN32
// (Windows: data_file_win.cpp.)
std::string DataFileProblem(const std::string& path, const std::vector<std::string>& required) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? "not found" : std::string("cannot be read: ") + std::strerror(errno);
    if (!S_ISREG(st.st_mode)) return KindOf(st.st_mode);
    if (st.st_size == 0) return "is empty";
    MappedFile f;
    // O_NONBLOCK: should the file have been swapped for a FIFO since the
    // stat above, the open does not wait for a writer.
    f.fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (f.fd < 0) return std::string("cannot be opened: ") + std::strerror(errno);
    if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode)) return KindOf(st.st_mode);
    if (st.st_size == 0) return "is empty";
    f.size = static_cast<std::size_t>(st.st_size);
    f.map = ::mmap(nullptr, f.size, PROT_READ, MAP_PRIVATE, f.fd, 0);
    if (f.map == MAP_FAILED) return std::string("cannot be read: ") + std::strerror(errno);
    return DataArchiveProblem(static_cast<const std::uint8_t*>(f.map), f.size, required);
}
#endif

std::string DataArchiveProblem(const std::uint8_t* bytes, std::size_t size, const std::vector<std::string>& required) {
    ZipArchive zip;
    if (!zip.Open(bytes, size)) return "is not a ZIP archive (damaged or cut short)";
    std::vector<std::uint8_t> entry;
    for (const std::string& name : required) {
        const int index = zip.Find(name);
        if (index < 0) return "lacks \"" + name + "\" (not this game's data, or an old one)";
        if (!zip.Extract(index, entry)) return "holds a damaged \"" + name + "\"";
    }
    return {};
}

std::string ProgramDirectory() {
    // SDL knows where the program lies (it needs no SDL_Init for that).
    char* base = SDL_GetBasePath();
    if (!base) return {};
    std::string dir = base;
    SDL_free(base);
    while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
    return dir;
}

const char* BuildTimeDataDirectory() { return DW_DATA_INSTALL_DIR; }

DataSearchInputs ProcessDataSearchInputs(const std::string& option, std::vector<std::string> required) {
    DataSearchInputs in;
    in.option = option;
    if (const char* env = std::getenv("DUSKWHIRL_DATA")) in.environment = env;
    in.programDir = ProgramDirectory();
#ifdef _WIN32
    // The folder the installer put the game in (the program's own, unless
    // it was moved since): Windows has no shared data folders to search.
    in.buildTimeDir = InstalledDataDirectory();
#else
    if (const char* xdg = std::getenv("XDG_DATA_DIRS")) in.xdgDataDirs = xdg;
    in.buildTimeDir = BuildTimeDataDirectory();
#endif
    in.required = std::move(required);
    return in;
}

DataSearch FindDataFile(const DataSearchInputs& in) {
    DataSearch search;
    auto look = [&](const std::string& where, const std::string& path) {
        if (path.empty()) return false;
        for (const DataPlace& p : search.looked)
            if (p.path == path) return false;  // the same file twice (e.g. installed = built-for)
        DataPlace place{where, path, DataFileProblem(path, in.required)};
        search.looked.push_back(place);
        if (!place.problem.empty()) return false;
        search.file = path;
        return true;
    };
    // The player's own choice is final, usable or not.
    if (!in.option.empty()) {
        look("--data", in.option);
        return search;
    }
    if (!in.environment.empty()) {
        look("DUSKWHIRL_DATA", in.environment);
        return search;
    }
    if (look("next to the program", Join(in.programDir, kDataFileName))) return search;
#ifdef _WIN32
    look("the folder the game was installed to", Join(in.buildTimeDir, kDataFileName));
    return search;
#endif
    // Beside the program's folder, in the two layouts of an installed tree:
    // bin/ with share/duskwhirl/, and games/ with share/games/duskwhirl/ (the
    // layout of the distributions' games).
    if (!in.programDir.empty() &&
        (look("beside the program's folder", Join(in.programDir + "/../share/duskwhirl", kDataFileName)) ||
         look("beside the program's folder", Join(in.programDir + "/../share/games/duskwhirl", kDataFileName))))
        return search;
    // XDG base directories: absolute entries only; unset or empty means the default.
    const std::string xdg = in.xdgDataDirs.empty() ? "/usr/local/share/:/usr/share/" : in.xdgDataDirs;
    std::size_t start = 0;
    while (start <= xdg.size()) {
        const std::size_t colon = std::min(xdg.find(':', start), xdg.size());
        const std::string dir = xdg.substr(start, colon - start);
        start = colon + 1;
        if (dir.empty() || dir.front() != '/') continue;
        if (look("XDG_DATA_DIRS", Join(dir + "/duskwhirl", kDataFileName)) ||
            look("XDG_DATA_DIRS", Join(dir + "/games/duskwhirl", kDataFileName)))
            return search;
    }
    look("the directory this program was built for", Join(in.buildTimeDir, kDataFileName));
    return search;
}

std::string DataSearchFailureText(const DataSearch& search) {
    std::string text = "Looked for gamedata.res at:\n";
    for (const DataPlace& p : search.looked)
        text += "  " + p.path + " (" + p.where + "): " + (p.problem.empty() ? "usable" : p.problem) + "\n";
    text +=
        "\nTo fix this, install the game with its data (\"make install\" installs both), or name the\n"
        "file with --data FILE or the environment variable DUSKWHIRL_DATA. A build makes the file\n"
        "as build/gamedata.res.\n";
    return text;
}

}  // namespace platform
