#include "render/render_queue.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/game_context.h"
#include "d3dx/d3dx_math.h"
#include "d3dx/d3dx_mesh.h"
#include "assets/asset_names.h"
#include "assets/textures.h"
#include "platform/gfx_device.h"

namespace dw {

namespace {

constexpr std::uint32_t kElementSize[RenderQueue::BufferCount] = {32, 2, 28, 24, 2, 20, 2, 36};
constexpr std::uint32_t kCapacity[RenderQueue::BufferCount] = {
    RenderQueue::kMeshVertices, RenderQueue::kMeshIndices, RenderQueue::kSpriteVertices,
    RenderQueue::kQuadVertices, RenderQueue::kQuadIndices, RenderQueue::kShadowVertices,
    RenderQueue::kShadowIndices, RenderQueue::kTwoStageVertices};
constexpr bool kIsIndexBuffer[RenderQueue::BufferCount] = {false, true, false, false,
                                                           true,  false, true, false};
constexpr DWORD kUsageFirst = 0x288;  // dynamic | rt-patches | write-only
constexpr DWORD kUsageRest = 0x308;   // dynamic | n-patches | write-only
constexpr RenderQueue::Buffer kNone = RenderQueue::BufferCount;

constexpr DWORD kOn = 1, kOff = 0;
constexpr std::uint32_t kKindMesh = 0, kKindSprite = 1, kKindQuad = 2, kKindShadow = 3,
                        kKindTwoStage = 4;

// Texture names compare over their first 30 characters as signed bytes.
int CompareNames(const char* a, const char* b) {
    if (a == b) return 0;
    if (a == nullptr) a = "";
    if (b == nullptr) b = "";
    for (int i = 0; i < 30; ++i) {
        const auto ca = static_cast<signed char>(a[i]);
        const auto cb = static_cast<signed char>(b[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) break;
    }
    return 0;
}

int CompareKeys(float a, float b, bool ascending) {
    if (std::fabs(a - b) < 0.00001f) return 0;
    const int r = a < b ? -1 : 1;
    return ascending ? r : -r;
}

float MaterialKey(const D3DMATERIAL8& m) {
    return m.Diffuse.r + 2.0f * m.Diffuse.g + 4.0f * m.Diffuse.b + 8.0f * m.Diffuse.a;
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

bool IsMesh(const DrawEntry& e) { return !e.screenSpace && !e.worldQuads; }

std::uint32_t KindOf(const DrawEntry& e) {
    if (e.screenSpace) return e.twoStage ? kKindTwoStage : kKindSprite;
    if (e.worldQuads) return kKindQuad;
    return kKindMesh;
}

bool IsIdentity(const D3DMATRIX& m) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (m.m[r][c] != (r == c ? 1.0f : 0.0f)) return false;
        }
    }
    return true;
}

// Reads a mesh's geometry for the duration of a scope; empty when the mesh
// is not in the queue's vertex format or will not lock.
class MeshView {
public:
    explicit MeshView(ID3DXMesh* mesh) : mesh_(mesh) {
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
            if (Index(i) >= vertexCount_) {
                valid_ = false;
                return;
            }
        }
        valid_ = true;
    }
    ~MeshView() {
        if (indices_) mesh_->UnlockIndexBuffer();
        if (vertices_) mesh_->UnlockVertexBuffer();
    }
    MeshView(const MeshView&) = delete;
    MeshView& operator=(const MeshView&) = delete;

    bool valid() const { return valid_; }
    std::uint32_t vertexCount() const { return vertexCount_; }
    std::uint32_t indexCount() const { return indexCount_; }
    MeshVertex Vertex(std::uint32_t i) const {
        MeshVertex v;
        std::memcpy(&v, vertices_ + static_cast<std::size_t>(i) * sizeof(MeshVertex), sizeof v);
        return v;
    }
    std::uint32_t Index(std::uint32_t i) const {
        return gfx::IndexAt(indices_, wide_ ? D3DFMT_INDEX32 : D3DFMT_INDEX16, i);
    }

private:
    ID3DXMesh* mesh_;
    BYTE* vertices_ = nullptr;
    BYTE* indices_ = nullptr;
    std::uint32_t vertexCount_ = 0, indexCount_ = 0;
    bool wide_ = false;
    bool valid_ = false;
};

