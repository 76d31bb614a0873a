#pragma once
// Collision slot records: every ship, enemy, shot, rocket and bonus owns one.
#include <cstdint>

namespace dw {

struct HitSlot {
    std::uint8_t active;
    std::uint8_t destroyed;
    std::uint8_t noContact;
    std::uint8_t ramProof;
    std::uint8_t shotProof;
    std::uint8_t spare[3];
    std::uint32_t hitPoints;
    float boxMin[3];
    float boxMax[3];
};

struct ShotSlot {
    std::uint8_t active;
    std::uint8_t hit;
    std::uint8_t spare[2];
    std::uint32_t damage;
    float size;
    float x, y;
    float spareFloat;
};

struct RocketSlot {
    std::uint8_t active;
    std::uint8_t hit;
    std::uint8_t spare[2];
    std::uint32_t damage;
    float size;
    float blastRadius;
    float x, y;
    float spareFloat;
};

struct BonusSlot {
    std::uint8_t active;
    std::uint8_t taken;
    std::uint8_t taken2;
    std::uint8_t deadly;  // the pickup in it loses the ship when touched (the skull)
    float boxMin[3];
    float boxMax[3];
};

// Fields through which a boss and its child objects talk.
struct BossLink {
    // boss 0
    std::uint8_t ballPresent[9];
    std::uint8_t boss0Done;
    std::uint8_t ballFireSignal;
    float ballOrbit;
    float boss0AnchorX, boss0AnchorY;
    // boss 1
    std::uint8_t boss1Done;
    std::uint8_t boss1Ready;
    std::int32_t boss1Repair;
    float boss1Y;
    // boss 2
    std::uint8_t boss2Done;
    float boss2X, boss2BayY;
    // boss 3
    std::uint8_t boss3Done;
    float boss3X, boss3Y;
    // boss 4
    std::uint8_t boss4Done;
    float boss4X, boss4Y;
};

}  // namespace dw
