#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "d3dx/d3dx_math.h"
#include "d3dx/d3dx_mesh.h"
#include "d3dx/d3dx_xfile.h"
#include "d3dx/mesh_test_util.h"

namespace {

using d3dx_test::ReadAttributes;
using d3dx_test::ReadIndices;
using d3dx_test::ReadVertices;
constexpr DWORD N = D3DX_NO_NEIGHBOR;

// Two quads side by side in a scaled, moved frame inside another frame;
// the quads have different normals and materials (Blue on the first, Red
// on the second, so an attribute sort swaps them).
const char kTwoMaterials[] = R"(xof 0303txt 0032
// exported by hand
# a hash comment
template Vector {
 <3D82AB5E-62DA-11cf-AB39-0020AF71E433>
 FLOAT x;
 FLOAT y;
 FLOAT z;
}

Material Red {
  1.0;0.0;0.0;1.0;;
  8.0;
  1.0;1.0;1.0;;
  0.0;0.0;0.0;;
}

Header { 1; 0; 1; }

Frame Root {
  FrameTransformMatrix {
    1,0,0,0, 0,1,0,0, 0,0,1,0, 10,0,0,1;;
  }
  Frame Child {
    FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,5,0,1;; }
    Mesh Table {
      6;
      0;0;0;, 1;0;0;, 2;0;0;, 0;1;0;, 1;1;0;, 2;1;0;;
      2;
      4;0,3,4,1;,
      4;1,4,5,2;;
      MeshNormals {
        2;
        0;0;-1;, 0;1;0;;
        2;
        4;0,0,0,0;,
        4;1,1,1,1;;
      }
      MeshTextureCoords {
        6;
        0;1;, 0.5;1;, 1;1;, 0;0;, 0.5;0;, 1;0;;
      }
      MeshMaterialList {
        2;
        2;
        1,0;;
        { Red }
        Material Blue {
          0;0;1;1;;
          4;
          0;0;0;;
          0;0;0;;
          TextureFilename { "blue.png"; }
        }
      }
      VertexDuplicationIndices { 6; 6; 0,1,2,3,4,5; }
    }
  }
}
)";

struct Loaded {
    HRESULT hr = E_FAIL;
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* adjacency = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD numMaterials = 0xDEAD;

    explicit Loaded(const std::string& text, DWORD options = D3DXMESH_MANAGED) {
        hr = D3DXLoadMeshFromXInMemory(text.data(), static_cast<DWORD>(text.size()), options, nullptr, &adjacency,
                                       &materials, &numMaterials, &mesh);
    }
    ~Loaded() {
        if (mesh) mesh->Release();
        if (adjacency) adjacency->Release();
        if (materials) materials->Release();
    }
    std::vector<DWORD> Adjacency() const {
        const DWORD* p = static_cast<const DWORD*>(adjacency->GetBufferPointer());
        return std::vector<DWORD>(p, p + adjacency->GetBufferSize() / 4);
    }
};

