#include "platform/glx_size.h"

#include <epoxy/glx.h>

namespace platform {

bool CurrentGlxDrawableSize(int& width, int& height) {
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    if (!display || !drawable) return false;
    unsigned int w = 0, h = 0;
    glXQueryDrawable(display, drawable, GLX_WIDTH, &w);
    glXQueryDrawable(display, drawable, GLX_HEIGHT, &h);
    if (w == 0 || h == 0 || w >= 65536 || h >= 65536) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

}  // namespace platform
