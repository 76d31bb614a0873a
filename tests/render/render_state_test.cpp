// The state both devices keep (RenderState): what it refuses, what it keeps,
// what a draw must satisfy, and that Reset gives everything back. The same
// script runs on the OpenGL device in tests/gl.
#include <gtest/gtest.h>

#include <cstring>

#include "common/device_state_script.h"
#include "gfx/null/null_device.h"
#include "gfx/render_state.h"

namespace gfx {
namespace {

TEST(RenderState, TheRecordingDeviceAnswersTheSharedScriptAsTheGlDeviceDoes) {
    NullDevice dev;
    EXPECT_EQ(dwtest::RunStateScript(dev), dwtest::kStateScriptTranscript);
    // What it recorded is what the state said at each draw.
    ASSERT_EQ(dev.draws().size(), 2u);
    EXPECT_FALSE(dev.draws()[0].indexed);
    EXPECT_TRUE(dev.draws()[1].indexed);
    EXPECT_EQ(dev.draws()[1].zFunc, static_cast<DWORD>(D3DCMP_ALWAYS));
    EXPECT_EQ(dev.draws()[1].lightCount, 8u);
    EXPECT_EQ(dev.draws()[1].lightsOn[0], 7u);  // in the order they were switched on
    EXPECT_EQ(dev.draws()[1].world._22, 3.0f);
}

TEST(RenderState, SettersSayWhetherTheStateMoved) {
    RenderState s;
    EXPECT_TRUE(s.SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS).changed);
    EXPECT_FALSE(s.SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS).changed);
    EXPECT_FALSE(s.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE).changed);  // the default
    EXPECT_TRUE(s.SetTextureStageState(3, D3DTSS_COLOROP, D3DTOP_SELECTARG1).changed);
    EXPECT_TRUE(s.SetVertexShader(kFvfScreen).changed);
    EXPECT_FALSE(s.SetVertexShader(kFvfScreen).changed);
    EXPECT_FALSE(s.SetStreamSource(0, nullptr, 0).changed);
    EXPECT_TRUE(s.SetStreamSource(0, nullptr, 28).changed);
    D3DMATRIX m{};
    EXPECT_TRUE(s.SetTransform(D3DTS_VIEW, &m).changed);  // matrices always count
    const StateChange refused = s.SetRenderState(static_cast<D3DRENDERSTATETYPE>(kRenderStateCount), 1);
    EXPECT_EQ(refused.result, D3DERR_INVALIDCALL);
    EXPECT_FALSE(refused.changed);
    // Switching off a light that is off, or on one that is on, moves nothing.
    EXPECT_FALSE(s.LightEnable(3, 0).changed);
    EXPECT_TRUE(s.LightEnable(3, 1).changed);
    EXPECT_FALSE(s.LightEnable(3, 1).changed);
    EXPECT_TRUE(s.LightEnable(3, 0).changed);
    EXPECT_TRUE(s.enabledLights().empty());
}

TEST(RenderState, ResetGivesBackTheDefaultsAndTheBoundObjects) {
    NullDevice dev;
    Texture* texture = nullptr;
    VertexBuffer* vb = nullptr;
    ASSERT_EQ(dev.CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), S_OK);
    ASSERT_EQ(dev.CreateVertexBuffer(64, 0, kFvfScreen, D3DPOOL_MANAGED, &vb), S_OK);
    dev.SetTexture(5, texture);
    dev.SetStreamSource(0, vb, 28);
    dev.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    dev.LightEnable(2, 1);
    // The device holds a reference to each while bound.
    EXPECT_EQ(texture->AddRef(), 3u);
    texture->Release();

    PresentParameters pp;
    ASSERT_EQ(dev.Reset(pp), S_OK);
    const RenderState& s = dev.state();
    EXPECT_EQ(s.renderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(s.stageState(1, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_DISABLE));
    EXPECT_EQ(s.stageState(0, D3DTSS_ALPHAARG1), static_cast<DWORD>(D3DTA_DIFFUSE));
    EXPECT_EQ(s.texture(5), nullptr);
    EXPECT_EQ(s.stream(), nullptr);
    EXPECT_FALSE(s.LightEnabled(2));
    EXPECT_EQ(s.world()._11, 1.0f);
    // Ours are the only references left.
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(vb->Release(), 0u);
}

TEST(RenderState, AnIndexedDrawChecksBaseVertexAndWideIndices) {
    NullDevice dev;
    VertexBuffer* vb = nullptr;
    IndexBuffer* ib = nullptr;
    ASSERT_EQ(dev.CreateVertexBuffer(20 * 6, 0, kFvfShadow, D3DPOOL_DEFAULT, &vb), S_OK);
    ASSERT_EQ(dev.CreateIndexBuffer(4 * 3, 0, D3DFMT_INDEX32, D3DPOOL_DEFAULT, &ib), S_OK);
    std::uint8_t* p = nullptr;
    ib->Lock(0, 0, &p, 0);
    const std::uint32_t idx[3] = {0, 1, 2};
    std::memcpy(p, idx, sizeof idx);
    ib->Unlock();
    dev.SetStreamSource(0, vb, 20);
    dev.SetVertexShader(kFvfShadow);
    dev.BeginScene();
    dev.SetIndices(ib, 3);  // vertices 3, 4, 5: the last ones
    EXPECT_EQ(dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), S_OK);
    dev.SetIndices(ib, 4);  // vertex 6 is past the stream
    EXPECT_EQ(dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL);
    ib->Lock(0, 0, &p, 0);
    dev.SetIndices(ib, 0);
    EXPECT_EQ(dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL);  // locked
    ib->Unlock();
    dev.EndScene();
    EXPECT_EQ(dev.invalidCalls(), 2u);
    dev.SetStreamSource(0, nullptr, 0);
    dev.SetIndices(nullptr, 0);
    vb->Release();
    ib->Release();
}

}  // namespace
}  // namespace gfx
