#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "platform/resource_library.h"
#include "zip_builder.h"

namespace fs = std::filesystem;
using platform::ZipArchive;
using platform::ZipResourceLibrary;

namespace {

std::vector<std::uint8_t> Noise(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> v(n);
    for (auto& b : v) b = static_cast<std::uint8_t>(rng() % 7);  // compressible
    return v;
}

TEST(ZipArchive, StoredAndDeflatedEntriesRoundTripByName) {
    const auto big = Noise(100000, 1);
    const auto zip = testzip::Build(
        {{"BoardTex", testzip::Bytes("stored bytes"), false}, {"Theme0", big, true}, {"Empty", {}, false}});
    ZipArchive a;
    ASSERT_TRUE(a.Open(zip.data(), zip.size()));
    ASSERT_EQ(a.entries().size(), 3u);
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(a.Extract(a.Find("Theme0"), out));
    EXPECT_EQ(out, big);
    EXPECT_EQ(a.entries()[static_cast<std::size_t>(a.Find("Theme0"))].method, 8u);
    ASSERT_TRUE(a.Read("BoardTex", out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "stored bytes");
    EXPECT_EQ(a.entries()[static_cast<std::size_t>(a.Find("BoardTex"))].method, 0u);
    ASSERT_TRUE(a.Read("Empty", out));
    EXPECT_TRUE(out.empty());
    // The archive keeps the names in the order they were written.
    EXPECT_EQ(a.entries()[0].name, "BoardTex");
    EXPECT_EQ(a.entries()[2].name, "Empty");
    EXPECT_EQ(a.Find("boardtex"), a.Find("BoardTex"));  // names match without case
    EXPECT_EQ(a.Find("Missing"), -1);
    EXPECT_FALSE(a.Extract(-1, out));
    EXPECT_FALSE(a.Extract(99, out));
}

TEST(ZipArchive, TruncatedOrCorruptArchivesFailWithoutReadingOutside) {
    const auto zip = testzip::Build({{"A", Noise(5000, 2), true}, {"B", testzip::Bytes("xyz"), false}});
    // Every truncation either fails to open or fails to extract: never crashes.
    for (std::size_t len = 0; len < zip.size(); len += 7) {
        std::vector<std::uint8_t> cut(zip.begin(), zip.begin() + static_cast<long>(len));
        ZipArchive a;
        if (!a.Open(cut.data(), cut.size())) continue;
        std::vector<std::uint8_t> out;
        for (int i = 0; i < static_cast<int>(a.entries().size()); ++i) a.Extract(i, out);
    }
    // A flipped byte in the compressed data is caught by inflate or the CRC.
    auto bad = zip;
    bad[60] ^= 0x5A;
    ZipArchive a;
    ASSERT_TRUE(a.Open(bad.data(), bad.size()));
    std::vector<std::uint8_t> out;
    EXPECT_FALSE(a.Extract(a.Find("A"), out));
    EXPECT_TRUE(out.empty());
    // Random garbage never opens as an archive with readable entries.
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> junk(rng() % 300);
        for (auto& b : junk) b = static_cast<std::uint8_t>(rng());
        ZipArchive g;
        if (g.Open(junk.data(), junk.size()))
            for (int i = 0; i < static_cast<int>(g.entries().size()); ++i) g.Extract(i, out);
    }
}

TEST(ZipResourceLibrary, EachStepOfAReadAndTheSearchPath) {
    const fs::path dir = fs::temp_directory_path() / ("dw_zip_" + std::to_string(::getpid()));
    fs::create_directories(dir / "data");
    const auto zip = testzip::Build({{"ShotTex", testzip::Bytes("png bytes"), true}, {"Hollow", {}, false}});
    std::ofstream(dir / "data" / "dwtest-archive.res", std::ios::binary)
        .write(reinterpret_cast<const char*>(zip.data()), static_cast<long>(zip.size()));
    std::ofstream(dir / "junk.res") << "not a zip archive at all";

    ZipResourceLibrary lib;
    EXPECT_EQ(lib.LoadLibrary("dwtest-archive.res"), nullptr);  // not in the search path yet
    lib.AddSearchDirectory((dir / "nowhere").string());
    lib.AddSearchDirectory((dir / "data").string());
    platform::LibraryModule* m = lib.LoadLibrary("dwtest-archive.res");
    ASSERT_NE(m, nullptr);
    auto res = lib.FindResource(m, "ShotTex");
    ASSERT_TRUE(res);
    EXPECT_EQ(lib.SizeofResource(m, res), 9u);
    ASSERT_TRUE(lib.LoadResource(m, res));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(lib.LockResource(m, res)), 9), "png bytes");
    EXPECT_FALSE(lib.FindResource(m, "Nope"));
    EXPECT_EQ(lib.SizeofResource(m, lib.FindResource(m, "Hollow")), 0u);
    lib.FreeLibrary(m);

    lib.SetOverride((dir / "junk.res").string());
    EXPECT_EQ(lib.LoadLibrary("dwtest-archive.res"), nullptr);
    fs::remove_all(dir);
}

}  // namespace
