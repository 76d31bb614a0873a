// Stored files on Windows: the same promises as on Linux (only regular files
// are opened, a save never loses what was on disk, two copies of the game
// each keep their saves), kept with what the Windows API documents:
// CreateFileW with every sharing mode, LockFileEx, a unique temporary file
// beside the target and ReplaceFileW / MoveFileExW, retried while another
// program (a virus scanner, a backup tool, the other copy reading) holds the
// file for a moment. A temporary file is ".NAME.dwtmp-PID-XXXXXX" as on
// Linux; its writer holds it open without delete sharing until the move, so
// a sweep of left-overs cannot remove it meanwhile.
#include "platform/stored_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
// windows.h names ReplaceFileW so; the game's own ReplaceFile is meant here.
#undef ReplaceFile

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/web_page.h"
#include "platform/temporaries_win.h"
#include "platform/wide_text.h"

namespace platform {

namespace {

bool failWrites = false;
std::function<void(const char*)> saveStepHook;

void SaveStep(const char* step) {
    if (saveStepHook) saveStepHook(step);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The errors of a file that another program holds open for a moment.
bool Held(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED ||
        error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

constexpr int kHeldTries = 100;  // 20 ms apart: two seconds at most
void PauseForHolder() { Sleep(20); }

struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    Handle() = default;
    explicit Handle(HANDLE handle) : h(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    bool ok() const { return h != INVALID_HANDLE_VALUE; }
    HANDLE release() {
        HANDLE out = h;
        h = INVALID_HANDLE_VALUE;
        return out;
    }
};

// A regular file: on a disk (not a console, pipe or device) and no directory.
bool RegularHandle(HANDLE h) {
    if (GetFileType(h) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileInformationByHandle(h, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Opens `path` (following a link) and checks that a regular file was opened.
HANDLE OpenRegularHandle(const std::string& path, DWORD access, DWORD disposition, bool* notRegular) {
    if (notRegular) *notRegular = false;
    if (KindOfPath(path) == PathKind::Other) {
        if (notRegular) *notRegular = true;
        return INVALID_HANDLE_VALUE;
    }
    const std::wstring wide = Widen(path);
    if (wide.empty()) return INVALID_HANDLE_VALUE;
    Handle h;
    for (int i = 0; i < kHeldTries; ++i) {
        h.h = CreateFileW(wide.c_str(), access, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h.ok() || GetLastError() != ERROR_SHARING_VIOLATION) break;
        PauseForHolder();
    }
    if (!h.ok()) return INVALID_HANDLE_VALUE;
    if (!RegularHandle(h.h)) {
        if (notRegular) *notRegular = true;
        return INVALID_HANDLE_VALUE;
    }
    return h.release();
}

// A C runtime descriptor over the handle, in binary mode; -1 (and the
// handle closed) when the runtime has none left.
int DescriptorOf(HANDLE h, int flags) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), flags | _O_BINARY);
    if (fd < 0) CloseHandle(h);
    return fd;
}

bool WriteAll(HANDLE h, const std::string& bytes) {
    if (failWrites && !bytes.empty()) {
        SetLastError(ERROR_DISK_FULL);
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD n = 0;
        if (!WriteFile(h, bytes.data() + done, chunk, &n, nullptr) || n == 0) return false;
        done += n;
    }
    return true;
}

bool ReadAll(HANDLE h, std::string& out, std::size_t maxBytes, bool& tooLarge) {
    out.clear();
    tooLarge = false;
    char buf[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h, buf, sizeof buf, &n, nullptr)) return false;
        if (n == 0) return true;
        out.append(buf, n);
        if (out.size() > maxBytes) {
            out.clear();
            tooLarge = true;
            return false;
        }
    }
}

StoreResult WriteInPlace(const std::string& path, const std::string& bytes) {
    bool notRegular = false;
    Handle h(OpenRegularHandle(path, GENERIC_WRITE, OPEN_EXISTING, &notRegular));
    if (!h.ok()) return notRegular ? StoreResult::NotRegular : StoreResult::Failed;
    bool ok = WriteAll(h.h, bytes) && SetEndOfFile(h.h);
    SaveStep("written in place");
    ok = FlushFileBuffers(h.h) && ok;
    return ok ? StoreResult::Written : StoreResult::Failed;
}

// Six characters of its own for a temporary name: a counter and the clock.
std::string UniqueTail(unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    unsigned long long n = (static_cast<unsigned long long>(GetTickCount()) << 20) ^ (counter++ * 7919ULL) ^ attempt;
    std::string tail(6, '0');
    for (char& c : tail) {
        c = kDigits[n % 36];
        n /= 36;
    }
    return tail;
}

// Writes `bytes` to a new temporary file beside `path` (CREATE_NEW: never an
// existing file, never through a link); its name in `temp`. `made` tells
// whether the file could be made at all, `error` why not. The file is
// closed just before its move; until then no other process can delete it.
bool WriteTemporary(const std::string& path, const std::string& bytes, std::string& temp, bool& made, DWORD& error) {
    made = false;
    Handle h;
    for (unsigned attempt = 0; attempt < 100 && !h.ok(); ++attempt) {
        temp = TemporaryPrefix(path) + UniqueTail(attempt);
        MarkTemporary(temp, true);
        h.h = CreateFileW(Widen(temp).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h.ok()) break;
        error = GetLastError();
        MarkTemporary(temp, false);
        if (error != ERROR_FILE_EXISTS) break;
    }
    if (!h.ok()) return false;
    made = true;
    SaveStep("temporary made");
    bool ok = WriteAll(h.h, bytes);
    SaveStep("temporary written");
    ok = FlushFileBuffers(h.h) && ok;
    SaveStep("temporary synced");
    error = GetLastError();
    CloseHandle(h.release());
    if (!ok) {
        DeleteFileW(Widen(temp).c_str());
        MarkTemporary(temp, false);
    }
    return ok;
}

// Puts the written temporary file in the place of `path`: ReplaceFileW over
// an existing file (which keeps its attributes and security), MoveFileExW
// where there is none, each retried while another program holds the file.
bool MoveAttempts(const std::wstring& from, const std::wstring& to) {
    for (int i = 0; i < kHeldTries; ++i) {
        if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES) {
            if (ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
                return true;
            const DWORD error = GetLastError();
            // The old file is gone and the new one still has its temporary
            // name: only the rename is left to do.
            if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
                MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                return true;
            if (!Held(error) && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT) break;
        } else {
            if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
            if (!Held(GetLastError())) break;
        }
        PauseForHolder();
    }
    return false;
}

bool MoveIntoPlace(const std::string& temp, const std::string& path) {
    const std::wstring from = Widen(temp);
    const bool moved = MoveAttempts(from, Widen(path));
    if (moved)
        SaveStep("renamed");
    else
        DeleteFileW(from.c_str());
    MarkTemporary(temp, false);
    return moved;
}

StoreResult Written(StoreResult result = StoreResult::Written) {
    if (result == StoreResult::Written) UserFilesChanged();
    return result;
}

}  // namespace

PathKind KindOfPath(const std::string& path) {
    const std::wstring wide = Widen(path);
    if (wide.empty()) return PathKind::Missing;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return PathKind::Other;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A link: what it leads to counts.
        Handle h(CreateFileW(wide.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!h.ok()) return PathKind::Missing;
        return RegularHandle(h.h) ? PathKind::Regular : PathKind::Other;
    }
    return PathKind::Regular;
}

std::FILE* OpenRegularFile(const std::string& path, const char* mode, bool* notRegular) {
    DWORD access = 0, disposition = 0;
    int flags = 0;
    bool truncate = false;
    if (std::strcmp(mode, "rb") == 0) {
        access = GENERIC_READ;
        disposition = OPEN_EXISTING;
        flags = _O_RDONLY;
    } else if (std::strcmp(mode, "wb") == 0) {
        access = GENERIC_WRITE;
        disposition = OPEN_ALWAYS;
        flags = _O_WRONLY;
        truncate = true;
    } else if (std::strcmp(mode, "ab") == 0) {
        // FILE_APPEND_DATA alone: every write goes to the end, as O_APPEND.
        access = FILE_APPEND_DATA | SYNCHRONIZE;
        disposition = OPEN_ALWAYS;
        flags = _O_WRONLY | _O_APPEND;
    } else {
        errno = EINVAL;
        return nullptr;
    }
    HANDLE h = OpenRegularHandle(path, access, disposition, notRegular);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    if (truncate && !SetEndOfFile(h)) {
        CloseHandle(h);
        return nullptr;
    }
    const int fd = DescriptorOf(h, flags);
    if (fd < 0) return nullptr;
    std::FILE* f = _fdopen(fd, mode);
    if (!f) _close(fd);
    return f;
}

int OpenRegularReadFd(const std::string& path) {
    HANDLE h = OpenRegularHandle(path, GENERIC_READ, OPEN_EXISTING, nullptr);
    return h == INVALID_HANDLE_VALUE ? -1 : DescriptorOf(h, _O_RDONLY);
}

ReadResult ReadStoredFile(const std::string& path, std::string& out, std::size_t maxBytes) {
    out.clear();
    bool notRegular = false;
    Handle h(OpenRegularHandle(path, GENERIC_READ, OPEN_EXISTING, &notRegular));
    if (!h.ok()) {
        if (notRegular) return ReadResult::NotRegular;
        return KindOfPath(path) == PathKind::Missing ? ReadResult::Missing : ReadResult::Failed;
    }
    LARGE_INTEGER size{};
    bool tooLarge = GetFileSizeEx(h.h, &size) && static_cast<std::uint64_t>(size.QuadPart) > maxBytes;
    const bool ok = !tooLarge && ReadAll(h.h, out, maxBytes, tooLarge);
    if (tooLarge) return ReadResult::TooLarge;
    return ok ? ReadResult::Read : ReadResult::Failed;
}

bool ReadRegularFile(const std::string& path, std::string& out, bool* exists, bool* notRegular) {
    const ReadResult r = ReadStoredFile(path, out, static_cast<std::size_t>(-1));
    if (exists) *exists = r != ReadResult::Missing;
    if (notRegular) *notRegular = r == ReadResult::NotRegular;
    return r == ReadResult::Read;
}

StoreResult ReplaceFile(const std::string& path, const std::string& bytes) {
    std::string name;
    bool made = false;
    DWORD error = 0;
    if (!WriteTemporary(path, bytes, name, made, error)) return StoreResult::Failed;
    return MoveIntoPlace(name, path) ? Written() : StoreResult::Failed;
}

StoreResult StoreFile(const std::string& path, const std::string& bytes) {
    const std::wstring wide = Widen(path);
    if (wide.empty()) return StoreResult::Failed;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && KindOfPath(path) != PathKind::Regular) return StoreResult::NotRegular;
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) return StoreResult::ReadOnly;
    // A link stays a link: the bytes go through it.
    if (exists && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return Written(WriteInPlace(path, bytes));

    std::string temp;
    bool made = false;
    DWORD error = 0;
    if (!WriteTemporary(path, bytes, temp, made, error)) {
        // A folder that cannot be written: the existing file takes the bytes
        // in place (a missing one cannot be made). A failed write keeps the
        // old file.
        const bool folderReadOnly = !made && (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT);
        if (folderReadOnly && exists) return Written(WriteInPlace(path, bytes));
        return StoreResult::Failed;
    }
    return MoveIntoPlace(temp, path) ? Written() : StoreResult::Failed;
}

