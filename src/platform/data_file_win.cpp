// The data file on Windows: checked through a read-only mapping of the file,
// and the folder the installer recorded.
#include <windows.h>

#include <memory>

#include "platform/game_data.h"
#include "platform/stored_file.h"
#include "platform/wide_text.h"

namespace platform {

namespace {

struct Closer {
    void operator()(HANDLE h) const {
        if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};
using OwnedHandle = std::unique_ptr<void, Closer>;

struct Unmapper {
    void operator()(const void* view) const {
        if (view) UnmapViewOfFile(view);
    }
};

std::string RegistryString(HKEY root, const wchar_t* key, const wchar_t* name) {
    wchar_t value[MAX_PATH * 2] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    if (RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return {};
    return Narrow(value);
}

}  // namespace

std::string DataFileProblem(const std::string& path, const std::vector<std::string>& required) {
    const std::wstring wide = Widen(path);
    const DWORD attributes = wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (wide.empty() || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return "not found";
        return "cannot be read: " + WindowsErrorText(error);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "is a directory, not a file";
    if (KindOfPath(path) != PathKind::Regular) return "is not a regular file";
    OwnedHandle file(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return "cannot be opened: " + WindowsErrorText(GetLastError());
    if (GetFileType(file.get()) != FILE_TYPE_DISK) return "is a device, not a file";
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return "cannot be read: " + WindowsErrorText(GetLastError());
    if (size.QuadPart == 0) return "is empty";
    OwnedHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return "cannot be read: " + WindowsErrorText(GetLastError());
    std::unique_ptr<const void, Unmapper> view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return "cannot be read: " + WindowsErrorText(GetLastError());
    return DataArchiveProblem(static_cast<const std::uint8_t*>(view.get()), static_cast<std::size_t>(size.QuadPart),
                              required);
}

std::string InstalledDataDirectory() {
    const wchar_t* key = L"Software\\QVM\\Duskwhirl";
    std::string dir = RegistryString(HKEY_CURRENT_USER, key, L"InstallDir");
    if (dir.empty()) dir = RegistryString(HKEY_LOCAL_MACHINE, key, L"InstallDir");
    return dir;
}

}  // namespace platform
