#pragma once
// What an X file holds once parsed, and the one mesh it becomes: shared by
// the X file loader's parser (d3dx_xfile.cpp) and its mesh building
// (d3dx_xfile_build.cpp) alone.
#include <string>
#include <vector>

#include "d3dx/d3dx_math.h"
#include "d3dx/d3dx_mesh.h"

namespace d3dx::xfile {

// What the file holds, before it becomes one mesh.

struct Float2 {
    float u, v;
};

struct Frame {
    int parent = -1;
    D3DXMATRIX local;
};

struct Material {
    D3DMATERIAL8 mat{};
    std::string texture;
    bool hasTexture = false;
};

struct RawMesh {
    int frame = -1;
    std::vector<D3DXVECTOR3> positions;
    std::vector<DWORD> faceSizes;    // corners of each polygon
    std::vector<DWORD> faceIndices;  // all corners, polygon after polygon
    std::vector<D3DXVECTOR3> normals;
    std::vector<DWORD> normalIndices;  // parallel to faceIndices
    bool hasNormals = false;
    std::vector<Float2> uvs;
    bool hasUVs = false;
    std::vector<DWORD> faceMaterials;  // one per polygon
    std::vector<Material> materials;
    bool hasMaterials = false;
};

struct MeshVertex {
    D3DXVECTOR3 position;
    D3DXVECTOR3 normal;
    float u, v;
};
static_assert(sizeof(MeshVertex) == 32);

// The mesh of every mesh of the file, each in its frame's world.
struct Built {
    std::vector<MeshVertex> vertices;
    std::vector<DWORD> indices;
    std::vector<DWORD> attributes;
    std::vector<Material> materials;
};

// Joins the meshes into one in the world of their frames; false when the
// result would hold no face or too many.
bool BuildMesh(const std::vector<Frame>& frames, const std::vector<RawMesh>& meshes, Built& out);

}  // namespace d3dx::xfile
