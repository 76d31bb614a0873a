#pragma once
// Private scratch folders (a replay's or the attract mode's demo session
// writes its log and score table there, never into the player's folder).
#include <string>

namespace platform {

// A new, empty folder of this process's own in the system's temporary
// folder, named PREFIX-<unique>; empty on failure. It holds a locked file
// ".in-use" until RemoveScratchDirectory: before making it, the folders
// PREFIX-* that a killed run left (their ".in-use" locked by nobody) are
// removed, never one whose run goes on.
std::string MakeScratchDirectory(const std::string& prefix);

// Removes a folder and everything in it, and its lock (errors are ignored).
void RemoveScratchDirectory(const std::string& dir);

// The system's part of it: a new, empty folder named PREFIX-<unique> in
// the temporary folder (mkdtemp; CreateDirectoryW on Windows), and that
// temporary folder. Empty on failure.
std::string MakeNewFolder(const std::string& prefix);
std::string TemporaryFolder();

}  // namespace platform
