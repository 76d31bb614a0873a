#pragma once
// Which parts of a texture are fully opaque, so that a blended draw can leave
// out blending where it could not change a pixel: with source-alpha blending
// a texel of alpha 255 under a vertex of alpha 255 simply replaces what is
// below. A software renderer reads the target back for every blended pixel,
// so opaque art drawn straight costs a fraction. And which parts are fully
// clear (alpha 0), where a stage laid over another by its alpha shows only
// the one below.
#include <cstdint>
#include <vector>

namespace gfx {

class TexelOpacity {
public:
    // Texels are judged in square blocks of this many texels a side; a block
    // counts as opaque only when every texel in it is.
    static constexpr std::uint32_t kBlock = 4;

    // Level 0 of a texture, 0xAARRGGBB texels, row after row. `alphaIgnored`
    // for formats without alpha: everything is opaque.
    void Build(std::uint32_t width, std::uint32_t height, const std::uint32_t* argb, bool alphaIgnored);
    void Clear();
    bool built() const { return width_ != 0; }
    bool anyOpaque() const { return anyOpaque_; }
    bool anyClear() const { return anyClear_; }

    // True when every texel that bilinear filtering can read for texture
    // coordinates inside the box [u0, u1] x [v0, v1] is opaque. Coordinates
    // outside 0..1 wrap around, as the texture's wrap address mode does.
    bool OpaqueBox(float u0, float v0, float u1, float v1) const;
    // The same for texels of alpha 0.
    bool ClearBox(float u0, float v0, float u1, float v1) const;

private:
    // (blocksX + 1) x (blocksY + 1) summed-area table of the blocks that
    // break a property (a texel not opaque, or not clear).
    using Table = std::vector<std::uint32_t>;
    Table BuildTable(const std::vector<std::uint8_t>& broken) const;
    bool Box(const Table& table, float u0, float v0, float u1, float v1) const;
    // True when the texel rectangle (inclusive, inside the texture) holds no
    // broken block.
    bool Texels(const Table& table, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) const;
    // Count of broken blocks in the blocks [0, bx) x [0, by).
    std::uint32_t Prefix(const Table& table, std::uint32_t bx, std::uint32_t by) const {
        return table[static_cast<std::size_t>(by) * (blocksX_ + 1) + bx];
    }

    std::uint32_t width_ = 0, height_ = 0, blocksX_ = 0, blocksY_ = 0;
    bool anyOpaque_ = false, anyClear_ = false;
    Table notOpaque_, notClear_;
};

// One pre-transformed sprite vertex as the game lays it out (28 bytes).
struct SpriteVertexView {
    float x, y, z, rhw;
    std::uint32_t diffuse;
    float u, v;
};

// Every vertex alpha 255 and every texel the triangle can show opaque.
bool OpaqueTriangle(const TexelOpacity& map, const SpriteVertexView* t);

// Splits a triangle list of sprite vertices into runs of triangles that are
// all opaque or not. Calls emit(firstTriangle, count, opaque) in order, for
// runs that cover the list. Opaque runs shorter than `minRun` triangles are
// folded into their blended neighbours, so a scatter of small opaque bits
// does not cost extra draws.
template <typename Emit>
void SplitOpaqueRuns(const TexelOpacity& map, const SpriteVertexView* v, std::uint32_t triangles, std::uint32_t minRun,
                     Emit&& emit) {
    std::uint32_t start = 0;  // first triangle of the pending blended run
    std::uint32_t t = 0;
    while (t < triangles) {
        if (!OpaqueTriangle(map, v + 3 * static_cast<std::size_t>(t))) {
            ++t;
            continue;
        }
        std::uint32_t end = t + 1;
        while (end < triangles && OpaqueTriangle(map, v + 3 * static_cast<std::size_t>(end))) ++end;
        if (end - t >= minRun) {
            if (t > start) emit(start, t - start, false);
            emit(t, end - t, true);
            start = end;
        }
        t = end;
    }
    if (triangles > start) emit(start, triangles - start, false);
}

}  // namespace gfx
