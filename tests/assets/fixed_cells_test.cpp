// The cells the game samples at fixed texture coordinates: each must hold
// drawn content right where those coordinates fall, independently of the
// region list the generator records.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <string>
#include <vector>

#include "assets/sprite_layout.h"
#include "platform/zip_archive.h"

namespace {

struct Uv {
    const char* label;
    double u0, u1, v0, v1;
};

struct Picture {
    int w = 0, h = 0;
    std::vector<unsigned char> rgba;
    bool load(const platform::ZipArchive& zip, const std::string& name) {
        std::vector<std::uint8_t> bytes;
        if (!zip.Read(name, bytes)) return false;
        png_image pi{};
        pi.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_memory(&pi, bytes.data(), bytes.size())) return false;
        pi.format = PNG_FORMAT_RGBA;
        w = int(pi.width);
        h = int(pi.height);
        rgba.assign(PNG_IMAGE_SIZE(pi), 0);
        return png_image_finish_read(&pi, nullptr, rgba.data(), 0, nullptr) != 0;
    }
    // Alpha statistics over the texels a u/v rectangle covers.
    void alpha_range(const Uv& r, int& lo, int& hi) const {
        const int x0 = std::clamp(int(r.u0 * w), 0, w - 1), x1 = std::clamp(int(r.u1 * w - 1e-9), 0, w - 1);
        const int y0 = std::clamp(int(r.v0 * h), 0, h - 1), y1 = std::clamp(int(r.v1 * h - 1e-9), 0, h - 1);
        lo = 255;
        hi = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const int a = rgba[(std::size_t(y) * w + x) * 4 + 3];
                lo = std::min(lo, a);
                hi = std::max(hi, a);
            }
    }
};

class SpecCells : public ::testing::Test {
protected:
    static void SetUpTestSuite() { opened_ = zip_.OpenFile(std::string(DW_BUILD_DIR) + "/gamedata.res"); }
    static platform::ZipArchive zip_;
    static bool opened_;

    // Every rectangle must show something; `solid` ones must be opaque all over.
    void expect_drawn(const std::string& sheet, const std::vector<Uv>& cells, bool solid = false) {
        ASSERT_TRUE(opened_);
        Picture p;
        ASSERT_TRUE(p.load(zip_, sheet)) << sheet;
        for (const Uv& c : cells) {
            int lo = 0, hi = 0;
            p.alpha_range(c, lo, hi);
            EXPECT_GT(hi, 0) << sheet << ": " << c.label << " is empty";
            if (solid) {
                EXPECT_EQ(lo, 255) << sheet << ": " << c.label << " is not filled";
            }
        }
    }
};
platform::ZipArchive SpecCells::zip_;
bool SpecCells::opened_ = false;

TEST_F(SpecCells, BoardPiecesAndFills) {
    expect_drawn("BoardTex",
                 {{"trail spark", 0.313, 0.374, 0.001, 0.062},
                  {"halo dot", 0.313, 0.374, 0.063, 0.124},
                  {"pulse light", 0.376, 0.499, 0.251, 0.311}});
    // The bar fills are stretched from a one-texel column and row.
    expect_drawn("BoardTex",
                 {{"body/energy fill", 0.531, 0.532, 0.069, 0.118}, {"laser/plasma fill", 0.819, 0.868, 0.293, 0.294}},
                 true);
}

// The game leaves the background out under this part of the panel, so every
// texel there must be opaque, a texel to spare each side, in every row.
TEST_F(SpecCells, BoardPanelBodyIsOpaqueWhereTheBackgroundIsLeftOut) {
    namespace layout = assetgen::layout;
    const auto& r = layout::kBoardPanel;
    const double u0 = (r.x + r.w * layout::kBoardPanelOpaqueFrom - 1) / 512.0;
    const double u1 = (r.x + r.w * layout::kBoardPanelOpaqueTo + 1) / 512.0;
    expect_drawn("BoardTex", {{"panel body", u0, u1, r.y / 512.0, (r.y + r.h) / 512.0}}, true);
}

