#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "d3dx/d3dx_math.h"
#include "d3dx/d3dx_mesh.h"
#include "d3dx/mesh_test_util.h"

namespace {

using d3dx_test::MeshVertex;
using d3dx_test::ReadAttributes;
using d3dx_test::ReadIndices;
using d3dx_test::ReadVertices;
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
constexpr DWORD N = D3DX_NO_NEIGHBOR;

ID3DXMesh* MakeMesh(const std::vector<D3DXVECTOR3>& positions, const std::vector<DWORD>& indices,
                    const std::vector<DWORD>& attributes, DWORD options = D3DXMESH_MANAGED) {
    ID3DXMesh* mesh = nullptr;
    EXPECT_EQ(S_OK,
              D3DXCreateMeshFVF(static_cast<DWORD>(attributes.size()), static_cast<DWORD>(positions.size()), options,
                                kFvf, nullptr, &mesh));
    if (!mesh) return nullptr;
    BYTE* vb = nullptr;
    BYTE* ib = nullptr;
    DWORD* ab = nullptr;
    EXPECT_EQ(S_OK, mesh->LockVertexBuffer(0, &vb));
    EXPECT_EQ(S_OK, mesh->LockIndexBuffer(0, &ib));
    EXPECT_EQ(S_OK, mesh->LockAttributeBuffer(0, &ab));
    for (size_t i = 0; i < positions.size(); ++i) {
        MeshVertex v{positions[i], D3DXVECTOR3(0, 0, -1), float(i), 0};
        std::memcpy(vb + i * sizeof v, &v, sizeof v);
    }
    for (size_t i = 0; i < indices.size(); ++i) {
        if (options & D3DXMESH_32BIT) {
            const uint32_t x = indices[i];
            std::memcpy(ib + 4 * i, &x, 4);
        } else {
            const uint16_t x = static_cast<uint16_t>(indices[i]);
            std::memcpy(ib + 2 * i, &x, 2);
        }
    }
    std::memcpy(ab, attributes.data(), attributes.size() * 4);
    mesh->UnlockAttributeBuffer();
    mesh->UnlockIndexBuffer();
    mesh->UnlockVertexBuffer();
    return mesh;
}

// Two rows of points, four triangles across them with attributes 1, 0, 1, 0:
//   3---4---5
//   | \ | \ |
//   0---1---2
ID3DXMesh* MakeStrip() {
    return MakeMesh({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0}},
                    {0, 3, 1, 1, 3, 4, 1, 4, 2, 2, 4, 5}, {1, 0, 1, 0});
}

TEST(D3DXMesh, CreationChecksCountsAndIndexWidth) {
    ID3DXMesh* mesh = nullptr;
    EXPECT_EQ(E_FAIL, D3DXCreateMeshFVF(0, 3, 0, kFvf, nullptr, &mesh));
    EXPECT_EQ(nullptr, mesh);
    EXPECT_EQ(E_FAIL, D3DXCreateMeshFVF(1, 0, 0, kFvf, nullptr, &mesh));
    EXPECT_EQ(E_FAIL, D3DXCreateMeshFVF(1, 70000, D3DXMESH_MANAGED, kFvf, nullptr, &mesh));
    EXPECT_EQ(E_FAIL, D3DXCreateMeshFVF(0xFFFFFFFFu, 3, D3DXMESH_32BIT, kFvf, nullptr, &mesh));

    ASSERT_EQ(S_OK, D3DXCreateMeshFVF(1, 70000, D3DXMESH_32BIT, kFvf, nullptr, &mesh));
    EXPECT_EQ(70000u, mesh->GetNumVertices());
    EXPECT_EQ(1u, mesh->GetNumFaces());
    EXPECT_EQ(32u, mesh->GetNumBytesPerVertex());
    EXPECT_EQ(kFvf, mesh->GetFVF());
    EXPECT_EQ(D3DXMESH_32BIT, mesh->GetOptions());
    DWORD count = 99;
    EXPECT_EQ(S_OK, mesh->GetAttributeTable(nullptr, &count));
    EXPECT_EQ(0u, count);  // no table before an attribute sort

    EXPECT_EQ(2u, mesh->AddRef());
    EXPECT_EQ(1u, mesh->Release());
    EXPECT_EQ(0u, mesh->Release());
}

