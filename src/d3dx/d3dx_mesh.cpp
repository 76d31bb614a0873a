#include "d3dx/d3dx_mesh.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <unordered_map>
#include <utility>
#include <vector>

#include "d3dx/d3dx_math.h"

namespace d3dx {
namespace {
LockFailHook& Hook() {
    static LockFailHook hook;
    return hook;
}
}  // namespace

void SetLockFailHook(LockFailHook hook) { Hook() = std::move(hook); }

namespace detail {
namespace {
thread_local int bypassDepth = 0;
}
HookBypass::HookBypass() { ++bypassDepth; }
HookBypass::~HookBypass() { --bypassDepth; }
bool HookBypassed() { return bypassDepth > 0; }
}  // namespace detail

}  // namespace d3dx

namespace {

// Where each component sits in a vertex of a given FVF.
struct FvfLayout {
    UINT stride = 0;
    int position = -1;
    UINT positionSize = 0;
    int normal = -1;
    int pointSize = -1;
    int diffuse = -1;
    int specular = -1;
    UINT texCount = 0;
    int tex[8] = {};
    UINT texSize[8] = {};
};

FvfLayout LayoutOf(DWORD fvf) {
    FvfLayout l;
    UINT off = 0;
    const UINT posSize = D3DXGetFVFVertexSize(fvf & D3DFVF_POSITION_MASK);
    if (posSize) {
        l.position = 0;
        l.positionSize = posSize;
        off = posSize;
    }
    if (fvf & D3DFVF_NORMAL) {
        l.normal = static_cast<int>(off);
        off += 12;
    }
    if (fvf & 0x020) {
        l.pointSize = static_cast<int>(off);
        off += 4;
    }
    if (fvf & D3DFVF_DIFFUSE) {
        l.diffuse = static_cast<int>(off);
        off += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        l.specular = static_cast<int>(off);
        off += 4;
    }
    l.texCount = std::min<UINT>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT, 8);
    for (UINT i = 0; i < l.texCount; ++i) {
        static constexpr UINT kFloats[4] = {2, 3, 4, 1};
        l.tex[i] = static_cast<int>(off);
        l.texSize[i] = 4 * kFloats[(fvf >> (16 + 2 * i)) & 3];
        off += l.texSize[i];
    }
    l.stride = off;
    return l;
}

// The result of reordering: everything a mesh holds, built apart so a
// failure leaves the source untouched.
struct Reordered {
    DWORD numVertices = 0;
    std::vector<unsigned char> vertices;
    std::vector<DWORD> indices;
    std::vector<DWORD> attributes;
    std::vector<D3DXATTRIBUTERANGE> table;
    std::vector<DWORD> faceRemap;    // new face -> old face
    std::vector<DWORD> vertexRemap;  // new vertex -> old vertex
    std::vector<DWORD> adjacency;
};

class Mesh final : public ID3DXMesh {
public:
    Mesh(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf)
        : options_(options), fvf_(fvf), stride_(D3DXGetFVFVertexSize(fvf)), numFaces_(numFaces),
          numVertices_(numVertices) {
        vertices_.assign(static_cast<size_t>(numVertices) * stride_, 0);
        indices_.assign(static_cast<size_t>(numFaces) * 3 * IndexSize(), 0);
        attributes_.assign(numFaces, 0);
    }

    DWORD AddRef() override { return ++refs_; }
    DWORD Release() override {
        const DWORD left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    DWORD GetNumFaces() override { return numFaces_; }
    DWORD GetNumVertices() override { return numVertices_; }
    DWORD GetFVF() override { return fvf_; }
    DWORD GetOptions() override { return options_; }
    DWORD GetNumBytesPerVertex() override { return stride_; }

    HRESULT LockVertexBuffer(DWORD, BYTE** data) override {
        return Lock(d3dx::LockTarget::Vertices, vertexLocks_, vertices_.data(), data);
    }
    HRESULT UnlockVertexBuffer() override { return Unlock(vertexLocks_); }
    HRESULT LockIndexBuffer(DWORD, BYTE** data) override {
        return Lock(d3dx::LockTarget::Indices, indexLocks_, indices_.data(), data);
    }
    HRESULT UnlockIndexBuffer() override { return Unlock(indexLocks_); }
    HRESULT LockAttributeBuffer(DWORD, DWORD** data) override {
        BYTE* bytes = nullptr;
        const HRESULT hr = Lock(d3dx::LockTarget::Attributes, attributeLocks_,
                                reinterpret_cast<BYTE*>(attributes_.data()), data ? &bytes : nullptr);
        if (data) *data = reinterpret_cast<DWORD*>(bytes);
        return hr;
    }
    HRESULT UnlockAttributeBuffer() override { return Unlock(attributeLocks_); }

    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) override {
        if (!size) return D3DERR_INVALIDCALL;
        const DWORD count = static_cast<DWORD>(table_.size());
        if (table) std::copy_n(table_.begin(), std::min(*size, count), table);
        *size = count;
        return S_OK;
    }

