#include "media/textures.h"

namespace dw {

HRESULT LoadTexture(GameContext*, const char*, D3DCOLOR, bool, std::uint32_t) { return E_FAIL; }
HRESULT BindTexture(GameContext*, DWORD, const char*) { return E_FAIL; }
void ReleaseTexture(GameContext*, const char*) {}

}  // namespace dw
