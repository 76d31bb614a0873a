#include "game/armed_enemies.h"

#include <cmath>
#include <cstdlib>

#include "assets/sprite_layout.h"
#include "core/game_context.h"
#include "engine/list_engine.h"
#include "game/enemy_bullets.h"
#include "game/enemy_looks.h"
#include "game/sprite_util.h"
#include "assets/asset_names.h"
#include "platform/game_math.h"

namespace dw {

namespace {
constexpr char kGunfour[] = "gunfour";
constexpr char kGuntank[] = "guntank";
bool Before(std::uint32_t deadline, std::uint32_t now) { return static_cast<std::int32_t>(deadline - now) < 0; }
}  // namespace

void Rotate(float& x, float& y, float angle) {
    const auto [s, c] = gm::SinCos(angle);
    const float nx = x * c - y * s;
    y = x * s + y * c;
    x = nx;
}

// --- aiming ---------------------------------------------------------------------

void ShipAim::PickTarget(const GameContext* ctx, float x, float y) {
    float best = 10.0f;
    for (int i = 0; i < kShipSlots; ++i) {
        const HitSlot& s = ctx->shipSlots[i];
        if (!s.active) continue;
        const float dx = (s.boxMin[0] + s.boxMax[0]) * 0.5f - x;
        const float dy = (s.boxMin[1] + s.boxMax[1]) * 0.5f - y;
        const float d = dx * dx + dy * dy;
        if (d < best) {
            best = d;
            hasTarget = 1;
            targetShip = static_cast<std::uint32_t>(i);
        }
    }
}

bool ShipAim::TargetActive(const GameContext* ctx) const {
    return hasTarget && targetShip < static_cast<std::uint32_t>(kShipSlots) && ctx->shipSlots[targetShip].active;
}

void ShipAim::Update(const GameContext* ctx, float x, float y, float xScale, bool tankRule) {
    if (TargetActive(ctx)) {
        const HitSlot& s = ctx->shipSlots[targetShip];
        aimX = ((s.boxMin[0] + s.boxMax[0]) * 0.5f - x) * xScale;
        aimY = (s.boxMin[1] + s.boxMax[1]) * 0.5f - y;
    }
    Normalise(aimX, aimY);
    if (!tankRule) {
        turnAngle = std::fabs(aimY) > 0.001f ? gm::Atan(aimX / aimY) : gm::Atan(aimX * -20.0f);
    } else if (std::fabs(aimY) > 0.01f) {
        turnAngle = gm::Atan(aimX / aimY);
    } else {
        turnAngle = aimY < 0 ? gm::Atan(aimX * -100.0f) : gm::Atan(aimX * 100.0f);
    }
    if (!TargetActive(ctx)) PickTarget(ctx, x, y);
}

void ShipAim::Tick(const GameContext* ctx, float x, float y, std::uint32_t period, float xScale, bool tankRule) {
    if (!Before(lastAimTime + period, ctx->playTimeNow)) return;
    lastAimTime = ctx->playTimeNow;
    Update(ctx, x, y, xScale, tankRule);
}

float ShipAim::Facing() const { return aimY <= 0 ? -turnAngle : kPi - turnAngle; }

// --- bullets --------------------------------------------------------------------

bool FireFastBullet(GameContext* ctx, float mx, float my, float dx, float dy) {
    const int entry = TakeEnemyShot(ctx, 1, mx, my);
    if (entry < 0) return false;
    auto* bullet = new FastBullet(ctx);
    bullet->StartEmitter(0.01f, 0.01f, 0xffffe666, 4, 80, 0, 0, asset::BoardTex, 0, 1, 1, 1, 0.312f, 0, 0.063f, 0.063f,
                         mx, my, 0.35f);
    bullet->ArmBullet(static_cast<std::uint32_t>(entry), 1, 0.0012f, 0);
    bullet->SetFadeColours(0xff00ffff, 0xffff0000);
    bullet->SetDirection(dx, dy);
    ctx->objectList->AddObject(bullet);
    return true;
}

bool FireSlowBullet(GameContext* ctx, float mx, float my, float dx, float dy) {
    const int entry = TakeEnemyShot(ctx, 0, mx, my);
    if (entry < 0) return false;
    auto* bullet = new SlowBullet(ctx);
    bullet->SetStart(mx, my);
    bullet->Fire(static_cast<std::uint32_t>(entry), dx, dy, 0);
    ctx->objectList->AddObject(bullet);
    return true;
}

// --- senemy3 --------------------------------------------------------------------

ArmedStation::ArmedStation(GameContext* ctx) : Station(ctx) {}

void ArmedStation::AttachSlot(std::uint32_t s) {
    Station::AttachSlot(s);
    leaveTime = context->playTimeNow + 30000;
}

// A cross of four slow bullets (up, down, left, right), turned with the station's spin.
void ArmedStation::FireRing() {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            if (!(i == 1 || j == 1) || i == j) continue;
            float vx = static_cast<float>(i - 1) * 0.09f, vy = static_cast<float>(j - 1) * 0.09f;
            Rotate(vx, vy, spinAngle);
            FireSlowBullet(context, x + 0.75f * vx, y + vy, vx, vy);
        }
}

