#pragma once
// DirectX .x mesh files (text "xof 0303txt 0032" or uncompressed binary
// "xof 0303bin 0032") read into one mesh.
#include "d3dx/d3dx_mesh.h"

// Reads every Mesh of the file, each placed by the FrameTransformMatrix
// chain of the frames around it, merged into one mesh of format
// D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1 (32 bytes a vertex). Polygons are
// split into triangle fans; a vertex is split where its corners carry
// different normals. Indices are 16-bit unless the file needs more than
// 65535 vertices (or options ask for D3DXMESH_32BIT). The attribute of each
// face is its material index (materials of later meshes follow those of
// earlier ones).
//
// Outputs (each may be null): adjacency (3 DWORDs a face, 0xFFFFFFFF for no
// neighbour, neighbours found by shared positions), materials (a buffer of
// D3DXMATERIAL whose texture names point into the same buffer; null when
// the file has none) and their count.
//
// Malformed or hostile data fails with E_FAIL and leaves every output null.
HRESULT D3DXLoadMeshFromXInMemory(const void* memory, DWORD sizeOfMemory, DWORD options, void* device,
                                  ID3DXBuffer** adjacency, ID3DXBuffer** materials, DWORD* numMaterials,
                                  ID3DXMesh** mesh);
