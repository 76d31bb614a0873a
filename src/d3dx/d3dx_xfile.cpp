#include "d3dx/d3dx_xfile.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "d3dx/d3dx_math.h"
#include "d3dx/d3dx_xfile_parts.h"
#include "d3dx/d3dx_xfile_tokens.h"

namespace {

using namespace d3dx::xfile;

constexpr int kMaxFrameDepth = 64;

class Parser {
public:
    explicit Parser(TokenStream& lex) : lex_(lex) {}

    bool Run() {
        for (;;) {
            const Token t = lex_.Next();
            if (t.kind == Tok::End) return true;
            if (t.kind != Tok::Name) return false;
            if (t.text == "template") {
                if (lex_.Next().kind != Tok::Name) return false;
                if (lex_.Next().kind != Tok::LBrace || !SkipBlock()) return false;
                continue;
            }
            std::string name;
            if (!ObjectHeader(&name)) return false;
            if (t.text == "Frame") {
                if (!ParseFrame(-1, 1)) return false;
            } else if (t.text == "Mesh") {
                if (!ParseMesh(-1)) return false;
            } else if (t.text == "Material") {
                Material m;
                if (!ParseMaterial(m)) return false;
                if (!name.empty()) namedMaterials_[name] = m;
            } else if (!SkipBlock()) {
                return false;
            }
        }
    }

    std::vector<Frame> frames;
    std::vector<RawMesh> meshes;

private:
    // After the type name: an optional object name and GUID, then "{".
    bool ObjectHeader(std::string* name) {
        Token t = lex_.Next();
        if (t.kind == Tok::Name) {
            if (name) *name = std::string(t.text);
            t = lex_.Next();
        }
        if (t.kind == Tok::Guid) t = lex_.Next();
        return t.kind == Tok::LBrace;
    }

    // Skips to the brace that closes the one just read.
    bool SkipBlock() {
        size_t depth = 1;
        for (;;) {
            const Token t = lex_.Next();
            switch (t.kind) {
                case Tok::End:
                case Tok::Error: return false;
                case Tok::LBrace: ++depth; break;
                case Tok::RBrace:
                    if (--depth == 0) return true;
                    break;
                default: break;
            }
        }
    }

    bool ReadFloat(float& out) {
        const Token t = lex_.Next();
        if (t.kind != Tok::Number) return false;
        if (t.binary) {
            if (!(std::fabs(t.value) <= 3.4e38)) return false;  // also refuses NaN
            out = static_cast<float>(t.value);
            return true;
        }
        const char* b = t.text.data();
        const char* e = b + t.text.size();
        if (b < e && *b == '+') ++b;
        return ParseFloat(b, e, out) && std::isfinite(out);
    }

    // The whole of [b, e) as a float, rounded to nearest.
    static bool ParseFloat(const char* b, const char* e, float& out) {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
        const auto r = std::from_chars(b, e, out);
        return r.ec == std::errc() && r.ptr == e;
#else
        // A standard library without from_chars for floats (the browser
        // build's): strtof, which the C locale makes read the same numbers.
        if (b == e || *b == '+' || *b == ' ') return false;
        const std::string text(b, e);
        char* end = nullptr;
        errno = 0;
        out = std::strtof(text.c_str(), &end);
        return errno == 0 && end == text.c_str() + text.size();
#endif
    }

    bool ReadDword(DWORD& out) {
        const Token t = lex_.Next();
        if (t.kind != Tok::Number) return false;
        if (t.binary) {
            if (!t.integer) return false;
            out = static_cast<DWORD>(t.value);
            return true;
        }
        const char* b = t.text.data();
        const char* e = b + t.text.size();
        const auto r = std::from_chars(b, e, out);
        return r.ec == std::errc() && r.ptr == e;
    }

    // A count of items still to come: each takes at least one byte, so a
    // count beyond what is left of the file is a lie.
    bool ReadCount(DWORD& out) { return ReadDword(out) && out <= lex_.Remaining(); }

    bool ReadVector(D3DXVECTOR3& v) { return ReadFloat(v.x) && ReadFloat(v.y) && ReadFloat(v.z); }

