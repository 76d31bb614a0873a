#include "game/enemy.h"

#include <cmath>
#include <cstdlib>

#include "core/game_context.h"
#include "engine/list_engine.h"
#include "game/enemy_bullets.h"
#include "game/explosion.h"
#include "game/sprite_util.h"
#include "assets/asset_names.h"
#include "assets/sound.h"
#include "platform/game_math.h"

namespace dw {

Enemy::Enemy(GameContext* ctx, const char* objectName) : MyObject(ctx) {
    name = objectName;
    order = 60;
    visible = 1;
    depthJitter = static_cast<float>(context->random.Next() % 10) * 1e-5f;
}

void Enemy::ApplyLook(const EnemyLook& look) {
    texture = look.texture;
    columns = look.columns;
    firstCell = look.firstCell;
    frameCount = look.frameCount;
    animRate = look.animRate;
    halfWidth = look.halfWidth;
    halfHeight = look.halfHeight;
    depthKey = look.depthKey;
    if (look.steadyDepth) depthJitter = 0;
    shadowShift = look.shadowShift;
    vertexZ = look.vertexZ;
    colour = look.colour;
    topAnchored = look.topAnchored;
    valueIndex = look.valueIndex;
    exploSize = look.exploSize;
    exploKind = look.exploKind;
    exploAtCentre = look.exploAtCentre;
    exploSound = look.exploSound;
}

void Enemy::SetStart(float px, float py) {
    x = startX = px;
    y = startY = py;
    RebuildQuads();
}

void Enemy::AttachSlot(std::uint32_t s) {
    slot = s;
    context->enemySlots[slot].hitPoints = context->enemyHitPoints[valueIndex];
}

std::uint32_t Enemy::Value() const { return context->enemyHitPoints[valueIndex]; }

std::int32_t Enemy::RestoreDeviceObjects() {
    RebuildQuads();
    return 0;
}

void Enemy::Animate(float ft) {
    if (frameCount == 0) return;
    while (animTime > 1.0f) {
        if (animForward)
            frame = frame + 1 >= frameCount ? 0 : frame + 1;
        else
            frame = frame == 0 ? frameCount - 1 : frame - 1;
        animTime -= 1.0f;
    }
    animTime += ft * animRate;
}

void Enemy::RebuildQuads() {
    const float s = static_cast<float>(context->screenWidth) * halfWidth;
    const float cx = PixelX(context, x);
    const float cy = topAnchored ? PixelY(context, y) + s * 0.5f : PixelY(context, y);
    PlaceQuad(spriteQuad, cx, cy, s, s, angle);
    const std::uint32_t cell = firstCell + frame;
    const float c = 1.0f / static_cast<float>(columns);
    const std::uint32_t column = cell % columns, row = cell / columns;  // the cell on the sheet
    const float u0 = static_cast<float>(column) * c;
    const float v0 = static_cast<float>(row) * c;
    SetQuadTexture(spriteQuad, u0 + 0.001f, u0 + c - 0.001f, v0 + 0.001f, v0 + c - 0.001f);
    SetVertexLook(spriteQuad, 6, colour, vertexZ);
    if (shadowShift > 0) {
        for (int i = 0; i < 6; ++i) {
            shadowQuad[i] = spriteQuad[i];
            shadowQuad[i].y += shadowShift * s;
        }
        SetVertexLook(shadowQuad, 6, 0xff000000, 0.53f);
    }
}

void Enemy::WriteHitBox() {
    HitSlot& s = context->enemySlots[slot];
    s.boxMin[0] = x - halfWidth;
    s.boxMax[0] = x + halfWidth;
    if (topAnchored) {
        s.boxMin[1] = y;
        s.boxMax[1] = y + 2 * halfHeight;
    } else {
        s.boxMin[1] = y - halfHeight;
        s.boxMax[1] = y + halfHeight;
    }
}

void Enemy::FreeSlot() {
    HitSlot& s = context->enemySlots[slot];
    s.active = 0;
    s.destroyed = 0;
    s.hitPoints = 0;
}

void Enemy::Leave() {
    dead = 1;
    FreeSlot();
    award = 0;
}

void Enemy::StartExplosion(float cx, float cy, float size, std::uint32_t kind, std::uint8_t flag) {
    auto* blast = new Explosion(context);
    blast->Setup(cx, cy, size, kind, flag);
    context->objectList->AddObject(blast);
}

void Enemy::Explode() {
    StartExplosion(x, exploAtCentre ? y : y + halfWidth, exploSize * halfWidth, exploKind, exploFlag);
    context->score += Value();
    RequestSound(context, exploSound);
}

std::int32_t Enemy::FrameMove() {
    if (!GameRunning(context) || !alive || dead) return 0;
    const float ft = static_cast<float>(context->frameTimeAverage);
    Animate(ft);
    Move(ft);
    if (PastExit() || context->gameStartPending) Leave();
    RebuildQuads();
    WriteHitBox();
    const HitSlot& s = context->enemySlots[slot];
    if (s.active && !s.destroyed) return 0;
    dead = 1;
    FreeSlot();
    if (award) Explode();
    return 0;
}

std::int32_t Enemy::Render() {
    if (!GameRunning(context)) return 0;
    SubmitSprite(context, texture, spriteQuad, 2, DepthKey());
    if (shadowShift > 0) SubmitSprite(context, texture, shadowQuad, 2, 2.83f);
    return 0;
}

// --- halo -----------------------------------------------------------------------

namespace {
constexpr std::uint32_t kHaloTint[4] = {0, 0xffeeffee, 0xfffffbbb, 0xffffeeee};
constexpr std::uint32_t kHaloColour[4] = {0, 0xff44ff44, 0xfffff444, 0xffff4444};
}  // namespace

void HaloEnemy::InitHalo(float radius, float vertexDepth, float key) {
    haloRadius = radius;
    haloDepth = key;
    haloVertexDepth = vertexDepth;
    variant = (context->random.Next() % 15 == 0) ? static_cast<std::uint32_t>(context->random.Next() % 3) + 1 : 0;
    for (int q = 0; q < 182; ++q) SetQuadTexture(haloVertices + 6 * q, 0.313f, 0.374f, 0.063f, 0.124f);
    SetQuadTexture(haloVertices, 256.0f / 512.0f, 320.0f / 512.0f, 384.0f / 512.0f, 448.0f / 512.0f);
    SetQuadTexture(haloVertices + 6, 441.0f / 512.0f, 473.0f / 512.0f, 348.0f / 512.0f, 380.0f / 512.0f);
    SetVertexLook(haloVertices, 1092, 0xffffffff, vertexDepth);
    ApplyVariantColours();
}

void HaloEnemy::ForceVariant(std::uint32_t v) {
    variant = v > 3 ? 3 : v;
    ApplyVariantColours();
    RebuildQuads();
}

void HaloEnemy::ApplyVariantColours() {
    if (variant == 0) return;
    colour = kHaloTint[variant];
    SetVertexLook(spriteQuad, 6, colour, vertexZ);
    SetVertexLook(haloVertices, 1092, kHaloColour[variant], haloVertexDepth);
}

void HaloEnemy::AttachSlot(std::uint32_t s) {
    Enemy::AttachSlot(s);
    HitSlot& h = context->enemySlots[slot];
    if (variant == 1) h.hitPoints *= 3;
    if (variant == 2) h.hitPoints *= 6;
    if (variant == 3) h.shotProof = 1;
}

void HaloEnemy::BuildHalo(bool centred) {
    const float sw = static_cast<float>(context->screenWidth);
    const float cx = PixelX(context, x);
    const float cy = PixelY(context, centred ? y : y + halfHeight);
    const float r = sw * haloRadius * 0.5f;
    for (int k = 0; k < 90; ++k) {
        const float a = (static_cast<float>(k) + 0.5f) * 0.034906585f;
        const float q = (static_cast<float>(k) * 0.00022222221f + 0.12f) * haloRadius * sw;
        const auto [sa, ca] = gm::SinCos(a);
        const float top = cy - r * ca - 0.85f * q;
        ScreenVertex* left = haloVertices + 12 + 12 * k;
        ScreenVertex* right = left + 6;
        SetQuadPixels(left, cx - r * sa - q * 0.5f, top, q, 1.7f * q, left[0].u, left[5].u, left[0].v, left[5].v);
        SetQuadPixels(right, cx + r * sa - q * 0.5f, top, q, 1.7f * q, right[0].u, right[5].u, right[0].v, right[5].v);
    }
    const float l = sw * haloRadius * 0.6f;
    const auto [spinSin, spinCos] = gm::SinCos(haloSpin);
    const float gx = cx - l * spinSin, gy = cy - 0.5f * l * spinCos;
    const float big = (1.4f - 0.1f * spinCos) * l;
    const float small = (0.45f - 0.1f * spinCos) * l;
    PlaceQuad(haloVertices, gx, gy, big, big, -2.9f * haloSpin);
    PlaceQuad(haloVertices + 6, gx, gy, small, small);
    haloSpin += static_cast<float>(context->frameTimeAverage) * 0.004f;
}

void HaloEnemy::RebuildQuads() {
    Enemy::RebuildQuads();
    if (variant != 0) BuildHalo(!topAnchored);
}

void HaloEnemy::RenderHalo() {
    SubmitSprite(context, asset::BoardTex, haloVertices + 12, 360, haloDepth);
    SubmitSprite(context, asset::ShotTex, haloVertices, 4, haloDepth + 0.01f * gm::Cos(haloSpin));
}

std::int32_t HaloEnemy::Render() {
    if (!GameRunning(context)) return 0;
    Enemy::Render();
    if (variant != 0) RenderHalo();
    return 0;
}

void HaloEnemy::HaloBurst() {
    if (variant == 0) return;
    FireCrossBurst(context, x, y, true);
}

void HaloEnemy::Explode() {
    StartExplosion(x, exploAtCentre ? y : y + halfWidth, exploSize * halfWidth, exploKind, exploFlag);
    context->score += Value();
    HaloBurst();
    RequestSound(context, exploSound);
}

// --- cross burst ----------------------------------------------------------------

void FireCrossBurst(GameContext* ctx, float x, float y, bool halo) {
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            if (!(i == 1 || j == 1) || i == j) continue;
            const int entry = TakeEnemyShot(ctx, 1, x, y + 0.04f);
            if (entry < 0) continue;
            const float w = halo ? 0.011f : 0.01f;
            auto* bullet = new BurstBullet(ctx);
            bullet->StartEmitter(w, w, 0xffffe666, 6, 50, 0, 0, asset::BoardTex, 0, 1, 1, 1, 0.312f, 0, 0.063f, 0.063f,
                                 x, y + 0.04f, 0.35f);
            bullet->ArmBullet(static_cast<std::uint32_t>(entry), 1, 0.0016f);
            if (halo)
                bullet->SetFadeColours(0xffffeeee, 0xff00ff00);
            else
                bullet->SetFadeColours(0xfffff000, 0xff00ffff);
            bullet->SetDirection(static_cast<float>(i - 1), static_cast<float>(j - 1));
            ctx->objectList->AddObject(bullet);
        }
    }
}

}  // namespace dw
