#include "game/collision.h"

#include <cmath>
#include <cstdlib>

#include "core/game_context.h"
#include "engine/list_engine.h"
#include "game/bonus.h"

namespace dw {

namespace {

bool EdgeIn(float edge, float low, float high) { return edge >= low && edge < high; }

// One axis: A spans a1..a2, B spans b1..b2.
bool AxisPasses(float a1, float a2, float b1, float b2) {
    if (a2 - a1 < b2 - b1) return EdgeIn(a1, b1, b2) || EdgeIn(a2, b1, b2);
    return EdgeIn(b1, a1, a2) || EdgeIn(b2, a1, a2);
}

bool Overlaps(float a1x, float a1y, float a2x, float a2y, const HitSlot& b) {
    return RectsOverlap(a1x, a1y, a2x, a2y, b.boxMin[0], b.boxMin[1], b.boxMax[0], b.boxMax[1]) >= 0;
}

// First active enemy whose box the square (x, y, size) overlaps, or -1.
int FirstEnemyHit(GameContext* ctx, float x, float y, float size) {
    const float h = size / 2;
    for (int e = 0; e < kEnemySlots; ++e) {
        const HitSlot& enemy = ctx->enemySlots[e];
        if (enemy.active && Overlaps(x - h, y - h, x + h, y + h, enemy)) return e;
    }
    return -1;
}

// Damage of a shot or a rocket's direct hit on enemy e.
void Strike(GameContext* ctx, int e, std::uint32_t damage) {
    HitSlot& enemy = ctx->enemySlots[e];
    if (enemy.shotProof) return;
    if (damage < enemy.hitPoints) {
        enemy.hitPoints -= damage;
        return;
    }
    enemy.destroyed = 1;
    RollBonus(ctx, (enemy.boxMin[0] + enemy.boxMax[0]) / 2, (enemy.boxMin[1] + enemy.boxMax[1]) / 2);
}

void PlayerShots(GameContext* ctx) {
    for (ShotSlot& shot : ctx->playerShots) {
        if (!shot.active) continue;
        const int e = FirstEnemyHit(ctx, shot.x, shot.y, shot.size);
        if (e < 0) continue;
        Strike(ctx, e, shot.damage);
        shot.hit = 1;
    }
}

void Rockets(GameContext* ctx) {
    for (RocketSlot& rocket : ctx->rocketSlots) {
        if (!rocket.active) continue;
        const int struck = FirstEnemyHit(ctx, rocket.x, rocket.y, rocket.size);
        if (struck >= 0) {
            Strike(ctx, struck, rocket.damage);
            rocket.hit = 1;
        }
        if (!rocket.hit) continue;
        // The blast reaches every other live enemy within its radius.
        if (!(rocket.blastRadius > 0)) continue;
        for (int e = 0; e < kEnemySlots; ++e) {
            HitSlot& enemy = ctx->enemySlots[e];
            if (e == struck || !enemy.active || enemy.destroyed || enemy.shotProof) continue;
            const float cx = (enemy.boxMin[0] + enemy.boxMax[0]) / 2;
            const float cy = (enemy.boxMin[1] + enemy.boxMax[1]) / 2;
            const float d = std::sqrt((cx - rocket.x) * (cx - rocket.x) + (cy - rocket.y) * (cy - rocket.y));
            if (!(d < rocket.blastRadius)) continue;
            const auto blast = static_cast<std::uint32_t>((rocket.blastRadius - d) / rocket.blastRadius *
                                                          static_cast<float>(rocket.damage));
            if (blast < enemy.hitPoints)
                enemy.hitPoints -= blast;
            else
                enemy.destroyed = 1;
        }
    }
}

// One ram: what ship and enemy have left after they touch.
void Ram(HitSlot& ship, HitSlot& enemy, bool shielded) {
    std::uint32_t& p = ship.hitPoints;
    std::uint32_t& e = enemy.hitPoints;
    if (enemy.shotProof) {
        if (!shielded) p = 0;
    } else if (shielded) {
        if (!enemy.ramProof) e = 0;
    } else if (e < p) {
        p -= e;
        e = 0;
    } else {
        e -= p;
        p = 0;
    }
    if (e == 0) enemy.destroyed = 1;
    if (p == 0) ship.destroyed = 1;
}

// The enemies the ship touches, until one destroys it.
void ShipRams(GameContext* ctx, HitSlot& ship, bool shielded) {
    for (HitSlot& enemy : ctx->enemySlots) {
        if (!enemy.active || enemy.noContact) continue;
        if (RectsOverlap(ship.boxMin[0], ship.boxMin[1], ship.boxMax[0], ship.boxMax[1], enemy.boxMin[0],
                         enemy.boxMin[1], enemy.boxMax[0], enemy.boxMax[1]) < 0)
            continue;
        Ram(ship, enemy, shielded);
        if (ship.hitPoints == 0) return;
    }
}

// The enemy bullets that reach the ship, until one destroys it.
void ShipShot(GameContext* ctx, HitSlot& ship, bool shielded) {
    std::uint32_t& p = ship.hitPoints;
    for (ShotSlot& shot : ctx->enemyShots) {
        if (!shot.active) continue;
        const float h = shot.size / 2;
        if (RectsOverlap(shot.x - h, shot.y - h, shot.x + h, shot.y + h, ship.boxMin[0], ship.boxMin[1], ship.boxMax[0],
                         ship.boxMax[1]) < 0)
            continue;
        shot.hit = 1;
        if (shielded) continue;
        if (p <= shot.damage) {
            ship.destroyed = 1;
            return;
        }
        p -= shot.damage;
    }
}

void Ship(GameContext* ctx, int s) {
    HitSlot& ship = ctx->shipSlots[s];
    const bool shielded = ctx->shieldActive && ctx->shieldShipSlot == static_cast<std::uint32_t>(s);
    if (!ship.noContact) {
        ShipRams(ctx, ship, shielded);
        ShipShot(ctx, ship, shielded);
    }
    const float x1 = ship.boxMin[0], y1 = ship.boxMin[1], x2 = ship.boxMax[0], y2 = ship.boxMax[1];
    for (BonusSlot& bonus : ctx->bonusSlots) {
        if (!bonus.active) continue;
        if (RectsOverlap(x1, y1, x2, y2, bonus.boxMin[0], bonus.boxMin[1], bonus.boxMax[0], bonus.boxMax[1]) < 0)
            continue;
        bonus.taken = 1;
        bonus.taken2 = 1;
    }
}

}  // namespace

HRESULT RectsOverlap(float a1x, float a1y, float a2x, float a2y, float b1x, float b1y, float b2x, float b2y) {
    if (AxisPasses(a1x, a2x, b1x, b2x) && AxisPasses(a1y, a2y, b1y, b2y)) return S_OK;
    return E_FAIL;
}

bool RollBonus(GameContext* ctx, float cx, float cy) {
    if (ctx->random.Next() % 5 != 0) return false;
    for (int b = 0; b < kBonusSlots; ++b) {
        BonusSlot& slot = ctx->bonusSlots[b];
        if (slot.active) continue;
        slot.active = 1;
        slot.taken = 0;
        slot.taken2 = 0;
        slot.boxMin[0] = slot.boxMax[0] = cx;
        slot.boxMin[1] = slot.boxMax[1] = cy;
        slot.boxMin[2] = slot.boxMax[2] = 0.37f;
        auto* bonus = new Bonus(ctx);
        bonus->SetStart(cx, cy);
        bonus->AttachSlot(static_cast<std::uint32_t>(b));
        if (ctx->objectList)
            ctx->objectList->AddObject(bonus);
        else
            delete bonus;
        return true;
    }
    return false;
}

void RunCollisionPass(GameContext* ctx) {
    PlayerShots(ctx);
    Rockets(ctx);
    for (int s = 0; s < kShipSlots; ++s)
        if (ctx->shipSlots[s].active) Ship(ctx, s);
}

}  // namespace dw