TEST(D3DXMesh, LocksNestAndTheTestHookMakesThemFail) {
    ID3DXMesh* mesh = MakeStrip();
    ASSERT_NE(nullptr, mesh);
    BYTE* a = nullptr;
    BYTE* b = nullptr;
    EXPECT_EQ(S_OK, mesh->LockVertexBuffer(D3DLOCK_READONLY, &a));
    EXPECT_EQ(S_OK, mesh->LockVertexBuffer(D3DLOCK_READONLY, &b));
    EXPECT_EQ(a, b);
    EXPECT_EQ(S_OK, mesh->UnlockVertexBuffer());
    EXPECT_EQ(S_OK, mesh->UnlockVertexBuffer());
    EXPECT_EQ(D3DERR_INVALIDCALL, mesh->UnlockVertexBuffer());

    int asked = 0;
    d3dx::SetLockFailHook([&](const ID3DXMesh* m, d3dx::LockTarget t) {
        ++asked;
        return m == mesh && t == d3dx::LockTarget::Indices;
    });
    BYTE* ib = reinterpret_cast<BYTE*>(1);
    DWORD* ab = nullptr;
    EXPECT_EQ(E_FAIL, mesh->LockIndexBuffer(0, &ib));
    EXPECT_EQ(nullptr, ib);
    EXPECT_EQ(D3DERR_INVALIDCALL, mesh->UnlockIndexBuffer());  // the failed lock holds nothing
    EXPECT_EQ(S_OK, mesh->LockAttributeBuffer(0, &ab));
    EXPECT_NE(nullptr, ab);
    EXPECT_EQ(S_OK, mesh->UnlockAttributeBuffer());
    EXPECT_EQ(2, asked);
    d3dx::SetLockFailHook({});
    EXPECT_EQ(S_OK, mesh->LockIndexBuffer(0, &ib));
    EXPECT_EQ(S_OK, mesh->UnlockIndexBuffer());
    mesh->Release();
}

TEST(D3DXMesh, GenerateAdjacencyMatchesEdgesByPosition) {
    ID3DXMesh* mesh = MakeStrip();
    ASSERT_NE(nullptr, mesh);
    std::vector<DWORD> adj(12);
    ASSERT_EQ(S_OK, mesh->GenerateAdjacency(0.0f, adj.data()));
    EXPECT_EQ((std::vector<DWORD>{N, 1, N, 0, N, 2, 1, 3, N, 2, N, N}), adj);
    mesh->Release();

    // Two triangles of a quad that share positions but not vertices; the
    // second quad's shared corners are off by a hair.
    mesh = MakeMesh({{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}}, {0, 1, 2, 3, 4, 5}, {0, 0});
    ASSERT_EQ(S_OK, mesh->GenerateAdjacency(0.0f, adj.data()));
    EXPECT_EQ((std::vector<DWORD>{N, 1, N, N, N, 0}), std::vector<DWORD>(adj.begin(), adj.begin() + 6));
    mesh->Release();
    mesh = MakeMesh({{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 1.0005f, 0}, {1, 1, 0}, {1.0005f, 0, 0}}, {0, 1, 2, 3, 4, 5},
                    {0, 0});
    ASSERT_EQ(S_OK, mesh->GenerateAdjacency(0.0f, adj.data()));
    EXPECT_EQ(N, adj[1]);
    ASSERT_EQ(S_OK, mesh->GenerateAdjacency(0.001f, adj.data()));
    EXPECT_EQ(1u, adj[1]);
    EXPECT_EQ(0u, adj[5]);
    mesh->Release();
}

