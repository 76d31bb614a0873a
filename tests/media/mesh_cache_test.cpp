#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/game_context.h"
#include "core/log.h"
#include "d3dx/d3dx_mesh.h"
#include "assets/asset_names.h"
#include "assets/mesh_cache.h"
#include "platform/resource_library.h"
#include "platform/services.h"

namespace fs = std::filesystem;

namespace dw {
namespace {

// Two quads side by side sharing an edge, one material each.
const char kTwoMaterialX[] = R"(xof 0303txt 0032
Mesh {
  6;
  0.0;0.0;0.0;, 1.0;0.0;0.0;, 2.0;0.0;0.0;,
  0.0;1.0;0.0;, 1.0;1.0;0.0;, 2.0;1.0;0.0;;
  4;
  3;0,3,1;, 3;1,3,4;, 3;1,4,2;, 3;2,4,5;;
  MeshMaterialList {
    2; 4; 0,0,1,1;;
    Material { 1.0;0.0;0.0;1.0;; 10.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
    Material { 0.0;1.0;0.0;1.0;; 10.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
  }
}
)";

class MeshCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        ctx.services = &services;
        logPath = fs::temp_directory_path() / ("dw_mesh_" + std::to_string(::getpid()) + ".log");
        log = std::make_unique<Log>(logPath.string());
        ctx.log = log.get();
        ctx.meshCache = &raw;
        ctx.preparedMeshCache = &prepared;
        services.resources = &resources;
        resources.blocks[asset::GameTable] =
            std::vector<std::uint8_t>(kTwoMaterialX, kTwoMaterialX + sizeof kTwoMaterialX - 1);
        resources.blocks[asset::BoardTex] = {'n', 'o', 't', ' ', 'x'};
    }
    void TearDown() override {
        prepared.ReleaseAll();
        raw.ReleaseAll();
        services.resources = nullptr;
        fs::remove(logPath);
    }
    std::string LogText() {
        std::ifstream in(logPath);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    platform::Services services;  // the seams of `ctx`
    GameContext ctx;
    MeshCache raw, prepared;
    platform::MemoryResourceLibrary resources;
    fs::path logPath;
    std::unique_ptr<Log> log;
};

TEST_F(MeshCacheTest, LoadSplitsByMaterialAndNeighboursAcrossPartsAreCut) {
    CD3DFile_Mesh mesh(&ctx);
    ASSERT_EQ(mesh.LoadMesh(nullptr, "gamedata.res", asset::GameTable), S_OK);
    EXPECT_EQ(mesh.partCount, 2u);
    EXPECT_EQ(mesh.vertexStride, 32u);
    for (std::uint32_t p = 0; p < mesh.partCount; ++p) {
        ID3DXMesh* part = mesh.parts[p];
        EXPECT_EQ(part->GetNumFaces(), 2u);
        BYTE* idx = nullptr;
        ASSERT_EQ(part->LockIndexBuffer(D3DLOCK_READONLY, &idx), S_OK);
        for (int k = 0; k < 6; ++k) EXPECT_LT(reinterpret_cast<std::uint16_t*>(idx)[k], part->GetNumVertices());
        part->UnlockIndexBuffer();
    }
    // A second owner takes everything from the caches without the library.
    const int loadsBefore = resources.loadCalls;
    CD3DFile_Mesh again(&ctx);
    ASSERT_EQ(again.LoadMesh(nullptr, "gamedata.res", asset::GameTable), S_OK);
    EXPECT_EQ(resources.loadCalls, loadsBefore);
    EXPECT_EQ(again.parts, mesh.parts);
    EXPECT_EQ(raw.Count(), 1u);
    EXPECT_EQ(prepared.Count(), 1u);
}

TEST_F(MeshCacheTest, InvalidateAndRestoreRebuildTheParts) {
    CD3DFile_Mesh mesh(&ctx);
    ASSERT_EQ(mesh.LoadMesh(nullptr, "gamedata.res", asset::GameTable), S_OK);
    prepared.ReleaseAll();  // the application's InvalidateDeviceObjects
    mesh.InvalidateMesh();
    EXPECT_EQ(mesh.partCount, 0u);
    ASSERT_EQ(mesh.RestoreMesh(nullptr), S_OK);
    EXPECT_EQ(mesh.partCount, 2u);
    EXPECT_EQ(prepared.Count(), 1u);
    mesh.DestroyMesh();
    EXPECT_EQ(mesh.RestoreMesh(nullptr), E_FAIL);  // no raw mesh any more
}

TEST_F(MeshCacheTest, FailuresLogTheirOwnLine) {
    CD3DFile_Mesh mesh(&ctx);
    static const char kMissing[] = "NoSuchMesh";
    EXPECT_EQ(mesh.LoadMesh(nullptr, "gamedata.res", kMissing), E_FAIL);
    EXPECT_EQ(mesh.LoadMesh(nullptr, "gamedata.res", asset::BoardTex), E_FAIL);
    resources.failOpen = true;
    EXPECT_EQ(mesh.LoadMesh(nullptr, "gamedata.res", asset::GameTable), E_FAIL);
    EXPECT_EQ(LogText(),
              "FAIL: Can not find resource for MESH!\n"
              "FAIL: Can not load MESH!\n"
              "FAIL: Can not find library for MESH!\n");
    EXPECT_EQ(raw.Count(), 0u);
}

}  // namespace
}  // namespace dw
