#include <gtest/gtest.h>
#include <png.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "core/game_context.h"
#include "core/log.h"
#include "assets/asset_names.h"
#include "assets/textures.h"
#include "gfx/null/null_device.h"
#include "render/render_queue.h"
#include "platform/resource_library.h"
#include "platform/services.h"

namespace dw {
namespace {

// A small RGBA PNG made with libpng.
std::vector<std::uint8_t> MakePng(std::uint32_t w, std::uint32_t h, std::uint32_t rgba) {
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* v = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
            v->insert(v->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<std::uint8_t> row(w * 4);
    for (std::uint32_t x = 0; x < w; ++x) {
        row[x * 4 + 0] = (rgba >> 24) & 0xFF;
        row[x * 4 + 1] = (rgba >> 16) & 0xFF;
        row[x * 4 + 2] = (rgba >> 8) & 0xFF;
        row[x * 4 + 3] = rgba & 0xFF;
    }
    for (std::uint32_t y = 0; y < h; ++y) png_write_row(png, row.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

class TextureCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        ctx.services = &services;
        ctx.device = &device;
        ctx.textureCache = &cache;
        services.resources = &resources;
        resources.blocks[asset::ShotTex] = MakePng(16, 8, 0xFF8000FF);
        resources.blocks[asset::BoardTex] = {'b', 'r', 'o', 'k', 'e', 'n'};
    }
    void TearDown() override {
        cache.ReleaseAll();
        services.resources = nullptr;
    }
    platform::Services services;  // the seams of `ctx`
    GameContext ctx;
    gfx::NullDevice device;
    TextureCache cache;
    platform::MemoryResourceLibrary resources;
};

TEST_F(TextureCacheTest, LoadsOnceAndKeysByTheText) {
    ASSERT_EQ(LoadTexture(&ctx, asset::ShotTex, 0xFF000000, false, 2), S_OK);
    const int opens = resources.loadCalls;
    EXPECT_EQ(LoadTexture(&ctx, asset::ShotTex, 0xFF000000, false, 2), S_OK);
    EXPECT_EQ(resources.loadCalls, opens);  // served from the cache
    gfx::Texture* t = cache.Find(asset::ShotTex);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Width(), 16u);
    EXPECT_EQ(t->LevelCount(), 2u);
    // A name built at run time is the same name.
    const std::string built = std::string("Shot") + "Tex";
    EXPECT_EQ(LoadTexture(&ctx, built.c_str(), 0xFF000000, false, 2), S_OK);
    ASSERT_EQ(BindTexture(&ctx, 0, built.c_str()), S_OK);
    EXPECT_EQ(device.texture(0), t);
    EXPECT_EQ(resources.loadCalls, opens);
    EXPECT_EQ(cache.Count(), 1u);
    ReleaseTexture(&ctx, built.c_str());
    EXPECT_EQ(cache.Count(), 0u);
    EXPECT_EQ(resources.openCount, 0);  // the library is closed after each load
}

TEST_F(TextureCacheTest, BindLoadsOnDemandAndTheEmptyNameClearsTheStage) {
    ASSERT_EQ(BindTexture(&ctx, 0, asset::ShotTex), S_OK);
    gfx::Texture* bound = device.texture(0);
    ASSERT_NE(bound, nullptr);
    EXPECT_EQ(bound->LevelCount(), 5u);  // full chain for 16 x 8
    EXPECT_EQ(BindTexture(&ctx, 0, asset::NoTexture), E_FAIL);
    EXPECT_EQ(device.texture(0), nullptr);
    ASSERT_EQ(BindTexture(&ctx, 0, asset::ShotTex), S_OK);
    EXPECT_EQ(device.texture(0), bound);
    // A broken image leaves the stage as it was.
    EXPECT_EQ(BindTexture(&ctx, 0, asset::BoardTex), E_FAIL);
    EXPECT_EQ(device.texture(0), bound);
    EXPECT_EQ(LoadTexture(&ctx, asset::NoTexture, 0, false, 1), E_FAIL);
}

// The stage keeps its texture when a bind fails, but the render queue does
// not draw with it: an entry whose texture cannot be had is drawn untextured,
// never in the colours of the entry before it.
TEST_F(TextureCacheTest, AnEntryWhoseTextureFailsIsDrawnUntextured) {
    RenderQueue queue(&ctx);
    ctx.renderQueue = &queue;
    ASSERT_EQ(queue.RestoreDeviceObjects(), S_OK);
    ScreenVertex quad[6] = {};
    for (const auto& [key, texture] : {std::pair{2.0f, asset::ShotTex}, std::pair{3.0f, asset::BoardTex}}) {
        DrawEntry& e = ctx.drawRequest;
        e = DrawEntry{};
        e.screenSpace = 1;
        e.sortKey = key;  // opaque entries: the smaller key is drawn first
        e.texture = texture;
        e.vertices = quad;
        e.primitiveCount = 2;
        queue.Submit(e);
    }
    device.ClearRecords();
    queue.Flush();
    queue.Clear();
    ASSERT_EQ(device.draws().size(), 2u);
    EXPECT_EQ(device.draws()[0].texture, cache.Find(asset::ShotTex));
    EXPECT_NE(device.draws()[0].texture, nullptr);
    EXPECT_EQ(device.draws()[1].texture, nullptr);
    queue.InvalidateDeviceObjects();
    ctx.renderQueue = nullptr;
}

// A broken texture drawn every frame is read, decoded and logged once a
// session.
TEST_F(TextureCacheTest, AFailedLoadIsRememberedAndLoggedOnceForTheSession) {
    const auto logPath = std::filesystem::temp_directory_path() / ("dw_tex_" + std::to_string(::getpid()) + ".log");
    {
        Log log(logPath.string());
        ctx.log = &log;
        const int before = resources.loadCalls;
        for (int frame = 0; frame < 50; ++frame) {
            EXPECT_EQ(BindTexture(&ctx, 0, asset::BoardTex), E_FAIL);
            EXPECT_EQ(LoadTexture(&ctx, asset::BoardTex, 0, false, 1), E_FAIL);
        }
        EXPECT_EQ(resources.loadCalls, before + 1);
        ASSERT_EQ(BindTexture(&ctx, 0, asset::ShotTex), S_OK);  // the others load as ever
        EXPECT_EQ(LoadTexture(&ctx, "NoSuchTex", 0, false, 1), E_FAIL);
        ctx.log = nullptr;
    }
    std::ifstream in(logPath);
    std::ostringstream text;
    text << in.rdbuf();
    std::filesystem::remove(logPath);
    EXPECT_EQ(text.str(),
              std::string("FAIL: Can not load texture ") + asset::BoardTex +
                  ": not a picture the game reads\nFAIL: Can not load texture NoSuchTex: not in the resource "
                  "library\n");
}

TEST_F(TextureCacheTest, ReleaseForgetsOneAndMissingLibraryFails) {
    ASSERT_EQ(LoadTexture(&ctx, asset::ShotTex, 0, false, 1), S_OK);
    ReleaseTexture(&ctx, asset::BoardTex);  // not cached: nothing
    EXPECT_EQ(cache.Count(), 1u);
    ReleaseTexture(&ctx, asset::ShotTex);
    EXPECT_EQ(cache.Count(), 0u);
    EXPECT_EQ(cache.Find(asset::ShotTex), nullptr);
    resources.failOpen = true;
    EXPECT_EQ(LoadTexture(&ctx, asset::ShotTex, 0, false, 1), E_FAIL);
    EXPECT_EQ(cache.Count(), 0u);
}

}  // namespace
}  // namespace dw
