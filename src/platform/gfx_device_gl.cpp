#include "platform/gfx_device_gl.h"
#include "platform/texel_opacity.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace gfx {

namespace {

// --- shaders -------------------------------------------------------------------

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPos;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColor;
layout(location = 3) in vec2 aUV;
layout(location = 4) in vec4 aSpecular;
layout(location = 5) in vec2 aUV1;

uniform int uPretransformed;
uniform vec2 uTargetSize;
// Row-vector matrices sent as they are: GL reads them transposed, so
// M * v here is v * M there.
uniform mat4 uWorld;
uniform mat4 uView;
uniform mat4 uProj;
uniform int uLighting;
uniform int uHasNormal;
uniform int uHasColor;
uniform int uHasSpecular;
uniform int uDiffuseSrc;
uniform int uAmbientSrc;
uniform int uEmissiveSrc;
uniform vec4 uMatDiffuse;
uniform vec4 uMatAmbient;
uniform vec4 uMatEmissive;
uniform vec4 uGlobalAmbient;
uniform int uLightCount;
uniform int uLightType[8];
uniform vec3 uLightDir[8];
uniform vec3 uLightPos[8];
uniform vec4 uLightDiffuse[8];
uniform vec4 uLightAmbient[8];

out vec4 vColor;
out vec2 vUV;
out vec2 vUV1;

vec4 source(int src, vec4 mat) {
    if (src == 1 && uHasColor == 1) return aColor;
    if (src == 2 && uHasSpecular == 1) return aSpecular;
    return mat;
}

void main() {
    vUV = aUV;
    vUV1 = aUV1;
    if (uPretransformed == 1) {
        // Pixels to clip space; pixel centres sit on whole coordinates.
        // Edges that fall on pixel centres are nudged up and left by a
        // sliver so that the top and left edges of a quad own their pixels
        // (without it the top screen row was left uncovered under GL's
        // fill rule with y flipped).
        float w = aPos.w > 0.0 ? 1.0 / aPos.w : 1.0;
        vec2 ndc = vec2(2.0 * (aPos.x + 0.5 - 1.0 / 256.0) / uTargetSize.x - 1.0,
                        1.0 - 2.0 * (aPos.y + 0.5 - 1.0 / 256.0) / uTargetSize.y);
        gl_Position = vec4(ndc * w, (2.0 * aPos.z - 1.0) * w, w);
        vColor = uHasColor == 1 ? aColor : vec4(1.0);
        return;
    }
    vec4 world = uWorld * vec4(aPos.xyz, 1.0);
    vec4 clip = uProj * (uView * world);
    clip.z = 2.0 * clip.z - clip.w;  // depth 0..1 to GL's -1..1
    gl_Position = clip;
    if (uLighting == 0) {
        vColor = uHasColor == 1 ? aColor : vec4(1.0);
        return;
    }
    vec4 dif = source(uDiffuseSrc, uMatDiffuse);
    vec4 amb = source(uAmbientSrc, uMatAmbient);
    vec4 emi = source(uEmissiveSrc, uMatEmissive);
    vec3 c = emi.rgb + amb.rgb * uGlobalAmbient.rgb;
    vec3 n = mat3(uWorld) * aNormal;
    bool hasNormal = uHasNormal == 1 && dot(n, n) > 0.0;
    if (hasNormal) n = normalize(n);
    for (int i = 0; i < uLightCount; ++i) {
        c += uLightAmbient[i].rgb * amb.rgb;
        if (!hasNormal) continue;
        vec3 l = uLightType[i] == 3 ? -uLightDir[i] : uLightPos[i] - world.xyz;
        if (dot(l, l) <= 0.0) continue;
        c += max(dot(n, normalize(l)), 0.0) * uLightDiffuse[i].rgb * dif.rgb;
    }
    vColor = vec4(clamp(c, 0.0, 1.0), clamp(dif.a, 0.0, 1.0));
}
)";

// Three builds of the fragment shader (VARIANT): 0 no texture (the
// diffuse colour and alpha pass through), 1 texture x diffuse for colour and
// alpha (the sprites' case), 2 stage 0 as its states say, and the only one
// that tests alpha. Software renderers run both sides of a branch, so the
// cheap cases get their own.
const char* const kFragmentShader = R"(
in vec4 vColor;
in vec2 vUV;
in vec2 vUV1;

uniform sampler2D uTex;
uniform sampler2D uTex1;
uniform int uColorOp;
uniform int uColorArg1;
uniform int uColorArg2;
uniform int uAlphaOp;
uniform int uAlphaArg1;
uniform int uAlphaArg2;
uniform int uAlphaTest;
uniform int uAlphaFunc;
uniform float uAlphaRef;

out vec4 fragColor;

vec4 arg(int a, vec4 tex) {
    int base = a & 15;
    vec4 v = vColor;                      // diffuse, and current at stage 0
    if (base == 2) v = tex;
    else if (base == 3) v = vec4(1.0);    // texture factor
    else if (base == 4) v = vec4(0.0);    // specular
    if ((a & 32) != 0) v = vec4(v.a);     // alpha replicate
    if ((a & 16) != 0) v = vec4(1.0) - v; // complement
    return v;
}

vec4 op(int o, vec4 a1, vec4 a2) {
    if (o == 2) return a1;
    if (o == 3) return a2;
    if (o == 5) return min(a1 * a2 * 2.0, vec4(1.0));
    if (o == 6) return min(a1 * a2 * 4.0, vec4(1.0));
    if (o == 7) return min(a1 + a2, vec4(1.0));
    if (o == 8) return clamp(a1 + a2 - 0.5, 0.0, 1.0);
    return a1 * a2;
}

bool passes(int f, float a, float ref) {
    if (f == 1) return false;
    if (f == 2) return a < ref;
    if (f == 3) return a == ref;
    if (f == 4) return a <= ref;
    if (f == 5) return a > ref;
    if (f == 6) return a != ref;
    if (f == 7) return a >= ref;
    return true;
}

void main() {
#if VARIANT == 0
    vec4 c = vColor;
#elif VARIANT == 1
    vec4 c = texture(uTex, vUV) * vColor;
#elif VARIANT == 3
    vec4 top = texture(uTex, vUV) * vColor;
    vec4 under = texture(uTex1, vUV1);
    vec4 c = vec4(top.rgb * top.a + under.rgb * (1.0 - top.a), under.a);
#else
    vec4 tex = texture(uTex, vUV);
    vec3 rgb = op(uColorOp, arg(uColorArg1, tex), arg(uColorArg2, tex)).rgb;
    float a = uAlphaOp == 1 ? vColor.a : op(uAlphaOp, arg(uAlphaArg1, tex), arg(uAlphaArg2, tex)).a;
    vec4 c = vec4(rgb, a);
#endif
#if VARIANT == 2
    if (uAlphaTest == 1 && !passes(uAlphaFunc, c.a, uAlphaRef)) discard;
#endif
    fragColor = c;
}
)";

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