    HRESULT SetAttributeTable(const D3DXATTRIBUTERANGE* table, DWORD size) override {
        if (size && !table) return D3DERR_INVALIDCALL;
        for (DWORD i = 0; i < size; ++i) {
            const auto& r = table[i];
            if (r.FaceStart > numFaces_ || r.FaceCount > numFaces_ - r.FaceStart || r.VertexStart > numVertices_ ||
                r.VertexCount > numVertices_ - r.VertexStart)
                return D3DERR_INVALIDCALL;
        }
        table_.assign(table, table + size);
        return S_OK;
    }

    HRESULT GenerateAdjacency(float epsilon, DWORD* adjacency) override;
    HRESULT CloneMeshFVF(DWORD options, DWORD fvf, void* device, ID3DXMesh** cloneOut) override;
    HRESULT Optimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                     ID3DXBuffer** vertexRemap, ID3DXMesh** meshOut) override;
    HRESULT OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                            ID3DXBuffer** vertexRemap) override;

    size_t IndexSize() const { return (options_ & D3DXMESH_32BIT) ? 4 : 2; }
    DWORD Index(size_t i) const {
        if (IndexSize() == 4) {
            uint32_t v;
            std::memcpy(&v, indices_.data() + i * 4, 4);
            return v;
        }
        uint16_t v;
        std::memcpy(&v, indices_.data() + i * 2, 2);
        return v;
    }
    void SetIndex(size_t i, DWORD value) {
        if (IndexSize() == 4) {
            const uint32_t v = value;
            std::memcpy(indices_.data() + i * 4, &v, 4);
        } else {
            const uint16_t v = static_cast<uint16_t>(value);
            std::memcpy(indices_.data() + i * 2, &v, 2);
        }
    }
    bool Locked() const { return vertexLocks_ || indexLocks_ || attributeLocks_; }

private:
    HRESULT Reorder(DWORD flags, const DWORD* adjacencyIn, Reordered& out);
    HRESULT Deliver(Reordered& r, DWORD* adjacencyOut, DWORD* faceRemap, ID3DXBuffer** vertexRemap);

    HRESULT Lock(d3dx::LockTarget target, DWORD& count, BYTE* base, BYTE** data) {
        if (data) *data = nullptr;
        if (!data) return D3DERR_INVALIDCALL;
        const auto& hook = d3dx::Hook();
        if (hook && !d3dx::detail::HookBypassed() && hook(this, target)) return E_FAIL;
        ++count;
        *data = base;
        return S_OK;
    }
    static HRESULT Unlock(DWORD& count) {
        if (count == 0) return D3DERR_INVALIDCALL;
        --count;
        return S_OK;
    }

    DWORD refs_ = 1;
    DWORD options_;
    DWORD fvf_;
    DWORD stride_;
    DWORD numFaces_;
    DWORD numVertices_;
    std::vector<unsigned char> vertices_;
    std::vector<unsigned char> indices_;
    std::vector<DWORD> attributes_;
    std::vector<D3DXATTRIBUTERANGE> table_;
    DWORD vertexLocks_ = 0;
    DWORD indexLocks_ = 0;
    DWORD attributeLocks_ = 0;
};

bool ValidCounts(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf) {
    if (numFaces == 0 || numVertices == 0) return false;
    if (numFaces > d3dx::kMaxMeshFaces || numVertices > d3dx::kMaxMeshVertices) return false;
    if (!(options & D3DXMESH_32BIT) && numVertices > 0xFFFF) return false;
    return D3DXGetFVFVertexSize(fvf) != 0;
}

