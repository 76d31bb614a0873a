#include "frontend/help_keys.h"

#include <cstddef>

namespace dw {

namespace {

using platform::KeyAction;

// "Left Ctrl, Z": the bound keys of an action, the primary first.
std::string KeysOf(const platform::Controls& c, KeyAction a) {
    std::string text = platform::KeyName(c.Key(a, 0));
    const std::string second = platform::KeyName(c.Key(a, 1));
    if (!second.empty()) text += (text.empty() ? "" : ", ") + second;
    return text;
}

// "Left Right Up Down, A D W S": the four primaries, then the four second
// keys (a dash where a direction has none; left out when none has one).
std::string SteeringKeys(const platform::Controls& c) {
    const KeyAction ways[4] = {KeyAction::Left, KeyAction::Right, KeyAction::Up, KeyAction::Down};
    std::string slots[2];
    bool anySecond = false;
    for (int slot = 0; slot < 2; ++slot)
        for (KeyAction a : ways) {
            std::string name = platform::KeyName(c.Key(a, slot));
            anySecond = anySecond || (slot == 1 && !name.empty());
            if (!slots[slot].empty()) slots[slot] += ' ';
            slots[slot] += name.empty() ? "-" : name;
        }
    return anySecond ? slots[0] + ", " + slots[1] : slots[0];
}

std::string WithMouse(const std::string& line, const char* button) {
    const std::string longer = line + ", " + button;
    return longer.size() <= kHelpLineFits ? longer : line;
}

}  // namespace

std::array<std::string, kHelpKeyLines> HelpKeyLines(const platform::Controls& c) {
    return {"Steer: " + SteeringKeys(c), WithMouse("Fire: " + KeysOf(c, KeyAction::Fire), "left click"),
            WithMouse("Rockets: " + KeysOf(c, KeyAction::Rocket), "right click"),
            "Pause and menu: " + KeysOf(c, KeyAction::Pause)};
}

std::array<std::string, kHelpPage2TextLines> HelpPage2Text(const platform::Controls& c) {
    const std::array<std::string, kHelpKeyLines> keys = HelpKeyLines(c);
    return {"Mouse: steer the ship",
            keys[0],
            keys[1],
            keys[2],
            "Hits drain energy, then the hull",
            keys[3],
            "Alt+Enter: full screen",
            "Ctrl+Space: mute and minimise",
            "Four ships, ten levels, five bosses"};
}

}  // namespace dw
