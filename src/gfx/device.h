#pragma once
// The graphics device seam: the subset of a Direct3D 8 device the game uses,
// with its names, enums and semantics. Two implementations: OpenGL, desktop
// 3.3 core or ES 3.0 (gfx_device_gl.h and the gl_* files) for players, and a
// recording device (gfx_device_null.cpp) for tests and headless runs. Both keep their state
// and check their calls through the one RenderState (render_state.h) the
// Device holds, so the recording device accepts, refuses and keeps exactly
// what the OpenGL device does.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d_types.h"
#include "gfx/render_state.h"

namespace gfx {

// Reference-counted device resource (AddRef/Release as in COM).
class Resource {
public:
    virtual ~Resource() = default;
    std::uint32_t AddRef() { return ++refs_; }
    std::uint32_t Release() {
        const std::uint32_t left = --refs_;
        if (left == 0) delete this;
        return left;
    }

private:
    std::uint32_t refs_ = 1;
};

class Texture : public Resource {
public:
    virtual std::uint32_t Width() const = 0;
    virtual std::uint32_t Height() const = 0;
    virtual std::uint32_t LevelCount() const = 0;
    // Fills one mip level with straight-alpha pixels, 0xAARRGGBB per texel
    // (D3DFMT_A8R8G8B8 memory order B, G, R, A), rows top to bottom.
    virtual HRESULT SetLevel(std::uint32_t level, std::uint32_t width, std::uint32_t height,
                             const std::uint32_t* argb) = 0;
};

class VertexBuffer : public Resource {
public:
    virtual std::uint32_t Length() const = 0;
    // Lock with D3DLOCK_DISCARD gives fresh storage; the pointer stays valid
    // until Unlock.
    virtual HRESULT Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, DWORD flags) = 0;
    virtual HRESULT Unlock() = 0;
    // Not Direct3D: whether it is locked, and its bytes as last written
    // (every device keeps a copy in memory).
    virtual bool Locked() const = 0;
    virtual const std::uint8_t* Contents() const = 0;
};

class IndexBuffer : public Resource {
public:
    virtual std::uint32_t Length() const = 0;
    virtual D3DFORMAT Format() const = 0;
    virtual HRESULT Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, DWORD flags) = 0;
    virtual HRESULT Unlock() = 0;
    virtual bool Locked() const = 0;
    virtual const std::uint8_t* Contents() const = 0;
};

// Per-frame counters every device keeps (reset by ResetCounters).
struct Counters {
    std::uint64_t draws = 0;         // DrawPrimitive + DrawIndexedPrimitive calls
    std::uint64_t vertices = 0;      // vertices submitted by draws
    std::uint64_t textureBinds = 0;  // SetTexture calls that changed the texture
    std::uint64_t stateChanges = 0;  // SetRenderState / SetTextureStageState calls
    std::uint64_t clears = 0;
    std::uint64_t presents = 0;
    std::uint64_t opaqueTriangles = 0;  // of blended draws, drawn straight as they were opaque (GL)
    std::uint64_t clearTriangles = 0;   // of blended draws, left out as they showed only clear texels (GL)
    std::uint64_t apiDraws = 0;         // draw calls sent to the graphics library (GL)
    std::uint64_t repeatedDraws = 0;    // draws painted once over their repeat square and copied (GL)
};

// A square of the back buffer (pixels, top row 0) that the next draws cover
// in full, and whose picture repeats every `size` pixels across and down
// over all they cover. A size of 0 says nothing repeats.
struct RepeatSquare {
    std::uint32_t x = 0, y = 0, size = 0;
};

// Capability bits the devices report (values of Direct3D 8).
constexpr DWORD kTextureCapsMipMap = 0x00004000;    // D3DPTEXTURECAPS_MIPMAP
constexpr DWORD kFilterCapsMinLinear = 0x00000200;  // D3DPTFILTERCAPS_MINFLINEAR
constexpr DWORD kFilterCapsMipPoint = 0x00010000;   // D3DPTFILTERCAPS_MIPFPOINT
constexpr DWORD kFilterCapsMipLinear = 0x00020000;  // D3DPTFILTERCAPS_MIPFLINEAR
constexpr DWORD kFilterCapsMagLinear = 0x02000000;  // D3DPTFILTERCAPS_MAGFLINEAR
constexpr DWORD kRasterCapsZTest = 0x00000010;      // D3DPRASTERCAPS_ZTEST

// Vertex formats the game draws with.
constexpr DWORD kFvfScreen = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x144, 28 bytes
constexpr DWORD kFvfWorld = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;      // 0x142, 24 bytes
constexpr DWORD kFvfMesh = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;        // 0x112, 32 bytes
constexpr DWORD kFvfShadow = D3DFVF_XYZ | D3DFVF_TEX1;                      // 0x102, 20 bytes
// Screen vertices with a coordinate set for each of two texture stages.
constexpr DWORD kFvfScreen2 = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2;  // 0x244, 36 bytes

// Index i of an index array of the given format (D3DFMT_INDEX16 or 32).
std::uint32_t IndexAt(const std::uint8_t* indices, D3DFORMAT format, std::uint32_t i);

