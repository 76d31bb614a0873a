// The recording device behaves like the device it stands in for: scene
// nesting, buffer locks, draw validation, lost devices.
#include <gtest/gtest.h>

#include <cstring>

#include "gfx/null/null_device.h"

namespace gfx {
namespace {

TEST(NullDevice, SceneNestingAndDrawsOutsideScenesAreRefused) {
    NullDevice dev;
    EXPECT_EQ(dev.EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(dev.BeginScene(), S_OK);
    EXPECT_EQ(dev.BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(dev.Present(), D3DERR_INVALIDCALL);
    EXPECT_EQ(dev.EndScene(), S_OK);
    EXPECT_EQ(dev.Present(), S_OK);
    EXPECT_EQ(dev.invalidCalls(), 3u);

    VertexBuffer* vb = nullptr;
    ASSERT_EQ(dev.CreateVertexBuffer(28 * 3, 0, kFvfScreen, D3DPOOL_DEFAULT, &vb), S_OK);
    dev.SetStreamSource(0, vb, 28);
    dev.SetVertexShader(kFvfScreen);
    EXPECT_EQ(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    dev.BeginScene();
    EXPECT_EQ(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), S_OK);
    // One vertex past the end.
    EXPECT_EQ(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 1, 1), D3DERR_INVALIDCALL);
    // Drawing from a locked buffer.
    std::uint8_t* p = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &p, 0), S_OK);
    EXPECT_EQ(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    vb->Unlock();
    dev.EndScene();
    EXPECT_EQ(dev.draws().size(), 1u);
    EXPECT_EQ(dev.draws()[0].culledTriangles, 0u);  // all zero: no area
    EXPECT_EQ(dev.counters().draws, 1u);
    EXPECT_EQ(dev.counters().vertices, 3u);
    dev.SetStreamSource(0, nullptr, 0);
    vb->Release();
}

TEST(NullDevice, ScreenTrianglesWoundAgainstTheCullModeAreCounted) {
    NullDevice dev;
    VertexBuffer* vb = nullptr;
    ASSERT_EQ(dev.CreateVertexBuffer(28 * 6, 0, kFvfScreen, D3DPOOL_DEFAULT, &vb), S_OK);
    std::uint8_t* p = nullptr;
    vb->Lock(0, 0, &p, 0);
    // Clockwise on screen (y down), then the same triangle mirrored.
    const float xy[6][2] = {{0, 0}, {10, 0}, {0, 10}, {10, 0}, {0, 0}, {0, 10}};
    for (int i = 0; i < 6; ++i) std::memcpy(p + 28 * i, xy[i], 8);
    vb->Unlock();
    dev.SetStreamSource(0, vb, 28);
    dev.SetVertexShader(kFvfScreen);
    dev.BeginScene();
    dev.SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    dev.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    dev.EndScene();
    ASSERT_EQ(dev.draws().size(), 2u);
    EXPECT_EQ(dev.draws()[0].culledTriangles, 1u);
    EXPECT_EQ(dev.draws()[1].culledTriangles, 0u);
    dev.SetStreamSource(0, nullptr, 0);
    vb->Release();
}

TEST(NullDevice, LocksCheckRangesAndDiscardGivesFreshStorage) {
    NullDevice dev;
    VertexBuffer* vb = nullptr;
    ASSERT_EQ(dev.CreateVertexBuffer(64, D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &vb), S_OK);
    std::uint8_t* p = nullptr;
    EXPECT_EQ(vb->Lock(60, 8, &p, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(p, nullptr);
    ASSERT_EQ(vb->Lock(0, 64, &p, 0), S_OK);
    EXPECT_EQ(vb->Lock(0, 64, &p, 0), D3DERR_INVALIDCALL);  // already locked
    ASSERT_EQ(vb->Unlock(), S_OK);
    ASSERT_EQ(vb->Lock(0, 64, &p, 0), S_OK);
    std::memset(p, 0x11, 64);
    vb->Unlock();
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    ASSERT_EQ(vb->Lock(0, 64, &p, D3DLOCK_DISCARD), S_OK);
    EXPECT_NE(p[0], 0x11);  // the old contents are gone
    vb->Unlock();
    vb->Release();
}

TEST(NullDevice, IndexedDrawsCheckEveryIndex) {
    NullDevice dev;
    dev.SetCaptureGeometry(true);
    VertexBuffer* vb = nullptr;
    IndexBuffer* ib = nullptr;
    ASSERT_EQ(dev.CreateVertexBuffer(20 * 4, 0, kFvfShadow, D3DPOOL_DEFAULT, &vb), S_OK);
    ASSERT_EQ(dev.CreateIndexBuffer(2 * 6, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib), S_OK);
    std::uint8_t* p = nullptr;
    vb->Lock(0, 0, &p, 0);
    for (int i = 0; i < 4 * 5; ++i) reinterpret_cast<float*>(p)[i] = static_cast<float>(i);
    vb->Unlock();
    ib->Lock(0, 0, &p, 0);
    const std::uint16_t idx[6] = {0, 1, 2, 2, 1, 4};  // 4 is past the buffer
    std::memcpy(p, idx, sizeof idx);
    ib->Unlock();
    dev.SetStreamSource(0, vb, 20);
    dev.SetIndices(ib, 0);
    dev.SetVertexShader(kFvfShadow);
    dev.BeginScene();
    EXPECT_EQ(dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 1), S_OK);
    // Declared range too small for index 2.
    EXPECT_EQ(dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 2, 0, 1), D3DERR_INVALIDCALL);
    dev.EndScene();
    ASSERT_EQ(dev.draws().size(), 1u);
    const auto& r = dev.draws()[0];
    ASSERT_EQ(r.vertexBytes.size(), 60u);
    float third[5];
    std::memcpy(third, r.vertexBytes.data() + 40, sizeof third);
    EXPECT_EQ(third[0], 10.0f);  // vertex 2
    dev.SetStreamSource(0, nullptr, 0);
    dev.SetIndices(nullptr, 0);
    vb->Release();
    ib->Release();
}

TEST(NullDevice, LostDeviceAndResetNeedDefaultPoolReleased) {
    NullDevice dev(640, 480);
    dev.SetCooperativeLevel(D3DERR_DEVICELOST);
    EXPECT_EQ(dev.TestCooperativeLevel(), D3DERR_DEVICELOST);
    PresentParameters pp;
    pp.backBufferWidth = 1024;
    pp.backBufferHeight = 768;
    EXPECT_EQ(dev.Reset(pp), D3DERR_DEVICELOST);
    dev.SetCooperativeLevel(D3DERR_DEVICENOTRESET);

    Texture* managed = nullptr;
    VertexBuffer* vb = nullptr;
    ASSERT_EQ(dev.CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed), S_OK);
    EXPECT_EQ(managed->LevelCount(), 4u);
    ASSERT_EQ(dev.CreateVertexBuffer(16, 0, 0, D3DPOOL_DEFAULT, &vb), S_OK);
    EXPECT_EQ(dev.Reset(pp), D3DERR_INVALIDCALL);
    vb->Release();
    EXPECT_EQ(dev.Reset(pp), S_OK);
    EXPECT_EQ(dev.TestCooperativeLevel(), S_OK);
    EXPECT_EQ(dev.BackBufferWidth(), 1024u);
    managed->Release();
}

TEST(NullDevice, TextureBindsCountOnlyChangesAndStateSurvivesUntilReset) {
    NullDevice dev;
    Texture* a = nullptr;
    Texture* b = nullptr;
    dev.CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &a);
    dev.CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &b);
    const std::uint32_t wrong[4] = {};
    EXPECT_EQ(a->SetLevel(0, 2, 2, wrong), D3DERR_INVALIDCALL);
    dev.SetTexture(0, a);
    dev.SetTexture(0, a);
    dev.SetTexture(0, b);
    dev.SetTexture(0, nullptr);
    EXPECT_EQ(dev.counters().textureBinds, 3u);
    // The device holds a reference while bound.
    dev.SetTexture(0, a);
    a->Release();
    EXPECT_EQ(dev.texture(0)->Width(), 4u);
    dev.SetTexture(0, nullptr);
    b->Release();

    DWORD v = 0;
    dev.GetRenderState(D3DRS_ZFUNC, &v);
    EXPECT_EQ(v, static_cast<DWORD>(D3DCMP_LESSEQUAL));
    dev.SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    dev.GetRenderState(D3DRS_ZFUNC, &v);
    EXPECT_EQ(v, static_cast<DWORD>(D3DCMP_ALWAYS));

    D3DCAPS8 caps;
    ASSERT_EQ(dev.GetDeviceCaps(&caps), S_OK);
    EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_HAL);
    EXPECT_NE(caps.TextureCaps, 0u);
    EXPECT_NE(caps.TextureFilterCaps & kFilterCapsMipLinear, 0u);
    EXPECT_EQ(caps.VertexShaderVersion, D3DVS_VERSION(1, 1));
    std::vector<std::uint8_t> img;
    std::uint32_t w = 1, h = 1;
    EXPECT_FALSE(dev.ReadPresentedImage(img, w, h));
}

}  // namespace
}  // namespace gfx
