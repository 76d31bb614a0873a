#pragma once
// A minimal graphics device for the shell while the full devices are not
// wired in: resources live in memory, draws are counted and dropped. The GL
// flavour clears and presents the window's drawable through callbacks, so a
// window shows its clear colour and screenshots can be read back.
#include <functional>
#include <memory>

#include "platform/gfx_device.h"

namespace platform {

class StubDevice : public gfx::Device {
public:
    StubDevice(std::uint32_t width = 800, std::uint32_t height = 600);

    HRESULT TestCooperativeLevel() override { return cooperativeLevel; }
    HRESULT Reset(const gfx::PresentParameters& params) override;
    HRESULT Present() override;
    HRESULT BeginScene() override { return S_OK; }
    HRESULT EndScene() override { return S_OK; }
    HRESULT Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT SetClipStatus(DWORD, DWORD) override { return S_OK; }
    std::uint32_t BackBufferWidth() const override { return width_; }
    std::uint32_t BackBufferHeight() const override { return height_; }
    std::string AdapterDescription() const override { return adapter; }
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override;
    HRESULT SetTexture(DWORD, gfx::Texture*) override { return S_OK; }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return S_OK; }
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX* matrix) override;
    HRESULT SetMaterial(const D3DMATERIAL8*) override { return S_OK; }
    HRESULT SetLight(DWORD, const D3DLIGHT8*) override { return S_OK; }
    HRESULT LightEnable(DWORD, BOOL) override { return S_OK; }
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, gfx::Texture** out) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               gfx::VertexBuffer** out) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              gfx::IndexBuffer** out) override;
    HRESULT SetStreamSource(UINT, gfx::VertexBuffer*, UINT) override { return S_OK; }
    HRESULT SetIndices(gfx::IndexBuffer*, UINT) override { return S_OK; }
    HRESULT SetVertexShader(DWORD) override { return S_OK; }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE, UINT, UINT numVertices, UINT,
                                 UINT primitiveCount) override;
    bool ReadPresentedImage(std::vector<std::uint8_t>& rgba, std::uint32_t& width,
                            std::uint32_t& height) override;

    HRESULT cooperativeLevel = S_OK;  // tests set D3DERR_DEVICELOST / NOTRESET
    HRESULT resetResult = S_OK;       // tests make Reset fail
    int resets = 0;
    std::string adapter = "Stub device";
    DWORD renderStates[256] = {};

protected:
    std::uint32_t width_, height_;
};

// The window's stand-in GL device: `drawableSize` reports the back buffer,
// `swap` presents it. Needs a current OpenGL context.
std::unique_ptr<gfx::Device> CreateStubGlDevice(std::function<void(int&, int&)> drawableSize,
                                                std::function<void()> swap);

}  // namespace platform
