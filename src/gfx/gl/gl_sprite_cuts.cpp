// Blended sprite draws whose texture is opaque or clear in places, sent in
// runs with and without blending.
#include "gfx/gl/gl_device.h"
#include "gfx/gl/gl_api.h"
#include "gfx/gl/gl_resources.h"

#include <algorithm>

namespace gfx {

// A blended sprite draw whose texture has opaque regions: triangles that
// show only opaque texels under opaque vertices are drawn without blending
// (source alpha 1 replaces the target exactly, so no pixel changes), the
// rest as asked, in their order; large quads opaque or clear in part are
// cut first (PlanQuadCuts). Returns false when the draw does not qualify or
// holds nothing to draw another way; the caller then draws it whole.
bool GlDevice::DrawOpaqueRunsStraight(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    constexpr DWORD kSpriteFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
    static_assert(sizeof(SpriteVertexView) == 28);
    if (type != D3DPT_TRIANGLELIST || state_.fvf() != kSpriteFvf || state_.stride() != sizeof(SpriteVertexView))
        return false;
    // Texture x diffuse, no alpha test.
    if (current_ != ShaderVariant::Modulate || state_.texture(0) == nullptr) return false;
    if (state_.renderState(D3DRS_ALPHABLENDENABLE) == 0) return false;
    const DWORD src = state_.renderState(D3DRS_SRCBLEND), dst = state_.renderState(D3DRS_DESTBLEND);
    if (!(src == D3DBLEND_SRCALPHA && dst == D3DBLEND_INVSRCALPHA) && src != kBlendBothSrcAlpha) return false;
    const auto* texture = static_cast<GlTexture*>(state_.texture(0));
    if (!texture->opacity().anyOpaque() && !texture->opacity().anyClear()) return false;
    // Lower mip levels are not mapped; they are only read with mip filtering.
    if (texture->LevelCount() > 1 && state_.stageState(0, D3DTSS_MIPFILTER) != D3DTEXF_NONE) return false;

    const auto* vertices =
        reinterpret_cast<const SpriteVertexView*>(static_cast<GlVertexBuffer*>(state_.stream())->store().data() +
                                                  static_cast<std::size_t>(startVertex) * state_.stride());
    if (PlanQuadCuts(texture->opacity(), vertices, primitiveCount, cuts_)) {
        DrawCutQuads();
        return true;
    }
    bool split = false;
    SplitOpaqueRuns(
        texture->opacity(), vertices, primitiveCount, 2, [&](std::uint32_t first, std::uint32_t count, bool opaque) {
            if (!split && !opaque && count == primitiveCount) return;  // nothing opaque
            split = true;
            SetBlend(!opaque);
            if (opaque) counters_.opaqueTriangles += count;
            ++counters_.apiDraws;
            glDrawArrays(GL_TRIANGLES, static_cast<GLint>(startVertex + 3 * first), static_cast<GLsizei>(3 * count));
        });
    SetBlend(true);  // the device state says blend; keep GL in step with it
    return split;
}

// The runs of cuts_, through a buffer of the device's own laid out as the
// sprite stream.
void GlDevice::DrawCutQuads() {
    counters_.clearTriangles += cuts_.clearTriangles;
    const std::size_t bytes = cuts_.vertices.size() * sizeof(SpriteVertexView);
    if (cutBuffer_ == 0) glGenBuffers(1, &cutBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, cutBuffer_);
    if (bytes > cutBufferBytes_) cutBufferBytes_ = std::max<std::size_t>(bytes, 64 * 1024);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(cutBufferBytes_), nullptr, GL_STREAM_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes), cuts_.vertices.data());
    constexpr GLsizei kStride = sizeof(SpriteVertexView);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<const void*>(0));
    glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, kStride, reinterpret_cast<const void*>(16));
    glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<const void*>(20));
    gl_.layoutBuffer = cutBuffer_;  // the next draw points the attributes back
    for (const QuadCutRun& r : cuts_.runs) {
        SetBlend(!r.opaque);
        if (r.opaque) counters_.opaqueTriangles += r.count / 3;
        ++counters_.apiDraws;
        glDrawArrays(GL_TRIANGLES, static_cast<GLint>(r.first), static_cast<GLsizei>(r.count));
    }
    SetBlend(true);
}

}  // namespace gfx
