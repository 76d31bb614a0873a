#pragma once
// The text log "file.log": emptied when made, then one line per call, the
// file opened and closed around every line so it is complete at all times.
#include <string>

namespace dw {

class Log {
public:
    explicit Log(std::string path);
    // Writes the text unchanged (never as a format) followed by "\n".
    void WriteLine(const char* text);
    void WriteLine(const std::string& text) { WriteLine(text.c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace dw
