#include "game/enemy_bullets.h"

#include <cmath>

#include "core/game_context.h"
#include "game/sprite_util.h"
#include "assets/asset_names.h"
#include "assets/sound.h"
#include "platform/game_math.h"

namespace dw {

namespace {
constexpr const char kSlowName[] = "bulslow";
constexpr const char kCloudName[] = "bulcloud";
constexpr const char kFastName[] = "bulfast";

// Sound request slots.

void FreeEntry(ShotSlot& s) {
    s.active = 0;
    s.hit = 0;
    s.damage = 0;
}

bool Outside(float x, float y) { return x < -0.8f || x > 1.0f || y < -1.0f || y > 1.0f; }
}  // namespace

int TakeEnemyShot(GameContext* ctx, std::uint32_t kind, float x, float y) {
    const int i = FirstFreeShot(ctx->enemyShots, kEnemyShotSlots);
    if (i < 0) return -1;
    ShotSlot& s = ctx->enemyShots[i];
    s.active = 1;
    s.hit = 0;
    s.damage = ctx->enemyShotDamage[kind];
    s.size = 0.03f;
    s.x = x;
    s.y = y;
    s.spareFloat = 0.35f;
    return i;
}

// --- slow bullet ----------------------------------------------------------------

SlowBullet::SlowBullet(GameContext* ctx) : MyObject(ctx) {
    name = kSlowName;
    order = 70;
    visible = 1;
    SetVertexLook(quads, 6, 0xffffffff, 0.35f);
    SetVertexLook(quads + 6, 6, 0xffffffff, 0.348f);
    SetQuadTexture(quads, 0.501f, 0.624f, 0.751f, 0.874f);
    SetQuadTexture(quads + 6, 0.626f, 0.749f, 0.751f, 0.874f);
}

void SlowBullet::SetStart(float px, float py) {
    x = px;
    y = py;
    startX = px;
}

void SlowBullet::SetLook(std::uint32_t glowColour, std::uint32_t core, float s, std::uint32_t sound) {
    size = s;
    soundKind = sound;
    customLook = 1;
    coreColour = core;
    for (int i = 6; i < 12; ++i) quads[i].diffuse = glowColour;
}

void SlowBullet::Fire(std::uint32_t e, float dx, float dy, std::uint32_t kind) {
    entry = e;
    context->enemyShots[entry].damage = context->enemyShotDamage[kind];
    Normalise(dx, dy);
    dirX = dx;
    dirY = dy;
    if (soundKind == 0)
        RequestSound(context, SoundSlot::Game0Enemy);
    else if (soundKind == 4)
        RequestSound(context, SoundSlot::Game4Enemy);
}

void SlowBullet::End() {
    dead = 1;
    alive = 0;
    FreeEntry(context->enemyShots[entry]);
}

std::int32_t SlowBullet::FrameMove() {
    if (!GameRunning(context) || !alive) return 0;
    const float ft = static_cast<float>(context->frameTimeAverage);
    phase += 0.002f * ft;
    spin = 12.5f * phase;
    const float s = gm::Sin(spin);
    if (customLook) {
        glowScale = 1.0f - 0.2f * s;
    } else {
        const auto green = static_cast<std::uint8_t>(static_cast<int>(80.0f * s) - 86);
        coreColour = 0xff0000ffu | (static_cast<std::uint32_t>(green) << 8);
    }
    x += ft * dirX * 0.00045f;
    y += ft * dirY * 0.0006f;
    if (Outside(x, y)) {
        End();
        return 0;
    }
    const float sw = static_cast<float>(context->screenWidth);
    const float cx = PixelX(context, x), cy = PixelY(context, y);
    PlaceQuad(quads, cx, cy, sw * size, sw * size, spin);
    for (int i = 0; i < 6; ++i) quads[i].diffuse = coreColour;
    PlaceQuad(quads + 6, cx, cy, sw * glowScale * size * 0.8f, sw * glowScale * size * 0.8f);
    ShotSlot& e = context->enemyShots[entry];
    e.x = x;
    e.y = y;
    e.spareFloat = 0;
    if (e.hit || !e.active || context->gameStartPending) End();
    return 0;
}

std::int32_t SlowBullet::Render() {
    if (!GameRunning(context) || !alive) return 0;
    SubmitSprite(context, asset::ShotTex, quads, 4, 1.9f);
    return 0;
}

// --- homing cloud ---------------------------------------------------------------

CloudBullet::CloudBullet(GameContext* ctx) : MyObject(ctx) {
    name = kCloudName;
    order = 70;
    visible = 1;
    aspect = 0.75f * static_cast<float>(ctx->screenWidth) / static_cast<float>(ctx->screenHeight);
    for (int n = 0; n < 10; ++n) {
        ScreenVertex* b = quads + 6 * n;
        if (n < 9)
            SetVertexLook(b, 6, 0xffff0077, 0.35f);
        else
            SetVertexLook(b, 6, 0xfffff000, 0.351f);
        SetQuadTexture(b, 385.0f / 512.0f, 415.0f / 512.0f, 33.0f / 512.0f, 63.0f / 512.0f);
    }
}

void CloudBullet::SetStart(float px, float py) {
    x = startX = px;
    y = startY = py;
}

void CloudBullet::Launch(std::uint32_t e, float dx, float dy, std::uint32_t kind) {
    entry = e;
    context->enemyShots[entry].damage = context->enemyShotDamage[kind];
    Normalise(dx, dy);
    dirX = dx;
    dirY = dy;
    float best = 10.0f;
    for (const HitSlot& s : context->shipSlots) {
        if (!s.active) continue;
        const float cx = (s.boxMin[0] + s.boxMax[0]) * 0.5f;
        const float cy = (s.boxMin[1] + s.boxMax[1]) * 0.5f;
        const float d = (cx - x) * (cx - x) + (cy - y) * (cy - y);
        if (d < best) {
            best = d;
            targetX = cx;
            targetY = cy;
        }
    }
}

void CloudBullet::End() {
    dead = 1;
    alive = 0;
    FreeEntry(context->enemyShots[entry]);
}

std::int32_t CloudBullet::FrameMove() {
    if (!GameRunning(context) || !alive) return 0;
    const float ft = static_cast<float>(context->frameTimeAverage);
    if (state == 0) {
        radius += 0.0002f * ft;
        if (radius > 0.06f) {
            radius = 0.06f;
            speed = 0.0018f;
            phase = 0;
            state = 1;
            RequestSound(context, SoundSlot::Game1Enemy);
        }
    } else {
        if (!passed) {
            float tx = targetX - x, ty = targetY - y;
            Normalise(tx, ty);
            const float k = (0.7f * gm::Sin(phase / 2.0f) + 0.3f) * 0.12f;
            dirX += k * tx;
            dirY += k * ty;
            Normalise(dirX, dirY);
        }
        const float pulse = 1.0f - 0.3f * gm::Sin(phase);
        x += pulse * dirX * ft * speed * 0.75f;
        y += pulse * dirY * ft * speed;
        distance = std::sqrt((targetX - x) * (targetX - x) + (targetY - y) * (targetY - y));
        if (!passed && distance < 0.2f) passed = 1;
        phase += 0.003f * ft;
        if (phase > kPi) phase = kPi;
    }
    if (passed && Outside(x, y)) {
        End();
        return 0;
    }
    const float sw = static_cast<float>(context->screenWidth);
    const float cx = PixelX(context, x), cy = PixelY(context, y);
    const float puff = sw * radius * 0.6f;
    for (int n = 0; n < 9; ++n) {
        const float a = 2.0f * n * 0.34906587f;
        const float d = (1.0f - 0.5f * gm::Sin(2.0f * n * 1.0471976f + spin)) * radius * 0.4f * sw * 0.5f;
        PlaceQuad(quads + 6 * n, cx + d * gm::Sin(a), cy + d * gm::Cos(a), puff, puff, a);
    }
    PlaceQuad(quads + 54, cx, cy, puff, puff);
    ShotSlot& e = context->enemyShots[entry];
    e.x = x;
    e.y = y;
    e.spareFloat = 0;
    if (e.hit || !e.active || context->gameStartPending) End();
    spin += 0.015f * ft;
    return 0;
}

std::int32_t CloudBullet::Render() {
    if (!GameRunning(context) || !alive) return 0;
    SubmitSprite(context, asset::BigBoss3, quads, 20, 1.9f);
    return 0;
}

// --- fast bullets ---------------------------------------------------------------

FastBulletBase::FastBulletBase(GameContext* ctx) : TrailEmitter(ctx, 30) {
    name = kFastName;
    order = 70;
    visible = 1;
    SetVertexLook(head, 6, 0xff00ffff, 0.35f);
}

std::int32_t FastBulletBase::SetupEmitter() {
    SetQuadTexture(head, 0.501f, 0.624f, 0.751f, 0.874f);
    BuildHead();
    return 0;
}

void FastBulletBase::Arm(std::uint32_t e, std::uint32_t kind, float v) {
    speed = v;
    entry = e;
    context->enemyShots[entry].damage = context->enemyShotDamage[kind];
}

void FastBulletBase::SetDirection(float dx, float dy) {
    Normalise(dx, dy);
    dirX = dx;
    dirY = dy;
}

void FastBulletBase::BuildHead() {
    const float side = static_cast<float>(context->screenWidth) * width * 3.6f;
    PlaceQuad(head, PixelX(context, position[0]), PixelY(context, position[1]), side, side);
}

std::int32_t FastBulletBase::MoveEmitter() {
    if (!active) return 0;
    ShotSlot& e = context->enemyShots[entry];
    if (finished || e.hit || !e.active || context->gameStartPending) {
        dead = 1;
        FreeEntry(e);
        return 0;
    }
    // Deliberate (docs/DECISIONS.md): fast bullets pause with the menu.
    // Paused with the rest of play while the menu is open (no hits are counted then).
    if (!GameRunning(context)) return 0;
    const float ft = static_cast<float>(context->frameTimeAverage);
    const float y = position[1] + ft * dirY * speed;
    const float x = position[0] + ft * dirX * speed * 0.75f;
    e.x = x;
    e.y = y;
    e.spareFloat = position[2];
    EmitAlong(x, y, position[2]);
    BuildHead();
    if (Outside(x, y)) finished = 1;
    return 0;
}

std::int32_t FastBulletBase::Render() {
    if (!GameRunning(context) || !active) return 0;
    SubmitParticles(2.0f);
    SubmitSprite(context, asset::ShotTex, head, 2, 1.9f);
    return 0;
}

void FastBullet::ArmBullet(std::uint32_t e, std::uint32_t kind, float v, std::uint32_t soundKind) {
    Arm(e, kind, v);
    if (soundKind == 0)
        RequestSound(context, SoundSlot::Game1Enemy);
    else if (soundKind == 1)
        RequestSound(context, SoundSlot::Game3Enemy);
}

void BurstBullet::ArmBullet(std::uint32_t e, std::uint32_t kind, float v) {
    Arm(e, kind, v);
    RequestSound(context, SoundSlot::Game2Enemy);
}

}  // namespace dw
