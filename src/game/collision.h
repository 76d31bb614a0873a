#pragma once
// Hits are decided in one place, once per frame: every ship, enemy, shot,
// rocket and bonus owns a slot in the Game context, and this pass tests the
// slot tables against each other and writes the outcome back as flags.
#include <cstdint>

#include "platform/d3d_types.h"

namespace dw {

class GameContext;

// S_OK when rectangle A (a1..a2) and rectangle B (b1..b2) overlap, else
// E_FAIL. Per axis the narrower extent (B's on a tie) must have an edge in
// the half-open range [low, high) of the other.
HRESULT RectsOverlap(float a1x, float a1y, float a2x, float a2y, float b1x, float b1y, float b2x, float b2y);

// The whole pass: player shots, rockets (with their blast), ships against
// enemies, enemy shots and bonuses.
void RunCollisionPass(GameContext* ctx);

// One in five calls drops a bonus centred at (cx, cy) when a bonus slot is
// free: the slot is filled and a "bonus" object added. True when one dropped.
bool RollBonus(GameContext* ctx, float cx, float cy);

}  // namespace dw