Mesh* NewMesh(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf) {
    if (!ValidCounts(numFaces, numVertices, options, fvf)) return nullptr;
    return new (std::nothrow) Mesh(numFaces, numVertices, options, fvf);
}

float ReadFloat(const unsigned char* p) {
    float f;
    std::memcpy(&f, p, 4);
    return f;
}

// Key of a position for exact matching: -0 and +0 are the same point.
uint32_t PositionBits(float f) {
    if (f == 0.0f) return 0u;
    uint32_t u;  // std::bit_cast is missing from the browser build's libc++
    std::memcpy(&u, &f, sizeof u);
    return u;
}

// One representative vertex per distinct position: exact bits (with -0 as
// +0) when epsilon is not above 0, else within epsilon on every axis.
template <typename Position>
std::vector<DWORD> PositionRepresentatives(DWORD count, float epsilon, Position pos) {
    std::vector<DWORD> rep(count);
    if (!(epsilon > 0.0f)) {
        struct KeyHash {
            size_t operator()(const std::array<uint32_t, 3>& k) const {
                return (size_t(k[0]) * 0x9E3779B1u) ^ (size_t(k[1]) * 0x85EBCA77u) ^ (size_t(k[2]) * 0xC2B2AE3Du);
            }
        };
        std::unordered_map<std::array<uint32_t, 3>, DWORD, KeyHash> first;
        first.reserve(count);
        for (DWORD v = 0; v < count; ++v) {
            const std::array<uint32_t, 3> key{PositionBits(pos(v, 0)), PositionBits(pos(v, 1)),
                                              PositionBits(pos(v, 2))};
            rep[v] = first.emplace(key, v).first->second;
        }
        return rep;
    }
    std::vector<DWORD> order(count);
    for (DWORD v = 0; v < count; ++v) order[v] = v;
    // NaNs sort last and match nothing, keeping the order strict.
    auto sortKey = [&](DWORD v) {
        const float x = pos(v, 0);
        return std::isnan(x) ? std::numeric_limits<float>::infinity() : x;
    };
    std::stable_sort(order.begin(), order.end(), [&](DWORD a, DWORD b) { return sortKey(a) < sortKey(b); });
    auto near = [&](DWORD v, DWORD w) {
        return std::fabs(pos(v, 1) - pos(w, 1)) <= epsilon && std::fabs(pos(v, 2) - pos(w, 2)) <= epsilon;
    };
    for (size_t i = 0; i < order.size(); ++i) {
        const DWORD v = order[i];
        rep[v] = v;
        for (size_t j = i; j-- > 0;) {
            const DWORD w = order[j];
            if (!(pos(v, 0) - pos(w, 0) <= epsilon)) break;
            if (near(v, w)) {
                rep[v] = rep[w];
                break;
            }
        }
    }
    return rep;
}

// An edge of a face between two representative points.
struct EdgeRef {
    uint64_t key;
    uint32_t forward;  // 1 when the edge runs from the lower to the higher point
    uint32_t slot;     // face * 3 + edge
};

// Pairs each edge (sorted by key, then slot) with one oppositely wound edge
// over the same points on another face.
void PairEdges(const std::vector<EdgeRef>& edges, DWORD* adjacency) {
    std::vector<uint32_t> fwd, bwd;
    for (size_t i = 0; i < edges.size();) {
        size_t j = i;
        while (j < edges.size() && edges[j].key == edges[i].key) ++j;
        fwd.clear();
        bwd.clear();
        for (size_t k = i; k < j; ++k) (edges[k].forward ? fwd : bwd).push_back(edges[k].slot);
        for (size_t k = 0; k < fwd.size() && k < bwd.size(); ++k) {
            if (fwd[k] / 3 == bwd[k] / 3) continue;
            adjacency[fwd[k]] = bwd[k] / 3;
            adjacency[bwd[k]] = fwd[k] / 3;
        }
        i = j;
    }
}

}  // namespace

