#pragma once
// Weapons the ship is handed when a run starts straight in a level
// (--arsenal; kept in the demo header so that a replay starts the same).
#include <cstdint>

namespace dw {

struct Arsenal {
    bool given = false;
    std::uint8_t laser = 0;     // 0-3
    std::uint8_t plasma = 0;    // 0-2
    std::uint16_t rockets = 0;  // 0-999
};

}  // namespace dw