GLenum AddressMode(DWORD mode) {
    switch (mode) {
    case 2: return GL_MIRRORED_REPEAT;
    case 3: return GL_CLAMP_TO_EDGE;
    case 4: return GL_CLAMP_TO_BORDER;
    default: return GL_REPEAT;
    }
}

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

// --- resources -------------------------------------------------------------------

class GlTexture final : public Texture {
public:
    GlTexture(std::shared_ptr<bool> alive, std::uint32_t w, std::uint32_t h, std::uint32_t levels,
              bool opaque)
        : alive_(std::move(alive)), width_(w), height_(h), levels_(levels), alphaIgnored_(opaque) {
        glGenTextures(1, &name_);
        glBindTexture(GL_TEXTURE_2D, name_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
        if (opaque) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
        for (std::uint32_t l = 0; l < levels; ++l) {
            glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(l), GL_RGBA8, static_cast<GLsizei>(LevelWidth(l)),
                         static_cast<GLsizei>(LevelHeight(l)), 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                         nullptr);
        }
    }
    ~GlTexture() override {
        if (*alive_ && name_ != 0) glDeleteTextures(1, &name_);
    }
    std::uint32_t Width() const override { return width_; }
    std::uint32_t Height() const override { return height_; }
    std::uint32_t LevelCount() const override { return levels_; }
    HRESULT SetLevel(std::uint32_t level, std::uint32_t w, std::uint32_t h,
                     const std::uint32_t* argb) override {
        if (!*alive_ || level >= levels_ || argb == nullptr || w != LevelWidth(level) ||
            h != LevelHeight(level)) {
            return D3DERR_INVALIDCALL;
        }
        GLint previous = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
        glBindTexture(GL_TEXTURE_2D, name_);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), 0, 0, static_cast<GLsizei>(w),
                        static_cast<GLsizei>(h), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
        if (level == 0) opacity_.Build(w, h, argb, alphaIgnored_);
        return S_OK;
    }
    GLuint name() const { return name_; }
    const TexelOpacity& opacity() const { return opacity_; }

private:
    std::uint32_t LevelWidth(std::uint32_t l) const { return std::max(1u, width_ >> l); }
    std::uint32_t LevelHeight(std::uint32_t l) const { return std::max(1u, height_ >> l); }

    std::shared_ptr<bool> alive_;
    std::uint32_t width_, height_, levels_;
    bool alphaIgnored_;
    GLuint name_ = 0;
    TexelOpacity opacity_;
};

// A GL buffer with a copy in memory: Lock hands out the copy, Unlock sends
// the locked range. A discarding lock orphans the GL storage first, so the
// driver need not wait for draws still reading the old contents.
class GlBufferStore {
public:
    GlBufferStore(std::shared_ptr<bool> alive, GLenum target, std::uint32_t length)
        : alive_(std::move(alive)), target_(target), shadow_(length, 0) {
        glGenBuffers(1, &name_);
        Bind();
        glBufferData(target_, length, nullptr, GL_STREAM_DRAW);
    }
    ~GlBufferStore() {
        if (*alive_ && name_ != 0) glDeleteBuffers(1, &name_);
    }
    std::uint32_t Length() const { return static_cast<std::uint32_t>(shadow_.size()); }
    HRESULT Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** out, DWORD flags) {
        if (out == nullptr) return D3DERR_INVALIDCALL;
        *out = nullptr;
        if (locked_ || !*alive_) return D3DERR_INVALIDCALL;
        if (size == 0 && offset == 0) size = Length();
        if (offset > Length() || size > Length() - offset) return D3DERR_INVALIDCALL;
        locked_ = true;
        discard_ = (flags & D3DLOCK_DISCARD) != 0;
        readOnly_ = (flags & D3DLOCK_READONLY) != 0;
        offset_ = offset;
        size_ = size;
        *out = shadow_.data() + offset;
        return S_OK;
    }
    HRESULT Unlock() {
        if (!locked_) return D3DERR_INVALIDCALL;
        locked_ = false;
        if (readOnly_ || !*alive_) return S_OK;
        Bind();
        if (discard_) glBufferData(target_, Length(), nullptr, GL_STREAM_DRAW);
        if (size_ > 0) glBufferSubData(target_, offset_, size_, shadow_.data() + offset_);
        return S_OK;
    }
    void Bind() const { glBindBuffer(target_, name_); }
    GLuint name() const { return name_; }
    const std::uint8_t* data() const { return shadow_.data(); }
    bool locked() const { return locked_; }

private:
    std::shared_ptr<bool> alive_;
    GLenum target_;
    GLuint name_ = 0;
    std::vector<std::uint8_t> shadow_;
    bool locked_ = false, discard_ = false, readOnly_ = false;
    std::uint32_t offset_ = 0, size_ = 0;
};

class GlVertexBuffer final : public VertexBuffer {
public:
    GlVertexBuffer(std::shared_ptr<bool> alive, std::uint32_t length)
        : store_(std::move(alive), GL_ARRAY_BUFFER, length) {}
    std::uint32_t Length() const override { return store_.Length(); }
    HRESULT Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, DWORD flags) override {
        return store_.Lock(offset, size, data, flags);
    }
    HRESULT Unlock() override { return store_.Unlock(); }
    bool Locked() const override { return store_.locked(); }
    const std::uint8_t* Contents() const override { return store_.data(); }
    GlBufferStore& store() { return store_; }

private:
    GlBufferStore store_;
};

class GlIndexBuffer final : public IndexBuffer {
public:
    GlIndexBuffer(std::shared_ptr<bool> alive, std::uint32_t length, D3DFORMAT format)
        : store_(std::move(alive), GL_ELEMENT_ARRAY_BUFFER, length), format_(format) {}
    std::uint32_t Length() const override { return store_.Length(); }
    D3DFORMAT Format() const override { return format_; }
    HRESULT Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, DWORD flags) override {
        return store_.Lock(offset, size, data, flags);
    }
    HRESULT Unlock() override { return store_.Unlock(); }
    bool Locked() const override { return store_.locked(); }
    const std::uint8_t* Contents() const override { return store_.data(); }
    GlBufferStore& store() { return store_; }
    std::uint32_t IndexSize() const { return format_ == D3DFMT_INDEX32 ? 4 : 2; }

private:
    GlBufferStore store_;
    D3DFORMAT format_;
};

GLuint Compile(GLenum type, const char* source, std::string& error) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[2048] = {};
        glGetShaderInfoLog(shader, sizeof log - 1, nullptr, log);
        error = std::string(type == GL_VERTEX_SHADER ? "vertex shader: " : "fragment shader: ") + log;
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

// Uniform locations.
struct GlDevice::Uniforms {
    GLint pretransformed, targetSize, world, view, proj, lighting, hasNormal, hasColor, hasSpecular;
    GLint diffuseSrc, ambientSrc, emissiveSrc, matDiffuse, matAmbient, matEmissive, globalAmbient;
    GLint lightCount, lightType, lightDir, lightPos, lightDiffuse, lightAmbient;
    GLint tex, tex1, colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
    GLint alphaTest, alphaFunc, alphaRef;
};

