#include "platform/stored_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/temporary_sweep.h"
#include "platform/web_page.h"

namespace platform {

namespace {

bool failWrites = false;
std::function<void(const char*)> saveStepHook;

void SaveStep(const char* step) {
    if (saveStepHook) saveStepHook(step);
}

bool WriteAll(int fd, const std::string& bytes) {
    if (failWrites && !bytes.empty()) {
        errno = ENOSPC;
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadFd(int fd, std::string& out, std::size_t maxBytes, bool& tooLarge) {
    out.clear();
    tooLarge = false;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buf, static_cast<std::size_t>(n));
        if (out.size() > maxBytes) {
            out.clear();
            tooLarge = true;
            return false;
        }
    }
}

// Opens with O_NONBLOCK (a FIFO never blocks the open), checks that a
// regular file was opened, then clears O_NONBLOCK.
int OpenRegularFd(const std::string& path, int flags, bool* notRegular) {
    if (notRegular) *notRegular = false;
    if (KindOfPath(path) == PathKind::Other) {
        if (notRegular) *notRegular = true;
        return -1;
    }
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0) {
        if (errno == ENXIO || errno == EISDIR) {
            if (notRegular) *notRegular = true;
        }
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (notRegular) *notRegular = true;
        ::close(fd);
        return -1;
    }
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl >= 0) ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
    return fd;
}

