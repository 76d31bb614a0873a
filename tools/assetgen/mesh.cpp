// "GameTable": a text DirectX .x mesh of the game table, a subdivided felt
// top (material 0) inside a bevelled frame (material 1). The frame shares the
// top's edge vertices, so the two attribute ranges meet along real edges.
#include <cstdio>
#include <string>
#include <vector>

#include "asset_sink.h"

namespace assetgen {

namespace {

struct V {
    float x, y, z, nx, ny, nz, u, v;
};
struct F {
    int a, b, c, material;
};

std::string fmt(float f) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6f", double(f));
    return buf;
}

}  // namespace

void generate_mesh(Output& out) {
    constexpr int NX = 12, NY = 9;              // felt grid cells
    constexpr float HW = 1.2f, HD = 0.9f;       // half width / depth of the felt
    constexpr float RIM = 0.12f, DROP = 0.08f;  // frame width and height
    std::vector<V> vs;
    std::vector<F> fs;

    // Felt top: (NX+1) x (NY+1) vertices in the y = 0 plane, normal up.
    auto grid = [&](int i, int j) { return j * (NX + 1) + i; };
    for (int j = 0; j <= NY; ++j)
        for (int i = 0; i <= NX; ++i) {
            const float u = float(i) / NX, v = float(j) / NY;
            vs.push_back({-HW + 2 * HW * u, 0.0f, HD - 2 * HD * v, 0, 1, 0, u, v});
        }
    for (int j = 0; j < NY; ++j)
        for (int i = 0; i < NX; ++i) {
            const int a = grid(i, j), b = grid(i + 1, j), c = grid(i, j + 1), d = grid(i + 1, j + 1);
            fs.push_back({a, b, c, 0});
            fs.push_back({b, d, c, 0});
        }

    // The felt border, walked clockwise seen from above, as indices.
    std::vector<int> ring;
    for (int i = 0; i <= NX; ++i) ring.push_back(grid(i, 0));
    for (int j = 1; j <= NY; ++j) ring.push_back(grid(NX, j));
    for (int i = NX - 1; i >= 0; --i) ring.push_back(grid(i, NY));
    for (int j = NY - 1; j >= 1; --j) ring.push_back(grid(0, j));

    // Frame top: an outer ring raised by DROP, joined to the felt border.
    const int outer0 = int(vs.size());
    for (std::size_t k = 0; k < ring.size(); ++k) {
        const V& in = vs[std::size_t(ring[k])];
        const float ox = in.x > HW - 1e-4f ? RIM : in.x < -HW + 1e-4f ? -RIM : 0.0f;
        const float oz = in.z > HD - 1e-4f ? RIM : in.z < -HD + 1e-4f ? -RIM : 0.0f;
        vs.push_back({in.x + ox, DROP, in.z + oz, 0, 1, 0, in.u, in.v});
    }
    const int n = int(ring.size());
    for (int k = 0; k < n; ++k) {
        const int k2 = (k + 1) % n;
        const int a = ring[std::size_t(k)], b = ring[std::size_t(k2)], c = outer0 + k, d = outer0 + k2;
        fs.push_back({a, c, b, 1});
        fs.push_back({b, c, d, 1});
    }
    // Frame side: a skirt down to the floor with outward normals.
    const int side0 = int(vs.size());
    for (int k = 0; k < n; ++k) {
        const V& o = vs[std::size_t(outer0 + k)];
        float nx = o.x > HW ? 1.0f : o.x < -HW ? -1.0f : 0.0f;
        float nz = o.z > HD ? 1.0f : o.z < -HD ? -1.0f : 0.0f;
        const float len = nx != 0 && nz != 0 ? 0.70710678f : 1.0f;
        nx *= len;
        nz *= len;
        vs.push_back({o.x, DROP, o.z, nx, 0, nz, o.u, 0.0f});
        vs.push_back({o.x, -DROP, o.z, nx, 0, nz, o.u, 1.0f});
    }
    for (int k = 0; k < n; ++k) {
        const int k2 = (k + 1) % n;
        const int t0 = side0 + 2 * k, b0 = t0 + 1, t1 = side0 + 2 * k2, b1 = t1 + 1;
        fs.push_back({t0, b0, t1, 1});
        fs.push_back({t1, b0, b1, 1});
    }

    std::string s = "xof 0303txt 0032\n\n";
    s += "Frame GameTableRoot {\n";
    s += "  FrameTransformMatrix {\n    1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,"
         "0.000000,0.000000,1.000000,0.000000,0.000000,0.000000,0.000000,1.000000;;\n  }\n";
    s += "  Frame GameTable {\n";
    s += "    FrameTransformMatrix {\n      1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,"
         "0.000000,0.000000,1.000000,0.000000,0.000000,0.000000,0.000000,1.000000;;\n    }\n";
    s += "    Mesh GameTableMesh {\n";
    auto list_end = [](std::size_t i, std::size_t count) { return i + 1 == count ? ";;\n" : ";,\n"; };
    s += "      " + std::to_string(vs.size()) + ";\n";
    for (std::size_t i = 0; i < vs.size(); ++i)
        s += "      " + fmt(vs[i].x) + ";" + fmt(vs[i].y) + ";" + fmt(vs[i].z) + list_end(i, vs.size());
    s += "      " + std::to_string(fs.size()) + ";\n";
    auto faces = [&]() {
        std::string f;
        for (std::size_t i = 0; i < fs.size(); ++i)
            f += "      3;" + std::to_string(fs[i].a) + "," + std::to_string(fs[i].b) + "," + std::to_string(fs[i].c) +
                (i + 1 == fs.size() ? ";;\n" : ";,\n");
        return f;
    };
    s += faces();
    s += "      MeshNormals {\n";
    s += "        " + std::to_string(vs.size()) + ";\n";
    for (std::size_t i = 0; i < vs.size(); ++i)
        s += "        " + fmt(vs[i].nx) + ";" + fmt(vs[i].ny) + ";" + fmt(vs[i].nz) + list_end(i, vs.size());
    s += "        " + std::to_string(fs.size()) + ";\n";
    s += faces();
    s += "      }\n";
    s += "      MeshTextureCoords {\n";
    s += "        " + std::to_string(vs.size()) + ";\n";
    for (std::size_t i = 0; i < vs.size(); ++i)
        s += "        " + fmt(vs[i].u) + ";" + fmt(vs[i].v) + list_end(i, vs.size());
    s += "      }\n";
    s += "      MeshMaterialList {\n";
    s += "        2;\n        " + std::to_string(fs.size()) + ";\n";
    for (std::size_t i = 0; i < fs.size(); ++i)
        s += "        " + std::to_string(fs[i].material) + (i + 1 == fs.size() ? ";\n" : ",\n");
    s += "        Material TableFelt {\n          0.080000;0.300000;0.200000;1.000000;;\n          8.000000;\n"
         "          0.100000;0.100000;0.100000;;\n          0.000000;0.000000;0.000000;;\n        }\n";
    s += "        Material TableFrame {\n          0.450000;0.460000;0.520000;1.000000;;\n          32.000000;\n"
         "          0.800000;0.800000;0.850000;;\n          0.000000;0.000000;0.000000;;\n        }\n";
    s += "      }\n";
    s += "    }\n  }\n}\n";
    out.blobs.push_back({"GameTable", std::vector<std::uint8_t>(s.begin(), s.end())});
}

}  // namespace assetgen
