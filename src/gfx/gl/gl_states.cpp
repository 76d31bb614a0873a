// The GL device's state application: what changed in the device state goes
// to GL before the next draw, and the cheapest fragment build is chosen.
#include "gfx/gl/gl_device.h"
#include "gfx/gl/gl_api.h"
#include "gfx/gl/gl_resources.h"

#include <cstring>

namespace gfx {

namespace {

GLenum BlendFactor(DWORD blend) {
    switch (blend) {
        case D3DBLEND_ZERO: return GL_ZERO;
        case D3DBLEND_ONE: return GL_ONE;
        case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
        case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
        case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
        case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
        case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
        case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
        case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
        case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
        case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    }
    return GL_ONE;
}

GLenum CompareFunc(DWORD f) {
    switch (f) {
        case D3DCMP_NEVER: return GL_NEVER;
        case D3DCMP_LESS: return GL_LESS;
        case D3DCMP_EQUAL: return GL_EQUAL;
        case D3DCMP_LESSEQUAL: return GL_LEQUAL;
        case D3DCMP_GREATER: return GL_GREATER;
        case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
        case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
        case D3DCMP_ALWAYS: return GL_ALWAYS;
    }
    return GL_LEQUAL;
}

// ES 3.0 has no border colour: a border address clamps to the edge there.
GLenum AddressMode(DWORD mode, bool es) {
    switch (mode) {
        case 2: return GL_MIRRORED_REPEAT;
        case 3: return GL_CLAMP_TO_EDGE;
        case 4: return es ? GL_CLAMP_TO_EDGE : GL_CLAMP_TO_BORDER;
        default: return GL_REPEAT;
    }
}

void SetSampler(GLuint sampler, const std::array<DWORD, kStageStateCount>& stage, bool es) {
    const DWORD minF = stage[D3DTSS_MINFILTER], magF = stage[D3DTSS_MAGFILTER];
    const DWORD mipF = stage[D3DTSS_MIPFILTER];
    const bool minLinear = minF >= D3DTEXF_LINEAR;
    GLenum min = minLinear ? GL_LINEAR : GL_NEAREST;
    if (mipF == D3DTEXF_POINT) min = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    if (mipF >= D3DTEXF_LINEAR) min = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(min));
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, magF >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, static_cast<GLint>(AddressMode(stage[D3DTSS_ADDRESSU], es)));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, static_cast<GLint>(AddressMode(stage[D3DTSS_ADDRESSV], es)));
}

// Texture with diffuse (or current, the same at stage 0), no modifiers.
bool TextureAndDiffuse(DWORD a, DWORD b) {
    const bool aTex = a == D3DTA_TEXTURE, bTex = b == D3DTA_TEXTURE;
    const bool aDif = a == D3DTA_DIFFUSE || a == D3DTA_CURRENT;
    const bool bDif = b == D3DTA_DIFFUSE || b == D3DTA_CURRENT;
    return (aTex && bDif) || (aDif && bTex);
}

void Toggle(GLenum capability, bool on) { on ? glEnable(capability) : glDisable(capability); }

}  // namespace

void GlDevice::StateChanged(StateKind kind, DWORD stage, DWORD which) {
    switch (kind) {
        case StateKind::RenderState:
            switch (which) {
                case D3DRS_LIGHTING:
                case D3DRS_AMBIENT:
                case D3DRS_DIFFUSEMATERIALSOURCE:
                case D3DRS_AMBIENTMATERIALSOURCE:
                case D3DRS_EMISSIVEMATERIALSOURCE:
                case D3DRS_COLORVERTEX: dirtyLighting_ = true; break;
                case D3DRS_ALPHATESTENABLE:
                case D3DRS_ALPHAREF:
                case D3DRS_ALPHAFUNC: dirtyStage_ = true; break;
                default: dirtyStates_ = true;
            }
            return;
        case StateKind::StageState:
            // Two stages are all the game uses; stage 1 is read at each draw
            // but for its sampler.
            if (stage == 1 && which >= D3DTSS_ADDRESSU && which <= D3DTSS_MIPFILTER) dirtySampler1_ = true;
            if (stage != 0) return;
            switch (which) {
                case D3DTSS_ADDRESSU:
                case D3DTSS_ADDRESSV:
                case D3DTSS_MAGFILTER:
                case D3DTSS_MINFILTER:
                case D3DTSS_MIPFILTER: dirtySampler_ = true; break;
                default: dirtyStage_ = true;
            }
            return;
        case StateKind::Transform: dirtyTransforms_ = true; return;
        case StateKind::Material:
        case StateKind::Light: dirtyLighting_ = true; return;
        case StateKind::Stream: dirtyLayout_ = true; return;
        case StateKind::VertexFormat: dirtyLayout_ = dirtyLighting_ = true; return;
        case StateKind::Texture:
        case StateKind::Indices: return;
    }
}

