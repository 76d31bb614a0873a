#pragma once
// Files the game keeps between runs (records.csm, settings.ini, file.log)
// and files named on the command line (demos, the data file): only regular
// files are opened, never with a blocking open, and a save never loses what
// was on disk.
#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

namespace platform {

// What a path names, following symbolic links.
enum class PathKind { Missing, Regular, Other };
PathKind KindOfPath(const std::string& path);
inline bool IsRegularFile(const std::string& path) { return KindOfPath(path) == PathKind::Regular; }

// fopen() for the modes "rb", "wb" and "ab" that opens nothing but a regular
// file (a FIFO, directory or device gives null with `*notRegular` set) and
// never blocks in open(). "wb" truncates only once the file is known to be
// regular.
std::FILE* OpenRegularFile(const std::string& path, const char* mode, bool* notRegular = nullptr);

// Opens a regular file for reading as a descriptor (binary, never a
// blocking open): -1 when it is missing, unreadable or not a regular file.
int OpenRegularReadFd(const std::string& path);

// Reads a whole regular file. Missing: false with `*exists` false.
bool ReadRegularFile(const std::string& path, std::string& out, bool* exists = nullptr, bool* notRegular = nullptr);

enum class ReadResult { Read, Missing, NotRegular, TooLarge, Failed };
// Reads a whole regular file of at most `maxBytes` (a larger one is not read:
// TooLarge, `out` empty).
ReadResult ReadStoredFile(const std::string& path, std::string& out, std::size_t maxBytes);

enum class StoreResult {
    Written,     // the new bytes are on disk
    NotRegular,  // the path is a FIFO, directory or device: left alone
    ReadOnly,    // the file is read-only: left alone
    Failed,      // could not be written (the old contents, if any, are kept
                 // unless the in-place write itself failed part way)
    Unchanged,   // UpdateFile: the edit left the contents as they were
    Locked,      // UpdateFile: another copy of the game kept the file locked
    TooLarge,    // UpdateFile: the file on disk is larger than allowed: left alone
};

// The game's temporary files: a save writes ".NAME.dwtmp-PID-XXXXXX" beside
// NAME (hidden, marked as the game's, with the writer's process id), holds
// its lock while writing, renames it over NAME and then syncs the directory.
inline constexpr char kTemporaryMark[] = ".dwtmp-";
// The start of the temporary names of `path` for this process.
std::string TemporaryPrefix(const std::string& path);
// Removes the temporary files of `path` that saves killed part way left
// behind: under the lock of `path` (when it exists), only those whose writer
// no longer runs and whose lock no save holds. The number removed.
int RemoveStaleTemporaries(const std::string& path);
// The same for every file of a folder whose writers take no common lock
// (the replays): by the writer's process and the temporary file's lock.
int RemoveStaleTemporariesIn(const std::string& dir);
// fsync() of the directory holding `path` (after a rename in it).
bool SyncDirectoryOf(const std::string& path);

// Replaces the contents of a file. Through a temporary file in the same
// directory and a rename when the directory allows it; otherwise (the
// directory cannot be written, the path is a symbolic link) the bytes are
// written in place through the existing file, so a link stays a link. A
// read-only file or one that is not regular is left alone.
// The temporary file is unique (mkstemp: O_EXCL, never through a link),
// written, synced and renamed over the file, and the directory synced.
StoreResult StoreFile(const std::string& path, const std::string& bytes);

// Writes a new file at `path` through a unique temporary file and a rename,
// with the mode 0644 (less the umask): whatever was at `path` (a link
// included) is replaced, never followed or opened.
StoreResult ReplaceFile(const std::string& path, const std::string& bytes);

// Read-modify-write under an advisory lock (flock on the file itself; on
// Windows LockFileEx on a companion "NAME.lock" that is never replaced), so
// that two copies of the game saving at once each see the other's save:
// `edit` is given the contents on disk at that moment (empty when the file
// is missing) and changes them, returning false to leave the file as it is.
// A missing file is made (empty) to hold the lock. The lock is waited for a
// few seconds at most (Locked). A file over `maxBytes` is left alone
// (TooLarge), or with ReadFirstBytes its first `maxBytes` are edited and
// the rest dropped (a file whose meaning is in its first bytes).
enum class Oversize { Refuse, ReadFirstBytes };
StoreResult UpdateFile(const std::string& path, std::size_t maxBytes,
                       const std::function<bool(std::string& contents)>& edit, Oversize oversize = Oversize::Refuse);

// Runs `locked` while holding the lock that UpdateFile takes on `path` (an
// existing file; a missing one is made empty): Unchanged, or why not.
StoreResult WithFileLock(const std::string& path, const std::function<void()>& locked);

// Opens (making it when missing) a regular file for writing and takes its
// advisory lock without waiting: the descriptor to keep while the lock is
// wanted, or -1 with `*taken` set when another process holds it (or
// `*notRegular` when something else is in its place).
int OpenLockedFile(const std::string& path, bool* taken, bool* notRegular);
// Closes what OpenLockedFile opened, and the lock with it.
void CloseLockedFile(int fd);

// Renames a file over a missing or existing one (false when it cannot be),
// and removes a file (false when there was none or it cannot be removed):
// rename() and remove() with UTF-8 names on every system.
bool RenameFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);

// Tests: while set, every write of StoreFile and UpdateFile fails as on a
// full disk (ENOSPC).
void FailStoredWritesForTests(bool fail);
// Tests and the kill probe: called at each step of a save ("temporary
// made", "temporary written", "temporary synced", "renamed", "directory
// synced", "written in place"); empty to stop.
void SetSaveStepHookForTests(std::function<void(const char* step)> hook);

}  // namespace platform
