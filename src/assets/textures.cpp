#include "assets/textures.h"

#include <string>

#include "core/game_context.h"
#include "core/log.h"
#include "assets/asset_names.h"
#include "assets/resource_read.h"
#include "assets/texture_create.h"
#include "gfx/device.h"

namespace dw {

namespace {
void Release(gfx::Texture* texture) {
    if (texture) texture->Release();
}
}  // namespace

TextureCache::~TextureCache() { ReleaseAll(); }

gfx::Texture* TextureCache::Find(const char* key) const {
    gfx::Texture* const* found = textures_.Find(key);
    return found ? *found : nullptr;
}

void TextureCache::Append(gfx::Texture* texture, const char* key) { textures_.Add(key, texture); }

bool TextureCache::Remove(const char* key) { return textures_.Remove(key, Release); }

void TextureCache::ReleaseAll() { textures_.Clear(Release); }

std::uint32_t TextureCache::Count() const { return textures_.Count(); }

namespace {
bool IsNoTexture(const char* name) { return !name || !*name; }

// A texture that cannot be had is said once a session (a failed resource
// is not read again: Again).
HRESULT Failed(GameContext* ctx, const char* name, ReadStep step) {
    const char* why = nullptr;
    switch (step) {
        case ReadStep::NoLibrary: why = "the resource library does not open"; break;
        case ReadStep::NotFound: why = "not in the resource library"; break;
        case ReadStep::ZeroSize:
        case ReadStep::NotLoaded:
        case ReadStep::NotLocked: why = "its entry cannot be read"; break;
        case ReadStep::BuildFailed: why = "not a picture the game reads"; break;
        case ReadStep::Ok:
        case ReadStep::Again: break;
    }
    if (why && ctx->log) ctx->log->WriteLine(std::string("FAIL: Can not load texture ") + name + ": " + why);
    return E_FAIL;
}
}  // namespace

HRESULT LoadTexture(GameContext* ctx, const char* name, D3DCOLOR colourKey, bool useColourKey,
                    std::uint32_t mipLevels) {
    if (IsNoTexture(name) || !ctx->textureCache) return E_FAIL;
    if (ctx->textureCache->Find(name)) return S_OK;
    gfx::Texture* texture = nullptr;
    const ReadStep step =
        ReadResource(*ctx, ctx->resourceLibraryName, name, [&](const std::uint8_t* bytes, std::uint32_t size) {
            HRESULT hr;
            if (useColourKey) {
                hr = D3DXCreateTextureFromFileInMemoryEx(ctx->device, bytes, size, D3DX_DEFAULT, D3DX_DEFAULT, 0, 0,
                                                         D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT,
                                                         colourKey, nullptr, nullptr, &texture);
            } else {
                hr = D3DXCreateTextureFromFileInMemoryEx(ctx->device, bytes, size, D3DX_DEFAULT, D3DX_DEFAULT,
                                                         mipLevels, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                                         D3DX_DEFAULT, 0, nullptr, nullptr, &texture);
            }
            return SUCCEEDED(hr) && texture;
        });
    if (step != ReadStep::Ok) return Failed(ctx, name, step);
    ctx->textureCache->Append(texture, name);
    return S_OK;
}

HRESULT BindTexture(GameContext* ctx, DWORD stage, const char* name) {
    gfx::Device* device = ctx->device;
    if (IsNoTexture(name)) {
        if (device) device->SetTexture(stage, nullptr);
        return E_FAIL;
    }
    if (!device || !ctx->textureCache) return E_FAIL;
    if (gfx::Texture* cached = ctx->textureCache->Find(name)) {
        device->SetTexture(stage, cached);
        return S_OK;
    }
    gfx::Texture* texture = nullptr;
    const ReadStep step =
        ReadResource(*ctx, ctx->resourceLibraryName, name, [&](const std::uint8_t* bytes, std::uint32_t size) {
            return SUCCEEDED(D3DXCreateTextureFromFileInMemory(device, bytes, size, &texture)) && texture;
        });
    if (step != ReadStep::Ok) return Failed(ctx, name, step);
    ctx->textureCache->Append(texture, name);
    device->SetTexture(stage, texture);
    return S_OK;
}

void ReleaseTexture(GameContext* ctx, const char* name) {
    if (ctx->textureCache) ctx->textureCache->Remove(name);
}

}  // namespace dw
