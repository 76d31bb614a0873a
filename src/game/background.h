#pragma once
// Behind the battle: "gfone", two scrolling layers of tiles tinted per level,
// and "lshaft", the ground pieces that drift down in two staggered layers of
// cells and carry the ground guns.
#include <cstdint>
#include <vector>

#include "engine/my_object.h"

namespace dw {

class Background : public MyObject {
public:
    explicit Background(GameContext* ctx);

    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::int32_t RestoreDeviceObjects() override;

    float ScrollA() const { return scrollA; }
    float ScrollB() const { return scrollB; }
    std::uint32_t TintLevel() const { return tintLevel; }
    const ScreenVertex* LayerA() const { return layerA; }
    const ScreenVertex* LayerB() const { return layerB; }
    // Both layers in one grid for a device with a second texture stage:
    // layer B (tinted) on stage 0 over layer A on stage 1. Empty when the
    // two grids do not both cover the screen; then the layers go as two.
    const ScreenVertex2* Merged() const { return merged; }
    std::uint32_t MergedTriangles() const { return mergedTriangles; }
    // The merged grid's picture repeats every tile across and down: a
    // square of one tile it covers in full, where the tile is a whole
    // number of pixels (size 0 otherwise).
    const RepeatSquare& MergedRepeat() const { return mergedRepeat; }
    // Quads of the merged grid at most: four columns of up to nine bands,
    // the first column cut in two around the board's panel.
    static constexpr std::uint32_t kMergedQuads = 45;

    // Cell of "FoneTex" for layer 0 (A) or 1 (B) of a level, and layer B's
    // colour.
    struct Cell {
        float u0, u1, v0, v1;
    };
    static Cell LayerCell(std::uint32_t level, int layer);
    static std::uint32_t LayerColour(std::uint32_t level);

private:
    void Layout();
    void LayoutMerged(std::uint32_t level);

    float scrollA = 0, scrollB = 0;
    std::uint32_t tintLevel = 0xffffffffu;
    std::uint32_t colourB = 0xffffffffu;
    ScreenVertex layerA[96] = {};
    ScreenVertex layerB[96] = {};
    ScreenVertex2 merged[6 * kMergedQuads] = {};
    std::uint32_t mergedTriangles = 0;
    RepeatSquare mergedRepeat;
};

class GroundPiece : public MyObject {
public:
    static constexpr std::uint32_t kLayerCells = 98;

    struct GroundCell {
        std::uint32_t row, column, tile;
    };

    explicit GroundPiece(GameContext* ctx);

    // Adds a cell to the lower (layer 0) or upper layer. A layer holds at most
    // kLayerCells cells; the cells of a longer run go on in a follow-on piece
    // that lies exactly where this one would have drawn them.
    void AddCell(std::uint32_t layer, std::uint32_t tile, std::uint32_t column, std::uint32_t rowOffset);

    std::int32_t FrameMove() override;
    std::int32_t Render() override;

    float Y() const { return y; }
    float CellStep() const { return cellStep; }
    std::uint32_t Rows() const { return rows; }
    const std::vector<GroundCell>& Cells(int layer) const { return layer ? upper : lower; }
    GroundPiece* Overflow() const { return overflow; }
    // Centre of a cell in field units at the current position.
    float CellX(float column) const;
    float CellY(float row) const;
    const std::vector<ScreenVertex>& Vertices(int layer) const { return layer ? upperQuads : lowerQuads; }

private:
    void Layout();

    float y = -1.4f;
    float cellStep = 1.5f / 19.0f / 1.05f;
    float spacing = 1.05f;
    std::uint32_t rows = 0;
    float speed = 0;
    float depthBias = 0;
    std::vector<GroundCell> lower, upper;
    std::vector<ScreenVertex> lowerQuads, upperQuads;
    GroundPiece* overflow = nullptr;
};

}  // namespace dw
