#include "game/boss.h"

#include <cmath>

#include "game/bosses_common.h"
#include "platform/game_math.h"

namespace dw {

using namespace bosskit;

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
    // The bar's frame, then the bar in its trough (the frame's art holds the
    // trough exactly where the bar lies at full health).
    const auto& f = bosskit::layout::kBossHealthFrame;
    SetQuadScreen(panel + 6, -0.535f, -0.105f, -0.925f, -0.845f, (static_cast<float>(f.x) + 0.5f) / 512.0f,
                  (static_cast<float>(f.x + f.w) - 0.5f) / 512.0f, (static_cast<float>(f.y) + 0.5f) / 512.0f,
                  (static_cast<float>(f.y + f.h) - 0.5f) / 512.0f);
    SetQuadScreen(panel + 12, -0.52f, -0.52f + BarWidth(), -0.905f, -0.865f, 0.964f, 0.999f, 0.952f, 0.999f);
    SetVertexLook(panel, 18, 0xffffffff, 0.2f);
}

void Boss::SetBody(const assetgen::layout::Rect& cell) {
    constexpr float kSheet = 512.0f, kInset = 0.001f;
    bodyU[0] = cell.x / kSheet + kInset;
    bodyU[1] = (cell.x + cell.w) / kSheet - kInset;
    bodyU[2] = cell.y / kSheet + kInset;
    bodyU[3] = (cell.y + cell.h) / kSheet - kInset;
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

void Boss::WriteHitBox() { SetBox(OwnSlot(), x - halfWidth, x + halfWidth, y - halfHeight, y + halfHeight); }

bool Boss::Glide(float ft, float speed) {
    const float span = gx1 - gx0;
    if (span == 0) return true;
    const float a = (x - gx0) * 2.6179938f / span + 0.2617994f;
    const float step = gm::Sin(a) * ft * speed;
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
        Blast(context, x + 0.4f * d * gm::Sin(t), y + 0.3f * hh + 0.5f * d * gm::Cos(t), size, 5, 1,
              150u * static_cast<std::uint32_t>(n));
    }
    context->score += 100000;
    RequestSound(context, SoundSlot::Game2Explo);
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
    SubmitSprite(context, sheet, panel, 6, 1.71f);
    return 0;
}
}  // namespace dw
