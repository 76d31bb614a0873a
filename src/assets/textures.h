#pragma once
// Textures by asset name, cached by the identity of the name constant.
#include <cstdint>

#include "engine/list_engine.h"
#include "platform/d3d_types.h"

namespace gfx { class Texture; }

namespace dw {

class GameContext;

// A chain of (texture, name key) entries, appended at the tail, searched
// from the head by the address of the name constant.
class TextureCache : public ListEngine {
public:
    struct Entry {
        Entry* next;
        gfx::Texture* texture;  // one reference held
        const char* key;
    };
    TextureCache() = default;
    ~TextureCache() override;

    gfx::Texture* Find(const char* key);
    void Append(gfx::Texture* texture, const char* key);
    // Releases one texture and forgets it; false when not cached.
    bool Remove(const char* key);
    // Releases every texture (DeleteDeviceObjects).
    void ReleaseAll();
    std::uint32_t Count() const;

private:
    Entry* first_ = nullptr;
    Entry* last_ = nullptr;
    Entry* cursor_ = nullptr;
    Entry* before_ = nullptr;
};

HRESULT LoadTexture(GameContext* ctx, const char* name, D3DCOLOR colourKey, bool useColourKey,
                    std::uint32_t mipLevels);
HRESULT BindTexture(GameContext* ctx, DWORD stage, const char* name);
void ReleaseTexture(GameContext* ctx, const char* name);

}  // namespace dw
