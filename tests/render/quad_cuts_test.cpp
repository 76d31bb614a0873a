// How large blended sprite quads are cut into opaque, blended and left-out
// pieces: the pieces cover the quad exactly once, keep the texture
// coordinates of the whole quad, and the draw keeps its order.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "gfx/quad_cuts.h"

namespace gfx {
namespace {

constexpr std::uint32_t kSide = 64;

// A kSide x kSide texture whose alpha at texel (x, y) is alpha(x, y).
TexelOpacity Map(const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& alpha) {
    std::vector<std::uint32_t> texels(kSide * kSide);
    for (std::uint32_t y = 0; y < kSide; ++y)
        for (std::uint32_t x = 0; x < kSide; ++x) texels[y * kSide + x] = (alpha(x, y) << 24) | 0x336699u;
    TexelOpacity map;
    map.Build(kSide, kSide, texels.data(), false);
    return map;
}

// A sprite quad as the game lays it out, over the whole texture.
void Quad(std::vector<SpriteVertexView>& out, float x0, float y0, float x1, float y1,
          std::uint32_t colour = 0xFFFFFFFFu) {
    const SpriteVertexView tl{x0, y0, 0, 1, colour, 0, 0}, tr{x1, y0, 0, 1, colour, 1, 0},
        bl{x0, y1, 0, 1, colour, 0, 1}, br{x1, y1, 0, 1, colour, 1, 1};
    out.insert(out.end(), {tl, tr, bl, bl, tr, br});
}

std::uint32_t Triangles(const std::vector<SpriteVertexView>& v) { return static_cast<std::uint32_t>(v.size() / 3); }

// How often each pixel of [0, w) x [0, h) is covered by the cut quads'
// pieces (each piece is two triangles tl, tr, bl / bl, tr, br).
// Only the vertices [from, to) count (to 0: all).
std::vector<int> Coverage(const QuadCuts& cuts, int w, int h, std::size_t from = 0, std::size_t to = 0) {
    std::vector<int> covered(static_cast<std::size_t>(w * h), 0);
    if (to == 0) to = cuts.vertices.size();
    for (std::size_t i = from; i + 5 < to; i += 6) {
        const SpriteVertexView& tl = cuts.vertices[i];
        const SpriteVertexView& br = cuts.vertices[i + 5];
        for (int y = static_cast<int>(tl.y); y < static_cast<int>(br.y); ++y)
            for (int x = static_cast<int>(tl.x); x < static_cast<int>(br.x); ++x) ++covered[y * w + x];
    }
    return covered;
}

// The run (opaque or not) that holds vertex i.
bool OpaqueAt(const QuadCuts& cuts, std::size_t i) {
    for (const QuadCutRun& r : cuts.runs)
        if (i >= r.first && i < r.first + r.count) return r.opaque;
    ADD_FAILURE() << "vertex " << i << " is in no run";
    return false;
}

TEST(QuadCuts, APanelOpaqueButForItsRimGoesAsFewOpaqueAndBlendedPiecesThatCoverItOnce) {
    // Opaque inside, half see-through in a rim of 8 texels; the quad draws
    // the texture at 4 pixels a texel, 256 x 256.
    const TexelOpacity map = Map([](std::uint32_t x, std::uint32_t y) {
        return x < 8 || y < 8 || x >= kSide - 8 || y >= kSide - 8 ? 0x80u : 0xFFu;
    });
    std::vector<SpriteVertexView> v;
    Quad(v, 0, 0, 256, 256);
    QuadCuts cuts;
    ASSERT_TRUE(PlanQuadCuts(map, v.data(), Triangles(v), cuts));
    EXPECT_EQ(cuts.clearTriangles, 0u);
    // Every pixel once, and the middle without blending, the rim with it.
    const std::vector<int> covered = Coverage(cuts, 256, 256);
    for (int c : covered) ASSERT_EQ(c, 1);
    std::uint32_t opaqueArea = 0;
    for (std::size_t i = 0; i < cuts.vertices.size(); i += 6) {
        const float area =
            (cuts.vertices[i + 5].x - cuts.vertices[i].x) * (cuts.vertices[i + 5].y - cuts.vertices[i].y);
        if (OpaqueAt(cuts, i)) opaqueArea += static_cast<std::uint32_t>(area);
        // Every corner keeps the coordinates the whole quad gives it.
        for (std::size_t k = i; k < i + 6; ++k) {
            EXPECT_FLOAT_EQ(cuts.vertices[k].u, cuts.vertices[k].x / 256.0f);
            EXPECT_FLOAT_EQ(cuts.vertices[k].v, cuts.vertices[k].y / 256.0f);
        }
    }
    // The rim's texels are 32 pixels deep; the filter's reach costs one cell more.
    EXPECT_GE(opaqueArea, 160u * 160u);
    EXPECT_LE(opaqueArea, 192u * 192u);
    // Rows cut alike are merged, and the opaque pieces go first: one run
    // without blending, then one with it.
    EXPECT_LE(cuts.vertices.size() / 6, 5u);
    ASSERT_EQ(cuts.runs.size(), 2u);
    EXPECT_TRUE(cuts.runs[0].opaque);
    EXPECT_FALSE(cuts.runs[1].opaque);
}

TEST(QuadCuts, ClearCellsAreLeftOutAndSeeThroughVerticesKeepTheRestBlended) {
    // A hull: clear in the left half, opaque in the right. (The first
    // column of cells reads the last texels too, as the wrap mode does.)
    const TexelOpacity map = Map([](std::uint32_t x, std::uint32_t) { return x < kSide / 2 ? 0u : 0xFFu; });
    for (const std::uint32_t colour : {0xFFFFFFFFu, 0x80FFFFFFu}) {
        std::vector<SpriteVertexView> v;
        Quad(v, 0, 0, 128, 128, colour);
        QuadCuts cuts;
        ASSERT_TRUE(PlanQuadCuts(map, v.data(), Triangles(v), cuts)) << std::hex << colour;
        EXPECT_GT(cuts.clearTriangles, 0u);
        const std::vector<int> covered = Coverage(cuts, 128, 128);
        for (int y = 0; y < 128; ++y) {
            EXPECT_EQ(covered[y * 128 + 30], 0) << "a clear pixel drawn, row " << y;
            EXPECT_EQ(covered[y * 128 + 100], 1) << "a shown pixel missed, row " << y;
        }
        for (int c : covered) ASSERT_LE(c, 1);
        bool anyOpaque = false;
        for (const QuadCutRun& r : cuts.runs) anyOpaque = anyOpaque || r.opaque;
        // Vertices that are not opaque make nothing opaque.
        EXPECT_EQ(anyOpaque, colour == 0xFFFFFFFFu) << std::hex << colour;
    }
}

TEST(QuadCuts, NothingToCutLeavesTheDrawAlone) {
    const TexelOpacity solid = Map([](std::uint32_t, std::uint32_t) { return 0xFFu; });
    const TexelOpacity half = Map([](std::uint32_t, std::uint32_t) { return 0x80u; });
    const TexelOpacity rim = Map([](std::uint32_t x, std::uint32_t) { return x < 8 ? 0x80u : 0xFFu; });
    QuadCuts cuts;
    std::vector<SpriteVertexView> v;
    Quad(v, 0, 0, 256, 256);
    // Opaque whole: it goes as two opaque triangles, not cut.
    EXPECT_FALSE(PlanQuadCuts(solid, v.data(), Triangles(v), cuts));
    // Blended everywhere: no cell is worth a piece of its own.
    EXPECT_FALSE(PlanQuadCuts(half, v.data(), Triangles(v), cuts));
    // Too small to be worth it (under 8192 pixels).
    v.clear();
    Quad(v, 0, 0, 90, 90);
    EXPECT_FALSE(PlanQuadCuts(rim, v.data(), Triangles(v), cuts));
    // Not square to the screen: a corner moved.
    v.clear();
    Quad(v, 0, 0, 256, 256);
    v[5].x = 250;
    EXPECT_FALSE(PlanQuadCuts(rim, v.data(), Triangles(v), cuts));
    // Two lone triangles (not one quad) are no quad either.
    v.resize(3);
    EXPECT_FALSE(PlanQuadCuts(rim, v.data(), Triangles(v), cuts));
}

TEST(QuadCuts, TheTrianglesAroundACutQuadKeepTheirOrderAndOpacity) {
    const TexelOpacity rim = Map([](std::uint32_t x, std::uint32_t) { return x < 8 ? 0x80u : 0xFFu; });
    std::vector<SpriteVertexView> v;
    Quad(v, 300, 0, 340, 40);                  // small, opaque but for its left edge
    Quad(v, 0, 0, 256, 256);                   // cut
    Quad(v, 300, 300, 340, 340, 0x80FFFFFFu);  // small, blended
    QuadCuts cuts;
    ASSERT_TRUE(PlanQuadCuts(rim, v.data(), Triangles(v), cuts));
    // The first quad's two triangles come first and whole, each as opaque
    // as it is; the last quad's come last and blended.
    ASSERT_GE(cuts.vertices.size(), 12u + 6u);
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(cuts.vertices[i].x, v[i].x);
    EXPECT_EQ(OpaqueAt(cuts, 0), OpaqueTriangle(rim, v.data()));
    EXPECT_EQ(OpaqueAt(cuts, 3), OpaqueTriangle(rim, v.data() + 3));
    const std::size_t last = cuts.vertices.size() - 6;
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(cuts.vertices[last + i].x, v[12 + i].x);
        EXPECT_EQ(cuts.vertices[last + i].y, v[12 + i].y);
    }
    EXPECT_FALSE(OpaqueAt(cuts, last));
    // The runs cover the vertices in order, without gaps, and alternate.
    std::uint32_t next = 0;
    for (std::size_t r = 0; r < cuts.runs.size(); ++r) {
        EXPECT_EQ(cuts.runs[r].first, next);
        if (r > 0) {
            EXPECT_NE(cuts.runs[r].opaque, cuts.runs[r - 1].opaque);
        }
        next += cuts.runs[r].count;
    }
    EXPECT_EQ(next, cuts.vertices.size());
    // The cut quad's pieces cover it once.
    const std::vector<int> covered = Coverage(cuts, 256, 256, 6, last);
    for (int c : covered) ASSERT_EQ(c, 1);
}

}  // namespace
}  // namespace gfx
