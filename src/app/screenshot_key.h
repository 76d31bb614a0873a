#pragma once
// The screenshot key (F12, Print Screen): the next presented frame is kept
// as screenshots/duskwhirl-YYYYMMDD-HHMMSS.png in the user directory, with a
// counter after the time when two are taken in one second.
#include <ctime>
#include <functional>
#include <string>

namespace gfx {
class Device;
}

namespace dw {

class Log;

// The file for a screenshot taken at `when` (local time) in `dir`: the
// first of "duskwhirl-YYYYMMDD-HHMMSS.png", "...-2.png", "...-3.png" ...
// that does not exist yet.
std::string ScreenshotPath(const std::string& dir, const std::tm& when,
                           const std::function<bool(const std::string&)>& exists);

// Writes the frame the device presented last to `dir` (the user
// directory's "screenshots"); logs and returns the path ("" when nothing
// could be written).
std::string SaveScreenshotNow(gfx::Device& device, const std::string& dir, Log* log);

}  // namespace dw
