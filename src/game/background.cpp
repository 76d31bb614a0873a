#include "game/background.h"

#include "core/game_context.h"
#include "engine/list_engine.h"
#include "game/sprite_util.h"
#include "assets/asset_names.h"

namespace dw {

namespace {
constexpr char kGfone[] = "gfone";
constexpr char kLshaft[] = "lshaft";
}  // namespace

// --- background -----------------------------------------------------------------

Background::Background(GameContext* ctx) : MyObject(ctx) {
    name = kGfone;
    order = 50;
    visible = 1;
    Layout();
}

Background::Cell Background::LayerCell(std::uint32_t level, int layer) {
    switch (level % 3) {
        case 0:
            return layer == 0 ? Cell{0.001f, 0.499f, 0.001f, 0.499f} : Cell{0.501f, 0.749f, 0.501f, 0.749f};
        case 1:
            return layer == 0 ? Cell{0.001f, 0.499f, 0.501f, 0.999f} : Cell{0.751f, 0.999f, 0.501f, 0.749f};
        default:
            return layer == 0 ? Cell{0.501f, 0.999f, 0.001f, 0.499f} : Cell{0.501f, 0.749f, 0.751f, 0.999f};
    }
}

std::uint32_t Background::LayerColour(std::uint32_t level) {
    static constexpr std::uint32_t kTint[3] = {0xff2200bb, 0xff339900, 0xff7700bb};
    return kTint[level % 3];
}

std::int32_t Background::RestoreDeviceObjects() {
    Layout();
    return 0;
}

void Background::Layout() {
    const std::uint32_t level = tintLevel == 0xffffffffu ? context->currentLevel : tintLevel;
    const float tile = static_cast<float>(context->screenWidth) / 4.0f;
    for (int layer = 0; layer < 2; ++layer) {
        ScreenVertex* quads = layer == 0 ? layerA : layerB;
        const float scroll = layer == 0 ? scrollA : scrollB;
        const Cell cell = LayerCell(level, layer);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                ScreenVertex* q = quads + 6 * (r * 4 + c);
                SetQuadPixels(q, static_cast<float>(c) * tile, (scroll - 1.0f + static_cast<float>(r)) * tile,
                              tile, tile, cell.u0, cell.u1, cell.v0, cell.v1);
            }
        SetVertexLook(quads, 96, layer == 0 ? 0xffffffffu : colourB, layer == 0 ? 0.8f : 0.76f);
    }
}

std::int32_t Background::FrameMove() {
    if (!GameRunning(context)) return 0;
    const float ft = static_cast<float>(context->frameTimeAverage);
    scrollA += ft * 0.00015f;
    scrollB += ft * 0.00024f;
    if (scrollA >= 1.0f) scrollA = 0;
    if (scrollB >= 1.0f) scrollB = 0;
    if (context->currentLevel != tintLevel) {
        tintLevel = context->currentLevel;
        colourB = LayerColour(tintLevel);
    }
    Layout();
    return 0;
}

std::int32_t Background::Render() {
    if (!GameRunning(context)) return 0;
    SubmitSprite(context, asset::FoneTex, layerA, 32, 3.5f);
    SubmitSprite(context, asset::FoneTex, layerB, 32, 3.3f);
    return 0;
}

// --- ground pieces --------------------------------------------------------------

GroundPiece::GroundPiece(GameContext* ctx) : MyObject(ctx) {
    name = kLshaft;
    order = 59;
    visible = 1;
    const std::uint32_t level = ctx->currentLevel < static_cast<std::uint32_t>(kLevelCount) ? ctx->currentLevel : 0;
    const std::uint32_t columns = ctx->levelColumns[level];
    cellStep = columns ? 1.5f / (static_cast<float>(columns) * 1.05f) : 1.5f / 19.0f / 1.05f;
    speed = ctx->groundScrollSpeed * 1.275f;
    depthBias = (y + 1.0f) * 0.0001f;
}

void GroundPiece::AddCell(std::uint32_t layer, std::uint32_t tile, std::uint32_t column,
                          std::uint32_t rowOffset) {
    std::vector<GroundCell>& cells = layer ? upper : lower;
    // Deliberate (docs/DECISIONS.md): the 104-cell wall is drawn whole.
    if (cells.size() >= kLayerCells) {
        // A full layer hands the rest of the run to a piece of its own that
        // moves in step with this one.
        if (!overflow) {
            if (!context->objectList) return;
            overflow = new GroundPiece(context);
            overflow->y = y;
            overflow->depthBias = depthBias;
            context->objectList->AddObject(overflow);
        }
        overflow->AddCell(layer, tile, column, rowOffset);
        return;
    }
    if (rowOffset > rows) rows = rowOffset;
    cells.push_back({rowOffset, column, tile});
    Layout();
}

float GroundPiece::CellX(float column) const { return column * spacing * cellStep - 0.6f; }

float GroundPiece::CellY(float row) const {
    const float w = static_cast<float>(context->screenWidth);
    const float h = static_cast<float>(context->screenHeight);
    const float k = 0.75f * w / h;
    return h * y * 1.333f / w - cellStep * 1.333f * row * spacing * k;
}

void GroundPiece::Layout() {
    const float w = static_cast<float>(context->screenWidth);
    const float h = static_cast<float>(context->screenHeight);
    const float side = w * cellStep * 0.5f;
    for (int layer = 0; layer < 2; ++layer) {
        const std::vector<GroundCell>& cells = layer ? upper : lower;
        std::vector<ScreenVertex>& quads = layer ? upperQuads : lowerQuads;
        quads.resize(cells.size() * 6);
        const float shift = layer ? 0.5f : 0.0f;
        const float rowShift = layer ? 0.5f : 1.03f;
        std::size_t n = 0;
        for (const GroundCell& cell : cells) {
            if (cell.tile != 1 && cell.tile != 2) continue;
            const float cx = (CellX(static_cast<float>(cell.column) + shift) + 1.0f) * w * 0.5f;
            const float cy = (CellY(static_cast<float>(cell.row) + rowShift) + 1.0f) * h * 0.5f;
            const float u0 = (layer ? 0.0f : 0.5f) + (cell.tile == 2 ? 0.25f : 0.0f);
            ScreenVertex* q = quads.data() + 6 * n++;
            SetQuadPixels(q, cx - side * 0.5f, cy - side * 0.5f, side, side, u0, u0 + 0.25f, 0.005f, 0.985f);
            SetVertexLook(q, 6, 0xffffffff, 0.6f);
        }
        quads.resize(6 * n);
    }
}

std::int32_t GroundPiece::FrameMove() {
    if (!GameRunning(context) || dead) return 0;
    y += static_cast<float>(context->frameTimeAverage) * speed;
    depthBias = (y + 1.0f) * 0.0001f;
    const std::uint32_t level = context->currentLevel < static_cast<std::uint32_t>(kLevelCount) ? context->currentLevel : 0;
    if (y > static_cast<float>(rows) * cellStep * 1.333f + 5.1f || context->levelColumns[level] == 0 ||
        context->gameStartPending) {
        dead = 1;
        return 0;
    }
    Layout();
    return 0;
}

std::int32_t GroundPiece::Render() {
    if (!GameRunning(context)) return 0;
    SubmitSprite(context, asset::GroundTex, lowerQuads.data(), static_cast<std::uint32_t>(lowerQuads.size() / 3),
                 2.852f + depthBias);
    SubmitSprite(context, asset::GroundTex, upperQuads.data(), static_cast<std::uint32_t>(upperQuads.size() / 3),
                 2.85f + depthBias);
    return 0;
}

}  // namespace dw