void GlDevice::ApplyRenderStates() {
    GlState& g = gl_;
    const bool depth = state_.renderState(D3DRS_ZENABLE) != 0;
    if (g.depthTest != depth) {
        Toggle(GL_DEPTH_TEST, depth);
        g.depthTest = depth;
    }
    const int mask = state_.renderState(D3DRS_ZWRITEENABLE) != 0;
    if (g.depthMask != mask) {
        glDepthMask(mask ? GL_TRUE : GL_FALSE);
        g.depthMask = mask;
    }
    const GLenum func = CompareFunc(state_.renderState(D3DRS_ZFUNC));
    if (g.depthFunc != func) {
        glDepthFunc(func);
        g.depthFunc = func;
    }
    const bool blend = state_.renderState(D3DRS_ALPHABLENDENABLE) != 0;
    SetBlend(blend);
    if (blend) {
        GLenum src = BlendFactor(state_.renderState(D3DRS_SRCBLEND));
        GLenum dst = BlendFactor(state_.renderState(D3DRS_DESTBLEND));
        // The "both" factors set the pair from the source factor alone.
        if (state_.renderState(D3DRS_SRCBLEND) == kBlendBothSrcAlpha) src = GL_SRC_ALPHA, dst = GL_ONE_MINUS_SRC_ALPHA;
        if (state_.renderState(D3DRS_SRCBLEND) == kBlendBothInvSrcAlpha)
            src = GL_ONE_MINUS_SRC_ALPHA, dst = GL_SRC_ALPHA;
        if (g.blendSrc != src || g.blendDst != dst) {
            glBlendFunc(src, dst);
            g.blendSrc = src;
            g.blendDst = dst;
        }
    }
    // Both judge the winding as it looks on screen: Direct3D's culled
    // counter-clockwise faces are GL's front faces (front = CCW).
    const DWORD cull = state_.renderState(D3DRS_CULLMODE);
    const int cullOn = cull == D3DCULL_CW || cull == D3DCULL_CCW;
    if (g.cull != cullOn) {
        Toggle(GL_CULL_FACE, cullOn);
        g.cull = cullOn;
    }
    if (cullOn) {
        const GLenum face = cull == D3DCULL_CCW ? GL_FRONT : GL_BACK;
        if (g.cullFace != face) {
            glFrontFace(GL_CCW);
            glCullFace(face);
            g.cullFace = face;
        }
    }
}

void GlDevice::SetBlend(bool on) {
    if (gl_.blend != static_cast<int>(on)) {
        Toggle(GL_BLEND, on);
        gl_.blend = on;
    }
}

void GlDevice::ApplyTexture() {
    GlState& g = gl_;
    const GLuint name = state_.texture(0) ? static_cast<GlTexture*>(state_.texture(0))->name() : 0;
    if (g.texture != name) {
        glBindTexture(GL_TEXTURE_2D, name);
        g.texture = name;
    }
    if (dirtySampler_) {
        SetSampler(sampler_, state_.stage(0), profile_ == GlProfile::Es30);
        dirtySampler_ = false;
    }
    if (current_ != ShaderVariant::StageOneBlend) return;  // the only build that reads unit 1
    const GLuint name1 = state_.texture(1) ? static_cast<GlTexture*>(state_.texture(1))->name() : 0;
    if (g.texture1 != name1) {
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, name1);
        glActiveTexture(GL_TEXTURE0);
        g.texture1 = name1;
    }
    if (dirtySampler1_) {
        SetSampler(sampler1_, state_.stage(1), profile_ == GlProfile::Es30);
        dirtySampler1_ = false;
    }
}

void GlDevice::ApplyUniforms() {
    const GlUniforms& u = programs_.of(current_);
    if (dirtyTransforms_) {
        glUniformMatrix4fv(u.world, 1, GL_FALSE, &state_.world().m[0][0]);
        glUniformMatrix4fv(u.view, 1, GL_FALSE, &state_.view().m[0][0]);
        glUniformMatrix4fv(u.proj, 1, GL_FALSE, &state_.projection().m[0][0]);
        glUniform2f(u.targetSize, static_cast<float>(width_), static_cast<float>(height_));
        dirtyTransforms_ = false;
    }
    if (dirtyStage_) {
        ApplyStageUniforms(u);
        dirtyStage_ = false;
    }
    if (dirtyLighting_) {
        ApplyLightingUniforms(u);
        dirtyLighting_ = false;
    }
}

