// The generated archive against the program's own loaders: every asset name
// the program uses is in gamedata.res and decodes the way the game reads it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/game_context.h"
#include "assets/asset_names.h"
#include "assets/mesh_cache.h"
#include "assets/sound.h"
#include "assets/textures.h"
#include "gfx/null/null_device.h"
#include "platform/resource_library.h"
#include "platform/services.h"
#include "platform/sound_library.h"

namespace dw {
namespace {

const std::string kArchive = std::string(DW_BUILD_DIR) + "/gamedata.res";

class GameDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        ctx.services = &services;
        if (!std::filesystem::exists(kArchive)) GTEST_SKIP() << "no gamedata.res in this build";
        library.SetOverride(kArchive);
        services.resources = &library;
        services.sound = &mixer;
        ctx.device = &device;
        ctx.textureCache = &textures;
        ctx.soundCache = &sounds;
        ctx.meshCache = &meshes;
        ctx.preparedMeshCache = &prepared;
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        StartSound(&ctx);
    }
    void TearDown() override {
        UnloadAllSounds(&ctx);
        ShutdownSound(&ctx);
        textures.ReleaseAll();
        prepared.ReleaseAll();
        meshes.ReleaseAll();
        services.resources = nullptr;
        services.sound = nullptr;
    }

    platform::ZipResourceLibrary library;
    platform::MixerSoundLibrary mixer;
    gfx::NullDevice device;
    platform::Services services;  // the seams of `ctx`
    GameContext ctx;
    TextureCache textures;
    SoundCache sounds;
    MeshCache meshes, prepared;
};

TEST_F(GameDataTest, EveryTextureDecodesIntoADeviceTexture) {
    for (const char* name : asset::kAllTextures) {
        SCOPED_TRACE(name);
        EXPECT_EQ(LoadTexture(&ctx, name, 0xFF000000u, false, 2), S_OK);
        gfx::Texture* t = textures.Find(name);
        ASSERT_NE(t, nullptr);
        EXPECT_GE(t->Width(), 64u);
        EXPECT_EQ(t->Width() & (t->Width() - 1), 0u) << "power of two";
        EXPECT_EQ(t->Height() & (t->Height() - 1), 0u) << "power of two";
    }
}

TEST_F(GameDataTest, EverySampleAndStreamLoadsInTheSoundLibrary) {
    ASSERT_EQ(ctx.soundReady, 1) << "the dummy audio driver should open";
    for (const char* name : asset::kAllSamples) {
        SCOPED_TRACE(name);
        std::int32_t handle = 0;
        EXPECT_EQ(LoadSample(&ctx, name, handle), S_OK);
        EXPECT_NE(handle, 0);
    }
    for (const char* name : asset::kAllStreams) {
        SCOPED_TRACE(name);
        EXPECT_EQ(OpenMusicStream(&ctx, name, ctx.musicStream), S_OK);
        EXPECT_GT(ctx.musicStream, 0);
    }
}

TEST_F(GameDataTest, TheTableMeshLoadsAndSplitsIntoParts) {
    CD3DFile_Mesh mesh(&ctx);
    ASSERT_EQ(mesh.LoadMesh(&device, ctx.resourceLibraryName, asset::GameTable), S_OK);
    EXPECT_GE(mesh.partCount, 2u);
    EXPECT_EQ(mesh.vertexStride, 32u);
    mesh.DestroyMesh();
}

TEST_F(GameDataTest, ArchiveFitsItsBudget) { EXPECT_LE(std::filesystem::file_size(kArchive), 24u * 1024u * 1024u); }

}  // namespace
}  // namespace dw
