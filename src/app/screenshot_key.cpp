#include "app/screenshot_key.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "core/log.h"
#include "gfx/device.h"
#include "platform/screenshot.h"
#include "platform/services.h"

namespace dw {

std::string ScreenshotPath(const std::string& dir, const std::tm& when,
                           const std::function<bool(const std::string&)>& exists) {
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &when);
    const std::string base = dir + "/duskwhirl-" + stamp;
    std::string path = base + ".png";
    for (int n = 2; exists(path) && n < 10000; ++n) path = base + "-" + std::to_string(n) + ".png";
    return path;
}

std::string SaveScreenshotNow(gfx::Device& device, const std::string& dir, Log* log) {
    std::vector<std::uint8_t> rgba;
    std::uint32_t w = 0, h = 0;
    if (!platform::MakeDirs(dir) || !device.ReadPresentedImage(rgba, w, h) || w == 0 || h == 0) {
        if (log) log->WriteLine("Screenshot: no picture to write");
        return {};
    }
    const std::tm local = platform::LocalTimeNow();
    std::string path = ScreenshotPath(dir, local, [](const std::string& p) {
        std::error_code ec;
        return std::filesystem::exists(p, ec);
    });
    if (!platform::WritePng(path, rgba.data(), w, h)) {
        if (log) log->WriteLine(("Screenshot: cannot write " + path).c_str());
        return {};
    }
    if (log) log->WriteLine(("Screenshot: " + path).c_str());
    std::printf("duskwhirl: screenshot %s\n", path.c_str());
    return path;
}

}  // namespace dw
