#include "render/render_queue.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/game_context.h"
#include "d3dx/d3dx_math.h"
#include "assets/asset_names.h"
#include "gfx/device.h"
#include "render/render_queue_parts.h"

namespace dw {

namespace {

constexpr DWORD kUsageFirst = 0x288;  // dynamic | rt-patches | write-only
constexpr DWORD kUsageRest = 0x308;   // dynamic | n-patches | write-only

// Sort keys are compared in steps of this size: keys that round to the same
// step are one key.
constexpr double kKeyStep = 0.00001;

std::int64_t KeyStep(float key) {
    constexpr double kMost = 1e18;
    if (std::isnan(key)) return std::numeric_limits<std::int64_t>::max();
    const double steps = std::nearbyint(static_cast<double>(key) / kKeyStep);
    return static_cast<std::int64_t>(std::clamp(steps, -kMost, kMost));
}

float MaterialKey(const D3DMATERIAL8& m) {
    const float k = m.Diffuse.r + 2.0f * m.Diffuse.g + 4.0f * m.Diffuse.b + 8.0f * m.Diffuse.a;
    return std::isnan(k) ? std::numeric_limits<float>::infinity() : k;
}

std::uint32_t MaterialTag(const D3DMATERIAL8& m) {
    const float k = 1000.0f * MaterialKey(m);
    if (!std::isfinite(k) || std::fabs(k) > 1e15f) return 0xFFFFFFFFu;
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(k)) & 0xFFFFu;
}

std::uint32_t LightBits(const DrawEntry& e) {
    std::uint32_t bits = 0;
    for (int i = 0; i < 5; ++i) {
        if (e.lightEnable[i]) bits |= 1u << i;
    }
    return bits;
}

template <typename T>
int Cmp(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

MeshView::MeshView(ID3DXMesh* mesh) : mesh_(mesh) {
    if (mesh_ == nullptr || mesh_->GetNumBytesPerVertex() != sizeof(MeshVertex)) return;
    if (FAILED(mesh_->LockVertexBuffer(D3DLOCK_READONLY, &vertices_)) || vertices_ == nullptr) {
        vertices_ = nullptr;
        return;
    }
    if (FAILED(mesh_->LockIndexBuffer(D3DLOCK_READONLY, &indices_)) || indices_ == nullptr) {
        indices_ = nullptr;
        mesh_->UnlockVertexBuffer();
        vertices_ = nullptr;
        return;
    }
    vertexCount_ = mesh_->GetNumVertices();
    indexCount_ = 3 * mesh_->GetNumFaces();
    wide_ = (mesh_->GetOptions() & D3DXMESH_32BIT) != 0;
    // An index past the vertices would draw someone else's geometry.
    for (std::uint32_t i = 0; i < indexCount_; ++i) {
        if (Index(i) >= vertexCount_) return;
    }
    valid_ = true;
}

MeshView::~MeshView() {
    if (indices_) mesh_->UnlockIndexBuffer();
    if (vertices_) mesh_->UnlockVertexBuffer();
}

RenderQueue::RenderQueue(GameContext* ctx) : context_(ctx) {}

RenderQueue::~RenderQueue() { InvalidateDeviceObjects(); }

void RenderQueue::Submit(const DrawEntry& entry) {
    Node& node = entries_.emplace_back();
    node.entry = entry;
    node.serial = serial_++;
    if (!IsMesh(entry)) {
        node.entry.material = defaultMaterial_;
        node.entry.lit = 0;
        node.entry.lightSet = 0;
        std::memset(node.entry.lightEnable, 0, sizeof node.entry.lightEnable);
    }
    node.keyStep = KeyStep(node.entry.sortKey);
    node.materialKey = MaterialKey(node.entry.material);
    node.lightBits = LightBits(node.entry);
    std::memset(&context_->drawRequest, 0, sizeof context_->drawRequest);
}

void RenderQueue::Clear() {
    entries_.clear();
    order_.clear();
    serial_ = 0;
}

HRESULT RenderQueue::RestoreDeviceObjects() {
    InvalidateDeviceObjects();
    gfx::Device* device = context_->device;
    if (device == nullptr) return E_FAIL;
    for (int b = 0; b < BufferCount; ++b) {
        const DWORD usage = b < 2 ? kUsageFirst : kUsageRest;
        const UINT bytes = kCapacity[b] * kElementSize[b];
        HRESULT hr;
        if (kIsIndexBuffer[b]) {
            hr = device->CreateIndexBuffer(bytes, usage, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &indexBuffers_[b]);
        } else {
            static constexpr DWORD kFvf[BufferCount] = {gfx::kFvfMesh,   0, gfx::kFvfScreen, gfx::kFvfWorld, 0,
                                                        gfx::kFvfShadow, 0, gfx::kFvfScreen2};
            hr = device->CreateVertexBuffer(bytes, usage, kFvf[b], D3DPOOL_DEFAULT, &vertexBuffers_[b]);
        }
        if (FAILED(hr)) {
            InvalidateDeviceObjects();
            return hr;
        }
    }
    D3DCAPS8 caps{};
    secondStage_ =
        SUCCEEDED(device->GetDeviceCaps(&caps)) && caps.MaxTextureBlendStages >= 2 && caps.MaxSimultaneousTextures >= 2;
    return S_OK;
}

HRESULT RenderQueue::InvalidateDeviceObjects() {
    for (int b = 0; b < BufferCount; ++b) {
        if (vertexBuffers_[b]) vertexBuffers_[b]->Release();
        if (indexBuffers_[b]) indexBuffers_[b]->Release();
        vertexBuffers_[b] = nullptr;
        indexBuffers_[b] = nullptr;
        mapped_[b] = nullptr;
    }
    locked_ = false;
    return S_OK;
}

// --- sorting ----------------------------------------------------------------

bool RenderQueue::Before(const Node& na, const Node& nb) const {
    const DrawEntry& a = na.entry;
    const DrawEntry& b = nb.entry;
    if (int c = Cmp(a.noDepth != 0, b.noDepth != 0)) return c < 0;
    if (int c = Cmp(a.screenSpace != 0, b.screenSpace != 0)) return c < 0;
    if (int c = Cmp(a.alphaBlend != 0, b.alphaBlend != 0)) return c < 0;
    // Opaque depth-tested entries go front to back, the others back to front.
    const bool ascending = !a.alphaBlend && !a.noDepth;
    const int keys = ascending ? Cmp(na.keyStep, nb.keyStep) : Cmp(nb.keyStep, na.keyStep);
    // Screen sprites order by key, then texture; world entries the other way.
    const int first = a.screenSpace ? keys : CompareNames(a.texture, b.texture);
    if (first != 0) return first < 0;
    if (int c = Cmp(a.worldQuads != 0, b.worldQuads != 0)) return c < 0;
    const int second = a.screenSpace ? CompareNames(a.texture, b.texture) : keys;
    if (second != 0) return second < 0;
    if (int c = Cmp(na.materialKey, nb.materialKey)) return c < 0;
    if (int c = Cmp(a.lightSet, b.lightSet)) return c < 0;
    if (int c = Cmp(na.lightBits, nb.lightBits)) return c < 0;
    return na.serial < nb.serial;
}

void RenderQueue::SortEntries() {
    order_.resize(entries_.size());
    for (std::uint32_t i = 0; i < order_.size(); ++i) order_[i] = i;
    std::sort(order_.begin(), order_.end(),
              [this](std::uint32_t a, std::uint32_t b) { return Before(entries_[a], entries_[b]); });
}

bool RenderQueue::Compatible(const DrawEntry& a, const DrawEntry& b) const {
    // Blend factors count too: merging entries that blend differently would
    // draw all but the first with the wrong blend.
    return a.noDepth == b.noDepth && a.screenSpace == b.screenSpace && a.alphaBlend == b.alphaBlend &&
        CompareNames(a.texture, b.texture) == 0 && a.worldQuads == b.worldQuads &&
        MaterialTag(a.material) == MaterialTag(b.material) && a.lightSet == b.lightSet &&
        LightBits(a) == LightBits(b) && a.quadsPresorted == b.quadsPresorted && a.twoStage == b.twoStage &&
        (!a.twoStage ||
         (CompareNames(a.underTexture, b.underTexture) == 0 && a.repeatX == b.repeatX && a.repeatY == b.repeatY &&
          a.repeatSize == b.repeatSize)) &&
        // Deliberate (docs/DECISIONS.md): blend factors decide batch compatibility.
        (!a.alphaBlend || (a.srcBlend == b.srcBlend && a.destBlend == b.destBlend));
}

// --- the frame ----------------------------------------------------------------

RenderQueue::Batch RenderQueue::TemplateOf(const DrawEntry& first) const {
    Batch templ{};
    templ.kind = KindOf(first);
    templ.alphaBlend = first.alphaBlend;
    templ.srcBlend = first.srcBlend;
    templ.destBlend = first.destBlend;
    templ.noDepth = first.noDepth;
    templ.worldQuads = first.worldQuads;
    templ.texture = first.texture ? first.texture : asset::NoTexture;
    templ.underTexture = first.underTexture ? first.underTexture : asset::NoTexture;
    templ.repeat = RepeatSquare{first.repeatX, first.repeatY, first.repeatSize};
    templ.material = templ.kind == BatchKind::Mesh ? first.material : defaultMaterial_;
    templ.lit = first.lit;
    templ.lightSet = first.lightSet;
    std::memcpy(templ.lightEnable, first.lightEnable, sizeof templ.lightEnable);
    return templ;
}

void RenderQueue::BuildRuns() {
    const std::size_t n = order_.size();
    std::size_t k = 0;
    while (k < n) {
        std::size_t end = k + 1;
        while (end < n && Compatible(entries_[order_[end - 1]].entry, entries_[order_[end]].entry)) ++end;
        const Batch templ = TemplateOf(entries_[order_[k]].entry);
        cursor_ = k;
        switch (templ.kind) {
            case BatchKind::Mesh: BuildMeshRun(k, end, templ); break;
            case BatchKind::Sprite:
            case BatchKind::TwoStage: BuildSpriteRun(k, end, templ); break;
            case BatchKind::Quad: BuildQuadRun(k, end, templ); break;
            case BatchKind::Shadow: break;  // never an entry's kind
        }
        k = end;
        cursor_ = k;
        if (!shadowsDone_ && k < n && entries_[order_[k]].entry.alphaBlend) BuildShadows();
    }
}

HRESULT RenderQueue::Flush() {
    lastBatchCount = 0;
    lastPassCount = 0;
    if (entries_.empty()) return S_OK;
    gfx::Device* device = context_->device;
    if (device == nullptr || vertexBuffers_[SpriteVB] == nullptr) return E_FAIL;

    device->SetTransform(D3DTS_VIEW, &context_->viewMatrix);
    device->SetTransform(D3DTS_PROJECTION, &context_->projectionMatrix);
    SortEntries();

    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    if (FAILED(device->BeginScene())) return E_FAIL;
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
    device->SetRenderState(D3DRS_ZENABLE, kOn);
    device->EndScene();

    ForgetStates();
    batches_.clear();
    batchOpen_ = false;
    cursor_ = 0;
    shadowsDone_ = false;
    BeginPass(kNoBuffer, 0, kNoBuffer, 0);
    BuildRuns();
    EndPass();

    device->SetIndices(nullptr, 0);
    device->SetStreamSource(0, nullptr, 0);

    // Back to the state the rest of the program expects.
    const bool scene = SUCCEEDED(device->BeginScene());
    device->SetRenderState(D3DRS_ZENABLE, kOn);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, kOff);
    device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR2);
    device->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);
    device->SetRenderState(D3DRS_ZWRITEENABLE, kOn);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
    device->SetTexture(0, nullptr);
    if (stageOneOn_) {
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        device->SetTexture(1, nullptr);
        stageOneOn_ = false;
    }
    if (scene) device->EndScene();
    return S_OK;
}

