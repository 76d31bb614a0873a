// Checks the generated resource library itself: it opens as a plain ZIP,
// holds every asset the game asks for, and every texture cell the game samples
// has something drawn in it (and nothing bleeding over the edge of animation
// cells).
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/zip_archive.h"
#include "d3dx/d3dx_mesh.h"
#include "d3dx/d3dx_xfile.h"

namespace {

const std::string kArchive = std::string(DW_BUILD_DIR) + "/gamedata.res";
const std::string kRegions = std::string(DW_BUILD_DIR) + "/gamedata.regions";

const std::vector<std::string> kTextures = {
    "ShadowMap", "SymbolMap",  "SymbolMid", "SymbolMin",  "BoardTex",  "ExploTex",   "FoneTex",
    "MenuTex",   "ShotTex",    "StarWTex",  "BulletCTex", "Ship1Tex",  "Ship0Tex",   "Ship3Tex",
    "GroundTex", "StationTex", "CannonTex", "CtHeadTex",  "CtLongTex", "CtShortTex", "CtEngiTex",
    "DlinniTex", "FastTex",    "JumperTex", "KreiserTex", "TankerTex", "VertuhTex",  "Help0Tex",
    "Help5Tex",  "Help2Tex",   "Help3Tex",  "Help4Tex",   "Help6Tex",  "Help7Tex",   "BigBoss0",
    "BigBoss1",  "BigBoss2",   "BigBoss3",  "BigBoss4",   "IntroMap",  "LoadMap",    "IntroMap2"};

const std::vector<std::string> kSounds = {
    "MenuSelect", "MenuPress",  "MenuError",  "MenuLoser",  "MenuWiner",   "MenuPlane",   "GameDamage", "Game0Laser",
    "Game1Laser", "Game2Laser", "Game3Laser", "Game0Plasm", "Game1Plasm",  "GameRocket",  "GameDiamon", "GameRubins",
    "GameTopaze", "GameIzumru", "GameEnergy", "GamePlasma", "GameEndwep",  "GameGetroc",  "Game0Death", "GameShield",
    "Game0Enemy", "Game1Enemy", "Game2Enemy", "Game3Enemy", "Game4Enemy",  "GameComple",  "GameGameov", "Game0Explo",
    "Game1Explo", "Game2Explo", "GameHealth", "IntroTrack", "IntroTrackB", "IntroTrackE", "Theme0",     "Theme1"};

// Sheets made only of animation cells: every recorded cell must keep its
// outermost texel ring clear, or neighbouring frames bleed into each other.
const std::set<std::string> kFrameSheets = {
    "StarWTex",  "BulletCTex", "Ship0Tex", "Ship3Tex",  "StationTex", "CtHeadTex", "CtLongTex", "CtShortTex",
    "CtEngiTex", "DlinniTex",  "FastTex",  "JumperTex", "KreiserTex", "TankerTex", "VertuhTex", "ExploTex"};

struct Image {
    int w = 0, h = 0;
    std::vector<unsigned char> rgba;
    int alpha(int x, int y) const { return rgba[(std::size_t(y) * w + x) * 4 + 3]; }
};

bool decode(const std::vector<std::uint8_t>& bytes, Image& img) {
    png_image pi{};
    pi.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&pi, bytes.data(), bytes.size())) return false;
    pi.format = PNG_FORMAT_RGBA;
    img.w = int(pi.width);
    img.h = int(pi.height);
    img.rgba.assign(PNG_IMAGE_SIZE(pi), 0);
    return png_image_finish_read(&pi, nullptr, img.rgba.data(), 0, nullptr) != 0;
}

struct RegionList {
    struct R {
        int x, y, w, h;
        std::string label;
    };
    std::map<std::string, std::vector<R>> by_texture;
};

RegionList read_regions() {
    RegionList out;
    std::ifstream f(kRegions);
    std::string line, current;
    while (std::getline(f, line)) {
        std::istringstream in(line);
        std::string kind;
        in >> kind;
        if (kind == "T") {
            in >> current;
            out.by_texture[current];
        } else if (kind == "R") {
            RegionList::R r;
            in >> r.x >> r.y >> r.w >> r.h;
            std::getline(in >> std::ws, r.label);
            out.by_texture[current].push_back(r);
        }
    }
    return out;
}

class Archive : public ::testing::Test {
protected:
    static void SetUpTestSuite() { opened_ = zip_.OpenFile(kArchive); }
    static platform::ZipArchive zip_;
    static bool opened_;
};
platform::ZipArchive Archive::zip_;
bool Archive::opened_ = false;

