#pragma once
// The size of the drawable the current GL context draws to, as the window
// system has it (apart from the window code: Xlib's macros clash with ours).
namespace platform {

// GLX: false when no GLX context is current or the server gives no size.
bool CurrentGlxDrawableSize(int& width, int& height);
// EGL (the OpenGL ES context): the same for the current EGL surface.
bool CurrentEglSurfaceSize(int& width, int& height);

}  // namespace platform
