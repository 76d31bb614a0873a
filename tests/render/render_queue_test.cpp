// The Render queue against the recording device: order, batching, state
// changes, shadows, passes over the buffer capacities, allocation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <limits>
#include <new>
#include <vector>

#include "core/game_context.h"
#include "d3dx/d3dx_math.h"
#include "d3dx/d3dx_mesh.h"
#include "render/render_queue.h"
#include "assets/asset_names.h"
#include "gfx/null/null_device.h"

// Counts heap allocations while armed (for the steady-state test).
namespace {
bool g_countAllocations = false;
std::size_t g_allocations = 0;
}  // namespace

// AddressSanitizer keeps its own allocator; the count runs without it.
#if defined(__SANITIZE_ADDRESS__)
#define DW_COUNT_ALLOCATIONS 0
#else
#define DW_COUNT_ALLOCATIONS 1
// The replacement pair below is malloc/free underneath on purpose; GCC sees
// the inlined pair and warns about a mismatch that is not there.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    if (g_countAllocations) ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#endif

namespace dw {
namespace {

class RenderQueueTest : public ::testing::Test {
protected:
    RenderQueueTest() : queue(&ctx) {
        ctx.device = &device;
        ctx.renderQueue = &queue;
        ctx.canMipMap = 1;
        ctx.canMipLinear = 1;
        device.SetCaptureGeometry(true);
        EXPECT_EQ(queue.RestoreDeviceObjects(), S_OK);
    }
    ~RenderQueueTest() override {
        queue.Clear();
        queue.InvalidateDeviceObjects();
    }

    // A sprite entry of `quads` quads whose vertices carry `tag` in x and the
    // quad number in y, so the drawn vertices tell who drew them in what order.
    DrawEntry& Sprite(float key, std::uint32_t tag, int quads = 1) {
        auto& verts = storage.emplace_back(static_cast<std::size_t>(quads) * 6);
        for (std::size_t i = 0; i < verts.size(); ++i) {
            verts[i] = {static_cast<float>(tag), static_cast<float>(i / 6), 0.5f, 1.0f, 0xFFFFFFFFu, 0.0f, 0.0f};
        }
        DrawEntry& e = ctx.drawRequest;
        std::memset(&e, 0, sizeof e);
        e.screenSpace = 1;
        e.sortKey = key;
        e.texture = asset::NoTexture;
        e.vertices = verts.data();
        e.primitiveCount = 2 * quads;
        return e;
    }
    DrawEntry& Blended(float key, std::uint32_t tag, int quads = 1) {
        DrawEntry& e = Sprite(key, tag, quads);
        e.alphaBlend = 1;
        e.srcBlend = D3DBLEND_SRCALPHA;
        e.destBlend = D3DBLEND_INVSRCALPHA;
        return e;
    }
    void Submit() { queue.Submit(ctx.drawRequest); }
    void Frame() {
        device.ClearRecords();
        queue.Flush();
        queue.Clear();
    }

    // Tags of the screen vertices drawn, one per quad, in drawing order.
    std::vector<std::uint32_t> DrawnTags() const {
        std::vector<std::uint32_t> tags;
        for (const auto& d : device.draws()) {
            if (d.fvf != gfx::kFvfScreen) continue;
            const std::size_t n = d.vertexBytes.size() / sizeof(ScreenVertex);
            for (std::size_t i = 0; i < n; i += 6) {
                ScreenVertex v;
                std::memcpy(&v, d.vertexBytes.data() + i * sizeof v, sizeof v);
                tags.push_back(static_cast<std::uint32_t>(v.x));
            }
        }
        return tags;
    }