HRESULT Mesh::GenerateAdjacency(float epsilon, DWORD* adjacency) {
    if (!adjacency) return D3DERR_INVALIDCALL;
    const FvfLayout layout = LayoutOf(fvf_);
    if (layout.position < 0) return E_FAIL;

    // 1. One representative per distinct position.
    auto pos = [&](DWORD v, int axis) { return ReadFloat(vertices_.data() + size_t(v) * stride_ + 4 * axis); };
    const std::vector<DWORD> rep = PositionRepresentatives(numVertices_, epsilon, pos);

    // 2. Pair each edge with one oppositely wound edge over the same points.
    std::vector<EdgeRef> edges;
    edges.reserve(size_t(numFaces_) * 3);
    for (DWORD f = 0; f < numFaces_; ++f) {
        for (DWORD e = 0; e < 3; ++e) {
            adjacency[3 * f + e] = D3DX_NO_NEIGHBOR;
            const DWORD i0 = Index(3 * size_t(f) + e), i1 = Index(3 * size_t(f) + (e + 1) % 3);
            if (i0 >= numVertices_ || i1 >= numVertices_) continue;
            const DWORD a = rep[i0], b = rep[i1];
            if (a == b) continue;
            const uint64_t key = (uint64_t(std::min(a, b)) << 32) | std::max(a, b);
            edges.push_back({key, a < b ? 1u : 0u, 3 * f + e});
        }
    }
    std::sort(edges.begin(), edges.end(),
              [](const EdgeRef& x, const EdgeRef& y) { return x.key != y.key ? x.key < y.key : x.slot < y.slot; });
    PairEdges(edges, adjacency);
    return S_OK;
}

HRESULT Mesh::CloneMeshFVF(DWORD options, DWORD fvf, void*, ID3DXMesh** cloneOut) {
    if (!cloneOut) return D3DERR_INVALIDCALL;
    *cloneOut = nullptr;
    Mesh* clone = NewMesh(numFaces_, numVertices_, options, fvf);
    if (!clone) return E_FAIL;

    const FvfLayout src = LayoutOf(fvf_);
    const FvfLayout dst = LayoutOf(fvf);
    for (DWORD v = 0; v < numVertices_; ++v) {
        const unsigned char* s = vertices_.data() + size_t(v) * src.stride;
        unsigned char* d = clone->vertices_.data() + size_t(v) * dst.stride;
        auto copy = [&](int so, int dOff, UINT n) {
            if (so >= 0 && dOff >= 0) std::memcpy(d + dOff, s + so, n);
        };
        copy(src.position, dst.position, std::min(src.positionSize, dst.positionSize));
        copy(src.normal, dst.normal, 12);
        copy(src.pointSize, dst.pointSize, 4);
        copy(src.diffuse, dst.diffuse, 4);
        copy(src.specular, dst.specular, 4);
        for (UINT t = 0; t < src.texCount && t < dst.texCount; ++t)
            copy(src.tex[t], dst.tex[t], std::min(src.texSize[t], dst.texSize[t]));
    }
    for (size_t i = 0; i < size_t(numFaces_) * 3; ++i) clone->SetIndex(i, Index(i));
    clone->attributes_ = attributes_;
    clone->table_ = table_;
    *cloneOut = clone;
    return S_OK;
}