    bool ParseFrame(int parent, int depth) {
        if (depth > kMaxFrameDepth) return false;
        const int self = static_cast<int>(frames.size());
        frames.push_back({parent, {}});
        D3DXMatrixIdentity(&frames.back().local);
        for (;;) {
            const Token t = lex_.Next();
            if (t.kind == Tok::RBrace) return true;
            if (t.kind == Tok::LBrace) {  // a reference to an object defined elsewhere
                if (!SkipBlock()) return false;
                continue;
            }
            if (t.kind != Tok::Name || !ObjectHeader(nullptr)) return false;
            if (t.text == "FrameTransformMatrix") {
                D3DXMATRIX m;
                for (int i = 0; i < 16; ++i)
                    if (!ReadFloat(m.m[i / 4][i % 4])) return false;
                if (lex_.Next().kind != Tok::RBrace) return false;
                frames[static_cast<size_t>(self)].local = m;
            } else if (t.text == "Frame") {
                if (!ParseFrame(self, depth + 1)) return false;
            } else if (t.text == "Mesh") {
                if (!ParseMesh(self)) return false;
            } else if (!SkipBlock()) {
                return false;
            }
        }
    }

    bool ParseMesh(int frame) {
        RawMesh m;
        m.frame = frame;
        DWORD nv = 0, nf = 0;
        if (!ReadCount(nv)) return false;
        for (DWORD i = 0; i < nv; ++i) {
            D3DXVECTOR3 v;
            if (!ReadVector(v)) return false;
            m.positions.push_back(v);
        }
        if (!ReadCount(nf)) return false;
        for (DWORD f = 0; f < nf; ++f) {
            DWORD n = 0;
            if (!ReadCount(n) || n < 3) return false;
            m.faceSizes.push_back(n);
            for (DWORD c = 0; c < n; ++c) {
                DWORD idx = 0;
                if (!ReadDword(idx) || idx >= nv) return false;
                m.faceIndices.push_back(idx);
            }
        }
        for (;;) {
            const Token t = lex_.Next();
            if (t.kind == Tok::RBrace) break;
            if (t.kind == Tok::LBrace) {
                if (!SkipBlock()) return false;
                continue;
            }
            if (t.kind != Tok::Name || !ObjectHeader(nullptr)) return false;
            bool ok;
            if (t.text == "MeshNormals")
                ok = ParseNormals(m);
            else if (t.text == "MeshTextureCoords")
                ok = ParseTexCoords(m);
            else if (t.text == "MeshMaterialList")
                ok = ParseMaterialList(m);
            else
                ok = SkipBlock();
            if (!ok) return false;
        }
        meshes.push_back(std::move(m));
        return true;
    }

    bool ParseNormals(RawMesh& m) {
        DWORD nn = 0, nf = 0;
        if (!ReadCount(nn)) return false;
        m.normals.clear();
        for (DWORD i = 0; i < nn; ++i) {
            D3DXVECTOR3 v;
            if (!ReadVector(v)) return false;
            m.normals.push_back(v);
        }
        if (!ReadCount(nf) || nf != m.faceSizes.size()) return false;
        m.normalIndices.clear();
        for (DWORD f = 0; f < nf; ++f) {
            DWORD n = 0;
            if (!ReadDword(n) || n != m.faceSizes[f]) return false;
            for (DWORD c = 0; c < n; ++c) {
                DWORD idx = 0;
                if (!ReadDword(idx) || idx >= nn) return false;
                m.normalIndices.push_back(idx);
            }
        }
        if (lex_.Next().kind != Tok::RBrace) return false;
        m.hasNormals = true;
        return true;
    }

    bool ParseTexCoords(RawMesh& m) {
        DWORD n = 0;
        if (!ReadCount(n) || n != m.positions.size()) return false;
        m.uvs.clear();
        for (DWORD i = 0; i < n; ++i) {
            Float2 uv;
            if (!ReadFloat(uv.u) || !ReadFloat(uv.v)) return false;
            m.uvs.push_back(uv);
        }
        if (lex_.Next().kind != Tok::RBrace) return false;
        m.hasUVs = true;
        return true;
    }