TEST(D3DXMesh, AttributeSortGroupsFacesSplitsSharedVerticesAndRemapsAdjacency) {
    ID3DXMesh* mesh = MakeStrip();
    ASSERT_NE(nullptr, mesh);
    std::vector<DWORD> adjIn(12), adjOut(12, 0xABCD), faceRemap(4);
    ASSERT_EQ(S_OK, mesh->GenerateAdjacency(0.0f, adjIn.data()));
    ID3DXMesh* sorted = nullptr;
    ID3DXBuffer* vertexRemap = nullptr;
    ASSERT_EQ(
        S_OK,
        mesh->Optimize(D3DXMESHOPT_ATTRSORT, adjIn.data(), adjOut.data(), faceRemap.data(), &vertexRemap, &sorted));
    ASSERT_NE(nullptr, sorted);

    EXPECT_EQ((std::vector<DWORD>{1, 3, 0, 2}), faceRemap);
    EXPECT_EQ((std::vector<DWORD>{0, 0, 1, 1}), ReadAttributes(sorted));
    // Old faces 0..3 are new faces 2, 0, 3, 1.
    EXPECT_EQ((std::vector<DWORD>{2, N, 3, 3, N, N, N, 0, N, 0, 1, N}), adjOut);

    DWORD count = 0;
    ASSERT_EQ(S_OK, sorted->GetAttributeTable(nullptr, &count));
    ASSERT_EQ(2u, count);
    D3DXATTRIBUTERANGE table[2];
    ASSERT_EQ(S_OK, sorted->GetAttributeTable(table, &count));
    EXPECT_EQ(0u, table[0].AttribId);
    EXPECT_EQ(0u, table[0].FaceStart);
    EXPECT_EQ(2u, table[0].FaceCount);
    EXPECT_EQ(0u, table[0].VertexStart);
    EXPECT_EQ(5u, table[0].VertexCount);
    EXPECT_EQ(1u, table[1].AttribId);
    EXPECT_EQ(2u, table[1].FaceStart);
    EXPECT_EQ(2u, table[1].FaceCount);
    EXPECT_EQ(5u, table[1].VertexStart);
    EXPECT_EQ(5u, table[1].VertexCount);

    // Points 1..4 are used by both ranges, so they exist twice.
    ASSERT_EQ(10u, sorted->GetNumVertices());
    ASSERT_EQ(40u, vertexRemap->GetBufferSize());
    const DWORD* remap = static_cast<const DWORD*>(vertexRemap->GetBufferPointer());
    EXPECT_EQ((std::vector<DWORD>{1, 3, 4, 2, 5, 0, 3, 1, 4, 2}), std::vector<DWORD>(remap, remap + 10));

    // Every face still covers the same points, and each range only uses
    // its own vertices.
    const auto oldIdx = ReadIndices(mesh);
    const auto newIdx = ReadIndices(sorted);
    const auto oldV = ReadVertices(mesh);
    const auto newV = ReadVertices(sorted);
    for (DWORD f = 0; f < 4; ++f) {
        const D3DXATTRIBUTERANGE& r = table[f < 2 ? 0 : 1];
        for (int c = 0; c < 3; ++c) {
            const DWORD ni = newIdx[3 * f + c];
            EXPECT_GE(ni, r.VertexStart);
            EXPECT_LT(ni, r.VertexStart + r.VertexCount);
            EXPECT_EQ(oldV[oldIdx[3 * faceRemap[f] + c]].position, newV[ni].position);
            EXPECT_EQ(oldV[remap[ni]].u, newV[ni].u);
        }
    }

    // Without an input adjacency it is worked out from the positions.
    std::vector<DWORD> adjOut2(12);
    ID3DXMesh* sorted2 = nullptr;
    ASSERT_EQ(S_OK, mesh->Optimize(D3DXMESHOPT_ATTRSORT, nullptr, adjOut2.data(), nullptr, nullptr, &sorted2));
    EXPECT_EQ(adjOut, adjOut2);
    sorted2->Release();

    vertexRemap->Release();
    sorted->Release();
    mesh->Release();
}

TEST(D3DXMesh, OptimizeInplaceWithSharedAdjacencyArray) {
    ID3DXMesh* mesh = MakeStrip();
    ASSERT_NE(nullptr, mesh);
    std::vector<DWORD> adj(12);
    ASSERT_EQ(S_OK, mesh->GenerateAdjacency(0.0f, adj.data()));
    ASSERT_EQ(S_OK, mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, adj.data(), adj.data(), nullptr, nullptr));
    EXPECT_EQ((std::vector<DWORD>{2, N, 3, 3, N, N, N, 0, N, 0, 1, N}), adj);
    EXPECT_EQ(10u, mesh->GetNumVertices());
    EXPECT_EQ((std::vector<DWORD>{0, 0, 1, 1}), ReadAttributes(mesh));

    // Sorting again changes nothing.
    const auto before = ReadIndices(mesh);
    ASSERT_EQ(S_OK, mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, adj.data(), adj.data(), nullptr, nullptr));
    EXPECT_EQ(before, ReadIndices(mesh));
    EXPECT_EQ(10u, mesh->GetNumVertices());

    // Not while locked.
    BYTE* p = nullptr;
    ASSERT_EQ(S_OK, mesh->LockVertexBuffer(0, &p));
    EXPECT_EQ(D3DERR_INVALIDCALL, mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr));
    mesh->UnlockVertexBuffer();
    mesh->Release();
}

