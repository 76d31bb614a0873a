#include "gfx/gl/gl_shaders.h"

#include "platform/d3d_types.h"
#include "gfx/gl/gl_api.h"
#include "gfx/gl/gl_build.h"

namespace gfx {

namespace {

// Both shaders follow ShaderPrelude.
const char* const kVertexShader = R"(
layout(location = 0) in vec4 aPos;
layout(location = 1) in vec3 aNormal;
// Colours arrive as their bytes in memory (B, G, R, A): ES takes no BGRA
// vertex format, so the shader swizzles.
layout(location = 2) in vec4 aColorBgra;
layout(location = 3) in vec2 aUV;
layout(location = 4) in vec4 aSpecularBgra;
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
    if (src == MCS_COLOR1 && uHasColor == 1) return aColorBgra.bgra;
    if (src == MCS_COLOR2 && uHasSpecular == 1) return aSpecularBgra.bgra;
    return mat;
}

void main() {
    vUV = aUV;
    vUV1 = aUV1;
#ifdef GL_ES
    gl_PointSize = 1.0;  // ES leaves points without it undefined
#endif
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
        vColor = uHasColor == 1 ? aColorBgra.bgra : vec4(1.0);
        return;
    }
    vec4 world = uWorld * vec4(aPos.xyz, 1.0);
    vec4 clip = uProj * (uView * world);
    clip.z = 2.0 * clip.z - clip.w;  // depth 0..1 to GL's -1..1
    gl_Position = clip;
    if (uLighting == 0) {
        vColor = uHasColor == 1 ? aColorBgra.bgra : vec4(1.0);
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
        vec3 l = uLightType[i] == LIGHT_DIRECTIONAL ? -uLightDir[i] : uLightPos[i] - world.xyz;
        if (dot(l, l) <= 0.0) continue;
        c += max(dot(n, normalize(l)), 0.0) * uLightDiffuse[i].rgb * dif.rgb;
    }
    vColor = vec4(clamp(c, 0.0, 1.0), clamp(dif.a, 0.0, 1.0));
}
)";

// One text for every build; VARIANT picks the build (see ShaderVariant).
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
// The repeat square's lower left corner in window pixels, and one over its
// side: the Repeat build reads it, nearest texel and wrapping, one for one.
uniform vec3 uRepeat;

out vec4 fragColor;

vec4 arg(int a, vec4 tex) {
    int base = a & TA_SELECTMASK;
    vec4 v = vColor;                      // diffuse, and current at stage 0
    if (base == TA_TEXTURE) v = tex;
    else if (base == TA_TFACTOR) v = vec4(1.0);
    else if (base == TA_SPECULAR) v = vec4(0.0);
    if ((a & TA_ALPHAREPLICATE) != 0) v = vec4(v.a);
    if ((a & TA_COMPLEMENT) != 0) v = vec4(1.0) - v;
    return v;
}

vec4 op(int o, vec4 a1, vec4 a2) {
    if (o == TOP_SELECTARG1) return a1;
    if (o == TOP_SELECTARG2) return a2;
    if (o == TOP_MODULATE2X) return min(a1 * a2 * 2.0, vec4(1.0));
    if (o == TOP_MODULATE4X) return min(a1 * a2 * 4.0, vec4(1.0));
    if (o == TOP_ADD) return min(a1 + a2, vec4(1.0));
    if (o == TOP_ADDSIGNED) return clamp(a1 + a2 - 0.5, 0.0, 1.0);
    return a1 * a2;
}

bool passes(int f, float a, float ref) {
    if (f == CMP_NEVER) return false;
    if (f == CMP_LESS) return a < ref;
    if (f == CMP_EQUAL) return a == ref;
    if (f == CMP_LESSEQUAL) return a <= ref;
    if (f == CMP_GREATER) return a > ref;
    if (f == CMP_NOTEQUAL) return a != ref;
    if (f == CMP_GREATEREQUAL) return a >= ref;
    return true;
}

void main() {
#if VARIANT == VARIANT_UNTEXTURED
    vec4 c = vColor;
#elif VARIANT == VARIANT_MODULATE
    vec4 c = texture(uTex, vUV) * vColor;
#elif VARIANT == VARIANT_STAGE_ONE_BLEND
    vec4 top = texture(uTex, vUV) * vColor;
    vec4 under = texture(uTex1, vUV1);
    vec4 c = vec4(top.rgb * top.a + under.rgb * (1.0 - top.a), under.a);
#elif VARIANT == VARIANT_REPEAT
    vec4 c = texture(uTex, (gl_FragCoord.xy - uRepeat.xy) * uRepeat.z);
#else
    vec4 tex = texture(uTex, vUV);
    vec3 rgb = op(uColorOp, arg(uColorArg1, tex), arg(uColorArg2, tex)).rgb;
    float a = uAlphaOp == TOP_DISABLE ? vColor.a : op(uAlphaOp, arg(uAlphaArg1, tex), arg(uAlphaArg2, tex)).a;
    vec4 c = vec4(rgb, a);
#endif
#if VARIANT == VARIANT_FULL_STAGE
    if (uAlphaTest == 1 && !passes(uAlphaFunc, c.a, uAlphaRef)) discard;
#endif
    fragColor = c;
}
)";

