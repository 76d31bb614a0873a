#include "gfx/gl/window_device.h"

#include <cstdio>

#include "gfx/gl/gl_device.h"

namespace gfx {

std::unique_ptr<Device> OpenWindowDevice(platform::Shell& shell, platform::DeviceError& error) {
    if (!shell.CreateGraphicsContext(error)) return nullptr;
    auto size = [&shell](int& w, int& h) { shell.DrawableSize(w, h); };
    auto swap = [&shell] { shell.SwapWindow(); };
    auto device = std::make_unique<GlDevice>(size, swap);
    if (!device->valid()) {
        std::fprintf(stderr, "duskwhirl: the OpenGL device cannot start (%s)\n", device->error().c_str());
        device.reset();
        shell.ReleaseGraphicsContext();
        error = platform::DeviceError::NoGraphicsApi;
        return nullptr;
    }
    return device;
}

}  // namespace gfx
