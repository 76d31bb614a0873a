// libFuzzer entry for the X-file mesh loader and the attribute sort that the
// asset library runs on every loaded mesh. Not part of the default build:
//   clang++ -std=c++20 -g -fsanitize=fuzzer,address,undefined -Isrc tools/fuzz/fuzz_xfile.cpp
//           src/d3dx/d3dx_xfile.cpp src/d3dx/d3dx_mesh.cpp src/d3dx/d3dx_math.cpp -o fuzz_xfile
// Seeds: any text .x file, e.g. one the asset generator writes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "d3dx/d3dx_mesh.h"
#include "d3dx/d3dx_xfile.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// Indices inside the vertex range and adjacency naming real faces.
void CheckMesh(ID3DXMesh* mesh, const DWORD* adjacency) {
    const DWORD faces = mesh->GetNumFaces(), vertices = mesh->GetNumVertices();
    BYTE* ib = nullptr;
    Check(SUCCEEDED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &ib)));
    const bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
    for (size_t i = 0; i < size_t(faces) * 3; ++i) {
        const DWORD index = wide ? reinterpret_cast<const uint32_t*>(ib)[i] : reinterpret_cast<const uint16_t*>(ib)[i];
        Check(index < vertices);
    }
    mesh->UnlockIndexBuffer();
    for (size_t i = 0; i < size_t(faces) * 3; ++i) Check(adjacency[i] == D3DX_NO_NEIGHBOR || adjacency[i] < faces);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 0xFFFFFFFFu) return 0;
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* adjacency = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD numMaterials = 0;
    const HRESULT hr = D3DXLoadMeshFromXInMemory(data, static_cast<DWORD>(size), D3DXMESH_MANAGED, nullptr, &adjacency,
                                                 &materials, &numMaterials, &mesh);
    if (FAILED(hr)) {
        Check(!mesh && !adjacency && !materials && numMaterials == 0);
        return 0;
    }
    Check(mesh && adjacency);
    Check((materials != nullptr) == (numMaterials != 0));
    Check(mesh->GetNumBytesPerVertex() == 32);
    const DWORD* adj = static_cast<const DWORD*>(adjacency->GetBufferPointer());
    CheckMesh(mesh, adj);

    std::vector<DWORD> adjOut(size_t(mesh->GetNumFaces()) * 3);
    ID3DXMesh* sorted = nullptr;
    if (SUCCEEDED(mesh->Optimize(D3DXMESHOPT_ATTRSORT, adj, adjOut.data(), nullptr, nullptr, &sorted))) {
        CheckMesh(sorted, adjOut.data());
        DWORD ranges = 0;
        sorted->GetAttributeTable(nullptr, &ranges);
        std::vector<D3DXATTRIBUTERANGE> table(ranges);
        sorted->GetAttributeTable(table.data(), &ranges);
        DWORD next = 0;
        for (const D3DXATTRIBUTERANGE& r : table) {
            Check(r.FaceStart == next && r.FaceCount > 0);
            Check(r.VertexStart + r.VertexCount <= sorted->GetNumVertices());
            next += r.FaceCount;
        }
        Check(next == sorted->GetNumFaces());
        sorted->Release();
    }
    if (materials) materials->Release();
    adjacency->Release();
    mesh->Release();
    return 0;
}
