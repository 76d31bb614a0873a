#include "platform/gl_drawable_size.h"

#if !defined(__EMSCRIPTEN__) && !defined(_WIN32)
#include <epoxy/egl.h>
#include <epoxy/glx.h>
#endif

namespace platform {

#if defined(__EMSCRIPTEN__) || defined(_WIN32)
// The browser has no window system to ask: the canvas is the size SDL gives.
// On Windows SDL asks the window's client area itself (no GLX or EGL there).
bool CurrentGlxDrawableSize(int&, int&) { return false; }
bool CurrentEglSurfaceSize(int&, int&) { return false; }
#else

namespace {

bool Plausible(unsigned w, unsigned h) { return w > 0 && h > 0 && w < 65536 && h < 65536; }

}  // namespace

bool CurrentGlxDrawableSize(int& width, int& height) {
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    if (!display || !drawable) return false;
    unsigned int w = 0, h = 0;
    glXQueryDrawable(display, drawable, GLX_WIDTH, &w);
    glXQueryDrawable(display, drawable, GLX_HEIGHT, &h);
    if (!Plausible(w, h)) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool CurrentEglSurfaceSize(int& width, int& height) {
    EGLDisplay display = eglGetCurrentDisplay();
    EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
    if (display == EGL_NO_DISPLAY || surface == EGL_NO_SURFACE) return false;
    EGLint w = 0, h = 0;
    if (!eglQuerySurface(display, surface, EGL_WIDTH, &w) || !eglQuerySurface(display, surface, EGL_HEIGHT, &h) ||
        w < 0 || h < 0 || !Plausible(static_cast<unsigned>(w), static_cast<unsigned>(h))) {
        return false;
    }
    width = w;
    height = h;
    return true;
}

#endif

}  // namespace platform