TEST_F(Archive, OpensAndHoldsEveryAssetOnceWithinBudget) {
    ASSERT_TRUE(opened_) << kArchive;
    EXPECT_LE(std::filesystem::file_size(kArchive), 24u * 1024 * 1024);
    std::vector<std::string> expected = kTextures;
    expected.insert(expected.end(), kSounds.begin(), kSounds.end());
    expected.push_back("GameTable");
    EXPECT_EQ(expected.size(), 83u);
    for (const std::string& name : expected) EXPECT_TRUE((zip_.Find(name) >= 0)) << "missing " << name;
    for (const auto& e : zip_.entries()) {
        const std::string& name = e.name;
        EXPECT_EQ(name.find('/'), std::string::npos) << "directory entry " << name;
        std::vector<std::uint8_t> bytes;
        EXPECT_TRUE(zip_.Read(name, bytes)) << "damaged entry " << name;
        EXPECT_FALSE(bytes.empty()) << name;
    }
}

TEST_F(Archive, TexturesArePowerOfTwoImages) {
    ASSERT_TRUE(opened_);
    for (const std::string& name : kTextures) {
        std::vector<std::uint8_t> bytes;
        if (!zip_.Read(name, bytes)) continue;  // reported by the test above
        const bool jpeg = bytes.size() > 3 && bytes[0] == 0xFF && bytes[1] == 0xD8;
        if (jpeg) continue;
        Image img;
        ASSERT_TRUE(decode(bytes, img)) << name << " is neither PNG nor JPEG";
        EXPECT_EQ(img.w & (img.w - 1), 0) << name;
        EXPECT_EQ(img.h & (img.h - 1), 0) << name;
    }
}

TEST_F(Archive, EveryRecordedRegionHasContentAndFramesStayInTheirCells) {
    ASSERT_TRUE(opened_);
    const RegionList regions = read_regions();
    ASSERT_FALSE(regions.by_texture.empty()) << kRegions;
    // The sprite sheets must all have recorded their cells.
    for (const char* name : {"ShotTex", "BoardTex", "Ship1Tex", "FoneTex", "GroundTex", "CannonTex", "BigBoss3"}) {
        auto it = regions.by_texture.find(name);
        ASSERT_TRUE(it != regions.by_texture.end() && !it->second.empty()) << name;
    }
    for (const auto& [name, list] : regions.by_texture) {
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(zip_.Read(name, bytes)) << name;
        Image img;
        if (!decode(bytes, img)) continue;  // opaque JPEG pictures have no alpha to check
        for (const auto& r : list) {
            ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= img.w && r.y + r.h <= img.h) << name << ": " << r.label;
            int max_alpha = 0;
            for (int y = r.y; y < r.y + r.h; ++y)
                for (int x = r.x; x < r.x + r.w; ++x) max_alpha = std::max(max_alpha, img.alpha(x, y));
            EXPECT_GT(max_alpha, 0) << name << ": region \"" << r.label << "\" is empty";
            if (kFrameSheets.count(name)) {
                int edge = 0;
                for (int x = r.x; x < r.x + r.w; ++x)
                    edge = std::max({edge, img.alpha(x, r.y), img.alpha(x, r.y + r.h - 1)});
                for (int y = r.y; y < r.y + r.h; ++y)
                    edge = std::max({edge, img.alpha(r.x, y), img.alpha(r.x + r.w - 1, y)});
                EXPECT_EQ(edge, 0) << name << ": " << r.label << " touches its cell edge";
            }
        }
    }
}

TEST_F(Archive, SpriteSheetCellsDoNotOverlap) {
    ASSERT_TRUE(opened_);
    const RegionList regions = read_regions();
    // Sheets whose cells all have their own place; one cell nested inside
    // another is a deliberate share (the boss-3 puff inside its arm light).
    for (const char* name : {"BoardTex", "ShotTex", "Ship1Tex", "FoneTex", "GroundTex", "CannonTex", "BigBoss0",
                             "BigBoss1", "BigBoss2", "BigBoss3", "BigBoss4", "ExploTex", "Ship3Tex"}) {
        auto it = regions.by_texture.find(name);
        ASSERT_TRUE(it != regions.by_texture.end()) << name;
        const auto& list = it->second;
        for (std::size_t i = 0; i < list.size(); ++i)
            for (std::size_t k = i + 1; k < list.size(); ++k) {
                const auto &a = list[i], &b = list[k];
                const bool apart = a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y || b.y + b.h <= a.y;
                const bool nested = b.x >= a.x && b.y >= a.y && b.x + b.w <= a.x + a.w && b.y + b.h <= a.y + a.h;
                EXPECT_TRUE(apart || nested) << name << ": \"" << a.label << "\" overlaps \"" << b.label << "\"";
            }
    }
}

