#include "platform/scratch_dir.h"

#include <filesystem>
#include <map>
#include <vector>

#include "platform/stored_file.h"

namespace platform {

namespace {

constexpr char kInUse[] = "/.in-use";

// The lock of each scratch folder this process uses, held until it is
// removed: a folder whose lock nobody holds was left by a killed run.
std::map<std::string, int>& ScratchLocks() {
    static std::map<std::string, int> locks;
    return locks;
}

// Paths are UTF-8 in the game: so they go to and come from std::filesystem
// (whose narrow strings are the system's code page on Windows).
std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The lock is let go before the folder goes: Windows removes no folder
// that holds an open file. A run that takes the folder for a left-over
// meanwhile only removes it too.
void RemoveUnlocked(const std::string& dir) {
    std::error_code ec;
    std::filesystem::remove_all(PathOf(dir), ec);
}

// Removes the scratch folders PREFIX-* of runs that were killed.
void RemoveLeftOvers(const std::string& base, const std::string& prefix) {
    std::error_code ec;
    std::vector<std::string> left;
    for (std::filesystem::directory_iterator it(PathOf(base), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = Utf8Of(it->path().filename());
        const std::string dir = Utf8Of(PathOf(base) / it->path().filename());
        if (name.rfind(prefix + "-", 0) != 0 || ScratchLocks().count(dir)) continue;
        const std::string inUse = dir + kInUse;
        if (KindOfPath(inUse) != PathKind::Regular) continue;  // not ours, or being made
        bool taken = false;
        const int fd = OpenLockedFile(inUse, &taken, nullptr);
        if (fd < 0) continue;  // its run goes on
        CloseLockedFile(fd);
        left.push_back(dir);
    }
    for (const std::string& dir : left) RemoveUnlocked(dir);
}

}  // namespace

std::string MakeScratchDirectory(const std::string& prefix) {
    const std::string base = TemporaryFolder();
    if (base.empty()) return {};
    RemoveLeftOvers(base, prefix);
    std::string dir = MakeNewFolder(prefix);
    if (dir.empty()) return dir;
    const int fd = OpenLockedFile(dir + kInUse, nullptr, nullptr);
    if (fd >= 0) ScratchLocks()[dir] = fd;
    return dir;
}

void RemoveScratchDirectory(const std::string& dir) {
    if (auto lock = ScratchLocks().find(dir); lock != ScratchLocks().end()) {
        CloseLockedFile(lock->second);
        ScratchLocks().erase(lock);
    }
    RemoveUnlocked(dir);
}

}  // namespace platform
