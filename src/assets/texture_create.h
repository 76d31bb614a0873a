#pragma once
// Device textures from image files in memory (PNG or JPEG), with the D3DX
// signatures the asset library calls.
#include "d3dx/d3dx_image.h"
#include "platform/d3d_types.h"
#include "gfx/device.h"

// All defaults: size and format from the file, full mip chain, no colour key.
HRESULT D3DXCreateTextureFromFileInMemory(gfx::Device* device, const void* data, UINT size, gfx::Texture** texture);

// mipLevels 0 or D3DX_DEFAULT: full chain. colorKey 0: none; otherwise texels
// of that colour become transparent black. width/height/format/usage/filter
// are taken from the file or ignored (D3DX_DEFAULT, 0, D3DFMT_UNKNOWN).
HRESULT D3DXCreateTextureFromFileInMemoryEx(gfx::Device* device, const void* data, UINT size, UINT width, UINT height,
                                            UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                            DWORD mipFilter, D3DCOLOR colorKey, void* srcInfo, void* palette,
                                            gfx::Texture** texture);