namespace {

// Takes the exclusive lock of one byte far past any end of file (locks
// beyond the end are allowed): it is a mark between copies of the game that
// never stands in the way of a reader or a writer of the file's bytes.
bool LockMark(HANDLE h) {
    OVERLAPPED where{};
    where.Offset = 0;
    where.OffsetHigh = 0x7FFFFFFF;
    return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where) != 0;
}

// The lock of a stored file is taken on a companion file ("NAME.lock")
// that is never replaced: a file open in one process cannot be replaced by
// a rename in another under Windows' rules, so the file itself cannot hold
// the lock while the new bytes are renamed over it. Waits a few seconds at
// most.
HANDLE LockCompanion(const std::string& path, StoreResult& result) {
    bool notRegular = false;
    Handle h(OpenRegularHandle(path + ".lock", GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, &notRegular));
    if (!h.ok()) {
        result = notRegular ? StoreResult::NotRegular : StoreResult::Failed;
        return INVALID_HANDLE_VALUE;
    }
    constexpr int kTries = 500;  // 10 ms apart
    for (int i = 0; i < kTries; ++i) {
        if (LockMark(h.h)) return h.release();
        if (GetLastError() != ERROR_LOCK_VIOLATION && GetLastError() != ERROR_IO_PENDING) break;
        Sleep(10);
    }
    result = StoreResult::Locked;
    return INVALID_HANDLE_VALUE;
}

