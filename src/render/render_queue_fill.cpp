// The Render queue's buffers: passes, batches, and the geometry of each run.
#include <algorithm>
#include <cstring>

#include "core/game_context.h"
#include "d3dx/d3dx_math.h"
#include "assets/asset_names.h"
#include "render/render_queue.h"
#include "render/render_queue_parts.h"

namespace dw {

namespace {

bool IsIdentity(const D3DMATRIX& m) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (m.m[r][c] != (r == c ? 1.0f : 0.0f)) return false;
        }
    }
    return true;
}

// The four corners of a quad as two triangles.
constexpr std::uint32_t kQuadPattern[6] = {0, 1, 2, 2, 1, 3};

}  // namespace

// --- geometry counts and passes ---------------------------------------------

void RenderQueue::CountEntry(const DrawEntry& e, std::uint64_t* need) const {
    switch (KindOf(e)) {
        case BatchKind::Mesh:
            if (e.mesh) {
                need[MeshVB] += e.mesh->GetNumVertices();
                need[MeshIB] += 3ull * e.mesh->GetNumFaces();
            }
            break;
        case BatchKind::Sprite:
            if (e.vertices) need[SpriteVB] += 3ull * e.primitiveCount;
            break;
        case BatchKind::TwoStage:
            if (e.vertices) need[TwoStageVB] += 3ull * e.primitiveCount;
            break;
        case BatchKind::Quad:
            if (e.vertices) {
                need[QuadVB] += 2ull * (e.primitiveCount & ~1u);
                need[QuadIB] += 3ull * (e.primitiveCount & ~1u);
            }
            break;
        case BatchKind::Shadow: break;
    }
}