// A new leg: a random speed and heading that points back inside the area.
void ArmedStation::NewLeg(std::uint32_t now) {
    speed = context->random.Below(20) * 1e-5f + 0.0002f;
    if (Before(nextFireTime, now))
        nextFireTime = now + 1000 + static_cast<std::uint32_t>(context->random.Next() % 1500);
    moveX = gm::Sin(context->random.Below(360) * kDegree);
    moveY = gm::Sin(context->random.Below(360) * kDegree);
    if ((x < -0.65f && moveX < 0) || (x > 0.85f && moveX > 0)) moveX = -moveX;
    if ((y < -0.9f && moveY < 0) || (y > -0.2f && moveY > 0)) moveY = -moveY;
    Normalise(moveX, moveY);
}

void ArmedStation::Move(float ft) {
    const std::uint32_t now = context->playTimeNow;
    if (!arrived || (Before(leaveTime, now) && mode == 0)) {
        y += ft * 0.0003f;
        if (!arrived && y > -0.7f) arrived = 1;
    } else if (mode == 0) {
        x += moveX * speed * ft;
        y += moveY * speed * ft;
        if (Before(nextFireTime, now) || x < -0.65f || x > 0.85f || y < -0.9f || y > -0.2f) mode = 1;
    } else if (mode == 1) {
        mode = 2;
        if (Before(nextFireTime, now)) FireRing();
    } else {
        mode = 0;
        NewLeg(now);
    }
    if (mode == 0) spinAngle += (moveX >= 0 ? -0.002f : 0.002f) * ft;
}

// --- henemy2 --------------------------------------------------------------------

ArmedInterceptor::ArmedInterceptor(GameContext* ctx) : Interceptor(ctx) {}

void ArmedInterceptor::AttachSlot(std::uint32_t s, std::uint32_t eliteFlag) {
    Interceptor::AttachSlot(s, eliteFlag);
    aim.PickTarget(context, x, y);
}

void ArmedInterceptor::Animate(float ft) {
    // Deliberate (docs/DECISIONS.md): eight cells spread over each 16-frame loop.
    // One 16-frame loop, flying (animMode 0) or banking through the turn
    // (animMode 1); the mode changes only when a loop has run to its end.
    // The sheet holds eight cells of each, so every cell shows for two frames.
    while (animTime > 1.0f) {
        if (++loopFrame >= 16) {
            loopFrame = 0;
            if (animMode == 0 && turnRequest) {
                animMode = 1;
                turnRequest = 0;
            } else if (animMode == 1) {
                animMode = 0;
            }
        }
        frame = animMode * 8 + loopFrame / 2;
        animTime -= 1.0f;
    }
    animTime += ft * animRate;
}

void ArmedInterceptor::Move(float ft) {
    const std::uint32_t now = context->playTimeNow;
    if (state < 4 || elite) aim.Tick(context, x, y, 30);
    switch (state) {
        case 0:
            state = 1;
            if (elite) {
                speed = 0.0013f;
                stateTime = now + 600;
            } else {
                speed = context->random.Below(30) * 1e-5f + 0.0009f;
                stateTime = now + 400 + static_cast<std::uint32_t>(context->random.Next() % 250);
            }
            break;
        case 1:
            y += speed * ft;
            if (Before(stateTime, now)) {
                state = 2;
                turnRequest = 1;
            }
            break;
        case 2:
            if (!turnRequest && animMode == 0) {
                state = 3;
                stateTime = now + 300 + static_cast<std::uint32_t>(context->random.Next() % 450);
                FireFastBullet(context, x + 0.75f * aim.aimX * halfHeight, y + aim.aimY * halfHeight, aim.aimX,
                               aim.aimY);
            }
            break;
        case 3:
            if (Before(stateTime, now)) state = 4;
            break;
        default:
            if (!elite || aim.TargetActive(context)) {
                x += aim.aimX * speed * ft;
                y += aim.aimY * speed * ft;
            }
            break;
    }
    // The sheet draws the fighter nose down; from the turn on it faces its aim.
    if (state >= 2) angle = aim.Facing() + kPi;
}

