#pragma once
// One sequence of state calls and draws, good and bad, run on a device; the
// transcript of what it accepted and refused and of the state it then holds.
// The recording device's tests and the OpenGL device's test compare it with
// kStateScriptTranscript, so both devices are held to the same behaviour.
#include <cstdio>
#include <cstring>
#include <string>

#include "gfx/device.h"

namespace dwtest {

inline const char* const kStateScriptTranscript =
    "render state 300: refused\n"
    "get render state, no pointer: refused\n"
    "stage 8: refused\n"
    "stage state 32: refused\n"
    "texture stage 8: refused\n"
    "transform 4: refused\n"
    "transform, no matrix: refused\n"
    "material, no pointer: refused\n"
    "light of type 0: refused\n"
    "light 4096: refused\n"
    "ninth light on: refused\n"
    "stream 1: refused\n"
    "vertex format 0: refused\n"
    "draw outside a scene: refused\n"
    "draw without a vertex format: refused\n"
    "draw: ok\n"
    "draw past the end: refused\n"
    "draw from a locked buffer: refused\n"
    "indexed draw without indices: refused\n"
    "indexed draw: ok\n"
    "index past the declared range: refused\n"
    "index past the stream: refused\n"
    "end scene twice: refused\n"
    "state: zfunc 8 blend 1 src 5 dest 6 stage0 colorop 4 stage1 colorop 16 texcoord 1\n"
    "state: texture0 4x4 texture1 none stream 72 stride 24 fvf 0x142 indices base 0\n"
    "state: world 2 3 4 material diffuse 0.5\n"
    "state: lights on 7 1 2 3 4 5 6 8; light 7 type 3 dir 0 0 1; light 1 type 1\n"
    "counters: state changes 6 texture binds 2 draws 2 vertices 6\n"
    "refused calls 21\n";

inline std::string RunStateScript(gfx::Device& dev) {
    std::string out;
    auto note = [&](const char* what, HRESULT hr) {
        out += what;
        out += SUCCEEDED(hr) ? ": ok\n" : ": refused\n";
    };
    auto line = [&](const char* format, auto... values) {
        char text[256];
        std::snprintf(text, sizeof text, format, values...);
        out += text;
    };
    const int refusedBefore = static_cast<int>(dev.invalidCalls());
    dev.ResetCounters();

    // States: what Direct3D refuses, refused and nothing kept.
    DWORD value = 0;
    D3DMATRIX m{};
    D3DLIGHT8 light{};
    note("render state 300", dev.SetRenderState(static_cast<D3DRENDERSTATETYPE>(300), 1));
    note("get render state, no pointer", dev.GetRenderState(D3DRS_ZFUNC, nullptr));
    note("stage 8", dev.SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_SELECTARG1));
    note("stage state 32", dev.SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(32), 1));
    note("texture stage 8", dev.SetTexture(8, nullptr));
    note("transform 4", dev.SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(4), &m));
    note("transform, no matrix", dev.SetTransform(D3DTS_WORLD, nullptr));
    note("material, no pointer", dev.SetMaterial(nullptr));
    light.Type = static_cast<D3DLIGHTTYPE>(0);
    note("light of type 0", dev.SetLight(0, &light));
    light.Type = D3DLIGHT_POINT;
    note("light 4096", dev.SetLight(4096, &light));
    dev.SetLight(1, &light);
    // Light 7 was never set: switching it on gives it the default light.
    for (DWORD i : {7u, 1u, 2u, 3u, 4u, 5u, 6u, 8u}) dev.LightEnable(i, 1);
    note("ninth light on", dev.LightEnable(9, 1));
    dev.LightEnable(1, 1);  // already on: no change

    // Good state.
    dev.SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    dev.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_BLENDCURRENTALPHA);
    dev.SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    m._11 = 2;
    m._22 = 3;
    m._33 = 4;
    m._44 = 1;
    dev.SetTransform(D3DTS_WORLD, &m);
    D3DMATERIAL8 material{};
    material.Diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
    dev.SetMaterial(&material);

    gfx::Texture* texture = nullptr;
    gfx::Texture* other = nullptr;
    dev.CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
    dev.CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &other);
    dev.SetTexture(0, other);
    dev.SetTexture(0, texture);
    dev.SetTexture(0, texture);  // the same: not a bind

    // Draws: three world vertices (24 bytes each), indices 0 1 2 then 2 1 3.
    gfx::VertexBuffer* vb = nullptr;
    gfx::IndexBuffer* ib = nullptr;
    dev.CreateVertexBuffer(24 * 3, 0, gfx::kFvfWorld, D3DPOOL_DEFAULT, &vb);
    dev.CreateIndexBuffer(2 * 6, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib);
    std::uint8_t* p = nullptr;
    if (SUCCEEDED(vb->Lock(0, 0, &p, 0))) {
        std::memset(p, 0, 24 * 3);
        vb->Unlock();
    }
    if (SUCCEEDED(ib->Lock(0, 0, &p, 0))) {
        const std::uint16_t idx[6] = {0, 1, 2, 2, 1, 3};
        std::memcpy(p, idx, sizeof idx);
        ib->Unlock();
    }
    note("stream 1", dev.SetStreamSource(1, vb, 24));
    dev.SetStreamSource(0, vb, 24);
    note("vertex format 0", dev.SetVertexShader(0));
    note("draw outside a scene", dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1));
    dev.BeginScene();
    note("draw without a vertex format", dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1));
    dev.SetVertexShader(gfx::kFvfWorld);
    note("draw", dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1));
    note("draw past the end", dev.DrawPrimitive(D3DPT_TRIANGLELIST, 1, 1));
    vb->Lock(0, 0, &p, 0);
    note("draw from a locked buffer", dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1));
    vb->Unlock();
    note("indexed draw without indices", dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1));
    dev.SetIndices(ib, 0);
    note("indexed draw", dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1));
    note("index past the declared range", dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 2, 0, 1));
    note("index past the stream", dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 3, 1));
    dev.EndScene();
    note("end scene twice", dev.EndScene());

    // The state the device holds now.
    const gfx::RenderState& s = dev.state();
    dev.GetRenderState(D3DRS_ZFUNC, &value);
    line("state: zfunc %u blend %u src %u dest %u stage0 colorop %u stage1 colorop %u texcoord %u\n", unsigned(value),
         unsigned(s.renderState(D3DRS_ALPHABLENDENABLE)), unsigned(s.renderState(D3DRS_SRCBLEND)),
         unsigned(s.renderState(D3DRS_DESTBLEND)), unsigned(s.stageState(0, D3DTSS_COLOROP)),
         unsigned(s.stageState(1, D3DTSS_COLOROP)), unsigned(s.stageState(1, D3DTSS_TEXCOORDINDEX)));
    line("state: texture0 %ux%u texture1 %s stream %u stride %u fvf 0x%x indices base %u\n",
         s.texture(0) ? unsigned(s.texture(0)->Width()) : 0u, s.texture(0) ? unsigned(s.texture(0)->Height()) : 0u,
         s.texture(1) ? "set" : "none", s.stream() ? unsigned(s.stream()->Length()) : 0u, unsigned(s.stride()),
         unsigned(s.fvf()), unsigned(s.baseVertexIndex()));
    D3DMATRIX world{};
    dev.GetTransform(D3DTS_WORLD, &world);
    line("state: world %g %g %g material diffuse %g\n", double(world._11), double(world._22), double(world._33),
         double(s.material().Diffuse.r));
    out += "state: lights on";
    for (DWORD i : s.enabledLights()) line(" %u", unsigned(i));
    const D3DLIGHT8& seven = s.light(7);
    line("; light 7 type %d dir %g %g %g; light 1 type %d\n", int(seven.Type), double(seven.Direction.x),
         double(seven.Direction.y), double(seven.Direction.z), int(s.light(1).Type));
    const gfx::Counters& c = dev.counters();
    line("counters: state changes %u texture binds %u draws %u vertices %u\n", unsigned(c.stateChanges),
         unsigned(c.textureBinds), unsigned(c.draws), unsigned(c.vertices));
    line("refused calls %d\n", static_cast<int>(dev.invalidCalls()) - refusedBefore);

    dev.SetTexture(0, nullptr);
    dev.SetStreamSource(0, nullptr, 0);
    dev.SetIndices(nullptr, 0);
    texture->Release();
    other->Release();
    vb->Release();
    ib->Release();
    return out;
}

}  // namespace dwtest
