#include "d3dx/d3dx_xfile.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "d3dx/d3dx_math.h"

namespace {

// ---------------------------------------------------------------------------
// Tokens. In text files commas and semicolons only separate values, so they
// are skipped like white space; "//" and "#" start comments that run to the
// line end. Binary files carry the same tokens in tagged form.

enum class Tok { End, Name, Number, String, LBrace, RBrace, Guid, Other, Error };

struct Token {
    Tok kind = Tok::End;
    std::string_view text;  // names, strings, and numbers of text files
    bool binary = false;    // a number read from a binary list: see value
    bool integer = false;
    double value = 0.0;
};

class TokenStream {
public:
    virtual ~TokenStream() = default;
    virtual Token Next() = 0;
    // An upper bound on the number of values still to come.
    virtual size_t Remaining() const = 0;
};

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }
bool IsNumberStart(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.'; }
bool IsNumberChar(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

class TextLexer final : public TokenStream {
public:
    TextLexer(const char* begin, const char* end) : p_(begin), end_(end) {}

    Token Next() override {
        for (;;) {
            while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\r' || *p_ == '\n' || *p_ == ',' ||
                                 *p_ == ';' || *p_ == '\f' || *p_ == '\v'))
                ++p_;
            if (p_ >= end_) return {Tok::End, {}};
            const bool slashes = *p_ == '/' && end_ - p_ >= 2 && p_[1] == '/';
            if (!slashes && *p_ != '#') break;
            while (p_ < end_ && *p_ != '\n') ++p_;
        }
        const char* start = p_;
        const char c = *p_;
        auto make = [&](Tok kind) { return Token{kind, std::string_view(start, static_cast<size_t>(p_ - start))}; };
        if (c == '{') { ++p_; return make(Tok::LBrace); }
        if (c == '}') { ++p_; return make(Tok::RBrace); }
        if (c == '"') {
            ++p_;
            while (p_ < end_ && *p_ != '"') ++p_;
            if (p_ >= end_) return {Tok::Error, {}};
            ++p_;
            return Token{Tok::String, std::string_view(start + 1, static_cast<size_t>(p_ - start - 2))};
        }
        if (c == '<') {
            while (p_ < end_ && *p_ != '>') ++p_;
            if (p_ >= end_) return {Tok::Error, {}};
            ++p_;
            return make(Tok::Guid);
        }
        if (IsNameStart(c)) {
            while (p_ < end_ && IsNameChar(*p_)) ++p_;
            return make(Tok::Name);
        }
        if (IsNumberStart(c)) {
            while (p_ < end_ && IsNumberChar(*p_)) ++p_;
            return make(Tok::Number);
        }
        ++p_;
        return make(Tok::Other);
    }
    size_t Remaining() const override { return static_cast<size_t>(end_ - p_); }

private:
    const char* p_;
    const char* end_;
};

// Binary tokens: a 16-bit tag, then the token's own data (little-endian).
class BinaryLexer final : public TokenStream {
public:
    BinaryLexer(const unsigned char* begin, const unsigned char* end, bool doubles)
        : p_(begin), end_(end), floatSize_(doubles ? 8 : 4) {}

