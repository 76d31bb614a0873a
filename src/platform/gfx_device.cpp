#include "platform/gfx_device.h"

namespace gfx {

std::uint32_t FvfStride(DWORD fvf) {
    std::uint32_t bytes = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ: bytes += 12; break;
    case D3DFVF_XYZRHW: bytes += 16; break;
    default: return 0;
    }
    if (fvf & D3DFVF_NORMAL) bytes += 12;
    if (fvf & D3DFVF_DIFFUSE) bytes += 4;
    if (fvf & D3DFVF_SPECULAR) bytes += 4;
    bytes += 8 * ((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
    return bytes;
}

std::uint32_t PrimitiveVertexCount(D3DPRIMITIVETYPE type, std::uint32_t count) {
    if (count == 0) return 0;
    switch (type) {
    case D3DPT_POINTLIST: return count;
    case D3DPT_LINELIST: return 2 * count;
    case D3DPT_LINESTRIP: return count + 1;
    case D3DPT_TRIANGLELIST: return 3 * count;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return count + 2;
    }
    return 0;
}

DWORD DefaultRenderState(D3DRENDERSTATETYPE state) {
    switch (state) {
    case D3DRS_ZENABLE: return D3DZB_TRUE;
    case D3DRS_FILLMODE: return 3;  // D3DFILL_SOLID
    case D3DRS_SHADEMODE: return D3DSHADE_GOURAUD;
    case D3DRS_ZWRITEENABLE: return 1;
    case D3DRS_SRCBLEND: return D3DBLEND_ONE;
    case D3DRS_DESTBLEND: return D3DBLEND_ZERO;
    case D3DRS_CULLMODE: return D3DCULL_CCW;
    case D3DRS_ZFUNC: return D3DCMP_LESSEQUAL;
    case D3DRS_ALPHAFUNC: return D3DCMP_ALWAYS;
    case D3DRS_LIGHTING: return 1;
    case D3DRS_CLIPPING: return 1;
    case D3DRS_COLORVERTEX: return 1;
    case D3DRS_DIFFUSEMATERIALSOURCE: return D3DMCS_COLOR1;
    case D3DRS_SPECULARMATERIALSOURCE: return D3DMCS_COLOR2;
    case D3DRS_AMBIENTMATERIALSOURCE: return D3DMCS_MATERIAL;
    case D3DRS_EMISSIVEMATERIALSOURCE: return D3DMCS_MATERIAL;
    default: return 0;
    }
}

DWORD DefaultTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
    switch (type) {
    case D3DTSS_COLOROP: return stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    case D3DTSS_COLORARG1: return D3DTA_TEXTURE;
    case D3DTSS_COLORARG2: return D3DTA_CURRENT;
    case D3DTSS_ALPHAOP: return stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    case D3DTSS_ALPHAARG1: return stage == 0 ? D3DTA_DIFFUSE : D3DTA_TEXTURE;
    case D3DTSS_ALPHAARG2: return D3DTA_CURRENT;
    case D3DTSS_ADDRESSU:
    case D3DTSS_ADDRESSV: return 1;  // D3DTADDRESS_WRAP
    case D3DTSS_MAGFILTER:
    case D3DTSS_MINFILTER: return D3DTEXF_POINT;
    case D3DTSS_MIPFILTER: return D3DTEXF_NONE;
    case D3DTSS_TEXCOORDINDEX: return stage;
    }
    return 0;
}

}  // namespace gfx
