// The X file loader's mesh building: the parsed meshes joined into one,
// polygons cut into triangles, normals made or split per corner.
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "d3dx/d3dx_xfile_parts.h"

namespace d3dx::xfile {

namespace {

D3DXMATRIX WorldOf(const std::vector<Frame>& frames, int frame) {
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    // Parents always come before their children, so this walk ends.
    for (int f = frame; f >= 0; f = frames[static_cast<size_t>(f)].parent)
        D3DXMatrixMultiply(&world, &world, &frames[static_cast<size_t>(f)].local);
    return world;
}

// Without normals in the file every vertex gets the area-weighted mean of
// the faces around it.
void SmoothNormals(const RawMesh& m, size_t base, Built& out) {
    std::vector<D3DXVECTOR3> smooth(m.positions.size(), D3DXVECTOR3());
    size_t corner = 0;
    for (DWORD n : m.faceSizes) {
        for (DWORD j = 1; j + 1 < n; ++j) {
            const DWORD a = m.faceIndices[corner], b = m.faceIndices[corner + j], c = m.faceIndices[corner + j + 1];
            const D3DXVECTOR3 e1 = out.vertices[base + b].position - out.vertices[base + a].position;
            const D3DXVECTOR3 e2 = out.vertices[base + c].position - out.vertices[base + a].position;
            D3DXVECTOR3 fn;
            D3DXVec3Cross(&fn, &e1, &e2);
            for (DWORD k = 0; k < n; ++k) smooth[m.faceIndices[corner + k]] += fn;
        }
        corner += n;
    }
    for (size_t i = 0; i < smooth.size(); ++i) D3DXVec3Normalize(&out.vertices[base + i].normal, &smooth[i]);
}

// The vertex of each face corner. A corner is (position, normal); the first
// normal seen at a position keeps the original slot, others get new
// vertices.
class CornerSlots {
public:
    CornerSlots(const RawMesh& m, size_t base, const D3DXMATRIX& normalMatrix, Built& out)
        : m_(m), base_(base), out_(out), firstNormal_(m.positions.size(), D3DX_NO_NEIGHBOR),
          normals_(m.normals.size()) {
        for (size_t i = 0; i < normals_.size(); ++i) {
            D3DXVec3TransformNormal(&normals_[i], &m.normals[i], &normalMatrix);
            D3DXVec3Normalize(&normals_[i], &normals_[i]);
        }
    }

    // D3DX_NO_NEIGHBOR when the mesh has no room for another vertex.
    DWORD Slot(DWORD corner) {
        const DWORD p = m_.faceIndices[corner];
        if (!m_.hasNormals) return static_cast<DWORD>(base_ + p);
        const DWORD n = m_.normalIndices[corner];
        if (firstNormal_[p] == D3DX_NO_NEIGHBOR) {
            firstNormal_[p] = n;
            out_.vertices[base_ + p].normal = normals_[n];
        }
        if (firstNormal_[p] == n) return static_cast<DWORD>(base_ + p);
        const uint64_t key = (uint64_t(p) << 32) | n;
        const auto it = extra_.find(key);
        if (it != extra_.end()) return it->second;
        if (out_.vertices.size() >= d3dx::kMaxMeshVertices) return D3DX_NO_NEIGHBOR;
        MeshVertex v = out_.vertices[base_ + p];
        v.normal = normals_[n];
        const DWORD slot = static_cast<DWORD>(out_.vertices.size());
        out_.vertices.push_back(v);
        extra_.emplace(key, slot);
        return slot;
    }

private:
    const RawMesh& m_;
    size_t base_;
    Built& out_;
    std::vector<DWORD> firstNormal_;
    std::vector<D3DXVECTOR3> normals_;
    std::unordered_map<uint64_t, DWORD> extra_;
};

// The attribute of the mesh's first material: its own materials appended,
// or the one white default shared by every mesh without materials when
// another mesh has some.
DWORD MaterialBase(const RawMesh& m, bool anyMaterials, DWORD& defaultMaterial, Built& out) {
    const auto base = static_cast<DWORD>(out.materials.size());
    if (m.hasMaterials) {
        out.materials.insert(out.materials.end(), m.materials.begin(), m.materials.end());
        return base;
    }
    if (!anyMaterials) return base;
    if (defaultMaterial == D3DX_NO_NEIGHBOR) {
        defaultMaterial = base;
        Material def;
        def.mat.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
        out.materials.push_back(def);
    }
    return defaultMaterial;
}

// Every face as a fan of triangles.
bool AddFaces(const RawMesh& m, DWORD materialBase, DWORD plainAttribute, CornerSlots& slots, Built& out) {
    size_t corner = 0;
    for (size_t f = 0; f < m.faceSizes.size(); ++f) {
        const DWORD n = m.faceSizes[f];
        const DWORD attribute = m.hasMaterials ? materialBase + m.faceMaterials[f] : plainAttribute;
        const DWORD first = slots.Slot(static_cast<DWORD>(corner));
        DWORD prev = slots.Slot(static_cast<DWORD>(corner + 1));
        for (DWORD j = 2; j < n; ++j) {
            const DWORD next = slots.Slot(static_cast<DWORD>(corner + j));
            if (first == D3DX_NO_NEIGHBOR || prev == D3DX_NO_NEIGHBOR || next == D3DX_NO_NEIGHBOR) return false;
            if (out.attributes.size() >= d3dx::kMaxMeshFaces) return false;
            out.indices.insert(out.indices.end(), {first, prev, next});
            out.attributes.push_back(attribute);
            prev = next;
        }
        corner += n;
    }
    return true;
}

bool AddMesh(const std::vector<Frame>& frames, const RawMesh& m, bool anyMaterials, DWORD& defaultMaterial,
             Built& out) {
    const D3DXMATRIX world = WorldOf(frames, m.frame);
    // Normals go through the inverse transpose so that scaling frames keep
    // them perpendicular to their surfaces.
    D3DXMATRIX normalMatrix = world;
    D3DXMATRIX inverse;
    if (D3DXMatrixInverse(&inverse, nullptr, &world)) D3DXMatrixTranspose(&normalMatrix, &inverse);

    const size_t base = out.vertices.size();
    if (base + m.positions.size() > d3dx::kMaxMeshVertices) return false;
    for (const D3DXVECTOR3& p : m.positions) {
        MeshVertex v{};
        D3DXVec3TransformCoord(&v.position, &p, &world);
        out.vertices.push_back(v);
    }
    for (size_t i = 0; i < m.positions.size() && m.hasUVs; ++i) {
        out.vertices[base + i].u = m.uvs[i].u;
        out.vertices[base + i].v = m.uvs[i].v;
    }
    if (!m.hasNormals) SmoothNormals(m, base, out);
    CornerSlots slots(m, base, normalMatrix, out);
    const DWORD materialBase = MaterialBase(m, anyMaterials, defaultMaterial, out);
    return AddFaces(m, materialBase, anyMaterials ? defaultMaterial : 0, slots, out);
}

}  // namespace

bool BuildMesh(const std::vector<Frame>& frames, const std::vector<RawMesh>& meshes, Built& out) {
    bool anyMaterials = false;
    for (const RawMesh& m : meshes) anyMaterials |= m.hasMaterials;
    DWORD defaultMaterial = D3DX_NO_NEIGHBOR;
    for (const RawMesh& m : meshes) {
        if (!AddMesh(frames, m, anyMaterials, defaultMaterial, out)) return false;
    }
    return !out.indices.empty();
}

}  // namespace d3dx::xfile
