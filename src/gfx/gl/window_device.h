#pragma once
// The OpenGL device of a real window: the shell makes and keeps the window's
// GL context; this device draws to it and shows its frames through the shell.
#include <memory>

#include "gfx/device.h"
#include "platform/shell.h"

namespace gfx {

// Makes the shell's GL context current and an OpenGL device on it. Null with
// `error` set (and the reason on stderr) when either cannot start; the
// context is released again then. The shell must outlive the device.
std::unique_ptr<Device> OpenWindowDevice(platform::Shell& shell, platform::DeviceError& error);

}  // namespace gfx
