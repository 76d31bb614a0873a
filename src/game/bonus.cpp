#include "game/bonus.h"

#include <cstdlib>

#include "core/game_context.h"
#include "render/render_queue.h"
#include "assets/asset_names.h"
#include "assets/sound.h"

namespace dw {

namespace {

constexpr char kObjectName[] = "bonus";

struct KindLook {
    float u, v;
    std::uint32_t frames, perRow;
};

constexpr std::uint32_t kWeights[11] = {40, 40, 50, 50, 50, 50, 20, 20, 40, 5, 25};
constexpr std::uint32_t kSurpriseWeights[9] = {40, 40, 50, 50, 50, 50, 20, 25, 5};
constexpr KindLook kLooks[11] = {
    {0.0f, 0.562f, 16, 16}, {0.0f, 0.5f, 16, 16},    {0.0f, 0.625f, 8, 8},    {0.5f, 0.625f, 8, 8},
    {0.5f, 0.25f, 8, 8},    {0.5f, 0.3125f, 8, 8},   {0.0f, 0.6875f, 16, 16}, {0.0f, 0.4375f, 16, 16},
    {0.0f, 0.75f, 16, 16},  {0.0f, 0.8125f, 32, 16}, {0.0f, 0.375f, 16, 16},
};

template <std::size_t N>
std::uint32_t Pick(const std::uint32_t (&weights)[N], std::uint32_t r) {
    for (std::uint32_t k = 0; k < N; ++k) {
        if (r < weights[k]) return k;
        r -= weights[k];
    }
    return N - 1;
}

}  // namespace

Bonus::Bonus(GameContext* ctx) : MyObject(ctx) {
    name = kObjectName;
    order = 71;
    visible = 1;
    alive = 1;
    halfSize = 0.025f;
    SetKind(KindForDraw(static_cast<std::uint32_t>(context->random.Next()) % 390));
}

std::uint32_t Bonus::KindForDraw(std::uint32_t r) { return Pick(kWeights, r); }
std::uint32_t Bonus::SurpriseEffectForDraw(std::uint32_t r) { return Pick(kSurpriseWeights, r); }

void Bonus::SetKind(std::uint32_t k) {
    kind = k > 10 ? 10 : k;
    const KindLook& look = kLooks[kind];
    uBase = look.u;
    vBase = look.v;
    frameCount = look.frames;
    framesPerRow = look.perRow;
    frame = 0;
    effect = kind == 10 ? SurpriseEffectForDraw(static_cast<std::uint32_t>(context->random.Next()) % 330) : kind;
    BuildQuad();
    PublishKind();
}

void Bonus::PublishKind() {
    if (attached_) context->bonusSlots[slot].deadly = kind == kSkullKind ? 1 : 0;
}

void Bonus::SetStart(float sx, float sy) {
    x = startX = sx;
    y = sy;
    BuildQuad();
}

void Bonus::AttachSlot(std::uint32_t s) {
    slot = s < kBonusSlots ? s : 0;
    attached_ = true;
    PublishKind();
}

void Bonus::BuildQuad() {
    const float w = static_cast<float>(context->screenWidth);
    const float h = static_cast<float>(context->screenHeight);
    const float cx = (x + 1) / 2 * w;
    const float cy = (y + 1) / 2 * h;
    const float side = halfSize * w;
    const std::uint32_t c = frame % framesPerRow;
    const std::uint32_t r = frame / framesPerRow;
    const float u0 = uBase + 0.0625f * static_cast<float>(c);
    const float v0 = vBase + 0.0625f * static_cast<float>(r);
    SetQuadPixels(vertices_, cx - side / 2, cy - side / 2, side, side, u0 + 0.001f, u0 + 0.062f, v0 + 0.001f,
                  v0 + 0.062f);
    for (ScreenVertex& v : vertices_) {
        v.z = 0.5f;
        v.rhw = 1.0f;
        v.diffuse = colour;
    }
}

void Bonus::ApplyEffect() {
    GameContext* ctx = context;
    const char* sound = nullptr;
    switch (effect) {
        case 0:
            if (ctx->laserLevel >= 3) {
                sound = asset::GameEndwep;
            } else {
                ++ctx->laserLevel;
                sound = asset::GameEnergy;
            }
            break;
        case 1:
            if (ctx->plasmaLevel >= 2) {
                sound = asset::GameEndwep;
            } else {
                ++ctx->plasmaLevel;
                sound = asset::GamePlasma;
            }
            break;
        case 2:
            ctx->score += 300;
            sound = asset::GameRubins;
            break;
        case 3:
            ctx->score += 500;
            sound = asset::GameTopaze;
            break;
        case 4:
            ctx->score += 600;
            sound = asset::GameDiamon;
            break;
        case 5:
            ctx->score += 750;
            sound = asset::GameIzumru;
            break;
        case 6:
            ctx->shieldRequest = 1;
            sound = asset::GameShield;
            break;
        case 7:
            ctx->energyGain += 120;
            sound = asset::GameHealth;
            break;
        case 8:
            ctx->rockets += 10;
            sound = asset::GameGetroc;
            break;
        case 9:
            ctx->shipRemoveRequest = 1;
            sound = asset::Game0Death;
            break;
        default: break;
    }
    if (sound) PlaySound(ctx, sound);
}

std::int32_t Bonus::FrameMove() {
    GameContext* ctx = context;
    if (!ctx->mouseActive || ctx->currentScreen != Screen::Game || !alive) return 0;
    const float ft = static_cast<float>(ctx->frameTimeAverage);
    BonusSlot& s = ctx->bonusSlots[slot];

    while (framePhase >= 1) {
        framePhase -= 1;
        frame = frame + 1 >= frameCount ? 0 : frame + 1;
    }
    framePhase += ft * 0.03f;
    y += ft * 0.0007f;
    if (y >= 1.0f || ctx->gameStartPending) {
        dead = 1;
        s.active = 0;
        s.taken = 0;
        s.taken2 = 0;
    }
    BuildQuad();
    s.boxMin[0] = x - halfSize;
    s.boxMin[1] = y - halfSize;
    s.boxMax[0] = x + halfSize;
    s.boxMax[1] = y + halfSize;

    if (s.active && !s.taken) return 0;
    dead = 1;
    alive = 0;
    if (s.taken2) ApplyEffect();
    s.active = 0;
    s.taken = 0;
    s.taken2 = 0;
    return 0;
}

std::int32_t Bonus::Render() {
    GameContext* ctx = context;
    if (!ctx->mouseActive || ctx->currentScreen != Screen::Game || !ctx->renderQueue) return 0;
    // Drawn over the battlefield in depth-key order.
    SubmitSprite(ctx, asset::Ship1Tex, vertices_, 2, 1.95f);
    return 0;
}

}  // namespace dw
