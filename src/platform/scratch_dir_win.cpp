// Scratch folders on Windows: in GetTempPathW's folder, made with
// CreateDirectoryW under a name no other folder there has.
#include <windows.h>

#include <filesystem>

#include "platform/scratch_dir.h"
#include "platform/wide_text.h"

namespace platform {

std::string MakeScratchDirectory(const std::string& prefix) {
    wchar_t base[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, base);
    if (n == 0 || n > MAX_PATH) return {};
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        wchar_t name[64];
        std::swprintf(name, 64, L"-%lx-%lx-%x", GetCurrentProcessId(), GetTickCount(), attempt);
        const std::wstring dir = std::wstring(base) + Widen(prefix) + name;
        if (CreateDirectoryW(dir.c_str(), nullptr)) return Narrow(dir);
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

void RemoveScratchDirectory(const std::string& dir) {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(Widen(dir)), ec);
}

}  // namespace platform