bool ReadOnlyFile(const struct stat& st, const std::string& path) {
    // The write bits count even for root, who could write the file anyway.
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

StoreResult WriteInPlace(const std::string& path, const std::string& bytes) {
    bool notRegular = false;
    const int fd = OpenRegularFd(path, O_WRONLY, &notRegular);
    if (fd < 0) return notRegular ? StoreResult::NotRegular : StoreResult::Failed;
    bool ok = WriteAll(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
    SaveStep("written in place");
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    return ok ? StoreResult::Written : StoreResult::Failed;
}

}  // namespace

PathKind KindOfPath(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return PathKind::Missing;
    return S_ISREG(st.st_mode) ? PathKind::Regular : PathKind::Other;
}

std::FILE* OpenRegularFile(const std::string& path, const char* mode, bool* notRegular) {
    int flags = 0;
    bool truncate = false;
    if (std::strcmp(mode, "rb") == 0) {
        flags = O_RDONLY;
    } else if (std::strcmp(mode, "wb") == 0) {
        flags = O_WRONLY | O_CREAT;
        truncate = true;
    } else if (std::strcmp(mode, "ab") == 0) {
        flags = O_WRONLY | O_CREAT | O_APPEND;
    } else {
        errno = EINVAL;
        return nullptr;
    }
    const int fd = OpenRegularFd(path, flags, notRegular);
    if (fd < 0) return nullptr;
    if (truncate && ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* f = ::fdopen(fd, mode);
    if (!f) ::close(fd);
    return f;
}

int OpenRegularReadFd(const std::string& path) { return OpenRegularFd(path, O_RDONLY, nullptr); }

ReadResult ReadStoredFile(const std::string& path, std::string& out, std::size_t maxBytes) {
    out.clear();
    bool notRegular = false;
    const int fd = OpenRegularFd(path, O_RDONLY, &notRegular);
    if (fd < 0) {
        if (notRegular) return ReadResult::NotRegular;
        return KindOfPath(path) == PathKind::Missing ? ReadResult::Missing : ReadResult::Failed;
    }
    struct stat st {};
    bool tooLarge = ::fstat(fd, &st) == 0 && static_cast<std::uint64_t>(st.st_size) > maxBytes;
    const bool ok = !tooLarge && ReadFd(fd, out, maxBytes, tooLarge);
    ::close(fd);
    if (tooLarge) return ReadResult::TooLarge;
    return ok ? ReadResult::Read : ReadResult::Failed;
}

bool ReadRegularFile(const std::string& path, std::string& out, bool* exists, bool* notRegular) {
    const ReadResult r = ReadStoredFile(path, out, static_cast<std::size_t>(-1));
    if (exists) *exists = r != ReadResult::Missing;
    if (notRegular) *notRegular = r == ReadResult::NotRegular;
    return r == ReadResult::Read;
}

void SplitPath(const std::string& path, std::string& dir, std::string& name) {
    const std::size_t slash = path.rfind('/');
    dir = slash == std::string::npos ? std::string(".") : (slash == 0 ? std::string("/") : path.substr(0, slash));
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

// A temporary file being written: its name, and its descriptor, which holds
// the file's lock until the rename is done (so that a start of another copy
// never takes it for a left-over).
struct Temporary {
    std::string name;
    int fd = -1;
    void Close() {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    void Discard() {
        ::unlink(name.c_str());
        Close();
    }
};

// Writes `bytes` to a new temporary file beside `path` (kept open and
// locked in `temp`); errno tells why when it could not be made.
bool WriteTemporary(const std::string& path, const std::string& bytes, mode_t mode, Temporary& temp, bool& made) {
    temp.name = TemporaryPrefix(path) + "XXXXXX";
    temp.fd = ::mkostemp(temp.name.data(), O_CLOEXEC | O_NOFOLLOW);
    made = temp.fd >= 0;
    if (!made) return false;
    ::flock(temp.fd, LOCK_EX | LOCK_NB);  // a file of its own: never taken
    SaveStep("temporary made");
    bool ok = ::fchmod(temp.fd, mode) == 0;
    ok = ok && WriteAll(temp.fd, bytes);
    SaveStep("temporary written");
    ok = ok && ::fsync(temp.fd) == 0;
    SaveStep("temporary synced");
    if (!ok) {
        const int error = errno;
        temp.Discard();
        errno = error;
    }
    return ok;
}

// Renames the temporary file over `path`, then syncs the directory so that
// the new name survives a power cut. The temporary is gone either way.
bool RenameInto(Temporary& temp, const std::string& path) {
    if (::rename(temp.name.c_str(), path.c_str()) != 0) {
        temp.Discard();
        return false;
    }
    SaveStep("renamed");
    temp.Close();
    SyncDirectoryOf(path);
    SaveStep("directory synced");
    return true;
}

mode_t NewFileMode() {
#ifdef __EMSCRIPTEN__
    // The browser's file system has no users; its umask starts at 0777,
    // which would make every new file unreadable.
    return 0644;
#else
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0644 & ~mask;
#endif
}

// A file of the user directory has changed: the browser's page keeps a
// copy of the directory in its storage.
StoreResult Written(StoreResult result = StoreResult::Written) {
    if (result == StoreResult::Written) UserFilesChanged();
    return result;
}

}  // namespace

StoreResult ReplaceFile(const std::string& path, const std::string& bytes) {
    Temporary temp;
    bool made = false;
    if (!WriteTemporary(path, bytes, NewFileMode(), temp, made)) return StoreResult::Failed;
    return RenameInto(temp, path) ? Written() : StoreResult::Failed;
}

StoreResult StoreFile(const std::string& path, const std::string& bytes) {
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) return StoreResult::NotRegular;
    if (exists && ReadOnlyFile(st, path)) return StoreResult::ReadOnly;
    struct stat link {};
    const bool isLink = ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    if (isLink) return Written(WriteInPlace(path, bytes));

    // The temporary file: a new name of its own (two copies of the game never
    // share one), never followed through a link, never a FIFO.
    Temporary temp;
    bool made = false;
    if (!WriteTemporary(path, bytes, exists ? (st.st_mode & 07777) : NewFileMode(), temp, made)) {
        // A directory that cannot be written: the existing file takes the
        // bytes in place (a missing one cannot be made). A failed write
        // keeps the old file.
        const bool dirReadOnly = !made && (errno == EACCES || errno == EPERM || errno == EROFS);
        if (dirReadOnly && exists) return Written(WriteInPlace(path, bytes));
        return StoreResult::Failed;
    }
    return RenameInto(temp, path) ? Written() : StoreResult::Failed;
}

namespace {

bool SameFile(int fd, const std::string& path) {
    struct stat a {
    }, b{};
    return ::fstat(fd, &a) == 0 && ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Waits for the exclusive lock of `fd`, a few seconds at most.
bool WaitForLock(int fd) {
    constexpr int kTries = 500;  // 10 ms apart
    for (int i = 0; i < kTries; ++i) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        const timespec pause{0, 10'000'000};
        ::nanosleep(&pause, nullptr);
    }
    return false;
}

// Opens the file that `path` names now and locks it. A save that replaced
// the file while this copy waited leaves the lock on the old file: then the
// new one is opened and locked. -1 with `result` set when it cannot be.
int LockCurrentFile(const std::string& path, StoreResult& result) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        bool notRegular = false;
        int fd = OpenRegularFd(path, O_RDONLY, &notRegular);
        if (fd < 0 && !notRegular && KindOfPath(path) == PathKind::Missing)
            fd = OpenRegularFd(path, O_RDWR | O_CREAT | O_NOFOLLOW, &notRegular);
        if (fd < 0) {
            result = notRegular ? StoreResult::NotRegular : StoreResult::Failed;
            return -1;
        }
        if (!WaitForLock(fd)) {
            ::close(fd);
            result = StoreResult::Locked;
            return -1;
        }
        if (SameFile(fd, path)) return fd;
        ::close(fd);
    }
    result = StoreResult::Locked;
    return -1;
}

}  // namespace

