#include "game/boss2.h"

#include <cmath>

#include "game/bosses_common.h"
#include "platform/game_math.h"

namespace dw {

using namespace bosskit;

// --- boss 2 ---------------------------------------------------------------------

BomberBoss::BomberBoss(GameContext* ctx) : Boss(ctx, kBigbos2, asset::BigBoss2, &ctx->bossLink.boss2Done) {
    halfWidth = 0.36f;
    halfHeight = 0.322488f;
    BossLink& l = ctx->bossLink;
    l.boss2Done = 0;
    l.boss2X = x;
    l.boss2BayY = y;
    nextVolley = ctx->playTimeNow + 1000;  // the first fire cycle, as after a cycle
    SetBody(layout::kBoss2Body);
    RestoreDeviceObjects();
}

void BomberBoss::Volley() {
    for (int n = 0; n < 3; ++n) {
        float vx = 0, vy = -0.45f * halfWidth;
        Rotate(vx, vy, turretAngle + static_cast<float>(n) * kThird);
        BossBullet(context, x + 0.75f * vx + 0.004f * halfWidth, y + 0.144f * halfHeight + vy, vx, vy, 3, 0.014f,
                   0xffff0000, 110, 0.0016f, 0xff00aa00, 0xff000000);
    }
}

void BomberBoss::Move(float ft) {
    const std::uint32_t now = context->playTimeNow;
    if (!landed) {
        y += 0.0002f * ft;
        if (y > -0.5f) {
            y = -0.5f;
            landed = 1;
            state = kNewLeg;
            bayState = kBayOpening;
        }
    } else {
        MoveAndDrop(ft, now);
    }
    // The turret spins and fires from the start; only the bomb bay waits for the landing.
    turretAngle += 0.0015f * ft;
    if (Before(nextVolley, now)) {
        Volley();
        if (++volleyCount >= 3) {
            volleyCount = 0;
            nextVolley = now + 1000;
        } else {
            nextVolley = now + 200;
        }
    }
}

void BomberBoss::MoveAndDrop(float ft, std::uint32_t now) {
    switch (state) {
        case kNewLeg:
            gx0 = x;
            gx1 = x <= 0.1f ? 0.61f : -0.4f;
            speedFactor = 1.1f + 0.1f * context->random.Below(6);
            state = kGliding;
            break;
        case kGliding:
            if (Glide(ft, 0.0003f * speedFactor)) {
                state = kPausing;
                stateTime = now + 100;
            }
            break;
        default:
            if (Before(stateTime, now)) state = kNewLeg;
            break;
    }
    switch (bayState) {
        case kBayOpening:
            doors += 0.0025f * ft;
            if (doors >= 1.0f) {
                doors = 1.0f;
                bayState = kBayDropping;
            }
            break;
        case kBayDropping: {
            const int s = TakeChildSlot(context, context->enemyHitPoints[14], -1.2f, false);
            if (s >= 0) {
                auto* bomb = new Bomb(context);
                bomb->SetStart(x, y + 0.915f * aspect * halfHeight);
                bomb->AttachSlot(static_cast<std::uint32_t>(s));
                Add(context, bomb);
            }
            bayState = kBayOpen;
            bayTime = now + 600;
            break;
        }
        case kBayOpen:
            if (Before(bayTime, now)) bayState = kBayClosing;
            break;
        case kBayClosing:
            doors -= 0.0025f * ft;
            if (doors <= 0) {
                doors = 0;
                bayState = kBayClosed;
                bayTime = now + 100;
            }
            break;
        default:
            if (Before(bayTime, now)) bayState = kBayOpening;
            break;
    }
}

void BomberBoss::Publish() {
    context->bossLink.boss2X = x;
    context->bossLink.boss2BayY = y + 0.63f * halfHeight;
}

void BomberBoss::BuildQuads() {
    Boss::BuildQuads();
    const float w = static_cast<float>(context->screenWidth) * halfWidth;
    const float h = static_cast<float>(context->screenHeight) * halfHeight;
    const float cx = PixelX(context, x), bayY = PixelY(context, y + 0.63f * halfHeight);
    const float door = w / 4.0f, slide = doors * door * 0.8f;
    PlaceQuad(parts, cx - door * 0.5f - slide, bayY, door, h * 48.0f / 256.0f);
    Texels(parts, layout::kBoss2DoorL);
    PlaceQuad(parts + 6, cx + door * 0.5f + slide, bayY, door, h * 48.0f / 256.0f);
    Texels(parts + 6, layout::kBoss2DoorR);
    PlaceQuad(parts + 12, PixelX(context, x + 0.004f * halfWidth), PixelY(context, y + 0.144f * halfHeight), w / 3.0f,
              w / 3.0f, turretAngle);
    Texels(parts + 12, layout::kBoss2Turret);
    SetVertexLook(parts, 18, 0xffffffff, 0.5f);
}

void BomberBoss::RenderParts() {
    SubmitSprite(context, sheet, parts, 4, 2.5788f);
    SubmitSprite(context, sheet, parts + 12, 2, 2.5785f);
}

Bomb::Bomb(GameContext* ctx) : MyObject(ctx) {
    name = kDbomb;
    order = 60;
    visible = 1;
    aspect = Aspect(ctx);
}

void Bomb::SetStart(float px, float py) {
    x = px;
    y = py + kHalfHeight;
}

void Bomb::AttachSlot(std::uint32_t s) { slot = s; }

void Bomb::Detonate() {
    const float hw = kHalfWidth;
    Blast(context, x, y + hw, 3.5f * hw, 0, 1);
    const float t = context->random.Below(360) * kDegree, d = context->random.Below(10) * 0.4f * hw;
    Blast(context, x + 0.4f * d * gm::Sin(t), y + hw + d * gm::Cos(t),
          (0.7f + 0.1f * context->random.Below(10)) * 2.5f * hw, 2, 1, 150);
    for (int i = 0; i < kShipSlots; ++i) {
        HitSlot& s = context->shipSlots[i];
        if (!s.active || s.destroyed) continue;
        if (context->shieldActive && context->shieldShipSlot == static_cast<std::uint32_t>(i)) continue;
        const float dx = (s.boxMin[0] + s.boxMax[0]) * 0.5f - x, dy = (s.boxMin[1] + s.boxMax[1]) * 0.5f - y;
        const float dist = std::sqrt(dx * dx + dy * dy);
        if (!(dist < 0.5f)) continue;
        const auto amount = static_cast<std::uint32_t>((0.5f - dist) * 1500.0f);
        if (amount >= s.hitPoints)
            s.destroyed = 1;
        else
            s.hitPoints -= amount;
    }
    context->score += context->enemyHitPoints[13];
    RequestSound(context, SoundSlot::Game2Explo);
}

std::int32_t Bomb::FrameMove() {
    if (!GameRunning(context) || dead) return 0;
    const float ft = static_cast<float>(context->frameTimeAverage);
    const BossLink& l = context->bossLink;
    HitSlot& s = context->enemySlots[slot];
    if (context->gameStartPending || l.boss2Done) {
        FreeHitSlot(s);
        dead = 1;
        return 0;
    }
    if (state == 0) {
        unfold += 0.002f * ft;
        if (unfold >= 1.0f) {
            unfold = 1.0f;
            state = 1;
        }
    } else if (state == 1) {
        y += 0.0005f * ft;
        if (y > l.boss2BayY + 0.26f * aspect) state = 2;
    } else {
        y += 0.0005f * ft;
        if (y > 1.1f) {
            FreeHitSlot(s);
            dead = 1;
            return 0;
        }
        if (y > 0.5f) s.destroyed = 1;
    }
    if (state < 2) x = l.boss2X;
    SetBox(s, x - kHalfWidth, x + kHalfWidth, y - kHalfHeight, y + kHalfHeight);
    const auto frame = static_cast<int>(unfold * 3.999f);
    PlaceQuad(quad, PixelX(context, x), PixelY(context, y), static_cast<float>(context->screenWidth) * kHalfWidth,
              static_cast<float>(context->screenHeight) * kHalfHeight);
    Texels(quad, layout::kBoss2Bomb[frame < 0 ? 0 : (frame > 3 ? 3 : frame)]);
    SetVertexLook(quad, 6, 0xffffffff, 0.5f);
    if (s.active && !s.destroyed) return 0;
    FreeHitSlot(s);
    dead = 1;
    Detonate();
    return 0;
}

std::int32_t Bomb::Render() {
    if (!GameRunning(context)) return 0;
    SubmitSprite(context, asset::BigBoss2, quad, 2, state < 2 ? 2.5795f : 2.577f);
    return 0;
}
}  // namespace dw
