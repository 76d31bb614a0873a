#include "game/player_ship.h"

#include <cmath>
#include <cstdlib>

#include "assets/sprite_layout.h"
#include "core/game_context.h"
#include "engine/list_engine.h"
#include "game/explosion.h"
#include "game/player_shots.h"
#include "game/sprite_util.h"
#include "assets/asset_names.h"
#include "assets/sound.h"
#include "platform/game_math.h"

namespace dw {

namespace {
constexpr const char kShipName[] = "swolf";
constexpr float kShipZ = 0.45f;
constexpr float kShotZ = 0.5f;

enum ShotType { kSmallBolt, kLongBolt };

// Cadence of the main laser volley by laser level (ms).
constexpr std::uint32_t kLaserCadence[4] = {250, 150, 200, 100};
const char* const kLaserSound[4] = {asset::Game0Laser, asset::Game1Laser, asset::Game2Laser, asset::Game3Laser};

void TexRect(ScreenVertex* b, const assetgen::layout::Rect& r) {
    SetQuadTexture(b, (r.x + 0.5f) / 512.0f, (r.x + r.w - 0.5f) / 512.0f, (r.y + 0.5f) / 512.0f,
                   (r.y + r.h - 0.5f) / 512.0f);
}
}  // namespace

PlayerShip::PlayerShip(GameContext* ctx) : MyObject(ctx) {
    name = kShipName;
    order = 58;
    visible = 1;
    ctx->laserLevel = 0;
    ctx->plasmaLevel = 0;
    ctx->rockets = 0;
    ctx->shieldRequest = 1;
    ctx->shipAlive = 1;
    Publish();
    ctx->energy = ctx->body = ctx->shipHitPoints / 2;
    totalHitPoints = ctx->energy + ctx->body;

    flame = new EngineFlame(ctx);
    const float nozzleY = y + 0.09f * static_cast<float>(ctx->screenWidth) / static_cast<float>(ctx->screenHeight);
    flame->StartEmitter(0.01f, 0.01f, 0xff11aaff, 3, 15, 0.001f, 0, asset::BoardTex, 0, 1, 1, 1, 0.312f, 0, 0.063f,
                        0.063f, x, nozzleY, kShipZ);
    if (ctx->objectList) ctx->objectList->AddObject(flame);

    SetVertexLook(sprite, 6, 0xffffffff, kShipZ);
    SetVertexLook(shadow, 6, 0xff000000, 0.53f);
    SetVertexLook(flashQuad, 6, 0xffffffff, kShipZ);
    TexRect(flashQuad, assetgen::layout::kBoardMuzzleFlash);
    for (auto& v : ring) v = ScreenVertex{0, 0, kShipZ, kShipZ, 0xff66ddff, 0, 0};
    BuildSprite();
}

void PlayerShip::AttachSlot(std::uint32_t s) {
    slot = s;
    context->shieldShipSlot = s;
    context->shipSlots[slot].hitPoints = context->energy + context->body;
}

void PlayerShip::ClearSlot() {
    HitSlot& s = context->shipSlots[slot];
    s.noContact = 0;
    s.active = 0;
    s.destroyed = 0;
    s.hitPoints = 0;
}

void PlayerShip::Publish() const {
    context->shipX = x;
    context->shipY = y;
    context->shipInPlay = 1;
}

void PlayerShip::Die(bool explode) {
    dead = 1;
    context->shipInPlay = 0;
    ClearSlot();
    if (!explode) return;
    for (std::uint32_t k = 0; k < 6; ++k) {
        const float a = static_cast<float>(context->random.Next() % 360) * kDegree;
        const float r = static_cast<float>(context->random.Next() % 10) * halfWidth * 0.2f;
        const float px = x + gm::Sin(a) * r * 0.4f;
        const float py = y + halfWidth + gm::Cos(a) * r;
        const float size = (static_cast<float>(context->random.Next() % 10) * 0.1f + 0.7f) * halfWidth;
        auto* blast = new Explosion(context);
        blast->Setup(px, py, size);
        blast->SetDelay(150 * k);
        context->objectList->AddObject(blast);
    }
    auto* big = new Explosion(context);
    big->Setup(x, y + halfWidth, halfWidth * 2.2f, 5);
    big->SetDelay(900);
    context->objectList->AddObject(big);
    RequestSound(context, SoundSlot::Game2Explo);
}

std::int32_t PlayerShip::FrameMove() {
    GameContext* ctx = context;
    if (!GameRunning(ctx) || !running || dead) return 0;
    const float ft = static_cast<float>(ctx->frameTimeAverage);
    HitSlot& s = ctx->shipSlots[slot];

    Animate(ft);
    Steer(ft);
    WriteHitBox(s);
    FlyOutOfLevel();
    EnterNextLevel(s);
    ServeDeathBonus();
    RunShield();
    Publish();
    TakeDamage(s);
    TakeEnergyBonus(s);
    if (s.destroyed || !s.active) {
        Die(true);
        return 0;
    }
    if (ctx->gameStartPending) {  // a new game: this ship goes without a trace
        Die(false);
        return 0;
    }
    s.noContact = 0;  // spawn immunity ends
    UpdateFlameAndFlash();
    HoldFireAfterEntry();
    ReadTriggers();
    BuildSprite();
    return 0;
}

void PlayerShip::Animate(float ft) {
    while (framePhase > 1.0f) {
        framePhase -= 1.0f;
        frame = (frame + 1) % frameCount;
    }
    framePhase += ft * 0.02f;
}

void PlayerShip::Steer(float ft) {
    const GameContext* ctx = context;
    if (!controllable && !leaving) {
        y -= ft * 0.0004f;
        if (y < 0.7f) controllable = 1;
    } else if (leaving) {
        if (y > -1.2f) y -= ft * 0.0012f;
    }
    if (!controllable) return;
    vx = vx * 0.75f + ctx->cursorDeltaX * 0.48f / static_cast<float>(ctx->screenWidth);
    vy = vy * 0.75f + ctx->cursorDeltaY * 0.36f / static_cast<float>(ctx->screenHeight);
    x += vx;
    y += vy;
    if (x > 0.87f) x = 0.87f;
    if (y > 0.76f) y = 0.76f;
    if (x < -0.65f) x = -0.65f;
    if (y < -0.85f) y = -0.85f;
}

void PlayerShip::WriteHitBox(HitSlot& s) const {
    const float sw = static_cast<float>(context->screenWidth);
    const float sh = static_cast<float>(context->screenHeight);
    s.boxMin[0] = x - halfWidth;
    s.boxMin[1] = y;
    s.boxMax[0] = x + halfWidth;
    s.boxMax[1] = y + sw * height * 1.5f / sh;
}

void PlayerShip::FlyOutOfLevel() {
    GameContext* ctx = context;
    if (ctx->gamePhase == GamePhase::LevelEndReached) {
        ctx->gamePhase = GamePhase::ShipLeaving;
        leaving = 1;
        controllable = 0;
        exitTimer = 0;
    }
    if (ctx->gamePhase == GamePhase::ShipLeaving) {
        exitTimer += ctx->frameTimeAverage;
        if (exitTimer > 3000) {
            exitTimer = 0;
            ctx->gamePhase = GamePhase::LevelComplete;
        }
    }
}

void PlayerShip::EnterNextLevel(HitSlot& s) {
    GameContext* ctx = context;
    if (ctx->gamePhase != GamePhase::NextLevelReady) return;
    ctx->gamePhase = GamePhase::LevelIntro;
    controllable = leaving = 0;
    x = 0.11f;
    y = 1.1f;
    vx = vy = 0;
    ctx->shipEntryRequest = 1;
    ctx->shieldRequest = 1;
    ctx->energy = ctx->body = ctx->shipHitPoints / 2;
    totalHitPoints = ctx->energy + ctx->body;
    s.hitPoints = totalHitPoints;
}

void PlayerShip::ServeDeathBonus() {
    GameContext* ctx = context;
    if (!ctx->shipRemoveRequest) return;
    ctx->shipRemoveRequest = 0;
    if (!ctx->shieldActive) ClearSlot();
}

void PlayerShip::RunShield() {
    GameContext* ctx = context;
    if (ctx->shieldRequest) {
        ctx->shieldRequest = 0;
        shieldTimer = 0;
        ctx->shieldActive = 1;
    }
    if (!ctx->shieldActive) return;
    ringSegments = 90;
    if (shieldTimer > 5000) {
        ctx->shieldActive = 0;
    } else if (shieldTimer > 3500) {
        ringSegments = static_cast<std::uint32_t>((5000.0f - static_cast<float>(shieldTimer)) * 0.06f);
    }
    BuildRing();
    shieldTimer += ctx->frameTimeAverage;
}

void PlayerShip::TakeDamage(HitSlot& s) {
    GameContext* ctx = context;
    if (s.hitPoints >= totalHitPoints) return;
    // Energy goes first, then the body.
    std::uint32_t loss = totalHitPoints - s.hitPoints;
    const std::uint32_t fromEnergy = loss < ctx->energy ? loss : ctx->energy;
    ctx->energy -= fromEnergy;
    loss -= fromEnergy;
    ctx->body = loss < ctx->body ? ctx->body - loss : 0;
    totalHitPoints = ctx->energy + ctx->body;
    s.hitPoints = totalHitPoints;
}

void PlayerShip::TakeEnergyBonus(HitSlot& s) {
    GameContext* ctx = context;
    if (ctx->energyGain == 0) return;
    ctx->energy += ctx->energyGain;
    ctx->energyGain = 0;
    if (ctx->energy > ctx->shipHitPoints / 2) ctx->energy = ctx->shipHitPoints / 2;
    // The slot follows, so that the gain is not read as damage taken back.
    // Deliberate (docs/DECISIONS.md): the energy bonus updates the slot.
    totalHitPoints = ctx->energy + ctx->body;
    if (s.active) s.hitPoints = totalHitPoints;
}

void PlayerShip::UpdateFlameAndFlash() {
    const float sw = static_cast<float>(context->screenWidth);
    const float sh = static_cast<float>(context->screenHeight);
    if (flame) flame->EmitAlong(x, y + 0.09f * sw / sh, kShipZ);
    if (flash && flashTime + 50 < context->playTimeNow) flash = 0;
}

void PlayerShip::HoldFireAfterEntry() {
    GameContext* ctx = context;
    if (ctx->shipEntryRequest) {
        ctx->shipEntryRequest = 0;
        holdFire = 1;
        holdTimer = 0;
    }
    if (!holdFire) return;
    if (holdTimer > 1000) holdFire = 0;
    holdTimer += ctx->frameTimeAverage;
}

void PlayerShip::ReadTriggers() {
    const GameContext* ctx = context;
    // Left button: lasers and plasma while held; right button: one pair of
    // rockets per press.
    if (ctx->mouseButtons[0]) fireLatch = 1;
    if (fireLatch && !holdFire && !leaving) {
        FireLasers();
        FirePlasma();
    }
    if (ctx->mouseButtons[1] && !rocketLatch) {
        rocketLatch = 1;
        FireRockets();
    }
    if (!ctx->mouseButtons[0]) {
        fireLatch = 0;
        holdFire = 0;
    }
    if (!ctx->mouseButtons[1]) rocketLatch = 0;
}

namespace {
// The long bolt's trail: the plasma ball's violet.
constexpr std::uint32_t kPlayerBoltViolet = 0xffc27bffu;
}  // namespace

bool PlayerShip::FireLaserShot(int type, std::uint32_t kind, float px, float py, float dx, float dy) {
    GameContext* ctx = context;
    const int index = FirstFreeShot(ctx->playerShots, kPlayerShotSlots);
    if (index < 0) return false;
    const auto i = static_cast<std::uint32_t>(index);
    ShotSlot& s = ctx->playerShots[i];
    s.active = 1;
    s.hit = 0;
    s.damage = ctx->weaponDamage[kind];
    s.size = 0.01f;
    s.x = px;
    s.y = py;
    if (type == kLongBolt) {
        auto* shot = new LongLaser(ctx);
        // Violet, a hue no enemy bullet has (docs/DECISIONS.md).
        shot->StartEmitter(0.01f, 0.013f, kPlayerBoltViolet, 2, 20, 0, 0, asset::BoardTex, 0, 1, 1, 1, 0.312f, 0,
                           0.063f, 0.063f, px, py, kShotZ);
        shot->AttachShot(i, kind, 0.0032f);
        ctx->objectList->AddObject(shot);
    } else {
        auto* shot = new LaserShot(ctx);
        shot->StartEmitter(0.008f, 0.008f, 0xffffe666, 2, kind == 0 ? 100 : 80, 0, 0, asset::BoardTex, 0, 1, 1, 1,
                           0.312f, 0, 0.063f, 0.063f, px, py, kShotZ);
        shot->AttachShot(i, kind, 0.0017f);
        if (kind == 0)
            shot->SetFadeColours(0xffffc777, 0xff555000);
        else
            shot->SetFadeColours(0xffffc000, 0xffffc777);
        if (dx != 0 || dy != -1) shot->SetDirection(dx, dy);
        ctx->objectList->AddObject(shot);
    }
    flash = 1;
    flashTime = ctx->playTimeNow;
    return true;
}

void PlayerShip::FireLasers() {
    GameContext* ctx = context;
    const std::uint32_t now = ctx->playTimeNow;
    const std::uint32_t level = ctx->laserLevel > 3 ? 3 : ctx->laserLevel;
    bool fired = false;
    if (lastLaser + kLaserCadence[level] < now) {
        switch (level) {
            case 0:
            case 1: fired = FireLaserShot(kSmallBolt, level, x, y + 0.04f, 0, -1); break;
            case 2:
                for (int i = 0; i < 3; ++i)
                    fired |= FireLaserShot(kSmallBolt, 2, x - 0.015f + 0.015f * i, y + 0.04f, -0.05f + 0.05f * i, -1);
                break;
            default:
                for (int i = 0; i < 2; ++i)
                    fired |= FireLaserShot(kLongBolt, 3, x - 0.01f + 0.02f * i, y + 0.04f, 0, -1);
                break;
        }
        if (fired) lastLaser = now;
    }
    if (level == 3 && lastSideLaser + 200 < now) {
        bool side = false;
        for (int i = 0; i < 2; ++i) side |= FireLaserShot(kSmallBolt, 4, x - 0.038f + 0.076f * i, y + 0.05f, 0, -1);
        if (side) lastSideLaser = now;
        fired |= side;
    }
    if (fired) PlaySound(ctx, kLaserSound[level]);
}

void PlayerShip::FirePlasma() {
    GameContext* ctx = context;
    const std::uint32_t now = ctx->playTimeNow;
    const std::uint32_t level = ctx->plasmaLevel;
    if (level != 1 && level != 2) return;
    if (lastPlasma + 500 < now) {
        for (std::uint32_t pair = 0; pair < level; ++pair) {
            const float steep = pair == 0 ? -2.0f : -3.0f;
            for (int i = 0; i < 2; ++i) {
                const int index = FirstFreeShot(ctx->playerShots, kPlayerShotSlots);
                if (index < 0) continue;
                const auto n = static_cast<std::uint32_t>(index);
                const float px = x - 0.035f + 0.07f * i, py = y + 0.05f;
                ShotSlot& s = ctx->playerShots[n];
                s.active = 1;
                s.hit = 0;
                s.damage = ctx->weaponDamage[5];
                s.size = 0.02f;
                s.x = px;
                s.y = py;
                auto* ball = new PlasmaShot(ctx);
                ball->SetStart(px, py);
                ball->AttachShot(n, 5, 0.001f);
                ball->SetDirection(i == 0 ? -1.0f : 1.0f, steep);
                ctx->objectList->AddObject(ball);
                lastPlasma = now;
            }
        }
    }
    if (lastPlasmaSound + 350 < now) {
        lastPlasmaSound = now;
        PlaySound(ctx, level == 1 ? asset::Game0Plasm : asset::Game1Plasm);
    }
}

void PlayerShip::FireRockets() {
    GameContext* ctx = context;
    bool fired = false;
    for (int i = 0; i < 2; ++i) {
        if (ctx->rockets == 0 || leaving) break;
        int index = -1;
        for (int k = 0; k < kRocketSlots; ++k) {
            if (!ctx->rocketSlots[k].active) {
                index = k;
                break;
            }
        }
        if (index < 0) break;
        const auto n = static_cast<std::uint32_t>(index);
        const float px = x + 0.131f * i - 0.066f, py = y + 0.11f;
        RocketSlot& s = ctx->rocketSlots[n];
        s.active = 1;
        s.hit = 0;
        s.damage = ctx->rocketDamage;
        s.size = 0.01f;
        s.blastRadius = 0.5f;
        s.x = px;
        s.y = py;
        auto* rocket = new Rocket(ctx);
        rocket->StartEmitter(0.01f, 0.01f, 0xffeeeeee, 1, 160, 0, 0, asset::BoardTex, 0, 1, 1, 1, 0.312f, 0, 0.063f,
                             0.063f, px, py, 0.51f);
        rocket->AttachRocket(n, 0, 0.0015f);
        rocket->SetFadeColours(0xffeeeeee, 0xff004799);
        ctx->objectList->AddObject(rocket);
        ctx->rockets -= 1;
        fired = true;
    }
    if (fired) PlaySound(ctx, asset::GameRocket);
}

void PlayerShip::BuildSprite() {
    const float side = halfWidth * 2.0f * static_cast<float>(context->screenWidth) * 0.5f;
    const float cx = PixelX(context, x), cy = PixelY(context, y);
    PlaceQuad(sprite, cx, cy, side, side);
    const float cell = 1.0f / 3.0f;
    const auto column = frame % 3, row = frame / 3;  // the cell of the 3 x 3 sheet
    const float u0 = static_cast<float>(column) * cell, v0 = static_cast<float>(row) * cell;
    SetQuadTexture(sprite, u0 + 0.002f, u0 + cell - 0.002f, v0 + 0.002f, v0 + cell - 0.002f);
    // The shadow: the same picture in black, sampled slightly off so that it
    // shows beside the ship.
    PlaceQuad(shadow, cx, cy, side, side);
    SetQuadTexture(shadow, u0 - 0.012f, u0 + cell - 0.016f, v0 - 0.016f, v0 + cell - 0.02f);
    const float flashSide = side * 0.5f;
    PlaceQuad(flashQuad, cx, cy - side * 0.45f, flashSide, flashSide);
}

void PlayerShip::BuildRing() {
    const float sw = static_cast<float>(context->screenWidth);
    const float cx = PixelX(context, x), cy = PixelY(context, y);
    const float radius = halfWidth * sw * 0.62f;
    const auto& dash = assetgen::layout::kBoardShieldDash;
    ringQuads = 0;
    // Segments pair up on both sides of the ring, from the top down, and
    // vanish from the bottom as the shield runs out.
    for (std::uint32_t i = 0; i < ringSegments && i < 90; ++i) {
        const float a = (static_cast<float>(i) + 0.5f) * 2.0f * kDegree;
        const float q = (0.18f - 0.0007778f * static_cast<float>(i)) * sw * halfWidth;
        const auto [sa, ca] = gm::SinCos(a);
        for (int side = -1; side <= 1; side += 2) {
            ScreenVertex* b = ring + 6 * ringQuads;
            PlaceQuad(b, cx + side * radius * sa, cy - radius * ca, q, q * 0.5f, side * a);
            TexRect(b, dash);
            ++ringQuads;
        }
    }
}

std::int32_t PlayerShip::Render() {
    if (!GameRunning(context)) return 0;
    SubmitSprite(context, asset::StarWTex, sprite, 2, 2.5f);
    // The flash is alpha-blended; only the shield ring below is additive.
    if (flash) SubmitSprite(context, asset::BoardTex, flashQuad, 2, 2.55f);
    SubmitSprite(context, asset::StarWTex, shadow, 2, 2.83f);
    if (context->shieldActive && ringQuads > 0)
        SubmitSprite(context, asset::BoardTex, ring, 2 * ringQuads, 2.48f, kBlendSource, kBlendAdd);
    return 0;
}

std::int32_t PlayerShip::FinalCleanup() {
    if (flame) {
        flame->Release();
        flame = nullptr;
    }
    context->energy = context->body = 0;
    context->shipAlive = 0;
    context->shipInPlay = 0;
    context->respawnDelay = 1.0f;
    return MyObject::FinalCleanup();
}

}  // namespace dw
