// The GL device: start-up and shut-down, resources, capabilities and draws.
#include "gfx/gl/gl_device.h"
#include "gfx/gl/gl_api.h"
#include "gfx/gl/gl_resources.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace gfx {

namespace {

GLenum PrimitiveMode(D3DPRIMITIVETYPE type) {
    switch (type) {
        case D3DPT_POINTLIST: return GL_POINTS;
        case D3DPT_LINELIST: return GL_LINES;
        case D3DPT_LINESTRIP: return GL_LINE_STRIP;
        case D3DPT_TRIANGLELIST: return GL_TRIANGLES;
        case D3DPT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
        case D3DPT_TRIANGLEFAN: return GL_TRIANGLE_FAN;
    }
    return GL_TRIANGLES;
}

}  // namespace

GlDevice::GlDevice(SizeFunction drawableSize, SwapFunction swap)
    : drawableSize_(std::move(drawableSize)), swap_(std::move(swap)), alive_(std::make_shared<bool>(true)) {
    int w = 0, h = 0;
    if (drawableSize_) drawableSize_(w, h);
    if (w > 0 && h > 0) {
        width_ = static_cast<std::uint32_t>(w);
        height_ = static_cast<std::uint32_t>(h);
    }
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    adapter_ = std::string(renderer ? renderer : "OpenGL") + " (" + (version ? version : "?") + ")";

    profile_ = CurrentGlIsEs() ? GlProfile::Es30 : GlProfile::Core33;
    if (!BuildGlPrograms(profile_, programs_, error_)) return;
    glGenVertexArrays(1, &vao_);
    glBindVertexArray(vao_);
    glGenSamplers(1, &sampler_);
    glBindSampler(0, sampler_);
    glGenSamplers(1, &sampler1_);
    glBindSampler(1, sampler1_);
    glActiveTexture(GL_TEXTURE0);
    for (std::size_t v = 0; v < kShaderVariants; ++v) {
        glUseProgram(programs_.program[v]);
        glUniform1i(programs_.uniforms[v].tex, 0);
        if (programs_.uniforms[v].tex1 >= 0) glUniform1i(programs_.uniforms[v].tex1, 1);
    }
    current_ = static_cast<ShaderVariant>(kShaderVariants - 1);  // the last one used above
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    GLint depthType = GL_NONE, depthBits = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &depthType);
    if (depthType != GL_NONE)
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE,
                                              &depthBits);
    windowDepth_ = depthBits > 0;
}

GlDevice::~GlDevice() {
    state_.Reset();  // what it holds goes while GL is still there
    if (depthFbo_) glDeleteFramebuffers(1, &depthFbo_);
    if (depthColor_) glDeleteRenderbuffers(1, &depthColor_);
    if (depthBuffer_) glDeleteRenderbuffers(1, &depthBuffer_);
    if (repeatFbo_) glDeleteFramebuffers(1, &repeatFbo_);
    if (repeatTexture_) glDeleteTextures(1, &repeatTexture_);
    if (repeatSampler_) glDeleteSamplers(1, &repeatSampler_);
    if (sampler_) glDeleteSamplers(1, &sampler_);
    if (sampler1_) glDeleteSamplers(1, &sampler1_);
    if (cutBuffer_) glDeleteBuffers(1, &cutBuffer_);
    if (vao_) glDeleteVertexArrays(1, &vao_);
    DeleteGlPrograms(programs_);
    // Resources the game still holds must not touch GL any more.
    *alive_ = false;
}

HRESULT GlDevice::GetDeviceCaps(D3DCAPS8* caps) {
    if (caps == nullptr) return Invalid();
    GLint maxSize = 2048;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    // DUSKWHIRL_GL_STAGES=1 hides the second stage, so the one-stage way of
    // drawing can be seen (and compared) on this device too.
    const char* stages = std::getenv("DUSKWHIRL_GL_STAGES");
    FillCaps(*caps, static_cast<DWORD>(maxSize), stages != nullptr && std::strcmp(stages, "1") == 0 ? 1 : 2);
    return S_OK;
}

Texture* GlDevice::NewTexture(UINT width, UINT height, UINT levels, D3DFORMAT format, D3DPOOL) {
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    auto* texture =
        new GlTexture(alive_, width, height, levels, format == D3DFMT_X8R8G8B8, profile_ == GlProfile::Core33);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    // A deleted texture unbinds itself and its name may come back here.
    gl_.texture = gl_.texture1 = 0xFFFFFFFFu;
    return texture;
}

