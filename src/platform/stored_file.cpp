#include "platform/stored_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
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

bool ReadRegularFile(const std::string& path, std::string& out, bool* exists, bool* notRegular) {
    out.clear();
    if (exists) *exists = KindOfPath(path) != PathKind::Missing;
    std::FILE* f = OpenRegularFile(path, "rb", notRegular);
    if (!f) return false;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

StoreResult StoreFile(const std::string& path, const std::string& bytes) {
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) return StoreResult::NotRegular;
    if (exists && ReadOnlyFile(st, path)) return StoreResult::ReadOnly;
    struct stat link {};
    const bool isLink = ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    if (isLink) return WriteInPlace(path, bytes);

    // The temporary file: never followed through a link, never a FIFO.
    const std::string temp = path + ".tmp";
    const int fd = ::open(temp.c_str(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                          exists ? (st.st_mode & 07777) : 0644);
    if (fd < 0) {
        // A directory that cannot be written: the existing file takes the
        // bytes in place (a missing one cannot be made). Anything else in the
        // way of the temporary file fails the save and keeps the old file.
        const bool dirReadOnly = errno == EACCES || errno == EPERM || errno == EROFS;
        if (dirReadOnly && exists) return WriteInPlace(path, bytes);
        return StoreResult::Failed;
    }
    struct stat tst {};
    bool ok = ::fstat(fd, &tst) == 0 && S_ISREG(tst.st_mode);
    ok = ok && WriteAll(fd, bytes);
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temp.c_str(), path.c_str()) == 0) return StoreResult::Written;
    if (S_ISREG(tst.st_mode)) ::unlink(temp.c_str());
    return StoreResult::Failed;
}

}  // namespace platform
