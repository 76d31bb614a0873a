#include "game/background.h"

#include <algorithm>
#include <cmath>

#include "core/game_context.h"
#include "engine/list_engine.h"
#include "game/board.h"
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
        case 0: return layer == 0 ? Cell{0.001f, 0.499f, 0.001f, 0.499f} : Cell{0.501f, 0.749f, 0.501f, 0.749f};
        case 1: return layer == 0 ? Cell{0.001f, 0.499f, 0.501f, 0.999f} : Cell{0.751f, 0.999f, 0.501f, 0.749f};
        default: return layer == 0 ? Cell{0.501f, 0.999f, 0.001f, 0.499f} : Cell{0.501f, 0.749f, 0.751f, 0.999f};
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
                SetQuadPixels(q, static_cast<float>(c) * tile, (scroll - 1.0f + static_cast<float>(r)) * tile, tile,
                              tile, cell.u0, cell.u1, cell.v0, cell.v1);
            }
        SetVertexLook(quads, 96, layer == 0 ? 0xffffffffu : colourB, layer == 0 ? 0.8f : 0.76f);
    }
    LayoutMerged(level);
}

namespace {

// A row edge of a layer's grid as Layout places it.
float RowEdge(float tile, float scroll, int r) { return (scroll - 1.0f + static_cast<float>(r)) * tile; }

// Top, the inner row edges of both grids between top and bottom in order,
// bottom: at most ten. The count.
int MergedRowEdges(float tile, float scrollA, float scrollB, float top, float bottom, float (&edges)[10]) {
    int count = 0;
    edges[count++] = top;
    for (int r = 1; r < 4; ++r) {
        for (float scroll : {scrollA, scrollB}) {
            const float y = RowEdge(tile, scroll, r);
            if (!(y > top && y < bottom)) continue;
            int at = count++;
            for (; at > 1 && edges[at - 1] > y; --at) edges[at] = edges[at - 1];
            edges[at] = y;
        }
    }
    edges[count++] = bottom;
    return count;
}

// The spans of the column [left, right] outside the board's cover
// [coverX0, coverX1]: the whole column, or the parts left and right of it.
int ColumnSpans(float left, float right, float coverX0, float coverX1, float (&spans)[2][2]) {
    if (!(coverX1 > left && coverX0 < right)) {
        spans[0][0] = left;
        spans[0][1] = right;
        return 1;
    }
    int count = 0;
    if (coverX0 > left) spans[count][0] = left, spans[count++][1] = coverX0;
    if (coverX1 < right) spans[count][0] = coverX1, spans[count++][1] = right;
    return count;
}

// Texture coordinate of a layer at screen row y: straight within the tile
// row that holds `mid`.
float LayerV(float tile, float y, float mid, float scroll, const Background::Cell& cell) {
    const int row = static_cast<int>(std::floor(mid / tile - (scroll - 1.0f)));
    const float rowTop = RowEdge(tile, scroll, row);
    return cell.v0 + (y - rowTop) / tile * (cell.v1 - cell.v0);
}

// One column of the merged grid: its left edge, its tile width, and both
// layers' cells.
struct MergedColumn {
    float left, tile;
    Background::Cell a, b;
    std::uint32_t colour;
    // Layer coordinate across the column at x, exact at its edges.
    float Across(float x, float u0, float u1) const {
        const float right = left + tile;
        return x == left ? u0 : x == right ? u1 : u0 + (x - left) / tile * (u1 - u0);
    }
};

// The band's texture rows of both layers at its top and bottom.
struct BandRows {
    float a0, a1, b0, b1;
};

// One quad of a band over [x0, x1] x [y0, y1], in the corner order of every
// sprite quad: (top-left, top-right, bottom-left), (bottom-left, top-right,
// bottom-right).
void PutBandQuad(ScreenVertex2* q, const MergedColumn& col, const BandRows& rows, float x0, float x1, float y0,
                 float y1) {
    auto set = [&](ScreenVertex2& p, float x, float y, bool low) {
        p = ScreenVertex2{x,
                          y,
                          0.76f,
                          0.76f,
                          col.colour,
                          col.Across(x, col.b.u0, col.b.u1),
                          low ? rows.b1 : rows.b0,
                          col.Across(x, col.a.u0, col.a.u1),
                          low ? rows.a1 : rows.a0};
    };
    set(q[0], x0, y0, false);
    set(q[1], x1, y0, false);
    set(q[2], x0, y1, true);
    set(q[3], x0, y1, true);
    set(q[4], x1, y0, false);
    set(q[5], x1, y1, true);
}

}  // namespace

