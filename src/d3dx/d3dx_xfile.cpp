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
#include <utility>
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
            if (t.kind != Tok::Name || !TopLevelObject(t.text)) return false;
        }
    }

    std::vector<Frame> frames;
    std::vector<RawMesh> meshes;

private:
    // One object of the file's top level after its type name: a template
    // (skipped), a frame, a mesh, a material (kept by its name) or anything
    // else (skipped).
    bool TopLevelObject(std::string_view type) {
        if (type == "template") return lex_.Next().kind == Tok::Name && lex_.Next().kind == Tok::LBrace && SkipBlock();
        std::string name;
        if (!ObjectHeader(&name)) return false;
        if (type == "Frame") return ParseFrame(-1, 1);
        if (type == "Mesh") return ParseMesh(-1);
        if (type != "Material") return SkipBlock();
        Material m;
        if (!ParseMaterial(m)) return false;
        if (!name.empty()) namedMaterials_[name] = m;
        return true;
    }

    // The objects inside a block, up to the brace that closes it: each
    // named one goes to `child` with its type name once its header is read,
    // each reference ("{ name }") to `reference`. False at the first that
    // fails.
    template <typename Child, typename Reference>
    bool Children(Child&& child, Reference&& reference) {
        for (;;) {
            const Token t = lex_.Next();
            if (t.kind == Tok::RBrace) return true;
            if (t.kind == Tok::LBrace) {
                if (!reference()) return false;
                continue;
            }
            if (t.kind != Tok::Name || !ObjectHeader(nullptr) || !child(t.text)) return false;
        }
    }
    // The same, references to objects defined elsewhere skipped.
    template <typename Child>
    bool Children(Child&& child) {
        return Children(std::forward<Child>(child), [this] { return SkipBlock(); });
    }

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
        return Children([&](std::string_view type) {
            if (type == "FrameTransformMatrix") return ParseTransform(self);
            if (type == "Frame") return ParseFrame(self, depth + 1);
            if (type == "Mesh") return ParseMesh(self);
            return SkipBlock();
        });
    }

    bool ParseTransform(int frame) {
        D3DXMATRIX m;
        for (int i = 0; i < 16; ++i)
            if (!ReadFloat(m.m[i / 4][i % 4])) return false;
        if (lex_.Next().kind != Tok::RBrace) return false;
        frames[static_cast<size_t>(frame)].local = m;
        return true;
    }

    bool ParseMesh(int frame) {
        RawMesh m;
        m.frame = frame;
        if (!ReadPositions(m) || !ReadFaces(m)) return false;
        const bool ok = Children([&](std::string_view type) {
            if (type == "MeshNormals") return ParseNormals(m);
            if (type == "MeshTextureCoords") return ParseTexCoords(m);
            if (type == "MeshMaterialList") return ParseMaterialList(m);
            return SkipBlock();
        });
        if (!ok) return false;
        meshes.push_back(std::move(m));
        return true;
    }

    bool ReadPositions(RawMesh& m) {
        DWORD nv = 0;
        if (!ReadCount(nv)) return false;
        for (DWORD i = 0; i < nv; ++i) {
            D3DXVECTOR3 v;
            if (!ReadVector(v)) return false;
            m.positions.push_back(v);
        }
        return true;
    }

    // The faces: each a count of at least three and as many indices of positions.
    bool ReadFaces(RawMesh& m) {
        DWORD nf = 0;
        if (!ReadCount(nf)) return false;
        for (DWORD f = 0; f < nf; ++f) {
            DWORD n = 0;
            if (!ReadCount(n) || n < 3) return false;
            m.faceSizes.push_back(n);
            for (DWORD c = 0; c < n; ++c) {
                DWORD idx = 0;
                if (!ReadDword(idx) || idx >= m.positions.size()) return false;
                m.faceIndices.push_back(idx);
            }
        }
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
        DWORD nm = 0;
        if (!ReadCount(nm) || nm == 0 || !ReadFaceMaterials(m, nm)) return false;
        m.materials.clear();
        // A named material, or { MaterialName } for a top-level one; those
        // past the count are read and dropped.
        const auto keep = [&](Material mat) {
            if (m.materials.size() < nm) m.materials.push_back(std::move(mat));
        };
        const bool ok = Children(
            [&](std::string_view type) {
                if (type != "Material") return SkipBlock();
                Material mat;
                if (!ParseMaterial(mat)) return false;
                keep(std::move(mat));
                return true;
            },
            [&] {
                const Material* named = MaterialReference();
                if (named) keep(*named);
                return named != nullptr;
            });
        if (!ok || m.materials.size() != nm) return false;
        m.hasMaterials = true;
        return true;
    }

    // Each face's material, of `nm`; a short list repeats its last entry
    // over the remaining faces.
    bool ReadFaceMaterials(RawMesh& m, DWORD nm) {
        DWORD ni = 0;
        if (!ReadCount(ni) || ni > m.faceSizes.size()) return false;
        m.faceMaterials.clear();
        for (DWORD i = 0; i < ni; ++i) {
            DWORD id = 0;
            if (!ReadDword(id) || id >= nm) return false;
            m.faceMaterials.push_back(id);
        }
        const DWORD fill = m.faceMaterials.empty() ? 0 : m.faceMaterials.back();
        m.faceMaterials.resize(m.faceSizes.size(), fill);
        return true;
    }

    // After "{": a top-level material's name, an optional GUID and "}";
    // null when it is not one of the file's materials.
    const Material* MaterialReference() {
        const Token ref = lex_.Next();
        if (ref.kind != Tok::Name) return nullptr;
        Token close = lex_.Next();
        if (close.kind == Tok::Guid) close = lex_.Next();
        if (close.kind != Tok::RBrace) return nullptr;
        const auto it = namedMaterials_.find(std::string(ref.text));
        return it == namedMaterials_.end() ? nullptr : &it->second;
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
        return Children([&](std::string_view type) {
            if (type != "TextureFilename" && type != "TextureFileName") return SkipBlock();
            const Token s = lex_.Next();
            if (s.kind != Tok::String || lex_.Next().kind != Tok::RBrace) return false;
            if (s.text.find('\0') != std::string_view::npos) return false;
            out.texture = std::string(s.text);
            out.hasTexture = true;
            return true;
        });
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

// The lexer for the file's format after its 16-byte header: text or
// binary, 32- or 64-bit floats; null for anything else (compressed files
// are not read).
std::unique_ptr<TokenStream> OpenLexer(const void* memory, DWORD size) {
    if (!memory || size < 16) return nullptr;
    const char* text = static_cast<const char*>(memory);
    if (std::memcmp(text, "xof ", 4) != 0) return nullptr;
    const bool doubles = std::memcmp(text + 12, "0064", 4) == 0;
    if (!doubles && std::memcmp(text + 12, "0032", 4) != 0) return nullptr;
    if (std::memcmp(text + 8, "txt ", 4) == 0) return std::make_unique<TextLexer>(text + 16, text + size);
    if (std::memcmp(text + 8, "bin ", 4) != 0) return nullptr;
    const auto* bytes = static_cast<const unsigned char*>(memory);
    return std::make_unique<BinaryLexer>(bytes + 16, bytes + size, doubles);
}

// Copies the built vertices, indices (16 or 32 bits, as `options` says)
// and face attributes into the mesh's buffers.
bool FillMesh(ID3DXMesh* mesh, const Built& built, DWORD options) {
    BYTE* vb = nullptr;
    BYTE* ib = nullptr;
    DWORD* ab = nullptr;
    // These locks are the library's own; the test hook is for callers.
    const d3dx::detail::HookBypass bypass;
    if (FAILED(mesh->LockVertexBuffer(0, &vb)) || FAILED(mesh->LockIndexBuffer(0, &ib)) ||
        FAILED(mesh->LockAttributeBuffer(0, &ab))) {
        if (vb) mesh->UnlockVertexBuffer();
        if (ib) mesh->UnlockIndexBuffer();
        return false;
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
    return true;
}

// The adjacency and materials buffers a caller asked for; on a failure
// none is left and the mesh is released.
HRESULT HandOver(ID3DXMesh* mesh, const Built& built, ID3DXBuffer** adjacencyOut, ID3DXBuffer** materialsOut,
                 DWORD* numMaterials, ID3DXMesh** meshOut) {
    ID3DXBuffer* adjacency = nullptr;
    ID3DXBuffer* materials = nullptr;
    auto fail = [&]() {
        if (adjacency) adjacency->Release();
        if (materials) materials->Release();
        mesh->Release();
        return E_FAIL;
    };
    const DWORD numFaces = static_cast<DWORD>(built.attributes.size());
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

HRESULT Load(const void* memory, DWORD size, DWORD options, ID3DXBuffer** adjacencyOut, ID3DXBuffer** materialsOut,
             DWORD* numMaterials, ID3DXMesh** meshOut) {
    const std::unique_ptr<TokenStream> lexer = OpenLexer(memory, size);
    if (!lexer) return E_FAIL;
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
    if (!FillMesh(mesh, built, options)) {
        mesh->Release();
        return E_FAIL;
    }
    return HandOver(mesh, built, adjacencyOut, materialsOut, numMaterials, meshOut);
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