namespace {

using FaceRange = std::pair<size_t, size_t>;  // [begin, end) in new faces

// The runs of like attribute ids over the new face order (one run of every
// face without a sort).
std::vector<FaceRange> AttributeRanges(const std::vector<DWORD>& faceRemap, const std::vector<DWORD>& attributes,
                                       bool sortFaces) {
    const size_t nf = faceRemap.size();
    std::vector<FaceRange> ranges;
    if (!sortFaces) {
        ranges.emplace_back(0, nf);
        return ranges;
    }
    for (size_t f = 0; f < nf;) {
        size_t g = f;
        while (g < nf && attributes[faceRemap[g]] == attributes[faceRemap[f]]) ++g;
        ranges.emplace_back(f, g);
        f = g;
    }
    return ranges;
}

// Every vertex kept in place; the faces in their new order.
void KeepVertices(Reordered& r, const std::vector<DWORD>& idx, DWORD numVertices) {
    for (DWORD v = 0; v < numVertices; ++v) r.vertexRemap.push_back(v);
    for (size_t f = 0; f < r.faceRemap.size(); ++f)
        for (size_t c = 0; c < 3; ++c) r.indices[3 * f + c] = idx[3 * r.faceRemap[f] + c];
}

// Each range gets its own contiguous run of vertices in order of first use
// (a vertex used by two ranges is duplicated).
void VerticesPerRange(Reordered& r, const std::vector<DWORD>& idx, DWORD numVertices,
                      const std::vector<FaceRange>& ranges) {
    std::vector<DWORD> newIndex(numVertices, D3DX_NO_NEIGHBOR);
    std::vector<DWORD> stamp(numVertices, D3DX_NO_NEIGHBOR);
    for (size_t ri = 0; ri < ranges.size(); ++ri) {
        for (size_t f = ranges[ri].first; f < ranges[ri].second; ++f) {
            for (size_t c = 0; c < 3; ++c) {
                const DWORD old = idx[3 * r.faceRemap[f] + c];
                if (stamp[old] != ri) {
                    stamp[old] = static_cast<DWORD>(ri);
                    newIndex[old] = static_cast<DWORD>(r.vertexRemap.size());
                    r.vertexRemap.push_back(old);
                }
                r.indices[3 * f + c] = newIndex[old];
            }
        }
    }
}

// Unused vertices dropped, the rest in their order.
void CompactVertices(Reordered& r, const std::vector<DWORD>& idx, DWORD numVertices) {
    std::vector<DWORD> newIndex(numVertices, D3DX_NO_NEIGHBOR);
    std::vector<DWORD> stamp(numVertices, D3DX_NO_NEIGHBOR);
    for (DWORD i : idx) stamp[i] = 0;
    for (DWORD v = 0; v < numVertices; ++v) {
        if (stamp[v] == 0) {
            newIndex[v] = static_cast<DWORD>(r.vertexRemap.size());
            r.vertexRemap.push_back(v);
        }
    }
    for (size_t f = 0; f < r.faceRemap.size(); ++f)
        for (size_t c = 0; c < 3; ++c) r.indices[3 * f + c] = newIndex[idx[3 * r.faceRemap[f] + c]];
}

// The attribute table of the sorted faces: each range with the vertices it uses.
void BuildAttributeTable(Reordered& r, const std::vector<FaceRange>& ranges) {
    for (const auto& [begin, end] : ranges) {
        DWORD lo = D3DX_NO_NEIGHBOR, hi = 0;
        for (size_t i = begin * 3; i < end * 3; ++i) {
            lo = std::min(lo, r.indices[i]);
            hi = std::max(hi, r.indices[i]);
        }
        r.table.push_back(
            {r.attributes[begin], static_cast<DWORD>(begin), static_cast<DWORD>(end - begin), lo, hi - lo + 1});
    }
}

// The old faces' neighbours, named by their new places.
void RemapAdjacency(Reordered& r, const std::vector<DWORD>& adjacency) {
    const size_t nf = r.faceRemap.size();
    std::vector<DWORD> oldToNew(nf);
    for (size_t f = 0; f < nf; ++f) oldToNew[r.faceRemap[f]] = static_cast<DWORD>(f);
    r.adjacency.resize(nf * 3);
    for (size_t f = 0; f < nf; ++f) {
        for (size_t e = 0; e < 3; ++e) {
            const DWORD n = adjacency[3 * r.faceRemap[f] + e];
            r.adjacency[3 * f + e] = n < nf ? oldToNew[n] : D3DX_NO_NEIGHBOR;
        }
    }
}

}  // namespace

