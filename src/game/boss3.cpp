#include "game/boss3.h"

#include <cmath>

#include "game/bosses_common.h"
#include "platform/game_math.h"

namespace dw {

using namespace bosskit;

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
    SetBody(layout::kBoss3Body);
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
    const std::uint32_t now = context->playTimeNow;
    switch (state) {
        case kFalling:
            y += 0.0002f * ft;
            bodyAngle += 0.0007f * ft;
            if (bodyAngle >= target) target += kThird;
            if (y > -0.4f) {
                y = -0.4f;
                // Come to rest on the next three-fold position ahead.
                target = (std::floor(bodyAngle / kThird) + 1.0f) * kThird;
                state = kComingToRest;
            }
            break;
        case kComingToRest:
            if (TurnTo(ft, 0.0007f)) {
                ArmGeometry();
                state = kArming;
            }
            break;
        case kArming:
            volleys = 0;
            nextVolley = now + 1000;
            OwnSlot().shotProof = 1;
            state = kSalvo;
            break;
        case kSalvo:
            glowPhase += 0.018f * ft;
            if (volleys < 4) {
                if (Before(nextVolley, now)) {
                    Volley();
                    nextVolley = now + (++volleys < 4 ? 300 : 500);
                }
            } else if (Before(nextVolley, now)) {
                OwnSlot().shotProof = 0;
                target += kThird;
                state = kTurning;
            }
            break;
        default:
            if (TurnTo(ft, 0.0009f)) {
                ArmGeometry();
                state = kArming;
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
    const bool resting = state == kArming || state == kSalvo;
    for (int i = 0; i < 6 && resting; ++i) put(armX[i], armY[i], light, 0xffffe0a0);
    for (int i = 0; i < 6 && resting; ++i) {
        const float pulse = state == kSalvo ? 0.02f * gm::Sin(static_cast<float>(i % 2) * kPi + glowPhase) : 0.0f;
        put(emitX[i] + emitDX[i] * pulse, emitY[i] + emitDY[i] * pulse, light * 0.7f, 0xffff3070);
    }
    static constexpr int kBeams[3][2] = {{0, 3}, {2, 5}, {4, 1}};
    for (int b = 0; b < 3 && state == kSalvo; ++b)
        for (int p = 1; p <= 10; ++p) {
            const float f = static_cast<float>(p) / 11.0f;
            const int a = kBeams[b][0], c = kBeams[b][1];
            put(armX[a] + (armX[c] - armX[a]) * f, armY[a] + (armY[c] - armY[a]) * f, light * 0.45f, 0xffff88bb);
        }
    for (; q < 42; ++q) SetVertexLook(lights + 6 * q, 6, 0, 0.5f);
}

void CloudBoss::RenderParts() {
    const bool resting = state == kArming || state == kSalvo;
    if (!resting) return;
    SubmitSprite(context, sheet, lights, state == kSalvo ? 84 : 24, 2.5785f, kBlendSource, kBlendAdd);
}
}  // namespace dw