    gfx::NullDevice device;
    GameContext ctx;
    RenderQueue queue;
    std::deque<std::vector<ScreenVertex>> storage;
};

TEST_F(RenderQueueTest, EmptyQueueDrawsNothingNotEvenTheClear) {
    queue.Flush();
    EXPECT_EQ(device.clearCount(), 0u);
    EXPECT_TRUE(device.draws().empty());
    EXPECT_EQ(device.counters().stateChanges, 0u);
    EXPECT_EQ(queue.lastBatchCount, 0u);
}

TEST_F(RenderQueueTest, SubmitZeroesTheRequestAndKeepsItsOwnCopy) {
    DrawEntry& e = Sprite(1.0f, 7);
    e.lit = 1;
    e.lightSet = 3;
    e.material.Diffuse = {1, 0, 0, 1};
    Submit();
    const DrawEntry zero{};
    EXPECT_EQ(std::memcmp(&ctx.drawRequest, &zero, sizeof zero), 0);
    EXPECT_EQ(queue.EntryCount(), 1u);

    Frame();
    ASSERT_EQ(device.draws().size(), 1u);
    // Sprites are drawn with the queue's own (zero) material.
    const auto& d = device.draws()[0];
    EXPECT_EQ(d.material.Diffuse.r, 0.0f);
    EXPECT_EQ(d.lightCount, 0u);
    EXPECT_EQ(DrawnTags(), std::vector<std::uint32_t>({7}));
    EXPECT_EQ(device.invalidCalls(), 0u);
}

TEST_F(RenderQueueTest, FrameOrderDepthOpaqueThenBlendedThenNoDepth) {
    // Submitted in scrambled order; one texture for all.
    Blended(1.9f, 10);
    Submit();
    Sprite(3.0f, 2);
    Submit();
    {
        DrawEntry& e = Sprite(0.5f, 20);
        e.noDepth = 1;
        Submit();
    }
    Blended(2.0f, 11);
    Submit();
    Sprite(1.0f, 1);
    Submit();
    {
        DrawEntry& e = Blended(5.0f, 21);
        e.noDepth = 1;
        Submit();
    }
    Frame();
    // Opaque depth-tested ascending, blended descending (2.0 before 1.9),
    // then without depth (blended after opaque).
    EXPECT_EQ(DrawnTags(), std::vector<std::uint32_t>({1, 2, 11, 10, 20, 21}));
    ASSERT_EQ(device.draws().size(), 4u);
    const auto& d = device.draws();
    EXPECT_TRUE(d[0].zEnable && d[0].zWrite && !d[0].alphaBlend);
    EXPECT_EQ(d[0].zFunc, static_cast<DWORD>(D3DCMP_LESSEQUAL));
    EXPECT_TRUE(d[1].zEnable && d[1].alphaBlend);
    EXPECT_EQ(d[1].srcBlend, static_cast<DWORD>(D3DBLEND_SRCALPHA));
    EXPECT_EQ(d[1].destBlend, static_cast<DWORD>(D3DBLEND_INVSRCALPHA));
    EXPECT_TRUE(!d[2].zEnable && !d[2].zWrite && !d[2].alphaBlend);
    EXPECT_TRUE(!d[3].zEnable && d[3].alphaBlend);
    EXPECT_EQ(queue.lastBatchCount, 4u);
    EXPECT_EQ(device.counters().draws, 4u);
}

TEST_F(RenderQueueTest, KeysWithinTheToleranceKeepTextureOrder) {
    // 1.0 and 1.000001 count as one key, so the texture decides.
    {
        DrawEntry& e = Sprite(1.000001f, 2);
        e.texture = asset::ShotTex;
        Submit();
    }
    {
        DrawEntry& e = Sprite(1.0f, 1);
        e.texture = asset::BoardTex;
        Submit();
    }
    Frame();
    // "BoardTex" < "ShotTex".
    EXPECT_EQ(DrawnTags(), std::vector<std::uint32_t>({1, 2}));
}

TEST_F(RenderQueueTest, CompatibleRunIsOneDrawDifferentTexturesAreTwo) {
    for (std::uint32_t i = 0; i < 5; ++i) {
        DrawEntry& e = Blended(2.58f, i);
        e.texture = asset::ShotTex;
        Submit();
    }
    Frame();
    EXPECT_EQ(device.draws().size(), 1u);
    EXPECT_EQ(queue.lastBatchCount, 1u);
    EXPECT_EQ(device.draws()[0].vertexCount, 30u);

    for (std::uint32_t i = 0; i < 4; ++i) {
        DrawEntry& e = Blended(2.58f, i);
        e.texture = (i % 2) ? asset::ShotTex : asset::ExploTex;
        Submit();
    }
    Frame();
    EXPECT_EQ(device.draws().size(), 2u);
    EXPECT_EQ(queue.lastBatchCount, 2u);
}

TEST_F(RenderQueueTest, DifferentBlendFactorsAreNotMerged) {
    Blended(2.0f, 1);
    Submit();
    {
        DrawEntry& e = Blended(2.0f, 2);
        e.destBlend = D3DBLEND_ONE;
        Submit();
    }
    Frame();
    ASSERT_EQ(device.draws().size(), 2u);
    EXPECT_NE(device.draws()[0].destBlend, device.draws()[1].destBlend);
}

TEST_F(RenderQueueTest, EntriesTheOrderCannotTellApartKeepTheirSubmissionOrder) {
    // Many like sprites, every other one additive: the sort may not shuffle
    // them (that would reorder overlapping blends and split or merge draws).
    constexpr std::uint32_t kCount = 200;
    for (std::uint32_t i = 0; i < kCount; ++i) {
        DrawEntry& e = Blended(2.0f, i);
        if (i % 2) e.destBlend = D3DBLEND_ONE;
        Submit();
    }
    Frame();
    std::vector<std::uint32_t> expected(kCount);
    for (std::uint32_t i = 0; i < kCount; ++i) expected[i] = i;
    EXPECT_EQ(DrawnTags(), expected);
    EXPECT_EQ(queue.lastBatchCount, kCount);
}

TEST_F(RenderQueueTest, UnorderableKeysStillDrawEveryEntryOnce) {
    // Not-a-number and infinite keys among ordinary ones: the order stays a
    // strict one, so the sort neither runs away nor loses an entry.
    const float keys[] = {std::numeric_limits<float>::quiet_NaN(), 1.0f, std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity(), 2.0f};
    constexpr std::uint32_t kCount = 100;
    for (std::uint32_t i = 0; i < kCount; ++i) {
        Blended(keys[i % 5], i);
        Submit();
    }
    Frame();
    std::vector<std::uint32_t> tags = DrawnTags();
    std::sort(tags.begin(), tags.end());
    std::vector<std::uint32_t> expected(kCount);
    for (std::uint32_t i = 0; i < kCount; ++i) expected[i] = i;
    EXPECT_EQ(tags, expected);
}

TEST_F(RenderQueueTest, StatesAreSetOnlyWhenTheyDiffer) {
    // One batch ...
    {
        DrawEntry& e = Blended(2.0f, 1);
        e.texture = asset::ShotTex;
        Submit();
    }
    device.ResetCounters();
    Frame();
    const auto oneBatch = device.counters().stateChanges;

    // ... and three that differ only in texture cost no more state calls.
    const char* textures[] = {asset::ShotTex, asset::ExploTex, asset::BoardTex};
    for (std::uint32_t i = 0; i < 3; ++i) {
        DrawEntry& e = Blended(2.0f, i);
        e.texture = textures[i];
        Submit();
    }
    device.ResetCounters();
    Frame();
    EXPECT_EQ(device.draws().size(), 3u);
    EXPECT_EQ(device.counters().stateChanges, oneBatch);
}

TEST_F(RenderQueueTest, TwoStageEntryIsOneOpaqueDrawInItsBlendedPlace) {
    ASSERT_TRUE(queue.SecondStage());
    std::vector<ScreenVertex2> merged(12);
    for (std::size_t i = 0; i < merged.size(); ++i)
        merged[i] = {77.0f, static_cast<float>(i), 0.76f, 0.76f, 0xff339900u, 0.5f, 0.6f, 0.1f, 0.2f};
    Blended(3.6f, 1).noDepth = 1;  // behind the background
    Submit();
    Blended(2.0f, 2);  // depth-tested: before everything without depth
    Submit();
    SubmitTwoStage(&ctx, asset::FoneTex, asset::FoneTex, merged.data(), 4, 3.5f);
    EXPECT_EQ(ctx.drawRequest.twoStage, 0);
    Blended(2.0f, 3);
    ctx.drawRequest.noDepth = 1;
    Submit();
    Frame();
    const auto& draws = device.draws();
    // 3.6, the background, then 2.0 without depth; the depth-tested 2.0 first.
    ASSERT_EQ(draws.size(), 4u);
    EXPECT_EQ(queue.lastBatchCount, 4u);
    const gfx::DrawRecord& bg = draws[2];
    EXPECT_EQ(bg.fvf, gfx::kFvfScreen2);
    EXPECT_EQ(bg.stride, sizeof(ScreenVertex2));
    EXPECT_EQ(bg.primitiveCount, 4u);
    EXPECT_FALSE(bg.alphaBlend);
    EXPECT_FALSE(bg.zEnable);
    EXPECT_EQ(bg.colorOp1, static_cast<DWORD>(D3DTOP_BLENDCURRENTALPHA));
    EXPECT_EQ(bg.colorArg1_1, D3DTA_CURRENT);
    EXPECT_EQ(bg.colorArg2_1, D3DTA_TEXTURE);
    EXPECT_EQ(bg.texCoordIndex1, 1u);
    ASSERT_EQ(bg.vertexBytes.size(), 12 * sizeof(ScreenVertex2));
    EXPECT_EQ(std::memcmp(bg.vertexBytes.data(), merged.data(), bg.vertexBytes.size()), 0);
    // Stage 1 is off for every other draw, and after the frame.
    for (std::size_t i : {0u, 1u, 3u}) {
        EXPECT_EQ(draws[i].colorOp1, static_cast<DWORD>(D3DTOP_DISABLE)) << i;
        EXPECT_EQ(draws[i].fvf, gfx::kFvfScreen) << i;
    }
    EXPECT_TRUE(draws[3].alphaBlend);
    EXPECT_EQ(DrawnTags(), (std::vector<std::uint32_t>{2, 1, 3}));
    EXPECT_EQ(device.texture(1), nullptr);
    EXPECT_EQ(device.invalidCalls(), 0u);
}

TEST_F(RenderQueueTest, DeviceWithoutASecondStageIsReported) {
    device.SetBlendStages(1);
    ASSERT_EQ(queue.RestoreDeviceObjects(), S_OK);
    EXPECT_FALSE(queue.SecondStage());
}

TEST_F(RenderQueueTest, DefaultStateIsRestoredAfterTheFrame) {
    {
        DrawEntry& e = Blended(2.0f, 1);
        e.noDepth = 1;
        Submit();
    }
    Frame();
    DWORD v = 0;
    device.GetRenderState(D3DRS_ALPHABLENDENABLE, &v);
    EXPECT_EQ(v, 0u);
    device.GetRenderState(D3DRS_ZENABLE, &v);
    EXPECT_EQ(v, 1u);
    device.GetRenderState(D3DRS_ZWRITEENABLE, &v);
    EXPECT_EQ(v, 1u);
    device.GetRenderState(D3DRS_AMBIENTMATERIALSOURCE, &v);
    EXPECT_EQ(v, static_cast<DWORD>(D3DMCS_COLOR2));
    EXPECT_EQ(device.texture(0), nullptr);
    EXPECT_FALSE(device.inScene());
    EXPECT_EQ(device.invalidCalls(), 0u);
}

TEST_F(RenderQueueTest, FailingBeginSceneSkipsFrameOrBatch) {
    Sprite(1.0f, 1);
    Submit();
    Blended(2.0f, 2);
    Submit();
    device.FailBeginScene(0, 1);  // the clear's scene
    Frame();
    EXPECT_TRUE(device.draws().empty());
    EXPECT_EQ(device.clearCount(), 0u);

    Sprite(1.0f, 1);
    Submit();
    Blended(2.0f, 2);
    Submit();
    device.FailBeginScene(1, 1);  // the first batch's scene
    Frame();
    EXPECT_EQ(DrawnTags(), std::vector<std::uint32_t>({2}));
    EXPECT_EQ(queue.lastBatchCount, 1u);
    EXPECT_FALSE(device.inScene());
}

// --- shadows --------------------------------------------------------------------

class ShadowTest : public RenderQueueTest {
protected:
    void WithShadow(DrawEntry& e) {
        e.shadowKind = ShadowKind::OneQuad;
        e.shadowPosition[0] = 10.0f;
        e.shadowPosition[2] = 20.0f;
        e.shadowLeft = -1.0f;
        e.shadowRight = 1.0f;
        e.shadowNear = -2.0f;
        e.shadowFar = 2.0f;
        e.groundHeight = -5.0f;
    }
    std::vector<DWORD> DrawnFormats() const {
        std::vector<DWORD> f;
        for (const auto& d : device.draws()) f.push_back(d.fvf);
        return f;
    }
};

TEST_F(ShadowTest, ShadowsComeBeforeTheFirstBlendedRunAfterTheFirstRun) {
    WithShadow(Sprite(1.0f, 1));
    Submit();
    Blended(2.0f, 2);
    Submit();
    {
        DrawEntry& e = Blended(1.0f, 3);
        e.texture = asset::ShotTex;
        Submit();
    }
    Frame();
    EXPECT_EQ(DrawnFormats(), std::vector<DWORD>({gfx::kFvfScreen, gfx::kFvfShadow, gfx::kFvfScreen, gfx::kFvfScreen}));
    const auto& s = device.draws()[1];
    EXPECT_TRUE(s.alphaBlend && s.zEnable);
    EXPECT_FLOAT_EQ(s.material.Diffuse.a, 0.25f);
    ASSERT_EQ(s.vertexBytes.size(), 6 * sizeof(ShadowVertex));
    // The first triangle: (x+left, z+near), (x+left, z+far), (x+right, z+near).
    ShadowVertex v[3];
    std::memcpy(v, s.vertexBytes.data(), sizeof v);
    EXPECT_FLOAT_EQ(v[0].x, 9.0f);
    EXPECT_FLOAT_EQ(v[0].z, 18.0f);
    EXPECT_FLOAT_EQ(v[0].y, -5.0f);
    EXPECT_FLOAT_EQ(v[0].v, 1.0f);
    EXPECT_FLOAT_EQ(v[1].z, 22.0f);
    EXPECT_FLOAT_EQ(v[2].x, 11.0f);
    EXPECT_FLOAT_EQ(v[2].u, 1.0f);
    EXPECT_EQ(device.invalidCalls(), 0u);
}

TEST_F(ShadowTest, BlendedFirstRunThenAnotherBlendedRunGetsShadowsBetween) {
    WithShadow(Blended(2.0f, 1));
    Submit();
    {
        DrawEntry& e = Blended(1.0f, 2);
        e.texture = asset::ShotTex;
        Submit();
    }
    Frame();
    EXPECT_EQ(DrawnFormats(), std::vector<DWORD>({gfx::kFvfScreen, gfx::kFvfShadow, gfx::kFvfScreen}));
}

TEST_F(ShadowTest, NoBlendedRunAfterTheFirstMeansNoShadows) {
    WithShadow(Blended(2.0f, 1));
    Submit();
    Frame();
    EXPECT_EQ(DrawnFormats(), std::vector<DWORD>({gfx::kFvfScreen}));

    WithShadow(Sprite(1.0f, 1));
    Submit();
    {
        DrawEntry& e = Sprite(1.0f, 2);
        e.texture = asset::ShotTex;
        Submit();
    }
    Frame();
    EXPECT_EQ(DrawnFormats(), std::vector<DWORD>({gfx::kFvfScreen, gfx::kFvfScreen}));
}

TEST_F(ShadowTest, PositionListGivesOneQuadPerPosition) {
    const float positions[3][3] = {{0, 0, 0}, {5, 0, 5}, {9, 0, 9}};
    {
        DrawEntry& e = Sprite(1.0f, 1);
        WithShadow(e);
        e.shadowKind = ShadowKind::QuadPerPosition;
        e.shadowPositions = positions;
        e.shadowCount = 3;
        Submit();
    }
    Blended(2.0f, 2);
    Submit();
    Frame();
    ASSERT_EQ(device.draws().size(), 3u);
    EXPECT_EQ(device.draws()[1].primitiveCount, 6u);
}

// --- capacities -------------------------------------------------------------------

TEST_F(RenderQueueTest, OverCapacityFrameIsDrawnInPassesWithEveryVertex) {
    // 12000 quads of sprites are 72000 vertices: more than twice the buffer.
    std::vector<std::uint32_t> expected;
    for (std::uint32_t i = 0; i < 1200; ++i) {
        Blended(2.0f, i, 10);
        Submit();
        for (int q = 0; q < 10; ++q) expected.push_back(i);
    }
    // And one entry larger than the buffer on its own.
    Blended(1.0f, 5000, 6000);
    Submit();
    for (int q = 0; q < 6000; ++q) expected.push_back(5000);

    Frame();
    EXPECT_GE(queue.lastPassCount, 4u);
    // Equal keys may come in any order; every quad must be there once and
    // the 2.0 entries before the 1.0 one.
    std::vector<std::uint32_t> drawn = DrawnTags();
    ASSERT_EQ(drawn.size(), expected.size());
    std::sort(drawn.begin(), drawn.begin() + 12000);
    EXPECT_EQ(drawn, expected);
    std::uint64_t vertices = 0;
    for (const auto& d : device.draws()) vertices += d.vertexCount;
    EXPECT_EQ(vertices, (12000u + 6000u) * 6u);
    EXPECT_EQ(queue.lastBatchCount, device.draws().size());
    EXPECT_EQ(device.invalidCalls(), 0u);
}

TEST_F(RenderQueueTest, NoAllocationsPerFrameAfterWarmUp) {
    if (!DW_COUNT_ALLOCATIONS) GTEST_SKIP() << "allocations are not counted under AddressSanitizer";
    device.SetCaptureGeometry(false);
    std::vector<DrawEntry> prepared;
    for (std::uint32_t i = 0; i < 300; ++i) {
        DrawEntry& e = i % 3 ? Blended(2.0f + static_cast<float>(i % 7) * 0.1f, i, 2) : Sprite(1.0f, i);
        e.texture = (i % 2) ? asset::ShotTex : asset::ExploTex;
        prepared.push_back(e);
    }
    auto frame = [&] {
        for (const DrawEntry& e : prepared) queue.Submit(e);
        queue.Flush();
        queue.Clear();
        device.Present();
    };
    frame();
    frame();
    g_allocations = 0;
    g_countAllocations = true;
    frame();
    frame();
    g_countAllocations = false;
    EXPECT_EQ(g_allocations, 0u);
    EXPECT_GT(device.presentedDraws().size(), 2u);
}

TEST_F(RenderQueueTest, InvalidateReleasesEveryDeviceBuffer) {
    EXPECT_GT(device.liveDefaultPoolResources(), 0u);
    EXPECT_EQ(device.Reset(gfx::PresentParameters{}), D3DERR_INVALIDCALL);
    queue.InvalidateDeviceObjects();
    EXPECT_EQ(device.liveDefaultPoolResources(), 0u);
    EXPECT_EQ(device.Reset(gfx::PresentParameters{}), S_OK);
    EXPECT_EQ(queue.RestoreDeviceObjects(), S_OK);
    Sprite(1.0f, 3);
    Submit();
    Frame();
    EXPECT_EQ(DrawnTags(), std::vector<std::uint32_t>({3}));
}

// --- meshes and world quads -------------------------------------------------------

ID3DXMesh* Triangle(float x) {
    ID3DXMesh* mesh = nullptr;
    if (FAILED(D3DXCreateMeshFVF(1, 3, D3DXMESH_MANAGED, gfx::kFvfMesh, nullptr, &mesh))) return nullptr;
    BYTE* v = nullptr;
    mesh->LockVertexBuffer(0, &v);
    MeshVertex verts[3] = {{x, 0, 0, 0, 1, 0, 0, 0}, {x, 1, 0, 0, 1, 0, 0, 1}, {x + 1, 0, 0, 0, 1, 0, 1, 0}};
    std::memcpy(v, verts, sizeof verts);
    mesh->UnlockVertexBuffer();
    BYTE* i = nullptr;
    mesh->LockIndexBuffer(0, &i);
    const std::uint16_t idx[3] = {0, 1, 2};
    std::memcpy(i, idx, sizeof idx);
    mesh->UnlockIndexBuffer();
    return mesh;
}

TEST_F(RenderQueueTest, MeshesWithDifferentWorldsShareOneDrawAndAreTransformed) {
    ID3DXMesh* mesh = Triangle(0.0f);
    ASSERT_NE(mesh, nullptr);
    D3DXMATRIX identity, moved;
    D3DXMatrixIdentity(&identity);
    D3DXMatrixTranslation(&moved, 100.0f, 0.0f, 0.0f);
    for (const D3DXMATRIX* world : {&identity, &moved}) {
        DrawEntry& e = ctx.drawRequest;
        e.mesh = mesh;
        e.world = *world;
        e.texture = asset::GroundTex;
        e.material.Diffuse = {1, 1, 1, 1};
        e.lit = 1;
        queue.Submit(e);
    }
    ctx.lightSets[0].ready = 1;
    Frame();
    ASSERT_EQ(device.draws().size(), 1u);
    const auto& d = device.draws()[0];
    EXPECT_TRUE(d.indexed);
    EXPECT_EQ(d.fvf, gfx::kFvfMesh);
    EXPECT_EQ(d.primitiveCount, 2u);
    EXPECT_FLOAT_EQ(d.material.Diffuse.r, 1.0f);
    ASSERT_EQ(d.lightCount, 1u);  // light 0 on for a lit mesh
    EXPECT_EQ(d.mipFilter, static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_EQ(d.alphaArg2, D3DTA_CURRENT);
    MeshVertex v[6];
    ASSERT_EQ(d.vertexBytes.size(), sizeof v);
    std::memcpy(v, d.vertexBytes.data(), sizeof v);
    // The two copies in either order: one untouched (identity), one moved.
    const int movedAt = v[0].x > 50.0f ? 0 : 3;
    const int stillAt = 3 - movedAt;
    EXPECT_FLOAT_EQ(v[stillAt].x, 0.0f);
    EXPECT_FLOAT_EQ(v[stillAt + 2].x, 1.0f);
    EXPECT_FLOAT_EQ(v[movedAt].x, 100.0f);
    EXPECT_FLOAT_EQ(v[movedAt + 2].x, 101.0f);
    EXPECT_FLOAT_EQ(v[movedAt].ny, 1.0f);
    EXPECT_EQ(device.invalidCalls(), 0u);
    mesh->Release();
}

ID3DXMesh* Strip(float base, DWORD vertices) {
    const DWORD faces = vertices / 3;
    ID3DXMesh* mesh = nullptr;
    if (FAILED(D3DXCreateMeshFVF(faces, vertices, D3DXMESH_MANAGED, gfx::kFvfMesh, nullptr, &mesh))) {
        return nullptr;
    }
    BYTE* v = nullptr;
    mesh->LockVertexBuffer(0, &v);
    for (DWORD i = 0; i < vertices; ++i) {
        const MeshVertex mv{base + static_cast<float>(i), 0, 0, 0, 1, 0, 0, 0};
        std::memcpy(v + i * sizeof mv, &mv, sizeof mv);
    }
    mesh->UnlockVertexBuffer();
    BYTE* ix = nullptr;
    mesh->LockIndexBuffer(0, &ix);
    for (DWORD i = 0; i < 3 * faces; ++i) {
        const auto idx = static_cast<std::uint16_t>(i);
        std::memcpy(ix + 2 * i, &idx, 2);
    }
    mesh->UnlockIndexBuffer();
    return mesh;
}

TEST_F(RenderQueueTest, MeshesBeyondTheBufferGoToASecondPassWithTheirOwnIndices) {
    // Three meshes of 8000 vertices: 24000, the buffer holds 20000.
    ID3DXMesh* meshes[3];
    for (int m = 0; m < 3; ++m) {
        meshes[m] = Strip(100000.0f * static_cast<float>(m), 8000);
        ASSERT_NE(meshes[m], nullptr);
        DrawEntry& e = ctx.drawRequest;
        e.mesh = meshes[m];
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        e.world = identity;
        e.texture = asset::GroundTex;
        queue.Submit(e);
    }
    Frame();
    EXPECT_EQ(queue.lastPassCount, 2u);
    EXPECT_EQ(device.invalidCalls(), 0u);  // every index inside its pass's range
    std::vector<float> xs;
    for (const auto& d : device.draws()) {
        for (std::size_t i = 0; i < d.vertexBytes.size(); i += sizeof(MeshVertex)) {
            float x;
            std::memcpy(&x, d.vertexBytes.data() + i, sizeof x);
            xs.push_back(x);
        }
    }
    ASSERT_EQ(xs.size(), 3u * 7998u);
    std::sort(xs.begin(), xs.end());
    for (int m = 0; m < 3; ++m) {
        for (int i = 0; i < 7998; ++i) {
            ASSERT_EQ(xs[static_cast<std::size_t>(m * 7998 + i)],
                      100000.0f * static_cast<float>(m) + static_cast<float>(i));
        }
    }
    for (ID3DXMesh* m : meshes) m->Release();
}

TEST_F(RenderQueueTest, FlattenedMeshShadowLiesOnTheGround) {
    ID3DXMesh* mesh = Triangle(0.0f);  // (0,0,0), (0,1,0), (1,0,0)
    ASSERT_NE(mesh, nullptr);
    D3DXMATRIX lift;
    D3DXMatrixTranslation(&lift, 0.0f, 10.0f, 0.0f);
    DrawEntry& e = ctx.drawRequest;
    e.mesh = mesh;
    e.world = lift;
    e.texture = asset::GroundTex;
    e.shadowKind = ShadowKind::FlattenedMesh;
    e.groundHeight = 2.0f;
    e.shadowSlopeX = 0.5f;
    e.shadowSlopeZ = 0.25f;
    queue.Submit(e);
    Blended(2.0f, 1);
    Submit();
    Frame();
    ASSERT_EQ(device.draws().size(), 3u);
    const auto& s = device.draws()[1];
    EXPECT_EQ(s.fvf, gfx::kFvfShadow);
    EXPECT_EQ(s.texture, nullptr);
    ShadowVertex v[3];
    ASSERT_EQ(s.vertexBytes.size(), sizeof v);
    std::memcpy(v, s.vertexBytes.data(), sizeof v);
    // (0, 11, 0) lifted 9 above the ground: x -= 4.5, z -= 2.25.
    EXPECT_FLOAT_EQ(v[1].y, 2.0f);
    EXPECT_FLOAT_EQ(v[1].x, -4.5f);
    EXPECT_FLOAT_EQ(v[1].z, -2.25f);
    EXPECT_FLOAT_EQ(v[2].x, 1.0f - 4.0f);
    EXPECT_EQ(device.invalidCalls(), 0u);
    mesh->Release();
}

TEST_F(RenderQueueTest, WorldQuadsSortFarToNearAndSkipHidden) {
    WorldQuad quads[3] = {};
    const float z[3] = {5.0f, 50.0f, 20.0f};
    for (int q = 0; q < 3; ++q) {
        for (int c = 0; c < 4; ++c) {
            quads[q].corners[c] = {static_cast<float>(q), 0.0f, z[q], 0xFFFFFFFFu, 0.0f, 0.0f};
        }
        quads[q].position[2] = z[q];
    }
    DrawEntry& e = ctx.drawRequest;
    e.worldQuads = 1;
    e.alphaBlend = 1;
    e.srcBlend = D3DBLEND_SRCALPHA;
    e.destBlend = D3DBLEND_INVSRCALPHA;
    e.texture = asset::StarWTex;
    e.vertices = quads;
    e.primitiveCount = 6;
    queue.Submit(e);
    Frame();
    ASSERT_EQ(device.draws().size(), 1u);
    const auto& d = device.draws()[0];
    EXPECT_EQ(d.fvf, gfx::kFvfWorld);
    EXPECT_FALSE(d.zWrite);
    EXPECT_EQ(d.ambientSource, static_cast<DWORD>(D3DMCS_COLOR1));
    std::vector<float> order;
    for (std::size_t i = 0; i < d.vertexBytes.size(); i += 6 * sizeof(WorldVertex)) {
        WorldVertex v;
        std::memcpy(&v, d.vertexBytes.data() + i, sizeof v);
        order.push_back(v.x);
    }
    EXPECT_EQ(order, std::vector<float>({1.0f, 2.0f, 0.0f}));

    // All hidden: nothing drawn.
    for (auto& q : quads) q.hidden = 1;
    DrawEntry& h = ctx.drawRequest;
    h.worldQuads = 1;
    h.vertices = quads;
    h.primitiveCount = 6;
    h.texture = asset::StarWTex;
    queue.Submit(h);
    Frame();
    EXPECT_TRUE(device.draws().empty());
    EXPECT_EQ(device.invalidCalls(), 0u);
}

}  // namespace
}  // namespace dw