// A piece of a large quad cut for drawing: its rectangle, and whether it
// shows only opaque texels, only clear ones, or neither.
struct GlDevice::QuadPiece {
    enum Kind : std::uint8_t { kBlended, kOpaque, kClear };
    float x0, x1, y0, y1;  // the rectangle of the quad it covers, in pixels
    Kind kind;
};

// What GL was last told, so that nothing is sent twice.
struct GlDevice::GlState {
    int depthTest = -1, depthMask = -1, blend = -1, cull = -1;
    GLenum depthFunc = 0, blendSrc = 0, blendDst = 0, cullFace = 0;
    GLuint texture = 0xFFFFFFFFu;
    GLuint texture1 = 0xFFFFFFFFu;  // unit 1
    GLuint layoutBuffer = 0xFFFFFFFFu;  // the buffer the attributes point into
    DWORD layoutFvf = 0;
    UINT layoutStride = 0;
    std::uint32_t viewportW = 0, viewportH = 0;
};

GlDevice::GlDevice(SizeFunction drawableSize, SwapFunction swap)
    : drawableSize_(std::move(drawableSize)), swap_(std::move(swap)),
      gl_(std::make_unique<GlState>()), alive_(std::make_shared<bool>(true)) {
    for (auto& u : uniforms_) u = std::make_unique<Uniforms>();
    int w = 0, h = 0;
    if (drawableSize_) drawableSize_(w, h);
    if (w > 0 && h > 0) {
        width_ = static_cast<std::uint32_t>(w);
        height_ = static_cast<std::uint32_t>(h);
    }
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    adapter_ = std::string(renderer ? renderer : "OpenGL") + " (" + (version ? version : "?") + ")";

    if (!BuildPrograms()) return;
    glGenVertexArrays(1, &vao_);
    glBindVertexArray(vao_);
    glGenSamplers(1, &sampler_);
    glBindSampler(0, sampler_);
    glGenSamplers(1, &sampler1_);
    glBindSampler(1, sampler1_);
    glActiveTexture(GL_TEXTURE0);
    for (int v = 0; v < kVariants; ++v) {
        glUseProgram(programs_[v]);
        glUniform1i(uniforms_[v]->tex, 0);
        if (uniforms_[v]->tex1 >= 0) glUniform1i(uniforms_[v]->tex1, 1);
    }
    current_ = kVariants - 1;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    GLint depthType = GL_NONE, depthBits = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE,
                                          &depthType);
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
    if (sampler_) glDeleteSamplers(1, &sampler_);
    if (sampler1_) glDeleteSamplers(1, &sampler1_);
    if (splitBuffer_) glDeleteBuffers(1, &splitBuffer_);
    if (vao_) glDeleteVertexArrays(1, &vao_);
    for (unsigned p : programs_) {
        if (p) glDeleteProgram(p);
    }
    // Resources the game still holds must not touch GL any more.
    *alive_ = false;
}

bool GlDevice::BuildPrograms() {
    GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader, error_);
    if (vs == 0) return false;
    bool ok = true;
    for (int v = 0; v < kVariants && ok; ++v) {
        const std::string source =
            "#version 330 core\n#define VARIANT " + std::to_string(v) + "\n" + kFragmentShader;
        GLuint fs = Compile(GL_FRAGMENT_SHADER, source.c_str(), error_);
        if (fs == 0) {
            ok = false;
            break;
        }
        GLuint program = glCreateProgram();
        glAttachShader(program, vs);
        glAttachShader(program, fs);
        glLinkProgram(program);
        glDetachShader(program, vs);
        glDeleteShader(fs);
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (linked != GL_TRUE) {
            char log[2048] = {};
            glGetProgramInfoLog(program, sizeof log - 1, nullptr, log);
            error_ = std::string("link: ") + log;
            glDeleteProgram(program);
            ok = false;
            break;
        }
        programs_[v] = program;
        Uniforms& u = *uniforms_[v];
        auto at = [&](const char* name) { return glGetUniformLocation(program, name); };
        u.pretransformed = at("uPretransformed");
        u.targetSize = at("uTargetSize");
        u.world = at("uWorld");
        u.view = at("uView");
        u.proj = at("uProj");
        u.lighting = at("uLighting");
        u.hasNormal = at("uHasNormal");
        u.hasColor = at("uHasColor");
        u.hasSpecular = at("uHasSpecular");
        u.diffuseSrc = at("uDiffuseSrc");
        u.ambientSrc = at("uAmbientSrc");
        u.emissiveSrc = at("uEmissiveSrc");
        u.matDiffuse = at("uMatDiffuse");
        u.matAmbient = at("uMatAmbient");
        u.matEmissive = at("uMatEmissive");
        u.globalAmbient = at("uGlobalAmbient");
        u.lightCount = at("uLightCount");
        u.lightType = at("uLightType");
        u.lightDir = at("uLightDir");
        u.lightPos = at("uLightPos");
        u.lightDiffuse = at("uLightDiffuse");
        u.lightAmbient = at("uLightAmbient");
        u.tex = at("uTex");
        u.tex1 = at("uTex1");
        u.colorOp = at("uColorOp");
        u.colorArg1 = at("uColorArg1");
        u.colorArg2 = at("uColorArg2");
        u.alphaOp = at("uAlphaOp");
        u.alphaArg1 = at("uAlphaArg1");
        u.alphaArg2 = at("uAlphaArg2");
        u.alphaTest = at("uAlphaTest");
        u.alphaFunc = at("uAlphaFunc");
        u.alphaRef = at("uAlphaRef");
    }
    glDeleteShader(vs);
    if (!ok) {
        for (auto& p : programs_) {
            if (p) glDeleteProgram(p);
            p = 0;
        }
    }
    return ok;
}

// --- frame -------------------------------------------------------------------------

HRESULT GlDevice::Reset(const PresentParameters& params) {
    if (state_.inScene()) return Invalid();
    if (params.backBufferWidth == 0 || params.backBufferHeight == 0) return Invalid();
    width_ = params.backBufferWidth;
    height_ = params.backBufferHeight;
    keepAspect_ = params.keepAspect;
    gl_->viewportW = gl_->viewportH = 0;  // placed afresh at the next scene
    // The GL context survives; only the states go back to their start.
    state_.Reset();
    dirtyStates_ = dirtySampler_ = dirtySampler1_ = dirtyTransforms_ = dirtyLighting_ = dirtyStage_ =
        dirtyLayout_ = true;
    *gl_ = GlState{};
    // The frame in hand is dropped and depth starts afresh.
    if (offscreen_) glBindFramebuffer(GL_FRAMEBUFFER, 0);
    offscreen_ = false;
    depthClears_.clear();
    depthTargetW_ = depthTargetH_ = 0;
    return S_OK;
}

