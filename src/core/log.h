#pragma once
// The text log "file.log": emptied when made, then one line per call, the
// file opened and closed around every line so it is complete at all times.
// Anything but a regular file in its place (a FIFO, a directory) is never
// opened: the log is off and standard error says so.
#include <string>

namespace dw {

class Log {
public:
    explicit Log(std::string path);
    // Writes the text unchanged (never as a format) followed by "\n".
    void WriteLine(const char* text);
    void WriteLine(const std::string& text) { WriteLine(text.c_str()); }
    const std::string& path() const { return path_; }
    bool refused() const { return refused_; }

private:
    std::string path_;
    bool refused_ = false;
};

}  // namespace dw
