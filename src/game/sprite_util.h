#pragma once
// Small helpers shared by the ship, shots, explosions, enemies and bullets:
// field-to-pixel conversion, turned quads, sprite submission, slot search.
#include <cstdint>

#include "core/draw_entry.h"
#include "render/render_queue.h"  // SubmitSprite

namespace dw {

class GameContext;
struct ShotSlot;

constexpr float kPi = 3.1415927f;
constexpr float kDegree = 0.017453292f;

// Field units (-1..+1) to pixels.
float PixelX(const GameContext* ctx, float x);
float PixelY(const GameContext* ctx, float y);

// Sets x, y of a six-vertex block: a w x h pixel rectangle centred on
// (cx, cy), turned by `angle` radians about its centre.
void PlaceQuad(ScreenVertex* block, float cx, float cy, float w, float h, float angle = 0.0f);
// Sets u, v of a six-vertex block.
void SetQuadTexture(ScreenVertex* block, float u0, float u1, float v0, float v1);
// Sets colour, z and rhw of `count` vertices.
void SetVertexLook(ScreenVertex* v, int count, std::uint32_t colour, float z);

// True while the game screen runs (objects move and draw only then).
bool GameRunning(const GameContext* ctx);

// First inactive entry of a shot table, -1 when all are taken.
int FirstFreeShot(const ShotSlot* table, int count);

// Normalises (x, y) in place; a zero vector stays zero.
void Normalise(float& x, float& y);

}  // namespace dw
