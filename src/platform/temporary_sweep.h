#pragma once
// The system's part of removing the temporary files that killed saves left
// behind: stored_file.cpp (Linux, the browser) and temporaries_win.cpp
// (Windows) define these; stale_temporaries.cpp does the rest, the same on
// every system.
#include <string>

namespace platform {

// The folder and the name of a path ("." for a bare name).
void SplitPath(const std::string& path, std::string& dir, std::string& name);

// Removes the left-over temporary files of `dir` whose names start with
// `prefix` (any of the game's with "."): those whose writer no longer runs
// and that no save holds. The number removed.
int SweepTemporaries(const std::string& dir, const std::string& prefix);

}  // namespace platform