TEST_F(SpecCells, ShotGlowsAndSparks) {
    expect_drawn("ShotTex",
                 {{"bullet core", 0.501, 0.624, 0.751, 0.874},
                  {"slow-bullet glow", 0.626, 0.749, 0.751, 0.874},
                  {"fragment spark", 0.751, 0.999, 0.751, 0.999},
                  {"halo glint", 441 / 512.0, 473 / 512.0, 348 / 512.0, 380 / 512.0}});
}

TEST_F(SpecCells, BackdropLayers) {
    expect_drawn("FoneTex",
                 {{"backdrop 1", 0.001, 0.499, 0.001, 0.499},
                  {"backdrop 2", 0.001, 0.499, 0.501, 0.999},
                  {"backdrop 3", 0.501, 0.999, 0.001, 0.499}},
                 true);
    expect_drawn("FoneTex",
                 {{"overlay 1", 0.501, 0.749, 0.501, 0.749},
                  {"overlay 2", 0.751, 0.999, 0.501, 0.749},
                  {"overlay 3", 0.501, 0.749, 0.751, 0.999}});
    expect_drawn("GroundTex",
                 {{"upper 1", 0.0, 0.25, 0.005, 0.985},
                  {"upper 2", 0.25, 0.5, 0.005, 0.985},
                  {"lower 1", 0.5, 0.75, 0.005, 0.985},
                  {"lower 2", 0.75, 1.0, 0.005, 0.985}});
}

TEST_F(SpecCells, EveryBonusFrameOfEveryStrip) {
    struct Strip {
        const char* name;
        double ubase, vbase;
        int frames, per_row;
    };
    const Strip strips[] = {
        {"laser", 0, 0.562, 16, 16},   {"plasma", 0, 0.5, 16, 16},    {"ruby", 0, 0.625, 8, 8},
        {"topaz", 0.5, 0.625, 8, 8},   {"diamond", 0.5, 0.25, 8, 8},  {"emerald", 0.5, 0.3125, 8, 8},
        {"shield", 0, 0.6875, 16, 16}, {"health", 0, 0.4375, 16, 16}, {"rockets", 0, 0.75, 16, 16},
        {"death", 0, 0.8125, 32, 16},  {"surprise", 0, 0.375, 16, 16}};
    std::vector<Uv> cells;
    std::vector<std::string> labels;
    labels.reserve(200);
    for (const Strip& s : strips)
        for (int f = 0; f < s.frames; ++f) {
            const int c = f % s.per_row, r = f / s.per_row;
            labels.push_back(std::string(s.name) + " " + std::to_string(f));
            cells.push_back({labels.back().c_str(), s.ubase + 0.0625 * c + 0.001, s.ubase + 0.0625 * c + 0.062,
                             s.vbase + 0.0625 * r + 0.001, s.vbase + 0.0625 * r + 0.062});
        }
    expect_drawn("Ship1Tex", cells);
}

TEST_F(SpecCells, BossPortraitsHealthBarsAndLights) {
    expect_drawn("BigBoss0", {{"portrait", 0.257, 0.436, 0.818, 0.999}});
    for (const char* boss : {"BigBoss1", "BigBoss2", "BigBoss3", "BigBoss4"})
        expect_drawn(boss, {{"portrait", 0.8125, 1.0, 0.0, 0.140625}}, true);
    // Every boss's bar: its colour, and behind it a frame whose trough is
    // opaque wherever the bar lies (6..166 x 6..18 of the frame's
    // 172 x 24 on screen), so the bar and what it has lost read over any
    // backdrop.
    const auto& f = assetgen::layout::kBossHealthFrame;
    const Uv trough{"health bar trough", (f.x + f.w * 6 / 172.0) / 512, (f.x + f.w * 166 / 172.0) / 512,
                    (f.y + f.h * 6 / 24.0) / 512, (f.y + f.h * 18 / 24.0) / 512};
    for (const char* boss : {"BigBoss0", "BigBoss1", "BigBoss2", "BigBoss3", "BigBoss4"})
        expect_drawn(boss, {{"health colour", 0.964, 0.999, 0.952, 0.999}, trough}, true);
    expect_drawn("BigBoss3",
                 {{"arm light", 0.75, 0.8125, 0.0625, 0.125}, {"cloud puff", 0.751953, 0.810547, 0.064453, 0.123047}});
}

}  // namespace
