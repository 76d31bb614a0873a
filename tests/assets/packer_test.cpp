// The packer's pieces on their own: the archive writer against the game's
// reader, the PNG encoder, the tiling noise and the canvas conversion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/draw.h"
#include "common/noise.h"
#include "pack/encode.h"
#include "platform/zip_archive.h"

namespace {

using namespace assetgen;

std::vector<std::uint8_t> bytes_of(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<ZipEntry> sample_entries() {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "Greetings, Captain! ";
    std::vector<std::uint8_t> noise(3000);
    gfx::Rng rng(7);
    for (auto& b : noise) b = std::uint8_t(rng.next());
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    png.insert(png.end(), 500, 0);  // compressible, but already-compressed formats are stored
    return {{"Text", bytes_of(text)}, {"Noise", noise}, {"Picture", png}, {"Tiny", bytes_of("x")}};
}

TEST(Zip, RoundTripsStoredAndDeflatedEntriesWithFixedStamps) {
    const auto entries = sample_entries();
    const auto zip = build_zip(entries);
    EXPECT_EQ(zip, build_zip(entries)) << "same input must give the same bytes";
    platform::ZipArchive r;
    ASSERT_TRUE(r.Open(zip.data(), zip.size()));
    ASSERT_EQ(r.entries().size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        EXPECT_EQ(r.entries()[i].name, e.name);  // names and order kept
        std::vector<std::uint8_t> back;
        ASSERT_TRUE(r.Read(e.name, back)) << e.name;
        EXPECT_EQ(back, e.data) << e.name;
    }
    auto entry = [&](const char* name) { return r.entries()[std::size_t(r.Find(name))]; };
    EXPECT_EQ(entry("Text").method, 8u);
    EXPECT_LT(entry("Text").compressedSize, entry("Text").size);
    EXPECT_EQ(entry("Picture").method, 0u);
    EXPECT_EQ(entry("Noise").method, 0u);  // deflate would not save anything
    // First local header: DOS time 0, date 1980-01-01.
    EXPECT_EQ(zip[10] | zip[11] << 8, 0);
    EXPECT_EQ(zip[12] | zip[13] << 8, 0x21);
    std::vector<std::uint8_t> none;
    EXPECT_FALSE(r.Read("Missing", none));
}

TEST(Zip, DamagedArchivesAreRejected) {
    auto zip = build_zip(sample_entries());
    platform::ZipArchive r;
    ASSERT_TRUE(r.Open(zip.data(), zip.size()));
    // Corrupt a byte inside the first entry's body: the CRC check must fail.
    auto bad = zip;
    bad[30 + 4 + 5] ^= 0x55;
    ASSERT_TRUE(r.Open(bad.data(), bad.size()));
    std::vector<std::uint8_t> out;
    EXPECT_FALSE(r.Read("Text", out));
    // Cut off the central directory.
    const std::vector<std::uint8_t> half(zip.begin(), zip.begin() + long(zip.size() / 2));
    EXPECT_FALSE(r.Open(half.data(), half.size()));
    EXPECT_FALSE(r.Open(nullptr, 0));
}

TEST(Png, EncodesDeterministicallyAndDecodesToTheSamePixels) {
    const int w = 16, h = 8;
    std::vector<std::uint8_t> px(w * h * 4);
    for (std::size_t i = 0; i < px.size(); ++i) px[i] = std::uint8_t(i * 37 + 11);
    const auto a = encode_png(px.data(), w, h);
    EXPECT_EQ(a, encode_png(px.data(), w, h));
    int dw = 0, dh = 0;
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(decode_png(a, dw, dh, back));
    EXPECT_EQ(dw, w);
    EXPECT_EQ(dh, h);
    EXPECT_EQ(back, px);
    EXPECT_FALSE(decode_png(bytes_of("not a png at all"), dw, dh, back));
    const auto j = encode_jpeg(px.data(), w, h);
    ASSERT_GT(j.size(), 4u);
    EXPECT_EQ(j[0], 0xFF);
    EXPECT_EQ(j[1], 0xD8);
}

TEST(Noise, PeriodicNoiseRepeatsSoTilesJoin) {
    const gfx::Noise n(31, 4);
    for (double x : {0.1, 1.7, 3.3})
        for (double y : {0.25, 2.9}) {
            EXPECT_NEAR(n.fbm(x, y, 5), n.fbm(x + 4, y, 5), 1e-12);
            EXPECT_NEAR(n.fbm(x, y, 5), n.fbm(x, y + 4, 5), 1e-12);
            const double v = n.fbm(x, y, 5);
            EXPECT_GE(v, 0.0);
            EXPECT_LE(v, 1.0);
        }
    EXPECT_NE(gfx::Noise(31, 4).at(0.5, 0.5), gfx::Noise(32, 4).at(0.5, 0.5));
}

TEST(Canvas, GivesStraightAlphaAndBlackWhereTransparent) {
    gfx::Canvas c(4, 4);
    cairo_set_source_rgba(c.cr(), 1.0, 0.5, 0.0, 0.5);
    cairo_rectangle(c.cr(), 0, 0, 2, 4);
    cairo_fill(c.cr());
    const auto px = c.rgba();
    EXPECT_NEAR(px[0], 255, 2);
    EXPECT_NEAR(px[1], 128, 2);
    EXPECT_EQ(px[2], 0);
    EXPECT_NEAR(px[3], 128, 1);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(px[(2 + 3 * 4) * 4 + i], 0);  // pixel (2, 3)
}

TEST(Grid, FrameRegionsOfFractionalCellsStayApartAndInside) {
    std::vector<Region> regs;
    gfx::add_frames(regs, "f", {6, 512.0 / 6}, 36);
    ASSERT_EQ(regs.size(), 36u);
    for (std::size_t i = 0; i < regs.size(); ++i) {
        const Region& a = regs[i];
        EXPECT_TRUE(a.x >= 0 && a.y >= 0 && a.x + a.w <= 512 && a.y + a.h <= 512) << a.label;
        EXPECT_GE(a.w, 84);
        for (std::size_t k = i + 1; k < regs.size(); ++k) {
            const Region& b = regs[k];
            const bool apart = a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y || b.y + b.h <= a.y;
            EXPECT_TRUE(apart) << a.label << " / " << b.label;
        }
    }
}

}  // namespace
