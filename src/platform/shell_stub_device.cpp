#include "platform/shell_stub_device.h"

#include <epoxy/gl.h>

#include <cstring>
#include <vector>

namespace platform {

namespace {

class MemTexture final : public gfx::Texture {
public:
    MemTexture(std::uint32_t w, std::uint32_t h, std::uint32_t levels) : w_(w), h_(h), levels_(levels) {
        if (levels_ == 0) {
            levels_ = 1;
            for (std::uint32_t s = (w > h ? w : h); s > 1; s >>= 1) ++levels_;
        }
    }
    std::uint32_t Width() const override { return w_; }
    std::uint32_t Height() const override { return h_; }
    std::uint32_t LevelCount() const override { return levels_; }
    HRESULT SetLevel(std::uint32_t level, std::uint32_t, std::uint32_t, const std::uint32_t* argb) override {
        return level < levels_ && argb ? S_OK : D3DERR_INVALIDCALL;
    }

private:
    std::uint32_t w_, h_, levels_;
};

template <typename Base>
class MemBuffer final : public Base {
public:
    explicit MemBuffer(std::uint32_t length, D3DFORMAT format = D3DFMT_UNKNOWN)
        : bytes_(length), format_(format) {}
    std::uint32_t Length() const override { return static_cast<std::uint32_t>(bytes_.size()); }
    HRESULT Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, DWORD) override {
        if (!data || offset > bytes_.size() || size > bytes_.size() - offset)
            return D3DERR_INVALIDCALL;
        *data = bytes_.data() + offset;
        return S_OK;
    }
    HRESULT Unlock() override { return S_OK; }
    D3DFORMAT Format() const { return format_; }

private:
    std::vector<std::uint8_t> bytes_;
    D3DFORMAT format_;
};

class MemIndexBuffer final : public gfx::IndexBuffer {
public:
    MemIndexBuffer(std::uint32_t length, D3DFORMAT format) : bytes_(length), format_(format) {}
    std::uint32_t Length() const override { return static_cast<std::uint32_t>(bytes_.size()); }
    D3DFORMAT Format() const override { return format_; }
    HRESULT Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, DWORD) override {
        if (!data || offset > bytes_.size() || size > bytes_.size() - offset)
            return D3DERR_INVALIDCALL;
        *data = bytes_.data() + offset;
        return S_OK;
    }
    HRESULT Unlock() override { return S_OK; }

private:
    std::vector<std::uint8_t> bytes_;
    D3DFORMAT format_;
};

}  // namespace

StubDevice::StubDevice(std::uint32_t width, std::uint32_t height) : width_(width), height_(height) {}

HRESULT StubDevice::Reset(const gfx::PresentParameters& params) {
    ++resets;
    if (FAILED(resetResult)) return resetResult;
    width_ = params.backBufferWidth;
    height_ = params.backBufferHeight;
    cooperativeLevel = S_OK;
    return S_OK;
}

HRESULT StubDevice::Present() {
    ++counters_.presents;
    return S_OK;
}

HRESULT StubDevice::Clear(DWORD, const void*, DWORD, D3DCOLOR, float, DWORD) {
    ++counters_.clears;
    return S_OK;
}

HRESULT StubDevice::GetDeviceCaps(D3DCAPS8* caps) {
    if (!caps) return D3DERR_INVALIDCALL;
    *caps = D3DCAPS8{};
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->TextureCaps = 1;
    caps->TextureFilterCaps = 1;
    caps->RasterCaps = 1;
    caps->VertexShaderVersion = D3DVS_VERSION(1, 1);
    caps->MaxVertexShaderConst = 96;
    caps->MaxTextureWidth = caps->MaxTextureHeight = 4096;
    return S_OK;
}

HRESULT StubDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    ++counters_.stateChanges;
    if (state >= 256) return D3DERR_INVALIDCALL;
    renderStates[state] = value;
    return S_OK;
}

HRESULT StubDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    if (state >= 256 || !value) return D3DERR_INVALIDCALL;
    *value = renderStates[state];
    return S_OK;
}

HRESULT StubDevice::SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) {
    ++counters_.stateChanges;
    return S_OK;
}

HRESULT StubDevice::GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX* matrix) {
    if (!matrix) return D3DERR_INVALIDCALL;
    *matrix = D3DMATRIX{};
    return S_OK;
}

