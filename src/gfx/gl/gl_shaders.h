#pragma once
// The GL device's shaders: one vertex shader that stands in for the fixed
// function pipeline (pre-transformed screen vertices, world vertices with
// world/view/projection, directional and simple point lights) and the
// builds of one fragment shader for texture stages 0 and 1.
#include <array>
#include <cstdint>
#include <string>

namespace gfx {

// Which GL the device draws with: desktop OpenGL 3.3 core, or OpenGL ES 3.0
// (also WebGL 2).
enum class GlProfile : std::uint8_t { Core33, Es30 };

// The builds of the fragment shader. Software renderers run both sides of a
// branch, so the cheap cases get their own.
enum class ShaderVariant : std::uint8_t {
    Untextured,     // the diffuse colour and alpha pass through
    Modulate,       // texture x diffuse for colour and alpha: the sprites' case
    FullStage,      // stage 0 as its states say; the only build that tests alpha
    StageOneBlend,  // texture x diffuse laid over stage 1's texture by its alpha
                    // (D3DTOP_BLENDCURRENTALPHA), the only use of stage 1 drawn
    Repeat,         // the device's repeat square, fetched pixel for pixel
};
constexpr std::size_t kShaderVariants = 5;

// Uniform locations of one program (-1 where the build has none).
struct GlUniforms {
    int pretransformed, targetSize, world, view, proj, lighting, hasNormal, hasColor, hasSpecular;
    int diffuseSrc, ambientSrc, emissiveSrc, matDiffuse, matAmbient, matEmissive, globalAmbient;
    int lightCount, lightType, lightDir, lightPos, lightDiffuse, lightAmbient;
    int tex, tex1, colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
    int alphaTest, alphaFunc, alphaRef;
    int repeat;
};

struct GlPrograms {
    std::array<unsigned, kShaderVariants> program{};
    std::array<GlUniforms, kShaderVariants> uniforms{};

    unsigned operator[](ShaderVariant v) const { return program[static_cast<std::size_t>(v)]; }
    const GlUniforms& of(ShaderVariant v) const { return uniforms[static_cast<std::size_t>(v)]; }
};

// The text a shader of this profile starts with: the version line, the
// precision ES wants, and the codes of the texture stage operations and
// arguments, the compare functions, material sources and light types as
// the C++ side numbers them.
std::string ShaderPrelude(GlProfile profile);

// Compiles and links every build (the GL context must be current). False
// with `error` saying why; nothing is kept then.
bool BuildGlPrograms(GlProfile profile, GlPrograms& out, std::string& error);
void DeleteGlPrograms(GlPrograms& programs);

}  // namespace gfx
