#include "game/boss1.h"

#include <cmath>

#include "game/bosses_common.h"
#include "platform/game_math.h"

namespace dw {

using namespace bosskit;

// --- boss 1 ---------------------------------------------------------------------

GunshipBoss::GunshipBoss(GameContext* ctx) : Boss(ctx, kBigbos1, asset::BigBoss1, &ctx->bossLink.boss1Done) {
    halfWidth = 0.3f;
    halfHeight = 0.39999f;
    BossLink& l = ctx->bossLink;
    l.boss1Done = l.boss1Ready = 0;
    l.boss1Repair = 0;
    l.boss1Y = y;
    SetBody(layout::kBoss1Body);
    RestoreDeviceObjects();
}

void GunshipBoss::AttachSlot(std::uint32_t s) {
    Boss::AttachSlot(s);
    for (std::uint32_t n = 0; n < 2; ++n) {
        const int st = TakeChildSlot(context, 15000, -1.4f, true);
        if (st < 0) break;
        auto* station = new RepairStation(context);
        station->SetStart(x + 0.4f - 0.8f * static_cast<float>(n), y);
        station->AttachSlot(static_cast<std::uint32_t>(st), n);
        Add(context, station);
    }
}

void GunshipBoss::FireDown() {
    for (int n = 0; n < 2; ++n)
        BossBullet(context, x + (0.49f * static_cast<float>(n) - 0.245f) * halfWidth, y + 0.85f * halfHeight, 0, 1, 3,
                   0.014f, 0xffffe666, 110, 0.0016f, 0xfffff000, 0xff00ff00);
}

void GunshipBoss::Descend(float ft, std::uint32_t now) {
    if (state == kFalling) {
        y += 0.0002f * ft;
        if (y > -0.8f) {
            state = kDescending;
            nextShot = now;
        }
        return;
    }
    if (state != kDescending) return;
    y += 0.0002f * ft;
    if (Before(nextShot, now)) {
        nextShot = now + 200;
        FireDown();
    }
    if (y > -0.5f) {
        state = kTurret;
        context->bossLink.boss1Ready = 1;
        turretOn = 1;
        volleys = 0;
        nextShot = now + 2000;
    }
}

// The turret keeps a ship as its target and turns toward it every 10 ms.
void GunshipBoss::AimTurret(float ft, std::uint32_t now) {
    if (!hasTarget || !context->shipSlots[targetShip].active) {
        ShipAim pick;
        pick.PickTarget(context, x, y);
        if (pick.hasTarget) {
            hasTarget = 1;
            targetShip = pick.targetShip;
        }
    }
    if (!Before(lastSteer + 10, now)) return;
    lastSteer = now;
    if (hasTarget && context->shipSlots[targetShip].active) {
        const HitSlot& s = context->shipSlots[targetShip];
        float tx = (s.boxMin[0] + s.boxMax[0]) * 0.5f - x, ty = (s.boxMin[1] + s.boxMax[1]) * 0.5f - y;
        Normalise(tx, ty);
        aimX += tx * ft * 0.0015f;
        aimY += ty * ft * 0.0015f;
    }
    Normalise(aimX, aimY);
    turnAngle = std::fabs(aimY) <= 0.0001f ? gm::Atan(aimX * -999.99994f) : gm::Atan(aimX / aimY);
}

// Volleys of twelve pairs 200 ms apart, then a pause of 2.5 s.
void GunshipBoss::FireTurret(std::uint32_t now) {
    if (!Before(nextShot, now)) return;
    const float turn = -turnAngle - (aimY <= 0 ? kPi : 0.0f);
    for (int n = 0; n < 2; ++n) {
        float vx = (0.49f * static_cast<float>(n) - 0.245f) * halfWidth, vy = 0.6f * halfHeight;
        Rotate(vx, vy, turn);
        BossBullet(context, x + vx, y + 1.333f * vy, 1.333f * aimX, aimY, 3, 0.014f, 0xffffe666, 110, 0.0016f,
                   0xfffff000, 0xff00ff00);
    }
    if (++volleys >= 12) {
        volleys = 0;
        nextShot = now + 2500;
    } else {
        nextShot = now + 200;
    }
}

// Repairs reported by the stations.
void GunshipBoss::TakeRepairs() {
    BossLink& l = context->bossLink;
    HitSlot& s = OwnSlot();
    if (s.active && !s.destroyed) {
        const std::int64_t hp = static_cast<std::int64_t>(s.hitPoints) + l.boss1Repair;
        s.hitPoints = static_cast<std::uint32_t>(hp > kMaxHitPoints ? kMaxHitPoints : (hp < 0 ? 0 : hp));
    }
    l.boss1Repair = 0;
}

void GunshipBoss::Move(float ft) {
    const std::uint32_t now = context->playTimeNow;
    Descend(ft, now);
    if (turretOn) {
        AimTurret(ft, now);
        FireTurret(now);
    }
    TakeRepairs();
}

void GunshipBoss::Publish() { context->bossLink.boss1Y = y; }

void GunshipBoss::BuildQuads() {
    Boss::BuildQuads();
    const float side = static_cast<float>(context->screenWidth) * halfWidth / 3.0f;
    PlaceQuad(turret, PixelX(context, x), PixelY(context, y), side, side, gm::Atan2(-aimX, aimY));
    Texels(turret, layout::kBoss1Turret);
    SetVertexLook(turret, 6, 0xffffffff, 0.5f);
}

void GunshipBoss::RenderParts() { SubmitSprite(context, sheet, turret, 2, 2.5785f); }

RepairStation::RepairStation(GameContext* ctx) : MyObject(ctx) {
    name = kHstat;
    order = 60;
    visible = 1;
}

void RepairStation::SetStart(float px, float py) {
    x = baseX = px;
    y = py;
}

void RepairStation::AttachSlot(std::uint32_t s, std::uint32_t n) {
    slot = s;
    side = n;
}

std::int32_t RepairStation::FrameMove() {
    if (!GameRunning(context) || dead) return 0;
    const float ft = static_cast<float>(context->frameTimeAverage);
    const std::uint32_t now = context->playTimeNow;
    BossLink& l = context->bossLink;
    HitSlot& s = context->enemySlots[slot];
    if (context->gameStartPending) {
        FreeHitSlot(s);
        dead = 1;
        return 0;
    }
    const float out = side == 0 ? 1.0f : -1.0f;
    if (state == 0) {
        y = l.boss1Y;
        if (l.boss1Ready) state = 1;
    } else if (state == 1) {
        const float step = 0.0005f * ft;
        moved += step;
        x += out * step;
        if (moved >= 0.3f) {
            x = baseX + out * 0.3f;
            baseX = x;
            state = 2;
            nextRepair = now + 500;
            nextDot = now + 150;
        }
    } else {
        phase += 0.002f * ft;
        x = baseX - out * 0.05f * gm::Sin(phase);
        if (Before(nextRepair, now)) {
            nextRepair = now + 500;
            l.boss1Repair += 250;
        }
        if (Before(nextDot, now)) {
            static constexpr int kOrder[5] = {0, 3, 1, 4, 2};
            nextDot = now + 150;
            auto* dot = new LightDot(context);
            dot->SetStart(x, y - 0.1f + 0.05f * static_cast<float>(kOrder[dotCount++ % 5]));
            Add(context, dot);
        }
    }
    const float hw = 0.1f, hh = 0.22f;
    SetBox(s, x - hw, x + hw, y - hh, y + hh);
    PlaceQuad(quad, PixelX(context, x), PixelY(context, y), static_cast<float>(context->screenWidth) * hw,
              static_cast<float>(context->screenHeight) * hh);
    Texels(quad, layout::kBoss1Station);
    SetVertexLook(quad, 6, 0xffffffff, 0.5f);
    if (s.active && !s.destroyed && !l.boss1Done) return 0;
    FreeHitSlot(s);
    dead = 1;
    Blast(context, x, y + hw, 1.3f * hh, 4, 1);
    context->score += 15000;
    RequestSound(context, SoundSlot::Game2Explo);
    return 0;
}

std::int32_t RepairStation::Render() {
    if (!GameRunning(context)) return 0;
    SubmitSprite(context, asset::BigBoss1, quad, 2, 2.5795f);
    return 0;
}

LightDot::LightDot(GameContext* ctx) : MyObject(ctx) {
    name = kLtdot;
    order = 60;
    visible = 1;
}

void LightDot::SetStart(float px, float py) {
    x = px;
    y = py;
    fromRight = px > 0.11f ? 1 : 0;
}

std::int32_t LightDot::FrameMove() {
    if (!GameRunning(context) || dead) return 0;
    if (context->gameStartPending || context->bossLink.boss1Done) {
        dead = 1;
        return 0;
    }
    const float ft = static_cast<float>(context->frameTimeAverage);
    x += (fromRight ? -0.00025f : 0.00025f) * ft;
    spin += 0.003f * ft;
    if ((fromRight && x < 0.41f) || (!fromRight && x > -0.19f)) dead = 1;
    const float side = 0.025f * static_cast<float>(context->screenWidth);
    PlaceQuad(quad, PixelX(context, x), PixelY(context, y), side, side, spin);
    Texels(quad, layout::kBoss1Dot);
    SetVertexLook(quad, 6, 0xff66ffff, 0.5f);
    return 0;
}

std::int32_t LightDot::Render() {
    if (!GameRunning(context)) return 0;
    SubmitSprite(context, asset::BigBoss1, quad, 2, 2.5783f, kBlendSource, kBlendAdd);
    return 0;
}
}  // namespace dw