TEST_F(Archive, BackdropTilesAreOpaqueAndSeamless) {
    ASSERT_TRUE(opened_);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(zip_.Read("FoneTex", bytes));
    Image img;
    ASSERT_TRUE(decode(bytes, img));
    ASSERT_EQ(img.w, 512);
    auto px = [&](int x, int y, int c) { return int(img.rgba[(std::size_t(y) * img.w + x) * 4 + c]); };
    // The three far-layer tiles: 256 texels each, repeating in both directions.
    for (auto [x0, y0] : {std::pair{0, 0}, std::pair{0, 256}, std::pair{256, 0}}) {
        double seam = 0, inner = 0;
        for (int i = 0; i < 256; ++i)
            for (int c = 0; c < 3; ++c) {
                EXPECT_EQ(px(x0 + i, y0 + i, 3), 255);
                seam += std::abs(px(x0 + 255, y0 + i, c) - px(x0, y0 + i, c));  // right edge -> left edge
                seam += std::abs(px(x0 + i, y0 + 255, c) - px(x0 + i, y0, c));  // bottom -> top
                inner += std::abs(px(x0 + 127, y0 + i, c) - px(x0 + 128, y0 + i, c));
                inner += std::abs(px(x0 + i, y0 + 127, c) - px(x0 + i, y0 + 128, c));
            }
        EXPECT_LT(seam, inner * 2.5 + 256) << "tile at " << x0 << "," << y0 << " shows a seam";
    }
}

// The backdrop never competes with the fight: the far tiles stay dim and
// unsaturated (no texel as bright as the dimmest enemy bullet), and the
// tinted front layer is a faint veil.
TEST_F(Archive, BackdropStaysFarBelowTheBulletsInBrightness) {
    ASSERT_TRUE(opened_);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(zip_.Read("FoneTex", bytes));
    Image img;
    ASSERT_TRUE(decode(bytes, img));
    ASSERT_EQ(img.w, 512);
    auto px = [&](int x, int y, int c) { return int(img.rgba[(std::size_t(y) * img.w + x) * 4 + c]); };
    for (auto [x0, y0] : {std::pair{0, 0}, std::pair{0, 256}, std::pair{256, 0}}) {
        int brightest = 0, most_chroma = 0;
        for (int y = y0; y < y0 + 256; ++y)
            for (int x = x0; x < x0 + 256; ++x) {
                const int r = px(x, y, 0), g = px(x, y, 1), b = px(x, y, 2);
                brightest = std::max({brightest, r, g, b});
                most_chroma = std::max(most_chroma, std::max({r, g, b}) - std::min({r, g, b}));
            }
        EXPECT_LE(brightest, 150) << "tile at " << x0 << "," << y0;
        EXPECT_LE(most_chroma, 90) << "tile at " << x0 << "," << y0;
    }
    for (auto [x0, y0] : {std::pair{256, 256}, std::pair{384, 256}, std::pair{256, 384}}) {
        int densest = 0;
        for (int y = y0; y < y0 + 128; ++y)
            for (int x = x0; x < x0 + 128; ++x) densest = std::max(densest, px(x, y, 3));
        EXPECT_GT(densest, 8) << "overlay at " << x0 << "," << y0 << " is empty";
        EXPECT_LE(densest, 64) << "overlay at " << x0 << "," << y0;
    }
}

// The explosion flash is stretched to many times the blast, so its light must
// sit in a small core: most of the cell's alpha lies within a third of its
// radius, and the outer half is nearly clear.
TEST_F(Archive, ExplosionFlashKeepsItsLightInASmallCore) {
    ASSERT_TRUE(opened_);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(zip_.Read("ShotTex", bytes));
    Image img;
    ASSERT_TRUE(decode(bytes, img));
    const int x0 = 0, y0 = 0, side = 128;  // the flash cell
    const double c = side / 2.0;
    double inner = 0, outer = 0, all = 0;
    for (int y = y0; y < y0 + side; ++y)
        for (int x = x0; x < x0 + side; ++x) {
            const double d = std::hypot(x + 0.5 - c, y + 0.5 - c) / c;
            const double a = img.alpha(x, y) / 255.0;
            all += a;
            if (d < 0.33) inner += a;
            if (d > 0.5) outer += a;
        }
    EXPECT_GT(img.alpha(side / 2, side / 2), 240);
    ASSERT_GT(all, 0);
    EXPECT_GT(inner / all, 0.6);
    EXPECT_LT(outer / all, 0.1);
}

