#pragma once
// The built-in player (--autopilot). It looks only at what a player sees on
// the screen (the ship, the enemies, their bullets and the bonuses, as the
// collision tables hold them, and which pickup shows the skull) and plays through the scripted input: mouse
// motion to steer, the left button to fire, the right one for rockets.
#include <cstdint>

#include "core/game_context.h"

namespace platform {
class ScriptedInput;
}

namespace dw {

class Autopilot {
public:
    // Sets the input for the next frame from what the last frame left.
    void Drive(const GameContext& ctx, platform::ScriptedInput& input);

    // What it decided last (for tests and the curious).
    float targetX = 0, targetY = 0;
    float danger = 0;
    std::uint32_t rocketsFired = 0;

private:
    struct Track {
        float x = 0, y = 0, vx = 0, vy = 0;
        std::uint8_t seen = 0;  // 0 none, 1 position only, 2 with velocity
    };
    float DangerAt(const GameContext& ctx, float fromX, float fromY, float toX, float toY, float halfW,
                   float height) const;
    // Follows the bullets and the enemies, and finds the skull among the pickups.
    void Observe(const GameContext& ctx);
    void TrackShip(float sx, float sy);
    // Sets targetX, targetY and danger: where the ship goes next.
    void ChooseSpot(const GameContext& ctx, const HitSlot& ship, float goalX, float goalY);
    void Steer(const GameContext& ctx, float sx, float sy, platform::ScriptedInput& input) const;
    void Fire(const GameContext& ctx, const HitSlot* target, float sx, platform::ScriptedInput& input);

    Track shots_[kEnemyShotSlots];
    Track enemies_[kEnemySlots];
    bool skull_[kBonusSlots] = {};
    bool shipSeen_ = false;
    float shipX_ = 0, shipY_ = 0, shipVx_ = 0, shipVy_ = 0;
    bool rocketHeld_ = false;
    std::uint32_t rocketCooldown_ = 0;
};

}  // namespace dw
