#pragma once
// What the Render queue's sorting, filling and drawing share: the buffer
// table, the kind of an entry, and a read-only view of a mesh's geometry.
#include <cstdint>
#include <cstring>

#include "core/draw_entry.h"
#include "d3dx/d3dx_mesh.h"
#include "gfx/device.h"
#include "render/render_queue.h"

namespace dw {

inline constexpr std::uint32_t kElementSize[RenderQueue::BufferCount] = {32, 2, 28, 24, 2, 20, 2, 36};
inline constexpr std::uint32_t kCapacity[RenderQueue::BufferCount] = {
    RenderQueue::kMeshVertices,  RenderQueue::kMeshIndices,     RenderQueue::kSpriteVertices,
    RenderQueue::kQuadVertices,  RenderQueue::kQuadIndices,     RenderQueue::kShadowVertices,
    RenderQueue::kShadowIndices, RenderQueue::kTwoStageVertices};
inline constexpr bool kIsIndexBuffer[RenderQueue::BufferCount] = {false, true, false, false, true, false, true, false};
inline constexpr RenderQueue::Buffer kNoBuffer = RenderQueue::BufferCount;
inline constexpr DWORD kOn = 1, kOff = 0;

using BatchKind = RenderQueue::BatchKind;

inline bool IsMesh(const DrawEntry& e) { return !e.screenSpace && !e.worldQuads; }

inline BatchKind KindOf(const DrawEntry& e) {
    if (e.screenSpace) return e.twoStage ? BatchKind::TwoStage : BatchKind::Sprite;
    if (e.worldQuads) return BatchKind::Quad;
    return BatchKind::Mesh;
}

// Texture names compare by their text; no name is the empty name.
inline int CompareNames(const char* a, const char* b) {
    if (a == b) return 0;
    return std::strcmp(a ? a : "", b ? b : "");
}

// Reads a mesh's geometry for the duration of a scope; empty when the mesh
// is not in the queue's vertex format or will not lock.
class MeshView {
public:
    explicit MeshView(ID3DXMesh* mesh);
    ~MeshView();
    MeshView(const MeshView&) = delete;
    MeshView& operator=(const MeshView&) = delete;

    // Locked, every index within the vertices, and something to draw.
    bool usable() const { return valid_ && vertexCount_ != 0 && indexCount_ != 0; }
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

inline void PutIndex(std::uint8_t* base, std::uint32_t at, std::uint32_t value) {
    const auto v = static_cast<std::uint16_t>(value);
    std::memcpy(base + 2 * static_cast<std::size_t>(at), &v, 2);
}

}  // namespace dw