    Token Next() override {
        for (;;) {
            if (listLeft_ > 0) return ListItem();
            if (p_ == end_) return {Tok::End, {}};
            uint16_t tag = 0;
            if (!Read16(tag)) return Error();
            switch (tag) {
                case 1: {  // name
                    uint32_t n = 0;
                    if (!Read32(n) || n > Left()) return Error();
                    Token t{Tok::Name, std::string_view(reinterpret_cast<const char*>(p_), n)};
                    p_ += n;
                    return t;
                }
                case 2: {  // string, then its terminating separator token
                    uint32_t n = 0;
                    uint16_t term = 0;
                    if (!Read32(n) || n > Left()) return Error();
                    Token t{Tok::String, std::string_view(reinterpret_cast<const char*>(p_), n)};
                    p_ += n;
                    if (!Read16(term)) return Error();
                    return t;
                }
                case 3: {  // one integer
                    uint32_t v = 0;
                    if (!Read32(v)) return Error();
                    return Number(v, true);
                }
                case 5:  // GUID
                    if (Left() < 16) return Error();
                    p_ += 16;
                    return {Tok::Guid, {}};
                case 6:  // integer list
                case 7: {  // float list
                    uint32_t n = 0;
                    if (!Read32(n)) return Error();
                    const size_t itemSize = tag == 6 ? 4 : floatSize_;
                    if (n > Left() / itemSize) return Error();
                    listLeft_ = n;
                    listItemSize_ = itemSize;
                    listFloats_ = tag == 7;
                    continue;
                }
                case 10: return {Tok::LBrace, {}};
                case 11: return {Tok::RBrace, {}};
                case 19:  // comma
                case 20:  // semicolon
                    continue;
                case 31: return {Tok::Name, "template"};
                default:
                    // Remaining punctuation and the type keywords of templates.
                    if ((tag >= 12 && tag <= 18) || (tag >= 40 && tag <= 53)) return {Tok::Other, {}};
                    return Error();
            }
        }
    }
    size_t Remaining() const override { return Left() / 4 + listLeft_; }

private:
    size_t Left() const { return static_cast<size_t>(end_ - p_); }
    bool Read16(uint16_t& v) {
        if (Left() < 2) return false;
        v = static_cast<uint16_t>(p_[0] | (p_[1] << 8));
        p_ += 2;
        return true;
    }
    bool Read32(uint32_t& v) {
        if (Left() < 4) return false;
        v = uint32_t(p_[0]) | (uint32_t(p_[1]) << 8) | (uint32_t(p_[2]) << 16) | (uint32_t(p_[3]) << 24);
        p_ += 4;
        return true;
    }
    Token Error() {
        p_ = end_;
        listLeft_ = 0;
        return {Tok::Error, {}};
    }
    static Token Number(double v, bool integer) {
        Token t{Tok::Number, {}};
        t.binary = true;
        t.integer = integer;
        t.value = v;
        return t;
    }
    Token ListItem() {
        --listLeft_;
        const unsigned char* q = p_;
        p_ += listItemSize_;  // the list's length was checked when it began
        if (!listFloats_) {
            const uint32_t v = uint32_t(q[0]) | (uint32_t(q[1]) << 8) | (uint32_t(q[2]) << 16) | (uint32_t(q[3]) << 24);
            return Number(v, true);
        }
        if (listItemSize_ == 8) {
            double d;
            std::memcpy(&d, q, 8);
            return Number(d, false);
        }
        float f;
        std::memcpy(&f, q, 4);
        return Number(f, false);
    }

    const unsigned char* p_;
    const unsigned char* end_;
    size_t floatSize_;
    uint32_t listLeft_ = 0;
    size_t listItemSize_ = 4;
    bool listFloats_ = false;
};

// ---------------------------------------------------------------------------
// What the file holds, before it becomes one mesh.

struct Float2 { float u, v; };

struct Frame {
    int parent = -1;
    D3DXMATRIX local;
};

struct Material {
    D3DMATERIAL8 mat{};
    std::string texture;
    bool hasTexture = false;
};

struct RawMesh {
    int frame = -1;
    std::vector<D3DXVECTOR3> positions;
    std::vector<DWORD> faceSizes;     // corners of each polygon
    std::vector<DWORD> faceIndices;   // all corners, polygon after polygon
    std::vector<D3DXVECTOR3> normals;
    std::vector<DWORD> normalIndices; // parallel to faceIndices
    bool hasNormals = false;
    std::vector<Float2> uvs;
    bool hasUVs = false;
    std::vector<DWORD> faceMaterials; // one per polygon
    std::vector<Material> materials;
    bool hasMaterials = false;
};

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
        const auto r = std::from_chars(b, e, out);
        return r.ec == std::errc() && r.ptr == e && std::isfinite(out);
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
            if (t.text == "MeshNormals") ok = ParseNormals(m);
            else if (t.text == "MeshTextureCoords") ok = ParseTexCoords(m);
            else if (t.text == "MeshMaterialList") ok = ParseMaterialList(m);
            else ok = SkipBlock();
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