// The first `maxBytes` of a file that is larger (its meaning is in them).
ReadResult ReadFirstBytes(const std::string& path, std::string& out, std::size_t maxBytes) {
    Handle h(OpenRegularHandle(path, GENERIC_READ, OPEN_EXISTING, nullptr));
    if (!h.ok()) return ReadResult::Failed;
    out.assign(maxBytes, '\0');
    std::size_t done = 0;
    while (done < maxBytes) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(maxBytes - done, 1u << 30));
        if (!ReadFile(h.h, out.data() + done, chunk, &n, nullptr) || n == 0) return ReadResult::Failed;
        done += n;
    }
    return ReadResult::Read;
}

}  // namespace

StoreResult UpdateFile(const std::string& path, std::size_t maxBytes,
                       const std::function<bool(std::string& contents)>& edit, Oversize oversize) {
    if (KindOfPath(path) == PathKind::Other) return StoreResult::NotRegular;
    StoreResult result = StoreResult::Failed;
    Handle lock(LockCompanion(path, result));
    if (!lock.ok()) return result;
    std::string contents;
    ReadResult read = ReadStoredFile(path, contents, maxBytes);
    if (read == ReadResult::TooLarge && oversize == Oversize::ReadFirstBytes)
        read = ReadFirstBytes(path, contents, maxBytes);
    switch (read) {
        case ReadResult::Read:
        case ReadResult::Missing: break;
        case ReadResult::NotRegular: return StoreResult::NotRegular;
        case ReadResult::TooLarge: return StoreResult::TooLarge;
        case ReadResult::Failed: return StoreResult::Failed;
    }
    if (!edit(contents)) return StoreResult::Unchanged;
    return StoreFile(path, contents);  // the lock goes with the handle
}

