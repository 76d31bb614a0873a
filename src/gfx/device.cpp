#include "gfx/device.h"

#include <algorithm>
#include <cstring>

namespace gfx {

std::uint32_t FvfStride(DWORD fvf) {
    std::uint32_t bytes = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
        case D3DFVF_XYZ: bytes += 12; break;
        case D3DFVF_XYZRHW: bytes += 16; break;
        default: return 0;
    }
    if (fvf & D3DFVF_NORMAL) bytes += 12;
    if (fvf & D3DFVF_DIFFUSE) bytes += 4;
    if (fvf & D3DFVF_SPECULAR) bytes += 4;
    bytes += 8 * ((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
    return bytes;
}

std::uint32_t PrimitiveVertexCount(D3DPRIMITIVETYPE type, std::uint32_t count) {
    if (count == 0) return 0;
    switch (type) {
        case D3DPT_POINTLIST: return count;
        case D3DPT_LINELIST: return 2 * count;
        case D3DPT_LINESTRIP: return count + 1;
        case D3DPT_TRIANGLELIST: return 3 * count;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN: return count + 2;
    }
    return 0;
}

std::uint32_t IndexAt(const std::uint8_t* indices, D3DFORMAT format, std::uint32_t i) {
    if (format == D3DFMT_INDEX32) {
        std::uint32_t v;
        std::memcpy(&v, indices + 4 * static_cast<std::size_t>(i), 4);
        return v;
    }
    std::uint16_t v;
    std::memcpy(&v, indices + 2 * static_cast<std::size_t>(i), 2);
    return v;
}

void FillCaps(D3DCAPS8& caps, DWORD maxTextureSide, DWORD blendStages) {
    caps = D3DCAPS8{};
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.RasterCaps = kRasterCapsZTest;
    caps.TextureCaps = kTextureCapsMipMap;
    caps.TextureFilterCaps = kFilterCapsMinLinear | kFilterCapsMagLinear | kFilterCapsMipPoint | kFilterCapsMipLinear;
    caps.VertexShaderVersion = D3DVS_VERSION(1, 1);
    caps.MaxVertexShaderConst = 96;
    caps.MaxTextureWidth = maxTextureSide;
    caps.MaxTextureHeight = maxTextureSide;
    caps.MaxTextureBlendStages = blendStages;
    caps.MaxSimultaneousTextures = blendStages;
}

HRESULT Device::Invalid() {
    ++invalidCalls_;
    return D3DERR_INVALIDCALL;
}

HRESULT Device::Checked(HRESULT result) { return FAILED(result) ? Invalid() : result; }

HRESULT Device::Settle(StateChange change, StateKind kind, DWORD stage, DWORD which) {
    if (FAILED(change.result)) return Invalid();
    if (kind == StateKind::RenderState || kind == StateKind::StageState) ++counters_.stateChanges;
    if (change.changed) {
        if (kind == StateKind::Texture) ++counters_.textureBinds;
        StateChanged(kind, stage, which);
    }
    return S_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    return Settle(state_.SetRenderState(state, value), StateKind::RenderState, 0, state);
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    return Checked(state_.GetRenderState(state, value));
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    return Settle(state_.SetTextureStageState(stage, type, value), StateKind::StageState, stage, type);
}

HRESULT Device::SetTexture(DWORD stage, Texture* texture) {
    return Settle(state_.SetTexture(stage, texture), StateKind::Texture, stage, 0);
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) {
    return Settle(state_.SetTransform(type, matrix), StateKind::Transform, 0, type);
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix) {
    return Checked(state_.GetTransform(type, matrix));
}

HRESULT Device::SetMaterial(const D3DMATERIAL8* material) {
    return Settle(state_.SetMaterial(material), StateKind::Material, 0, 0);
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT8* light) {
    return Settle(state_.SetLight(index, light), StateKind::Light, 0, index);
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
    return Settle(state_.LightEnable(index, enable), StateKind::Light, 0, index);
}

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD, D3DFORMAT format, D3DPOOL pool,
                              Texture** out) {
    if (out == nullptr) return Invalid();
    *out = nullptr;
    const std::uint32_t side = MaxTextureSide();
    if (width == 0 || height == 0 || width > side || height > side) return Invalid();
    if (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8) return Invalid();
    std::uint32_t full = 1;
    while ((std::max(width, height) >> (full - 1)) > 1) ++full;
    if (levels == 0 || levels > full) levels = full;
    *out = NewTexture(width, height, levels, format, pool);
    return S_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD, DWORD, D3DPOOL pool, VertexBuffer** out) {
    if (out == nullptr) return Invalid();
    *out = nullptr;
    if (length == 0) return Invalid();
    *out = NewVertexBuffer(length, pool);
    return S_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD, D3DFORMAT format, D3DPOOL pool, IndexBuffer** out) {
    if (out == nullptr) return Invalid();
    *out = nullptr;
    if (length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) return Invalid();
    *out = NewIndexBuffer(length, format, pool);
    return S_OK;
}

HRESULT Device::SetStreamSource(UINT stream, VertexBuffer* buffer, UINT stride) {
    return Settle(state_.SetStreamSource(stream, buffer, stride), StateKind::Stream, 0, 0);
}

HRESULT Device::SetIndices(IndexBuffer* buffer, UINT baseVertexIndex) {
    return Settle(state_.SetIndices(buffer, baseVertexIndex), StateKind::Indices, 0, 0);
}

HRESULT Device::SetVertexShader(DWORD fvf) {
    return Settle(state_.SetVertexShader(fvf), StateKind::VertexFormat, 0, fvf);
}

}  // namespace gfx