namespace {

// The context's draw request filled as a screen entry; the caller adds what
// is its own and submits it.
DrawEntry& ScreenEntry(GameContext* ctx, const char* texture, const void* vertices, std::uint32_t triangles,
                       float sortKey, std::uint32_t srcBlend, std::uint32_t destBlend, bool noDepth, bool alphaBlend) {
    DrawEntry& e = ctx->drawRequest;
    e.screenSpace = 1;
    e.noDepth = noDepth ? 1 : 0;
    e.alphaBlend = alphaBlend ? 1 : 0;
    e.worldQuads = 0;
    e.srcBlend = srcBlend;
    e.destBlend = destBlend;
    e.sortKey = sortKey;
    e.texture = texture;
    e.vertices = vertices;
    e.primitiveCount = triangles;
    return e;
}

}  // namespace

void SubmitSprite(GameContext* ctx, const char* texture, const ScreenVertex* vertices, std::uint32_t triangles,
                  float sortKey, std::uint32_t srcBlend, std::uint32_t destBlend, bool noDepth, bool alphaBlend) {
    if (!ctx->renderQueue || triangles == 0) return;
    ctx->renderQueue->Submit(
        ScreenEntry(ctx, texture, vertices, triangles, sortKey, srcBlend, destBlend, noDepth, alphaBlend));
}

void SubmitTwoStage(GameContext* ctx, const char* texture, const char* underTexture, const ScreenVertex2* vertices,
                    std::uint32_t triangles, float sortKey, const RepeatSquare& repeat) {
    if (!ctx->renderQueue || triangles == 0) return;
    DrawEntry& e = ScreenEntry(ctx, texture, vertices, triangles, sortKey, kBlendSource, kBlendOver, true, true);
    e.twoStage = 1;
    e.underTexture = underTexture;
    e.repeatX = repeat.x;
    e.repeatY = repeat.y;
    e.repeatSize = repeat.size;
    ctx->renderQueue->Submit(e);
}

}  // namespace dw