StoreResult WithFileLock(const std::string& path, const std::function<void()>& locked) {
    if (KindOfPath(path) == PathKind::Other) return StoreResult::NotRegular;
    StoreResult result = StoreResult::Failed;
    Handle lock(LockCompanion(path, result));
    if (!lock.ok()) return result;
    locked();
    return StoreResult::Unchanged;
}

int OpenLockedFile(const std::string& path, bool* taken, bool* notRegular) {
    if (taken) *taken = false;
    HANDLE h = OpenRegularHandle(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, notRegular);
    if (h == INVALID_HANDLE_VALUE) return -1;
    if (!LockMark(h)) {
        if (taken) *taken = GetLastError() == ERROR_LOCK_VIOLATION || GetLastError() == ERROR_IO_PENDING;
        CloseHandle(h);
        return -1;
    }
    return DescriptorOf(h, _O_RDWR);
}

void CloseLockedFile(int fd) {
    if (fd >= 0) _close(fd);
}

bool RenameFile(const std::string& from, const std::string& to) {
    const std::wstring source = Widen(from), target = Widen(to);
    for (int i = 0; !source.empty() && !target.empty() && i < kHeldTries; ++i) {
        if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        if (!Held(GetLastError())) break;
        PauseForHolder();
    }
    return false;
}

bool RemoveFile(const std::string& path) {
    const std::wstring wide = Widen(path);
    for (int i = 0; !wide.empty() && i < kHeldTries; ++i) {
        if (DeleteFileW(wide.c_str())) return true;
        if (GetLastError() != ERROR_SHARING_VIOLATION && GetLastError() != ERROR_ACCESS_DENIED) break;
        PauseForHolder();
    }
    return false;
}

void SetSaveStepHookForTests(std::function<void(const char* step)> hook) { saveStepHook = std::move(hook); }

void FailStoredWritesForTests(bool fail) { failWrites = fail; }

}  // namespace platform
