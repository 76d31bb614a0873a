#pragma once
// Textures by asset name, cached by the name's text.
#include <cstdint>

#include "assets/asset_cache.h"
#include "platform/d3d_types.h"

namespace gfx {
class Texture;
}

namespace dw {

class GameContext;

// The loaded textures; the cache holds one reference of each.
class TextureCache {
public:
    TextureCache() = default;
    ~TextureCache();
    TextureCache(const TextureCache&) = delete;
    TextureCache& operator=(const TextureCache&) = delete;

    // The texture of the name, or null when it is not cached.
    gfx::Texture* Find(const char* key) const;
    void Append(gfx::Texture* texture, const char* key);
    // Releases one texture and forgets it; false when not cached.
    bool Remove(const char* key);
    // Releases every texture (DeleteDeviceObjects).
    void ReleaseAll();
    std::uint32_t Count() const;

private:
    AssetCache<gfx::Texture*> textures_;
};

HRESULT LoadTexture(GameContext* ctx, const char* name, D3DCOLOR colourKey, bool useColourKey, std::uint32_t mipLevels);
HRESULT BindTexture(GameContext* ctx, DWORD stage, const char* name);
void ReleaseTexture(GameContext* ctx, const char* name);

}  // namespace dw
