#pragma once
// Where the GL entry points come from: libepoxy on the desktop (it resolves
// desktop GL and OpenGL ES alike, through GLX or EGL), the GLES 3 headers
// when built with Emscripten for WebGL 2. Everything of the GL device
// includes this and no GL header of its own.
#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
// Desktop names the device uses on a desktop context only; ES has no such
// formats or modes, and these values never reach a WebGL call.
#define GL_BGRA 0x80E1
#define GL_UNSIGNED_INT_8_8_8_8_REV 0x8367
#define GL_CLAMP_TO_BORDER 0x812D
#else
#include <epoxy/gl.h>
#endif

namespace gfx {

// True when the current context is OpenGL ES (WebGL 2 always is).
inline bool CurrentGlIsEs() {
#ifdef __EMSCRIPTEN__
    return true;
#else
    return !epoxy_is_desktop_gl();
#endif
}

// The depth clear value: glClearDepthf on ES, glClearDepth on desktop GL 3.3
// (which need not have the float form).
inline void ClearDepthValue(bool es, float z) {
#ifdef __EMSCRIPTEN__
    (void)es;
    glClearDepthf(z);
#else
    if (es) {
        glClearDepthf(z);
    } else {
        glClearDepth(z);
    }
#endif
}

}  // namespace gfx
