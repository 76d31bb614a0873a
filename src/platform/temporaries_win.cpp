// The temporary files of saves on Windows: named as on Linux
// (".NAME.dwtmp-PID-XXXXXX" beside NAME); a left-over is one whose writer
// no longer runs (OpenProcess / GetExitCodeProcess) and that no handle
// holds open without delete sharing (DeleteFileW fails while one does).
#include <windows.h>

#include <cstdlib>
#include <mutex>
#include <set>

#include "platform/stored_file.h"
#include "platform/temporaries_win.h"
#include "platform/temporary_sweep.h"
#include "platform/web_page.h"
#include "platform/wide_text.h"

namespace platform {

namespace {

std::mutex inFlightMutex;
std::set<std::string>& InFlight() {
    static std::set<std::string> names;
    return names;
}

// Kept by the file's name alone: the sweep finds names in a folder, and
// the writer's unique tail tells them apart.
std::string NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsInFlight(const std::string& name) {
    const std::lock_guard<std::mutex> hold(inFlightMutex);
    return InFlight().count(name) != 0;
}

// The process that named a temporary file "...<mark><pid>-XXXXXX" still
// runs (and is not this one, whose saves in progress are in InFlight).
bool WriterRuns(const std::string& suffix) {
    char* end = nullptr;
    const unsigned long pid = std::strtoul(suffix.c_str(), &end, 10);
    if (end == suffix.c_str() || *end != '-' || pid == 0) return false;
    if (pid == GetCurrentProcessId()) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;  // another user's: it runs
    DWORD code = 0;
    const bool runs = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return runs;
}

}  // namespace

// Either separator.
void SplitPath(const std::string& path, std::string& dir, std::string& name) {
    const std::size_t slash = path.find_last_of("/\\");
    dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// DeleteFileW fails on a file that its writer holds open.
int SweepTemporaries(const std::string& dir, const std::string& prefix) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(Widen(dir + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int removed = 0;
    do {
        const std::string entry = Narrow(found.cFileName);
        const std::size_t mark = entry.find(kTemporaryMark);
        if (mark == std::string::npos || entry.compare(0, prefix.size(), prefix) != 0 ||
            (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
            continue;
        const std::string file = dir + "\\" + entry;
        if (WriterRuns(entry.substr(mark + sizeof kTemporaryMark - 1)) || IsInFlight(entry)) continue;
        removed += DeleteFileW(Widen(file).c_str()) ? 1 : 0;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    if (removed > 0) UserFilesChanged();
    return removed;
}

void MarkTemporary(const std::string& name, bool writing) {
    const std::lock_guard<std::mutex> hold(inFlightMutex);
    if (writing)
        InFlight().insert(NameOf(name));
    else
        InFlight().erase(NameOf(name));
}

std::string TemporaryPrefix(const std::string& path) {
    std::string dir, name;
    SplitPath(path, dir, name);
    const bool bare = path.find_first_of("/\\") == std::string::npos;
    return (bare ? std::string() : dir + "/") + "." + name + kTemporaryMark + std::to_string(GetCurrentProcessId()) +
        "-";
}

// A rename is made durable by MOVEFILE_WRITE_THROUGH and ReplaceFileW;
// Windows has no flush of a folder of its own. True when the folder is there.
bool SyncDirectoryOf(const std::string& path) {
    std::string dir, name;
    SplitPath(path, dir, name);
    const DWORD attributes = GetFileAttributesW(Widen(dir).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace platform