    bool ParseMaterialList(RawMesh& m) {
        DWORD nm = 0, ni = 0;
        if (!ReadCount(nm) || nm == 0 || !ReadCount(ni) || ni > m.faceSizes.size()) return false;
        m.faceMaterials.clear();
        for (DWORD i = 0; i < ni; ++i) {
            DWORD id = 0;
            if (!ReadDword(id) || id >= nm) return false;
            m.faceMaterials.push_back(id);
        }
        // A short list repeats its last entry over the remaining faces.
        const DWORD fill = m.faceMaterials.empty() ? 0 : m.faceMaterials.back();
        m.faceMaterials.resize(m.faceSizes.size(), fill);

        m.materials.clear();
        for (;;) {
            const Token t = lex_.Next();
            if (t.kind == Tok::RBrace) break;
            if (t.kind == Tok::LBrace) {  // { MaterialName } refers to a top-level material
                const Token ref = lex_.Next();
                if (ref.kind != Tok::Name) return false;
                Token close = lex_.Next();
                if (close.kind == Tok::Guid) close = lex_.Next();
                if (close.kind != Tok::RBrace) return false;
                const auto it = namedMaterials_.find(std::string(ref.text));
                if (it == namedMaterials_.end()) return false;
                if (m.materials.size() < nm) m.materials.push_back(it->second);
                continue;
            }
            if (t.kind != Tok::Name || !ObjectHeader(nullptr)) return false;
            if (t.text == "Material") {
                Material mat;
                if (!ParseMaterial(mat)) return false;
                if (m.materials.size() < nm) m.materials.push_back(std::move(mat));
            } else if (!SkipBlock()) {
                return false;
            }
        }
        if (m.materials.size() != nm) return false;
        m.hasMaterials = true;
        return true;
    }

    bool ParseMaterial(Material& out) {
        D3DMATERIAL8& mat = out.mat;
        mat = {};
        if (!ReadFloat(mat.Diffuse.r) || !ReadFloat(mat.Diffuse.g) || !ReadFloat(mat.Diffuse.b) ||
            !ReadFloat(mat.Diffuse.a) || !ReadFloat(mat.Power) || !ReadFloat(mat.Specular.r) ||
            !ReadFloat(mat.Specular.g) || !ReadFloat(mat.Specular.b) || !ReadFloat(mat.Emissive.r) ||
            !ReadFloat(mat.Emissive.g) || !ReadFloat(mat.Emissive.b))
            return false;
        mat.Specular.a = 1.0f;
        mat.Emissive.a = 1.0f;
        for (;;) {
            const Token t = lex_.Next();
            if (t.kind == Tok::RBrace) return true;
            if (t.kind == Tok::LBrace) {
                if (!SkipBlock()) return false;
                continue;
            }
            if (t.kind != Tok::Name || !ObjectHeader(nullptr)) return false;
            if (t.text == "TextureFilename" || t.text == "TextureFileName") {
                const Token s = lex_.Next();
                if (s.kind != Tok::String || lex_.Next().kind != Tok::RBrace) return false;
                if (s.text.find('\0') != std::string_view::npos) return false;
                out.texture = std::string(s.text);
                out.hasTexture = true;
            } else if (!SkipBlock()) {
                return false;
            }
        }
    }

