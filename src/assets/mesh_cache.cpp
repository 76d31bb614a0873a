#include "assets/mesh_cache.h"

#include <cstring>
#include <vector>

#include "core/game_context.h"
#include "core/log.h"
#include "d3dx/d3dx_math.h"
#include "d3dx/d3dx_mesh.h"
#include "d3dx/d3dx_xfile.h"
#include "assets/resource_read.h"

namespace dw {

MeshCache::~MeshCache() { ReleaseAll(); }

void MeshCache::Append(ID3DXMesh* mesh, const char* key, ID3DXMesh** parts, std::uint32_t partCount,
                       ID3DXBuffer* adjacency) {
    meshes_.Add(key, Entry{mesh, parts, partCount, adjacency});
}

void MeshCache::ReleaseAll() {
    meshes_.Clear([](const Entry& e) {
        if (e.mesh) e.mesh->Release();
        for (std::uint32_t i = 0; i < e.partCount; ++i)
            if (e.parts && e.parts[i]) e.parts[i]->Release();
        delete[] e.parts;
        if (e.adjacency) e.adjacency->Release();
    });
}

CD3DFile_Mesh::CD3DFile_Mesh(GameContext* ctx) : context(ctx) {
    std::memset(name, 0, sizeof name);
    std::strcpy(name, "CD3DFile_Mesh");
}

namespace {
void LogLine(GameContext* ctx, const char* text) {
    if (ctx->log) ctx->log->WriteLine(text);
}
}  // namespace

HRESULT CD3DFile_Mesh::LoadMesh(gfx::Device* device, const char* libraryFileName, const char* meshName) {
    key = meshName;
    if (!context->meshCache || !context->preparedMeshCache) return E_FAIL;
    if (MeshCache::Entry* e = context->meshCache->Find(key)) {
        rawMesh = e->mesh;
        adjacency = e->adjacency;
    } else {
        ID3DXMesh* mesh = nullptr;
        ID3DXBuffer* adj = nullptr;
        ID3DXBuffer* materials = nullptr;
        DWORD materialCount = 0;
        HRESULT loadResult = S_OK;
        const ReadStep step =
            ReadResource(*context, libraryFileName, meshName, [&](const std::uint8_t* bytes, std::uint32_t size) {
                if (adjacency) {
                    // The old buffer belongs to the cache entry of the old key.
                    adjacency = nullptr;
                }
                loadResult = D3DXLoadMeshFromXInMemory(bytes, size, D3DXMESH_MANAGED, device, &adj, &materials,
                                                       &materialCount, &mesh);
                return true;
            });
        switch (step) {
            case ReadStep::NoLibrary: LogLine(context, "FAIL: Can not find library for MESH!"); return E_FAIL;
            case ReadStep::NotFound: LogLine(context, "FAIL: Can not find resource for MESH!"); return E_FAIL;
            case ReadStep::ZeroSize: LogLine(context, "FAIL: Can not define size resource for MESH!"); return E_FAIL;
            case ReadStep::NotLoaded: LogLine(context, "FAIL: Can not load resource for MESH!"); return E_FAIL;
            case ReadStep::NotLocked: LogLine(context, "FAIL: Can not lock resource for MESH!"); return E_FAIL;
            case ReadStep::Again: return E_FAIL;  // said the first time
            default: break;
        }
        if (materials) materials->Release();
        if (FAILED(loadResult) || !mesh) {
            if (adj) adj->Release();
            LogLine(context, "FAIL: Can not load MESH!");
            return E_FAIL;
        }
        rawMesh = mesh;
        adjacency = adj;
        context->meshCache->Append(mesh, key, nullptr, 0, adj);
    }
    return UsePreparedMesh(device);
}

HRESULT CD3DFile_Mesh::UsePreparedMesh(gfx::Device* device) {
    if (MeshCache::Entry* p = context->preparedMeshCache->Find(key)) {
        preparedMesh = p->mesh;
        parts = p->parts;
        partCount = p->partCount;
    } else {
        if (FAILED(PrepareMesh(device))) return E_FAIL;
        context->preparedMeshCache->Append(preparedMesh, key, parts, partCount, nullptr);
    }
    vertexStride = D3DXGetFVFVertexSize(preparedMesh->GetFVF());
    return S_OK;
}

HRESULT CD3DFile_Mesh::PrepareMesh(gfx::Device* device) {
    // The previous prepared mesh belongs to the prepared cache; forget it.
    preparedMesh = nullptr;
    parts = nullptr;
    partCount = 0;
    if (!rawMesh) return E_FAIL;
    if (!adjacency) {
        return SUCCEEDED(rawMesh->CloneMeshFVF(0, rawMesh->GetFVF(), device, &preparedMesh)) && preparedMesh ? S_OK
                                                                                                             : E_FAIL;
    }
    std::vector<std::uint32_t> adjacencyOut(static_cast<std::size_t>(rawMesh->GetNumFaces()) * 3);
    const auto* adjacencyIn = static_cast<const DWORD*>(adjacency->GetBufferPointer());
    if (FAILED(rawMesh->Optimize(D3DXMESHOPT_ATTRSORT, adjacencyIn, adjacencyOut.data(), nullptr, nullptr,
                                 &preparedMesh)) ||
        !preparedMesh) {
        preparedMesh = nullptr;
        return SUCCEEDED(rawMesh->CloneMeshFVF(0, rawMesh->GetFVF(), device, &preparedMesh)) && preparedMesh ? S_OK
                                                                                                             : E_FAIL;
    }
    SplitIntoParts(adjacencyOut.data());
    return S_OK;
}

namespace {

// The locked geometry of a prepared mesh.
struct MeshBytes {
    const BYTE* vertices;
    const BYTE* indices;
    const DWORD* attributes;
    const std::uint32_t* adjacency;
};

// A mesh of one attribute range of `mesh`: its vertices, its faces (indices
// moved to the part's own vertices), attributes and the adjacency within the
// range, attribute-sorted. Null when it cannot be made.
ID3DXMesh* MakePart(ID3DXMesh* mesh, const MeshBytes& source, const D3DXATTRIBUTERANGE& range) {
    const bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
    const DWORD stride = mesh->GetNumBytesPerVertex();
    ID3DXMesh* part = nullptr;
    if (FAILED(D3DXCreateMeshFVF(range.FaceCount, range.VertexCount, mesh->GetOptions(), mesh->GetFVF(), nullptr,
                                 &part)) ||
        !part) {
        return nullptr;
    }
    BYTE* pv = nullptr;
    BYTE* pi = nullptr;
    DWORD* pa = nullptr;
    const bool ok = SUCCEEDED(part->LockVertexBuffer(0, &pv));
    const bool okI = ok && SUCCEEDED(part->LockIndexBuffer(0, &pi));
    const bool okA = okI && SUCCEEDED(part->LockAttributeBuffer(0, &pa));
    if (!okA) {
        if (ok) part->UnlockVertexBuffer();
        if (okI) part->UnlockIndexBuffer();
        part->Release();
        return nullptr;
    }
    std::memcpy(pv, source.vertices + static_cast<std::size_t>(range.VertexStart) * stride,
                static_cast<std::size_t>(range.VertexCount) * stride);
    const std::size_t first = static_cast<std::size_t>(range.FaceStart) * 3;
    const std::size_t count = static_cast<std::size_t>(range.FaceCount) * 3;
    for (std::size_t k = 0; k < count; ++k) {
        if (wide) {
            const auto* src = reinterpret_cast<const std::uint32_t*>(source.indices);
            reinterpret_cast<std::uint32_t*>(pi)[k] = src[first + k] - range.VertexStart;
        } else {
            const auto* src = reinterpret_cast<const std::uint16_t*>(source.indices);
            reinterpret_cast<std::uint16_t*>(pi)[k] = static_cast<std::uint16_t>(src[first + k] - range.VertexStart);
        }
    }
    std::memcpy(pa, source.attributes + range.FaceStart, sizeof(DWORD) * range.FaceCount);
    std::vector<DWORD> partAdjacency(count);
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint32_t n = source.adjacency[first + k];
        partAdjacency[k] = (n == 0xFFFFFFFFu || n < range.FaceStart || n >= range.FaceStart + range.FaceCount)
            ? 0xFFFFFFFFu
            : n - range.FaceStart;
    }
    part->UnlockVertexBuffer();
    part->UnlockIndexBuffer();
    part->UnlockAttributeBuffer();
    part->OptimizeInplace(D3DXMESHOPT_ATTRSORT, partAdjacency.data(), nullptr, nullptr, nullptr);
    return part;
}

}  // namespace

