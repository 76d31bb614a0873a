#pragma once
#include "platform/d3d_types.h"
#include "platform/system_info.h"

namespace dw {

class GameContext;

// Writes the machine's configuration to the log and records the two texture
// filtering capabilities (canMipMap, canMipLinear) in the Game context.
void WriteSystemReport(GameContext& ctx, const platform::SystemFacts& facts, const D3DCAPS8& caps);

}  // namespace dw