bool GlDevice::ReadBackBuffer() {
    int w = 0, h = 0;
    if (drawableSize_) drawableSize_(w, h);
    if (w <= 0 || h <= 0) return false;
    const auto rowBytes = static_cast<std::size_t>(w) * 4;
    captured_.resize(rowBytes * static_cast<std::size_t>(h));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, captured_.data());
    // GL's rows run bottom up.
    std::vector<std::uint8_t> row(rowBytes);
    for (int y = 0; y < h / 2; ++y) {
        std::uint8_t* a = captured_.data() + rowBytes * static_cast<std::size_t>(y);
        std::uint8_t* b = captured_.data() + rowBytes * static_cast<std::size_t>(h - 1 - y);
        std::memcpy(row.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, row.data(), rowBytes);
    }
    for (std::size_t i = 3; i < captured_.size(); i += 4) captured_[i] = 255;
    capturedWidth_ = static_cast<std::uint32_t>(w);
    capturedHeight_ = static_cast<std::uint32_t>(h);
    return true;
}

HRESULT GlDevice::Present() {
    if (state_.inScene()) return Invalid();
    LeaveDepthTarget();
    if (captureOnPresent_) {
        glReadBuffer(GL_BACK);
        ReadBackBuffer();
    }
    if (swap_ && !drawingSkipped_) swap_();
    ++counters_.presents;
    return S_OK;
}

bool GlDevice::ReadPresentedImage(std::vector<std::uint8_t>& rgba, std::uint32_t& width,
                                  std::uint32_t& height) {
    if (!captureOnPresent_ || captured_.empty()) {
        glReadBuffer(GL_FRONT);
        const bool ok = ReadBackBuffer();
        glReadBuffer(GL_BACK);
        if (!ok) return false;
    }
    rgba = captured_;
    width = capturedWidth_;
    height = capturedHeight_;
    return true;
}

HRESULT GlDevice::BeginScene() {
    if (FAILED(state_.BeginScene())) return Invalid();
    int w = 0, h = 0;
    if (drawableSize_) drawableSize_(w, h);
    if (w > 0 && h > 0) {
        if (gl_->viewportW != static_cast<std::uint32_t>(w) || gl_->viewportH != static_cast<std::uint32_t>(h)) {
            PlacePicture(w, h);
            glViewport(pictureX_, pictureY_, pictureW_, pictureH_);
            gl_->viewportW = static_cast<std::uint32_t>(w);
            gl_->viewportH = static_cast<std::uint32_t>(h);
        }
        if (pictureW_ != w || pictureH_ != h) {
            // The bars beside the picture (never the picture: a frame may
            // hold several scenes).
            glClearColor(0, 0, 0, 1);
            glEnable(GL_SCISSOR_TEST);
            if (pictureX_ > 0) {
                glScissor(0, 0, pictureX_, h);
                glClear(GL_COLOR_BUFFER_BIT);
                glScissor(pictureX_ + pictureW_, 0, w - pictureX_ - pictureW_, h);
                glClear(GL_COLOR_BUFFER_BIT);
            }
            if (pictureY_ > 0) {
                glScissor(0, 0, w, pictureY_);
                glClear(GL_COLOR_BUFFER_BIT);
                glScissor(0, pictureY_ + pictureH_, w, h - pictureY_ - pictureH_);
                glClear(GL_COLOR_BUFFER_BIT);
            }
            glDisable(GL_SCISSOR_TEST);
        }
    }
    return S_OK;
}

void GlDevice::PlacePicture(int drawableW, int drawableH) {
    pictureX_ = pictureY_ = 0;
    pictureW_ = drawableW;
    pictureH_ = drawableH;
    if (!keepAspect_ || drawableW <= 0 || drawableH <= 0 || width_ == 0 || height_ == 0) return;
    // The largest picture of the back buffer's shape, centred.
    const auto dw = static_cast<std::uint64_t>(drawableW), dh = static_cast<std::uint64_t>(drawableH);
    if (dw * height_ > dh * width_) {
        pictureW_ = static_cast<int>((dh * width_ + height_ / 2) / height_);
        pictureX_ = (drawableW - pictureW_) / 2;
    } else {
        pictureH_ = static_cast<int>((dw * height_ + width_ / 2) / width_);
        pictureY_ = (drawableH - pictureH_) / 2;
    }
}

HRESULT GlDevice::EndScene() { return FAILED(state_.EndScene()) ? Invalid() : S_OK; }

HRESULT GlDevice::Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR color, float z, DWORD) {
    if ((count != 0) != (rects != nullptr)) return Invalid();
    if ((flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER)) == 0) return Invalid();
    const auto* r = static_cast<const std::int32_t*>(rects);
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        glClearColor(static_cast<float>((color >> 16) & 0xFF) / 255.0f,
                     static_cast<float>((color >> 8) & 0xFF) / 255.0f,
                     static_cast<float>(color & 0xFF) / 255.0f,
                     static_cast<float>((color >> 24) & 0xFF) / 255.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        z = std::clamp(z, 0.0f, 1.0f);
        if (windowDepth_ || offscreen_) {
            glClearDepth(z);
            mask |= GL_DEPTH_BUFFER_BIT;
        } else {
            // Kept for the depth target; a whole clear makes the ones
            // before it moot.
            if (count == 0) {
                depthClears_.clear();
                depthClears_.push_back({true, 0, 0, 0, 0, z});
            }
            for (DWORD i = 0; i < count; ++i) {
                depthClears_.push_back({false, r[4 * i], r[4 * i + 1], r[4 * i + 2], r[4 * i + 3], z});
            }
            // Partial clears pile up only while nothing is drawn with depth:
            // past a few, carry them out on the target now.
            if (depthClears_.size() > 64) {
                EnterDepthTarget();
                if (offscreen_) LeaveDepthTarget();
                else depthClears_.clear();  // no depth target to be had
            }
        }
    }
    if (mask != 0) ClearPixels(count, r, mask);
    ++counters_.clears;
    return S_OK;
}

