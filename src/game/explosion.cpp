#include "game/explosion.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "assets/sprite_layout.h"
#include "core/game_context.h"
#include "engine/list_engine.h"
#include "game/sprite_util.h"
#include "assets/asset_names.h"
#include "platform/game_math.h"

namespace dw {

namespace {
constexpr const char kExploName[] = "explo";
constexpr const char kFragmentName[] = "fpart";
constexpr float kShotSheet = 512.0f;
constexpr float kVertexZ = 0.3f;

void TextureFromRect(ScreenVertex* b, const assetgen::layout::Rect& r, float sheet) {
    SetQuadTexture(b, (r.x + 0.5f) / sheet, (r.x + r.w - 0.5f) / sheet, (r.y + 0.5f) / sheet,
                   (r.y + r.h - 0.5f) / sheet);
}

// Opaque warm colour: red high, green varying, blue low.
std::uint32_t WarmColour(Random& random) {
    const std::uint32_t r = 230 + static_cast<std::uint32_t>(random.Next() % 26);
    const std::uint32_t g = 120 + static_cast<std::uint32_t>(random.Next() % 120);
    const std::uint32_t b = static_cast<std::uint32_t>(random.Next() % 60);
    return 0xff000000u | (r << 16) | (g << 8) | b;
}
// With reduced flashes a blast's light (its flash, fireball and sprite) and
// its fragments' sparks are drawn at an eighth of their opacity. Blasts come
// in chains that overlap, and layers laid over one another add up (eight at
// an eighth cover two thirds): at an eighth the brightest frame of a boss's
// death brightens the field about a quarter as much as at full strength, or
// less (bench/flash_rise.sh measures it; docs/DECISIONS.md has the figures).
constexpr std::uint32_t kReducedAlpha = 0x20;
constexpr float kReducedStrength = static_cast<float>(kReducedAlpha) / 255.0f;

std::uint32_t FlashStrength(const GameContext* ctx, std::uint32_t colour) {
    return ctx->display.reduceFlashes ? (colour & 0x00FFFFFFu) | (kReducedAlpha << 24) : colour;
}
}  // namespace

Explosion::Explosion(GameContext* ctx) : MyObject(ctx) {
    name = kExploName;
    order = 80;
    visible = 1;
    sign = (context->random.Next() % 2) ? 1.0f : -1.0f;
    SetVertexLook(flashQuad, 6, 0xffffffff, kVertexZ);
    SetVertexLook(fireQuad, 6, 0xffffffff, kVertexZ);
    SetVertexLook(blastQuad, 6, 0xffffffff, kVertexZ);
    TextureFromRect(flashQuad, assetgen::layout::kShotExploFlash, kShotSheet);
    TextureFromRect(fireQuad, assetgen::layout::kShotFireball, kShotSheet);
}

void Explosion::Setup(float px, float py, float s, std::uint32_t kind, std::uint8_t f) {
    x = px;
    y = py;
    size = s;
    flag = f;
    started = 1;
    waiting = 1;
    fragments = kind == 0 ? 0 : kind - 1 + static_cast<std::uint32_t>(context->random.Next() % 3);
    Layout();
}

void Explosion::SetDelay(std::uint32_t ms) { startTime = context->playTimeNow + ms; }

void Explosion::Layout() {
    const float cx = PixelX(context, x), cy = PixelY(context, y);
    const float sw = static_cast<float>(context->screenWidth);
    PlaceQuad(flashQuad, cx, cy, sw * size * phase * 15.0f, sw * size * phase * 15.0f);
    PlaceQuad(fireQuad, cx, cy, sw * size * phase * 1.1f, sw * size * phase * 1.1f);
    float side = sw * size * 0.95f;
    std::uint32_t tint = 0xffffffff;
    if (phase > 1.3f) {
        side = (0.7f - (phase - 1.3f) * 0.62f) * size * sw;
        const float dark = 1.0f - (phase - 1.3f) / 0.7f * 0.6f;
        const auto c = static_cast<std::uint32_t>(255.0f * (dark < 0.4f ? 0.4f : dark));
        tint = 0xff000000u | (c << 16) | (c << 8) | c;
    }
    PlaceQuad(blastQuad, cx, cy, side, side, spin * sign);
    int cell = static_cast<int>(phase * 18.0f);
    if (cell > 35) cell = 35;
    if (cell < 0) cell = 0;
    const int column = cell % 6, row = cell / 6;  // the cell of the 6 x 6 sheet
    const float u0 = static_cast<float>(column) / 6.0f, v0 = static_cast<float>(row) / 6.0f;
    SetQuadTexture(blastQuad, u0 + 0.001f, u0 + 0.166f, v0 + 0.001f, v0 + 0.166f);
    SetVertexLook(blastQuad, 6, FlashStrength(context, tint), kVertexZ);
}

std::int32_t Explosion::FrameMove() {
    if (context->gameStartPending) {
        dead = 1;
        return 0;
    }
    if (!GameRunning(context)) return 0;
    if (started && waiting && startTime < context->playTimeNow) {
        waiting = 0;
        for (std::uint32_t n = 0; n < fragments; ++n) {
            const float a = static_cast<float>(context->random.Next() % 360) * kDegree;
            const float r = static_cast<float>(context->random.Next() % 5) * 0.1f + 0.8f;
            auto* part = new Fragment(context);
            part->StartEmitter(0, 0, 0xffffffff, 10, 300, 1.0f, 0, asset::ShotTex, 0, 8, 8, 1, 0.75f, 0.75f, 0.25f,
                               0.25f, x + r * gm::Sin(a) * size * 0.3f, y + r * gm::Cos(a) * size * 0.3f, 0.4f);
            part->SetMotion(gm::Sin(a), gm::Cos(a), size * 0.23f);
            context->objectList->AddObject(part);
        }
    }
    if (!started || waiting) return 0;
    const float ft = static_cast<float>(context->frameTimeAverage);
    if (phase > 2.0f) {
        dead = 1;
        return 0;
    }
    Layout();
    if (phase < 0.1f) SetVertexLook(flashQuad, 6, FlashStrength(context, WarmColour(context->random)), kVertexZ);
    if (phase < 1.0f) SetVertexLook(fireQuad, 6, FlashStrength(context, WarmColour(context->random)), kVertexZ);
    spin += ft * 0.003f;
    phase += ft * 0.0025f;
    return 0;
}

std::int32_t Explosion::Render() {
    if (!GameRunning(context) || !started || waiting) return 0;
    if (phase < 0.5f) SubmitSprite(context, asset::ShotTex, flashQuad, 2, 2.35f + 0.05f * phase);
    if (flag == 1 && phase < 1.0f) SubmitSprite(context, asset::ShotTex, fireQuad, 2, 2.33f + 0.05f * phase);
    SubmitSprite(context, asset::ExploTex, blastQuad, 2, 2.31f + 0.05f * phase);
    return 0;
}

Fragment::Fragment(GameContext* ctx) : SpriteEmitter(ctx, 40) {
    name = kFragmentName;
    order = 81;
    visible = 1;
}

void Fragment::SetMotion(float mx, float my, float s) {
    dx = mx;
    dy = my;
    size = s;
    birth = context->playTimeNow;
}

std::int32_t Fragment::MoveEmitter() {
    if (!active) return 0;
    if (context->gameStartPending) {
        dead = 1;
        return 0;
    }
    if (!GameRunning(context)) return 0;
    const std::uint32_t age = context->playTimeNow - birth;
    if (!stopped && age < 400) {
        const float t = static_cast<float>(age) / 400.0f;
        const float ft = static_cast<float>(context->frameTimeAverage);
        scale = 1.0f - 0.9f * t;
        if (t > 0.1f) {
            const float k = t - 0.1f;
            const auto r = static_cast<std::uint32_t>(255.0f - 40.0f * k);
            const auto g = static_cast<std::uint32_t>(255.0f - 50.0f * k);
            const auto b = static_cast<std::uint32_t>(255.0f - 240.0f * k);
            sparkColour = 0xff000000u | (r << 16) | (g << 8) | b;
        }
        const float nx = position[0] + ft * dx * size * 0.0075f;
        const float ny = position[1] + ft * dy * size * 0.0075f + ft * size * t * 0.0035f;
        EmitAlong(nx, ny, position[2]);
    } else {
        stopped = 1;
    }
    if (stopped) {
        bool any = false;
        for (std::uint32_t i = 0; i < capacity; ++i) any = any || particles[i].alive;
        if (!any) dead = 1;
    }
    return 0;
}

std::int32_t Fragment::InitParticle(std::uint32_t i) {
    // The spark keeps the fragment's scale and colour of its birth.
    float s = scale;
    static_assert(sizeof(float) == sizeof(std::uint32_t));
    std::uint32_t bits;
    std::memcpy(&bits, &s, sizeof bits);
    particles[i].word[0] = bits;
    particles[i].word[1] = sparkColour;
    UpdateParticle(i);
    return 0;
}

std::int32_t Fragment::UpdateParticle(std::uint32_t i) {
    float s;
    std::memcpy(&s, &particles[i].word[0], sizeof s);
    const float age = static_cast<float>(AgeOf(i)) / static_cast<float>(lifetime ? lifetime : 1);
    const float side = static_cast<float>(context->screenWidth) * size * 0.5f * s * (1.0f - 0.8f * age);
    PlaceParticle(i, side, side);
    // Fades out with age: alpha falls, the colour stays. With reduced
    // flashes the sparks glow at an eighth, as the blast does.
    const float strength = context->display.reduceFlashes ? kReducedStrength : 1.0f;
    const auto alpha = static_cast<std::uint32_t>(255.0f * strength * (1.0f - age * 0.7f));
    ColourParticle(i, (particles[i].word[1] & 0x00ffffffu) | (alpha << 24));
    return 0;
}

std::int32_t Fragment::Render() {
    if (!GameRunning(context)) return 0;
    SubmitParticles(2.3f);
    return 0;
}

}  // namespace dw
