#pragma once
// The recording device: gives textures and buffers real memory and records
// each draw call with the state it was made in (the state and its checks
// are the Device's RenderState, as on the OpenGL device), so tests and
// headless runs can check what a frame drew. It draws no pixels.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/device.h"

namespace gfx {

// One draw call and the state it was made in.
struct DrawRecord {
    bool indexed = false;
    D3DPRIMITIVETYPE primitive = D3DPT_TRIANGLELIST;
    UINT startVertex = 0;  // DrawPrimitive: first vertex; indexed: minIndex
    UINT vertexRange = 0;  // indexed: numVertices; otherwise vertices read
    UINT startIndex = 0;   // indexed only
    UINT primitiveCount = 0;
    UINT vertexCount = 0;  // vertices (or indices) the primitives read
    DWORD fvf = 0;
    UINT stride = 0;
    const VertexBuffer* stream = nullptr;
    const IndexBuffer* indices = nullptr;
    const Texture* texture = nullptr;
    // Stage 1: its texture and colour operation (D3DTOP_DISABLE when off).
    const Texture* texture1 = nullptr;
    DWORD colorOp1 = 0, colorArg1_1 = 0, colorArg2_1 = 0, texCoordIndex1 = 0;
    bool alphaBlend = false;
    DWORD srcBlend = 0, destBlend = 0;
    bool zEnable = false, zWrite = false;
    DWORD zFunc = 0;
    bool lighting = false;
    DWORD ambientSource = 0, emissiveSource = 0;
    DWORD colorOp = 0, alphaOp = 0, alphaArg1 = 0, alphaArg2 = 0;
    DWORD mipFilter = 0, minFilter = 0, magFilter = 0;
    D3DMATERIAL8 material = {};
    D3DMATRIX world = {};
    std::array<DWORD, kMaxActiveLights> lightsOn = {};  // enabled light indices
    std::uint32_t lightCount = 0;
    // Screen-space triangle lists: triangles the cull mode throws away
    // (wound the culled way on screen); they draw nothing on a real device.
    std::uint32_t culledTriangles = 0;
    // With geometry capture on: the bytes of every vertex the primitives
    // read, in drawing order (indexed draws resolved through the indices).
    std::vector<std::uint8_t> vertexBytes;
};

class NullTexture;

class NullDevice : public Device {
public:
    explicit NullDevice(std::uint32_t width = 800, std::uint32_t height = 600);
    ~NullDevice() override;

    HRESULT TestCooperativeLevel() override;
    HRESULT Reset(const PresentParameters& params) override;
    HRESULT Present() override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT SetClipStatus(DWORD clipUnion, DWORD clipIntersection) override;
    std::uint32_t BackBufferWidth() const override { return width_; }
    std::uint32_t BackBufferHeight() const override { return height_; }
    std::string AdapterDescription() const override { return "Recording device"; }

    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                                 UINT primitiveCount) override;

    // No pixels: always false.
    bool ReadPresentedImage(std::vector<std::uint8_t>& rgba, std::uint32_t& width, std::uint32_t& height) override;

    // --- inspection -----------------------------------------------------
    // Draws since the last Present (or ClearRecords).
    const std::vector<DrawRecord>& draws() const { return draws_; }
    // The draws of the frame the last Present showed.
    const std::vector<DrawRecord>& presentedDraws() const { return presented_; }
    void ClearRecords() { draws_.clear(); }
    std::uint32_t clearCount() const { return clears_; }
    bool inScene() const { return state_.inScene(); }
    // Textures, vertex and index buffers alive in D3DPOOL_DEFAULT: Reset
    // refuses (D3DERR_INVALIDCALL) while there are any, as Direct3D does.
    std::uint32_t liveDefaultPoolResources() const { return static_cast<std::uint32_t>(*liveDefault_); }
    Texture* texture(DWORD stage) const { return state_.texture(stage); }

    // --- injected behaviour ----------------------------------------------
    // Copy the vertices of every draw into its record (off by default).
    void SetCaptureGeometry(bool on) { captureGeometry_ = on; }
    // The next `skip` BeginScene calls succeed, the `count` after them fail.
    void FailBeginScene(std::uint32_t skip, std::uint32_t count);
    // What TestCooperativeLevel reports (S_OK, D3DERR_DEVICELOST,
    // D3DERR_DEVICENOTRESET). A successful Reset brings it back to S_OK.
    void SetCooperativeLevel(HRESULT result) { cooperative_ = result; }
    // Reset returns this result when it is a failure (S_OK: normal Reset).
    void FailReset(HRESULT result) { resetFailure_ = result; }
    // Texture stages the caps report (2 by default; 1 stands for a device
    // without a second stage).
    void SetBlendStages(DWORD stages) { blendStages_ = stages; }

protected:
    std::uint32_t MaxTextureSide() const override { return 4096; }
    Texture* NewTexture(UINT width, UINT height, UINT levels, D3DFORMAT format, D3DPOOL pool) override;
    VertexBuffer* NewVertexBuffer(UINT length, D3DPOOL pool) override;
    IndexBuffer* NewIndexBuffer(UINT length, D3DFORMAT format, D3DPOOL pool) override;

private:
    // A new record of a draw, with the state it is made in.
    DrawRecord& Record(D3DPRIMITIVETYPE type, UINT start, UINT range, UINT primitiveCount, UINT count);

    std::uint32_t width_, height_;
    HRESULT cooperative_ = S_OK;
    HRESULT resetFailure_ = S_OK;
    std::uint32_t beginSkip_ = 0, beginFail_ = 0;
    bool captureGeometry_ = false;
    DWORD blendStages_ = 2;

    std::vector<DrawRecord> draws_;
    std::vector<DrawRecord> presented_;
    std::uint32_t clears_ = 0;
    std::shared_ptr<std::int64_t> liveDefault_;
};

}  // namespace gfx
