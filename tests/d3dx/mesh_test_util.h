#pragma once
// Reading a mesh back in tests.
#include <cstring>
#include <vector>

#include "d3dx/d3dx_math.h"
#include "d3dx/d3dx_mesh.h"

namespace d3dx_test {

struct MeshVertex {
    D3DXVECTOR3 position;
    D3DXVECTOR3 normal;
    float u, v;
};
static_assert(sizeof(MeshVertex) == 32);

inline std::vector<DWORD> ReadIndices(ID3DXMesh* mesh) {
    std::vector<DWORD> out(mesh->GetNumFaces() * 3);
    BYTE* p = nullptr;
    if (FAILED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &p))) return {};
    const bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
    for (size_t i = 0; i < out.size(); ++i) {
        if (wide) {
            std::memcpy(&out[i], p + 4 * i, 4);
        } else {
            uint16_t x;
            std::memcpy(&x, p + 2 * i, 2);
            out[i] = x;
        }
    }
    mesh->UnlockIndexBuffer();
    return out;
}

inline std::vector<DWORD> ReadAttributes(ID3DXMesh* mesh) {
    DWORD* p = nullptr;
    if (FAILED(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &p))) return {};
    std::vector<DWORD> out(p, p + mesh->GetNumFaces());
    mesh->UnlockAttributeBuffer();
    return out;
}

// For meshes in the 32-byte position/normal/uv format.
inline std::vector<MeshVertex> ReadVertices(ID3DXMesh* mesh) {
    BYTE* p = nullptr;
    if (mesh->GetNumBytesPerVertex() != sizeof(MeshVertex) || FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &p)))
        return {};
    std::vector<MeshVertex> out(mesh->GetNumVertices());
    std::memcpy(out.data(), p, out.size() * sizeof(MeshVertex));
    mesh->UnlockVertexBuffer();
    return out;
}

}  // namespace d3dx_test
