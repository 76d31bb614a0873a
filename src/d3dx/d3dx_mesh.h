#pragma once
// CPU-side meshes and buffers with the D3DX names and semantics. The
// renderer copies mesh geometry into its own dynamic buffers every frame,
// so a mesh is plain memory: vertices, 16- or 32-bit indices, one attribute
// id per face and an attribute table. Objects are reference counted; the
// creator holds the first reference.
#include <cstddef>
#include <functional>

#include "platform/d3d_types.h"

using BYTE = unsigned char;

// Mesh creation options (the values of D3DX 8).
constexpr DWORD D3DXMESH_32BIT = 0x001;
constexpr DWORD D3DXMESH_DONOTCLIP = 0x002;
constexpr DWORD D3DXMESH_POINTS = 0x004;
constexpr DWORD D3DXMESH_RTPATCHES = 0x008;
constexpr DWORD D3DXMESH_NPATCHES = 0x4000;
constexpr DWORD D3DXMESH_VB_SYSTEMMEM = 0x010;
constexpr DWORD D3DXMESH_VB_MANAGED = 0x020;
constexpr DWORD D3DXMESH_VB_WRITEONLY = 0x040;
constexpr DWORD D3DXMESH_VB_DYNAMIC = 0x080;
constexpr DWORD D3DXMESH_IB_SYSTEMMEM = 0x100;
constexpr DWORD D3DXMESH_IB_MANAGED = 0x200;
constexpr DWORD D3DXMESH_IB_WRITEONLY = 0x400;
constexpr DWORD D3DXMESH_IB_DYNAMIC = 0x800;
constexpr DWORD D3DXMESH_VB_SHARE = 0x1000;
constexpr DWORD D3DXMESH_USEHWONLY = 0x2000;
constexpr DWORD D3DXMESH_SYSTEMMEM = 0x110;
constexpr DWORD D3DXMESH_MANAGED = 0x220;
constexpr DWORD D3DXMESH_WRITEONLY = 0x440;
constexpr DWORD D3DXMESH_DYNAMIC = 0x880;

// Optimisation flags.
constexpr DWORD D3DXMESHOPT_COMPACT = 0x01000000;
constexpr DWORD D3DXMESHOPT_ATTRSORT = 0x02000000;
constexpr DWORD D3DXMESHOPT_VERTEXCACHE = 0x04000000;
constexpr DWORD D3DXMESHOPT_STRIPREORDER = 0x08000000;
constexpr DWORD D3DXMESHOPT_IGNOREVERTS = 0x10000000;
constexpr DWORD D3DXMESHOPT_SHAREVB = 0x00001000;

// "No neighbour" in an adjacency array (three entries per face, entry e for
// the edge from corner e to corner (e + 1) % 3).
constexpr DWORD D3DX_NO_NEIGHBOR = 0xFFFFFFFFu;

struct D3DXATTRIBUTERANGE {
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
};

struct D3DXMATERIAL {
    D3DMATERIAL8 MatD3D;
    char* pTextureFilename;  // null when the material has no texture
};

class ID3DXBuffer {
public:
    virtual ~ID3DXBuffer() = default;
    virtual DWORD AddRef() = 0;
    virtual DWORD Release() = 0;
    virtual void* GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;
};
using LPD3DXBUFFER = ID3DXBuffer*;

class ID3DXMesh {
public:
    virtual ~ID3DXMesh() = default;
    virtual DWORD AddRef() = 0;
    virtual DWORD Release() = 0;

    virtual DWORD GetNumFaces() = 0;
    virtual DWORD GetNumVertices() = 0;
    virtual DWORD GetFVF() = 0;
    virtual DWORD GetOptions() = 0;
    virtual DWORD GetNumBytesPerVertex() = 0;

    // Locks nest; each successful lock needs one unlock. A failed lock
    // leaves *data null.
    virtual HRESULT LockVertexBuffer(DWORD flags, BYTE** data) = 0;
    virtual HRESULT UnlockVertexBuffer() = 0;
    virtual HRESULT LockIndexBuffer(DWORD flags, BYTE** data) = 0;
    virtual HRESULT UnlockIndexBuffer() = 0;
    virtual HRESULT LockAttributeBuffer(DWORD flags, DWORD** data) = 0;
    virtual HRESULT UnlockAttributeBuffer() = 0;

    // With table null, *size receives the number of ranges; otherwise the
    // ranges are copied: at most *size of them, *size set to the count.
    // A mesh has a table only after an attribute sort (or SetAttributeTable).
    virtual HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) = 0;
    virtual HRESULT SetAttributeTable(const D3DXATTRIBUTERANGE* table, DWORD size) = 0;

    // Adjacency by shared positions: two faces are neighbours across an edge
    // whose end points lie within epsilon of each other's, wound oppositely.
    virtual HRESULT GenerateAdjacency(float epsilon, DWORD* adjacency) = 0;

    virtual HRESULT CloneMeshFVF(DWORD options, DWORD fvf, void* device, ID3DXMesh** cloneOut) = 0;
    // faceRemap[newFace] = old face; the vertex remap buffer holds, per new
    // vertex, the old vertex it came from. Without an input adjacency the
    // adjacency is generated from the positions.
    virtual HRESULT Optimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                             ID3DXBuffer** vertexRemap, ID3DXMesh** meshOut) = 0;
    virtual HRESULT OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                                    ID3DXBuffer** vertexRemap) = 0;
};
using LPD3DXMESH = ID3DXMesh*;

// The device argument is not used (meshes live in system memory); any
// pointer or nullptr will do.
HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, void* device,
                          ID3DXMesh** meshOut);
HRESULT D3DXCreateBuffer(DWORD numBytes, ID3DXBuffer** bufferOut);

namespace d3dx {

enum class LockTarget { Vertices, Indices, Attributes };

// Test hook: when set, every mesh lock asks it first and fails with E_FAIL
// when it returns true. Pass an empty function to remove it.
using LockFailHook = std::function<bool(const ID3DXMesh* mesh, LockTarget target)>;
void SetLockFailHook(LockFailHook hook);

namespace detail {
// While one lives, this thread's locks skip the hook (the library's own
// locks on meshes it is still building).
class HookBypass {
public:
    HookBypass();
    ~HookBypass();
    HookBypass(const HookBypass&) = delete;
    HookBypass& operator=(const HookBypass&) = delete;
};
}  // namespace detail

// Largest mesh this library creates, in vertices and faces: far above any
// game asset, low enough that hostile files cannot exhaust memory.
constexpr DWORD kMaxMeshVertices = 1u << 22;
constexpr DWORD kMaxMeshFaces = 1u << 22;

}  // namespace d3dx