// ---------------------------------------------------------------------------
// Building the mesh.

struct MeshVertex {
    D3DXVECTOR3 position;
    D3DXVECTOR3 normal;
    float u, v;
};
static_assert(sizeof(MeshVertex) == 32);

D3DXMATRIX WorldOf(const std::vector<Frame>& frames, int frame) {
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    // Parents always come before their children, so this walk ends.
    for (int f = frame; f >= 0; f = frames[static_cast<size_t>(f)].parent)
        D3DXMatrixMultiply(&world, &world, &frames[static_cast<size_t>(f)].local);
    return world;
}

struct Built {
    std::vector<MeshVertex> vertices;
    std::vector<DWORD> indices;
    std::vector<DWORD> attributes;
    std::vector<Material> materials;
};

bool Build(const Parser& parser, Built& out) {
    bool anyMaterials = false;
    for (const RawMesh& m : parser.meshes) anyMaterials |= m.hasMaterials;
    DWORD defaultMaterial = D3DX_NO_NEIGHBOR;

    for (const RawMesh& m : parser.meshes) {
        const D3DXMATRIX world = WorldOf(parser.frames, m.frame);
        // Normals go through the inverse transpose so that scaling frames
        // keep them perpendicular to their surfaces.
        D3DXMATRIX normalMatrix = world;
        D3DXMATRIX inverse;
        if (D3DXMatrixInverse(&inverse, nullptr, &world)) D3DXMatrixTranspose(&normalMatrix, &inverse);

        const size_t base = out.vertices.size();
        if (base + m.positions.size() > d3dx::kMaxMeshVertices) return false;
        for (const D3DXVECTOR3& p : m.positions) {
            MeshVertex v{};
            D3DXVec3TransformCoord(&v.position, &p, &world);
            out.vertices.push_back(v);
        }
        for (size_t i = 0; i < m.positions.size() && m.hasUVs; ++i) {
            out.vertices[base + i].u = m.uvs[i].u;
            out.vertices[base + i].v = m.uvs[i].v;
        }

        // Without normals in the file every vertex gets the area-weighted
        // mean of the faces around it.
        std::vector<D3DXVECTOR3> smooth;
        if (!m.hasNormals) {
            smooth.assign(m.positions.size(), D3DXVECTOR3());
            size_t corner = 0;
            for (DWORD n : m.faceSizes) {
                for (DWORD j = 1; j + 1 < n; ++j) {
                    const DWORD a = m.faceIndices[corner], b = m.faceIndices[corner + j],
                                c = m.faceIndices[corner + j + 1];
                    const D3DXVECTOR3 e1 = out.vertices[base + b].position - out.vertices[base + a].position;
                    const D3DXVECTOR3 e2 = out.vertices[base + c].position - out.vertices[base + a].position;
                    D3DXVECTOR3 fn;
                    D3DXVec3Cross(&fn, &e1, &e2);
                    for (DWORD k = 0; k < n; ++k) smooth[m.faceIndices[corner + k]] += fn;
                }
                corner += n;
            }
            for (size_t i = 0; i < smooth.size(); ++i)
                D3DXVec3Normalize(&out.vertices[base + i].normal, &smooth[i]);
        }

        std::vector<D3DXVECTOR3> normals(m.normals.size());
        for (size_t i = 0; i < normals.size(); ++i) {
            D3DXVec3TransformNormal(&normals[i], &m.normals[i], &normalMatrix);
            D3DXVec3Normalize(&normals[i], &normals[i]);
        }

        // A corner is (position, normal); the first normal seen at a
        // position keeps the original slot, others get new vertices.
        std::vector<DWORD> firstNormal(m.positions.size(), D3DX_NO_NEIGHBOR);
        std::unordered_map<uint64_t, DWORD> extra;
        auto slotOf = [&](DWORD p, DWORD corner) -> DWORD {
            if (!m.hasNormals) return static_cast<DWORD>(base + p);
            const DWORD n = m.normalIndices[corner];
            if (firstNormal[p] == D3DX_NO_NEIGHBOR) {
                firstNormal[p] = n;
                out.vertices[base + p].normal = normals[n];
            }
            if (firstNormal[p] == n) return static_cast<DWORD>(base + p);
            const uint64_t key = (uint64_t(p) << 32) | n;
            const auto it = extra.find(key);
            if (it != extra.end()) return it->second;
            if (out.vertices.size() >= d3dx::kMaxMeshVertices) return D3DX_NO_NEIGHBOR;
            MeshVertex v = out.vertices[base + p];
            v.normal = normals[n];
            const DWORD slot = static_cast<DWORD>(out.vertices.size());
            out.vertices.push_back(v);
            extra.emplace(key, slot);
            return slot;
        };

        DWORD materialBase = static_cast<DWORD>(out.materials.size());
        if (m.hasMaterials) {
            out.materials.insert(out.materials.end(), m.materials.begin(), m.materials.end());
        } else if (anyMaterials) {
            if (defaultMaterial == D3DX_NO_NEIGHBOR) {
                defaultMaterial = static_cast<DWORD>(out.materials.size());
                Material def;
                def.mat.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
                out.materials.push_back(def);
            }
            materialBase = defaultMaterial;
        }

        size_t corner = 0;
        for (size_t f = 0; f < m.faceSizes.size(); ++f) {
            const DWORD n = m.faceSizes[f];
            const DWORD attribute = m.hasMaterials ? materialBase + m.faceMaterials[f]
                                                   : (anyMaterials ? defaultMaterial : 0);
            const DWORD first = slotOf(m.faceIndices[corner], static_cast<DWORD>(corner));
            DWORD prev = slotOf(m.faceIndices[corner + 1], static_cast<DWORD>(corner + 1));
            for (DWORD j = 2; j < n; ++j) {
                const DWORD next = slotOf(m.faceIndices[corner + j], static_cast<DWORD>(corner + j));
                if (first == D3DX_NO_NEIGHBOR || prev == D3DX_NO_NEIGHBOR || next == D3DX_NO_NEIGHBOR) return false;
                if (out.attributes.size() >= d3dx::kMaxMeshFaces) return false;
                out.indices.insert(out.indices.end(), {first, prev, next});
                out.attributes.push_back(attribute);
                prev = next;
            }
            corner += n;
        }
    }
    return !out.indices.empty();
}

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
    if (!Build(parser, built)) return E_FAIL;

    const DWORD numVertices = static_cast<DWORD>(built.vertices.size());
    const DWORD numFaces = static_cast<DWORD>(built.attributes.size());
    if (numVertices > 0xFFFF) options |= D3DXMESH_32BIT;
    ID3DXMesh* mesh = nullptr;
    if (FAILED(D3DXCreateMeshFVF(numFaces, numVertices, options, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1,
                                 nullptr, &mesh)))
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
        if (FAILED(mesh->GenerateAdjacency(0.0f, static_cast<DWORD*>(adjacency->GetBufferPointer()))))
            return fail();
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

HRESULT D3DXLoadMeshFromXInMemory(const void* memory, DWORD sizeOfMemory, DWORD options, void*,
                                  ID3DXBuffer** adjacency, ID3DXBuffer** materials, DWORD* numMaterials,
                                  ID3DXMesh** mesh) {
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
