#pragma once
// Textures by asset name, cached by the identity of the name constant.
#include <cstdint>

#include "platform/d3d_types.h"

namespace dw {

class GameContext;

HRESULT LoadTexture(GameContext* ctx, const char* name, D3DCOLOR colourKey, bool useColourKey,
                    std::uint32_t mipLevels);
HRESULT BindTexture(GameContext* ctx, DWORD stage, const char* name);
void ReleaseTexture(GameContext* ctx, const char* name);

}  // namespace dw
