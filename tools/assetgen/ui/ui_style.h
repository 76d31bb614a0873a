#pragma once
// The one lettering style of the interface: white to ice-blue letters with a
// dark navy outline and a soft blue glow. White where the game tints.
#include "ui_draw.h"

namespace assetgen::ui {

inline TextStyle caption_style() {
    TextStyle s;
    s.face = Face::SansBold;
    s.top = hex(0xFFFFFF);
    s.bottom = hex(0xD0DCEE);
    s.outline = hex(0x060C20, 0.95);
    s.outline_width = 2.0;
    s.glow = hex(0x78C4FF, 0.5);
    s.glow_radius = 4;
    return s;
}

// Big in-game captions: brighter, with a stronger glow.
inline TextStyle banner_style() {
    TextStyle s;
    s.face = Face::SansBold;
    s.top = hex(0xFFFFFF);
    s.bottom = hex(0x8CD8FF);
    s.outline = hex(0x04102A, 1.0);
    s.outline_width = 3.0;
    s.glow = hex(0x3AA8FF, 0.75);
    s.glow_radius = 5;
    return s;
}

}  // namespace assetgen::ui