TEST(XFile, LoadsFramesNormalsUvsAndMaterials) {
    Loaded x(kTwoMaterials);
    ASSERT_EQ(S_OK, x.hr);
    ID3DXMesh* mesh = x.mesh;
    EXPECT_EQ(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, mesh->GetFVF());
    EXPECT_EQ(32u, mesh->GetNumBytesPerVertex());
    EXPECT_EQ(D3DXMESH_MANAGED, mesh->GetOptions());  // 16-bit indices
    EXPECT_EQ(4u, mesh->GetNumFaces());
    // Points 1 and 4 carry both normals, so they are split.
    ASSERT_EQ(8u, mesh->GetNumVertices());

    // Quads become fans; the second quad's shared corners use the new vertices.
    EXPECT_EQ((std::vector<DWORD>{0, 3, 4, 0, 4, 1, 6, 7, 5, 6, 5, 2}), ReadIndices(mesh));
    EXPECT_EQ((std::vector<DWORD>{1, 1, 0, 0}), ReadAttributes(mesh));

    const auto v = ReadVertices(mesh);
    // Scaled by 2, moved by (0, 5, 0), then by (10, 0, 0).
    EXPECT_EQ(D3DXVECTOR3(10, 5, 0), v[0].position);
    EXPECT_EQ(D3DXVECTOR3(14, 7, 0), v[5].position);
    EXPECT_EQ(v[1].position, v[6].position);
    EXPECT_EQ(v[4].position, v[7].position);
    // Normals stay unit length through the scaling frame.
    EXPECT_EQ(D3DXVECTOR3(0, 0, -1), v[0].normal);
    EXPECT_EQ(D3DXVECTOR3(0, 0, -1), v[1].normal);
    EXPECT_EQ(D3DXVECTOR3(0, 1, 0), v[6].normal);
    EXPECT_EQ(D3DXVECTOR3(0, 1, 0), v[5].normal);
    EXPECT_FLOAT_EQ(0.5f, v[6].u);
    EXPECT_FLOAT_EQ(1.0f, v[6].v);
    EXPECT_FLOAT_EQ(0.0f, v[7].v);

    // Neighbours by position, across the split vertices.
    EXPECT_EQ((std::vector<DWORD>{N, N, 1, 0, 2, N, 1, N, 3, 2, N, N}), x.Adjacency());

    ASSERT_EQ(2u, x.numMaterials);
    ASSERT_NE(nullptr, x.materials);
    ASSERT_EQ(2 * sizeof(D3DXMATERIAL) + 9, x.materials->GetBufferSize());
    const auto* mats = static_cast<const D3DXMATERIAL*>(x.materials->GetBufferPointer());
    EXPECT_FLOAT_EQ(1.0f, mats[0].MatD3D.Diffuse.r);
    EXPECT_FLOAT_EQ(0.0f, mats[0].MatD3D.Diffuse.b);
    EXPECT_FLOAT_EQ(8.0f, mats[0].MatD3D.Power);
    EXPECT_FLOAT_EQ(1.0f, mats[0].MatD3D.Specular.g);
    EXPECT_EQ(nullptr, mats[0].pTextureFilename);
    EXPECT_FLOAT_EQ(1.0f, mats[1].MatD3D.Diffuse.b);
    ASSERT_NE(nullptr, mats[1].pTextureFilename);
    EXPECT_STREQ("blue.png", mats[1].pTextureFilename);
}

TEST(XFile, TwoMaterialsGiveTwoAttributeRangesAfterSorting) {
    Loaded x(kTwoMaterials);
    ASSERT_EQ(S_OK, x.hr);
    std::vector<DWORD> adjOut(12);
    ID3DXMesh* sorted = nullptr;
    ASSERT_EQ(S_OK,
              x.mesh->Optimize(D3DXMESHOPT_ATTRSORT, x.Adjacency().data(), adjOut.data(), nullptr, nullptr, &sorted));
    DWORD count = 0;
    sorted->GetAttributeTable(nullptr, &count);
    ASSERT_EQ(2u, count);
    D3DXATTRIBUTERANGE r[2];
    sorted->GetAttributeTable(r, &count);
    EXPECT_EQ(0u, r[0].AttribId);
    EXPECT_EQ(0u, r[0].FaceStart);
    EXPECT_EQ(2u, r[0].FaceCount);
    EXPECT_EQ(0u, r[0].VertexStart);
    EXPECT_EQ(4u, r[0].VertexCount);
    EXPECT_EQ(1u, r[1].AttribId);
    EXPECT_EQ(2u, r[1].FaceStart);
    EXPECT_EQ(2u, r[1].FaceCount);
    EXPECT_EQ(4u, r[1].VertexStart);
    EXPECT_EQ(4u, r[1].VertexCount);
    // The Red quad comes first now; the one edge between the quads links
    // face 0 (first range) with face 3 (second range).
    EXPECT_EQ((std::vector<DWORD>{3, N, 1, 0, N, N, N, N, 3, 2, 0, N}), adjOut);
    EXPECT_EQ(8u, sorted->GetNumVertices());
    sorted->Release();
}

TEST(XFile, PolygonsWithoutNormalsOrMaterials) {
    // A pentagon at the top level: a fan of three triangles, smooth normals
    // from the faces, no materials at all.
    Loaded x(R"(xof 0303txt 0032
Mesh {
  5; 0;0;0;, 1;0;0;, 2;1;0;, 1;2;0;, 0;1;0;;
  1; 5; 0,4,3,2,1;;
})");
    ASSERT_EQ(S_OK, x.hr);
    EXPECT_EQ((std::vector<DWORD>{0, 4, 3, 0, 3, 2, 0, 2, 1}), ReadIndices(x.mesh));
    EXPECT_EQ((std::vector<DWORD>{0, 0, 0}), ReadAttributes(x.mesh));
    for (const auto& v : ReadVertices(x.mesh)) {
        EXPECT_EQ(D3DXVECTOR3(0, 0, -1), v.normal);
        EXPECT_EQ(0.0f, v.u);
    }
    EXPECT_EQ(0u, x.numMaterials);
    EXPECT_EQ(nullptr, x.materials);
    EXPECT_EQ((std::vector<DWORD>{N, N, 1, 0, N, 2, 1, N, N}), x.Adjacency());
}

