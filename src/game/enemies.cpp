#include "game/enemies.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/game_context.h"
#include "engine/list_engine.h"
#include "game/enemy_bullets.h"
#include "game/enemy_looks.h"
#include "game/explosion.h"
#include "game/player_shots.h"
#include "game/sprite_util.h"
#include "assets/asset_names.h"
#include "assets/sound.h"
#include "platform/game_math.h"

namespace dw {

namespace {
constexpr const char kSenemy1[] = "senemy1";
constexpr const char kSenemy2[] = "senemy2";
constexpr const char kSenemy3[] = "senemy3";
constexpr const char kSenemy4[] = "senemy4";
constexpr const char kSenemy5[] = "senemy5";
constexpr const char kSenemy6[] = "senemy6";
constexpr const char kHenemy1[] = "henemy1";
constexpr const char kHenemy2[] = "henemy2";
constexpr const char kHenemy3[] = "henemy3";
constexpr const char kHenemy4[] = "henemy4";
constexpr const char kHenemy5[] = "henemy5";
constexpr const char kHenemy6[] = "henemy6";

// Big craft leave by any side of a field a little wider than the screen.
bool OutsideWideField(float x, float y) { return x < -0.9f || x > 1.1f || y < -1.3f || y > 1.2f; }
}  // namespace

// --- senemy1 --------------------------------------------------------------------

SmallFighter::SmallFighter(GameContext* ctx) : HaloEnemy(ctx, kSenemy1) {
    ApplyLook(LookOf(EnemyClass::SmallFighter));
    const float w = context->random.Below(30) * 0.0006f + 0.04f;
    halfWidth = w;
    halfHeight = 1.333f * w;
    animForward = (context->random.Next() % 2) ? 1 : 0;
    depthKey = 2.6f - 0.1f * w;
    vertexZ = 0.49f + 0.1f * w;
    InitHalo(1.25f * w, vertexZ, 2.6f - 0.1f * w + depthJitter);
    RebuildQuads();
}

void SmallFighter::Move(float ft) { y += ft * (y < -0.5f ? 0.0003f : 0.0012f); }

// --- senemy2 --------------------------------------------------------------------

Drone::Drone(GameContext* ctx) : Enemy(ctx, kSenemy2) {
    ApplyLook(LookOf(EnemyClass::Drone));
    animForward = 0;
    RebuildQuads();
}

void Drone::Move(float ft) { y += ft * 0.0004f; }

void Drone::Explode() {
    Enemy::Explode();
    FireCrossBurst(context, x, y, false);
}

// --- senemy3 --------------------------------------------------------------------

Station::Station(GameContext* ctx) : HaloEnemy(ctx, kSenemy3) {
    ApplyLook(LookOf(EnemyClass::Station));
    depthJitter = context->random.Below(9) * 0.0001f;
    InitHalo(1.25f * halfWidth, vertexZ, depthKey + depthJitter);
    RebuildQuads();
}

void Station::Move(float ft) { y += ft * speed; }

// --- senemy4 --------------------------------------------------------------------

Weaver::Weaver(GameContext* ctx) : Enemy(ctx, kSenemy4) {
    ApplyLook(LookOf(EnemyClass::Weaver));
    RebuildQuads();
}

void Weaver::SetStart(float px, float py) {
    yBase = py;
    phase = ((px + 0.6f) * 0.6666667f - 0.5f) * kPi;
    Enemy::SetStart(px, py);
}

void Weaver::Move(float ft) {
    angle += ft * 0.0045f;
    yBase += ft * 0.0003f;
    phase += ft * 0.001f;
    x = 0.75f * gm::Sin(phase) + 0.15f;
    y = yBase;
}

void Weaver::WriteHitBox() {
    // The box around the four turned corners of the craft.
    const float hx = halfWidth * static_cast<float>(context->screenWidth) * 0.5f;
    const float hy = halfHeight * static_cast<float>(context->screenHeight) * 0.5f;
    const float c = std::fabs(gm::Cos(angle)), s = std::fabs(gm::Sin(angle));
    const float ex = (hx * c + hy * s) * 2.0f / static_cast<float>(context->screenWidth);
    const float ey = (hx * s + hy * c) * 2.0f / static_cast<float>(context->screenHeight);
    HitSlot& slotRef = context->enemySlots[slot];
    slotRef.boxMin[0] = x - ex;
    slotRef.boxMax[0] = x + ex;
    slotRef.boxMin[1] = y - ey;
    slotRef.boxMax[1] = y + ey;
}

// --- senemy5 --------------------------------------------------------------------

Looper::Looper(GameContext* ctx) : Enemy(ctx, kSenemy5) {
    ApplyLook(LookOf(EnemyClass::Looper));
    RebuildQuads();
}

void Looper::SetStart(float px, float py) {
    yBase = py;
    Enemy::SetStart(px, py);
}

void Looper::Move(float ft) {
    yBase += ft * 0.0003f;
    phase -= ft * 0.002f;
    x = 0.25f * gm::Cos(phase) + startX;
    y = 0.1f * std::fabs(gm::Cos(phase)) + yBase;
}

// --- senemy6 --------------------------------------------------------------------

Jumper::Jumper(GameContext* ctx) : Enemy(ctx, kSenemy6) {
    ApplyLook(LookOf(EnemyClass::Jumper));
    y = startY = 1.1f;
    RebuildQuads();
}

void Jumper::Move(float ft) {
    angle -= ft * 0.001f;
    switch (state) {
        case 0:
            y -= ft * 0.0008f;
            if (y < -0.7f) {
                context->enemySlots[slot].noContact = 0;
                state = 1;
            }
            break;
        case 1:
            if (x >= 0.15f) {
                x += ft * 0.0004f;
                if (x > 0.9f) state = 2;
            } else {
                x -= ft * 0.0004f;
                if (x < -0.6f) state = 2;
            }
            break;
        default: y += ft * 0.0012f; break;
    }
}

// --- henemy1 --------------------------------------------------------------------

HeavyFighter::HeavyFighter(GameContext* ctx) : HaloEnemy(ctx, kHenemy1) {
    ApplyLook(LookOf(EnemyClass::HeavyFighter));
    zH = 0.49f + context->random.Below(10) * 0.001f;
    FlyAtDepth(zH);
    exploSize = 0.7f + 0.1f * context->random.Below(7);
    InitHalo(1.15f * halfWidth, zH, 3.0f - zH);
    flame = new EngineFlame(ctx);
    flame->sortKey = 3.0f - zH + 0.005f;
    flame->StartEmitter(0.009f, 0.009f, 0xffffe999, 4, 40, -0.0004f, 0, asset::BoardTex, 0, 1, 1, 1, 0.312f, 0, 0.063f,
                        0.063f, x, y + 0.025f, 0.487f);
    flame->SetFadeColours(0xffffffff, 0xff00aaff);
    if (ctx->objectList) ctx->objectList->AddObject(flame);
    RebuildQuads();
}

void HeavyFighter::SetStart(float px, float py) {
    HaloEnemy::SetStart(px, py);
    // The flame starts where the ship is, not where it was built.
    if (flame) {
        flame->StartEmitter(0.009f, 0.009f, 0xffffe999, 4, 40, -0.0004f, 0, asset::BoardTex, 0, 1, 1, 1, 0.312f, 0,
                            0.063f, 0.063f, x, y + 0.025f, 0.487f);
        flame->SetFadeColours(0xffffffff, 0xff00aaff);
    }
}

void HeavyFighter::Move(float ft) {
    y += ft * (y < -0.7f ? 0.0003f : 0.001f);
    if (y > -0.7f) {
        fireAccumulator += ft * 0.0001f;
        if (fireAccumulator > 1.0f) {
            fireAccumulator = 0;
            const int entry = TakeEnemyShot(context, 0, x, y + 0.04f);
            if (entry >= 0) {
                auto* bullet = new SlowBullet(context);
                bullet->SetStart(x, y + 0.04f);
                bullet->Fire(static_cast<std::uint32_t>(entry), 0, 1, 0);
                context->objectList->AddObject(bullet);
            }
        }
    }
    if (flame) flame->EmitAlong(x + 0.0005f, y + 0.025f, 0.487f);
}

std::int32_t HeavyFighter::FinalCleanup() {
    if (flame) {
        flame->Release();
        flame = nullptr;
    }
    return HaloEnemy::FinalCleanup();
}

// --- henemy2 --------------------------------------------------------------------

Interceptor::Interceptor(GameContext* ctx) : Enemy(ctx, kHenemy2) {
    ApplyLook(LookOf(EnemyClass::Interceptor));
    FlyAtDepth(0.492f + context->random.Below(100) * 0.0001f);
    exploSize = 0.7f + 0.1f * context->random.Below(7);
    RebuildQuads();
}

void Interceptor::AttachSlot(std::uint32_t s, std::uint32_t eliteFlag) {
    Enemy::AttachSlot(s);
    if (eliteFlag != 0) {
        elite = 1;
        texture = asset::Ship0Tex;
        context->enemySlots[slot].hitPoints = 5000;
        halfHeight *= 0.7f;
        exploSound = SoundSlot::Game2Explo;
        speed = 0.0013f;
        RebuildQuads();
    }
}

void Interceptor::Move(float ft) { y += ft * speed; }

bool Interceptor::PastExit() const { return OutsideWideField(x, y); }

void Interceptor::Explode() {
    StartExplosion(x, y, exploSize * halfWidth, exploKind, exploFlag);
    context->score += elite ? 50000 : Value();
    RequestSound(context, exploSound);
}

// --- henemy3 --------------------------------------------------------------------

Gunship::Gunship(GameContext* ctx) : Enemy(ctx, kHenemy3) {
    ApplyLook(LookOf(EnemyClass::Gunship));
    FlyAtDepth(0.495f + context->random.Below(100) * 0.0001f);
    exploSize = 0.7f + 0.1f * context->random.Below(7);
    angle = kPi;  // faces down the field until it aims
    RebuildQuads();
}

void Gunship::Move(float ft) { y += ft * 0.0009f * (y < -0.6f ? 1.0f : 0.3f); }

bool Gunship::PastExit() const { return OutsideWideField(x, y); }

// --- henemy4 --------------------------------------------------------------------

namespace {
struct PartLook {
    const char* texture;
    float halfWidth;     // x base size
    float heightFactor;  // halfHeight = factor x (halfWidth or base size)
    bool heightOfBase;   // the factor applies to the base size
    std::uint32_t frames;
    float rate;
    float offset;  // y offset factor
};
constexpr float kSegmentBase = 0.09f;
const PartLook kParts[4] = {
    {asset::CtHeadTex, 0.516f, 0.75f, false, 16, 0.03f, 0.0f},
    {asset::CtLongTex, 1.0f, 0.484f, true, 15, 0.04f, 2.17f},
    {asset::CtShortTex, 0.757f, 0.55f, false, 15, 0.04f, 1.05f},
    {asset::CtEngiTex, 0.574f, 1.553f, false, 12, 0.06f, 3.97f},
};
}  // namespace

Segment::Segment(GameContext* ctx) : Enemy(ctx, kHenemy4) {
    ApplyLook(LookOf(EnemyClass::Segment));
    SetPart(0);
}

void Segment::AttachSlot(std::uint32_t s, std::uint32_t p) {
    SetPart(p);
    Enemy::AttachSlot(s);
}

void Segment::SetPart(std::uint32_t p) {
    part = p > 3 ? 3 : p;
    const PartLook& look = kParts[part];
    texture = look.texture;
    halfWidth = look.halfWidth * kSegmentBase;
    halfHeight = look.heightFactor * (look.heightOfBase ? kSegmentBase : halfWidth);
    frameCount = look.frames;
    animRate = look.rate;
}

void Segment::SetStart(float px, float py, std::uint32_t index) {
    const float k =
        0.5625f * static_cast<float>(context->screenWidth) / static_cast<float>(context->screenHeight) * kSegmentBase;
    depthJitter += static_cast<float>(index + 2) * 0.0001f;
    Enemy::SetStart(px, py - kParts[part].offset * k);
}

void Segment::Animate(float ft) {
    if (part == 0 || part == 3) {
        Enemy::Animate(ft);
        return;
    }
    // The body parts unfold once, on screen, and stay open.
    if (y <= -0.8f) return;
    while (animTime > 1.0f && frame + 1 < frameCount) {
        ++frame;
        animTime -= 1.0f;
    }
    if (frame + 1 < frameCount) animTime += ft * animRate;
}

void Segment::Move(float ft) { y += ft * 0.0008f; }

void Segment::RebuildQuads() {
    depthKey = 2.575f - (y + 2.0f) * 0.0002f;
    Enemy::RebuildQuads();
}

// --- henemy5 --------------------------------------------------------------------

Cruiser::Cruiser(GameContext* ctx) : Enemy(ctx, kHenemy5) {
    ApplyLook(LookOf(EnemyClass::Cruiser));
    exploSize = 0.7f * halfHeight / halfWidth;
    RebuildQuads();
}

void Cruiser::Move(float ft) { y += ft * 0.0005f; }

// --- henemy6 --------------------------------------------------------------------

Tanker::Tanker(GameContext* ctx) : Enemy(ctx, kHenemy6) {
    ApplyLook(LookOf(EnemyClass::Tanker));
    RebuildQuads();
}

void Tanker::Move(float ft) { y += ft * 0.00035f; }

void Tanker::Explode() {
    const float w = halfWidth, h = halfHeight;
    StartExplosion(x, y + w, 1.1f * h, 0, 0);
    const std::uint32_t delays[4] = {150, 300, 450, 600};
    for (int n = 0; n < 4; ++n) {
        const float t = context->random.Below(360) * kDegree;
        const float d = context->random.Below(7) * w * 0.4f;
        const float px = x + 0.4f * d * gm::Sin(t);
        const float py = y + w + d * gm::Cos(t);
        const float size = (0.7f + 0.1f * context->random.Below(10)) * w * 0.8f;
        auto* blast = new Explosion(context);
        blast->Setup(px, py, size, 2, (n == 0 || n == 3) ? 1 : 0);
        blast->SetDelay(delays[n]);
        context->objectList->AddObject(blast);
    }
    // The blast: everything within 0.75 of the wreck's centre is hurt, the
    // more the closer it is.
    const HitSlot& own = context->enemySlots[slot];
    const float cx = (own.boxMin[0] + own.boxMax[0]) * 0.5f;
    const float cy = (own.boxMin[1] + own.boxMax[1]) * 0.5f;
    auto hurt = [&](HitSlot& s) {
        const float sx = (s.boxMin[0] + s.boxMax[0]) * 0.5f - cx;
        const float sy = (s.boxMin[1] + s.boxMax[1]) * 0.5f - cy;
        const float d = std::sqrt(sx * sx + sy * sy);
        if (!(d < 0.75f)) return;
        const auto amount = static_cast<std::uint32_t>((0.75f - d) * 1000.0f);
        if (amount >= s.hitPoints)
            s.destroyed = 1;
        else
            s.hitPoints -= amount;
    };
    for (int i = 0; i < kEnemySlots; ++i) {
        HitSlot& s = context->enemySlots[i];
        if (static_cast<std::uint32_t>(i) == slot || !s.active || s.destroyed) continue;
        hurt(s);
    }
    for (int i = 0; i < kShipSlots; ++i) {
        HitSlot& s = context->shipSlots[i];
        if (!s.active || s.destroyed) continue;
        if (context->shieldActive && context->shieldShipSlot == static_cast<std::uint32_t>(i)) continue;
        hurt(s);
    }
    context->score += Value();
    RequestSound(context, exploSound);
}

}  // namespace dw
