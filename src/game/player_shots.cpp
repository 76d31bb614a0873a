#include "game/player_shots.h"

#include <cmath>

#include "assets/sprite_layout.h"
#include "core/game_context.h"
#include "engine/list_engine.h"
#include "game/explosion.h"
#include "game/sprite_util.h"
#include "assets/asset_names.h"
#include "assets/sound.h"
#include "platform/game_math.h"

namespace dw {

namespace {
constexpr const char kSmallBulletName[] = "smbul";
constexpr const char kLongLaserName[] = "lsbul";
constexpr const char kPlasmaName[] = "rwbul";
constexpr const char kRocketName[] = "smroc";
constexpr const char kFlameName[] = "wflame";

// A shot's or a rocket's slot, free again.
template <typename Slot>
void ClearSlot(Slot& s) {
    s.active = 0;
    s.hit = 0;
    s.damage = 0;
}

bool OutsideShotField(float x, float y) { return x < -0.8f || x >= 1.0f || y < -1.0f; }
}  // namespace

std::int32_t TrailEmitter::UpdateParticle(std::uint32_t i) {
    const float age = static_cast<float>(AgeOf(i));
    const float k = 1.0f - 0.8f * age / static_cast<float>(lifetime ? lifetime : 1);
    const float sw = static_cast<float>(context->screenWidth);
    PlaceParticle(i, k * sw * width, k * sw * height);
    if (fade) ColourParticle(i, FadeColour(age / static_cast<float>(lifetime ? lifetime : 1)));
    return 0;
}

// --- a shot that owns its slot -----------------------------------------------

void SlotShot::AttachShot(std::uint32_t s, std::uint32_t k, float v) {
    slot = s;
    kind = k;
    speed = v;
    context->playerShots[slot].damage = context->weaponDamage[k];
}

ShotSlot* SlotShot::SlotToMove() {
    if (!active) return nullptr;
    ShotSlot& s = context->playerShots[slot];
    if (ending || s.hit || !s.active || context->gameStartPending) {
        dead = 1;
        ClearSlot(s);
        return nullptr;
    }
    return GameRunning(context) ? &s : nullptr;
}

void SlotShot::FlyTo(ShotSlot& s, float x, float y) {
    s.x = x;
    s.y = y;
    EmitAlong(x, y, position[2]);
    if (OutsideShotField(x, y)) ending = 1;
}

// --- laser bolt ---------------------------------------------------------------

LaserShot::LaserShot(GameContext* ctx) : SlotShot(ctx, 0.0017f) {
    name = kSmallBulletName;
    order = 71;
    visible = 1;
    const auto& spark = assetgen::layout::kBoardSpark;
    SetQuadTexture(head, (spark.x + 1) / 512.0f, (spark.x + spark.w - 1) / 512.0f, (spark.y + 1) / 512.0f,
                   (spark.y + spark.h - 1) / 512.0f);
    const auto& g = assetgen::layout::kShotGlow;
    SetQuadTexture(glow, (g.x + 0.5f) / 512.0f, (g.x + g.w - 0.5f) / 512.0f, (g.y + 0.5f) / 512.0f,
                   (g.y + g.h - 0.5f) / 512.0f);
    SetVertexLook(head, 6, 0xffffffff, 0.5f);
    SetVertexLook(glow, 6, 0xffffffff, 0.5f);
}

void LaserShot::SetDirection(float dx, float dy) {
    Normalise(dx, dy);
    dirX = dx;
    dirY = dy;
}

void LaserShot::BuildHead() {
    const float w = width * static_cast<float>(context->screenWidth);
    const float cx = PixelX(context, position[0]), cy = PixelY(context, position[1]);
    SetQuadPixels(head, cx - w, cy - 1.3f * w, 2 * w, 2 * w, head[0].u, head[5].u, head[0].v, head[5].v);
    SetQuadPixels(glow, cx - 1.8f * w, cy - 1.44f * w, 3.6f * w, 3.6f * w, glow[0].u, glow[5].u, glow[0].v, glow[5].v);
    const std::uint32_t tint = fade ? FadeColour(0) : colour;
    SetVertexLook(head, 6, tint | 0xff000000u, position[2]);
    SetVertexLook(glow, 6, (tint & 0x00ffffffu) | 0xa0000000u, position[2]);
}

std::int32_t LaserShot::MoveEmitter() {
    ShotSlot* s = SlotToMove();
    if (!s) return 0;
    const float ft = static_cast<float>(context->frameTimeAverage);
    FlyTo(*s, position[0] + ft * dirX * speed, position[1] + ft * dirY * speed);
    BuildHead();
    return 0;
}

void LaserShot::SubmitHead() {
    SubmitSprite(context, asset::BoardTex, head, 2, 2.59f, kBlendSource, kBlendAdd);
    SubmitSprite(context, asset::ShotTex, glow, 2, 2.55f);
}

std::int32_t LaserShot::Render() {
    if (!GameRunning(context) || !active) return 0;
    SubmitParticles(2.6f);
    SubmitHead();
    return 0;
}

// --- level-3 laser ------------------------------------------------------------

LongLaser::LongLaser(GameContext* ctx) : SlotShot(ctx, 0.0032f) {
    name = kLongLaserName;
    order = 71;
    visible = 1;
}

void LongLaser::AttachShot(std::uint32_t s, std::uint32_t k, float v) {
    SlotShot::AttachShot(s, k, v);
    startX = position[0];
}

std::int32_t LongLaser::MoveEmitter() {
    ShotSlot* s = SlotToMove();
    if (!s) return 0;
    const float ft = static_cast<float>(context->frameTimeAverage);
    const float y = position[1] - ft * speed;
    FlyTo(*s, startX + sway * gm::Sin(y * 20.0f), y);
    return 0;
}

std::int32_t LongLaser::Render() {
    if (!GameRunning(context) || !active) return 0;
    SubmitParticles(2.6f);
    return 0;
}

// --- plasma ball --------------------------------------------------------------

PlasmaShot::PlasmaShot(GameContext* ctx) : MyObject(ctx) {
    name = kPlasmaName;
    order = 71;
    visible = 1;
    SetVertexLook(quad, 6, 0xffffffff, z);
}

void PlasmaShot::SetStart(float px, float py) {
    x = px;
    y = py;
}

void PlasmaShot::AttachShot(std::uint32_t s, std::uint32_t k, float v) {
    slot = s;
    speed = v;
    context->playerShots[slot].damage = context->weaponDamage[k];
}

void PlasmaShot::SetDirection(float dx, float dy) {
    Normalise(dx, dy);
    dirX = dx;
    dirY = dy;
}

void PlasmaShot::End() {
    dead = 1;
    alive = 0;
    ClearSlot(context->playerShots[slot]);
}

std::int32_t PlasmaShot::FrameMove() {
    if (!alive) return 0;
    ShotSlot& s = context->playerShots[slot];
    if (s.hit || !s.active || context->gameStartPending) {
        End();
        return 0;
    }
    if (!GameRunning(context)) return 0;
    const float ft = static_cast<float>(context->frameTimeAverage);
    age += ft * 0.002f;
    while (animTime > 1.0f) {
        animTime -= 1.0f;
        frame = (frame + 1) % 9;
    }
    animTime += ft * 0.03f;
    x += ft * dirX * speed;
    y += ft * dirY * speed;
    if (x < -0.8f || x >= 1.0f || y < -1.0f || y >= 1.0f || age >= 1.5f) {
        End();
        return 0;
    }
    s.x = x;
    s.y = y;
    s.size = 0.02f;
    const float side = static_cast<float>(context->screenWidth) * 0.04f;
    PlaceQuad(quad, PixelX(context, x), PixelY(context, y), side, side);
    const auto column = frame % 3, row = frame / 3;  // the cell of the 3 x 3 sheet
    const float u0 = static_cast<float>(column) * 0.333f, v0 = static_cast<float>(row) * 0.333f;
    SetQuadTexture(quad, u0 + 0.001f, u0 + 0.332f, v0 + 0.001f, v0 + 0.332f);
    return 0;
}

std::int32_t PlasmaShot::Render() {
    if (!GameRunning(context) || !alive) return 0;
    SubmitSprite(context, asset::BulletCTex, quad, 2, 2.6f);
    return 0;
}

// --- homing rocket ------------------------------------------------------------

Rocket::Rocket(GameContext* ctx) : LaserShot(ctx) { name = kRocketName; }

void Rocket::AttachRocket(std::uint32_t s, std::uint32_t, float v) {
    slot = s;
    speed = v;
    context->rocketSlots[slot].damage = context->rocketDamage;
    lockTime = context->playTimeNow + 150;
    burnOut = context->playTimeNow + 1500;
}

// The nearest enemy above the rocket at (x, y), distances across counted
// twice, becomes its target.
void Rocket::TakeLock(float x, float y) {
    lockDone = 1;
    lockTime = 0;
    float best = 0;
    for (int i = 0; i < kEnemySlots; ++i) {
        const HitSlot& e = context->enemySlots[i];
        if (!e.active || !(e.boxMax[1] < y)) continue;
        const float cx = (e.boxMin[0] + e.boxMax[0]) * 0.5f;
        const float cy = (e.boxMin[1] + e.boxMax[1]) * 0.5f;
        const float d = std::sqrt(4.0f * (cx - x) * (cx - x) + (cy - y) * (cy - y));
        if (!hasTarget || d < best) {
            hasTarget = 1;
            target = static_cast<std::uint32_t>(i);
            best = d;
        }
    }
}

// Turns towards the target while it lives; drops it once it is gone.
void Rocket::SteerToTarget(float x, float y) {
    const HitSlot& e = context->enemySlots[target];
    if (!e.active || e.destroyed) {
        hasTarget = 0;
        return;
    }
    float tx = (e.boxMin[0] + e.boxMax[0]) * 0.5f - x;
    float ty = (e.boxMin[1] + e.boxMax[1]) * 0.5f - y;
    Normalise(tx, ty);
    dirX += tx * speed * 55.0f;
    dirY += ty * speed * 55.0f;
    Normalise(dirX, dirY);
}

std::int32_t Rocket::MoveEmitter() {
    if (!active) return 0;
    RocketSlot& s = context->rocketSlots[slot];
    const std::uint32_t now = context->playTimeNow;
    if (s.hit || !s.active || burnOut < now || context->gameStartPending || ending) {
        dead = 1;
        ClearSlot(s);
        if (!leftField && !context->gameStartPending) {
            auto* blast = new Explosion(context);
            blast->Setup(position[0], position[1], 0.015f * 5.5f, 1);
            context->objectList->AddObject(blast);
            RequestSound(context, SoundSlot::Game1Explo);
        }
        return 0;
    }
    if (!GameRunning(context)) return 0;
    const float ft = static_cast<float>(context->frameTimeAverage);
    float x = position[0], y = position[1];
    // Deliberate (docs/DECISIONS.md): the lock is taken once.
    if (!hasTarget && !lockDone && lockTime < now) TakeLock(x, y);
    if (hasTarget) SteerToTarget(x, y);
    x += ft * dirX * speed;
    y += ft * dirY * speed;
    if (speed < 0.0045f) speed += ft * 0.000006f;
    s.x = x;
    s.y = y;
    EmitAlong(x, y, position[2]);
    BuildHead();
    if (x < -0.8f || x > 1.0f || y < -1.0f || y > 1.0f || context->gameStartPending) {
        ending = 1;
        leftField = 1;
    }
    return 0;
}

// --- engine flame ---------------------------------------------------------------

EngineFlame::EngineFlame(GameContext* ctx) : TrailEmitter(ctx, 40) {
    name = kFlameName;
    order = 72;  // the object order table: one after the shots
    visible = 1;
}

void EngineFlame::Release() {
    released = 1;
    stopped = 1;
}

std::int32_t EngineFlame::MoveEmitter() {
    if (!released) return 0;
    bool any = false;
    for (std::uint32_t i = 0; i < capacity; ++i) any = any || particles[i].alive;
    if (!any || !active || context->gameStartPending) dead = 1;
    return 0;
}

std::int32_t EngineFlame::UpdateParticle(std::uint32_t i) {
    particles[i].y +=
        spare1 * static_cast<float>(context->frameTimeAverage) * static_cast<float>(context->screenHeight) * 0.5f;
    return TrailEmitter::UpdateParticle(i);
}

std::int32_t EngineFlame::Render() {
    if (!GameRunning(context) || !active) return 0;
    SubmitParticles(sortKey);
    return 0;
}

}  // namespace dw