HRESULT StubDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD, D3DFORMAT, D3DPOOL,
                                  gfx::Texture** out) {
    if (!out || width == 0 || height == 0) return D3DERR_INVALIDCALL;
    *out = new MemTexture(width, height, levels);
    return S_OK;
}

HRESULT StubDevice::CreateVertexBuffer(UINT length, DWORD, DWORD, D3DPOOL, gfx::VertexBuffer** out) {
    if (!out || length == 0) return D3DERR_INVALIDCALL;
    *out = new MemBuffer<gfx::VertexBuffer>(length);
    return S_OK;
}

HRESULT StubDevice::CreateIndexBuffer(UINT length, DWORD, D3DFORMAT format, D3DPOOL,
                                      gfx::IndexBuffer** out) {
    if (!out || length == 0) return D3DERR_INVALIDCALL;
    *out = new MemIndexBuffer(length, format);
    return S_OK;
}

HRESULT StubDevice::DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT primitiveCount) {
    ++counters_.draws;
    counters_.vertices += primitiveCount * 3u;
    return S_OK;
}

HRESULT StubDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE, UINT, UINT numVertices, UINT, UINT) {
    ++counters_.draws;
    counters_.vertices += numVertices;
    return S_OK;
}

bool StubDevice::ReadPresentedImage(std::vector<std::uint8_t>&, std::uint32_t&, std::uint32_t&) {
    return false;
}

namespace {

class StubGlDevice final : public StubDevice {
public:
    StubGlDevice(std::function<void(int&, int&)> size, std::function<void()> swap)
        : size_(std::move(size)), swap_(std::move(swap)) {
        Sync();
        const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        adapter = renderer ? renderer : "OpenGL";
    }
    HRESULT Reset(const gfx::PresentParameters& params) override {
        const HRESULT hr = StubDevice::Reset(params);
        Sync();
        return hr;
    }
    HRESULT Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override {
        StubDevice::Clear(count, rects, flags, color, z, stencil);
        glViewport(0, 0, static_cast<GLsizei>(width_), static_cast<GLsizei>(height_));
        glClearColor(((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f,
                     (color & 0xFF) / 255.0f, ((color >> 24) & 0xFF) / 255.0f);
        glClearDepth(z);
        GLbitfield mask = 0;
        if (flags & D3DCLEAR_TARGET) mask |= GL_COLOR_BUFFER_BIT;
        if (flags & D3DCLEAR_ZBUFFER) mask |= GL_DEPTH_BUFFER_BIT;
        if (flags & D3DCLEAR_STENCIL) mask |= GL_STENCIL_BUFFER_BIT;
        glClear(mask);
        return S_OK;
    }
    HRESULT Present() override {
        StubDevice::Present();
        // Keep a copy of what goes on screen for screenshots.
        image_.resize(static_cast<std::size_t>(width_) * height_ * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, static_cast<GLsizei>(width_), static_cast<GLsizei>(height_), GL_RGBA,
                     GL_UNSIGNED_BYTE, image_.data());
        imageWidth_ = width_;
        imageHeight_ = height_;
        swap_();
        return S_OK;
    }
    bool ReadPresentedImage(std::vector<std::uint8_t>& rgba, std::uint32_t& width,
                            std::uint32_t& height) override {
        if (image_.empty()) return false;
        width = imageWidth_;
        height = imageHeight_;
        rgba.resize(image_.size());
        const std::size_t row = static_cast<std::size_t>(width) * 4;
        for (std::uint32_t y = 0; y < height; ++y)  // GL rows run bottom to top
            std::memcpy(rgba.data() + y * row, image_.data() + (height - 1 - y) * row, row);
        return true;
    }

private:
    void Sync() {
        int w = 0, h = 0;
        size_(w, h);
        if (w > 0 && h > 0) {
            width_ = static_cast<std::uint32_t>(w);
            height_ = static_cast<std::uint32_t>(h);
        }
    }
    std::function<void(int&, int&)> size_;
    std::function<void()> swap_;
    std::vector<std::uint8_t> image_;
    std::uint32_t imageWidth_ = 0, imageHeight_ = 0;
};

}  // namespace

std::unique_ptr<gfx::Device> CreateStubGlDevice(std::function<void(int&, int&)> drawableSize,
                                                std::function<void()> swap) {
    return std::make_unique<StubGlDevice>(std::move(drawableSize), std::move(swap));
}

}  // namespace platform