    TokenStream& lex_;
    std::map<std::string, Material> namedMaterials_;
};

HRESULT MakeMaterialsBuffer(const std::vector<Material>& materials, ID3DXBuffer** out) {
    size_t bytes = materials.size() * sizeof(D3DXMATERIAL);
    for (const Material& m : materials)
        if (m.hasTexture) bytes += m.texture.size() + 1;
    if (bytes > 0xFFFFFFFFu) return E_FAIL;
    ID3DXBuffer* buf = nullptr;
    if (FAILED(D3DXCreateBuffer(static_cast<DWORD>(bytes), &buf))) return E_FAIL;
    auto* base = static_cast<unsigned char*>(buf->GetBufferPointer());
    auto* records = reinterpret_cast<D3DXMATERIAL*>(base);
    char* names = reinterpret_cast<char*>(base + materials.size() * sizeof(D3DXMATERIAL));
    for (size_t i = 0; i < materials.size(); ++i) {
        records[i].MatD3D = materials[i].mat;
        records[i].pTextureFilename = nullptr;
        if (materials[i].hasTexture) {
            std::memcpy(names, materials[i].texture.c_str(), materials[i].texture.size() + 1);
            records[i].pTextureFilename = names;
            names += materials[i].texture.size() + 1;
        }
    }
    *out = buf;
    return S_OK;
}

HRESULT Load(const void* memory, DWORD size, DWORD options, ID3DXBuffer** adjacencyOut, ID3DXBuffer** materialsOut,
             DWORD* numMaterials, ID3DXMesh** meshOut) {
    if (!memory || size < 16) return E_FAIL;
    const char* text = static_cast<const char*>(memory);
    if (std::memcmp(text, "xof ", 4) != 0) return E_FAIL;
    const bool doubles = std::memcmp(text + 12, "0064", 4) == 0;
    if (!doubles && std::memcmp(text + 12, "0032", 4) != 0) return E_FAIL;
    std::unique_ptr<TokenStream> lexer;
    if (std::memcmp(text + 8, "txt ", 4) == 0) {
        lexer = std::make_unique<TextLexer>(text + 16, text + size);
    } else if (std::memcmp(text + 8, "bin ", 4) == 0) {
        const auto* bytes = static_cast<const unsigned char*>(memory);
        lexer = std::make_unique<BinaryLexer>(bytes + 16, bytes + size, doubles);
    } else {
        return E_FAIL;  // compressed files are not read
    }

    Parser parser(*lexer);
    if (!parser.Run()) return E_FAIL;
    Built built;
    if (!BuildMesh(parser.frames, parser.meshes, built)) return E_FAIL;

    const DWORD numVertices = static_cast<DWORD>(built.vertices.size());
    const DWORD numFaces = static_cast<DWORD>(built.attributes.size());
    if (numVertices > 0xFFFF) options |= D3DXMESH_32BIT;
    ID3DXMesh* mesh = nullptr;
    if (FAILED(D3DXCreateMeshFVF(numFaces, numVertices, options, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, nullptr,
                                 &mesh)))
        return E_FAIL;

    BYTE* vb = nullptr;
    BYTE* ib = nullptr;
    DWORD* ab = nullptr;
    // These locks are the library's own; the test hook is for callers.
    const d3dx::detail::HookBypass bypass;
    if (FAILED(mesh->LockVertexBuffer(0, &vb)) || FAILED(mesh->LockIndexBuffer(0, &ib)) ||
        FAILED(mesh->LockAttributeBuffer(0, &ab))) {
        if (vb) mesh->UnlockVertexBuffer();
        if (ib) mesh->UnlockIndexBuffer();
        mesh->Release();
        return E_FAIL;
    }
    std::memcpy(vb, built.vertices.data(), built.vertices.size() * sizeof(MeshVertex));
    if (options & D3DXMESH_32BIT) {
        std::memcpy(ib, built.indices.data(), built.indices.size() * sizeof(DWORD));
    } else {
        for (size_t i = 0; i < built.indices.size(); ++i) {
            const uint16_t v = static_cast<uint16_t>(built.indices[i]);
            std::memcpy(ib + 2 * i, &v, 2);
        }
    }
    std::memcpy(ab, built.attributes.data(), built.attributes.size() * sizeof(DWORD));
    mesh->UnlockAttributeBuffer();
    mesh->UnlockIndexBuffer();
    mesh->UnlockVertexBuffer();

    ID3DXBuffer* adjacency = nullptr;
    ID3DXBuffer* materials = nullptr;
    auto fail = [&]() {
        if (adjacency) adjacency->Release();
        if (materials) materials->Release();
        mesh->Release();
        return E_FAIL;
    };
    if (adjacencyOut) {
        if (FAILED(D3DXCreateBuffer(numFaces * 3 * sizeof(DWORD), &adjacency))) return fail();
        if (FAILED(mesh->GenerateAdjacency(0.0f, static_cast<DWORD*>(adjacency->GetBufferPointer())))) return fail();
    }
    if (materialsOut && !built.materials.empty() && FAILED(MakeMaterialsBuffer(built.materials, &materials)))
        return fail();

    if (adjacencyOut) *adjacencyOut = adjacency;
    if (materialsOut) *materialsOut = materials;
    if (numMaterials) *numMaterials = static_cast<DWORD>(built.materials.size());
    *meshOut = mesh;
    return S_OK;
}

}  // namespace

HRESULT D3DXLoadMeshFromXInMemory(const void* memory, DWORD sizeOfMemory, DWORD options, void*, ID3DXBuffer** adjacency,
                                  ID3DXBuffer** materials, DWORD* numMaterials, ID3DXMesh** mesh) {
    if (adjacency) *adjacency = nullptr;
    if (materials) *materials = nullptr;
    if (numMaterials) *numMaterials = 0;
    if (!mesh) return D3DERR_INVALIDCALL;
    *mesh = nullptr;
    try {
        return Load(memory, sizeOfMemory, options, adjacency, materials, numMaterials, mesh);
    } catch (const std::bad_alloc&) {
        return E_FAIL;
    }
}