void PutIndex(std::uint8_t* base, std::uint32_t at, std::uint32_t value) {
    const auto v = static_cast<std::uint16_t>(value);
    std::memcpy(base + 2 * static_cast<std::size_t>(at), &v, 2);
}

}  // namespace

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
            hr = device->CreateIndexBuffer(bytes, usage, D3DFMT_INDEX16, D3DPOOL_DEFAULT,
                                           &indexBuffers_[b]);
        } else {
            static constexpr DWORD kFvf[BufferCount] = {gfx::kFvfMesh, 0, gfx::kFvfScreen,
                                                        gfx::kFvfWorld, 0, gfx::kFvfShadow, 0,
                                                        gfx::kFvfScreen2};
            hr = device->CreateVertexBuffer(bytes, usage, kFvf[b], D3DPOOL_DEFAULT,
                                            &vertexBuffers_[b]);
        }
        if (FAILED(hr)) {
            InvalidateDeviceObjects();
            return hr;
        }
    }
    D3DCAPS8 caps{};
    secondStage_ = SUCCEEDED(device->GetDeviceCaps(&caps)) && caps.MaxTextureBlendStages >= 2 &&
                   caps.MaxSimultaneousTextures >= 2;
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

int RenderQueue::Compare(const DrawEntry& a, const DrawEntry& b) const {
    if (int c = Cmp(a.noDepth != 0, b.noDepth != 0)) return c;
    if (int c = Cmp(a.screenSpace != 0, b.screenSpace != 0)) return c;
    if (int c = Cmp(a.alphaBlend != 0, b.alphaBlend != 0)) return c;
    const bool ascending = !a.alphaBlend && !a.noDepth;
    if (a.screenSpace) {
        if (int c = CompareKeys(a.sortKey, b.sortKey, ascending)) return c;
    } else {
        if (int c = CompareNames(a.texture, b.texture)) return c;
    }
    if (int c = Cmp(a.worldQuads != 0, b.worldQuads != 0)) return c;
    if (a.screenSpace) {
        if (int c = CompareNames(a.texture, b.texture)) return c;
    } else {
        if (int c = CompareKeys(a.sortKey, b.sortKey, ascending)) return c;
    }
    if (int c = Cmp(MaterialKey(a.material), MaterialKey(b.material))) return c;
    if (int c = Cmp(a.lightSet, b.lightSet)) return c;
    return Cmp(LightBits(a), LightBits(b));
}

// Quicksort of the positions, pivot in the middle. The key tolerance makes
// the order not quite transitive; the partition only ever compares against
// the pivot and checks its bounds, so it cannot run away.
void RenderQueue::SortEntries() {
    order_.resize(entries_.size());
    for (std::uint32_t i = 0; i < order_.size(); ++i) order_[i] = i;
    if (order_.size() < 2) return;

    auto entry = [this](std::uint32_t pos) -> const DrawEntry& { return entries_[pos].entry; };
    struct Range { std::ptrdiff_t lo, hi; };
    Range stack[64];
    int top = 0;
    stack[top++] = {0, static_cast<std::ptrdiff_t>(order_.size()) - 1};
    while (top > 0) {
        Range r = stack[--top];
        while (r.lo < r.hi) {
            const DrawEntry& pivot = entry(order_[r.lo + (r.hi - r.lo) / 2]);
            const DrawEntry p = pivot;  // the pivot's slot moves during the partition
            std::ptrdiff_t i = r.lo, j = r.hi;
            while (i <= j) {
                while (i <= r.hi && Compare(entry(order_[i]), p) < 0) ++i;
                while (j >= r.lo && Compare(entry(order_[j]), p) > 0) --j;
                if (i <= j) {
                    std::swap(order_[i], order_[j]);
                    ++i;
                    --j;
                }
            }
            // Keep the larger side for later and go on with the smaller:
            // the stack stays within log2(n) ranges.
            Range larger{r.lo, j}, smaller{i, r.hi};
            if (larger.hi - larger.lo < smaller.hi - smaller.lo) std::swap(larger, smaller);
            if (larger.lo < larger.hi) stack[top++] = larger;
            r = smaller;
        }
    }
}

