#pragma once
// Large blended sprite quads cut into pieces that can go without blending
// (opaque cells under opaque vertices) or not at all (clear cells), worked
// out apart from any graphics API.
#include <cstdint>
#include <vector>

#include "gfx/texel_opacity.h"

namespace gfx {

// Quads of at least this many pixels are worth cutting up, in cells of
// kQuadCell pixels a side, counted from the quad's top-left corner.
constexpr float kLargeQuad = 8192.0f;
constexpr float kQuadCell = 16.0f;

// A run of the cut draw's vertices that goes with or without blending.
struct QuadCutRun {
    std::uint32_t first, count;  // vertices
    bool opaque;
};

// A piece of a large quad: its rectangle in pixels, and whether it shows only
// opaque texels, only clear ones, or neither.
struct QuadPiece {
    enum Kind : std::uint8_t { kBlended, kOpaque, kClear };
    float x0, x1, y0, y1;
    Kind kind;
};

// What a cut draw sends: the vertices (sprite layout) and their runs, in
// drawing order, and how many triangles of clear pieces were left out. Kept
// from draw to draw, so that cutting allocates nothing once it is warm.
struct QuadCuts {
    std::vector<SpriteVertexView> vertices;
    std::vector<QuadCutRun> runs;
    std::uint32_t clearTriangles = 0;
    std::vector<QuadPiece> pieces;  // one quad's pieces, until it proves worth cutting
};

// Triangles t and t + 1 as a sprite quad lays them out: (top-left,
// top-right, bottom-left), (bottom-left, top-right, bottom-right), square
// to the screen and to the texture, one colour.
bool AxisQuad(const SpriteVertexView* v);

// Plans a blended triangle list of sprite vertices whose large quads are
// opaque or clear in part (a panel whose art is opaque but for its rim, a
// hull with empty corners): such a quad is cut into cells; the runs of
// opaque cells along each row go without blending, and clear cells (alpha 0
// in every texel they read, which source-alpha blending leaves as they were)
// are left out. Every piece keeps the coordinates the whole quad gives its
// pixels, and the pieces of a quad never overlap, so the pixels are those of
// the whole draw. The other triangles keep their order, each marked opaque
// or not. False when the list holds no such quad with an opaque or clear
// cell; `out` is meaningless then.
bool PlanQuadCuts(const TexelOpacity& map, const SpriteVertexView* v, std::uint32_t triangles, QuadCuts& out);

}  // namespace gfx
