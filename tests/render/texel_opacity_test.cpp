// Which texels count as opaque, and how a blended sprite draw is split into
// runs that can be drawn without blending.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#include "gfx/texel_opacity.h"

namespace gfx {
namespace {

constexpr std::uint32_t kOpaque = 0xFF102030u;

// A 16 x 16 texture, opaque but for the given texels.
TexelOpacity MapWithHoles(std::vector<std::pair<int, int>> holes, std::uint32_t holeAlpha = 0) {
    std::vector<std::uint32_t> texels(16 * 16, kOpaque);
    for (auto [x, y] : holes) texels[static_cast<std::size_t>(y) * 16 + x] = (holeAlpha << 24) | 0x00FFFFFFu;
    TexelOpacity map;
    map.Build(16, 16, texels.data(), false);
    return map;
}

// Texture coordinate of texel position s (texel centres at s + 0.5).
float U(float s) { return s / 16.0f; }

TEST(TexelOpacity, ABoxIsOpaqueOnlyWhenEveryTexelBilinearFilteringReadsIs) {
    // The hole at (9, 9) spoils the 4 x 4 block of texels 8..11.
    const TexelOpacity map = MapWithHoles({{9, 9}});
    ASSERT_TRUE(map.anyOpaque());
    // Between the centres of texels 4 and 7 the filter reads texels 4..7 only
    // (a box edge right on a centre counts its neighbour too, to be safe).
    EXPECT_TRUE(map.OpaqueBox(U(4.6f), U(4.6f), U(7.4f), U(7.4f)));
    // Past the centre of texel 7 both ways the filter blends in texel (8, 8),
    // in the spoiled block; past it one way only it stays in clean blocks.
    EXPECT_FALSE(map.OpaqueBox(U(4.6f), U(4.6f), U(7.6f), U(7.6f)));
    EXPECT_TRUE(map.OpaqueBox(U(4.6f), U(4.6f), U(7.6f), U(7.4f)));
    EXPECT_TRUE(map.OpaqueBox(U(4.6f), U(4.6f), U(7.4f), U(7.6f)));
    // Below the centre of texel 12 the filter still reads texel 11.
    EXPECT_FALSE(map.OpaqueBox(U(12.4f), U(8.5f), U(15.5f), U(11.5f)));
    EXPECT_TRUE(map.OpaqueBox(U(12.6f), U(8.6f), U(15.4f), U(11.4f)));
    // The box may come with its corners in either order.
    EXPECT_TRUE(map.OpaqueBox(U(7.4f), U(7.4f), U(4.6f), U(4.6f)));
}

TEST(TexelOpacity, AlphaJustBelowFullCountsAsSeeThrough) {
    const TexelOpacity map = MapWithHoles({{1, 1}}, 0xFE);
    EXPECT_FALSE(map.OpaqueBox(U(0.6f), U(0.6f), U(3.4f), U(3.4f)));
    EXPECT_TRUE(map.OpaqueBox(U(4.6f), U(0.6f), U(15.4f), U(15.4f)));
}

TEST(TexelOpacity, CoordinatesWrapAroundTheEdges) {
    // A see-through last column: a box that starts at u = 0 reads it too,
    // since the filter wraps half a texel to the left.
    std::vector<std::pair<int, int>> column;
    for (int y = 0; y < 16; ++y) column.emplace_back(15, y);
    const TexelOpacity map = MapWithHoles(column);
    EXPECT_FALSE(map.OpaqueBox(0.0f, U(4.6f), U(8.4f), U(7.4f)));
    EXPECT_TRUE(map.OpaqueBox(U(0.6f), U(4.6f), U(8.4f), U(7.4f)));
    // Past u = 1 the filter reads the first columns again.
    EXPECT_TRUE(map.OpaqueBox(1.0f + U(0.6f), U(4.6f), 1.0f + U(8.4f), U(7.4f)));
    EXPECT_FALSE(map.OpaqueBox(U(4.6f), U(4.6f), 1.0f + U(0.4f), U(7.4f)));
    // A box wider than the texture reads all of it.
    EXPECT_FALSE(map.OpaqueBox(-3.0f, U(4.6f), 3.0f, U(7.4f)));
    const TexelOpacity solid = MapWithHoles({});
    EXPECT_TRUE(solid.OpaqueBox(-3.0f, -3.0f, 3.0f, 3.0f));
    EXPECT_TRUE(solid.OpaqueBox(-1e30f, 0.0f, 1e30f, 1.0f));
}

TEST(TexelOpacity, FormatsWithoutAlphaAreOpaqueAndBadInputIsNot) {
    std::vector<std::uint32_t> clear(8 * 8, 0x00000000u);
    TexelOpacity map;
    map.Build(8, 8, clear.data(), true);
    EXPECT_TRUE(map.OpaqueBox(0.0f, 0.0f, 1.0f, 1.0f));
    map.Build(8, 8, clear.data(), false);
    EXPECT_FALSE(map.anyOpaque());
    EXPECT_FALSE(map.OpaqueBox(0.2f, 0.2f, 0.3f, 0.3f));
    map.Build(8, 8, nullptr, false);
    EXPECT_FALSE(map.built());

    const TexelOpacity solid = MapWithHoles({});
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(solid.OpaqueBox(nan, 0.1f, 0.2f, 0.2f));
    EXPECT_FALSE(solid.OpaqueBox(0.1f, 0.1f, inf, 0.2f));
    SpriteVertexView t[3] = {{0, 0, 0, 1, 0xFFFFFFFFu, 0.1f, 0.1f},
                             {1, 0, 0, 1, 0xFFFFFFFFu, nan, 0.1f},
                             {0, 1, 0, 1, 0xFFFFFFFFu, 0.1f, 0.2f}};
    EXPECT_FALSE(OpaqueTriangle(solid, t));  // a NaN must not slip through min and max
    t[1].u = 0.2f;
    EXPECT_TRUE(OpaqueTriangle(solid, t));
    t[2].diffuse = 0xFEFFFFFFu;  // a vertex that is not fully opaque
    EXPECT_FALSE(OpaqueTriangle(solid, t));
}

TEST(TexelOpacity, ClearBoxesNeedAlphaZeroInEveryTexelTheFilterReads) {
    // A clear texture but for one faint texel at (9, 9) and an opaque one at (2, 14).
    std::vector<std::uint32_t> texels(16 * 16, 0x00FFFFFFu);
    texels[9 * 16 + 9] = 0x01000000u;
    texels[14 * 16 + 2] = kOpaque;
    TexelOpacity map;
    map.Build(16, 16, texels.data(), false);
    ASSERT_TRUE(map.anyClear());
    EXPECT_TRUE(map.ClearBox(U(0.6f), U(0.6f), U(7.4f), U(7.4f)));
    EXPECT_FALSE(map.ClearBox(U(4.6f), U(4.6f), U(7.6f), U(7.6f)));  // reads into the faint texel's block
    EXPECT_FALSE(map.ClearBox(U(0.6f), U(12.6f), U(3.4f), U(15.4f)));
    EXPECT_FALSE(map.OpaqueBox(U(0.6f), U(0.6f), U(7.4f), U(7.4f)));
    // Clear and opaque exclude each other; a format without alpha is never clear.
    const TexelOpacity solid = MapWithHoles({});
    EXPECT_FALSE(solid.anyClear());
    EXPECT_FALSE(solid.ClearBox(U(0.6f), U(0.6f), U(3.4f), U(3.4f)));
    map.Build(16, 16, texels.data(), true);
    EXPECT_FALSE(map.anyClear());
    EXPECT_FALSE(map.ClearBox(U(0.6f), U(0.6f), U(3.4f), U(3.4f)));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    map.Build(16, 16, texels.data(), false);
    EXPECT_FALSE(map.ClearBox(nan, 0.1f, 0.2f, 0.2f));
}

// A triangle list: each letter one triangle, 'o' over opaque texels with
// opaque vertices, 'a' with a see-through vertex, 'h' over the hole.
std::vector<SpriteVertexView> Triangles(const char* kinds) {
    std::vector<SpriteVertexView> v;
    for (const char* k = kinds; *k; ++k) {
        const float s = *k == 'h' ? 9.0f : 2.0f;  // texel row 9 holds the hole
        const std::uint32_t colour = *k == 'a' ? 0x80FFFFFFu : 0xFFFFFFFFu;
        v.push_back({0, 0, 0, 1, colour, U(s), U(s)});
        v.push_back({1, 0, 0, 1, colour, U(s + 1), U(s)});
        v.push_back({0, 1, 0, 1, colour, U(s), U(s + 1)});
    }
    return v;
}

std::vector<std::tuple<std::uint32_t, std::uint32_t, bool>> Runs(const TexelOpacity& map, const char* kinds,
                                                                 std::uint32_t minRun) {
    const auto v = Triangles(kinds);
    std::vector<std::tuple<std::uint32_t, std::uint32_t, bool>> runs;
    SplitOpaqueRuns(
        map, v.data(), static_cast<std::uint32_t>(v.size() / 3), minRun,
        [&](std::uint32_t first, std::uint32_t count, bool opaque) { runs.emplace_back(first, count, opaque); });
    return runs;
}

TEST(SplitOpaqueRuns, RunsCoverTheListInOrderAndShortOpaqueRunsStayBlended) {
    const TexelOpacity map = MapWithHoles({{9, 9}});
    using R = std::tuple<std::uint32_t, std::uint32_t, bool>;
    EXPECT_EQ(Runs(map, "ooahhoooo", 2), (std::vector<R>{{0, 2, true}, {2, 3, false}, {5, 4, true}}));
    // A lone opaque triangle between blended ones is not worth a draw of its own.
    EXPECT_EQ(Runs(map, "hoaoo", 2), (std::vector<R>{{0, 3, false}, {3, 2, true}}));
    EXPECT_EQ(Runs(map, "hoa", 2), (std::vector<R>{{0, 3, false}}));
    EXPECT_EQ(Runs(map, "oooo", 2), (std::vector<R>{{0, 4, true}}));
    EXPECT_EQ(Runs(map, "o", 1), (std::vector<R>{{0, 1, true}}));
    EXPECT_TRUE(Runs(map, "", 2).empty());
}

}  // namespace
}  // namespace gfx