StoreResult UpdateFile(const std::string& path, std::size_t maxBytes,
                       const std::function<bool(std::string& contents)>& edit, Oversize oversize) {
    StoreResult result = StoreResult::Failed;
    const int fd = LockCurrentFile(path, result);
    if (fd < 0) return result;
    std::string contents;
    bool tooLarge = false;
    bool read = ReadFd(fd, contents, maxBytes, tooLarge);
    if (tooLarge && oversize == Oversize::ReadFirstBytes) {
        // Only the first bytes mean anything: read those, and the save
        // writes the file anew without the rest.
        contents.resize(maxBytes);
        read = ::pread(fd, contents.data(), maxBytes, 0) == static_cast<ssize_t>(maxBytes);
        tooLarge = false;
    }
    if (!read) {
        result = tooLarge ? StoreResult::TooLarge : StoreResult::Failed;
    } else if (!edit(contents)) {
        result = StoreResult::Unchanged;
    } else {
        result = StoreFile(path, contents);
    }
    ::close(fd);  // and the lock with it
    return result;
}

int OpenLockedFile(const std::string& path, bool* taken, bool* notRegular) {
    if (taken) *taken = false;
    const int fd = OpenRegularFd(path, O_WRONLY | O_CREAT, notRegular);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (taken) *taken = errno == EWOULDBLOCK;
        ::close(fd);
        return -1;
    }
    return fd;
}

void CloseLockedFile(int fd) {
    if (fd >= 0) ::close(fd);
}

StoreResult WithFileLock(const std::string& path, const std::function<void()>& locked) {
    StoreResult result = StoreResult::Failed;
    const int fd = LockCurrentFile(path, result);
    if (fd < 0) return result;
    locked();
    ::close(fd);
    return StoreResult::Unchanged;
}

std::string TemporaryPrefix(const std::string& path) {
    std::string dir, name;
    SplitPath(path, dir, name);
    return (dir == "." && path.find('/') == std::string::npos ? std::string() : dir + "/") + "." + name +
        kTemporaryMark + std::to_string(::getpid()) + "-";
}

bool SyncDirectoryOf(const std::string& path) {
    std::string dir, name;
    SplitPath(path, dir, name);
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync a directory
    ::close(fd);
    return ok;
}

namespace {

// The process that named a temporary file "...<mark><pid>-XXXXXX" still
// runs (and is not this one, whose own saves hold their files' locks).
bool WriterRuns(const std::string& suffix) {
    char* end = nullptr;
    const long pid = std::strtol(suffix.c_str(), &end, 10);
    if (end == suffix.c_str() || *end != '-' || pid <= 0) return false;
    if (pid == static_cast<long>(::getpid())) return false;
#ifdef __EMSCRIPTEN__
    return false;  // one process: every other page's files are copies
#else
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#endif
}

// Removes one left-over temporary file unless a save holds its lock.
bool RemoveIfUnlocked(const std::string& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st {};
    bool removed = false;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
        removed = ::unlink(file.c_str()) == 0;
    ::close(fd);
    return removed;
}

}  // namespace

int SweepTemporaries(const std::string& dir, const std::string& prefix) {
    int removed = 0;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return 0;
    while (const dirent* e = ::readdir(d)) {
        const std::string entry = e->d_name;
        const std::size_t mark = entry.find(kTemporaryMark);
        if (entry.empty() || entry[0] != '.' || mark == std::string::npos ||
            entry.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (WriterRuns(entry.substr(mark + sizeof kTemporaryMark - 1))) continue;
        std::string file = dir;
        file.append("/").append(entry);
        removed += RemoveIfUnlocked(file) ? 1 : 0;
    }
    ::closedir(d);
    if (removed > 0) UserFilesChanged();
    return removed;
}

void SetSaveStepHookForTests(std::function<void(const char* step)> hook) { saveStepHook = std::move(hook); }

bool RenameFile(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

void FailStoredWritesForTests(bool fail) { failWrites = fail; }

}  // namespace platform