bool RenderQueue::Compatible(const DrawEntry& a, const DrawEntry& b) const {
    // Blend factors count too: merging entries that blend differently would
    // draw all but the first with the wrong blend.
    return a.noDepth == b.noDepth && a.screenSpace == b.screenSpace &&
           a.alphaBlend == b.alphaBlend && CompareNames(a.texture, b.texture) == 0 &&
           a.worldQuads == b.worldQuads && MaterialTag(a.material) == MaterialTag(b.material) &&
           a.lightSet == b.lightSet && LightBits(a) == LightBits(b) &&
           a.quadsPresorted == b.quadsPresorted && a.twoStage == b.twoStage &&
           (!a.twoStage || CompareNames(a.underTexture, b.underTexture) == 0) &&
           // Deliberate (docs/DECISIONS.md): blend factors decide batch compatibility.
           (!a.alphaBlend || (a.srcBlend == b.srcBlend && a.destBlend == b.destBlend));
}

// --- geometry counts and passes ---------------------------------------------

void RenderQueue::CountEntry(const DrawEntry& e, std::uint64_t* need) const {
    switch (KindOf(e)) {
    case kKindMesh:
        if (e.mesh) {
            need[MeshVB] += e.mesh->GetNumVertices();
            need[MeshIB] += 3ull * e.mesh->GetNumFaces();
        }
        break;
    case kKindSprite:
        if (e.vertices) need[SpriteVB] += 3ull * e.primitiveCount;
        break;
    case kKindTwoStage:
        if (e.vertices) need[TwoStageVB] += 3ull * e.primitiveCount;
        break;
    case kKindQuad:
        if (e.vertices) {
            need[QuadVB] += 2ull * (e.primitiveCount & ~1u);
            need[QuadIB] += 3ull * (e.primitiveCount & ~1u);
        }
        break;
    }
}

void RenderQueue::CountShadows(std::uint64_t* need) const {
    for (const Node& n : entries_) {
        const DrawEntry& e = n.entry;
        if (e.shadowKind == 1) {
            need[ShadowVB] += 4;
            need[ShadowIB] += 6;
        } else if (e.shadowKind == 2 && e.shadowPositions) {
            need[ShadowVB] += 4ull * e.shadowCount;
            need[ShadowIB] += 6ull * e.shadowCount;
        } else if (e.shadowKind == 3 && IsMesh(e) && e.mesh) {
            need[ShadowVB] += e.mesh->GetNumVertices();
            need[ShadowIB] += 3ull * e.mesh->GetNumFaces();
        }
    }
}

// Locks every buffer for what the rest of the frame needs (at most its
// capacity), with at least the room the caller asks for.
bool RenderQueue::BeginPass(Buffer vb, std::uint32_t vertices, Buffer ib, std::uint32_t indices) {
    std::uint64_t need[BufferCount] = {};
    for (std::size_t i = cursor_; i < order_.size(); ++i) CountEntry(entries_[order_[i]].entry, need);
    if (!shadowsDone_) CountShadows(need);
    if (vb != kNone) need[vb] = std::max<std::uint64_t>(need[vb], vertices);
    if (ib != kNone) need[ib] = std::max<std::uint64_t>(need[ib], indices);

    ++lastPassCount;
    bool ok = true;
    for (int b = 0; b < BufferCount; ++b) {
        used_[b] = 0;
        lockedCap_[b] = 0;
        mapped_[b] = nullptr;
        const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(need[b], kCapacity[b]));
        if (count == 0) continue;
        HRESULT hr = kIsIndexBuffer[b]
                         ? indexBuffers_[b]->Lock(0, count * kElementSize[b], &mapped_[b], D3DLOCK_DISCARD)
                         : vertexBuffers_[b]->Lock(0, count * kElementSize[b], &mapped_[b], D3DLOCK_DISCARD);
        if (FAILED(hr) || mapped_[b] == nullptr) {
            mapped_[b] = nullptr;
            ok = false;
            continue;
        }
        lockedCap_[b] = count;
    }
    locked_ = true;
    return ok;
}