VertexBuffer* GlDevice::NewVertexBuffer(UINT length, D3DPOOL) {
    // A new buffer may reuse the name of one deleted since.
    gl_.layoutBuffer = 0xFFFFFFFFu;
    return new GlVertexBuffer(alive_, length);
}

IndexBuffer* GlDevice::NewIndexBuffer(UINT length, D3DFORMAT format, D3DPOOL) {
    return new GlIndexBuffer(alive_, length, format);
}

HRESULT GlDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    const std::uint32_t count = state_.CheckDraw(type, startVertex, primitiveCount);
    if (count == 0 || !PrepareDraw()) return Invalid();
    if (!drawingSkipped_ && !DrawRepeated(PrimitiveMode(type), startVertex, count) &&
        !DrawOpaqueRunsStraight(type, startVertex, primitiveCount)) {
        ++counters_.apiDraws;
        glDrawArrays(PrimitiveMode(type), static_cast<GLint>(startVertex), static_cast<GLsizei>(count));
    }
    ++counters_.draws;
    counters_.vertices += count;
    return S_OK;
}

// A draw of the two-stage build whose picture repeats: its own program
// paints the repeat square into the repeat texture, through a viewport moved
// so that the square lands on it (the rest is clipped away), and the Repeat
// build then fills all the draw covers from that texture. Only where window
// pixels are back-buffer pixels, and without blending or depth, so that the
// copy is the picture the draw would have made.
bool GlDevice::DrawRepeated(unsigned mode, UINT startVertex, UINT count) {
    const RepeatSquare r = repeat_;
    if (r.size == 0 || current_ != ShaderVariant::StageOneBlend) return false;
    if (pictureW_ != static_cast<int>(width_) || pictureH_ != static_cast<int>(height_)) return false;
    if (r.x > width_ || r.size > width_ - r.x || r.y > height_ || r.size > height_ - r.y) return false;
    if (state_.renderState(D3DRS_ALPHABLENDENABLE) != 0 || state_.renderState(D3DRS_ZENABLE) != 0) return false;
    if (!RepeatTargetOf(r.size)) return false;
    // The square's lower left corner in window pixels (GL rows run up).
    const int cornerX = pictureX_ + static_cast<int>(r.x);
    const int cornerY = pictureY_ + static_cast<int>(height_ - r.y - r.size);
    const auto first = static_cast<GLint>(startVertex);
    const auto n = static_cast<GLsizei>(count);
    glBindFramebuffer(GL_FRAMEBUFFER, repeatFbo_);
    glViewport(pictureX_ - cornerX, pictureY_ - cornerY, pictureW_, pictureH_);
    glDrawArrays(mode, first, n);
    glBindFramebuffer(GL_FRAMEBUFFER, offscreen_ ? depthFbo_ : 0);
    glViewport(pictureX_, pictureY_, pictureW_, pictureH_);

    current_ = ShaderVariant::Repeat;
    glUseProgram(programs_[current_]);
    dirtyTransforms_ = dirtyStage_ = dirtyLighting_ = true;
    ApplyUniforms();
    glUniform3f(programs_.of(current_).repeat, static_cast<float>(cornerX), static_cast<float>(cornerY),
                1.0f / static_cast<float>(r.size));
    glBindTexture(GL_TEXTURE_2D, repeatTexture_);
    gl_.texture = repeatTexture_;
    // Its own sampler: nearest and wrapping (integer arithmetic in the
    // shader would cost a software renderer more than the read it saves).
    glBindSampler(0, repeatSampler_);
    glDrawArrays(mode, first, n);
    glBindSampler(0, sampler_);
    counters_.apiDraws += 2;
    ++counters_.repeatedDraws;
    return true;
}

HRESULT GlDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                                       UINT primitiveCount) {
    const std::uint32_t count = state_.CheckIndexedDraw(type, minIndex, numVertices, startIndex, primitiveCount);
    // The attributes start at the base vertex, so that index 0 names it.
    if (count == 0 || !PrepareDraw(state_.baseVertexIndex())) return Invalid();
    auto* ib = static_cast<GlIndexBuffer*>(state_.indices());
    ib->store().Bind();  // element binding lives in the vertex array
    const GLenum indexType = ib->IndexSize() == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    if (!drawingSkipped_) {
        ++counters_.apiDraws;
        glDrawElements(PrimitiveMode(type), static_cast<GLsizei>(count), indexType,
                       reinterpret_cast<const void*>(static_cast<std::uintptr_t>(startIndex) * ib->IndexSize()));
    }
    ++counters_.draws;
    counters_.vertices += count;
    return S_OK;
}

}  // namespace gfx
