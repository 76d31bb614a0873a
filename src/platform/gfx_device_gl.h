#pragma once
// The OpenGL 3.3 core device. It draws into a GL context the shell has
// created and made current; one shader pair stands in for the fixed
// function pipeline: pre-transformed screen vertices, world vertices with
// world/view/projection, directional (and simple point) lights, and
// texture stage 0 with its colour and alpha operations.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx_device.h"

namespace gfx {

class GlDevice : public Device {
public:
    using SizeFunction = std::function<void(int& width, int& height)>;
    using SwapFunction = std::function<void()>;

    // The GL context must be current. drawableSize reports the window's
    // drawable in pixels; swap shows the back buffer. The back buffer the
    // game draws into has the drawable's size until Reset says otherwise;
    // it is stretched over the drawable.
    GlDevice(SizeFunction drawableSize, SwapFunction swap);
    ~GlDevice() override;

    // False when the shaders would not build (error() tells why); such a
    // device must not be used.
    bool valid() const { return programs_[0] != 0; }
    const std::string& error() const { return error_; }

    // When on, every Present first reads the back buffer back, so that
    // ReadPresentedImage returns exactly the last presented frame. Off by
    // default (the read costs time); without it ReadPresentedImage reads
    // the front buffer, which works on most systems but is not guaranteed.
    void SetCaptureOnPresent(bool on) override { captureOnPresent_ = on; }
    bool CaptureOnPresent() const override { return captureOnPresent_; }

    HRESULT TestCooperativeLevel() override { return S_OK; }
    HRESULT Reset(const PresentParameters& params) override;
    HRESULT Present() override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT SetClipStatus(DWORD, DWORD) override { return S_OK; }
    std::uint32_t BackBufferWidth() const override { return width_; }
    std::uint32_t BackBufferHeight() const override { return height_; }
    std::string AdapterDescription() const override { return adapter_; }

    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices,
                                 UINT startIndex, UINT primitiveCount) override;

    bool ReadPresentedImage(std::vector<std::uint8_t>& rgba, std::uint32_t& width,
                            std::uint32_t& height) override;

protected:
    // Marks what must be sent to GL before the next draw.
    void StateChanged(StateKind kind, DWORD stage, DWORD which) override;
    std::uint32_t MaxTextureSide() const override { return 8192; }
    Texture* NewTexture(UINT width, UINT height, UINT levels, D3DFORMAT format, D3DPOOL pool) override;
    VertexBuffer* NewVertexBuffer(UINT length, D3DPOOL pool) override;
    IndexBuffer* NewIndexBuffer(UINT length, D3DFORMAT format, D3DPOOL pool) override;

private:
    struct Uniforms;
    struct GlState;

    bool BuildPrograms();
    bool PrepareDraw();
    bool StageOneBlends() const;
    bool DrawOpaqueRunsStraight(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount);
    bool DrawLargeQuadsSplit(const void* vertices, UINT primitiveCount);
    void ApplyRenderStates();
    void ApplyTexture();
    void ApplyUniforms();
    void ApplyVertexLayout();
    bool ReadBackBuffer();
    void ClearPixels(DWORD count, const std::int32_t* rects, unsigned mask);
    void EnterDepthTarget();
    void LeaveDepthTarget();
    void ApplyDepthClears();

    SizeFunction drawableSize_;
    SwapFunction swap_;
    std::string error_;
    std::string adapter_;
    std::uint32_t width_ = 800, height_ = 600;
    // Where the back buffer lands in the drawable (GL pixels, bottom up):
    // all of it, or the centred picture of the back buffer's shape.
    bool keepAspect_ = true;
    int pictureX_ = 0, pictureY_ = 0, pictureW_ = 0, pictureH_ = 0;
    void PlacePicture(int drawableW, int drawableH);
    bool captureOnPresent_ = false;

    // Fragment shader builds: no texture, texture x diffuse, stage 0 in full,
    // and two stages: texture x diffuse laid over stage 1's texture by its
    // alpha (D3DTOP_BLENDCURRENTALPHA), the only use of stage 1 it draws.
    static constexpr int kVariants = 4;
    std::array<unsigned, kVariants> programs_{};
    int current_ = 0;
    unsigned vao_ = 0;
    unsigned sampler_ = 0;
    unsigned sampler1_ = 0;
    std::array<std::unique_ptr<Uniforms>, kVariants> uniforms_;
    std::unique_ptr<GlState> gl_;
    std::shared_ptr<bool> alive_;

    // What needs sending to GL before the next draw.
    bool dirtyStates_ = true;
    bool dirtySampler_ = true;
    bool dirtySampler1_ = true;
    bool dirtyTransforms_ = true;
    bool dirtyLighting_ = true;
    bool dirtyStage_ = true;
    bool dirtyLayout_ = true;

    // A window without a depth buffer keeps Mesa's software renderer on its
    // fast path for the flat sprite frames the game draws. Depth lives in an
    // off-screen target instead: a frame moves there (its pixels copied
    // along) at its first depth-tested draw and is copied back at Present.
    // Depth clears asked for meanwhile wait, in order, until then.
    struct DepthClear {
        bool whole;
        std::int32_t x1, y1, x2, y2;  // back-buffer pixels, top row 0
        float z;
    };
    bool windowDepth_ = true;
    bool offscreen_ = false;
    unsigned depthFbo_ = 0, depthColor_ = 0, depthBuffer_ = 0;
    int depthTargetW_ = 0, depthTargetH_ = 0;
    std::vector<DepthClear> depthClears_;

    // Large blended quads cut into opaque and blended pieces: the pieces'
    // vertices (sprite layout), their runs, and the buffer they go through.
    struct SplitRun {
        std::uint32_t first, count;
        bool opaque;
    };
    struct QuadPiece;
    std::vector<std::uint8_t> splitVertices_;
    std::vector<SplitRun> splitRuns_;
    std::vector<QuadPiece> quadPieces_;  // one quad's pieces, until it proves worth cutting
    unsigned splitBuffer_ = 0;
    std::size_t splitBufferBytes_ = 0;

    std::vector<std::uint8_t> captured_;
    std::uint32_t capturedWidth_ = 0, capturedHeight_ = 0;
};

}  // namespace gfx
