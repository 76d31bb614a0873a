#include "platform/services.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace platform {

Services& services() {
    static Services s;
    return s;
}

std::string UserFile(const std::string& fileName) {
    const std::string& dir = services().userDir;
    if (dir.empty()) return fileName;
    if (dir.back() == '/') return dir + fileName;
    return dir + "/" + fileName;
}

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
    return MakeDirs(dir) ? dir : std::string{};
}

}  // namespace platform
