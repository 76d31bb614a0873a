#include "game/bosses.h"

#include <cmath>
#include <cstdlib>

#include "assets/sprite_layout.h"
#include "core/game_context.h"
#include "engine/list_engine.h"
#include "game/armed_enemies.h"
#include "game/enemy_bullets.h"
#include "game/explosion.h"
#include "game/sprite_util.h"
#include "assets/asset_names.h"
#include "assets/sound.h"

namespace dw {

namespace layout = assetgen::layout;

namespace {
constexpr char kBigbos0[] = "bigbos0";
constexpr char kBigbos1[] = "bigbos1";
constexpr char kBigbos2[] = "bigbos2";
constexpr char kBigbos3[] = "bigbos3";
constexpr char kBigbos4[] = "bigbos4";
constexpr char kRball[] = "rball";
constexpr char kHstat[] = "hstat";
constexpr char kLtdot[] = "ltdot";
constexpr char kDbomb[] = "dbomb";
constexpr char kFufig[] = "fufig";
constexpr int kGame0Explo = 5, kGame1Explo = 6, kGame2Explo = 7;
constexpr float kThird = 2.0943952f;

bool Before(std::uint32_t deadline, std::uint32_t now) {
    return static_cast<std::int32_t>(deadline - now) < 0;
}
float Aspect(const GameContext* ctx) {
    return 0.75f * static_cast<float>(ctx->screenWidth) / static_cast<float>(ctx->screenHeight);
}
void Texels(ScreenVertex* q, const layout::Rect& r, float inset = 1.0f) {
    SetQuadTexture(q, (static_cast<float>(r.x) + inset) / 512.0f, (static_cast<float>(r.x + r.w) - inset) / 512.0f,
                   (static_cast<float>(r.y) + inset) / 512.0f, (static_cast<float>(r.y + r.h) - inset) / 512.0f);
}
void Blast(GameContext* ctx, float x, float y, float size, std::uint32_t kind, std::uint8_t flag,
           std::uint32_t delay = 0) {
    if (!ctx->objectList) return;
    auto* e = new Explosion(ctx);
    e->Setup(x, y, size, kind, flag);
    if (delay) e->SetDelay(delay);
    ctx->objectList->AddObject(e);
}
void Add(GameContext* ctx, MyObject* o) {
    if (ctx->objectList)
        ctx->objectList->AddObject(o);
    else
        delete o;
}
void FreeHitSlot(HitSlot& s) {
    s.active = 0;
    s.destroyed = 0;
    s.hitPoints = 0;
}
void SetBox(HitSlot& s, float x0, float x1, float y0, float y1) {
    s.boxMin[0] = x0;
    s.boxMax[0] = x1;
    s.boxMin[1] = y0;
    s.boxMax[1] = y1;
}
// A fast bullet of the bosses' heavier kinds.
void BossBullet(GameContext* ctx, float mx, float my, float dx, float dy, std::uint32_t kind, float width,
                std::uint32_t colour, std::uint32_t lifetime, float speed, std::uint32_t fadeFrom,
                std::uint32_t fadeTo) {
    const int entry = TakeEnemyShot(ctx, kind, mx, my);
    if (entry < 0) return;
    auto* b = new FastBullet(ctx);
    b->StartEmitter(width, width, colour, 4, lifetime, 0, 0, asset::BoardTex, 0, 1, 1, 1, 0.312f, 0, 0.063f,
                    0.063f, mx, my, 0.35f);
    b->ArmBullet(static_cast<std::uint32_t>(entry), kind, speed, 1);
    b->SetFadeColours(fadeFrom, fadeTo);
    b->SetDirection(dx, dy);
    Add(ctx, b);
}
}  // namespace

int TakeChildSlot(GameContext* ctx, std::uint32_t hitPoints, float boxY, bool ramProof) {
    for (int i = 0; i < kEnemySlots; ++i) {
        HitSlot& s = ctx->enemySlots[i];
        if (s.active) continue;
        s = HitSlot{};
        s.active = 1;
        s.ramProof = ramProof ? 1 : 0;
        s.hitPoints = hitPoints;
        s.boxMin[1] = s.boxMax[1] = boxY;
        s.boxMin[2] = s.boxMax[2] = 0.45f;
        return i;
    }
    return -1;
}

// --- common boss ----------------------------------------------------------------

Boss::Boss(GameContext* ctx, const char* objectName, const char* sheetName, std::uint8_t* doneFlag)
    : MyObject(ctx), done(doneFlag), sheet(sheetName) {
    name = objectName;
    order = 60;
    visible = 1;
    aspect = Aspect(ctx);
}

void Boss::SetStart(float px, float py, float) {
    x = px;
    y = py;
    BuildQuads();
}

void Boss::AttachSlot(std::uint32_t s) {
    slot = s;
    OwnSlot().hitPoints = kMaxHitPoints;
    BuildPanel();
}

HitSlot& Boss::OwnSlot() { return context->enemySlots[slot]; }

std::int32_t Boss::RestoreDeviceObjects() {
    *done = 0;
    BuildQuads();
    BuildPanel();
    return 0;
}

std::int32_t Boss::FinalCleanup() {
    *done = 1;
    return 0;
}

float Boss::BarWidth() const {
    const std::uint32_t hp = context->enemySlots[slot].hitPoints;
    return 0.4f * static_cast<float>(hp > kMaxHitPoints ? kMaxHitPoints : hp) / static_cast<float>(kMaxHitPoints);
}

void Boss::BuildPanel() {
    if (sheet == asset::BigBoss0)
        SetQuadScreen(panel, -0.72f, -0.55f, -0.93f, 0.17f * aspect - 0.93f, 0.257f, 0.436f, 0.818f, 0.999f);
    else
        SetQuadScreenTexels(panel, -0.72f, -0.55f, -0.93f, 0.17f * aspect - 0.93f, 416, 96, 0, 72);
    SetQuadScreen(panel + 6, -0.52f, -0.52f + BarWidth(), -0.9f, -0.87f, 0.964f, 0.999f, 0.952f, 0.999f);
    SetVertexLook(panel, 12, 0xffffffff, 0.2f);
}

void Boss::SetBody(float u0, float u1, float v0, float v1) {
    bodyU[0] = u0;
    bodyU[1] = u1;
    bodyU[2] = v0;
    bodyU[3] = v1;
}

void Boss::BuildQuads() {
    const float w = bodyW > 0 ? bodyW : static_cast<float>(context->screenWidth) * halfWidth;
    const float h = bodyH > 0 ? bodyH : static_cast<float>(context->screenHeight) * halfHeight;
    const float cx = PixelX(context, x), cy = PixelY(context, y);
    PlaceQuad(body, cx, cy, w, h, bodyAngle);
    SetQuadTexture(body, bodyU[0], bodyU[1], bodyU[2], bodyU[3]);
    SetVertexLook(body, 6, 0xffffffff, 0.5f);
    const float drop = 0.03f * static_cast<float>(context->screenWidth);
    for (int i = 0; i < 6; ++i) {
        shadow[i] = body[i];
        shadow[i].y += drop;
    }
    SetVertexLook(shadow, 6, 0xff000000, 0.53f);
}

void Boss::WriteHitBox() {
    SetBox(OwnSlot(), x - halfWidth, x + halfWidth, y - halfHeight, y + halfHeight);
}

bool Boss::Glide(float ft, float speed) {
    const float span = gx1 - gx0;
    if (span == 0) return true;
    const float a = (x - gx0) * 2.6179938f / span + 0.2617994f;
    const float step = std::sin(a) * ft * speed;
    x += span > 0 ? step : -step;
    if ((span > 0 && x >= gx1) || (span < 0 && x <= gx1)) {
        x = gx1;
        return true;
    }
    return false;
}

void Boss::Explode() {
    const float hh = BlastHeight();
    Blast(context, x, y + 0.3f * hh, 1.1f * hh, 0, 1);
    for (int n = 1; n <= 5; ++n) {
        const float t = context->random.Below(360) * kDegree;
        const float d = context->random.Below(10) * halfWidth * 0.1f;
        const float size = (0.4f + 0.05f * context->random.Below(10)) * halfWidth;
        Blast(context, x + 0.4f * d * std::sin(t), y + 0.3f * hh + 0.5f * d * std::cos(t), size, 5, 1,
              150u * static_cast<std::uint32_t>(n));
    }
    context->score += 100000;
    RequestSound(context, kGame2Explo);
}

std::int32_t Boss::FrameMove() {
    if (!GameRunning(context) || !alive || dead) return 0;
    Move(static_cast<float>(context->frameTimeAverage));
    WriteHitBox();
    Publish();
    HitSlot& s = OwnSlot();
    if (context->gameStartPending) {
        FreeHitSlot(s);
        dead = 1;
        return 0;
    }
    BuildQuads();
    BuildPanel();
    if (s.active && !s.destroyed) return 0;
    FreeHitSlot(s);
    dead = 1;
    alive = 0;
    Explode();
    return 0;
}

std::int32_t Boss::Render() {
    if (!GameRunning(context)) return 0;
    SubmitSprite(context, sheet, shadow, 2, 2.83f);
    SubmitSprite(context, sheet, body, 2, 2.579f);
    RenderParts();
    SubmitSprite(context, sheet, panel, 4, 1.71f);
    return 0;
}

// --- boss 0 ---------------------------------------------------------------------

CarrierBoss::CarrierBoss(GameContext* ctx) : Boss(ctx, kBigbos0, asset::BigBoss0, &ctx->bossLink.boss0Done) {
    halfWidth = 0.38f;
    halfHeight = 0.25332698f * aspect;
    BossLink& l = ctx->bossLink;
    for (auto& b : l.ballPresent) b = 0;
    l.boss0Done = 0;
    l.ballFireSignal = 0;
    l.ballOrbit = 0;
    l.boss0AnchorX = l.boss0AnchorY = 0;
    nextFireAngle = kThird;
    const layout::Rect& r = layout::kBoss0Body;
    SetBody(r.x / 512.0f + 0.001f, (r.x + r.w) / 512.0f - 0.001f, r.y / 512.0f + 0.001f, (r.y + r.h) / 512.0f - 0.001f);
    RestoreDeviceObjects();
}

void CarrierBoss::Volley() {
    for (int n = 0; n < 2; ++n) {
        const float mx = x + ((static_cast<float>(n) - 0.5f) * 0.76f + 0.008f) * halfWidth;
        BossBullet(context, mx, y + 0.7f * halfHeight, 0, 1, 2, 0.016f, 0xffffe666, 140, 0.0016f, 0xffff0000,
                   0xffffff00);
    }
}

void CarrierBoss::RunBay(float ft) {
    BossLink& l = context->bossLink;
    const std::uint32_t now = context->timeNow;
    switch (bayState) {
        case 0:
            for (auto b : l.ballPresent)
                if (!b) {
                    bayState = 1;
                    break;
                }
            break;
        case 1:
            bayOpen += 0.0009f * ft;
            if (bayOpen >= 1.0f) {
                bayOpen = 1.0f;
                for (std::uint32_t k = 0; k < 9; ++k) {
                    if (l.ballPresent[k]) continue;
                    const int s = TakeChildSlot(context, context->enemyHitPoints[13], -1.2f, false);
                    if (s < 0) break;
                    auto* ball = new OrbitBall(context);
                    ball->SetStart(x, y - 0.0714f * halfHeight);
                    ball->AttachSlot(static_cast<std::uint32_t>(s), k);
                    Add(context, ball);
                    l.ballPresent[k] = 1;
                }
                bayState = 2;
                bayTime = now + 500;
            }
            break;
        case 2:
            if (Before(bayTime, now)) bayState = 3;
            break;
        case 3:
            bayOpen -= 0.0009f * ft;
            if (bayOpen <= 0) {
                bayOpen = 0;
                bayState = 4;
                bayTime = now + 1000;
            }
            break;
        default:
            if (Before(bayTime, now)) bayState = 0;
            break;
    }
}

void CarrierBoss::Move(float ft) {
    const std::uint32_t now = context->timeNow;
    switch (state) {
        case 0:
            y += 0.0002f * ft;
            if (y > -0.5f) state = 1;
            break;
        case 1: {
            float target;
            do target = context->random.Below(102) * 0.01f - 0.4f;
            while (std::fabs(x - target) < 0.3f);
            gx0 = x;
            gx1 = target;
            state = 2;
            break;
        }
        case 2:
            if (Glide(ft, 0.00039f)) {
                state = 3;
                volleys = 0;
                stateTime = now + 300;
            }
            break;
        case 3:
            if (Before(stateTime, now)) {
                Volley();
                stateTime = now + 300;
                if (++volleys >= 3) {
                    state = 4;
                    stateTime = now + 700;
                }
            }
            break;
        default:
            if (Before(stateTime, now)) state = 1;
            break;
    }
    if (state > 0) RunBay(ft);
}

void CarrierBoss::Publish() {
    BossLink& l = context->bossLink;
    l.boss0AnchorX = x;
    l.boss0AnchorY = y - 0.0714f * halfHeight;
    l.ballOrbit += 0.0008f * static_cast<float>(context->frameTimeAverage);
    l.ballFireSignal = 0;
    if (l.ballOrbit > nextFireAngle) {
        l.ballFireSignal = 1;
        nextFireAngle += kThird;
    }
}

void CarrierBoss::BuildQuads() {
    Boss::BuildQuads();
    // The bay: lit interior, then two doors sliding apart over it.
    const float w = static_cast<float>(context->screenWidth) * halfWidth;
    const float h = static_cast<float>(context->screenHeight) * halfHeight;
    const float cx = PixelX(context, x), cy = PixelY(context, y - 0.0714f * halfHeight);
    PlaceQuad(bay, cx, cy, w / 3.0f, h / 3.0f);
    Texels(bay, layout::kBoss0BayOpen);
    const float door = w / 6.0f, slide = bayOpen * door;
    PlaceQuad(bay + 6, cx - door * 0.5f - slide, cy, door, h / 3.0f);
    Texels(bay + 6, layout::kBoss0DoorL);
    PlaceQuad(bay + 12, cx + door * 0.5f + slide, cy, door, h / 3.0f);
    Texels(bay + 12, layout::kBoss0DoorR);
    SetVertexLook(bay, 18, 0xffffffff, 0.5f);
}

void CarrierBoss::RenderParts() {
    if (bayOpen > 0) SubmitSprite(context, sheet, bay, 2, 2.5789f);
    SubmitSprite(context, sheet, bay + 6, 4, 2.5788f);
}

// --- boss 0 balls ---------------------------------------------------------------

OrbitBall::OrbitBall(GameContext* ctx) : MyObject(ctx) {
    name = kRball;
    order = 60;
    visible = 1;
    aspect = Aspect(ctx);
}

void OrbitBall::SetStart(float px, float py) {
    x = anchorX = px;
    y = anchorY = py;
}

void OrbitBall::AttachSlot(std::uint32_t s, std::uint32_t k) {
    slot = s;
    index = k < 9 ? k : 8;
    hasSlot = 1;
}

std::int32_t OrbitBall::FinalCleanup() {
    context->bossLink.ballPresent[index] = 0;
    return 0;
}

void OrbitBall::Die(bool award) {
    if (hasSlot) FreeHitSlot(context->enemySlots[slot]);
    dead = 1;
    if (!award) return;
    Blast(context, x, y + 0.075f, 1.3f * 0.075f, 4, 1);
    context->score += context->enemyHitPoints[13];
    RequestSound(context, kGame1Explo);
}

std::int32_t OrbitBall::FrameMove() {
    if (!GameRunning(context) || dead) return 0;
    BossLink& l = context->bossLink;
    if (context->gameStartPending) {
        Die(false);
        return 0;
    }
    const float ft = static_cast<float>(context->frameTimeAverage);
    if (!l.boss0Done) {
        anchorX = l.boss0AnchorX;
        anchorY = l.boss0AnchorY;
    }
    std::uint32_t grey = 0xffffffff;
    if (state == 0) {
        fade += 0.0015f * ft;
        if (fade >= 1.0f) {
            fade = 1.0f;
            state = 1;
        } else {
            const auto g = static_cast<std::uint32_t>(fade * 255.0f);
            grey = 0xff000000u | (g << 16) | (g << 8) | g;
        }
    } else if (state == 1) {
        ring += 0.0006f * ft;
        if (ring > 1.0f) {
            ring = 1.0f;
            state = 2;
        }
    }
    const float a = static_cast<float>(index) * 0.69813174f + l.ballOrbit;
    const float r = 0.56f * ring * aspect * (1.0f - (1.0f - 0.75f / aspect) * std::fabs(std::sin(a)));
    x = anchorX - r * std::sin(a);
    y = anchorY + r * std::cos(a);
    spin -= 0.0024f * ft;
    const float big = 0.28f * ring * aspect * static_cast<float>(context->screenHeight);
    const float side = 0.075f * static_cast<float>(context->screenWidth);
    PlaceQuad(quad, PixelX(context, anchorX) - big * std::sin(a), PixelY(context, anchorY) + big * std::cos(a), side,
              side, spin);
    Texels(quad, layout::kBoss0Ball);
    SetVertexLook(quad, 6, grey, 0.5f);
    HitSlot& s = context->enemySlots[slot];
    SetBox(s, x - 0.075f, x + 0.075f, y - 0.075f * aspect, y + 0.075f * aspect);
    if (state == 2 && l.ballFireSignal && y > anchorY) FireFastBullet(context, x, y + 0.075f, 0, 1);
    if (!s.active || s.destroyed || !l.ballPresent[index] || l.boss0Done) Die(true);
    return 0;
}

std::int32_t OrbitBall::Render() {
    if (!GameRunning(context)) return 0;
    SubmitSprite(context, asset::BigBoss0, quad, 2, 2.578f);
    return 0;
}

// --- boss 1 ---------------------------------------------------------------------

GunshipBoss::GunshipBoss(GameContext* ctx) : Boss(ctx, kBigbos1, asset::BigBoss1, &ctx->bossLink.boss1Done) {
    halfWidth = 0.3f;
    halfHeight = 0.39999f;
    BossLink& l = ctx->bossLink;
    l.boss1Done = l.boss1Ready = 0;
    l.boss1Repair = 0;
    l.boss1Y = y;
    const layout::Rect& r = layout::kBoss1Body;
    SetBody(r.x / 512.0f + 0.001f, (r.x + r.w) / 512.0f - 0.001f, r.y / 512.0f + 0.001f, (r.y + r.h) / 512.0f - 0.001f);
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

void GunshipBoss::Move(float ft) {
    const std::uint32_t now = context->timeNow;
    BossLink& l = context->bossLink;
    if (state == 0) {
        y += 0.0002f * ft;
        if (y > -0.8f) {
            state = 1;
            nextShot = now;
        }
    } else if (state == 1) {
        y += 0.0002f * ft;
        if (Before(nextShot, now)) {
            nextShot = now + 200;
            FireDown();
        }
        if (y > -0.5f) {
            state = 2;
            l.boss1Ready = 1;
            turretOn = 1;
            volleys = 0;
            nextShot = now + 2000;
        }
    }
    if (turretOn) {
        if (!hasTarget || !context->shipSlots[targetShip].active) {
            ShipAim pick;
            pick.PickTarget(context, x, y);
            if (pick.hasTarget) {
                hasTarget = 1;
                targetShip = pick.targetShip;
            }
        }
        if (Before(lastSteer + 10, now)) {
            lastSteer = now;
            if (hasTarget && context->shipSlots[targetShip].active) {
                const HitSlot& s = context->shipSlots[targetShip];
                float tx = (s.boxMin[0] + s.boxMax[0]) * 0.5f - x, ty = (s.boxMin[1] + s.boxMax[1]) * 0.5f - y;
                Normalise(tx, ty);
                aimX += tx * ft * 0.0015f;
                aimY += ty * ft * 0.0015f;
            }
            Normalise(aimX, aimY);
            turnAngle = std::fabs(aimY) <= 0.0001f ? std::atan(aimX * -999.99994f) : std::atan(aimX / aimY);
        }
        if (Before(nextShot, now)) {
            const float turn = -turnAngle - (aimY <= 0 ? kPi : 0.0f);
            for (int n = 0; n < 2; ++n) {
                float vx = (0.49f * static_cast<float>(n) - 0.245f) * halfWidth, vy = 0.6f * halfHeight;
                Rotate(vx, vy, turn);
                BossBullet(context, x + vx, y + 1.333f * vy, 1.333f * aimX, aimY, 3, 0.014f, 0xffffe666, 110,
                           0.0016f, 0xfffff000, 0xff00ff00);
            }
            if (++volleys >= 12) {
                volleys = 0;
                nextShot = now + 2500;
            } else {
                nextShot = now + 200;
            }
        }
    }
    // Repairs reported by the stations.
    HitSlot& s = OwnSlot();
    if (s.active && !s.destroyed) {
        const std::int64_t hp = static_cast<std::int64_t>(s.hitPoints) + l.boss1Repair;
        s.hitPoints = static_cast<std::uint32_t>(hp > kMaxHitPoints ? kMaxHitPoints : (hp < 0 ? 0 : hp));
    }
    l.boss1Repair = 0;
}

void GunshipBoss::Publish() { context->bossLink.boss1Y = y; }

void GunshipBoss::BuildQuads() {
    Boss::BuildQuads();
    const float side = static_cast<float>(context->screenWidth) * halfWidth / 3.0f;
    PlaceQuad(turret, PixelX(context, x), PixelY(context, y), side, side, std::atan2(-aimX, aimY));
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
    const std::uint32_t now = context->timeNow;
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
        x = baseX - out * 0.05f * std::sin(phase);
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
    RequestSound(context, kGame2Explo);
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
    SubmitSprite(context, asset::BigBoss1, quad, 2, 2.5783f, 5, 2);
    return 0;
}

// --- boss 2 ---------------------------------------------------------------------

BomberBoss::BomberBoss(GameContext* ctx) : Boss(ctx, kBigbos2, asset::BigBoss2, &ctx->bossLink.boss2Done) {
    halfWidth = 0.36f;
    halfHeight = 0.322488f;
    BossLink& l = ctx->bossLink;
    l.boss2Done = 0;
    l.boss2X = x;
    l.boss2BayY = y;
    const layout::Rect& r = layout::kBoss2Body;
    SetBody(r.x / 512.0f + 0.001f, (r.x + r.w) / 512.0f - 0.001f, r.y / 512.0f + 0.001f, (r.y + r.h) / 512.0f - 0.001f);
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
    const std::uint32_t now = context->timeNow;
    if (!landed) {
        y += 0.0002f * ft;
        if (y > -0.5f) {
            y = -0.5f;
            landed = 1;
            state = 1;
            bayState = 1;
            nextVolley = now + 1000;
        }
        return;
    }
    switch (state) {
        case 1:
            gx0 = x;
            gx1 = x <= 0.1f ? 0.61f : -0.4f;
            speedFactor = 1.1f + 0.1f * context->random.Below(6);
            state = 2;
            break;
        case 2:
            if (Glide(ft, 0.0003f * speedFactor)) {
                state = 3;
                stateTime = now + 100;
            }
            break;
        default:
            if (Before(stateTime, now)) state = 1;
            break;
    }
    switch (bayState) {
        case 1:
            doors += 0.0025f * ft;
            if (doors >= 1.0f) {
                doors = 1.0f;
                bayState = 2;
            }
            break;
        case 2: {
            const int s = TakeChildSlot(context, context->enemyHitPoints[14], -1.2f, false);
            if (s >= 0) {
                auto* bomb = new Bomb(context);
                bomb->SetStart(x, y + 0.915f * aspect * halfHeight);
                bomb->AttachSlot(static_cast<std::uint32_t>(s));
                Add(context, bomb);
            }
            bayState = 3;
            bayTime = now + 600;
            break;
        }
        case 3:
            if (Before(bayTime, now)) bayState = 4;
            break;
        case 4:
            doors -= 0.0025f * ft;
            if (doors <= 0) {
                doors = 0;
                bayState = 5;
                bayTime = now + 100;
            }
            break;
        default:
            if (Before(bayTime, now)) bayState = 1;
            break;
    }
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
    Blast(context, x + 0.4f * d * std::sin(t), y + hw + d * std::cos(t), (0.7f + 0.1f * context->random.Below(10)) * 2.5f * hw, 2, 1,
          150);
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
    RequestSound(context, kGame2Explo);
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

// --- boss 3 ---------------------------------------------------------------------

CloudBoss::CloudBoss(GameContext* ctx) : Boss(ctx, kBigbos3, asset::BigBoss3, &ctx->bossLink.boss3Done) {
    halfWidth = halfHeight = 0.28f;
    // The arms reach 1.7 h from the centre; the sheet's arms end at 0.86 of its half size.
    bodyW = static_cast<float>(ctx->screenWidth) * 2.0f * 0.28f;
    bodyH = bodyW;
    BossLink& l = ctx->bossLink;
    l.boss3Done = 0;
    l.boss3X = x;
    l.boss3Y = y;
    target = kThird;
    const layout::Rect& r = layout::kBoss3Body;
    SetBody(r.x / 512.0f + 0.001f, (r.x + r.w) / 512.0f - 0.001f, r.y / 512.0f + 0.001f, (r.y + r.h) / 512.0f - 0.001f);
    ArmGeometry();
    RestoreDeviceObjects();
}

void CloudBoss::WriteHitBox() {
    SetBox(OwnSlot(), x - 1.2f * 0.28f, x + 1.2f * 0.28f, y - 1.4f * 0.28f, y + 1.4f * 0.28f);
}

void CloudBoss::Publish() {
    context->bossLink.boss3X = x;
    context->bossLink.boss3Y = y;
}

bool CloudBoss::TurnTo(float ft, float rate) {
    bodyAngle += rate * ft;
    if (bodyAngle >= target) {
        bodyAngle = target;
        return true;
    }
    return false;
}

void CloudBoss::ArmGeometry() {
    const float h = 0.28f;
    for (int k = 0; k < 3; ++k) {
        const float arm = static_cast<float>(k) * kThird;
        for (int n = 0; n < 2; ++n) {
            float vx = 0.25f * h - 0.5f * static_cast<float>(n) * h, vy = -1.6f * h;
            Rotate(vx, vy, arm);
            armX[2 * k + n] = x + vx;
            armY[2 * k + n] = y + 1.333f * aspect * vy;
            float ex = 0.09f * h - 0.18f * static_cast<float>(n) * h, ey = -1.7f * h;
            Rotate(ex, ey, arm);
            emitX[2 * k + n] = x + ex;
            emitY[2 * k + n] = y + 1.333f * aspect * ey;
            float dx = ex, dy = ey;
            Normalise(dx, dy);
            emitDX[2 * k + n] = dx;
            emitDY[2 * k + n] = dy;
        }
    }
}

void CloudBoss::Volley() {
    for (int n = 0; n <= 4; n += 2) {
        const float arm = static_cast<float>(n) * 1.0471976f;
        float vx = 0, vy = -0.9f * halfWidth;
        Rotate(vx, vy, arm);
        const float mx = x + 0.25f * halfWidth + vx, my = y - aspect * halfWidth * 0.11f + 1.333f * vy;
        const int entry = TakeEnemyShot(context, 2, mx, my);
        if (entry < 0) continue;
        float dx = 0.3f, dy = -1.0f;
        Rotate(dx, dy, arm);
        auto* cloud = new CloudBullet(context);
        cloud->SetStart(mx, my);
        cloud->Launch(static_cast<std::uint32_t>(entry), dx, dy, 2);
        Add(context, cloud);
    }
}

void CloudBoss::Move(float ft) {
    const std::uint32_t now = context->timeNow;
    switch (state) {
        case 0:
            y += 0.0002f * ft;
            bodyAngle += 0.0007f * ft;
            if (bodyAngle >= target) target += kThird;
            if (y > -0.4f) {
                y = -0.4f;
                // Come to rest on the next three-fold position ahead.
                target = (std::floor(bodyAngle / kThird) + 1.0f) * kThird;
                state = 1;
            }
            break;
        case 1:
            if (TurnTo(ft, 0.0007f)) {
                ArmGeometry();
                state = 2;
            }
            break;
        case 2:
            volleys = 0;
            nextVolley = now + 1000;
            OwnSlot().shotProof = 1;
            state = 3;
            break;
        case 3:
            glowPhase += 0.018f * ft;
            if (volleys < 4) {
                if (Before(nextVolley, now)) {
                    Volley();
                    nextVolley = now + (++volleys < 4 ? 300 : 500);
                }
            } else if (Before(nextVolley, now)) {
                OwnSlot().shotProof = 0;
                target += kThird;
                state = 4;
            }
            break;
        default:
            if (TurnTo(ft, 0.0009f)) {
                ArmGeometry();
                state = 2;
            }
            break;
    }
}

void CloudBoss::BuildQuads() {
    const float keep = bodyAngle;
    bodyAngle = keep + kPi;  // the sheet draws an arm pointing down
    Boss::BuildQuads();
    bodyAngle = keep;
    const float sw = static_cast<float>(context->screenWidth);
    const float light = 0.2f * 0.28f * sw * 0.5f;
    int q = 0;
    auto put = [&](float px, float py, float size, std::uint32_t colour) {
        ScreenVertex* v = lights + 6 * q++;
        PlaceQuad(v, PixelX(context, px), PixelY(context, py), size, size);
        Texels(v, layout::kBoss3Light);
        SetVertexLook(v, 6, colour, 0.5f);
    };
    const bool resting = state == 2 || state == 3;
    for (int i = 0; i < 6 && resting; ++i) put(armX[i], armY[i], light, 0xffffe0a0);
    for (int i = 0; i < 6 && resting; ++i) {
        const float pulse = state == 3 ? 0.02f * std::sin(static_cast<float>(i % 2) * kPi + glowPhase) : 0.0f;
        put(emitX[i] + emitDX[i] * pulse, emitY[i] + emitDY[i] * pulse, light * 0.7f, 0xffff3070);
    }
    static constexpr int kBeams[3][2] = {{0, 3}, {2, 5}, {4, 1}};
    for (int b = 0; b < 3 && state == 3; ++b)
        for (int p = 1; p <= 10; ++p) {
            const float f = static_cast<float>(p) / 11.0f;
            const int a = kBeams[b][0], c = kBeams[b][1];
            put(armX[a] + (armX[c] - armX[a]) * f, armY[a] + (armY[c] - armY[a]) * f, light * 0.45f, 0xffff88bb);
        }
    for (; q < 42; ++q) SetVertexLook(lights + 6 * q, 6, 0, 0.5f);
}

void CloudBoss::RenderParts() {
    const bool resting = state == 2 || state == 3;
    if (!resting) return;
    SubmitSprite(context, sheet, lights, state == 3 ? 84 : 24, 2.5785f, 5, 2);
}

// --- boss 4 ---------------------------------------------------------------------

FortressBoss::FortressBoss(GameContext* ctx) : Boss(ctx, kBigbos4, asset::BigBoss4, &ctx->bossLink.boss4Done) {
    halfWidth = 0.32f;
    halfHeight = 0.4502f;
    BossLink& l = ctx->bossLink;
    l.boss4Done = 0;
    l.boss4X = x;
    l.boss4Y = y;
    const layout::Rect& r = layout::kBoss4Body;
    SetBody(r.x / 512.0f + 0.001f, (r.x + r.w) / 512.0f - 0.001f, r.y / 512.0f + 0.001f, (r.y + r.h) / 512.0f - 0.001f);
    RestoreDeviceObjects();
}

void FortressBoss::Volley() {
    for (int n = 0; n < 5; ++n) {
        const float mx = x + side * 0.73f * halfWidth, my = y + 0.95f * halfHeight;
        const int entry = TakeEnemyShot(context, 2, mx, my);
        if (entry < 0) continue;
        context->enemyShots[entry].size = 0.05f;
        auto* b = new SlowBullet(context);
        b->SetStart(mx, my);
        b->SetLook(0xfffff333, 0xffff2000, 0.07f, 4);
        b->Fire(static_cast<std::uint32_t>(entry), 0.4f - 0.2f * static_cast<float>(n), 1, 2);
        Add(context, b);
    }
    side = -side;
}

void FortressBoss::Launch() {
    static constexpr int kRow[3] = {0, 2, 1};
    const float fy = y - (0.53f - 0.235f * static_cast<float>(kRow[counter % 3])) * halfHeight;
    bool any = false;
    for (std::uint32_t s = 0; s < 2; ++s) {
        const int sl = TakeChildSlot(context, context->enemyHitPoints[15], -1.2f, false);
        if (sl < 0) break;
        auto* f = new Figure(context);
        f->SetStart(s == 1 ? x + 0.85f * halfWidth : x - 0.85f * halfWidth, fy, s, counter % 3);
        f->AttachSlot(static_cast<std::uint32_t>(sl));
        Add(context, f);
        ++launched;
        any = true;
    }
    if (any) counter = (counter + 1) % 3;
}

void FortressBoss::Move(float ft) {
    const std::uint32_t now = context->timeNow;
    if (state == 0) {
        y += 0.0002f * ft;
        if (y > -0.45f) {
            y = -0.45f;
            anchorX = x;
            anchorY = y;
            state = 1;
            nextVolley = now + 1000;
            lastLaunch = now;
        }
        return;
    }
    amplitude += 0.0005f * ft;
    if (amplitude > 1.0f) amplitude = 1.0f;
    t += 0.001f * ft;
    x = anchorX + 0.3f * amplitude * std::sin(t);
    y = anchorY + 0.07f * amplitude * std::cos(3.0f * t);
    if (Before(nextVolley, now)) {
        Volley();
        nextVolley = now + (++volleyCount % 2 == 1 ? 600 : 1200);
    }
    if (now - lastLaunch > 100) {
        lastLaunch = now;
        Launch();
    }
}

void FortressBoss::Publish() {
    context->bossLink.boss4X = x;
    context->bossLink.boss4Y = y;
}

Figure::Figure(GameContext* ctx) : MyObject(ctx) {
    name = kFufig;
    order = 60;
    visible = 1;
    aspect = Aspect(ctx);
}

void Figure::SetStart(float px, float py, std::uint32_t s, std::uint32_t r) {
    x = startX = px;
    y = py;
    side = s;
    row = r;
    heading = s == 1 ? kPi * 0.5f : -kPi * 0.5f;
}

void Figure::AttachSlot(std::uint32_t s) { slot = s; }

std::int32_t Figure::FrameMove() {
    if (!GameRunning(context) || dead) return 0;
    const float ft = static_cast<float>(context->frameTimeAverage);
    HitSlot& s = context->enemySlots[slot];
    if (context->gameStartPending || context->bossLink.boss4Done) {
        FreeHitSlot(s);
        dead = 1;
        return 0;
    }
    // Outward, a U-turn down and back, then a quarter turn down the field.
    const float turnSign = side == 1 ? 1.0f : -1.0f;
    const float dx = std::sin(heading), dy = -std::cos(heading);
    x += dx * 0.001f * ft;
    y += dy * 0.001333f * ft;
    const float along = std::fabs(dx * 0.001f * ft);
    switch (state) {
        case 0:
            travelled += along;
            if (travelled >= 0.4f) state = 1;
            break;
        case 1:
        case 3: {
            const float limit = state == 1 ? kPi : kPi * 0.5f;
            const float step = 0.008f * ft;
            turned += step;
            heading += (state == 1 ? turnSign : -turnSign) * step;
            if (turned >= limit) {
                heading -= (state == 1 ? turnSign : -turnSign) * (turned - limit);
                turned = 0;
                travelled = 0;
                state = state == 1 ? 2 : 4;
            }
            break;
        }
        case 2: {
            const float past = side == 1 ? startX - x : x - startX;
            if (past >= static_cast<float>(row + 1) * 0.1f) state = 3;
            break;
        }
        default:
            if (x < -0.8f || x > 1.0f || y < -1.0f || y > 1.0f) {
                FreeHitSlot(s);
                dead = 1;
                return 0;
            }
            break;
    }
    const float hy = 0.04f * aspect * 1.3333333f;  // square on the screen
    SetBox(s, x - 0.04f, x + 0.04f, y - hy, y + hy);
    const float px = 0.04f * static_cast<float>(context->screenWidth);
    PlaceQuad(quad, PixelX(context, x), PixelY(context, y), px, px, heading + kPi);
    Texels(quad, layout::kBoss4Figure);
    SetVertexLook(quad, 6, 0xffffffff, 0.5f);
    if (s.active && !s.destroyed) return 0;
    FreeHitSlot(s);
    dead = 1;
    Blast(context, x, y + 0.04f, 1.3f * 0.04f, 1, 1);
    context->score += context->enemyHitPoints[13];
    RequestSound(context, kGame0Explo);
    return 0;
}

std::int32_t Figure::Render() {
    if (!GameRunning(context)) return 0;
    SubmitSprite(context, asset::BigBoss4, quad, 2, 2.5775f);
    return 0;
}

}  // namespace dw
