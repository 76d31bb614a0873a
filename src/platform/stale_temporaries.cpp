// Removing the temporary files that killed saves left behind, over the
// system's sweep (temporary_sweep.h).
#include "platform/stored_file.h"
#include "platform/temporary_sweep.h"

namespace platform {

int RemoveStaleTemporaries(const std::string& path) {
    std::string dir, name;
    SplitPath(path, dir, name);
    const std::string prefix = "." + name + kTemporaryMark;
    int removed = 0;
    const auto sweep = [&] { removed = SweepTemporaries(dir, prefix); };
    // Under the file's lock when there is a file: no save of it is between
    // its temporary file and its move into place meanwhile.
    if (KindOfPath(path) == PathKind::Regular)
        WithFileLock(path, sweep);
    else
        sweep();
    return removed;
}

int RemoveStaleTemporariesIn(const std::string& dir) { return SweepTemporaries(dir, "."); }

}  // namespace platform
