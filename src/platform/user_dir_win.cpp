// The user directory on Windows: %APPDATA%\QVM\Duskwhirl, as SDL_GetPrefPath
// names it, made and checked through the wide API.
#include <SDL.h>
#include <windows.h>

#include "platform/services.h"
#include "platform/stored_file.h"
#include "platform/wide_text.h"

namespace platform {

namespace {

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool MakeDirs(const std::string& path) {
    const std::wstring wide = Widen(path);
    if (wide.empty()) return false;
    // Each folder on the way, after the drive ("C:\") or the share
    // ("\\server\share\") that begins the path.
    std::size_t pos = 0;
    if (wide.size() >= 2 && wide[1] == L':') pos = 2;
    if (wide.size() >= 2 && IsSeparator(wide[0]) && IsSeparator(wide[1])) {
        pos = wide.find_first_of(L"/\\", 2);
        if (pos != std::wstring::npos) pos = wide.find_first_of(L"/\\", pos + 1);
        if (pos == std::wstring::npos) return IsDirectory(wide);
    }
    while (pos != std::wstring::npos) {
        pos = wide.find_first_of(L"/\\", pos + 1);
        const std::wstring partial = wide.substr(0, pos);
        if (partial.empty() || IsSeparator(partial.back()) || (partial.size() == 2 && partial[1] == L':')) continue;
        if (!CreateDirectoryW(partial.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return IsDirectory(wide);
}

std::string DefaultUserDir() {
    char* pref = SDL_GetPrefPath("QVM", "Duskwhirl");  // made when missing
    if (!pref) return {};
    std::string dir = pref;
    SDL_free(pref);
    while (dir.size() > 3 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
    return dir;
}

std::string UserDirProblem(const std::string& dir) {
    if (dir.empty()) return "no user directory (no application data folder; use --user-dir DIR)";
    const std::wstring wide = Widen(dir);
    if (wide.empty()) return dir + " is not a valid path";
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return dir + " is not a directory";
    } else if (!MakeDirs(dir)) {
        return "cannot create " + dir + ": " + WindowsErrorText(GetLastError());
    }
    // A file of its own, gone when closed.
    const std::wstring probe = wide + L"\\.duskwhirl-write-test-" + std::to_wstring(GetCurrentProcessId());
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "cannot write in " + dir + ": " + WindowsErrorText(GetLastError());
    CloseHandle(h);
    for (const char* name : {"settings.ini", "records.csm"}) {
        const std::string file = FileIn(dir, name);
        const DWORD fileAttributes = GetFileAttributesW(Widen(file).c_str());
        if (fileAttributes == INVALID_FILE_ATTRIBUTES) continue;  // made at the first save
        if (KindOfPath(file) != PathKind::Regular) return file + " is not a regular file";
        if (fileAttributes & FILE_ATTRIBUTE_READONLY) return "cannot write " + file + ": it is read-only";
    }
    return {};
}

}  // namespace platform