HRESULT CD3DFile_Mesh::SplitIntoParts(const std::uint32_t* adjacencyIn) {
    parts = nullptr;
    partCount = 0;
    DWORD rangeCount = 0;
    preparedMesh->GetAttributeTable(nullptr, &rangeCount);
    std::vector<D3DXATTRIBUTERANGE> ranges(rangeCount);
    if (rangeCount) preparedMesh->GetAttributeTable(ranges.data(), &rangeCount);
    const DWORD faces = preparedMesh->GetNumFaces();

    BYTE* vertices = nullptr;
    BYTE* indices = nullptr;
    DWORD* attributes = nullptr;
    bool vLocked = false, iLocked = false, aLocked = false;
    auto unlockAll = [&]() {
        if (vLocked) preparedMesh->UnlockVertexBuffer();
        if (iLocked) preparedMesh->UnlockIndexBuffer();
        if (aLocked) preparedMesh->UnlockAttributeBuffer();
    };
    vLocked = SUCCEEDED(preparedMesh->LockVertexBuffer(D3DLOCK_READONLY, &vertices));
    iLocked = vLocked && SUCCEEDED(preparedMesh->LockIndexBuffer(D3DLOCK_READONLY, &indices));
    aLocked = iLocked && SUCCEEDED(preparedMesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes));
    if (!aLocked) {
        unlockAll();
        return E_FAIL;
    }

    auto** made = new ID3DXMesh*[rangeCount ? rangeCount : 1]();
    std::uint32_t madeCount = 0;
    bool failed = false;
    const MeshBytes source{vertices, indices, attributes, adjacencyIn};
    for (DWORD r = 0; r < rangeCount; ++r) {
        if (ranges[r].FaceStart + ranges[r].FaceCount > faces) {
            failed = true;
            break;
        }
        ID3DXMesh* part = MakePart(preparedMesh, source, ranges[r]);
        if (!part) {
            failed = true;
            break;
        }
        made[madeCount++] = part;
    }
    unlockAll();
    if (failed) {
        for (std::uint32_t i = 0; i < madeCount; ++i) made[i]->Release();
        delete[] made;
        return E_FAIL;
    }
    parts = made;
    partCount = madeCount;
    return S_OK;
}

HRESULT CD3DFile_Mesh::RestoreMesh(gfx::Device* device) {
    if (!rawMesh) return E_FAIL;
    if (!context->preparedMeshCache) return E_FAIL;
    return UsePreparedMesh(device);
}

void CD3DFile_Mesh::InvalidateMesh() {
    preparedMesh = nullptr;
    parts = nullptr;
    partCount = 0;
}

void CD3DFile_Mesh::DestroyMesh() {
    InvalidateMesh();
    rawMesh = nullptr;
    adjacency = nullptr;
}

}  // namespace dw
