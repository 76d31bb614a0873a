#pragma once
// The size of the drawable the current GLX context draws to, as the X
// server has it (apart from the window code: Xlib's macros clash with ours).
namespace platform {

// False when no GLX context is current or the server gives no size.
bool CurrentGlxDrawableSize(int& width, int& height);

}  // namespace platform
