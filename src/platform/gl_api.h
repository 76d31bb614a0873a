#pragma once
// Where the GL entry points come from: libepoxy on the desktop (it resolves
// desktop GL and OpenGL ES alike, through GLX or EGL), the GLES 3 headers
// when built with Emscripten for WebGL 2. Everything of the GL device
// includes this and no GL header of its own.
#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
#else
#include <epoxy/gl.h>
#endif