// The capabilities both devices share; the rest is each device's own.
void FillCaps(D3DCAPS8& caps, DWORD maxTextureSide, DWORD blendStages);

// Bytes per vertex of a vertex format (0 for formats the devices do not know).
std::uint32_t FvfStride(DWORD fvf);
// Vertices a draw of this many primitives reads (0 for an unknown type).
std::uint32_t PrimitiveVertexCount(D3DPRIMITIVETYPE type, std::uint32_t primitiveCount);

struct PresentParameters {
    std::uint32_t backBufferWidth = 800;
    std::uint32_t backBufferHeight = 600;
    bool windowed = true;
    // Keep the back buffer's shape in a window of another shape: the picture
    // is centred with black bars (else it is stretched to fill).
    bool keepAspect = true;
};

class Device {
public:
    virtual ~Device() = default;

    // Device state and frame.
    virtual HRESULT TestCooperativeLevel() = 0;
    virtual HRESULT Reset(const PresentParameters& params) = 0;
    virtual HRESULT Present() = 0;
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) = 0;
    virtual HRESULT GetDeviceCaps(D3DCAPS8* caps) = 0;
    virtual HRESULT SetClipStatus(DWORD clipUnion, DWORD clipIntersection) = 0;
    virtual std::uint32_t BackBufferWidth() const = 0;
    virtual std::uint32_t BackBufferHeight() const = 0;
    virtual std::string AdapterDescription() const = 0;

    // States, kept and checked by the device's RenderState; a refused call
    // returns D3DERR_INVALIDCALL and changes nothing.
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value);
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    HRESULT SetTexture(DWORD stage, Texture* texture);
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix);
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix);
    HRESULT SetMaterial(const D3DMATERIAL8* material);
    HRESULT SetLight(DWORD index, const D3DLIGHT8* light);
    HRESULT LightEnable(DWORD index, BOOL enable);

    // Resources. The caller owns one reference of what it gets. The sizes,
    // formats and lengths are checked here, alike for every device.
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          Texture** out);
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, VertexBuffer** out);
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, IndexBuffer** out);

    // Drawing. The draws are checked by RenderState::CheckDraw and
    // CheckIndexedDraw before a device draws.
    HRESULT SetStreamSource(UINT stream, VertexBuffer* buffer, UINT stride);
    HRESULT SetIndices(IndexBuffer* buffer, UINT baseVertexIndex);
    HRESULT SetVertexShader(DWORD fvf);
    virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) = 0;
    virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                                         UINT primitiveCount) = 0;
    // Not Direct3D: what the next draws repeat, until said again. A device
    // may paint the square alone and copy it over the rest: the same
    // picture for a fraction of the texture reads. Others draw as always.
    virtual void SetRepeat(const RepeatSquare& /*square*/) {}

    // Not Direct3D: counters, and the last presented image for screenshots
    // (RGBA8, top row first; false when the device cannot read it back).
    const Counters& counters() const { return counters_; }
    void ResetCounters() { counters_ = Counters{}; }
    // Leaves out the drawing and the presenting (every call is still checked
    // and counted), for a timed run that starts late in a demo.
    void SetDrawingSkipped(bool skip) { drawingSkipped_ = skip; }
    virtual bool ReadPresentedImage(std::vector<std::uint8_t>& rgba, std::uint32_t& width, std::uint32_t& height) = 0;
    // Asks the device to keep a copy of every presented frame so that
    // ReadPresentedImage is exact (turn it on before a screenshot run).
    virtual void SetCaptureOnPresent(bool) {}
    virtual bool CaptureOnPresent() const { return false; }
    // The state as the device keeps it.
    const RenderState& state() const { return state_; }
    // Calls refused with D3DERR_INVALIDCALL (wrong nesting, bad ranges,
    // drawing from a locked buffer ...) since construction.
    std::uint32_t invalidCalls() const { return invalidCalls_; }

protected:
    // Told of every accepted call that moved the state (see StateKind for
    // what stage and which name), for a device that passes state on.
    virtual void StateChanged(StateKind, DWORD /*stage*/, DWORD /*which*/) {}
    // Counts a refused call and returns D3DERR_INVALIDCALL.
    HRESULT Invalid();
    // What a device makes once the arguments have passed: the largest
    // texture side it takes, and textures (levels already counted: 1 to the
    // full chain) and buffers of a length above 0 and a known format.
    virtual std::uint32_t MaxTextureSide() const = 0;
    virtual Texture* NewTexture(UINT width, UINT height, UINT levels, D3DFORMAT format, D3DPOOL pool) = 0;
    virtual VertexBuffer* NewVertexBuffer(UINT length, D3DPOOL pool) = 0;
    virtual IndexBuffer* NewIndexBuffer(UINT length, D3DFORMAT format, D3DPOOL pool) = 0;

    Counters counters_;
    RenderState state_;
    bool drawingSkipped_ = false;

private:
    HRESULT Settle(StateChange change, StateKind kind, DWORD stage, DWORD which);
    HRESULT Checked(HRESULT result);

    std::uint32_t invalidCalls_ = 0;
};

}  // namespace gfx