void GlDevice::ClearPixels(DWORD count, const std::int32_t* r, unsigned mask) {
    // Clearing ignores the depth write state, as on Direct3D.
    if ((mask & GL_DEPTH_BUFFER_BIT) && gl_->depthMask != 1) {
        glDepthMask(GL_TRUE);
        gl_->depthMask = 1;
        dirtyStates_ = true;
    }
    int dw = 0, dh = 0;
    if (drawableSize_) drawableSize_(dw, dh);
    PlacePicture(dw, dh);
    if (count == 0) {
        if (pictureW_ == dw && pictureH_ == dh) {
            glClear(mask);
            return;
        }
        glEnable(GL_SCISSOR_TEST);
        glScissor(pictureX_, pictureY_, pictureW_, pictureH_);
        glClear(mask);
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    // D3DRECT: x1, y1, x2, y2 in back-buffer pixels, top row 0.
    const float sx = static_cast<float>(pictureW_) / static_cast<float>(width_);
    const float sy = static_cast<float>(pictureH_) / static_cast<float>(height_);
    const int top = pictureY_ + pictureH_;
    glEnable(GL_SCISSOR_TEST);
    for (DWORD i = 0; i < count; ++i, r += 4) {
        const int x1 = static_cast<int>(static_cast<float>(r[0]) * sx);
        const int x2 = static_cast<int>(static_cast<float>(r[2]) * sx);
        const int y1 = static_cast<int>(static_cast<float>(r[1]) * sy);
        const int y2 = static_cast<int>(static_cast<float>(r[3]) * sy);
        if (x2 <= x1 || y2 <= y1) continue;
        glScissor(pictureX_ + x1, top - y2, x2 - x1, y2 - y1);
        glClear(mask);
    }
    glDisable(GL_SCISSOR_TEST);
}

void GlDevice::EnterDepthTarget() {
    if (windowDepth_ || offscreen_) return;
    int w = 0, h = 0;
    if (drawableSize_) drawableSize_(w, h);
    if (w <= 0 || h <= 0) return;
    if (depthFbo_ == 0) {
        glGenFramebuffers(1, &depthFbo_);
        glGenRenderbuffers(1, &depthColor_);
        glGenRenderbuffers(1, &depthBuffer_);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, depthFbo_);
    if (w != depthTargetW_ || h != depthTargetH_) {
        // A new size starts with depth 1, as a reset device would.
        glBindRenderbuffer(GL_RENDERBUFFER, depthColor_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
        glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, w, h);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, depthColor_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
        depthTargetW_ = w;
        depthTargetH_ = h;
        depthClears_.insert(depthClears_.begin(), DepthClear{true, 0, 0, 0, 0, 1.0f});
    }
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        depthTargetW_ = depthTargetH_ = 0;
        return;
    }
    // The frame so far comes along.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, depthFbo_);
    offscreen_ = true;
    ApplyDepthClears();
}

void GlDevice::ApplyDepthClears() {
    for (const DepthClear& c : depthClears_) {
        glClearDepth(c.z);
        const std::int32_t rect[4] = {c.x1, c.y1, c.x2, c.y2};
        ClearPixels(c.whole ? 0 : 1, rect, GL_DEPTH_BUFFER_BIT);
    }
    depthClears_.clear();
}