// --- henemy3 --------------------------------------------------------------------

ArmedGunship::ArmedGunship(GameContext* ctx) : Gunship(ctx) {}

void ArmedGunship::AttachSlot(std::uint32_t s) {
    Gunship::AttachSlot(s);
    aim.PickTarget(context, x, y);
}

void ArmedGunship::Move(float ft) {
    const std::uint32_t now = context->playTimeNow;
    aim.Tick(context, x, y, 20);
    switch (state) {
        case 0:
            state = 1;
            speed = 0.0009f;
            stateTime = now + 500;
            strafeRight = (context->random.Next() % 2 == 0) ? 1 : 0;
            break;
        case 1:
            y += speed * ft;
            if (Before(stateTime, now)) {
                state = 2;
                stateTime = now + 2000 + static_cast<std::uint32_t>(context->random.Next() % 3000);
                speed = context->random.Below(30) * 1e-5f + 0.0002f;
            }
            break;
        case 2:
            if (strafeRight && x < 0.85f)
                x += speed * ft;
            else
                strafeRight = 0;
            if (!strafeRight && x > -0.65f)
                x -= speed * ft;
            else
                strafeRight = 1;
            if (Before(stateTime, now)) {
                state = 3;
                shotsFired = 0;
                nextShotTime = 0;
            }
            break;
        default:
            if (Before(nextShotTime, now)) {
                nextShotTime = now + 200;
                float dx = 1.3f * aim.aimX, dy = aim.aimY;
                Normalise(dx, dy);
                FireFastBullet(context, x + 0.75f * 0.8f * aim.aimX * halfHeight, y + 0.8f * aim.aimY * halfHeight, dx,
                               dy);
                if (++shotsFired > 3) {
                    state = 2;
                    stateTime = now + 2000 + static_cast<std::uint32_t>(context->random.Next() % 3000);
                }
            }
            break;
    }
    angle = aim.Facing();
}

// --- henemy5 --------------------------------------------------------------------

ArmedCruiser::ArmedCruiser(GameContext* ctx) : Cruiser(ctx) {}

void ArmedCruiser::Move(float ft) {
    const std::uint32_t now = context->playTimeNow;
    y += ft * 0.0005f;
    if (!armed && y > -1.0f) {
        armed = 1;
        nextVolleyTime = now + 500;
    }
    if (armed && Before(nextVolleyTime, now)) {
        nextVolleyTime = now + 1000;
        const float vx = (leftSide ? -1.0f : 1.0f) * 0.95f * halfWidth;
        for (int n = 0; n < 3; ++n) {
            float dx = 1.3f * vx, dy = 0;
            Normalise(dx, dy);
            FireFastBullet(context, x + 0.75f * vx, y - 0.082f + 0.047f * static_cast<float>(n), dx, dy);
        }
        leftSide = leftSide ? 0 : 1;
    }
}

// --- ground guns ----------------------------------------------------------------

GroundGun::GroundGun(GameContext* ctx, const char* objectName) : Enemy(ctx, objectName) {
    order = 59;
    ApplyLook(LookOf(EnemyClass::GroundGun));
    scrollSpeed = ctx->groundScrollSpeed * 1.275f;
    const std::uint32_t level = ctx->currentLevel < static_cast<std::uint32_t>(kLevelCount) ? ctx->currentLevel : 0;
    const std::uint32_t cols = ctx->levelColumns[level];
    cell = cols ? 1.5f / static_cast<float>(cols) * 0.952381f : 0.078947f;
    halfWidth = halfHeight = cell;
}

void GroundGun::SetStart(std::uint32_t c, std::uint32_t r) {
    column = c;
    row = r;
    Place(0);
    startX = x;
    startY = y;
    RebuildQuads();
}

void GroundGun::SetStart(float px, float py) {
    SetStart(static_cast<std::uint32_t>(px < 0 ? 0 : px), static_cast<std::uint32_t>(py < 0 ? 0 : py));
}

void GroundGun::Place(float ft) {
    scroll += scrollSpeed * ft;
    const float w = static_cast<float>(context->screenWidth);
    const float h = static_cast<float>(context->screenHeight);
    y = h * scroll * 1.333f / w - 1.333f * halfHeight * (static_cast<float>(row) + 0.5f) * (0.75f * w / h) * cellScale;
    x = (static_cast<float>(column) + 0.5f) * cellScale * halfWidth - 0.6f;
}

