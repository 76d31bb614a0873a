#pragma once
// The built-in player (--autopilot). It looks only at what a player sees on
// the screen (the ship, the enemies, their bullets and the bonuses, as the
// collision tables hold them, the skull's slot marked as the pickup publishes
// it) and plays through the scripted input: mouse motion to steer, the left
// button to fire, the right one for rockets.
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
    // Where the ship would be at frame t of its way to a spot, and how much
    // a hit then counts (the nearer in time, the more).
    struct Probe {
        float x, y, halfW, height, t, weight;
    };
    // Adds `scale` times the probe's weight when the ship's box at `p`,
    // grown by `g`, meets the box (x0, y0)-(x1, y1).
    static void AddIfMet(const Probe& p, float g, float x0, float y0, float x1, float y1, float scale, float& risk);
    // What the bullets, the enemies and the skull add to the risk of one
    // point of the way (in this order, as the sum is made).
    void AddShotRisk(const GameContext& ctx, const Probe& p, float& risk) const;
    void AddEnemyRisk(const GameContext& ctx, const Probe& p, float& risk) const;
    static void AddSkullRisk(const GameContext& ctx, const Probe& p, float& risk);
    // Follows the bullets and the enemies.
    void Observe(const GameContext& ctx);
    void TrackShip(float sx, float sy);
    // Sets targetX, targetY and danger: where the ship goes next.
    void ChooseSpot(const GameContext& ctx, const HitSlot& ship, float goalX, float goalY);
    void Steer(const GameContext& ctx, float sx, float sy, platform::ScriptedInput& input) const;
    void Fire(const GameContext& ctx, const HitSlot* target, float sx, platform::ScriptedInput& input);

    Track shots_[kEnemyShotSlots];
    Track enemies_[kEnemySlots];
    bool shipSeen_ = false;
    float shipX_ = 0, shipY_ = 0, shipVx_ = 0, shipVy_ = 0;
    bool rocketHeld_ = false;
    std::uint32_t rocketCooldown_ = 0;
};

}  // namespace dw
