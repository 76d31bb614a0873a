// The Render queue's draws: the device state a batch needs, set only when it
// differs from what the device was last given, and one draw call per batch.
#include <algorithm>
#include <cstring>

#include "core/game_context.h"
#include "assets/textures.h"
#include "render/render_queue.h"
#include "render/render_queue_parts.h"

namespace dw {

void RenderQueue::ForgetStates() {
    std::fill(std::begin(renderKnown_), std::end(renderKnown_), false);
    std::fill(&stageKnown_[0][0], &stageKnown_[0][0] + 2 * 32, false);
    underTexture_ = nullptr;
    stageOneOn_ = false;
    textureKnown_ = false;
    boundTexture_ = nullptr;
    materialKnown_ = false;
    lastKind_.reset();
    fvf_ = 0;
}

void RenderQueue::SetState(D3DRENDERSTATETYPE state, DWORD value) {
    if (state < kStateSlots && renderKnown_[state] && renderState_[state] == value) return;
    context_->device->SetRenderState(state, value);
    if (state < kStateSlots) {
        renderKnown_[state] = true;
        renderState_[state] = value;
    }
}

void RenderQueue::SetStageState(D3DTEXTURESTAGESTATETYPE type, DWORD value, DWORD stage) {
    if (type < 32 && stageKnown_[stage][type] && stageState_[stage][type] == value) return;
    context_->device->SetTextureStageState(stage, type, value);
    if (type < 32) {
        stageKnown_[stage][type] = true;
        stageState_[stage][type] = value;
    }
}

void RenderQueue::UseVertexFormat(DWORD fvf) {
    if (fvf_ != fvf) context_->device->SetVertexShader(fvf);
    fvf_ = fvf;
}

// Stage 1 is on only for two-stage sprites: it takes the under texture
// through the second coordinate set and lays stage 0 over it by stage 0's
// alpha. Its filters follow the ones the program gives stage 0.
void RenderQueue::SetUnderStage(const Batch& b) {
    gfx::Device* device = context_->device;
    if (b.kind != BatchKind::TwoStage) {
        if (stageOneOn_) {
            SetStageState(D3DTSS_COLOROP, D3DTOP_DISABLE, 1);
            SetStageState(D3DTSS_ALPHAOP, D3DTOP_DISABLE, 1);
            device->SetTexture(1, nullptr);
            underTexture_ = nullptr;
            stageOneOn_ = false;
        }
        return;
    }
    if (!stageOneOn_ || CompareNames(underTexture_, b.underTexture) != 0) {
        if (FAILED(BindTexture(context_, 1, b.underTexture))) device->SetTexture(1, nullptr);
        underTexture_ = b.underTexture;
    }
    stageOneOn_ = true;
    const DWORD filter = context_->canMipMap ? D3DTEXF_LINEAR : D3DTEXF_POINT;
    SetStageState(D3DTSS_MAGFILTER, filter, 1);
    SetStageState(D3DTSS_MINFILTER, filter, 1);
    SetStageState(D3DTSS_MIPFILTER, D3DTEXF_NONE, 1);
    SetStageState(D3DTSS_TEXCOORDINDEX, 1, 1);
    SetStageState(D3DTSS_COLOROP, D3DTOP_BLENDCURRENTALPHA, 1);
    SetStageState(D3DTSS_COLORARG1, D3DTA_CURRENT, 1);
    SetStageState(D3DTSS_COLORARG2, D3DTA_TEXTURE, 1);
    SetStageState(D3DTSS_ALPHAOP, D3DTOP_SELECTARG1, 1);
    SetStageState(D3DTSS_ALPHAARG1, D3DTA_TEXTURE, 1);
}

void RenderQueue::ApplyBatchState(const Batch& b) {
    gfx::Device* device = context_->device;
    // Depth: tested and written, or neither. World quads are tested but
    // not written.
    SetState(D3DRS_ZENABLE, b.noDepth ? kOff : kOn);
    SetState(D3DRS_ZWRITEENABLE, (b.noDepth || b.worldQuads) ? kOff : kOn);
    SetState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);

    // A two-stage sprite does its blending in the stages.
    const bool blend = b.alphaBlend && b.kind != BatchKind::TwoStage;
    SetState(D3DRS_ALPHABLENDENABLE, blend ? kOn : kOff);
    if (blend) {
        SetState(D3DRS_SRCBLEND, b.srcBlend);
        SetState(D3DRS_DESTBLEND, b.destBlend);
    }

    const bool mesh = b.kind == BatchKind::Mesh;
    if (context_->canMipMap && context_->canMipLinear) {
        SetStageState(D3DTSS_MIPFILTER, mesh ? D3DTEXF_LINEAR : D3DTEXF_NONE);
    }
    SetStageState(D3DTSS_ALPHAARG2, mesh ? D3DTA_CURRENT : D3DTA_TEXTURE);