TEST_F(Archive, ExplosionFadesOutOverItsCells) {
    ASSERT_TRUE(opened_);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(zip_.Read("ExploTex", bytes));
    Image img;
    ASSERT_TRUE(decode(bytes, img));
    auto peak = [&](int f) {
        const int c = img.w / 6, x0 = (f % 6) * c, y0 = (f / 6) * c;
        int m = 0;
        for (int y = y0; y < y0 + c; ++y)
            for (int x = x0; x < x0 + c; ++x) m = std::max(m, img.alpha(x, y));
        return m;
    };
    EXPECT_GT(peak(0), 200);
    EXPECT_GT(peak(10), 200);
    EXPECT_LT(peak(35), 40);
}

TEST_F(Archive, GlyphAtlasCornerAndShadowEdgesAreTransparent) {
    ASSERT_TRUE(opened_);
    // Blank glyph places sample texel (0, 0) of the atlases.
    for (const char* name : {"SymbolMap", "SymbolMid", "SymbolMin"}) {
        std::vector<std::uint8_t> bytes;
        if (!zip_.Read(name, bytes)) continue;
        Image img;
        ASSERT_TRUE(decode(bytes, img)) << name;
        EXPECT_EQ(img.alpha(0, 0), 0) << name;
    }
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(zip_.Read("ShadowMap", bytes));
    Image img;
    ASSERT_TRUE(decode(bytes, img));
    EXPECT_EQ(img.alpha(0, 0), 0);
    EXPECT_GT(img.alpha(img.w / 2, img.h / 2), 128);
}

TEST_F(Archive, TableMeshHasTwoMaterialRangesOverOneVertexSet) {
    ASSERT_TRUE(opened_);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(zip_.Read("GameTable", bytes));
    const std::string x(bytes.begin(), bytes.end());
    EXPECT_EQ(x.rfind("xof 0303txt", 0), 0u);
    for (const char* block : {"Mesh ", "MeshNormals", "MeshTextureCoords", "MeshMaterialList", "Material "})
        EXPECT_NE(x.find(block), std::string::npos) << block;
    // The material list: count, face count, then one index per face.
    const std::size_t at = x.find("MeshMaterialList");
    std::istringstream in(x.substr(x.find('{', at) + 1));
    int materials = 0, faces = 0;
    char sep;
    in >> materials >> sep >> faces >> sep;
    EXPECT_GE(materials, 2);
    std::set<int> used;
    for (int i = 0; i < faces; ++i) {
        int m = -1;
        in >> m >> sep;
        used.insert(m);
    }
    EXPECT_EQ(int(used.size()), materials);
    EXPECT_EQ(*used.begin(), 0);
}

TEST_F(Archive, TableMeshLoadsWithTwoMaterialsThatShareEdges) {
    ASSERT_TRUE(opened_);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(zip_.Read("GameTable", bytes));
    ID3DXBuffer* adjacency = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD count = 0;
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXLoadMeshFromXInMemory(bytes.data(), DWORD(bytes.size()), D3DXMESH_MANAGED, nullptr, &adjacency,
                                        &materials, &count, &mesh),
              S_OK);
    ASSERT_NE(mesh, nullptr);
    ASSERT_NE(adjacency, nullptr);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(mesh->GetNumBytesPerVertex(), 32u);
    EXPECT_LT(mesh->GetNumVertices(), 20000u);
    const DWORD faces = mesh->GetNumFaces();
    DWORD* attr = nullptr;
    ASSERT_EQ(mesh->LockAttributeBuffer(0, &attr), S_OK);
    const auto* adj = static_cast<const DWORD*>(adjacency->GetBufferPointer());
    int across = 0, open_edges = 0;
    for (DWORD f = 0; f < faces; ++f)
        for (int e = 0; e < 3; ++e) {
            const DWORD n = adj[f * 3 + e];
            if (n == D3DX_NO_NEIGHBOR)
                ++open_edges;
            else if (n < faces && attr[n] != attr[f])
                ++across;
        }
    mesh->UnlockAttributeBuffer();
    EXPECT_GT(across, 0) << "the felt and the frame should meet along shared edges";
    EXPECT_GT(open_edges, 0) << "the skirt's lower rim is open";
    mesh->Release();
    adjacency->Release();
    if (materials) materials->Release();
}

}  // namespace
