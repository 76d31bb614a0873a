// New folders on Windows: in GetTempPathW's folder, made with
// CreateDirectoryW under a name no other folder there has.
#include <windows.h>

#include <cwchar>

#include "platform/scratch_dir.h"
#include "platform/wide_text.h"

namespace platform {

std::string TemporaryFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, base);
    if (n == 0 || n > MAX_PATH) return {};
    std::wstring folder(base, n);
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    return Narrow(folder);
}

std::string MakeNewFolder(const std::string& prefix) {
    const std::string base = TemporaryFolder();
    if (base.empty()) return {};
    const std::wstring stem = Widen(base + "\\" + prefix);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        wchar_t name[64];
        std::swprintf(name, 64, L"-%lx-%lx-%x", GetCurrentProcessId(), GetTickCount(), attempt);
        const std::wstring dir = stem + name;
        if (CreateDirectoryW(dir.c_str(), nullptr)) return Narrow(dir);
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

}  // namespace platform
