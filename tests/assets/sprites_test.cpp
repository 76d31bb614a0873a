// The sprite module on its own: the same sheets on every run, the full set
// of names, and cells that keep their drawing inside the cell.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "asset_sink.h"
#include "common/draw.h"

namespace {

using namespace assetgen;

TEST(Sprites, GeneratesEverySheetIdenticallyOnEveryRun) {
    Output a, b;
    generate_sprite_textures(a);
    generate_sprite_textures(b);
    ASSERT_EQ(a.textures.size(), b.textures.size());
    std::set<std::string> names;
    for (std::size_t i = 0; i < a.textures.size(); ++i) {
        const Texture& t = a.textures[i];
        names.insert(t.name);
        EXPECT_EQ(t.name, b.textures[i].name);
        EXPECT_TRUE(t.rgba == b.textures[i].rgba) << t.name << " differs between runs";
        EXPECT_FALSE(t.regions.empty()) << t.name;
        EXPECT_FALSE(t.opaque_jpeg) << t.name << " needs its alpha";
    }
    const std::set<std::string> expected = {
        "ShadowMap", "BoardTex",  "ShotTex",   "ExploTex",   "FoneTex",    "StarWTex",  "BulletCTex", "Ship1Tex",
        "Ship0Tex",  "Ship3Tex",  "GroundTex", "StationTex", "CannonTex",  "CtHeadTex", "CtLongTex",  "CtShortTex",
        "CtEngiTex", "DlinniTex", "FastTex",   "JumperTex",  "KreiserTex", "TankerTex", "VertuhTex",  "BigBoss0",
        "BigBoss1",  "BigBoss2",  "BigBoss3",  "BigBoss4",   "WindowIcon"};  // the desktop icon's picture, for the window
    EXPECT_EQ(names, expected);
    EXPECT_EQ(names.size(), a.textures.size()) << "a sheet was generated twice";
}

TEST(Sprites, InCellDrawingNeverReachesTheCellBorder) {
    // A fill far larger than the cell must still leave a 2-texel clear rim.
    gfx::Canvas c(64, 64);
    gfx::in_cell(c.cr(), 16, 16, 32, 32, 0, [&] {
        cairo_rectangle(c.cr(), -5, -5, 10, 10);
        cairo_set_source_rgb(c.cr(), 1, 1, 1);
        cairo_fill(c.cr());
    });
    const auto px = c.rgba();
    auto alpha = [&](int x, int y) { return px[(std::size_t(y) * 64 + x) * 4 + 3]; };
    for (int i = 16; i < 48; ++i) {
        EXPECT_EQ(alpha(i, 16), 0);
        EXPECT_EQ(alpha(i, 17), 0);
        EXPECT_EQ(alpha(16, i), 0);
        EXPECT_EQ(alpha(47, i), 0);
        EXPECT_EQ(alpha(i, 46), 0);
    }
    EXPECT_EQ(alpha(18, 18), 255);
    EXPECT_EQ(alpha(45, 45), 255);
}

// In a shoot-'em-up the player must tell at a glance what hurts: the enemy
// bullets are cyan and blue, so the player's plasma ball is violet (red well
// above green, blue above both on average over its visible texels).
TEST(Sprites, ThePlayersPlasmaBallIsVioletNotTheEnemyBulletsCyan) {
    Output out;
    generate_sprite_textures(out);
    const Texture* ball = nullptr;
    for (const Texture& t : out.textures)
        if (t.name == "BulletCTex") ball = &t;
    ASSERT_NE(ball, nullptr);
    double r = 0, g = 0, b = 0, weight = 0;
    for (std::size_t i = 0; i + 3 < ball->rgba.size(); i += 4) {
        const double a = ball->rgba[i + 3];
        if (a < 64) continue;
        r += a * ball->rgba[i];
        g += a * ball->rgba[i + 1];
        b += a * ball->rgba[i + 2];
        weight += a;
    }
    ASSERT_GT(weight, 0);
    r /= weight;
    g /= weight;
    b /= weight;
    EXPECT_GT(r, g + 30) << r << " " << g << " " << b;
    EXPECT_GT(b, r) << r << " " << g << " " << b;
}

}  // namespace