void RenderQueue::EndPass() {
    if (!locked_) return;
    for (int b = 0; b < BufferCount; ++b) {
        if (mapped_[b] == nullptr) continue;
        if (kIsIndexBuffer[b]) {
            indexBuffers_[b]->Unlock();
        } else {
            vertexBuffers_[b]->Unlock();
        }
        mapped_[b] = nullptr;
    }
    locked_ = false;
    for (const Batch& b : batches_) DrawBatch(b);
    batches_.clear();
}

bool RenderQueue::Fits(Buffer vb, std::uint32_t vertices, Buffer ib, std::uint32_t indices) const {
    if (vb != kNone && (mapped_[vb] == nullptr || used_[vb] + static_cast<std::uint64_t>(vertices) > lockedCap_[vb])) {
        return false;
    }
    if (ib != kNone && indices > 0 &&
        (mapped_[ib] == nullptr || used_[ib] + static_cast<std::uint64_t>(indices) > lockedCap_[ib])) {
        return false;
    }
    return true;
}

RenderQueue::Batch& RenderQueue::OpenBatch(const Batch& templ) {
    Batch& b = batches_.emplace_back(templ);
    const Buffer vb = templ.kind == kKindMesh       ? MeshVB
                      : templ.kind == kKindSprite   ? SpriteVB
                      : templ.kind == kKindTwoStage ? TwoStageVB
                      : templ.kind == kKindQuad     ? QuadVB
                                                    : ShadowVB;
    const Buffer ib = templ.kind == kKindMesh   ? MeshIB
                      : templ.kind == kKindQuad ? QuadIB
                      : templ.kind == kKindShadow ? ShadowIB
                                                  : kNone;
    b.firstVertex = used_[vb];
    b.vertexCount = 0;
    b.firstIndex = ib != kNone ? used_[ib] : 0;
    b.indexCount = 0;
    batchOpen_ = true;
    return b;
}

void RenderQueue::CloseBatch() {
    if (!batchOpen_) return;
    batchOpen_ = false;
    if (batches_.back().vertexCount == 0) batches_.pop_back();  // nothing to draw
}

// The frame may hold more geometry than the buffers: then the pass so far
// is drawn and the buffers are filled again from the start, so nothing is
// dropped and nothing is written past a buffer's end.
bool RenderQueue::Reserve(const Batch& templ, Buffer vb, std::uint32_t vertices, Buffer ib,
                          std::uint32_t indices) {
    if (vertices > kCapacity[vb] || (ib != kNone && indices > kCapacity[ib])) return false;
    if (Fits(vb, vertices, ib, indices)) return true;
    CloseBatch();
    EndPass();
    BeginPass(vb, vertices, ib, indices);
    OpenBatch(templ);
    return Fits(vb, vertices, ib, indices);
}

// --- building ------------------------------------------------------------------

void RenderQueue::BuildMeshRun(std::size_t begin, std::size_t end, const Batch& templ) {
    OpenBatch(templ);
    for (std::size_t k = begin; k < end; ++k) {
        cursor_ = k;
        const DrawEntry& e = entries_[order_[k]].entry;
        MeshView mesh(e.mesh);
        if (!mesh.valid() || mesh.vertexCount() == 0 || mesh.indexCount() == 0) continue;
        // A single mesh larger than the buffers cannot be drawn from them.
        if (!Reserve(templ, MeshVB, mesh.vertexCount(), MeshIB, mesh.indexCount())) continue;
        Batch& b = batches_.back();
        const bool identity = IsIdentity(e.world);
        const D3DXMATRIX world(e.world);
        auto* out = reinterpret_cast<MeshVertex*>(mapped_[MeshVB]) + used_[MeshVB];
        for (std::uint32_t i = 0; i < mesh.vertexCount(); ++i) {
            MeshVertex v = mesh.Vertex(i);
            if (!identity) {
                D3DXVECTOR3 p(v.x, v.y, v.z), n(v.nx, v.ny, v.nz), tp, tn;
                D3DXVec3TransformCoord(&tp, &p, &world);
                D3DXVec3TransformNormal(&tn, &n, &world);
                v.x = tp.x, v.y = tp.y, v.z = tp.z;
                v.nx = tn.x, v.ny = tn.y, v.nz = tn.z;
            }
            std::memcpy(out + i, &v, sizeof v);
        }
        const std::uint32_t offset = used_[MeshVB];
        for (std::uint32_t i = 0; i < mesh.indexCount(); ++i) {
            PutIndex(mapped_[MeshIB], used_[MeshIB] + i, mesh.Index(i) + offset);
        }
        used_[MeshVB] += mesh.vertexCount();
        used_[MeshIB] += mesh.indexCount();
        b.vertexCount += mesh.vertexCount();
        b.indexCount += mesh.indexCount();
    }
    CloseBatch();
}