TEST(D3DXMesh, OptimizeRejectsIndicesOutsideTheVertexRange) {
    ID3DXMesh* mesh = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 7}, {0});
    ASSERT_NE(nullptr, mesh);
    ID3DXMesh* out = reinterpret_cast<ID3DXMesh*>(1);
    EXPECT_EQ(E_FAIL, mesh->Optimize(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr, &out));
    EXPECT_EQ(nullptr, out);
    mesh->Release();
}

TEST(D3DXMesh, CompactDropsUnusedVertices) {
    ID3DXMesh* mesh = MakeMesh({{9, 9, 9}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {1, 2, 3}, {0});
    ASSERT_NE(nullptr, mesh);
    ID3DXMesh* out = nullptr;
    ASSERT_EQ(S_OK, mesh->Optimize(D3DXMESHOPT_COMPACT, nullptr, nullptr, nullptr, nullptr, &out));
    EXPECT_EQ(3u, out->GetNumVertices());
    EXPECT_EQ((std::vector<DWORD>{0, 1, 2}), ReadIndices(out));
    EXPECT_EQ(D3DXVECTOR3(0, 0, 0), ReadVertices(out)[0].position);
    out->Release();
    mesh->Release();
}

TEST(D3DXMesh, CloneConvertsFormatAndIndexWidth) {
    ID3DXMesh* mesh = MakeStrip();
    ASSERT_NE(nullptr, mesh);
    ASSERT_EQ(S_OK, mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr));

    ID3DXMesh* same = nullptr;
    ASSERT_EQ(S_OK, mesh->CloneMeshFVF(0, mesh->GetFVF(), nullptr, &same));
    EXPECT_EQ(ReadIndices(mesh), ReadIndices(same));
    EXPECT_EQ(ReadAttributes(mesh), ReadAttributes(same));
    DWORD count = 0;
    same->GetAttributeTable(nullptr, &count);
    EXPECT_EQ(2u, count);
    same->Release();

    ID3DXMesh* wide = nullptr;
    ASSERT_EQ(S_OK, mesh->CloneMeshFVF(D3DXMESH_32BIT, D3DFVF_XYZ | D3DFVF_DIFFUSE, nullptr, &wide));
    EXPECT_EQ(16u, wide->GetNumBytesPerVertex());
    EXPECT_EQ(D3DXMESH_32BIT, wide->GetOptions());
    EXPECT_EQ(ReadIndices(mesh), ReadIndices(wide));
    BYTE* src = nullptr;
    BYTE* dst = nullptr;
    ASSERT_EQ(S_OK, mesh->LockVertexBuffer(D3DLOCK_READONLY, &src));
    ASSERT_EQ(S_OK, wide->LockVertexBuffer(D3DLOCK_READONLY, &dst));
    for (DWORD v = 0; v < mesh->GetNumVertices(); ++v) EXPECT_EQ(0, std::memcmp(src + 32 * v, dst + 16 * v, 12)) << v;
    mesh->UnlockVertexBuffer();
    wide->UnlockVertexBuffer();
    wide->Release();
    mesh->Release();
}

TEST(D3DXMesh, BuffersAreReferenceCounted) {
    ID3DXBuffer* buf = nullptr;
    ASSERT_EQ(S_OK, D3DXCreateBuffer(12, &buf));
    EXPECT_EQ(12u, buf->GetBufferSize());
    ASSERT_NE(nullptr, buf->GetBufferPointer());
    std::memset(buf->GetBufferPointer(), 0x5A, 12);
    EXPECT_EQ(2u, buf->AddRef());
    EXPECT_EQ(1u, buf->Release());
    EXPECT_EQ(0u, buf->Release());
}

}  // namespace
