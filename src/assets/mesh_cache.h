#pragma once
// Meshes by asset name: raw meshes as read from the resource library and
// prepared (attribute-sorted, split into parts) meshes, and the mesh object
// its owners hold.
#include <cstdint>

#include "assets/asset_cache.h"
#include "platform/d3d_types.h"

class ID3DXMesh;
class ID3DXBuffer;
namespace gfx {
class Device;
}

namespace dw {

class GameContext;

// Meshes by name, raw or prepared (two caches of this kind).
class MeshCache {
public:
    struct Entry {
        ID3DXMesh* mesh;    // one reference held
        ID3DXMesh** parts;  // one reference held per part
        std::uint32_t partCount;
        ID3DXBuffer* adjacency;  // raw meshes only
    };
    MeshCache() = default;
    ~MeshCache();
    MeshCache(const MeshCache&) = delete;
    MeshCache& operator=(const MeshCache&) = delete;

    // The mesh of the name, or null when it is not cached.
    Entry* Find(const char* key) { return meshes_.Find(key); }
    void Append(ID3DXMesh* mesh, const char* key, ID3DXMesh** parts, std::uint32_t partCount, ID3DXBuffer* adjacency);
    // Releases every mesh, part and buffer and forgets every entry.
    void ReleaseAll();
    std::uint32_t Count() const { return meshes_.Count(); }

private:
    AssetCache<Entry> meshes_;
};

class CD3DFile_Mesh {
public:
    explicit CD3DFile_Mesh(GameContext* ctx);
    ~CD3DFile_Mesh() = default;
    CD3DFile_Mesh(const CD3DFile_Mesh&) = delete;
    CD3DFile_Mesh& operator=(const CD3DFile_Mesh&) = delete;

    HRESULT LoadMesh(gfx::Device* device, const char* libraryFileName, const char* meshName);
    HRESULT RestoreMesh(gfx::Device* device);
    void InvalidateMesh();
    void DestroyMesh();

    char name[513];
    ID3DXMesh* rawMesh = nullptr;       // owned by meshCache
    ID3DXMesh* preparedMesh = nullptr;  // owned by preparedMeshCache
    ID3DXMesh** parts = nullptr;        // owned by preparedMeshCache
    std::uint32_t partCount = 0;
    ID3DXBuffer* adjacency = nullptr;  // owned by meshCache
    GameContext* context;
    const char* key = nullptr;
    std::uint32_t vertexStride = 0;

private:
    // The prepared mesh of `key` from the prepared cache, else made and added.
    HRESULT UsePreparedMesh(gfx::Device* device);
    HRESULT PrepareMesh(gfx::Device* device);
    HRESULT SplitIntoParts(const std::uint32_t* adjacencyOut);
};

}  // namespace dw