void GlDevice::LeaveDepthTarget() {
    if (!offscreen_) return;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, depthFbo_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, depthTargetW_, depthTargetH_, 0, 0, depthTargetW_, depthTargetH_, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    offscreen_ = false;
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

// --- states --------------------------------------------------------------------------

void GlDevice::StateChanged(StateKind kind, DWORD stage, DWORD which) {
    switch (kind) {
    case StateKind::RenderState:
        switch (which) {
        case D3DRS_LIGHTING:
        case D3DRS_AMBIENT:
        case D3DRS_DIFFUSEMATERIALSOURCE:
        case D3DRS_AMBIENTMATERIALSOURCE:
        case D3DRS_EMISSIVEMATERIALSOURCE:
        case D3DRS_COLORVERTEX:
            dirtyLighting_ = true;
            break;
        case D3DRS_ALPHATESTENABLE:
        case D3DRS_ALPHAREF:
        case D3DRS_ALPHAFUNC:
            dirtyStage_ = true;
            break;
        default:
            dirtyStates_ = true;
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
        case D3DTSS_MIPFILTER:
            dirtySampler_ = true;
            break;
        default:
            dirtyStage_ = true;
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

// --- resources -----------------------------------------------------------------------

Texture* GlDevice::NewTexture(UINT width, UINT height, UINT levels, D3DFORMAT format, D3DPOOL) {
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    auto* texture = new GlTexture(alive_, width, height, levels, format == D3DFMT_X8R8G8B8);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    // A deleted texture unbinds itself and its name may come back here.
    gl_->texture = gl_->texture1 = 0xFFFFFFFFu;
    return texture;
}

VertexBuffer* GlDevice::NewVertexBuffer(UINT length, D3DPOOL) {
    // A new buffer may reuse the name of one deleted since.
    gl_->layoutBuffer = 0xFFFFFFFFu;
    return new GlVertexBuffer(alive_, length);
}

IndexBuffer* GlDevice::NewIndexBuffer(UINT length, D3DFORMAT format, D3DPOOL) {
    return new GlIndexBuffer(alive_, length, format);
}

// --- drawing -----------------------------------------------------------------------------

void GlDevice::ApplyRenderStates() {
    GlState& g = *gl_;
    const bool depth = state_.renderState(D3DRS_ZENABLE) != 0;
    if (g.depthTest != depth) {
        depth ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
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
    if (g.blend != blend) {
        blend ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
        g.blend = blend;
    }
    if (blend) {
        GLenum src = BlendFactor(state_.renderState(D3DRS_SRCBLEND));
        GLenum dst = BlendFactor(state_.renderState(D3DRS_DESTBLEND));
        // The "both" factors set the pair from the source factor alone.
        if (state_.renderState(D3DRS_SRCBLEND) == 12) src = GL_SRC_ALPHA, dst = GL_ONE_MINUS_SRC_ALPHA;
        if (state_.renderState(D3DRS_SRCBLEND) == 13) src = GL_ONE_MINUS_SRC_ALPHA, dst = GL_SRC_ALPHA;
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
        cullOn ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
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

namespace {

void SetSampler(GLuint sampler, const std::array<DWORD, kStageStateCount>& stage) {
    const DWORD minF = stage[D3DTSS_MINFILTER], magF = stage[D3DTSS_MAGFILTER];
    const DWORD mipF = stage[D3DTSS_MIPFILTER];
    const bool minLinear = minF >= D3DTEXF_LINEAR;
    GLenum min = minLinear ? GL_LINEAR : GL_NEAREST;
    if (mipF == D3DTEXF_POINT) min = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    if (mipF >= D3DTEXF_LINEAR) min = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(min));
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, magF >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, static_cast<GLint>(AddressMode(stage[D3DTSS_ADDRESSU])));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, static_cast<GLint>(AddressMode(stage[D3DTSS_ADDRESSV])));
}

}  // namespace

void GlDevice::ApplyTexture() {
    GlState& g = *gl_;
    const GLuint name = state_.texture(0) ? static_cast<GlTexture*>(state_.texture(0))->name() : 0;
    if (g.texture != name) {
        glBindTexture(GL_TEXTURE_2D, name);
        g.texture = name;
    }
    if (dirtySampler_) {
        SetSampler(sampler_, state_.stage(0));
        dirtySampler_ = false;
    }
    if (current_ != 3) return;  // only the two-stage build reads unit 1
    const GLuint name1 = state_.texture(1) ? static_cast<GlTexture*>(state_.texture(1))->name() : 0;
    if (g.texture1 != name1) {
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, name1);
        glActiveTexture(GL_TEXTURE0);
        g.texture1 = name1;
    }
    if (dirtySampler1_) {
        SetSampler(sampler1_, state_.stage(1));
        dirtySampler1_ = false;
    }
}

void GlDevice::ApplyUniforms() {
    const Uniforms& u = *uniforms_[current_];
    if (dirtyTransforms_) {
        glUniformMatrix4fv(u.world, 1, GL_FALSE, &state_.world().m[0][0]);
        glUniformMatrix4fv(u.view, 1, GL_FALSE, &state_.view().m[0][0]);
        glUniformMatrix4fv(u.proj, 1, GL_FALSE, &state_.projection().m[0][0]);
        glUniform2f(u.targetSize, static_cast<float>(width_), static_cast<float>(height_));
        dirtyTransforms_ = false;
    }
    if (dirtyStage_) {
        glUniform1i(u.colorOp, static_cast<GLint>(state_.stageState(0, D3DTSS_COLOROP)));
        glUniform1i(u.colorArg1, static_cast<GLint>(state_.stageState(0, D3DTSS_COLORARG1)));
        glUniform1i(u.colorArg2, static_cast<GLint>(state_.stageState(0, D3DTSS_COLORARG2)));
        glUniform1i(u.alphaOp, static_cast<GLint>(state_.stageState(0, D3DTSS_ALPHAOP)));
        glUniform1i(u.alphaArg1, static_cast<GLint>(state_.stageState(0, D3DTSS_ALPHAARG1)));
        glUniform1i(u.alphaArg2, static_cast<GLint>(state_.stageState(0, D3DTSS_ALPHAARG2)));
        glUniform1i(u.alphaTest, state_.renderState(D3DRS_ALPHATESTENABLE) != 0);
        glUniform1i(u.alphaFunc, static_cast<GLint>(state_.renderState(D3DRS_ALPHAFUNC)));
        glUniform1f(u.alphaRef, static_cast<float>(state_.renderState(D3DRS_ALPHAREF) & 0xFF) / 255.0f);
        dirtyStage_ = false;
    }
    if (dirtyLighting_) {
        const bool pre = (state_.fvf() & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
        const bool colorVertex = state_.renderState(D3DRS_COLORVERTEX) != 0;
        glUniform1i(u.pretransformed, pre);
        glUniform1i(u.lighting, state_.renderState(D3DRS_LIGHTING) != 0);
        glUniform1i(u.hasNormal, (state_.fvf() & D3DFVF_NORMAL) != 0);
        glUniform1i(u.hasColor, (state_.fvf() & D3DFVF_DIFFUSE) != 0);
        glUniform1i(u.hasSpecular, (state_.fvf() & D3DFVF_SPECULAR) != 0);
        auto src = [&](D3DRENDERSTATETYPE s) {
            return colorVertex ? static_cast<GLint>(state_.renderState(s)) : 0;
        };
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
        dirtyLighting_ = false;
    }
}

void GlDevice::ApplyVertexLayout() {
    GlState& g = *gl_;
    auto& store = static_cast<GlVertexBuffer*>(state_.stream())->store();
    if (!dirtyLayout_ && g.layoutBuffer == store.name() && g.layoutFvf == state_.fvf() &&
        g.layoutStride == state_.stride()) {
        return;
    }
    // The attribute pointers remember the buffer bound when they are set.
    store.Bind();
    const auto stride = static_cast<GLsizei>(state_.stride());
    std::uintptr_t offset = 0;
    auto enable = [&](GLuint loc, GLint size, GLenum type, GLboolean norm, std::uintptr_t bytes) {
        glEnableVertexAttribArray(loc);
        glVertexAttribPointer(loc, size, type, norm, stride, reinterpret_cast<const void*>(offset));
        offset += bytes;
    };
    if ((state_.fvf() & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW) {
        enable(0, 4, GL_FLOAT, GL_FALSE, 16);
    } else {
        enable(0, 3, GL_FLOAT, GL_FALSE, 12);
    }
    if (state_.fvf() & D3DFVF_NORMAL) {
        enable(1, 3, GL_FLOAT, GL_FALSE, 12);
    } else {
        glDisableVertexAttribArray(1);
        glVertexAttrib3f(1, 0.0f, 0.0f, 0.0f);
    }
    // Colours are 0xAARRGGBB words: bytes B, G, R, A in memory.
    if (state_.fvf() & D3DFVF_DIFFUSE) {
        enable(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 4);
    } else {
        glDisableVertexAttribArray(2);
        glVertexAttrib4f(2, 1.0f, 1.0f, 1.0f, 1.0f);
    }
    if (state_.fvf() & D3DFVF_SPECULAR) {
        enable(4, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 4);
    } else {
        glDisableVertexAttribArray(4);
        glVertexAttrib4f(4, 0.0f, 0.0f, 0.0f, 0.0f);
    }
    if ((state_.fvf() & D3DFVF_TEXCOUNT_MASK) != 0) {
        enable(3, 2, GL_FLOAT, GL_FALSE, 8);
    } else {
        glDisableVertexAttribArray(3);
        glVertexAttrib2f(3, 0.0f, 0.0f);
    }
    if ((state_.fvf() & D3DFVF_TEXCOUNT_MASK) >= D3DFVF_TEX2) {
        enable(5, 2, GL_FLOAT, GL_FALSE, 8);
    } else {
        glDisableVertexAttribArray(5);
        glVertexAttrib2f(5, 0.0f, 0.0f);
    }
    g.layoutBuffer = store.name();
    g.layoutFvf = state_.fvf();
    g.layoutStride = state_.stride();
    dirtyLayout_ = false;
}

bool GlDevice::PrepareDraw() {
    if (!valid()) return false;
    if (!offscreen_ && !windowDepth_ && state_.renderState(D3DRS_ZENABLE) != 0) EnterDepthTarget();
    if (dirtyStates_) {
        ApplyRenderStates();
        dirtyStates_ = false;
    }
    // The cheapest fragment shader that does what stage 0 says.
    int variant = 2;
    const DWORD colorOp = state_.stageState(0, D3DTSS_COLOROP);
    if (state_.renderState(D3DRS_ALPHATESTENABLE) != 0) {
        variant = 2;  // only the full build tests alpha
    } else if (state_.texture(0) == nullptr || colorOp == D3DTOP_DISABLE) {
        variant = 0;
    } else {
        // Texture with diffuse (or current, the same at stage 0), no modifiers.
        auto pair = [](DWORD a, DWORD b) {
            const bool aTex = a == D3DTA_TEXTURE, bTex = b == D3DTA_TEXTURE;
            const bool aDif = a == D3DTA_DIFFUSE || a == D3DTA_CURRENT;
            const bool bDif = b == D3DTA_DIFFUSE || b == D3DTA_CURRENT;
            return (aTex && bDif) || (aDif && bTex);
        };
        if (colorOp == D3DTOP_MODULATE && state_.stageState(0, D3DTSS_ALPHAOP) == D3DTOP_MODULATE &&
            pair(state_.stageState(0, D3DTSS_COLORARG1), state_.stageState(0, D3DTSS_COLORARG2)) &&
            pair(state_.stageState(0, D3DTSS_ALPHAARG1), state_.stageState(0, D3DTSS_ALPHAARG2))) {
            variant = StageOneBlends() ? 3 : 1;
        }
    }
    if (variant != current_) {
        glUseProgram(programs_[variant]);
        current_ = variant;
        dirtyTransforms_ = dirtyStage_ = dirtyLighting_ = true;
    }
    ApplyTexture();
    ApplyUniforms();
    ApplyVertexLayout();
    return true;
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

// A blended sprite draw whose texture has opaque regions: triangles that
// show only opaque texels under opaque vertices are drawn without blending
// (source alpha 1 replaces the target exactly, so no pixel changes), the
// rest as asked, in their order. Returns false when the draw does not
// qualify or holds no opaque run; the caller then draws it whole.
bool GlDevice::DrawOpaqueRunsStraight(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    constexpr DWORD kSpriteFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
    static_assert(sizeof(SpriteVertexView) == 28);
    if (type != D3DPT_TRIANGLELIST || state_.fvf() != kSpriteFvf || state_.stride() != sizeof(SpriteVertexView)) return false;
    if (current_ != 1 || state_.texture(0) == nullptr) return false;  // texture x diffuse, no alpha test
    if (state_.renderState(D3DRS_ALPHABLENDENABLE) == 0) return false;
    const DWORD src = state_.renderState(D3DRS_SRCBLEND), dst = state_.renderState(D3DRS_DESTBLEND);
    constexpr DWORD kBothSrcAlpha = 12;  // source alpha and its inverse, from one state
    if (!(src == D3DBLEND_SRCALPHA && dst == D3DBLEND_INVSRCALPHA) && src != kBothSrcAlpha) return false;
    const auto* texture = static_cast<GlTexture*>(state_.texture(0));
    if (!texture->opacity().anyOpaque() && !texture->opacity().anyClear()) return false;
    // Lower mip levels are not mapped; they are only read with mip filtering.
    if (texture->LevelCount() > 1 && state_.stageState(0, D3DTSS_MIPFILTER) != D3DTEXF_NONE) return false;

    const auto* vertices = reinterpret_cast<const SpriteVertexView*>(
        static_cast<GlVertexBuffer*>(state_.stream())->store().data() + static_cast<std::size_t>(startVertex) * state_.stride());
    if (DrawLargeQuadsSplit(vertices, primitiveCount)) return true;
    GlState& g = *gl_;
    bool split = false;
    SplitOpaqueRuns(texture->opacity(), vertices, primitiveCount, 2,
                    [&](std::uint32_t first, std::uint32_t count, bool opaque) {
                        if (!split && !opaque && count == primitiveCount) return;  // nothing opaque
                        split = true;
                        const int blend = opaque ? 0 : 1;
                        if (g.blend != blend) {
                            blend ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
                            g.blend = blend;
                        }
                        if (opaque) counters_.opaqueTriangles += count;
                        ++counters_.apiDraws;
                        glDrawArrays(GL_TRIANGLES, static_cast<GLint>(startVertex + 3 * first),
                                     static_cast<GLsizei>(3 * count));
                    });
    if (g.blend != 1) {  // the device state says blend; keep GL in step with it
        glEnable(GL_BLEND);
        g.blend = 1;
    }
    return split;
}

namespace {

// Quads of at least this many pixels are worth cutting up, in cells of
// kCell pixels a side, counted from the quad's top-left corner.
constexpr float kLargeQuad = 8192.0f;
constexpr float kCell = 16.0f;

// Triangles t and t + 1 as a sprite quad lays them out: (top-left,
// top-right, bottom-left), (bottom-left, top-right, bottom-right), square
// to the screen and to the texture, one colour.
bool AxisQuad(const SpriteVertexView* v) {
    auto same = [](const SpriteVertexView& a, const SpriteVertexView& b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    };
    return same(v[2], v[3]) && same(v[1], v[4]) && v[0].y == v[1].y && v[0].x == v[2].x &&
           v[5].x == v[1].x && v[5].y == v[2].y && v[0].v == v[1].v && v[0].u == v[2].u &&
           v[5].u == v[1].u && v[5].v == v[2].v && v[1].x > v[0].x && v[2].y > v[0].y &&
           v[0].diffuse == v[1].diffuse && v[0].diffuse == v[2].diffuse && v[0].diffuse == v[5].diffuse &&
           v[0].z == v[5].z && v[0].rhw == v[5].rhw && v[0].z == v[1].z && v[0].z == v[2].z &&
           v[0].rhw == v[1].rhw && v[0].rhw == v[2].rhw;
}

bool LargeQuad(const SpriteVertexView* v) {
    return (v[5].x - v[0].x) * (v[5].y - v[0].y) >= kLargeQuad && AxisQuad(v);
}

}  // namespace

// A blended draw whose large quads are opaque or clear in part (a panel
// whose art is opaque but for its rim, a hull with empty corners): such a
// quad is cut into cells; the runs of opaque cells along each row go without
// blending, and clear cells (alpha 0 in every texel they read, which source
// alpha blending leaves as they were) are not drawn. Every piece keeps the
// coordinates the whole quad gives its pixels, and the pieces of a quad
// never overlap, so the pixels are those of the whole draw. False when the
// draw holds no such quad with an opaque or clear cell; nothing is drawn then.
bool GlDevice::DrawLargeQuadsSplit(const void* data, UINT primitiveCount) {
    const auto* v = static_cast<const SpriteVertexView*>(data);
    const auto& map = static_cast<GlTexture*>(state_.texture(0))->opacity();
    // Opaque cells need opaque vertices; clear ones take any.
    auto cellKind = [&](const SpriteVertexView* q, float x0, float x1, float y0, float y1) {
        const float w = q[5].x - q[0].x, h = q[5].y - q[0].y;
        const float u0 = q[0].u + (x0 - q[0].x) / w * (q[5].u - q[0].u);
        const float u1 = q[0].u + (x1 - q[0].x) / w * (q[5].u - q[0].u);
        const float v0 = q[0].v + (y0 - q[0].y) / h * (q[5].v - q[0].v);
        const float v1 = q[0].v + (y1 - q[0].y) / h * (q[5].v - q[0].v);
        if ((q[0].diffuse >> 24) == 0xFFu && map.OpaqueBox(u0, v0, u1, v1)) return QuadPiece::kOpaque;
        return map.ClearBox(u0, v0, u1, v1) ? QuadPiece::kClear : QuadPiece::kBlended;
    };
    // Only quads not opaque whole are cut; they count when a cell is opaque
    // or clear.
    auto candidate = [&](const SpriteVertexView* q) {
        return LargeQuad(q) && !(OpaqueTriangle(map, q) && OpaqueTriangle(map, q + 3));
    };

    splitVertices_.clear();
    splitRuns_.clear();
    std::uint32_t written = 0;
    auto add = [&](const SpriteVertexView* tri, std::uint32_t triangles, bool opaque) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(tri);
        splitVertices_.insert(splitVertices_.end(), bytes, bytes + 3 * triangles * sizeof(SpriteVertexView));
        if (!splitRuns_.empty() && splitRuns_.back().opaque == opaque) {
            splitRuns_.back().count += 3 * triangles;
        } else {
            splitRuns_.push_back({written, 3 * triangles, opaque});
        }
        written += 3 * triangles;
    };
    // Piece p of quad q as two triangles, with the coordinates the whole
    // quad gives its corners.
    auto addPiece = [&](const SpriteVertexView* q, const QuadPiece& p) {
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
        add(corners, 2, p.kind == QuadPiece::kOpaque);
    };
    // One pass: each candidate quad's cells are tested once, its pieces kept
    // aside until a cell proves opaque or clear. The triangles before it go in whole
    // (each opaque or not) once a quad is cut, so a draw with nothing to cut
    // copies nothing.
    bool any = false;
    UINT pending = 0;  // the first triangle not yet in splitVertices_
    auto flush = [&](UINT end) {
        for (; pending < end; ++pending) {
            const SpriteVertexView* tri = v + 3 * static_cast<std::size_t>(pending);
            add(tri, 1, OpaqueTriangle(map, tri));
        }
    };
    for (UINT t = 0; t + 1 < primitiveCount; ++t) {
        const SpriteVertexView* q = v + 3 * static_cast<std::size_t>(t);
        if (!candidate(q)) continue;
        quadPieces_.clear();
        bool cut = false;  // a cell is opaque or clear
        std::size_t above = 0;  // the first piece of the row above
        for (float y = q[0].y; y < q[5].y; y += kCell) {
            const float y1 = std::min(y + kCell, q[5].y);
            const std::size_t row = quadPieces_.size();
            float start = q[0].x;
            QuadPiece::Kind startKind = cellKind(q, start, std::min(start + kCell, q[5].x), y, y1);
            cut = cut || startKind != QuadPiece::kBlended;
            for (float x = q[0].x + kCell; x < q[5].x; x += kCell) {
                const QuadPiece::Kind kind = cellKind(q, x, std::min(x + kCell, q[5].x), y, y1);
                if (kind == startKind) continue;
                cut = true;  // the run changes, so one of the two is opaque or clear
                quadPieces_.push_back({start, x, y, y1, startKind});
                start = x;
                startKind = kind;
            }
            quadPieces_.push_back({start, q[5].x, y, y1, startKind});
            // A row cut as the row above lengthens that row's pieces instead,
            // so an opaque panel goes as a few tall pieces.
            const std::size_t n = quadPieces_.size() - row;
            bool same = row > 0 && row - above == n;
            for (std::size_t k = 0; same && k < n; ++k) {
                const QuadPiece &a = quadPieces_[above + k], &b = quadPieces_[row + k];
                same = a.x0 == b.x0 && a.x1 == b.x1 && a.kind == b.kind;
            }
            if (same) {
                for (std::size_t k = 0; k < n; ++k) quadPieces_[above + k].y1 = y1;
                quadPieces_.resize(row);
            } else {
                above = row;
            }
        }
        if (!cut) continue;  // drawn as two triangles, like any other
        any = true;
        flush(t);
        // The pieces of one quad never overlap, so the opaque ones may all
        // go first: one blend switch a quad rather than two a row. Clear
        // pieces are left out.
        for (const QuadPiece::Kind kind : {QuadPiece::kOpaque, QuadPiece::kBlended})
            for (const QuadPiece& p : quadPieces_)
                if (p.kind == kind) addPiece(q, p);
        for (const QuadPiece& p : quadPieces_)
            if (p.kind == QuadPiece::kClear) counters_.clearTriangles += 2;
        pending = t + 2;
        ++t;  // the quad's second triangle went with it
    }
    if (!any) return false;
    flush(primitiveCount);

    // Through a buffer of the device's own, laid out as the sprite stream.
    GlState& g = *gl_;
    if (splitBuffer_ == 0) glGenBuffers(1, &splitBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, splitBuffer_);
    if (splitVertices_.size() > splitBufferBytes_) {
        splitBufferBytes_ = std::max<std::size_t>(splitVertices_.size(), 64 * 1024);
    }
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(splitBufferBytes_), nullptr, GL_STREAM_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(splitVertices_.size()), splitVertices_.data());
    constexpr GLsizei kStride = sizeof(SpriteVertexView);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<const void*>(0));
    glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, kStride, reinterpret_cast<const void*>(16));
    glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<const void*>(20));
    g.layoutBuffer = splitBuffer_;  // the next draw points the attributes back
    for (const SplitRun& r : splitRuns_) {
        const int blend = r.opaque ? 0 : 1;
        if (g.blend != blend) {
            blend ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
            g.blend = blend;
        }
        if (r.opaque) counters_.opaqueTriangles += r.count / 3;
        ++counters_.apiDraws;
        glDrawArrays(GL_TRIANGLES, static_cast<GLint>(r.first), static_cast<GLsizei>(r.count));
    }
    if (g.blend != 1) {
        glEnable(GL_BLEND);
        g.blend = 1;
    }
    return true;
}

HRESULT GlDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    const std::uint32_t count = state_.CheckDraw(type, startVertex, primitiveCount);
    if (count == 0 || !PrepareDraw()) return Invalid();
    if (!drawingSkipped_ && !DrawOpaqueRunsStraight(type, startVertex, primitiveCount)) {
        ++counters_.apiDraws;
        glDrawArrays(PrimitiveMode(type), static_cast<GLint>(startVertex), static_cast<GLsizei>(count));
    }
    ++counters_.draws;
    counters_.vertices += count;
    return S_OK;
}

HRESULT GlDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                                       UINT primitiveCount) {
    const std::uint32_t count = state_.CheckIndexedDraw(type, minIndex, numVertices, startIndex, primitiveCount);
    if (count == 0 || !PrepareDraw()) return Invalid();
    auto* ib = static_cast<GlIndexBuffer*>(state_.indices());
    ib->store().Bind();  // element binding lives in the vertex array
    const GLenum type16 = ib->IndexSize() == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    if (!drawingSkipped_) {
        ++counters_.apiDraws;
        glDrawElementsBaseVertex(PrimitiveMode(type), static_cast<GLsizei>(count), type16,
                                 reinterpret_cast<const void*>(static_cast<std::uintptr_t>(startIndex) * ib->IndexSize()),
                                 static_cast<GLint>(state_.baseVertexIndex()));
    }
    ++counters_.draws;
    counters_.vertices += count;
    return S_OK;
}

}  // namespace gfx
