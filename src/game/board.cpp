#include "game/board.h"

#include <algorithm>
#include <cmath>

#include "assets/sprite_layout.h"
#include "core/game_context.h"
#include "render/render_queue.h"
#include "assets/asset_names.h"
#include "media/glyph_text.h"
#include "assets/sound.h"
#include "platform/game_math.h"

namespace dw {

namespace {

constexpr char kObjectName[] = "gbord";
namespace layout = assetgen::layout;

constexpr float kPi = 3.14159265f;

// Field units of a pixel position on the 800 x 600 layout the panel art uses.
float FieldX(float px) { return px / 400.0f - 1.0f; }
float FieldY(float py) { return py / 300.0f - 1.0f; }

void Texels(const layout::Rect& r, float& u0, float& u1, float& v0, float& v1) {
    u0 = static_cast<float>(r.x) / 512.0f;
    u1 = static_cast<float>(r.x + r.w) / 512.0f;
    v0 = static_cast<float>(r.y) / 512.0f;
    v1 = static_cast<float>(r.y + r.h) / 512.0f;
}

}  // namespace

Board::Board(GameContext* ctx) : MyObject(ctx) {
    name = kObjectName;
    order = 70;
    visible = 1;
    Layout();
    Refresh(true);
}

std::uint32_t Board::ShownRockets(std::uint32_t rockets) { return std::min<std::uint32_t>(rockets, 999); }
std::uint32_t Board::ShownScore(std::uint32_t score) { return std::min<std::uint32_t>(score, 9999999); }

std::uint32_t Board::FlashColour(float level) {
    const std::uint32_t red = static_cast<std::uint32_t>(85 + static_cast<int>(169 * level)) & 0xff;
    std::uint32_t gb = 0;
    if (level >= 0.75f) gb = static_cast<std::uint32_t>(static_cast<int>((level - 0.75f) * 1016)) & 0xff;
    return 0xff000000u | (red << 16) | (gb << 8) | gb;
}

void Board::PanelCover(float screenWidth, float& x0, float& x1) {
    const float panel = screenWidth / 8.0f;  // field x -1 .. -0.75
    x0 = panel * static_cast<float>(layout::kBoardPanelOpaqueFrom);
    x1 = panel * static_cast<float>(layout::kBoardPanelOpaqueTo);
}

std::uint32_t Board::IconsShown() const { return std::min<std::uint32_t>(context->shipsLeft, 3); }

void Board::Layout() {
    auto finish = [](ScreenVertex* v, int count) {
        for (int i = 0; i < count; ++i) {
            v[i].z = 0.5f;
            v[i].rhw = 1.0f;
            v[i].diffuse = 0xffffffff;
        }
    };
    float u0, u1, v0, v1;

    // Frame and panel.
    for (ScreenVertex& v : board_) v = ScreenVertex{};
    Texels(layout::kBoardPanel, u0, u1, v0, v1);
    SetQuadScreen(QuadOf(kPanel), -1.0f, -0.75f, -1.0f, 1.0f, u0, u1, v0, v1);
    Texels(layout::kBoardFrameH, u0, u1, v0, v1);
    SetQuadScreen(QuadOf(kTopStrip), -0.75f, 1.0f, -1.0f, -0.95f, u0, u1, v0, v1);
    SetQuadScreen(QuadOf(kBottomStrip), -0.75f, 0.962f, 0.95f, 1.0f, u0, u1, v1, v0);
    Texels(layout::kBoardFrameV, u0, u1, v0, v1);
    SetQuadScreen(QuadOf(kRightStrip), 0.962f, 1.0f, -0.95f, 1.0f, u0, u1, v0, v1);
    // The flash group: light trim down the panel's inner edge.
    Texels(layout::kBoardFlashTrim, u0, u1, v0, v1);
    SetQuadScreen(QuadOf(kFlash0), -0.765f, -0.75f, -0.95f, -0.3f, u0, u1, v0, v1);
    SetQuadScreen(QuadOf(kFlash1), -0.765f, -0.75f, -0.3f, 0.35f, u0, u1, v0, v1);
    SetQuadScreen(QuadOf(kFlash2), -0.765f, -0.75f, 0.35f, 0.95f, u0, u1, v0, v1);
    finish(board_, 6 * kBoardQuads);

    // Ship icons: a backing glow and the ship, three side by side.
    const layout::Rect& area = layout::kPanelShipIcons;
    const float side = static_cast<float>(area.w) / 3.0f;
    for (int i = 0; i < 3; ++i) {
        const float left = FieldX(static_cast<float>(area.x) + side * static_cast<float>(i));
        const float right = FieldX(static_cast<float>(area.x) + side * static_cast<float>(i + 1));
        const float top = FieldY(static_cast<float>(area.y));
        const float bottom = FieldY(static_cast<float>(area.y) + side);
        Texels(layout::kBoardShipIconBack, u0, u1, v0, v1);
        SetQuadScreen(icons_ + 12 * i, left, right, top, bottom, u0, u1, v0, v1);
        Texels(layout::kBoardShipIcon, u0, u1, v0, v1);
        SetQuadScreen(icons_ + 12 * i + 6, left, right, top, bottom, u0, u1, v0, v1);
    }
    finish(icons_, 6 * kIconQuads);

    // Digit strings.
    auto placeRun = [this](ScreenVertex* q, const layout::Rect& r, int places) {
        const float w = static_cast<float>(r.w) / static_cast<float>(places);
        for (int i = 0; i < places; ++i)
            SetQuadScreen(q + 6 * i, FieldX(static_cast<float>(r.x) + w * static_cast<float>(i)),
                          FieldX(static_cast<float>(r.x) + w * static_cast<float>(i + 1)),
                          FieldY(static_cast<float>(r.y)), FieldY(static_cast<float>(r.y + r.h)), 0, 0, 0, 0);
    };
    placeRun(digits_, layout::kPanelRocketsDigits, kRocketGlyphs);
    placeRun(digits_ + 6 * kRocketGlyphs, layout::kPanelScoreDigits, kScoreGlyphs);
    finish(digits_, 6 * (kRocketGlyphs + kScoreGlyphs));
}

void Board::BuildPulse() {
    const float s = 0.006f * gm::Sin(pulsePhase);
    SetQuadScreen(QuadOf(kPulseLight), -0.955f - s, s - 0.789f, 0.86f, 0.9f, 0.376f, 0.499f, 0.251f, 0.311f);
}

void Board::BuildBars(bool body, bool energy, bool laser, bool plasma) {
    GameContext* ctx = context;
    const float full = ctx->shipHitPoints ? static_cast<float>(ctx->shipHitPoints) : 1.0f;
    if (body)
        SetQuadScreen(QuadOf(kBodyBar), -0.958f, static_cast<float>(ctx->body) * 0.326f / full - 0.955f, -0.585f,
                      -0.56f, 0.531f, 0.532f, 0.069f, 0.118f);
    if (energy)
        SetQuadScreen(QuadOf(kEnergyBar), -0.958f, static_cast<float>(ctx->energy) * 0.326f / full - 0.955f, -0.472f,
                      -0.447f, 0.531f, 0.532f, 0.069f, 0.118f);
    if (laser)
        SetQuadScreen(QuadOf(kLaserBar), -0.84f, -0.82f, -0.07f - 0.0934f * static_cast<float>(ctx->laserLevel), -0.02f,
                      0.819f, 0.868f, 0.293f, 0.294f);
    if (plasma)
        SetQuadScreen(QuadOf(kPlasmaBar), -0.84f, -0.82f, 0.41f - 0.1625f * static_cast<float>(ctx->plasmaLevel),
                      0.415f, 0.819f, 0.868f, 0.293f, 0.294f);
}

void Board::WriteRockets() {
    ScreenVertex* q = digits_;
    ClearGlyphs(q, kRocketGlyphs);
    const std::uint32_t value = ShownRockets(context->rockets);
    const std::uint32_t digits = DecimalDigits(value);
    const std::uint32_t start = digits == 1 ? 1 : digits == 2 ? 3 : 0;
    SetGlyphNumber(q + 6 * start, value);
    // The second pod says what the number is: "7 left" reads at a glance
    // where the same number twice did not (docs/DECISIONS.md).
    SetGlyphText(q + 6 * 6, "left");
}

void Board::WriteScore() {
    ScreenVertex* q = digits_ + 6 * kRocketGlyphs;
    ClearGlyphs(q, kScoreGlyphs);
    const std::uint32_t value = ShownScore(context->score);
    SetGlyphNumber(q + 6 * (kScoreGlyphs - DecimalDigits(value)), value);
}

void Board::ApplyFlashColour() {
    const std::uint32_t colour = FlashColour(flashLevel);
    for (int i = 6 * kFlash0; i < 6 * (kFlash2 + 1); ++i) board_[i].diffuse = colour;
}

void Board::Refresh(bool all) {
    GameContext* ctx = context;
    if (all || pulseOn) BuildPulse();
    const bool body = all || ctx->body != shownBody;
    const bool energy = all || ctx->energy != shownEnergy;
    const bool laser = all || ctx->laserLevel != shownLaser;
    const bool plasma = all || ctx->plasmaLevel != shownPlasma;
    BuildBars(body, energy, laser, plasma);
    shownBody = ctx->body;
    shownEnergy = ctx->energy;
    shownLaser = ctx->laserLevel;
    shownPlasma = ctx->plasmaLevel;
    if (all || ctx->rockets != shownRockets) {
        WriteRockets();
        shownRockets = ctx->rockets;
    }
    const std::uint32_t total = ctx->energy + ctx->body;
    if (!all && total != lastTotal) {
        if (total < lastTotal) {
            flashOn = 1;
            flashLevel = 1.0f;
            if (total != 0) PlaySound(ctx, asset::GameDamage);
        }
        lastTotal = total;
    }
    if (all || ctx->score != shownScore) {
        WriteScore();
        shownScore = ctx->score;
    }
    ApplyFlashColour();
}

std::int32_t Board::RestoreDeviceObjects() {
    Layout();
    Refresh(true);
    return 0;
}

std::int32_t Board::FrameMove() {
    GameContext* ctx = context;
    if (!ctx->mouseActive || ctx->currentScreen != Screen::Game) return 0;
    const float ft = static_cast<float>(ctx->frameTimeAverage);
    if (pulseOn) {
        pulsePhase += ft * 0.004f;
        if (pulsePhase >= kPi) {
            pulsePhase = 0;
            pulseOn = 0;
        }
    } else {
        pulseWait += ft * 0.003f;
        if (pulseWait >= 1.0f) {
            pulseWait = 0;
            pulseOn = 1;
        }
    }
    if (flashOn) {
        flashLevel -= ft * 0.003f;
        if (flashLevel < 0) {
            flashOn = 0;
            flashLevel = 0;
        }
    }
    if (ctx->gameStartPending) lastTotal = 0;
    Refresh(false);
    return 0;
}

std::int32_t Board::Render() {
    GameContext* ctx = context;
    if (!ctx->mouseActive || ctx->currentScreen != Screen::Game || !ctx->renderQueue) return 0;
    // Drawn over the battlefield in depth-key order.
    auto submit = [ctx](const char* texture, float depth, const ScreenVertex* v, std::uint32_t triangles) {
        SubmitSprite(ctx, texture, v, triangles, depth);
    };
    submit(asset::BoardTex, 1.72f, board_, 2 * kBoardQuads);
    if (const std::uint32_t icons = IconsShown()) submit(asset::BoardTex, 1.71f, icons_, 4 * icons);
    submit(asset::SymbolMid, 1.7f, digits_, 2 * (kRocketGlyphs + kScoreGlyphs));
    return 0;
}

}  // namespace dw
