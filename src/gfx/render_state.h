#pragma once
// The state a Direct3D 8 device keeps between calls, kept once for every
// device: render states, texture stages and their textures, transforms,
// material, lights, the vertex stream, indices and vertex format, and
// whether a scene is open. It refuses what Direct3D refuses and checks a
// draw against the state before any device draws it, so the recording
// device and the OpenGL device accept and refuse exactly the same calls.
#include <array>
#include <cstdint>
#include <vector>

#include "platform/d3d_types.h"

namespace gfx {

class Texture;
class VertexBuffer;
class IndexBuffer;

// Number of render states and texture stage states the devices keep.
constexpr std::uint32_t kRenderStateCount = 256;
constexpr std::uint32_t kStageCount = 8;
constexpr std::uint32_t kStageStateCount = 32;
constexpr std::uint32_t kMaxActiveLights = 8;
// Lights are numbered freely (the game uses set x 5 + i); the tables grow
// to the highest index used, up to this cap.
constexpr DWORD kMaxLightIndex = 4096;

// The state a device starts with and returns to after Reset. These are the
// Direct3D 8 defaults, except that stage 0 combines alpha like colour:
// texture alpha x diffuse alpha (ALPHAOP MODULATE, ALPHAARG1 DIFFUSE; the
// game switches ALPHAARG2 between TEXTURE for sprites and CURRENT for meshes).
DWORD DefaultRenderState(D3DRENDERSTATETYPE state);
DWORD DefaultTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type);

// Which part of the state a call changed (what a device may have to send on).
enum class StateKind {
    RenderState,  // which: the D3DRENDERSTATETYPE
    StageState,   // stage, which: the D3DTEXTURESTAGESTATETYPE
    Texture,      // stage
    Transform,    // which: the D3DTRANSFORMSTATETYPE
    Material,
    Light,  // which: the light's index (set or switched on or off)
    Stream,
    Indices,
    VertexFormat,
};

// What a setter did: refused (D3DERR_INVALIDCALL) or accepted, and whether
// the stored state moved. Matrices, materials and lights count as moved
// whenever they are set.
struct StateChange {
    HRESULT result = S_OK;
    bool changed = false;
};

class RenderState {
public:
    RenderState();
    ~RenderState();
    RenderState(const RenderState&) = delete;
    RenderState& operator=(const RenderState&) = delete;

    // Back to the start state; the bound textures and buffers are let go.
    void Reset();

    HRESULT BeginScene();
    HRESULT EndScene();
    bool inScene() const { return inScene_; }

    StateChange SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) const;
    StateChange SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    StateChange SetTexture(DWORD stage, Texture* texture);
    StateChange SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix);
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix) const;
    StateChange SetMaterial(const D3DMATERIAL8* material);
    StateChange SetLight(DWORD index, const D3DLIGHT8* light);
    StateChange LightEnable(DWORD index, BOOL enable);
    StateChange SetStreamSource(UINT stream, VertexBuffer* buffer, UINT stride);
    StateChange SetIndices(IndexBuffer* buffer, UINT baseVertexIndex);
    StateChange SetVertexShader(DWORD fvf);

    // The checks of a draw: in a scene, a known primitive and count, a
    // vertex format, a stream with a stride, nothing locked, and every
    // vertex read inside the stream (indexed: every index inside the index
    // buffer, naming a vertex inside the stream and inside the range the
    // call declares). The vertices (or indices) the draw reads; 0 when the
    // draw is refused.
    std::uint32_t CheckDraw(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) const;
    std::uint32_t CheckIndexedDraw(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                                   UINT primitiveCount) const;

    // --- the state as it stands --------------------------------------------
    DWORD renderState(D3DRENDERSTATETYPE state) const { return renderStates_[state]; }
    DWORD stageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const { return stages_[stage][type]; }
    const std::array<DWORD, kStageStateCount>& stage(DWORD stage) const { return stages_[stage]; }
    Texture* texture(DWORD stage) const { return stage < kStageCount ? textures_[stage] : nullptr; }
    const D3DMATRIX& world() const { return world_; }
    const D3DMATRIX& view() const { return view_; }
    const D3DMATRIX& projection() const { return projection_; }
    const D3DMATERIAL8& material() const { return material_; }
    bool LightEnabled(DWORD index) const { return index < lightOn_.size() && lightOn_[index] != 0; }
    // Index must be below lightTableSize().
    const D3DLIGHT8& light(DWORD index) const { return lights_[index]; }
    std::uint32_t lightTableSize() const { return static_cast<std::uint32_t>(lights_.size()); }
    // The lights switched on, in the order they were switched on.
    const std::vector<DWORD>& enabledLights() const { return enabled_; }
    VertexBuffer* stream() const { return stream_; }
    UINT stride() const { return stride_; }
    IndexBuffer* indices() const { return indices_; }
    UINT baseVertexIndex() const { return baseVertex_; }
    DWORD fvf() const { return fvf_; }

private:
    void ReleaseBindings();

    bool inScene_ = false;
    std::array<DWORD, kRenderStateCount> renderStates_{};
    std::array<std::array<DWORD, kStageStateCount>, kStageCount> stages_{};
    std::array<Texture*, kStageCount> textures_{};
    D3DMATRIX world_{}, view_{}, projection_{};
    D3DMATERIAL8 material_{};
    std::vector<D3DLIGHT8> lights_;
    std::vector<std::uint8_t> lightOn_;
    std::vector<DWORD> enabled_;

    VertexBuffer* stream_ = nullptr;
    UINT stride_ = 0;
    IndexBuffer* indices_ = nullptr;
    UINT baseVertex_ = 0;
    DWORD fvf_ = 0;
};

}  // namespace gfx