// The two grids share their columns; their rows are offset. Cutting every
// column at the row edges of both gives bands inside which each layer's
// coordinates run straight, so one quad per band carries both sets, and
// every pixel samples both layers where the separate grids did. The board's
// panel is drawn whenever the background is, and its opaque body hides the
// columns under it: the grid leaves them out (a software renderer pays for
// every background pixel with two texture reads).
void Background::LayoutMerged(std::uint32_t level) {
    mergedTriangles = 0;
    mergedRepeat = {};
    const float tile = static_cast<float>(context->screenWidth) / 4.0f;
    const float height = static_cast<float>(context->screenHeight);
    const float top = std::max(RowEdge(tile, scrollA, 0), RowEdge(tile, scrollB, 0));
    const float bottom = std::min(RowEdge(tile, scrollA, 3) + tile, RowEdge(tile, scrollB, 3) + tile);
    // Where only one grid covers a visible pixel the merged form would
    // draw it differently: leave it to the two separate layers.
    if (!(tile > 0) || top > 0.0f || bottom < height) return;

    float edges[10];
    const int count = MergedRowEdges(tile, scrollA, scrollB, top, bottom, edges);
    float coverX0 = 0, coverX1 = 0;
    Board::PanelCover(static_cast<float>(context->screenWidth), coverX0, coverX1);
    MergedColumn col{0.0f, tile, LayerCell(level, 0), LayerCell(level, 1), colourB};
    ScreenVertex2* q = merged;
    // Every column is the same, and both grids repeat every tile down: a
    // tile of whole pixels from the top of a column the panel leaves alone
    // is the picture's repeat.
    const bool wholeTile = tile == std::floor(tile) && tile <= height;
    for (int c = 0; c < 4; ++c) {
        col.left = static_cast<float>(c) * tile;
        float spans[2][2];
        const int spanCount = ColumnSpans(col.left, col.left + tile, coverX0, coverX1, spans);
        if (wholeTile && mergedRepeat.size == 0 && spanCount == 1 && spans[0][1] - spans[0][0] == tile) {
            mergedRepeat = {static_cast<std::uint32_t>(col.left), 0, static_cast<std::uint32_t>(tile)};
        }
        for (int i = 0; i + 1 < count; ++i) {
            const float y0 = edges[i], y1 = edges[i + 1];
            if (!(y1 > y0)) continue;
            const float mid = 0.5f * (y0 + y1);
            const BandRows rows{LayerV(tile, y0, mid, scrollA, col.a), LayerV(tile, y1, mid, scrollA, col.a),
                                LayerV(tile, y0, mid, scrollB, col.b), LayerV(tile, y1, mid, scrollB, col.b)};
            for (int s = 0; s < spanCount; ++s) {
                PutBandQuad(q, col, rows, spans[s][0], spans[s][1], y0, y1);
                q += 6;
                mergedTriangles += 2;
            }
        }
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
    if (mergedTriangles > 0 && context->renderQueue && context->renderQueue->SecondStage()) {
        // One opaque pass where layer A would have been drawn.
        SubmitTwoStage(context, asset::FoneTex, asset::FoneTex, merged, mergedTriangles, 3.5f, mergedRepeat);
        return 0;
    }
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

void GroundPiece::AddCell(std::uint32_t layer, std::uint32_t tile, std::uint32_t column, std::uint32_t rowOffset) {
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
    const std::uint32_t level =
        context->currentLevel < static_cast<std::uint32_t>(kLevelCount) ? context->currentLevel : 0;
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