void RenderQueue::BuildSpriteRun(std::size_t begin, std::size_t end, const Batch& templ) {
    const bool two = templ.kind == kKindTwoStage;
    const Buffer vb = two ? TwoStageVB : SpriteVB;
    const std::size_t size = kElementSize[vb];
    const std::uint32_t most = kCapacity[vb] / 3;
    OpenBatch(templ);
    for (std::size_t k = begin; k < end; ++k) {
        cursor_ = k;
        const DrawEntry& e = entries_[order_[k]].entry;
        if (e.vertices == nullptr) continue;
        const auto* src = static_cast<const std::uint8_t*>(e.vertices);
        std::uint32_t left = e.primitiveCount;
        while (left > 0) {
            // Take whole triangles; a long entry spreads over passes.
            std::uint32_t room = mapped_[vb] ? (lockedCap_[vb] - used_[vb]) / 3 : 0;
            if (room == 0) {
                Reserve(templ, vb, std::min(left, most) * 3, kNone, 0);
                room = mapped_[vb] ? (lockedCap_[vb] - used_[vb]) / 3 : 0;
                if (room == 0) return CloseBatch();  // the buffer would not lock
            }
            const std::uint32_t take = std::min(left, room);
            std::memcpy(mapped_[vb] + static_cast<std::size_t>(used_[vb]) * size, src,
                        static_cast<std::size_t>(take) * 3 * size);
            used_[vb] += 3 * take;
            batches_.back().vertexCount += 3 * take;
            src += static_cast<std::size_t>(take) * 3 * size;
            left -= take;
        }
    }
    CloseBatch();
}

void RenderQueue::BuildQuadRun(std::size_t begin, std::size_t end, const Batch& templ) {
    scratch_.clear();
    const D3DVECTOR eye = context_->eyePosition;
    for (std::size_t k = begin; k < end; ++k) {
        const DrawEntry& e = entries_[order_[k]].entry;
        if (e.vertices == nullptr) continue;
        const auto* quads = static_cast<const WorldQuad*>(e.vertices);
        const std::uint32_t count = e.primitiveCount / 2;
        for (std::uint32_t q = 0; q < count; ++q) {
            const WorldQuad& quad = quads[q];
            const float dx = quad.position[0] - eye.x, dy = quad.position[1] - eye.y,
                        dz = quad.position[2] - eye.z;
            scratch_.push_back({dx * dx + dy * dy + dz * dz, &quad});
        }
    }
    if (!entries_[order_[begin]].entry.quadsPresorted) {
        // Visible quads far to near, hidden ones last.
        std::stable_sort(scratch_.begin(), scratch_.end(), [](const Sorted& a, const Sorted& b) {
            if ((a.quad->hidden != 0) != (b.quad->hidden != 0)) return b.quad->hidden != 0;
            return a.distance > b.distance;
        });
    }
    cursor_ = begin;
    OpenBatch(templ);
    for (const Sorted& s : scratch_) {
        if (s.quad->hidden) continue;
        if (!Reserve(templ, QuadVB, 4, QuadIB, 6)) break;
        Batch& b = batches_.back();
        const std::uint32_t v = used_[QuadVB];
        std::memcpy(mapped_[QuadVB] + static_cast<std::size_t>(v) * sizeof(WorldVertex), s.quad->corners,
                    sizeof s.quad->corners);
        static constexpr std::uint32_t kPattern[6] = {0, 1, 2, 2, 1, 3};
        for (int i = 0; i < 6; ++i) PutIndex(mapped_[QuadIB], used_[QuadIB] + i, v + kPattern[i]);
        used_[QuadVB] += 4;
        used_[QuadIB] += 6;
        b.vertexCount += 4;
        b.indexCount += 6;
    }
    CloseBatch();
}