FourWayGun::FourWayGun(GameContext* ctx) : GroundGun(ctx, kGunfour) {
    frameCount = assetgen::layout::kCannon.frames;
    animRate = 0.023f;
    turretAngle = context->random.Below(100) * 0.0314159f;
    angle = turretAngle;
}

void FourWayGun::Animate(float ft) {
    // The sheet plays only while the turret fires.
    if (!firing) return;
    fireAnimTime += ft * animRate;
    while (fireAnimTime > 1.0f && fireFrame + 1 < frameCount) {
        ++fireFrame;
        fireAnimTime -= 1.0f;
    }
    frame = fireFrame;
}

void FourWayGun::Move(float ft) {
    Place(ft);
    const std::uint32_t now = context->playTimeNow;
    turretAngle -= 0.002f * ft;
    angle = turretAngle;
    if (!armed && y > -1.0f) {
        armed = 1;
        nextFireTime = now + 500;
    }
    if (armed && Before(nextFireTime, now)) {
        firing = 1;
        nextFireTime = now + 750;
        fireAnimTime = 0;
        fireFrame = 0;
        frame = 0;
    }
    if (firing && fireFrame + 1 >= frameCount) {
        firing = 0;
        fireFrame = 0;
        frame = 0;
        for (int n = 0; n < 3; ++n) {
            float vx = 0, vy = -halfHeight;
            Rotate(vx, vy, turretAngle + static_cast<float>(n) * 2.0943952f);
            FireFastBullet(context, x + 0.75f * vx, y + vy, vx, vy);
        }
    }
}

TankGun::TankGun(GameContext* ctx) : GroundGun(ctx, kGuntank) {}

void TankGun::AttachSlot(std::uint32_t s) {
    GroundGun::AttachSlot(s);
    aim.PickTarget(context, x, y);
}

float TankGun::BarrelAngle() const { return aim.Facing(); }

void TankGun::Move(float ft) {
    Place(ft);
    const std::uint32_t now = context->playTimeNow;
    aim.Tick(context, x, y, 30, 1.333f, true);
    if (!armed && y > -1.0f) {
        armed = 1;
        burstCount = 0;
        nextFireTime = now + 500;
    }
    if (armed && Before(nextFireTime, now) && y < 1.0f) {
        if (burstCount == 0) aim.Update(context, x, y, 1.333f, true);
        if (burstCount < 3) {
            nextFireTime = now + 200;
            ++burstCount;
        } else {
            burstCount = 0;
            nextFireTime = now + 2000;
        }
        float vx = 0, vy = -halfHeight;
        Rotate(vx, vy, BarrelAngle());
        FireSlowBullet(context, x + 0.75f * vx, y + vy, aim.aimX, aim.aimY);
    }
}

void TankGun::RebuildQuads() {
    using assetgen::layout::kGunTankBarrel;
    using assetgen::layout::kGunTankBase;
    const float s = static_cast<float>(context->screenWidth) * halfWidth;
    const float cx = PixelX(context, x), cy = PixelY(context, y);
    PlaceQuad(spriteQuad, cx, cy, s, s);
    SetQuadTexture(spriteQuad, (kGunTankBase.x + 1) / 512.0f, (kGunTankBase.x + kGunTankBase.w - 1) / 512.0f,
                   (kGunTankBase.y + 1) / 512.0f, (kGunTankBase.y + kGunTankBase.h - 1) / 512.0f);
    SetVertexLook(spriteQuad, 6, colour, vertexZ);
    // The barrel is drawn pointing down the sheet.
    PlaceQuad(barrelQuad, cx, cy, s, s, BarrelAngle() + kPi);
    SetQuadTexture(barrelQuad, (kGunTankBarrel.x + 1) / 512.0f, (kGunTankBarrel.x + kGunTankBarrel.w - 1) / 512.0f,
                   (kGunTankBarrel.y + 1) / 512.0f, (kGunTankBarrel.y + kGunTankBarrel.h - 1) / 512.0f);
    SetVertexLook(barrelQuad, 6, colour, vertexZ - 0.001f);
    for (int i = 0; i < 6; ++i) {
        shadowQuad[i] = spriteQuad[i];
        shadowQuad[i].y += shadowShift * s;
    }
    SetVertexLook(shadowQuad, 6, 0xff000000, 0.53f);
}

std::int32_t TankGun::Render() {
    if (!GameRunning(context)) return 0;
    SubmitSprite(context, texture, spriteQuad, 2, DepthKey());
    SubmitSprite(context, texture, barrelQuad, 2, DepthKey() - 0.001f);
    SubmitSprite(context, texture, shadowQuad, 2, 2.83f);
    return 0;
}

}  // namespace dw
