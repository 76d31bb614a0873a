#pragma once
// The draw request every object fills and submits to the Render queue.
#include <cstdint>

#include "platform/d3d_types.h"

class ID3DXMesh;

namespace dw {

// A square of the screen (pixels, top row 0) that a draw covers in full, and
// whose picture repeats every `size` pixels across and down over all the draw
// covers. A size of 0 says nothing repeats.
struct RepeatSquare {
    std::uint32_t x = 0, y = 0, size = 0;
};

// Pre-transformed screen vertex (28 bytes): XYZRHW | DIFFUSE | TEX1.
struct ScreenVertex {
    float x, y, z, rhw;
    std::uint32_t diffuse;  // 0xAARRGGBB
    float u, v;
};
static_assert(sizeof(ScreenVertex) == 28);

// Pre-transformed screen vertex with two coordinate sets (36 bytes):
// XYZRHW | DIFFUSE | TEX2; (u, v) for texture stage 0, (u1, v1) for stage 1.
struct ScreenVertex2 {
    float x, y, z, rhw;
    std::uint32_t diffuse;
    float u, v;
    float u1, v1;
};
static_assert(sizeof(ScreenVertex2) == 36);

// World vertex (24 bytes): XYZ | DIFFUSE | TEX1.
struct WorldVertex {
    float x, y, z;
    std::uint32_t diffuse;
    float u, v;
};
static_assert(sizeof(WorldVertex) == 24);

// Mesh vertex (32 bytes): XYZ | NORMAL | TEX1.
struct MeshVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
static_assert(sizeof(MeshVertex) == 32);

// Shadow vertex (20 bytes): XYZ | TEX1.
struct ShadowVertex {
    float x, y, z;
    float u, v;
};
static_assert(sizeof(ShadowVertex) == 20);

// One camera-facing world quad of a world-quad entry.
struct WorldQuad {
    WorldVertex corners[4];  // strip (-w,-h), (-w,+h), (+w,-h), (+w,+h)
    float position[3];
    std::uint32_t word0, word1;
    std::uint8_t hidden, justSpawned, justExpired;
};

// The ground shadow an entry casts (drawn by the Render queue).
enum class ShadowKind : std::uint32_t {
    None = 0,
    OneQuad = 1,          // one shadow-map quad under shadowPosition
    QuadPerPosition = 2,  // one quad under each of shadowPositions
    FlattenedMesh = 3,    // the entry's mesh pressed flat onto the ground
};

struct DrawEntry {
    std::uint8_t lit;
    std::uint32_t lightSet;
    std::uint8_t lightEnable[5];
    std::uint8_t screenSpace;
    std::uint8_t noDepth;
    std::uint8_t alphaBlend;
    std::uint8_t worldQuads;
    float sortKey;
    D3DMATRIX world;
    const char* texture;  // asset name constant; asset::NoTexture for none
    ID3DXMesh* mesh;
    D3DMATERIAL8 material;
    const void* vertices;  // ScreenVertex[] or WorldQuad[]
    std::uint32_t primitiveCount;
    std::uint32_t srcBlend, destBlend;
    std::uint8_t quadsPresorted;
    ShadowKind shadowKind;
    float shadowLeft;
    float shadowNear;
    float shadowRight;
    float shadowFar;
    float shadowPosition[3];
    float shadowSlopeX;
    float shadowSlopeZ;
    float groundHeight;
    const float (*shadowPositions)[3];
    std::uint32_t shadowCount;
    // A screen entry with a second texture stage: `vertices` are
    // ScreenVertex2, stage 0 is `texture` x diffuse (first coordinate set),
    // and `underTexture` (second set) shows through where stage 0's alpha is
    // low: colour = stage0 * a0 + under * (1 - a0). The result is written
    // without blending; the entry sorts as its blended form would.
    std::uint8_t twoStage;
    const char* underTexture;
    // A two-stage entry's picture may repeat: the square of this side at
    // (repeatX, repeatY) in screen pixels is covered in full, and the rest
    // repeats it every repeatSize pixels across and down (0: it does not).
    std::uint32_t repeatX, repeatY, repeatSize;
};

}  // namespace dw
