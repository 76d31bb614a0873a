#pragma once
// The lines of the second help page, those that name keys written from the
// keys actually bound (a primary and a second key each, as in settings.ini).
#include <array>
#include <cstddef>
#include <string>

#include "platform/controls.h"

namespace dw {

inline constexpr int kHelpKeyLines = 4;
// The characters a line holds at the page's full glyph size; a longer line
// is drawn narrower.
inline constexpr std::size_t kHelpLineFits = 34;

// Steering, fire, rockets and pause, e.g. "Steer: Left Right Up Down, A D W S",
// "Fire: Left Ctrl, Z, left click". The mouse button is named only where the
// line still fits at full size.
std::array<std::string, kHelpKeyLines> HelpKeyLines(const platform::Controls& controls);

// The lines of the second page under its title, in one font: the mouse, the
// key lines, what firing costs, the desktop keys and the game's size.
inline constexpr int kHelpPage2TextLines = 9;
std::array<std::string, kHelpPage2TextLines> HelpPage2Text(const platform::Controls& controls);

}  // namespace dw