void RenderQueue::CountShadows(std::uint64_t* need) const {
    for (const Node& n : entries_) {
        const DrawEntry& e = n.entry;
        if (e.shadowKind == ShadowKind::OneQuad) {
            need[ShadowVB] += 4;
            need[ShadowIB] += 6;
        } else if (e.shadowKind == ShadowKind::QuadPerPosition && e.shadowPositions) {
            need[ShadowVB] += 4ull * e.shadowCount;
            need[ShadowIB] += 6ull * e.shadowCount;
        } else if (e.shadowKind == ShadowKind::FlattenedMesh && IsMesh(e) && e.mesh) {
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
    if (vb != kNoBuffer) need[vb] = std::max<std::uint64_t>(need[vb], vertices);
    if (ib != kNoBuffer) need[ib] = std::max<std::uint64_t>(need[ib], indices);

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
    if (vb != kNoBuffer &&
        (mapped_[vb] == nullptr || used_[vb] + static_cast<std::uint64_t>(vertices) > lockedCap_[vb])) {
        return false;
    }
    if (ib != kNoBuffer && indices > 0 &&
        (mapped_[ib] == nullptr || used_[ib] + static_cast<std::uint64_t>(indices) > lockedCap_[ib])) {
        return false;
    }
    return true;
}

RenderQueue::Batch& RenderQueue::OpenBatch(const Batch& templ) {
    Batch& b = batches_.emplace_back(templ);
    Buffer vb = ShadowVB, ib = kNoBuffer;
    switch (templ.kind) {
        case BatchKind::Mesh: vb = MeshVB, ib = MeshIB; break;
        case BatchKind::Sprite: vb = SpriteVB; break;
        case BatchKind::TwoStage: vb = TwoStageVB; break;
        case BatchKind::Quad: vb = QuadVB, ib = QuadIB; break;
        case BatchKind::Shadow: vb = ShadowVB, ib = ShadowIB; break;
    }
    b.firstVertex = used_[vb];
    b.vertexCount = 0;
    b.firstIndex = ib != kNoBuffer ? used_[ib] : 0;
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
bool RenderQueue::Reserve(const Batch& templ, Buffer vb, std::uint32_t vertices, Buffer ib, std::uint32_t indices) {
    if (vertices > kCapacity[vb] || (ib != kNoBuffer && indices > kCapacity[ib])) return false;
    if (Fits(vb, vertices, ib, indices)) return true;
    CloseBatch();
    EndPass();
    BeginPass(vb, vertices, ib, indices);
    OpenBatch(templ);
    return Fits(vb, vertices, ib, indices);
}

// --- building ------------------------------------------------------------------

template <typename Vertex, typename MakeVertex>
void RenderQueue::CopyMesh(const MeshView& mesh, Buffer vb, Buffer ib, MakeVertex vertex) {
    std::uint8_t* out = mapped_[vb] + static_cast<std::size_t>(used_[vb]) * sizeof(Vertex);
    for (std::uint32_t i = 0; i < mesh.vertexCount(); ++i) {
        const Vertex v = vertex(mesh.Vertex(i));
        std::memcpy(out + static_cast<std::size_t>(i) * sizeof v, &v, sizeof v);
    }
    const std::uint32_t offset = used_[vb];
    for (std::uint32_t i = 0; i < mesh.indexCount(); ++i) {
        PutIndex(mapped_[ib], used_[ib] + i, mesh.Index(i) + offset);
    }
    used_[vb] += mesh.vertexCount();
    used_[ib] += mesh.indexCount();
    Batch& b = batches_.back();
    b.vertexCount += mesh.vertexCount();
    b.indexCount += mesh.indexCount();
}

void RenderQueue::BuildMeshRun(std::size_t begin, std::size_t end, const Batch& templ) {
    OpenBatch(templ);
    for (std::size_t k = begin; k < end; ++k) {
        cursor_ = k;
        const DrawEntry& e = entries_[order_[k]].entry;
        MeshView mesh(e.mesh);
        if (!mesh.usable()) continue;
        // A single mesh larger than the buffers cannot be drawn from them.
        if (!Reserve(templ, MeshVB, mesh.vertexCount(), MeshIB, mesh.indexCount())) continue;
        const bool identity = IsIdentity(e.world);
        const D3DXMATRIX world(e.world);
        CopyMesh<MeshVertex>(mesh, MeshVB, MeshIB, [&](MeshVertex v) {
            if (identity) return v;
            D3DXVECTOR3 p(v.x, v.y, v.z), n(v.nx, v.ny, v.nz), tp, tn;
            D3DXVec3TransformCoord(&tp, &p, &world);
            D3DXVec3TransformNormal(&tn, &n, &world);
            v.x = tp.x, v.y = tp.y, v.z = tp.z;
            v.nx = tn.x, v.ny = tn.y, v.nz = tn.z;
            return v;
        });
    }
    CloseBatch();
}

void RenderQueue::BuildSpriteRun(std::size_t begin, std::size_t end, const Batch& templ) {
    const bool two = templ.kind == BatchKind::TwoStage;
    const Buffer vb = two ? TwoStageVB : SpriteVB;
    const std::size_t size = kElementSize[vb];
    const std::uint32_t most = kCapacity[vb] / 3;
    auto room = [&] { return mapped_[vb] ? (lockedCap_[vb] - used_[vb]) / 3 : 0; };
    OpenBatch(templ);
    for (std::size_t k = begin; k < end; ++k) {
        cursor_ = k;
        const DrawEntry& e = entries_[order_[k]].entry;
        if (e.vertices == nullptr) continue;
        const auto* src = static_cast<const std::uint8_t*>(e.vertices);
        std::uint32_t left = e.primitiveCount;
        while (left > 0) {
            // Take whole triangles; a long entry spreads over passes.
            if (room() == 0) {
                Reserve(templ, vb, std::min(left, most) * 3, kNoBuffer, 0);
                if (room() == 0) return CloseBatch();  // the buffer would not lock
            }
            const std::uint32_t take = std::min(left, room());
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
            const float dx = quad.position[0] - eye.x, dy = quad.position[1] - eye.y, dz = quad.position[2] - eye.z;
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
        for (int i = 0; i < 6; ++i) PutIndex(mapped_[QuadIB], used_[QuadIB] + i, v + kQuadPattern[i]);
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
    std::memcpy(mapped_[ShadowVB] + static_cast<std::size_t>(v) * sizeof(ShadowVertex), corners, sizeof corners);
    for (int i = 0; i < 6; ++i) PutIndex(mapped_[ShadowIB], used_[ShadowIB] + i, v + kQuadPattern[i]);
    used_[ShadowVB] += 4;
    used_[ShadowIB] += 6;
    b.vertexCount += 4;
    b.indexCount += 6;
}

void RenderQueue::BuildShadows() {
    Batch templ{};
    templ.kind = BatchKind::Shadow;
    templ.alphaBlend = 1;
    templ.srcBlend = kBlendSource;
    templ.destBlend = kBlendOver;
    templ.material.Diffuse = {0.2f, 0.2f, 0.2f, 0.25f};
    templ.material.Ambient = {0.2f, 0.2f, 0.2f, 0.25f};

    templ.texture = asset::ShadowMap;
    OpenBatch(templ);
    for (const Node& n : entries_) {
        const DrawEntry& e = n.entry;
        if (e.shadowKind == ShadowKind::OneQuad) {
            AppendShadowQuad(templ, e, e.shadowPosition[0], e.shadowPosition[2]);
        }
    }
    CloseBatch();

    OpenBatch(templ);
    for (const Node& n : entries_) {
        const DrawEntry& e = n.entry;
        if (e.shadowKind != ShadowKind::QuadPerPosition || e.shadowPositions == nullptr) continue;
        for (std::uint32_t i = 0; i < e.shadowCount; ++i) {
            AppendShadowQuad(templ, e, e.shadowPositions[i][0], e.shadowPositions[i][2]);
        }
    }
    CloseBatch();

    templ.texture = asset::NoTexture;
    OpenBatch(templ);
    for (const Node& n : entries_) {
        const DrawEntry& e = n.entry;
        if (e.shadowKind != ShadowKind::FlattenedMesh || !IsMesh(e)) continue;
        MeshView mesh(e.mesh);
        if (!mesh.usable()) continue;
        if (!Reserve(templ, ShadowVB, mesh.vertexCount(), ShadowIB, mesh.indexCount())) continue;
        const bool identity = IsIdentity(e.world);
        const D3DXMATRIX world(e.world);
        // Each vertex goes down to the ground along the light's slope.
        CopyMesh<ShadowVertex>(mesh, ShadowVB, ShadowIB, [&](const MeshVertex& v) {
            D3DXVECTOR3 p(v.x, v.y, v.z);
            if (!identity) {
                D3DXVECTOR3 t;
                D3DXVec3TransformCoord(&t, &p, &world);
                p = t;
            }
            const float lift = p.y - e.groundHeight;
            return ShadowVertex{p.x - lift * e.shadowSlopeX, e.groundHeight, p.z - lift * e.shadowSlopeZ, v.u, v.v};
        });
    }
    CloseBatch();
    shadowsDone_ = true;
}

}  // namespace dw
