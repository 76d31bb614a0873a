#pragma once
// Files the game keeps between runs (records.csm, settings.ini, file.log)
// and files named on the command line (demos, the data file): only regular
// files are opened, never with a blocking open, and a save never loses what
// was on disk.
#include <cstdio>
#include <string>

namespace platform {

// What a path names, following symbolic links.
enum class PathKind { Missing, Regular, Other };
PathKind KindOfPath(const std::string& path);
inline bool IsRegularFile(const std::string& path) {
    return KindOfPath(path) == PathKind::Regular;
}

// fopen() for the modes "rb", "wb" and "ab" that opens nothing but a regular
// file (a FIFO, directory or device gives null with `*notRegular` set) and
// never blocks in open(). "wb" truncates only once the file is known to be
// regular.
std::FILE* OpenRegularFile(const std::string& path, const char* mode,
                           bool* notRegular = nullptr);

// Reads a whole regular file. Missing: false with `*exists` false.
bool ReadRegularFile(const std::string& path, std::string& out, bool* exists = nullptr,
                     bool* notRegular = nullptr);

enum class StoreResult {
    Written,     // the new bytes are on disk
    NotRegular,  // the path is a FIFO, directory or device: left alone
    ReadOnly,    // the file is read-only: left alone
    Failed,      // could not be written (the old contents, if any, are kept
                 // unless the in-place write itself failed part way)
};

// Replaces the contents of a file. Through a temporary file in the same
// directory and a rename when the directory allows it; otherwise (the
// directory cannot be written, the path is a symbolic link) the bytes are
// written in place through the existing file, so a link stays a link. A
// read-only file or one that is not regular is left alone.
StoreResult StoreFile(const std::string& path, const std::string& bytes);

}  // namespace platform