TEST(XFile, MeshesAreMergedWithTheirMaterialsInOrder) {
    Loaded x(R"(xof 0303txt 0032
Mesh A {
  3; 0;0;0;, 0;1;0;, 1;0;0;;
  1; 3;0,1,2;;
  MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } }
}
Frame F {
  Mesh B {
    3; 5;0;0;, 5;1;0;, 6;0;0;;
    1; 3;0,1,2;;
  }
  { A }
}
Mesh C {
  3; 9;0;0;, 9;1;0;, 8;0;0;;
  1; 3;0,1,2;;
  MeshMaterialList { 2; 1; 1;;
    Material { 0.5;0.5;0.5;1;; 0; 0;0;0;; 0;0;0;; }
    Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; }
  }
})");
    ASSERT_EQ(S_OK, x.hr);
    EXPECT_EQ(9u, x.mesh->GetNumVertices());
    EXPECT_EQ((std::vector<DWORD>{0, 1, 2, 3, 4, 5, 6, 7, 8}), ReadIndices(x.mesh));
    // A's material, a default one for B, then C's two (C uses its second).
    ASSERT_EQ(4u, x.numMaterials);
    EXPECT_EQ((std::vector<DWORD>{0, 1, 3}), ReadAttributes(x.mesh));
    const auto* mats = static_cast<const D3DXMATERIAL*>(x.materials->GetBufferPointer());
    EXPECT_FLOAT_EQ(1.0f, mats[3].MatD3D.Diffuse.g);
    EXPECT_FLOAT_EQ(0.0f, mats[3].MatD3D.Diffuse.r);
}

TEST(XFile, ManyVerticesSwitchToWideIndices) {
    std::string text = "xof 0303txt 0032\nMesh {\n70000;\n";
    for (int i = 0; i < 70000; ++i) text += std::to_string(i) + ";0;0;,";
    text += ";\n1; 3; 0, 69999, 1;;\n}\n";
    Loaded x(text);
    ASSERT_EQ(S_OK, x.hr);
    EXPECT_TRUE(x.mesh->GetOptions() & D3DXMESH_32BIT);
    EXPECT_EQ((std::vector<DWORD>{0, 69999, 1}), ReadIndices(x.mesh));
}

TEST(XFile, HostileInputFailsCleanly) {
    const char* const cases[] = {
        "",
        "xof 0303txt",
        "xof 0303bin 0032\0\0\0\0",
        "xof 0303txt 0032",  // no mesh at all
        "xof 0303txt 0032 Mesh { 4294967295; 1;2;3;; 1; 3;0,0,0;; }",
        "xof 0303txt 0032 Mesh { 99999999999999; }",
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }",  // index out of range
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,-1;; }",
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 2;0,1;; }",          // a two-corner face
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 1000000;0,1,2;; }",  // corner count lies
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; ",         // unterminated
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;",                          // truncated
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1.5e-;0;0;, 0;1;0;; 1; 3;0,1,2;; }",    // truncated number
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, -;0;0;, 0;1;0;; 1; 3;0,1,2;; }",
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1e;0;0;, 0;1;0;; 1; 3;0,1,2;; }",
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1e99;0;0;, 0;1;0;; 1; 3;0,1,2;; }",  // not a float
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, --1;0;0;, 0;1;0;; 1; 3;0,1,2;; }",
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, nan;0;0;, 0;1;0;; 1; 3;0,1,2;; }",
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; "
        "MeshNormals { 1; 0;0;1;; 1; 3;0,0,5;; } }",  // normal index out of range
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; "
        "MeshNormals { 1; 0;0;1;; 2; 3;0,0,0;, 3;0,0,0;; } }",  // normal faces mismatch
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; "
        "MeshTextureCoords { 2; 0;0;, 1;1;; } }",  // uv count mismatch
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; "
        "MeshMaterialList { 1; 1; 4;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",  // material id out of range
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; "
        "MeshMaterialList { 3; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",  // materials missing
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; "
        "MeshMaterialList { 1; 1; 0;; { Nowhere } } }",  // dangling reference
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; "
        "MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; "
        "TextureFilename { \"never closed } } } }",
        "xof 0303txt 0032 template T { <abc ",
        "xof 0303txt 0032 Unknown { { { } }",
        "xof 0303txt 0032 Frame { FrameTransformMatrix { 1;2;3; } }",
        "xof 0303txt 0032 } Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }",
        "xof 0303txt 0032 @ Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }",
    };
    for (const char* c : cases) {
        SCOPED_TRACE(c);
        Loaded x(c);
        EXPECT_EQ(E_FAIL, x.hr);
        EXPECT_EQ(nullptr, x.mesh);
        EXPECT_EQ(nullptr, x.adjacency);
        EXPECT_EQ(nullptr, x.materials);
        EXPECT_EQ(0u, x.numMaterials);
    }
    // Binary files: a name whose length runs past the end, a list longer
    // than the file, an unknown tag, a compressed file.
    EXPECT_EQ(E_FAIL, Loaded(std::string("xof 0303bin 0032\x01\x00\x02\x00", 20)).hr);
    EXPECT_EQ(E_FAIL,
              Loaded(std::string("xof 0303bin 0032\x01\x00\x04\x00\x00\x00Mesh\x0a\x00"
                                 "\x06\x00\xff\xff\xff\x0f\x01\x00\x00\x00",
                                 36))
                  .hr);
    EXPECT_EQ(E_FAIL, Loaded(std::string("xof 0303bin 0032\x63\x00", 18)).hr);
    EXPECT_EQ(E_FAIL, Loaded(std::string("xof 0303bzip0032\x01\x00\x02\x00", 20)).hr);
    // No output pointer for the mesh is a caller's mistake.
    EXPECT_EQ(D3DERR_INVALIDCALL,
              D3DXLoadMeshFromXInMemory(kTwoMaterials, sizeof kTwoMaterials - 1, 0, nullptr, nullptr, nullptr, nullptr,
                                        nullptr));
}