void RenderQueue::AppendShadowQuad(const Batch& templ, const DrawEntry& e, float x, float z) {
    if (!Reserve(templ, ShadowVB, 4, ShadowIB, 6)) return;
    Batch& b = batches_.back();
    const float y = e.groundHeight;
    const ShadowVertex corners[4] = {
        {x + e.shadowLeft, y, z + e.shadowNear, 0.0f, 1.0f},
        {x + e.shadowLeft, y, z + e.shadowFar, 0.0f, 0.0f},
        {x + e.shadowRight, y, z + e.shadowNear, 1.0f, 1.0f},
        {x + e.shadowRight, y, z + e.shadowFar, 1.0f, 0.0f},
    };
    const std::uint32_t v = used_[ShadowVB];
    std::memcpy(mapped_[ShadowVB] + static_cast<std::size_t>(v) * sizeof(ShadowVertex), corners,
                sizeof corners);
    static constexpr std::uint32_t kPattern[6] = {0, 1, 2, 2, 1, 3};
    for (int i = 0; i < 6; ++i) PutIndex(mapped_[ShadowIB], used_[ShadowIB] + i, v + kPattern[i]);
    used_[ShadowVB] += 4;
    used_[ShadowIB] += 6;
    b.vertexCount += 4;
    b.indexCount += 6;
}

void RenderQueue::BuildShadows() {
    Batch templ{};
    templ.kind = kKindShadow;
    templ.alphaBlend = 1;
    templ.srcBlend = D3DBLEND_SRCALPHA;
    templ.destBlend = D3DBLEND_INVSRCALPHA;
    templ.material.Diffuse = {0.2f, 0.2f, 0.2f, 0.25f};
    templ.material.Ambient = {0.2f, 0.2f, 0.2f, 0.25f};

    templ.texture = asset::ShadowMap;
    OpenBatch(templ);
    for (const Node& n : entries_) {
        const DrawEntry& e = n.entry;
        if (e.shadowKind == 1) AppendShadowQuad(templ, e, e.shadowPosition[0], e.shadowPosition[2]);
    }
    CloseBatch();

    OpenBatch(templ);
    for (const Node& n : entries_) {
        const DrawEntry& e = n.entry;
        if (e.shadowKind != 2 || e.shadowPositions == nullptr) continue;
        for (std::uint32_t i = 0; i < e.shadowCount; ++i) {
            AppendShadowQuad(templ, e, e.shadowPositions[i][0], e.shadowPositions[i][2]);
        }
    }
    CloseBatch();

    templ.texture = asset::NoTexture;
    OpenBatch(templ);
    for (const Node& n : entries_) {
        const DrawEntry& e = n.entry;
        if (e.shadowKind != 3 || !IsMesh(e)) continue;
        MeshView mesh(e.mesh);
        if (!mesh.valid() || mesh.vertexCount() == 0 || mesh.indexCount() == 0) continue;
        if (!Reserve(templ, ShadowVB, mesh.vertexCount(), ShadowIB, mesh.indexCount())) continue;
        Batch& b = batches_.back();
        const bool identity = IsIdentity(e.world);
        const D3DXMATRIX world(e.world);
        auto* out = mapped_[ShadowVB] + static_cast<std::size_t>(used_[ShadowVB]) * sizeof(ShadowVertex);
        for (std::uint32_t i = 0; i < mesh.vertexCount(); ++i) {
            const MeshVertex v = mesh.Vertex(i);
            D3DXVECTOR3 p(v.x, v.y, v.z);
            if (!identity) {
                D3DXVECTOR3 t;
                D3DXVec3TransformCoord(&t, &p, &world);
                p = t;
            }
            const float lift = p.y - e.groundHeight;
            const ShadowVertex s{p.x - lift * e.shadowSlopeX, e.groundHeight,
                                 p.z - lift * e.shadowSlopeZ, v.u, v.v};
            std::memcpy(out + static_cast<std::size_t>(i) * sizeof s, &s, sizeof s);
        }
        const std::uint32_t offset = used_[ShadowVB];
        for (std::uint32_t i = 0; i < mesh.indexCount(); ++i) {
            PutIndex(mapped_[ShadowIB], used_[ShadowIB] + i, mesh.Index(i) + offset);
        }
        used_[ShadowVB] += mesh.vertexCount();
        used_[ShadowIB] += mesh.indexCount();
        b.vertexCount += mesh.vertexCount();
        b.indexCount += mesh.indexCount();
    }
    CloseBatch();
    shadowsDone_ = true;
}

