#include "assets/texture_create.h"

#include <vector>

namespace {

HRESULT CreateFromImage(gfx::Device* device, const d3dx::Image& image, D3DPOOL pool, gfx::Texture** out) {
    if (!device || !out || image.levels.empty()) return E_FAIL;
    gfx::Texture* tex = nullptr;
    if (FAILED(device->CreateTexture(image.width, image.height, static_cast<UINT>(image.levels.size()), 0,
                                     D3DFMT_A8R8G8B8, pool, &tex)) ||
        !tex)
        return E_FAIL;
    std::vector<std::uint32_t> argb;
    for (std::size_t level = 0; level < image.levels.size(); ++level) {
        const d3dx::ImageLevel& l = image.levels[level];
        argb.resize(static_cast<std::size_t>(l.width) * l.height);
        for (std::size_t i = 0; i < argb.size(); ++i) {
            const std::uint8_t* p = &l.rgba[i * 4];
            argb[i] = (static_cast<std::uint32_t>(p[3]) << 24) | (static_cast<std::uint32_t>(p[0]) << 16) |
                (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
        }
        if (FAILED(tex->SetLevel(static_cast<std::uint32_t>(level), l.width, l.height, argb.data()))) {
            tex->Release();
            return E_FAIL;
        }
    }
    *out = tex;
    return S_OK;
}

}  // namespace

HRESULT D3DXCreateTextureFromFileInMemory(gfx::Device* device, const void* data, UINT size, gfx::Texture** texture) {
    return D3DXCreateTextureFromFileInMemoryEx(device, data, size, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                               D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                               nullptr, texture);
}

HRESULT D3DXCreateTextureFromFileInMemoryEx(gfx::Device* device, const void* data, UINT size, UINT, UINT,
                                            UINT mipLevels, DWORD, D3DFORMAT, D3DPOOL pool, DWORD, DWORD,
                                            D3DCOLOR colorKey, void*, void*, gfx::Texture** texture) {
    if (texture) *texture = nullptr;
    if (!data || size == 0 || !texture) return E_FAIL;
    d3dx::DecodeOptions options;
    options.mipLevels = mipLevels == D3DX_DEFAULT ? 0 : mipLevels;
    options.colorKey = colorKey;
    d3dx::Image image;
    if (!d3dx::DecodeImage(data, size, options, image)) return E_FAIL;
    return CreateFromImage(device, image, pool, texture);
}