// Writes the tagged tokens of a binary .x file.
class BinaryX {
public:
    explicit BinaryX(bool doubles) : doubles_(doubles) {
        const char* header = doubles ? "xof 0303bin 0064" : "xof 0303bin 0032";
        bytes_.assign(header, header + 16);
    }
    BinaryX& Name(const std::string& n) {
        Tag(1);
        U32(static_cast<uint32_t>(n.size()));
        Raw(n);
        return *this;
    }
    BinaryX& String(const std::string& s) {
        Tag(2);
        U32(static_cast<uint32_t>(s.size()));
        Raw(s);
        Tag(20);
        return *this;
    }
    BinaryX& Ints(const std::vector<uint32_t>& v) {
        Tag(6);
        U32(static_cast<uint32_t>(v.size()));
        for (uint32_t x : v) U32(x);
        return *this;
    }
    BinaryX& Floats(const std::vector<double>& v) {
        Tag(7);
        U32(static_cast<uint32_t>(v.size()));
        for (double d : v) {
            if (doubles_) {
                Raw(std::string(reinterpret_cast<const char*>(&d), 8));
            } else {
                const float f = static_cast<float>(d);
                Raw(std::string(reinterpret_cast<const char*>(&f), 4));
            }
        }
        return *this;
    }
    BinaryX& Open() {
        Tag(10);
        return *this;
    }
    BinaryX& Close() {
        Tag(11);
        return *this;
    }
    BinaryX& Template(const std::string& n) {
        Tag(31);
        Name(n).Open();
        Tag(5);
        Raw(std::string(16, '\x42'));
        Tag(41);  // DWORD
        Name("x");
        Tag(20);
        return Close();
    }
    std::string Bytes() const { return std::string(bytes_.begin(), bytes_.end()); }

private:
    void Tag(uint16_t t) {
        bytes_.push_back(char(t & 0xFF));
        bytes_.push_back(char(t >> 8));
    }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_.push_back(char((v >> (8 * i)) & 0xFF));
    }
    void Raw(const std::string& s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }
    bool doubles_;
    std::vector<char> bytes_;
};

