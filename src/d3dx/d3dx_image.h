#pragma once
// Image files to texture pixels: PNG (libpng) and JPEG (libjpeg), decoded
// to 8-bit RGBA with a box-filtered mip chain. A pure function of the
// bytes; the asset library turns the result into a device texture.
//
// The texture entry points built on it (by the asset library, on top of the
// graphics device) keep the D3DX signatures:
//   HRESULT D3DXCreateTextureFromFileInMemory(gfx::Device* device, const void* data,
//                                             UINT size, IDirect3DTexture8** texture);
//   HRESULT D3DXCreateTextureFromFileInMemoryEx(gfx::Device* device, const void* data,
//                                               UINT size, UINT width, UINT height,
//                                               UINT mipLevels, DWORD usage, D3DFORMAT format,
//                                               D3DPOOL pool, DWORD filter, DWORD mipFilter,
//                                               D3DCOLOR colorKey, void* srcInfo,
//                                               void* palette, IDirect3DTexture8** texture);
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d_types.h"

constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;

namespace d3dx {

struct ImageLevel {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // width * height * 4 bytes, R G B A in that byte order, top row first.
    std::vector<std::uint8_t> rgba;
};

struct Image {
    std::uint32_t width = 0;  // of level 0
    std::uint32_t height = 0;
    std::vector<ImageLevel> levels;  // level 0 is the full picture
};

enum class ImageFormat { Unknown, Png, Jpeg };

struct DecodeOptions {
    // Mip levels wanted: 0 or D3DX_DEFAULT for the full chain down to 1x1;
    // more than the full chain gives the full chain.
    std::uint32_t mipLevels = 0;
    // 0 for none; otherwise a pixel whose colour, as ARGB with alpha forced
    // to 0xFF, equals the key (alpha likewise forced) becomes transparent
    // black (0x00000000).
    D3DCOLOR colorKey = 0;
    // Larger pictures are refused.
    std::uint32_t maxDimension = 4096;
};

ImageFormat DetectImageFormat(const void* bytes, std::size_t size);

// Returns false with a short reason in *error (if given) on unknown,
// corrupt, truncated or oversized data; out is then empty.
bool DecodeImage(const void* bytes, std::size_t size, const DecodeOptions& options, Image& out,
                 std::string* error = nullptr);

// Number of levels of a full chain for a picture of this size.
std::uint32_t FullMipCount(std::uint32_t width, std::uint32_t height);

// Appends the levels below the last one until there are `levels` in all
// (0: the full chain), each the 2x2 box average of the one above.
void BuildMipChain(Image& image, std::uint32_t levels);

}  // namespace d3dx
