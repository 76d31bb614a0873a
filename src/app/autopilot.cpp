#include "app/autopilot.h"

#include <algorithm>
#include <cmath>

#include "platform/input.h"

namespace dw {

namespace {

constexpr float kMinX = -0.65f, kMaxX = 0.87f;  // where the ship can go
constexpr float kMinY = -0.85f, kMaxY = 0.76f;
constexpr float kHomeY = 0.70f;     // resting height: room to see bullets coming
constexpr float kMaxSpeed = 0.06f;  // per frame
constexpr int kHorizon = 24;        // frames looked ahead
constexpr int kBigTargetHitPoints = 500;
constexpr std::uint32_t kShotDownHitPoints = 400;  // what the guns clear before it arrives

bool Overlaps(float ax0, float ay0, float ax1, float ay1, float bx0, float by0, float bx1, float by1) {
    return ax0 < bx1 && bx0 < ax1 && ay0 < by1 && by0 < ay1;
}

float Step(float from, float to, float t) {
    const float d = to - from;
    const float reach = kMaxSpeed * 0.7f * t;
    if (std::fabs(d) <= reach) return to;
    return from + (d > 0 ? reach : -reach);
}

// Keeps a slot's last position and, from the second sighting on, its motion
// per frame (a jump means the slot was reused by something new).
void Follow(float x, float y, bool active, float& tx, float& ty, float& tvx, float& tvy, std::uint8_t& seen) {
    if (!active) {
        seen = 0;
        return;
    }
    if (seen && std::fabs(x - tx) < 0.2f && std::fabs(y - ty) < 0.2f) {
        tvx = x - tx;
        tvy = y - ty;
        seen = 2;
    } else {
        tvx = 0;
        tvy = 0.02f;  // new: assume it comes down
        seen = 1;
    }
    tx = x;
    ty = y;
}

}  // namespace

void Autopilot::AddIfMet(const Probe& p, float g, float x0, float y0, float x1, float y1, float scale, float& risk) {
    if (Overlaps(p.x - p.halfW - g, p.y - g, p.x + p.halfW + g, p.y + p.height + g, x0, y0, x1, y1))
        risk += scale * p.weight;
}

void Autopilot::AddShotRisk(const GameContext& ctx, const Probe& p, float& risk) const {
    for (int i = 0; i < kEnemyShotSlots; ++i) {
        const Track& b = shots_[i];
        if (!b.seen || !ctx.enemyShots[i].active) continue;
        const float r = ctx.enemyShots[i].size * 0.5f + 0.025f;
        const float bx = b.x + b.vx * p.t, by = b.y + b.vy * p.t;
        if (Overlaps(p.x - p.halfW - r, p.y - r, p.x + p.halfW + r, p.y + p.height + r, bx, by, bx, by))
            risk += p.weight;
    }
}

void Autopilot::AddEnemyRisk(const GameContext& ctx, const Probe& p, float& risk) const {
    for (int i = 0; i < kEnemySlots; ++i) {
        const HitSlot& e = ctx.enemySlots[i];
        const Track& m = enemies_[i];
        if (!e.active || e.destroyed || e.noContact || !m.seen) continue;
        const float ox = m.vx * p.t, oy = m.vy * p.t;
        // One in the line of fire, weak and not yet close, is shot down first.
        const float half = (e.boxMax[0] - e.boxMin[0]) * 0.5f;
        const float ex = (e.boxMin[0] + e.boxMax[0]) * 0.5f + ox;
        if (!e.shotProof && e.hitPoints <= kShotDownHitPoints && std::fabs(ex - p.x) < half * 0.7f &&
            e.boxMax[1] + oy < p.y - 0.04f)
            continue;
        AddIfMet(p, 0.05f, e.boxMin[0] + ox, e.boxMin[1] + oy, e.boxMax[0] + ox, e.boxMax[1] + oy,
                 e.shotProof ? 10.0f : 3.0f, risk);
    }
}

// The skull is a wall.
void Autopilot::AddSkullRisk(const GameContext& ctx, const Probe& p, float& risk) {
    for (const BonusSlot& b : ctx.bonusSlots) {
        if (!b.active || !b.deadly) continue;
        AddIfMet(p, 0.04f, b.boxMin[0], b.boxMin[1] + 0.01f * p.t, b.boxMax[0], b.boxMax[1] + 0.01f * p.t, 10.0f, risk);
    }
}

float Autopilot::DangerAt(const GameContext& ctx, float fromX, float fromY, float toX, float toY, float halfW,
                          float height) const {
    float risk = 0;
    for (int t = 1; t <= kHorizon; ++t) {
        const float ft = static_cast<float>(t);
        const Probe p{Step(fromX, toX, ft), Step(fromY, toY, ft), halfW, height, ft, 1.0f / (1.0f + 0.15f * ft)};
        AddShotRisk(ctx, p, risk);
        AddEnemyRisk(ctx, p, risk);
        AddSkullRisk(ctx, p, risk);
    }
    return risk;
}

namespace {

// The first live ship, or none.
const HitSlot* LiveShip(const GameContext& ctx) {
    for (const HitSlot& s : ctx.shipSlots)
        if (s.active && !s.destroyed) return &s;
    return nullptr;
}

// A bonus worth the trip: the first one on the screen that is not the skull.
bool BonusGoal(const GameContext& ctx, float& goalX, float& goalY) {
    for (const BonusSlot& b : ctx.bonusSlots) {
        if (!b.active || b.taken || b.deadly) continue;
        const float bx = (b.boxMin[0] + b.boxMax[0]) * 0.5f, by = (b.boxMin[1] + b.boxMax[1]) * 0.5f;
        if (by < -0.2f || by > 0.9f) continue;
        goalX = bx;
        goalY = std::clamp(by, 0.15f, kMaxY);
        return true;
    }
    return false;
}

// The enemy that can be shot nearest above the ship at (sx, sy), or none.
const HitSlot* NearestTarget(const GameContext& ctx, float sx, float sy) {
    const HitSlot* target = nullptr;
    float bestScore = 1e9f;
    for (const HitSlot& e : ctx.enemySlots) {
        if (!e.active || e.destroyed || e.shotProof) continue;
        const float ex = (e.boxMin[0] + e.boxMax[0]) * 0.5f, ey = e.boxMax[1];
        if (ey > sy || ey < -1.0f || ex < kMinX - 0.1f || ex > kMaxX + 0.1f) continue;
        const float score = std::fabs(ex - sx) + 0.25f * (sy - ey);
        if (score < bestScore) {
            bestScore = score;
            target = &e;
        }
    }
    return target;
}

}  // namespace

void Autopilot::Observe(const GameContext& ctx) {
    for (int i = 0; i < kEnemyShotSlots; ++i) {
        const ShotSlot& s = ctx.enemyShots[i];
        Track& t = shots_[i];
        Follow(s.x, s.y, s.active != 0, t.x, t.y, t.vx, t.vy, t.seen);
    }
    for (int i = 0; i < kEnemySlots; ++i) {
        const HitSlot& s = ctx.enemySlots[i];
        Track& t = enemies_[i];
        Follow((s.boxMin[0] + s.boxMax[0]) * 0.5f, (s.boxMin[1] + s.boxMax[1]) * 0.5f, s.active && !s.destroyed, t.x,
               t.y, t.vx, t.vy, t.seen);
        if (t.seen == 1) t.vy = 0;  // a new enemy: its motion is unknown yet
    }
}

void Autopilot::TrackShip(float sx, float sy) {
    if (shipSeen_) {
        shipVx_ = sx - shipX_;
        shipVy_ = sy - shipY_;
    } else {
        shipVx_ = shipVy_ = 0;
    }
    shipSeen_ = true;
    shipX_ = sx;
    shipY_ = sy;
}

// Candidates around the ship; the safest one nearest the goal wins.
void Autopilot::ChooseSpot(const GameContext& ctx, const HitSlot& ship, float goalX, float goalY) {
    const float halfW = (ship.boxMax[0] - ship.boxMin[0]) * 0.5f;
    const float height = ship.boxMax[1] - ship.boxMin[1];
    const float sx = (ship.boxMin[0] + ship.boxMax[0]) * 0.5f;
    const float sy = ship.boxMin[1];
    float bestX = sx, bestY = sy, bestCost = 1e9f;
    static constexpr float kOffsets[] = {0.0f,   -0.05f, 0.05f, -0.1f, 0.1f,  -0.18f, 0.18f,
                                         -0.28f, 0.28f,  -0.4f, 0.4f,  -0.6f, 0.6f};
    const float ys[] = {std::clamp(goalY, kMinY, kMaxY), kMaxY, 0.55f, 0.4f};
    const float towardGoal = std::clamp(goalX - sx, -0.4f, 0.4f);
    for (float y : ys) {
        for (float off : kOffsets) {
            for (int pass = 0; pass < 2; ++pass) {
                const float cx = std::clamp(sx + off + (pass ? towardGoal : 0.0f), kMinX, kMaxX);
                const float d = DangerAt(ctx, sx, sy, cx, y, halfW, height);
                const float cost = d * 30.0f + std::fabs(cx - goalX) + 0.3f * std::fabs(y - goalY);
                if (cost < bestCost) {
                    bestCost = cost;
                    bestX = cx;
                    bestY = y;
                }
            }
        }
    }
    targetX = bestX;
    targetY = bestY;
    danger = bestCost;
}

// Mouse motion: the ship's speed follows the mouse with a lag (it keeps 3/4
// of its speed each frame and the motion reaches it a frame late), so steer
// for a speed proportional to the distance, damped by the speed it has.
void Autopilot::Steer(const GameContext& ctx, float sx, float sy, platform::ScriptedInput& input) const {
    const float speed = ctx.mouseSpeed > 0 ? ctx.mouseSpeed : 1.0f;
    const float w = static_cast<float>(ctx.screenWidth > 0 ? ctx.screenWidth : 800);
    const float h = static_cast<float>(ctx.screenHeight > 0 ? ctx.screenHeight : 600);
    const float kx = 4.0f * speed * w * 0.001875f * 0.48f / w;  // steady speed per count
    const float ky = 4.0f * speed * w * 0.001875f * 0.36f / h;
    const float wantVx = std::clamp((targetX - sx) * 0.4f, -kMaxSpeed, kMaxSpeed) - shipVx_;
    const float wantVy = std::clamp((targetY - sy) * 0.4f, -kMaxSpeed, kMaxSpeed) - shipVy_;
    input.mouseX = static_cast<std::int32_t>(std::lround(wantVx / kx));
    input.mouseY = static_cast<std::int32_t>(std::lround(wantVy / ky));
}

// Fire all the time; a rocket (a click) at big targets in line.
void Autopilot::Fire(const GameContext& ctx, const HitSlot* target, float sx, platform::ScriptedInput& input) {
    input.buttons[0] = 0x80;
    if (rocketCooldown_) --rocketCooldown_;
    if (rocketHeld_) {
        input.buttons[1] = 0;
        rocketHeld_ = false;
    } else if (ctx.rockets > 0 && rocketCooldown_ == 0 && target &&
               target->hitPoints >= static_cast<std::uint32_t>(kBigTargetHitPoints) &&
               std::fabs((target->boxMin[0] + target->boxMax[0]) * 0.5f - sx) < 0.15f) {
        input.buttons[1] = 0x80;
        rocketHeld_ = true;
        rocketCooldown_ = 30;
        ++rocketsFired;
    }
}

void Autopilot::Drive(const GameContext& ctx, platform::ScriptedInput& input) {
    const HitSlot* ship = LiveShip(ctx);
    Observe(ctx);
    const bool playing = ctx.currentScreen == Screen::Game && ship != nullptr && ctx.gamePhase == GamePhase::Playing;
    if (!playing) {
        shipSeen_ = false;
        input.buttons[0] = input.buttons[1] = 0;
        rocketHeld_ = false;
        danger = 0;
        return;
    }

    const float sx = (ship->boxMin[0] + ship->boxMax[0]) * 0.5f;
    const float sy = ship->boxMin[1];
    TrackShip(sx, sy);

    // The target: a bonus worth the trip, else the enemy nearest above.
    float goalX = sx, goalY = kHomeY;
    const bool haveGoal = BonusGoal(ctx, goalX, goalY);
    const HitSlot* target = NearestTarget(ctx, sx, sy);
    if (!haveGoal && target) goalX = (target->boxMin[0] + target->boxMax[0]) * 0.5f;
    goalX = std::clamp(goalX, kMinX, kMaxX);

    ChooseSpot(ctx, *ship, goalX, goalY);
    Steer(ctx, sx, sy, input);
    Fire(ctx, target, sx, input);
}

}  // namespace dw
