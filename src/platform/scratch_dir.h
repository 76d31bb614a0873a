#pragma once
// Private scratch folders (the attract mode's demo session writes its log
// and score table there, never into the player's folder).
#include <string>

namespace platform {

// A new, empty folder of this process's own in the system's temporary
// folder, named PREFIX-<unique>; empty on failure.
std::string MakeScratchDirectory(const std::string& prefix);

// Removes a folder and everything in it (errors are ignored).
void RemoveScratchDirectory(const std::string& dir);

}  // namespace platform