TEST(XFile, BinaryFilesReadLikeTheirTextTwins) {
    const std::string text = R"(xof 0303txt 0032
template Foo { <42424242-4242-4242-4242-424242424242> DWORD x; }
Frame F {
  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,3,1;; }
  Mesh M {
    4; 0;0;0;, 0;1;0;, 1;1;0;, 1;0;0;;
    2; 3;0,1,2;, 3;0,2,3;;
    MeshMaterialList { 2; 2; 1,0;;
      Material { 1;0;0;1;; 5; 1;1;1;; 0;0;0;; TextureFilename { "a.png"; } }
      Material { 0;1;0;1;; 5; 1;1;1;; 0;0;0;; }
    }
  }
})";
    Loaded t(text);
    ASSERT_EQ(S_OK, t.hr);
    for (bool doubles : {false, true}) {
        BinaryX b(doubles);
        b.Template("Foo");
        b.Name("Frame").Name("F").Open();
        b.Name("FrameTransformMatrix").Open().Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 3, 1}).Close();
        b.Name("Mesh").Name("M").Open().Ints({4}).Floats({0, 0, 0, 0, 1, 0, 1, 1, 0, 1, 0, 0});
        b.Ints({2, 3, 0, 1, 2, 3, 0, 2, 3});
        b.Name("MeshMaterialList").Open().Ints({2, 2, 1, 0});
        b.Name("Material").Open().Floats({1, 0, 0, 1, 5, 1, 1, 1, 0, 0, 0});
        b.Name("TextureFilename").Open().String("a.png").Close().Close();
        b.Name("Material").Open().Floats({0, 1, 0, 1, 5, 1, 1, 1, 0, 0, 0}).Close();
        b.Close().Close().Close();
        const std::string file = b.Bytes();

        Loaded x(file);
        ASSERT_EQ(S_OK, x.hr) << doubles;
        const auto tv = ReadVertices(t.mesh), xv = ReadVertices(x.mesh);
        ASSERT_EQ(tv.size(), xv.size());
        EXPECT_EQ(D3DXVECTOR3(1, 1, 3), xv[2].position);
        EXPECT_EQ(0, std::memcmp(tv.data(), xv.data(), tv.size() * sizeof tv[0]));
        EXPECT_EQ(ReadIndices(t.mesh), ReadIndices(x.mesh));
        EXPECT_EQ(ReadAttributes(t.mesh), ReadAttributes(x.mesh));
        EXPECT_EQ(t.Adjacency(), x.Adjacency());
        ASSERT_EQ(2u, x.numMaterials);
        const auto* mats = static_cast<const D3DXMATERIAL*>(x.materials->GetBufferPointer());
        EXPECT_STREQ("a.png", mats[0].pTextureFilename);
        EXPECT_FLOAT_EQ(1.0f, mats[1].MatD3D.Diffuse.g);

        // Every cut fails without reading past it.
        for (size_t n = 0; n + 1 < file.size(); ++n) {
            Loaded cut(file.substr(0, n));
            EXPECT_EQ(E_FAIL, cut.hr) << n;
        }
    }
}

TEST(XFile, DeepNestingFailsWithoutExhaustingTheStack) {
    std::string frames = "xof 0303txt 0032\n";
    for (int i = 0; i < 100000; ++i) frames += "Frame {";
    EXPECT_EQ(E_FAIL, Loaded(frames).hr);
    std::string blocks = "xof 0303txt 0032\nJunk ";
    for (int i = 0; i < 100000; ++i) blocks += "{";
    EXPECT_EQ(E_FAIL, Loaded(blocks).hr);
    // Sixty frames deep is fine.
    std::string ok = "xof 0303txt 0032\n";
    for (int i = 0; i < 60; ++i) ok += "Frame { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,1,0,0,1;; }\n";
    ok += "Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }";
    for (int i = 0; i < 60; ++i) ok += "}";
    Loaded deep(ok);
    ASSERT_EQ(S_OK, deep.hr);
    EXPECT_EQ(D3DXVECTOR3(60, 0, 0), ReadVertices(deep.mesh)[0].position);
}

TEST(XFile, EveryTruncationOfAGoodFileIsHandled) {
    const std::string full(kTwoMaterials);
    int loaded = 0;
    for (size_t n = 0; n < full.size(); ++n) {
        // A copy of exactly n bytes, so reading past the end is caught by
        // the sanitizers.
        std::vector<char> cut(full.begin(), full.begin() + static_cast<long>(n));
        ID3DXMesh* mesh = nullptr;
        ID3DXBuffer* adjacency = nullptr;
        const HRESULT hr = D3DXLoadMeshFromXInMemory(cut.data(), static_cast<DWORD>(n), 0, nullptr, &adjacency, nullptr,
                                                     nullptr, &mesh);
        if (SUCCEEDED(hr)) {
            ++loaded;
            EXPECT_EQ(full.size() - 1, n);  // only the trailing newline is missing
            ASSERT_NE(nullptr, mesh);
            mesh->Release();
            adjacency->Release();
        } else {
            EXPECT_EQ(nullptr, mesh);
        }
    }
    EXPECT_EQ(1, loaded);  // the closing brace of the root frame is the last token
}

}  // namespace
