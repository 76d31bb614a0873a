#include "game/boss0.h"

#include <cmath>

#include "game/bosses_common.h"
#include "platform/game_math.h"

namespace dw {

using namespace bosskit;

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
    SetBody(layout::kBoss0Body);
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
    const std::uint32_t now = context->playTimeNow;
    switch (bayState) {
        case kBayWaiting:
            for (auto b : l.ballPresent)
                if (!b) {
                    bayState = kBayOpening;
                    break;
                }
            break;
        case kBayOpening:
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
                bayState = kBayOpen;
                bayTime = now + 500;
            }
            break;
        case kBayOpen:
            if (Before(bayTime, now)) bayState = kBayClosing;
            break;
        case kBayClosing:
            bayOpen -= 0.0009f * ft;
            if (bayOpen <= 0) {
                bayOpen = 0;
                bayState = kBayClosed;
                bayTime = now + 1000;
            }
            break;
        default:
            if (Before(bayTime, now)) bayState = kBayWaiting;
            break;
    }
}

void CarrierBoss::Move(float ft) {
    const std::uint32_t now = context->playTimeNow;
    switch (state) {
        case kFalling:
            y += 0.0002f * ft;
            if (y > -0.5f) state = kNewLeg;
            break;
        case kNewLeg: {
            float target;
            do target = context->random.Below(102) * 0.01f - 0.4f;
            while (std::fabs(x - target) < 0.3f);
            gx0 = x;
            gx1 = target;
            state = kGliding;
            break;
        }
        case kGliding:
            if (Glide(ft, 0.00039f)) {
                state = kFiring;
                volleys = 0;
                stateTime = now + 300;
            }
            break;
        case kFiring:
            if (Before(stateTime, now)) {
                Volley();
                stateTime = now + 300;
                if (++volleys >= 3) {
                    state = kPausing;
                    stateTime = now + 700;
                }
            }
            break;
        default:
            if (Before(stateTime, now)) state = kNewLeg;
            break;
    }
    // The bay is a cycle of its own: it runs from the arrival, during the fall too.
    RunBay(ft);
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
    RequestSound(context, SoundSlot::Game1Explo);
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
    const float r = 0.56f * ring * aspect * (1.0f - (1.0f - 0.75f / aspect) * std::fabs(gm::Sin(a)));
    x = anchorX - r * gm::Sin(a);
    y = anchorY + r * gm::Cos(a);
    spin -= 0.0024f * ft;
    const float big = 0.28f * ring * aspect * static_cast<float>(context->screenHeight);
    const float side = 0.075f * static_cast<float>(context->screenWidth);
    PlaceQuad(quad, PixelX(context, anchorX) - big * gm::Sin(a), PixelY(context, anchorY) + big * gm::Cos(a), side,
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
}  // namespace dw
