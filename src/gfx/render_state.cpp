#include "gfx/render_state.h"

#include "gfx/device.h"

namespace gfx {

DWORD DefaultRenderState(D3DRENDERSTATETYPE state) {
    switch (state) {
        case D3DRS_ZENABLE: return D3DZB_TRUE;
        case D3DRS_FILLMODE: return 3;  // D3DFILL_SOLID
        case D3DRS_SHADEMODE: return D3DSHADE_GOURAUD;
        case D3DRS_ZWRITEENABLE: return 1;
        case D3DRS_SRCBLEND: return D3DBLEND_ONE;
        case D3DRS_DESTBLEND: return D3DBLEND_ZERO;
        case D3DRS_CULLMODE: return D3DCULL_CCW;
        case D3DRS_ZFUNC: return D3DCMP_LESSEQUAL;
        case D3DRS_ALPHAFUNC: return D3DCMP_ALWAYS;
        case D3DRS_LIGHTING: return 1;
        case D3DRS_CLIPPING: return 1;
        case D3DRS_COLORVERTEX: return 1;
        case D3DRS_DIFFUSEMATERIALSOURCE: return D3DMCS_COLOR1;
        case D3DRS_SPECULARMATERIALSOURCE: return D3DMCS_COLOR2;
        case D3DRS_AMBIENTMATERIALSOURCE: return D3DMCS_MATERIAL;
        case D3DRS_EMISSIVEMATERIALSOURCE: return D3DMCS_MATERIAL;
        default: return 0;
    }
}

DWORD DefaultTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
    switch (type) {
        case D3DTSS_COLOROP: return stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        case D3DTSS_COLORARG1: return D3DTA_TEXTURE;
        case D3DTSS_COLORARG2: return D3DTA_CURRENT;
        case D3DTSS_ALPHAOP: return stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        case D3DTSS_ALPHAARG1: return stage == 0 ? D3DTA_DIFFUSE : D3DTA_TEXTURE;
        case D3DTSS_ALPHAARG2: return D3DTA_CURRENT;
        case D3DTSS_ADDRESSU:
        case D3DTSS_ADDRESSV: return 1;  // D3DTADDRESS_WRAP
        case D3DTSS_MAGFILTER:
        case D3DTSS_MINFILTER: return D3DTEXF_POINT;
        case D3DTSS_MIPFILTER: return D3DTEXF_NONE;
        case D3DTSS_TEXCOORDINDEX: return stage;
    }
    return 0;
}

namespace {

template <typename T>
void Rebind(T*& slot, T* value) {
    if (slot == value) return;
    if (value) value->AddRef();
    if (slot) slot->Release();
    slot = value;
}

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

constexpr StateChange kRefused{D3DERR_INVALIDCALL, false};
constexpr StateChange kMoved{S_OK, true};
constexpr StateChange kKept{S_OK, false};

}  // namespace

RenderState::RenderState() {
    enabled_.reserve(kMaxActiveLights);
    Reset();
}

RenderState::~RenderState() { ReleaseBindings(); }

void RenderState::ReleaseBindings() {
    for (auto& t : textures_) Rebind<Texture>(t, nullptr);
    Rebind<VertexBuffer>(stream_, nullptr);
    Rebind<IndexBuffer>(indices_, nullptr);
}

void RenderState::Reset() {
    for (std::uint32_t i = 0; i < kRenderStateCount; ++i) {
        renderStates_[i] = DefaultRenderState(static_cast<D3DRENDERSTATETYPE>(i));
    }
    for (std::uint32_t s = 0; s < kStageCount; ++s) {
        for (std::uint32_t t = 0; t < kStageStateCount; ++t) {
            stages_[s][t] = DefaultTextureStageState(s, static_cast<D3DTEXTURESTAGESTATETYPE>(t));
        }
    }
    ReleaseBindings();
    stride_ = 0;
    baseVertex_ = 0;
    fvf_ = 0;
    world_ = view_ = projection_ = Identity();
    material_ = D3DMATERIAL8{};
    lights_.clear();
    lightOn_.clear();
    enabled_.clear();
}

HRESULT RenderState::BeginScene() {
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return S_OK;
}

HRESULT RenderState::EndScene() {
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return S_OK;
}

StateChange RenderState::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (state >= kRenderStateCount) return kRefused;
    if (renderStates_[state] == value) return kKept;
    renderStates_[state] = value;
    return kMoved;
}

HRESULT RenderState::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) const {
    if (state >= kRenderStateCount || value == nullptr) return D3DERR_INVALIDCALL;
    *value = renderStates_[state];
    return S_OK;
}

StateChange RenderState::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (stage >= kStageCount || type >= kStageStateCount) return kRefused;
    if (stages_[stage][type] == value) return kKept;
    stages_[stage][type] = value;
    return kMoved;
}

