#include "platform/services.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace platform {

std::vector<std::string> Services::Missing() const {
    std::vector<std::string> missing;
    const std::pair<const void*, const char*> seams[] = {
        {shell, "shell"},
        {input, "input"},
        {sound, "sound library"},
        {resources, "resources"},
        {settings, "settings store"},
        {desktop, "desktop"},
        {system, "system information"},
        {clock, "clock"},
    };
    for (const auto& [seam, name] : seams)
        if (!seam) missing.emplace_back(name);
    return missing;
}

void MissingSeam(const char* seam) {
    std::fprintf(stderr, "duskwhirl: the session has no %s\n", seam);
    std::fflush(stderr);
    std::abort();
}

Clock& Services::Time() const {
    if (!clock) MissingSeam("clock");
    return *clock;
}

Desktop& Services::Browser() const {
    if (!desktop) MissingSeam("desktop");
    return *desktop;
}

std::string Services::UserFile(const std::string& fileName) const { return FileIn(userDir, fileName); }

std::string FileIn(const std::string& dir, const std::string& fileName) {
    if (dir.empty()) return fileName;
    if (dir.back() == '/') return dir + fileName;
    return dir + "/" + fileName;
}

#ifndef _WIN32
// (Windows: user_dir_win.cpp.)
bool MakeDirs(const std::string& path) {
    if (path.empty()) return false;
    std::string partial;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty()) continue;
        if (::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string DefaultUserDir() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.local/share";
    } else {
        return {};
    }
    std::string dir = base + "/QVM/Duskwhirl";
    MakeDirs(dir);  // a failure is reported at start (UserDirProblem)
    return dir;
}

std::string UserDirProblem(const std::string& dir) {
    if (dir.empty()) return "no user directory (HOME is not set; use --user-dir DIR)";
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode)) return dir + " is not a directory";
    } else if (!MakeDirs(dir)) {
        return "cannot create " + dir + ": " + std::strerror(errno);
    }
    std::string probe = dir + "/.duskwhirl-write-test-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return "cannot write in " + dir + ": " + std::strerror(errno);
    ::close(fd);
    ::unlink(probe.c_str());
    for (const char* name : {"settings.ini", "records.csm"}) {
        const std::string file = dir + "/" + name;
        if (::stat(file.c_str(), &st) != 0) continue;  // made at the first save
        if (!S_ISREG(st.st_mode)) return file + " is not a regular file";
        if (::access(file.c_str(), W_OK) != 0) return "cannot write " + file + ": " + std::strerror(errno);
    }
    return {};
}

#endif

}  // namespace platform
