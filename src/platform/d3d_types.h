#pragma once
// The Direct3D 8 vocabulary the game speaks: plain records and enum values
// with their original names and numbers. gfx::Device (gfx/device.h) takes
// these; the OpenGL and the recording devices give them meaning.
#include <cstdint>

using HRESULT = std::int32_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using BOOL = std::int32_t;
using D3DCOLOR = std::uint32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT D3DERR_DEVICELOST = static_cast<HRESULT>(0x88760868u);
constexpr HRESULT D3DERR_DEVICENOTRESET = static_cast<HRESULT>(0x88760869u);
constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086Cu);
inline bool FAILED(HRESULT hr) { return hr < 0; }
inline bool SUCCEEDED(HRESULT hr) { return hr >= 0; }

struct D3DVECTOR {
    float x, y, z;
};
struct D3DCOLORVALUE {
    float r, g, b, a;
};

struct D3DMATRIX {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };
};

struct D3DMATERIAL8 {
    D3DCOLORVALUE Diffuse;
    D3DCOLORVALUE Ambient;
    D3DCOLORVALUE Specular;
    D3DCOLORVALUE Emissive;
    float Power;
};

enum D3DLIGHTTYPE : std::uint32_t {
    D3DLIGHT_POINT = 1,
    D3DLIGHT_SPOT = 2,
    D3DLIGHT_DIRECTIONAL = 3,
};

struct D3DLIGHT8 {
    D3DLIGHTTYPE Type;
    D3DCOLORVALUE Diffuse;
    D3DCOLORVALUE Specular;
    D3DCOLORVALUE Ambient;
    D3DVECTOR Position;
    D3DVECTOR Direction;
    float Range;
    float Falloff;
    float Attenuation0;
    float Attenuation1;
    float Attenuation2;
    float Theta;
    float Phi;
};

// Render states (values as in Direct3D 8).
enum D3DRENDERSTATETYPE : std::uint32_t {
    D3DRS_ZENABLE = 7,
    D3DRS_FILLMODE = 8,
    D3DRS_SHADEMODE = 9,
    D3DRS_ZWRITEENABLE = 14,
    D3DRS_ALPHATESTENABLE = 15,
    D3DRS_SRCBLEND = 19,
    D3DRS_DESTBLEND = 20,
    D3DRS_CULLMODE = 22,
    D3DRS_ZFUNC = 23,
    D3DRS_ALPHAREF = 24,
    D3DRS_ALPHAFUNC = 25,
    D3DRS_DITHERENABLE = 26,
    D3DRS_ALPHABLENDENABLE = 27,
    D3DRS_FOGENABLE = 28,
    D3DRS_SPECULARENABLE = 29,
    D3DRS_EDGEANTIALIAS = 40,
    D3DRS_LIGHTING = 137,
    D3DRS_AMBIENT = 139,
    D3DRS_CLIPPING = 136,
    D3DRS_COLORVERTEX = 141,
    D3DRS_NORMALIZENORMALS = 143,
    D3DRS_DIFFUSEMATERIALSOURCE = 145,
    D3DRS_SPECULARMATERIALSOURCE = 146,
    D3DRS_AMBIENTMATERIALSOURCE = 147,
    D3DRS_EMISSIVEMATERIALSOURCE = 148,
};