void GlDevice::ApplyStageUniforms(const GlUniforms& u) {
    glUniform1i(u.colorOp, static_cast<GLint>(state_.stageState(0, D3DTSS_COLOROP)));
    glUniform1i(u.colorArg1, static_cast<GLint>(state_.stageState(0, D3DTSS_COLORARG1)));
    glUniform1i(u.colorArg2, static_cast<GLint>(state_.stageState(0, D3DTSS_COLORARG2)));
    glUniform1i(u.alphaOp, static_cast<GLint>(state_.stageState(0, D3DTSS_ALPHAOP)));
    glUniform1i(u.alphaArg1, static_cast<GLint>(state_.stageState(0, D3DTSS_ALPHAARG1)));
    glUniform1i(u.alphaArg2, static_cast<GLint>(state_.stageState(0, D3DTSS_ALPHAARG2)));
    glUniform1i(u.alphaTest, state_.renderState(D3DRS_ALPHATESTENABLE) != 0);
    glUniform1i(u.alphaFunc, static_cast<GLint>(state_.renderState(D3DRS_ALPHAFUNC)));
    glUniform1f(u.alphaRef, static_cast<float>(state_.renderState(D3DRS_ALPHAREF) & 0xFF) / 255.0f);
}

void GlDevice::ApplyLightingUniforms(const GlUniforms& u) {
    const bool pre = (state_.fvf() & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
    const bool colorVertex = state_.renderState(D3DRS_COLORVERTEX) != 0;
    glUniform1i(u.pretransformed, pre);
    glUniform1i(u.lighting, state_.renderState(D3DRS_LIGHTING) != 0);
    glUniform1i(u.hasNormal, (state_.fvf() & D3DFVF_NORMAL) != 0);
    glUniform1i(u.hasColor, (state_.fvf() & D3DFVF_DIFFUSE) != 0);
    glUniform1i(u.hasSpecular, (state_.fvf() & D3DFVF_SPECULAR) != 0);
    auto src = [&](D3DRENDERSTATETYPE s) { return colorVertex ? static_cast<GLint>(state_.renderState(s)) : 0; };
    glUniform1i(u.diffuseSrc, src(D3DRS_DIFFUSEMATERIALSOURCE));
    glUniform1i(u.ambientSrc, src(D3DRS_AMBIENTMATERIALSOURCE));
    glUniform1i(u.emissiveSrc, src(D3DRS_EMISSIVEMATERIALSOURCE));
    glUniform4fv(u.matDiffuse, 1, &state_.material().Diffuse.r);
    glUniform4fv(u.matAmbient, 1, &state_.material().Ambient.r);
    glUniform4fv(u.matEmissive, 1, &state_.material().Emissive.r);
    const DWORD a = state_.renderState(D3DRS_AMBIENT);
    glUniform4f(u.globalAmbient, static_cast<float>((a >> 16) & 0xFF) / 255.0f,
                static_cast<float>((a >> 8) & 0xFF) / 255.0f, static_cast<float>(a & 0xFF) / 255.0f,
                static_cast<float>((a >> 24) & 0xFF) / 255.0f);
    GLint types[kMaxActiveLights] = {};
    float dirs[kMaxActiveLights * 3] = {}, pos[kMaxActiveLights * 3] = {};
    float dif[kMaxActiveLights * 4] = {}, amb[kMaxActiveLights * 4] = {};
    GLint count = 0;
    for (DWORD index : state_.enabledLights()) {
        const D3DLIGHT8& l = state_.light(index);
        types[count] = static_cast<GLint>(l.Type);
        std::memcpy(&dirs[3 * count], &l.Direction, 12);
        std::memcpy(&pos[3 * count], &l.Position, 12);
        std::memcpy(&dif[4 * count], &l.Diffuse, 16);
        std::memcpy(&amb[4 * count], &l.Ambient, 16);
        ++count;
    }
    glUniform1i(u.lightCount, count);
    if (count > 0) {
        glUniform1iv(u.lightType, count, types);
        glUniform3fv(u.lightDir, count, dirs);
        glUniform3fv(u.lightPos, count, pos);
        glUniform4fv(u.lightDiffuse, count, dif);
        glUniform4fv(u.lightAmbient, count, amb);
    }
}

void GlDevice::ApplyVertexLayout(UINT baseVertex) {
    GlState& g = gl_;
    auto& store = static_cast<GlVertexBuffer*>(state_.stream())->store();
    if (!dirtyLayout_ && g.layoutBuffer == store.name() && g.layoutFvf == state_.fvf() &&
        g.layoutStride == state_.stride() && g.layoutBase == baseVertex) {
        return;
    }
    // The attribute pointers remember the buffer bound when they are set.
    store.Bind();
    const auto stride = static_cast<GLsizei>(state_.stride());
    std::uintptr_t offset = static_cast<std::uintptr_t>(baseVertex) * state_.stride();
    // Attribute `loc` from the next `bytes` of the vertex, or the constant
    // `fallback` when the format has none.
    auto attribute = [&](GLuint loc, bool present, GLint size, GLenum type, GLboolean norm, std::uintptr_t bytes,
                         const std::array<float, 4>& fallback) {
        if (!present) {
            glDisableVertexAttribArray(loc);
            glVertexAttrib4fv(loc, fallback.data());
            return;
        }
        glEnableVertexAttribArray(loc);
        glVertexAttribPointer(loc, size, type, norm, stride, reinterpret_cast<const void*>(offset));
        offset += bytes;
    };
    const DWORD fvf = state_.fvf();
    const bool pre = (fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
    attribute(0, true, pre ? 4 : 3, GL_FLOAT, GL_FALSE, pre ? 16 : 12, {});
    attribute(1, (fvf & D3DFVF_NORMAL) != 0, 3, GL_FLOAT, GL_FALSE, 12, {0, 0, 0, 1});
    // Colours are 0xAARRGGBB words: bytes B, G, R, A in memory, which the
    // vertex shader puts in order.
    attribute(2, (fvf & D3DFVF_DIFFUSE) != 0, 4, GL_UNSIGNED_BYTE, GL_TRUE, 4, {1, 1, 1, 1});
    attribute(4, (fvf & D3DFVF_SPECULAR) != 0, 4, GL_UNSIGNED_BYTE, GL_TRUE, 4, {0, 0, 0, 0});
    attribute(3, (fvf & D3DFVF_TEXCOUNT_MASK) != 0, 2, GL_FLOAT, GL_FALSE, 8, {0, 0, 0, 1});
    attribute(5, (fvf & D3DFVF_TEXCOUNT_MASK) >= D3DFVF_TEX2, 2, GL_FLOAT, GL_FALSE, 8, {0, 0, 0, 1});
    g.layoutBuffer = store.name();
    g.layoutFvf = fvf;
    g.layoutStride = state_.stride();
    g.layoutBase = baseVertex;
    dirtyLayout_ = false;
}

// The cheapest fragment build that does what stage 0 says.
ShaderVariant GlDevice::ChooseVariant() const {
    if (state_.renderState(D3DRS_ALPHATESTENABLE) != 0) return ShaderVariant::FullStage;
    const DWORD colorOp = state_.stageState(0, D3DTSS_COLOROP);
    if (state_.texture(0) == nullptr || colorOp == D3DTOP_DISABLE) return ShaderVariant::Untextured;
    if (colorOp == D3DTOP_MODULATE && state_.stageState(0, D3DTSS_ALPHAOP) == D3DTOP_MODULATE &&
        TextureAndDiffuse(state_.stageState(0, D3DTSS_COLORARG1), state_.stageState(0, D3DTSS_COLORARG2)) &&
        TextureAndDiffuse(state_.stageState(0, D3DTSS_ALPHAARG1), state_.stageState(0, D3DTSS_ALPHAARG2))) {
        return StageOneBlends() ? ShaderVariant::StageOneBlend : ShaderVariant::Modulate;
    }
    return ShaderVariant::FullStage;
}

// Stage 1 as the two-stage build draws it: its texture, through the second
// coordinate set, under stage 0 by stage 0's alpha; alpha from the texture.
bool GlDevice::StageOneBlends() const {
    if (state_.texture(1) == nullptr || (state_.fvf() & D3DFVF_TEXCOUNT_MASK) < D3DFVF_TEX2) return false;
    const auto& s = state_.stage(1);
    return s[D3DTSS_COLOROP] == D3DTOP_BLENDCURRENTALPHA && s[D3DTSS_COLORARG1] == D3DTA_CURRENT &&
        s[D3DTSS_COLORARG2] == D3DTA_TEXTURE && s[D3DTSS_ALPHAOP] == D3DTOP_SELECTARG1 &&
        s[D3DTSS_ALPHAARG1] == D3DTA_TEXTURE && s[D3DTSS_TEXCOORDINDEX] == 1;
}

bool GlDevice::PrepareDraw(UINT baseVertex) {
    if (!valid()) return false;
    if (!offscreen_ && !windowDepth_ && state_.renderState(D3DRS_ZENABLE) != 0) EnterDepthTarget();
    if (dirtyStates_) {
        ApplyRenderStates();
        dirtyStates_ = false;
    }
    const ShaderVariant variant = ChooseVariant();
    if (variant != current_) {
        glUseProgram(programs_[variant]);
        current_ = variant;
        dirtyTransforms_ = dirtyStage_ = dirtyLighting_ = true;
    }
    ApplyTexture();
    ApplyUniforms();
    ApplyVertexLayout(baseVertex);
    return true;
}

}  // namespace gfx