    SetState(D3DRS_AMBIENTMATERIALSOURCE, b.worldQuads ? D3DMCS_COLOR1 : D3DMCS_COLOR2);
    SetState(D3DRS_EMISSIVEMATERIALSOURCE, b.worldQuads ? D3DMCS_COLOR1 : D3DMCS_MATERIAL);

    if (!textureKnown_ || CompareNames(boundTexture_, b.texture) != 0) {
        // A texture that cannot be had draws untextured rather than with
        // whatever the stage held before.
        if (FAILED(BindTexture(context_, 0, b.texture))) device->SetTexture(0, nullptr);
        boundTexture_ = b.texture;
        textureKnown_ = true;
    }
    SetUnderStage(b);
    // Bitwise equal is the same material; any other difference only sends it again.
    // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison)
    if (!materialKnown_ || std::memcmp(&material_, &b.material, sizeof material_) != 0) {
        device->SetMaterial(&b.material);
        material_ = b.material;
        materialKnown_ = true;
    }
}

// Light 0 follows the batch's lit flag; the batch's own light set is on for
// its draw only.
HRESULT RenderQueue::DrawMeshBatch(const Batch& b, bool sameKind) {
    if (b.indexCount == 0) return E_FAIL;
    gfx::Device* device = context_->device;
    const bool ready0 = context_->lightSets[0].ready != 0;
    device->LightEnable(0, (b.lit && ready0) ? kOn : kOff);
    const bool setReady =
        b.lightSet < static_cast<std::uint32_t>(kLightSets) && context_->lightSets[b.lightSet].ready != 0;
    auto lightSet = [&](DWORD on) {
        if (!setReady) return;
        for (DWORD i = 0; i < 5; ++i) {
            if (b.lightEnable[i]) device->LightEnable(b.lightSet * 5 + i, on);
        }
    };
    lightSet(kOn);
    if (!sameKind) {
        device->SetStreamSource(0, vertexBuffers_[MeshVB], sizeof(MeshVertex));
        device->SetIndices(indexBuffers_[MeshIB], 0);
    }
    UseVertexFormat(gfx::kFvfMesh);
    const HRESULT hr =
        device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, b.firstVertex, b.vertexCount, b.firstIndex, b.indexCount / 3);
    lightSet(kOff);
    return hr;
}

// Screen sprites, one or two texture stages: plain triangle lists.
HRESULT RenderQueue::DrawTriangleBatch(const Batch& b, bool sameKind) {
    gfx::Device* device = context_->device;
    const bool two = b.kind == BatchKind::TwoStage;
    if (!sameKind) {
        device->SetStreamSource(0, vertexBuffers_[two ? TwoStageVB : SpriteVB],
                                two ? sizeof(ScreenVertex2) : sizeof(ScreenVertex));
        device->SetIndices(nullptr, 0);
    }
    UseVertexFormat(two ? gfx::kFvfScreen2 : gfx::kFvfScreen);
    if (!two || b.repeat.size == 0) return device->DrawPrimitive(D3DPT_TRIANGLELIST, b.firstVertex, b.vertexCount / 3);
    device->SetRepeat(gfx::RepeatSquare{b.repeat.x, b.repeat.y, b.repeat.size});
    const HRESULT hr = device->DrawPrimitive(D3DPT_TRIANGLELIST, b.firstVertex, b.vertexCount / 3);
    device->SetRepeat({});
    return hr;
}

// World quads and shadows: indexed quads.
HRESULT RenderQueue::DrawIndexedBatch(const Batch& b, bool sameKind) {
    if (b.indexCount == 0) return E_FAIL;
    gfx::Device* device = context_->device;
    const bool quad = b.kind == BatchKind::Quad;
    if (!sameKind) {
        device->SetStreamSource(0, vertexBuffers_[quad ? QuadVB : ShadowVB],
                                quad ? sizeof(WorldVertex) : sizeof(ShadowVertex));
        device->SetIndices(indexBuffers_[quad ? QuadIB : ShadowIB], 0);
    }
    UseVertexFormat(quad ? gfx::kFvfWorld : gfx::kFvfShadow);
    return device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, b.firstVertex, b.vertexCount, b.firstIndex,
                                        b.indexCount / 3);
}

void RenderQueue::DrawBatch(const Batch& b) {
    gfx::Device* device = context_->device;
    if (b.vertexCount == 0) return;
    if (FAILED(device->BeginScene())) return;
    ApplyBatchState(b);
    const bool sameKind = lastKind_ == b.kind;
    lastKind_ = b.kind;
    HRESULT hr = E_FAIL;
    switch (b.kind) {
        case BatchKind::Mesh: hr = DrawMeshBatch(b, sameKind); break;
        case BatchKind::Sprite:
        case BatchKind::TwoStage: hr = DrawTriangleBatch(b, sameKind); break;
        case BatchKind::Quad:
        case BatchKind::Shadow: hr = DrawIndexedBatch(b, sameKind); break;
    }
    if (SUCCEEDED(hr)) ++lastBatchCount;
    device->EndScene();
}

}  // namespace dw