// --- drawing --------------------------------------------------------------------

void RenderQueue::ForgetStates() {
    std::fill(std::begin(renderKnown_), std::end(renderKnown_), false);
    std::fill(&stageKnown_[0][0], &stageKnown_[0][0] + 2 * 32, false);
    underTexture_ = nullptr;
    stageOneOn_ = false;
    textureKnown_ = false;
    boundTexture_ = nullptr;
    materialKnown_ = false;
    lastKind_ = -1;
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

// Stage 1 is on only for two-stage sprites: it takes the under texture
// through the second coordinate set and lays stage 0 over it by stage 0's
// alpha. Its filters follow the ones the program gives stage 0.
void RenderQueue::SetUnderStage(const Batch& b) {
    gfx::Device* device = context_->device;
    if (b.kind != kKindTwoStage) {
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

void RenderQueue::DrawBatch(const Batch& b) {
    gfx::Device* device = context_->device;
    if (b.vertexCount == 0) return;
    if (FAILED(device->BeginScene())) return;

    // Depth: tested and written, or neither. World quads are tested but
    // not written.
    SetState(D3DRS_ZENABLE, b.noDepth ? kOff : kOn);
    SetState(D3DRS_ZWRITEENABLE, (b.noDepth || b.worldQuads) ? kOff : kOn);
    SetState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);

    // A two-stage sprite does its blending in the stages.
    const bool blend = b.alphaBlend && b.kind != kKindTwoStage;
    SetState(D3DRS_ALPHABLENDENABLE, blend ? kOn : kOff);
    if (blend) {
        SetState(D3DRS_SRCBLEND, b.srcBlend);
        SetState(D3DRS_DESTBLEND, b.destBlend);
    }

    const bool mesh = b.kind == kKindMesh;
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
    if (!materialKnown_ || std::memcmp(&material_, &b.material, sizeof material_) != 0) {
        device->SetMaterial(&b.material);
        material_ = b.material;
        materialKnown_ = true;
    }

    const bool sameKind = lastKind_ == static_cast<int>(b.kind);
    lastKind_ = static_cast<int>(b.kind);
    auto shader = [&](DWORD fvf) {
        if (fvf_ != fvf) device->SetVertexShader(fvf);
        fvf_ = fvf;
    };
    HRESULT hr = E_FAIL;
    switch (b.kind) {
    case kKindMesh: {
        if (b.indexCount == 0) break;
        const bool ready0 = context_->lightSets[0].ready != 0;
        device->LightEnable(0, (b.lit && ready0) ? kOn : kOff);
        const bool setReady = b.lightSet < static_cast<std::uint32_t>(kLightSets) &&
                              context_->lightSets[b.lightSet].ready != 0;
        if (setReady) {
            for (DWORD i = 0; i < 5; ++i) {
                if (b.lightEnable[i]) device->LightEnable(b.lightSet * 5 + i, kOn);
            }
        }
        if (!sameKind) {
            device->SetStreamSource(0, vertexBuffers_[MeshVB], sizeof(MeshVertex));
            device->SetIndices(indexBuffers_[MeshIB], 0);
        }
        shader(gfx::kFvfMesh);
        hr = device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, b.firstVertex, b.vertexCount,
                                          b.firstIndex, b.indexCount / 3);
        if (setReady) {
            for (DWORD i = 0; i < 5; ++i) {
                if (b.lightEnable[i]) device->LightEnable(b.lightSet * 5 + i, kOff);
            }
        }
        break;
    }
    case kKindSprite:
        if (!sameKind) {
            device->SetStreamSource(0, vertexBuffers_[SpriteVB], sizeof(ScreenVertex));
            device->SetIndices(nullptr, 0);
        }
        shader(gfx::kFvfScreen);
        hr = device->DrawPrimitive(D3DPT_TRIANGLELIST, b.firstVertex, b.vertexCount / 3);
        break;
    case kKindTwoStage:
        if (!sameKind) {
            device->SetStreamSource(0, vertexBuffers_[TwoStageVB], sizeof(ScreenVertex2));
            device->SetIndices(nullptr, 0);
        }
        shader(gfx::kFvfScreen2);
        hr = device->DrawPrimitive(D3DPT_TRIANGLELIST, b.firstVertex, b.vertexCount / 3);
        break;
    case kKindQuad:
    case kKindShadow: {
        if (b.indexCount == 0) break;
        const bool quad = b.kind == kKindQuad;
        if (!sameKind) {
            device->SetStreamSource(0, vertexBuffers_[quad ? QuadVB : ShadowVB],
                                    quad ? sizeof(WorldVertex) : sizeof(ShadowVertex));
            device->SetIndices(indexBuffers_[quad ? QuadIB : ShadowIB], 0);
        }
        shader(quad ? gfx::kFvfWorld : gfx::kFvfShadow);
        hr = device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, b.firstVertex, b.vertexCount,
                                          b.firstIndex, b.indexCount / 3);
        break;
    }
    }
    if (SUCCEEDED(hr)) ++lastBatchCount;
    device->EndScene();
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
    BeginPass(kNone, 0, kNone, 0);

    const std::size_t n = order_.size();
    std::size_t k = 0;
    while (k < n) {
        const DrawEntry& first = entries_[order_[k]].entry;
        std::size_t end = k + 1;
        while (end < n && Compatible(entries_[order_[end - 1]].entry, entries_[order_[end]].entry)) ++end;

        Batch templ{};
        templ.kind = KindOf(first);
        templ.alphaBlend = first.alphaBlend;
        templ.srcBlend = first.srcBlend;
        templ.destBlend = first.destBlend;
        templ.noDepth = first.noDepth;
        templ.worldQuads = first.worldQuads;
        templ.texture = first.texture ? first.texture : asset::NoTexture;
        templ.underTexture = first.underTexture ? first.underTexture : asset::NoTexture;
        templ.material = templ.kind == kKindMesh ? first.material : defaultMaterial_;
        templ.lit = first.lit;
        templ.lightSet = first.lightSet;
        std::memcpy(templ.lightEnable, first.lightEnable, sizeof templ.lightEnable);

        cursor_ = k;
        switch (templ.kind) {
        case kKindMesh: BuildMeshRun(k, end, templ); break;
        case kKindSprite:
        case kKindTwoStage: BuildSpriteRun(k, end, templ); break;
        case kKindQuad: BuildQuadRun(k, end, templ); break;
        }
        k = end;
        cursor_ = k;
        if (!shadowsDone_ && k < n && entries_[order_[k]].entry.alphaBlend) BuildShadows();
    }
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
                       float sortKey, std::uint32_t srcBlend, std::uint32_t destBlend, bool noDepth,
                       bool alphaBlend) {
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

void SubmitSprite(GameContext* ctx, const char* texture, const ScreenVertex* vertices,
                  std::uint32_t triangles, float sortKey, std::uint32_t srcBlend,
                  std::uint32_t destBlend, bool noDepth, bool alphaBlend) {
    if (!ctx->renderQueue || triangles == 0) return;
    ctx->renderQueue->Submit(
        ScreenEntry(ctx, texture, vertices, triangles, sortKey, srcBlend, destBlend, noDepth, alphaBlend));
}

void SubmitTwoStage(GameContext* ctx, const char* texture, const char* underTexture,
                    const ScreenVertex2* vertices, std::uint32_t triangles, float sortKey) {
    if (!ctx->renderQueue || triangles == 0) return;
    DrawEntry& e = ScreenEntry(ctx, texture, vertices, triangles, sortKey, D3DBLEND_SRCALPHA,
                               D3DBLEND_INVSRCALPHA, true, true);
    e.twoStage = 1;
    e.underTexture = underTexture;
    ctx->renderQueue->Submit(e);
}

}  // namespace dw
