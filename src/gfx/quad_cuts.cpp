#include "gfx/quad_cuts.h"

#include <algorithm>
#include <cstring>

namespace gfx {

bool AxisQuad(const SpriteVertexView* v) {
    auto same = [](const SpriteVertexView& a, const SpriteVertexView& b) {
        // Bit for bit on purpose: a quad's shared corners are copies of one
        // vertex, and only an exact copy (the sign of a zero included) cuts
        // into the same pixels.
        return std::memcmp(&a, &b, sizeof a) == 0;  // NOLINT(bugprone-suspicious-memory-comparison)
    };
    return same(v[2], v[3]) && same(v[1], v[4]) && v[0].y == v[1].y && v[0].x == v[2].x && v[5].x == v[1].x &&
        v[5].y == v[2].y && v[0].v == v[1].v && v[0].u == v[2].u && v[5].u == v[1].u && v[5].v == v[2].v &&
        v[1].x > v[0].x && v[2].y > v[0].y && v[0].diffuse == v[1].diffuse && v[0].diffuse == v[2].diffuse &&
        v[0].diffuse == v[5].diffuse && v[0].z == v[5].z && v[0].rhw == v[5].rhw && v[0].z == v[1].z &&
        v[0].z == v[2].z && v[0].rhw == v[1].rhw && v[0].rhw == v[2].rhw;
}

namespace {

// The quad at q, when it is large, square to the screen and not opaque whole:
// only such quads are cut.
bool Candidate(const TexelOpacity& map, const SpriteVertexView* q) {
    return (q[5].x - q[0].x) * (q[5].y - q[0].y) >= kLargeQuad && AxisQuad(q) &&
        !(OpaqueTriangle(map, q) && OpaqueTriangle(map, q + 3));
}

// What the cell [x0, x1] x [y0, y1] of quad q shows. Opaque cells need
// opaque vertices; clear ones take any.
QuadPiece::Kind CellKind(const TexelOpacity& map, const SpriteVertexView* q, float x0, float x1, float y0, float y1) {
    const float w = q[5].x - q[0].x, h = q[5].y - q[0].y;
    const float u0 = q[0].u + (x0 - q[0].x) / w * (q[5].u - q[0].u);
    const float u1 = q[0].u + (x1 - q[0].x) / w * (q[5].u - q[0].u);
    const float v0 = q[0].v + (y0 - q[0].y) / h * (q[5].v - q[0].v);
    const float v1 = q[0].v + (y1 - q[0].y) / h * (q[5].v - q[0].v);
    if ((q[0].diffuse >> 24) == 0xFFu && map.OpaqueBox(u0, v0, u1, v1)) return QuadPiece::kOpaque;
    return map.ClearBox(u0, v0, u1, v1) ? QuadPiece::kClear : QuadPiece::kBlended;
}

// Appends the runs of like cells of the row [y0, y1] of quad q. True when a
// cell of the row is opaque or clear.
bool CutRow(const TexelOpacity& map, const SpriteVertexView* q, float y0, float y1, std::vector<QuadPiece>& pieces) {
    float start = q[0].x;
    QuadPiece::Kind startKind = CellKind(map, q, start, std::min(start + kQuadCell, q[5].x), y0, y1);
    bool cut = startKind != QuadPiece::kBlended;
    for (float x = q[0].x + kQuadCell; x < q[5].x; x += kQuadCell) {
        const QuadPiece::Kind kind = CellKind(map, q, x, std::min(x + kQuadCell, q[5].x), y0, y1);
        if (kind == startKind) continue;
        cut = true;  // the run changes, so one of the two is opaque or clear
        pieces.push_back({start, x, y0, y1, startKind});
        start = x;
        startKind = kind;
    }
    pieces.push_back({start, q[5].x, y0, y1, startKind});
    return cut;
}

// True when the pieces from `row` on are cut as those of [above, row) are.
bool SameCut(const std::vector<QuadPiece>& pieces, std::size_t above, std::size_t row) {
    const std::size_t n = pieces.size() - row;
    if (row == 0 || row - above != n) return false;
    for (std::size_t k = 0; k < n; ++k) {
        const QuadPiece &a = pieces[above + k], &b = pieces[row + k];
        if (a.x0 != b.x0 || a.x1 != b.x1 || a.kind != b.kind) return false;
    }
    return true;
}

// Quad q's pieces, row by row. A row cut as the row above lengthens that
// row's pieces instead, so an opaque panel goes as a few tall pieces. True
// when a cell is opaque or clear.
bool CutQuad(const TexelOpacity& map, const SpriteVertexView* q, std::vector<QuadPiece>& pieces) {
    pieces.clear();
    bool cut = false;
    std::size_t above = 0;  // the first piece of the row above
    for (float y = q[0].y; y < q[5].y; y += kQuadCell) {
        const float y1 = std::min(y + kQuadCell, q[5].y);
        const std::size_t row = pieces.size();
        cut = CutRow(map, q, y, y1, pieces) || cut;
        if (SameCut(pieces, above, row)) {
            for (std::size_t k = above; k < row; ++k) pieces[k].y1 = y1;
            pieces.resize(row);
        } else {
            above = row;
        }
    }
    return cut;
}

void Add(QuadCuts& out, const SpriteVertexView* tri, std::uint32_t triangles, bool opaque) {
    const auto first = static_cast<std::uint32_t>(out.vertices.size());
    out.vertices.insert(out.vertices.end(), tri, tri + 3 * static_cast<std::size_t>(triangles));
    if (!out.runs.empty() && out.runs.back().opaque == opaque) {
        out.runs.back().count += 3 * triangles;
    } else {
        out.runs.push_back({first, 3 * triangles, opaque});
    }
}

// Piece p of quad q as two triangles, with the coordinates the whole quad
// gives its corners.
void AddPiece(QuadCuts& out, const SpriteVertexView* q, const QuadPiece& p) {
    const float w = q[5].x - q[0].x, h = q[5].y - q[0].y;
    auto at = [&](float x, float y) {
        SpriteVertexView c = q[0];
        c.x = x;
        c.y = y;
        c.u = x == q[0].x ? q[0].u : x == q[5].x ? q[5].u : q[0].u + (x - q[0].x) / w * (q[5].u - q[0].u);
        c.v = y == q[0].y ? q[0].v : y == q[5].y ? q[5].v : q[0].v + (y - q[0].y) / h * (q[5].v - q[0].v);
        return c;
    };
    const SpriteVertexView tl = at(p.x0, p.y0), tr = at(p.x1, p.y0), bl = at(p.x0, p.y1), br = at(p.x1, p.y1);
    const SpriteVertexView corners[6] = {tl, tr, bl, bl, tr, br};
    Add(out, corners, 2, p.kind == QuadPiece::kOpaque);
}

}  // namespace

bool PlanQuadCuts(const TexelOpacity& map, const SpriteVertexView* v, std::uint32_t triangles, QuadCuts& out) {
    out.vertices.clear();
    out.runs.clear();
    out.clearTriangles = 0;
    // One pass: each candidate quad's cells are tested once, its pieces kept
    // aside until a cell proves opaque or clear. The triangles before it go
    // in whole (each opaque or not) once a quad is cut, so a draw with
    // nothing to cut copies nothing.
    bool any = false;
    std::uint32_t pending = 0;  // the first triangle not yet in out.vertices
    auto flush = [&](std::uint32_t end) {
        for (; pending < end; ++pending) {
            const SpriteVertexView* tri = v + 3 * static_cast<std::size_t>(pending);
            Add(out, tri, 1, OpaqueTriangle(map, tri));
        }
    };
    for (std::uint32_t t = 0; t + 1 < triangles; ++t) {
        const SpriteVertexView* q = v + 3 * static_cast<std::size_t>(t);
        if (!Candidate(map, q) || !CutQuad(map, q, out.pieces)) continue;
        any = true;
        flush(t);
        // The pieces of one quad never overlap, so the opaque ones may all
        // go first: one blend switch a quad rather than two a row. Clear
        // pieces are left out.
        for (const QuadPiece::Kind kind : {QuadPiece::kOpaque, QuadPiece::kBlended})
            for (const QuadPiece& p : out.pieces)
                if (p.kind == kind) AddPiece(out, q, p);
        for (const QuadPiece& p : out.pieces)
            if (p.kind == QuadPiece::kClear) out.clearTriangles += 2;
        pending = t + 2;
        ++t;  // the quad's second triangle went with it
    }
    if (!any) return false;
    flush(triangles);
    return true;
}

}  // namespace gfx
