#pragma once
// The OpenGL device. It draws into a GL context the shell has created and
// made current; the shaders of gl_shaders.h stand in for the fixed function
// pipeline. Its parts: gl_shaders (programs), gl_resources (textures and
// buffers), gl_states (state application), gl_frame (frame, clears, the
// off-screen depth target, the repeat target, present) and gl_sprite_cuts
// (blended sprite draws sent in opaque and blended runs).
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gfx/device.h"
#include "gfx/gl/gl_shaders.h"
#include "gfx/quad_cuts.h"

namespace gfx {

class GlDevice : public Device {
public:
    using SizeFunction = std::function<void(int& width, int& height)>;
    using SwapFunction = std::function<void()>;

    // The GL context must be current. drawableSize reports the window's
    // drawable in pixels; swap shows the back buffer. The back buffer the
    // game draws into has the drawable's size until Reset says otherwise;
    // it is drawn over the whole drawable, or as the largest centred
    // picture of its own shape with black bars beside it (keepAspect).
    GlDevice(SizeFunction drawableSize, SwapFunction swap);
    ~GlDevice() override;

    // False when the shaders would not build (error() tells why); such a
    // device must not be used.
    bool valid() const { return programs_.program[0] != 0; }
    // Which GL the current context gave: desktop OpenGL 3.3 core or OpenGL
    // ES 3.0; the device draws the same pixels on both.
    GlProfile profile() const { return profile_; }
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
    HRESULT Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT SetClipStatus(DWORD, DWORD) override { return S_OK; }
    std::uint32_t BackBufferWidth() const override { return width_; }
    std::uint32_t BackBufferHeight() const override { return height_; }
    std::string AdapterDescription() const override { return adapter_; }

    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                                 UINT primitiveCount) override;

    void SetRepeat(const RepeatSquare& square) override { repeat_ = square; }

    bool ReadPresentedImage(std::vector<std::uint8_t>& rgba, std::uint32_t& width, std::uint32_t& height) override;

protected:
    // Marks what must be sent to GL before the next draw.
    void StateChanged(StateKind kind, DWORD stage, DWORD which) override;
    std::uint32_t MaxTextureSide() const override { return 8192; }
    Texture* NewTexture(UINT width, UINT height, UINT levels, D3DFORMAT format, D3DPOOL pool) override;
    VertexBuffer* NewVertexBuffer(UINT length, D3DPOOL pool) override;
    IndexBuffer* NewIndexBuffer(UINT length, D3DFORMAT format, D3DPOOL pool) override;

private:
    // The "both" blend factors: source alpha and its inverse (or the other
    // way round) from the source state alone.
    static constexpr DWORD kBlendBothSrcAlpha = 12, kBlendBothInvSrcAlpha = 13;

    // What GL was last told, so that nothing is sent twice.
    struct GlState {
        int depthTest = -1, depthMask = -1, blend = -1, cull = -1;
        unsigned depthFunc = 0, blendSrc = 0, blendDst = 0, cullFace = 0;
        unsigned texture = 0xFFFFFFFFu;
        unsigned texture1 = 0xFFFFFFFFu;      // unit 1
        unsigned layoutBuffer = 0xFFFFFFFFu;  // the buffer the attributes point into
        DWORD layoutFvf = 0;
        UINT layoutStride = 0;
        UINT layoutBase = 0;  // the vertex the attributes start at
        std::uint32_t viewportW = 0, viewportH = 0;
    };

    // baseVertex: the vertex an indexed draw's index 0 names (ES 3.0 has no
    // base-vertex draws, so the attributes start there instead).
    bool PrepareDraw(UINT baseVertex = 0);
    ShaderVariant ChooseVariant() const;
    bool StageOneBlends() const;
    bool DrawOpaqueRunsStraight(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount);
    void DrawCutQuads();
    void SetBlend(bool on);
    void ApplyRenderStates();
    void ApplyTexture();
    void ApplyUniforms();
    void ApplyStageUniforms(const GlUniforms& u);
    void ApplyLightingUniforms(const GlUniforms& u);
    void ApplyVertexLayout(UINT baseVertex);
    bool ReadBackBuffer();
    void ClearPixels(DWORD count, const std::int32_t* rects, unsigned mask);
    void EnterDepthTarget();
    void LeaveDepthTarget();
    void ApplyDepthClears();
    bool DrawRepeated(unsigned mode, UINT startVertex, UINT count);
    bool RepeatTargetOf(std::uint32_t size);

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
    void ClearBars(int drawableW, int drawableH);
    bool captureOnPresent_ = false;

    GlProfile profile_ = GlProfile::Core33;
    GlPrograms programs_;
    ShaderVariant current_ = ShaderVariant::Untextured;
    unsigned vao_ = 0;
    unsigned sampler_ = 0;
    unsigned sampler1_ = 0;
    GlState gl_;
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

    // Draws whose picture repeats (SetRepeat) are painted into a texture of
    // the repeat square alone, then fetched from it pixel for pixel over
    // all they cover: two filtered texture reads a pixel become one fetch,
    // which a software renderer feels over a full-screen background.
    RepeatSquare repeat_;
    unsigned repeatFbo_ = 0, repeatTexture_ = 0, repeatSampler_ = 0;
    std::uint32_t repeatTargetSize_ = 0;
    bool repeatRefused_ = false;  // the target would not be made: draw as always

    // Large blended quads cut into opaque and blended pieces, and the
    // buffer they go through.
    QuadCuts cuts_;
    unsigned cutBuffer_ = 0;
    std::size_t cutBufferBytes_ = 0;

    std::vector<std::uint8_t> captured_;
    std::uint32_t capturedWidth_ = 0, capturedHeight_ = 0;
};

}  // namespace gfx
