#include "game/boss4.h"

#include <cmath>

#include "game/bosses_common.h"
#include "platform/game_math.h"

namespace dw {

using namespace bosskit;

// --- boss 4 ---------------------------------------------------------------------

FortressBoss::FortressBoss(GameContext* ctx) : Boss(ctx, kBigbos4, asset::BigBoss4, &ctx->bossLink.boss4Done) {
    halfWidth = 0.32f;
    halfHeight = 0.4502f;
    BossLink& l = ctx->bossLink;
    l.boss4Done = 0;
    l.boss4X = x;
    l.boss4Y = y;
    SetBody(layout::kBoss4Body);
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
    const std::uint32_t now = context->playTimeNow;
    if (state == kFalling) {
        y += 0.0002f * ft;
        if (y > -0.45f) {
            y = -0.45f;
            anchorX = x;
            anchorY = y;
            state = kHovering;
            nextVolley = now + 1000;
            lastLaunch = now;
        }
        return;
    }
    amplitude += 0.0005f * ft;
    if (amplitude > 1.0f) amplitude = 1.0f;
    t += 0.001f * ft;
    x = anchorX + 0.3f * amplitude * gm::Sin(t);
    y = anchorY + 0.07f * amplitude * gm::Cos(3.0f * t);
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
    // Gone with a new game, the boss's end or once off the field.
    if (context->gameStartPending || context->bossLink.boss4Done || !FollowPath(ft)) {
        FreeHitSlot(s);
        dead = 1;
        return 0;
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
    RequestSound(context, SoundSlot::Game0Explo);
    return 0;
}

// Outward, a U-turn down and back, then a quarter turn down the field; false
// once it has left the field.
bool Figure::FollowPath(float ft) {
    const float turnSign = side == 1 ? 1.0f : -1.0f;
    const float dx = gm::Sin(heading), dy = -gm::Cos(heading);
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
            if (x < -0.8f || x > 1.0f || y < -1.0f || y > 1.0f) return false;
            break;
    }
    return true;
}

std::int32_t Figure::Render() {
    if (!GameRunning(context)) return 0;
    SubmitSprite(context, asset::BigBoss4, quad, 2, 2.5775f);
    return 0;
}
}  // namespace dw