StateChange RenderState::SetTexture(DWORD stage, Texture* texture) {
    if (stage >= kStageCount) return kRefused;
    if (textures_[stage] == texture) return kKept;
    Rebind(textures_[stage], texture);
    return kMoved;
}

StateChange RenderState::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) {
    if (matrix == nullptr) return kRefused;
    switch (type) {
        case D3DTS_WORLD: world_ = *matrix; return kMoved;
        case D3DTS_VIEW: view_ = *matrix; return kMoved;
        case D3DTS_PROJECTION: projection_ = *matrix; return kMoved;
    }
    return kRefused;
}

HRESULT RenderState::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix) const {
    if (matrix == nullptr) return D3DERR_INVALIDCALL;
    switch (type) {
        case D3DTS_WORLD: *matrix = world_; return S_OK;
        case D3DTS_VIEW: *matrix = view_; return S_OK;
        case D3DTS_PROJECTION: *matrix = projection_; return S_OK;
    }
    return D3DERR_INVALIDCALL;
}

StateChange RenderState::SetMaterial(const D3DMATERIAL8* material) {
    if (material == nullptr) return kRefused;
    material_ = *material;
    return kMoved;
}

StateChange RenderState::SetLight(DWORD index, const D3DLIGHT8* light) {
    if (light == nullptr || index >= kMaxLightIndex) return kRefused;
    if (light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL) return kRefused;
    if (index >= lights_.size()) {
        lights_.resize(index + 1, D3DLIGHT8{});
        lightOn_.resize(index + 1, 0);
    }
    lights_[index] = *light;
    return kMoved;
}

StateChange RenderState::LightEnable(DWORD index, BOOL enable) {
    if (index >= kMaxLightIndex) return kRefused;
    if (index >= lights_.size()) {
        // Direct3D 8 switches a light never set on as the default light.
        D3DLIGHT8 def{};
        def.Type = D3DLIGHT_DIRECTIONAL;
        def.Diffuse = {1, 1, 1, 0};
        def.Direction = {0, 0, 1};
        lights_.resize(index + 1, def);
        lightOn_.resize(index + 1, 0);
    }
    const bool on = enable != 0;
    if ((lightOn_[index] != 0) == on) return kKept;
    if (on) {
        if (enabled_.size() >= kMaxActiveLights) return kRefused;
        enabled_.push_back(index);
    } else {
        for (std::size_t i = 0; i < enabled_.size(); ++i) {
            if (enabled_[i] == index) {
                enabled_.erase(enabled_.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
        }
    }
    lightOn_[index] = on ? 1 : 0;
    return kMoved;
}

StateChange RenderState::SetStreamSource(UINT stream, VertexBuffer* buffer, UINT stride) {
    if (stream != 0) return kRefused;
    const bool moved = stream_ != buffer || stride_ != stride;
    Rebind(stream_, buffer);
    stride_ = stride;
    return {S_OK, moved};
}

StateChange RenderState::SetIndices(IndexBuffer* buffer, UINT baseVertexIndex) {
    const bool moved = indices_ != buffer || baseVertex_ != baseVertexIndex;
    Rebind(indices_, buffer);
    baseVertex_ = baseVertexIndex;
    return {S_OK, moved};
}

StateChange RenderState::SetVertexShader(DWORD fvf) {
    if (FvfStride(fvf) == 0) return kRefused;
    if (fvf_ == fvf) return kKept;
    fvf_ = fvf;
    return kMoved;
}

std::uint32_t RenderState::CheckDraw(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) const {
    const std::uint32_t count = PrimitiveVertexCount(type, primitiveCount);
    if (!inScene_ || count == 0 || fvf_ == 0 || stream_ == nullptr || stride_ == 0) return 0;
    if (stream_->Locked()) return 0;
    const std::uint64_t end = (static_cast<std::uint64_t>(startVertex) + count) * stride_;
    return end > stream_->Length() ? 0 : count;
}

std::uint32_t RenderState::CheckIndexedDraw(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                                            UINT primitiveCount) const {
    const std::uint32_t count = PrimitiveVertexCount(type, primitiveCount);
    if (!inScene_ || count == 0 || fvf_ == 0 || stream_ == nullptr || stride_ == 0) return 0;
    if (indices_ == nullptr || stream_->Locked() || indices_->Locked()) return 0;
    const std::uint32_t indexSize = indices_->Format() == D3DFMT_INDEX32 ? 4 : 2;
    if ((static_cast<std::uint64_t>(startIndex) + count) * indexSize > indices_->Length()) return 0;
    const std::uint64_t vertexCapacity = stream_->Length() / stride_;
    const std::uint64_t first = static_cast<std::uint64_t>(minIndex) + baseVertex_;
    const std::uint64_t last = first + numVertices;  // one past
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t v =
            static_cast<std::uint64_t>(IndexAt(indices_->Contents(), indices_->Format(), startIndex + i)) + baseVertex_;
        if (v >= vertexCapacity || v < first || v >= last) return 0;
    }
    return count;
}

}  // namespace gfx