HRESULT Mesh::Reorder(DWORD flags, const DWORD* adjacencyIn, Reordered& r) {
    const size_t nf = numFaces_;
    std::vector<DWORD> idx(nf * 3);
    for (size_t i = 0; i < idx.size(); ++i) {
        idx[i] = Index(i);
        if (idx[i] >= numVertices_) return E_FAIL;
    }

    std::vector<DWORD> adjacency(nf * 3);
    if (adjacencyIn) {
        std::copy_n(adjacencyIn, nf * 3, adjacency.begin());
    } else if (FAILED(GenerateAdjacency(0.0f, adjacency.data()))) {
        return E_FAIL;
    }

    const bool sortFaces = (flags & (D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE | D3DXMESHOPT_STRIPREORDER)) != 0;
    const bool keepVertices = (flags & D3DXMESHOPT_IGNOREVERTS) != 0;
    const bool compact = (flags & D3DXMESHOPT_COMPACT) != 0 || sortFaces;

    // Faces: stable order by attribute id.
    r.faceRemap.resize(nf);
    for (size_t f = 0; f < nf; ++f) r.faceRemap[f] = static_cast<DWORD>(f);
    if (sortFaces)
        std::stable_sort(r.faceRemap.begin(), r.faceRemap.end(),
                         [&](DWORD a, DWORD b) { return attributes_[a] < attributes_[b]; });
    const std::vector<FaceRange> ranges = AttributeRanges(r.faceRemap, attributes_, sortFaces);

    // Vertices: with a sort, each range gets its own contiguous run in order
    // of first use; a compaction drops unused vertices and keeps the order
    // of the rest.
    r.indices.resize(nf * 3);
    if (keepVertices || !compact) {
        KeepVertices(r, idx, numVertices_);
    } else if (sortFaces) {
        VerticesPerRange(r, idx, numVertices_, ranges);
    } else {
        CompactVertices(r, idx, numVertices_);
    }
    r.numVertices = static_cast<DWORD>(r.vertexRemap.size());
    if (!ValidCounts(numFaces_, r.numVertices, options_, fvf_)) return E_FAIL;

    r.vertices.resize(size_t(r.numVertices) * stride_);
    for (size_t v = 0; v < r.numVertices; ++v)
        std::memcpy(r.vertices.data() + v * stride_, vertices_.data() + size_t(r.vertexRemap[v]) * stride_, stride_);

    r.attributes.resize(nf);
    for (size_t f = 0; f < nf; ++f) r.attributes[f] = attributes_[r.faceRemap[f]];

    if (sortFaces) BuildAttributeTable(r, ranges);
    RemapAdjacency(r, adjacency);
    return S_OK;
}

HRESULT Mesh::Deliver(Reordered& r, DWORD* adjacencyOut, DWORD* faceRemap, ID3DXBuffer** vertexRemap) {
    if (vertexRemap) {
        *vertexRemap = nullptr;
        ID3DXBuffer* buf = nullptr;
        if (FAILED(D3DXCreateBuffer(static_cast<DWORD>(r.vertexRemap.size() * sizeof(DWORD)), &buf))) return E_FAIL;
        std::memcpy(buf->GetBufferPointer(), r.vertexRemap.data(), r.vertexRemap.size() * sizeof(DWORD));
        *vertexRemap = buf;
    }
    if (adjacencyOut) std::copy(r.adjacency.begin(), r.adjacency.end(), adjacencyOut);
    if (faceRemap) std::copy(r.faceRemap.begin(), r.faceRemap.end(), faceRemap);
    return S_OK;
}

HRESULT Mesh::Optimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                       ID3DXBuffer** vertexRemap, ID3DXMesh** meshOut) {
    if (!meshOut) return D3DERR_INVALIDCALL;
    *meshOut = nullptr;
    if (vertexRemap) *vertexRemap = nullptr;
    Reordered r;
    if (FAILED(Reorder(flags, adjacencyIn, r))) return E_FAIL;
    Mesh* out = NewMesh(numFaces_, r.numVertices, options_, fvf_);
    if (!out) return E_FAIL;
    out->vertices_ = std::move(r.vertices);
    for (size_t i = 0; i < r.indices.size(); ++i) out->SetIndex(i, r.indices[i]);
    out->attributes_ = r.attributes;
    out->table_ = r.table;
    if (FAILED(Deliver(r, adjacencyOut, faceRemap, vertexRemap))) {
        out->Release();
        return E_FAIL;
    }
    *meshOut = out;
    return S_OK;
}

HRESULT Mesh::OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                              ID3DXBuffer** vertexRemap) {
    if (vertexRemap) *vertexRemap = nullptr;
    if (Locked()) return D3DERR_INVALIDCALL;
    Reordered r;
    if (FAILED(Reorder(flags, adjacencyIn, r))) return E_FAIL;
    if (FAILED(Deliver(r, adjacencyOut, faceRemap, vertexRemap))) return E_FAIL;
    numVertices_ = r.numVertices;
    vertices_ = std::move(r.vertices);
    for (size_t i = 0; i < r.indices.size(); ++i) SetIndex(i, r.indices[i]);
    attributes_ = std::move(r.attributes);
    table_ = std::move(r.table);
    return S_OK;
}

HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, void*, ID3DXMesh** meshOut) {
    if (!meshOut) return D3DERR_INVALIDCALL;
    *meshOut = NewMesh(numFaces, numVertices, options, fvf);
    return *meshOut ? S_OK : E_FAIL;
}