// The stage operations and arguments the device state names no constant
// for, as Direct3D numbers them.
constexpr unsigned kTopModulate2x = 5, kTopModulate4x = 6, kTopAdd = 7, kTopAddSigned = 8;
constexpr unsigned kTaTFactor = 3, kTaSpecular = 4, kTaSelectMask = 0x0F, kTaComplement = 0x10,
                   kTaAlphaReplicate = 0x20;

struct Code {
    const char* name;
    unsigned value;
};

// The numbers the shaders compare with, as the C++ side has them.
constexpr Code kCodes[] = {
    {"TOP_DISABLE", D3DTOP_DISABLE},
    {"TOP_SELECTARG1", D3DTOP_SELECTARG1},
    {"TOP_SELECTARG2", D3DTOP_SELECTARG2},
    {"TOP_MODULATE2X", kTopModulate2x},
    {"TOP_MODULATE4X", kTopModulate4x},
    {"TOP_ADD", kTopAdd},
    {"TOP_ADDSIGNED", kTopAddSigned},
    {"TA_SELECTMASK", kTaSelectMask},
    {"TA_TEXTURE", D3DTA_TEXTURE},
    {"TA_TFACTOR", kTaTFactor},
    {"TA_SPECULAR", kTaSpecular},
    {"TA_COMPLEMENT", kTaComplement},
    {"TA_ALPHAREPLICATE", kTaAlphaReplicate},
    {"CMP_NEVER", D3DCMP_NEVER},
    {"CMP_LESS", D3DCMP_LESS},
    {"CMP_EQUAL", D3DCMP_EQUAL},
    {"CMP_LESSEQUAL", D3DCMP_LESSEQUAL},
    {"CMP_GREATER", D3DCMP_GREATER},
    {"CMP_NOTEQUAL", D3DCMP_NOTEQUAL},
    {"CMP_GREATEREQUAL", D3DCMP_GREATEREQUAL},
    {"MCS_COLOR1", D3DMCS_COLOR1},
    {"MCS_COLOR2", D3DMCS_COLOR2},
    {"LIGHT_DIRECTIONAL", D3DLIGHT_DIRECTIONAL},
    {"VARIANT_UNTEXTURED", static_cast<unsigned>(ShaderVariant::Untextured)},
    {"VARIANT_MODULATE", static_cast<unsigned>(ShaderVariant::Modulate)},
    {"VARIANT_FULL_STAGE", static_cast<unsigned>(ShaderVariant::FullStage)},
    {"VARIANT_STAGE_ONE_BLEND", static_cast<unsigned>(ShaderVariant::StageOneBlend)},
    {"VARIANT_REPEAT", static_cast<unsigned>(ShaderVariant::Repeat)},
};

GlUniforms Locations(GLuint program) {
    auto at = [&](const char* name) { return glGetUniformLocation(program, name); };
    GlUniforms u{};
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
    u.repeat = at("uRepeat");
    return u;
}

// The program of vertex shader vs and fragment build `variant`; 0 with
// `error` set when it does not build.
GLuint BuildProgram(GlProfile profile, GLuint vs, std::size_t variant, std::string& error) {
    const std::string text =
        ShaderPrelude(profile) + "#define VARIANT " + std::to_string(variant) + "\n" + kFragmentShader;
    GLuint fs = CompileShader(GL_FRAGMENT_SHADER, text.c_str(), error);
    if (fs == 0) return 0;
    GLuint program = LinkProgram(vs, fs, error);
    glDeleteShader(fs);
    return program;
}

}  // namespace

std::string ShaderPrelude(GlProfile profile) {
    std::string text = profile == GlProfile::Es30 ? "#version 300 es\nprecision highp float;\nprecision highp int;\n"
                                                    "precision highp sampler2D;\n"
                                                  : "#version 330 core\n";
    for (const Code& c : kCodes) text += "#define " + std::string(c.name) + " " + std::to_string(c.value) + "\n";
    return text;
}

bool BuildGlPrograms(GlProfile profile, GlPrograms& out, std::string& error) {
    out = GlPrograms{};
    const std::string vertexText = ShaderPrelude(profile) + kVertexShader;
    GLuint vs = CompileShader(GL_VERTEX_SHADER, vertexText.c_str(), error);
    if (vs == 0) return false;
    bool ok = true;
    for (std::size_t v = 0; v < kShaderVariants && ok; ++v) {
        out.program[v] = BuildProgram(profile, vs, v, error);
        ok = out.program[v] != 0;
        if (ok) out.uniforms[v] = Locations(out.program[v]);
    }
    glDeleteShader(vs);
    if (!ok) DeleteGlPrograms(out);
    return ok;
}

void DeleteGlPrograms(GlPrograms& programs) {
    for (auto& p : programs.program) {
        if (p) glDeleteProgram(p);
        p = 0;
    }
}

}  // namespace gfx
