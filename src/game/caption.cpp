#include "game/caption.h"

#include "core/game_context.h"
#include "render/render_queue.h"
#include "assets/asset_names.h"
#include "assets/sound.h"

namespace dw {

namespace {

constexpr char kObjectName[] = "gtext";

struct Glyph {
    float w, u0, u1, v0, v1;
};
constexpr Glyph kNumberGlyphs[10] = {
    {0.1358f, 0.018f, 0.113f, 0.131f, 0.248f}, {0.1386f, 0.121f, 0.219f, 0.131f, 0.248f},
    {0.1358f, 0.227f, 0.322f, 0.131f, 0.248f}, {0.1358f, 0.33f, 0.426f, 0.131f, 0.248f},
    {0.1358f, 0.016f, 0.111f, 0.26f, 0.377f},  {0.1386f, 0.119f, 0.217f, 0.26f, 0.377f},
    {0.1386f, 0.225f, 0.322f, 0.26f, 0.377f},  {0.1414f, 0.33f, 0.43f, 0.26f, 0.377f},
    {0.1414f, 0.016f, 0.115f, 0.391f, 0.508f}, {0.2387f, 0.125f, 0.293f, 0.391f, 0.508f},
};

const Glyph& GlyphOf(std::uint32_t number) { return kNumberGlyphs[number < 10 ? number : 9]; }

// Mode-3 motion: rising to the hold point, holding, leaving.
constexpr float kHoldPoint = -0.1f;
constexpr std::uint32_t kHoldTime = 800;

}  // namespace

Caption::Caption(GameContext* ctx) : MyObject(ctx) {
    name = kObjectName;
    order = 55;
    visible = 1;
}

float Caption::NumberWidth(std::uint32_t n) { return GlyphOf(n).w; }
float Caption::NumberLeft(std::uint32_t n) { return 0.15f - (NumberWidth(n) + 0.75f) / 2; }

void Caption::SetMode(CaptionMode m, std::uint32_t n) {
    mode = m;
    number = n;
    timer = 0;
    position = 0;
    stage = 0;
    if (mode == CaptionMode::LevelNumber) position = -1.2f;
    Layout();
}

std::int32_t Caption::RestoreDeviceObjects() {
    Layout();
    return 0;
}

void Caption::Layout() {
    const float p = position;
    ScreenVertex* a = vertices_;
    ScreenVertex* b = vertices_ + 6;
    switch (mode) {
        case CaptionMode::LevelComplete:
            SetQuadScreen(a, -0.2f, 0.5f, -0.25f - 0.95f * p, -0.05f - 0.95f * p, 0.004f, 0.496f, 0.004f, 0.121f);
            SetQuadScreen(b, -0.447f, 0.747f, 0.05f + 0.95f * p, 0.25f + 0.95f * p, 0.004f, 0.844f, 0.875f, 0.992f);
            break;
        case CaptionMode::Picture:
            SetQuadScreen(a, -0.44f, 0.66f, -0.367f, 0.367f, 0.001f, 0.999f, 0.001f, 0.492f);
            break;
        case CaptionMode::LevelNumber: {
            const Glyph& g = GlyphOf(number);
            const float left = NumberLeft(number);
            SetQuadScreen(a, left, left + 0.7f, p, p + 0.2f, 0.004f, 0.496f, 0.004f, 0.121f);
            SetQuadScreen(b, left + 0.75f, left + 0.75f + g.w, p, p + 0.2f, g.u0, g.u1, g.v0, g.v1);
            break;
        }
        case CaptionMode::ClosingPicture: {
            const float w = static_cast<float>(context->screenWidth);
            const float h = static_cast<float>(context->screenHeight);
            SetQuadPixels(a, 0.555f * w - w / 4, h / 2 - w / 8, w / 2, w / 4, 0.001f, 0.999f, 0.501f, 0.992f);
            break;
        }
        case CaptionMode::GameOver:
            SetQuadScreen(a, -0.172f, 0.472f, 0.95f * p - 1.2f, 0.95f * p - 1.0f, 0.523f, 0.977f, 0.004f, 0.123f);
            SetQuadScreen(b, -0.172f, 0.472f, 1.0f - 0.95f * p, 1.2f - 0.95f * p, 0.523f, 0.977f, 0.135f, 0.254f);
            break;
        default: break;
    }
    for (ScreenVertex& v : vertices_) {
        v.z = 0.5f;
        v.rhw = 1.0f;
        v.diffuse = 0xffffffff;
    }
}

std::int32_t Caption::FrameMove() {
    GameContext* ctx = context;
    if (!Known(mode) || ctx->gameStartPending) {
        dead = 1;
        return 0;
    }
    if (!ctx->mouseActive || ctx->currentScreen != Screen::Game) return 0;
    const std::uint32_t ft = ctx->frameTimeAverage;
    const float step = static_cast<float>(ft);
    timer += ft;
    switch (mode) {
        case CaptionMode::LevelComplete:
            if (timer > 1500) {
                position += step * 0.002f;
                if (position >= 1.0f) dead = 1;
            }
            break;
        case CaptionMode::Picture:
            if (timer > 10000) dead = 1;
            break;
        case CaptionMode::LevelNumber: MoveLevelNumber(step); break;
        case CaptionMode::ClosingPicture:
            if (timer > 19000) dead = 1;
            break;
        case CaptionMode::GameOver: MoveGameOver(step); break;
        default: break;
    }
    Layout();
    return 0;
}

// In from the left, held at the middle, then out to the right.
void Caption::MoveLevelNumber(float step) {
    if (stage == 0) {
        position += step * 0.0009f;
        if (position >= kHoldPoint) {
            position = kHoldPoint;
            stage = 1;
            timer = 0;
        }
    } else if (stage == 1) {
        if (timer > kHoldTime) stage = 2;
    } else {
        position += step * 0.0009f;
        if (position >= 1.0f) dead = 1;
    }
}

// In, with its sound once it stands, then gone after a while.
void Caption::MoveGameOver(float step) {
    if (stage == 0) {
        position += step * 0.002f;
        if (position >= 1.0f) {
            position = 1.0f;
            stage = 1;
            timer = 0;
            PlaySound(context, asset::GameGameov);
        }
    } else if (timer > 2500) {
        dead = 1;
    }
}

std::int32_t Caption::Render() {
    GameContext* ctx = context;
    if (!ctx->mouseActive || ctx->currentScreen != Screen::Game || !ctx->renderQueue) return 0;
    if (!Known(mode)) return 0;
    const bool picture = mode == CaptionMode::Picture || mode == CaptionMode::ClosingPicture;
    // Drawn over the battlefield in depth-key order.
    SubmitSprite(ctx, picture ? asset::Help3Tex : asset::Help4Tex, vertices_, picture ? 2 : 4, 1.85f);
    return 0;
}

}  // namespace dw