enum D3DZBUFFERTYPE : std::uint32_t { D3DZB_FALSE = 0, D3DZB_TRUE = 1 };
enum D3DSHADEMODE : std::uint32_t { D3DSHADE_FLAT = 1, D3DSHADE_GOURAUD = 2 };
enum D3DCULL : std::uint32_t { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum D3DCMPFUNC : std::uint32_t {
    D3DCMP_NEVER = 1,
    D3DCMP_LESS = 2,
    D3DCMP_EQUAL = 3,
    D3DCMP_LESSEQUAL = 4,
    D3DCMP_GREATER = 5,
    D3DCMP_NOTEQUAL = 6,
    D3DCMP_GREATEREQUAL = 7,
    D3DCMP_ALWAYS = 8,
};
enum D3DBLEND : std::uint32_t {
    D3DBLEND_ZERO = 1,
    D3DBLEND_ONE = 2,
    D3DBLEND_SRCCOLOR = 3,
    D3DBLEND_INVSRCCOLOR = 4,
    D3DBLEND_SRCALPHA = 5,
    D3DBLEND_INVSRCALPHA = 6,
    D3DBLEND_DESTALPHA = 7,
    D3DBLEND_INVDESTALPHA = 8,
    D3DBLEND_DESTCOLOR = 9,
    D3DBLEND_INVDESTCOLOR = 10,
    D3DBLEND_SRCALPHASAT = 11,
};
enum D3DMATERIALCOLORSOURCE : std::uint32_t {
    D3DMCS_MATERIAL = 0,
    D3DMCS_COLOR1 = 1,
    D3DMCS_COLOR2 = 2,
};

// Texture stage states.
enum D3DTEXTURESTAGESTATETYPE : std::uint32_t {
    D3DTSS_COLOROP = 1,
    D3DTSS_COLORARG1 = 2,
    D3DTSS_COLORARG2 = 3,
    D3DTSS_ALPHAOP = 4,
    D3DTSS_ALPHAARG1 = 5,
    D3DTSS_ALPHAARG2 = 6,
    D3DTSS_TEXCOORDINDEX = 11,
    D3DTSS_ADDRESSU = 13,
    D3DTSS_ADDRESSV = 14,
    D3DTSS_MAGFILTER = 16,
    D3DTSS_MINFILTER = 17,
    D3DTSS_MIPFILTER = 18,
};
enum D3DTEXTUREFILTERTYPE : std::uint32_t {
    D3DTEXF_NONE = 0,
    D3DTEXF_POINT = 1,
    D3DTEXF_LINEAR = 2,
};
// Texture argument flags.
constexpr DWORD D3DTA_DIFFUSE = 0;
constexpr DWORD D3DTA_CURRENT = 1;
constexpr DWORD D3DTA_TEXTURE = 2;
enum D3DTEXTUREOP : std::uint32_t {
    D3DTOP_DISABLE = 1,
    D3DTOP_SELECTARG1 = 2,
    D3DTOP_SELECTARG2 = 3,
    D3DTOP_MODULATE = 4,
    D3DTOP_BLENDDIFFUSEALPHA = 12,
    D3DTOP_BLENDTEXTUREALPHA = 13,
    D3DTOP_BLENDCURRENTALPHA = 16,
};

enum D3DTRANSFORMSTATETYPE : std::uint32_t {
    D3DTS_VIEW = 2,
    D3DTS_PROJECTION = 3,
    D3DTS_WORLD = 256,
};

enum D3DPRIMITIVETYPE : std::uint32_t {
    D3DPT_POINTLIST = 1,
    D3DPT_LINELIST = 2,
    D3DPT_LINESTRIP = 3,
    D3DPT_TRIANGLELIST = 4,
    D3DPT_TRIANGLESTRIP = 5,
    D3DPT_TRIANGLEFAN = 6,
};

// Flexible vertex format bits.
constexpr DWORD D3DFVF_XYZ = 0x002;
constexpr DWORD D3DFVF_XYZRHW = 0x004;
constexpr DWORD D3DFVF_NORMAL = 0x010;
constexpr DWORD D3DFVF_DIFFUSE = 0x040;
constexpr DWORD D3DFVF_SPECULAR = 0x080;
constexpr DWORD D3DFVF_TEX1 = 0x100;
constexpr DWORD D3DFVF_TEX2 = 0x200;
constexpr DWORD D3DFVF_POSITION_MASK = 0x00E;
constexpr DWORD D3DFVF_TEXCOUNT_MASK = 0xF00;
constexpr DWORD D3DFVF_TEXCOUNT_SHIFT = 8;

constexpr DWORD D3DCLEAR_TARGET = 1;
constexpr DWORD D3DCLEAR_ZBUFFER = 2;
constexpr DWORD D3DCLEAR_STENCIL = 4;

constexpr DWORD D3DLOCK_READONLY = 0x10;
constexpr DWORD D3DLOCK_DISCARD = 0x2000;
constexpr DWORD D3DLOCK_NOOVERWRITE = 0x1000;

constexpr DWORD D3DUSAGE_WRITEONLY = 0x8;
constexpr DWORD D3DUSAGE_DYNAMIC = 0x200;

enum D3DPOOL : std::uint32_t { D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1, D3DPOOL_SYSTEMMEM = 2 };
enum D3DFORMAT : std::uint32_t {
    D3DFMT_UNKNOWN = 0,
    D3DFMT_A8R8G8B8 = 21,
    D3DFMT_X8R8G8B8 = 22,
    D3DFMT_R5G6B5 = 23,
    D3DFMT_INDEX16 = 101,
    D3DFMT_INDEX32 = 102,
};
enum D3DDEVTYPE : std::uint32_t { D3DDEVTYPE_HAL = 1, D3DDEVTYPE_REF = 2, D3DDEVTYPE_SW = 3 };

// The subset of D3DCAPS8 that the program reads.
struct D3DCAPS8 {
    D3DDEVTYPE DeviceType;
    DWORD Caps2;
    DWORD RasterCaps;
    DWORD TextureCaps;
    DWORD TextureFilterCaps;
    DWORD VertexShaderVersion;
    DWORD MaxVertexShaderConst;
    DWORD MaxTextureWidth;
    DWORD MaxTextureHeight;
    DWORD MaxTextureBlendStages;
    DWORD MaxSimultaneousTextures;
};

#define D3DVS_VERSION(major, minor) (0xFFFE0000u | ((major) << 8) | (minor))
