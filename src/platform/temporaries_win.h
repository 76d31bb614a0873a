#pragma once
// Windows only: the temporary files of saves (stored_file_win.cpp writes
// them, temporaries_win.cpp sweeps the left-overs of killed saves).
#ifdef _WIN32
#include <string>

namespace platform {

// A temporary file of this process between its making and its move into
// place (or its removal): a sweep of this process leaves it alone.
void MarkTemporary(const std::string& name, bool writing);

}  // namespace platform
#endif
