#pragma once
// The text log "file.log": emptied when made, then one line per call, the
// file opened and closed around every line so it is complete at all times.
// Anything but a regular file in its place (a FIFO, a directory) is never
// opened: the log is off and standard error says so. The log is locked
// (flock) while it lives: a second copy of the game on the same directory
// writes "file-2.log" (then -3 ... -9) instead, and says so on stderr.
#include <string>

namespace dw {

class Log {
public:
    explicit Log(std::string path);
    ~Log();
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;
    // Writes the text unchanged (never as a format) followed by "\n".
    void WriteLine(const char* text);
    void WriteLine(const std::string& text) { WriteLine(text.c_str()); }
    const std::string& path() const { return path_; }
    bool refused() const { return refused_; }

private:
    std::string path_;
    bool refused_ = false;
    int lockFd_ = -1;  // holds the lock on the log
};

}  // namespace dw
