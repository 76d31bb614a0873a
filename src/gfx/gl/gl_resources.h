#pragma once
// The GL device's textures and buffers. Each holds the device's `alive`
// flag: once the device is gone, what the game still holds no longer
// touches GL.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/device.h"
#include "gfx/gl/gl_api.h"
#include "gfx/texel_opacity.h"

namespace gfx {

class GlTexture final : public Texture {
public:
    // `opaque`: a format without alpha, read as alpha 1. `bgra`: the context
    // takes 0xAARRGGBB texels as they are (desktop GL); otherwise (ES) they
    // are turned into RGBA bytes on the way, alpha 255 when opaque.
    GlTexture(std::shared_ptr<bool> alive, std::uint32_t w, std::uint32_t h, std::uint32_t levels, bool opaque,
              bool bgra);
    ~GlTexture() override;
    std::uint32_t Width() const override { return width_; }
    std::uint32_t Height() const override { return height_; }
    std::uint32_t LevelCount() const override { return levels_; }
    HRESULT SetLevel(std::uint32_t level, std::uint32_t w, std::uint32_t h, const std::uint32_t* argb) override;
    GLuint name() const { return name_; }
    const TexelOpacity& opacity() const { return opacity_; }

private:
    std::uint32_t LevelWidth(std::uint32_t l) const { return std::max(1u, width_ >> l); }
    std::uint32_t LevelHeight(std::uint32_t l) const { return std::max(1u, height_ >> l); }

    std::shared_ptr<bool> alive_;
    std::uint32_t width_, height_, levels_;
    bool alphaIgnored_;
    bool bgra_;
    GLuint name_ = 0;
    TexelOpacity opacity_;
};

// A GL buffer with a copy in memory: Lock hands out the copy, Unlock sends
// the locked range. A discarding lock orphans the GL storage first, so the
// driver need not wait for draws still reading the old contents.
class GlBufferStore {
public:
    GlBufferStore(std::shared_ptr<bool> alive, GLenum target, std::uint32_t length);
    ~GlBufferStore();
    GlBufferStore(const GlBufferStore&) = delete;
    GlBufferStore& operator=(const GlBufferStore&) = delete;
    std::uint32_t Length() const { return static_cast<std::uint32_t>(shadow_.size()); }
    HRESULT Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** out, DWORD flags);
    HRESULT Unlock();
    void Bind() const { glBindBuffer(target_, name_); }
    GLuint name() const { return name_; }
    const std::uint8_t* data() const { return shadow_.data(); }
    bool locked() const { return locked_; }

private:
    std::shared_ptr<bool> alive_;
    GLenum target_;
    GLuint name_ = 0;
    std::vector<std::uint8_t> shadow_;
    bool locked_ = false, discard_ = false, readOnly_ = false;
    std::uint32_t offset_ = 0, size_ = 0;
};

// A vertex or index buffer over a GlBufferStore.
template <class Interface>
class GlStoredBuffer : public Interface {
public:
    GlStoredBuffer(std::shared_ptr<bool> alive, GLenum target, std::uint32_t length)
        : store_(std::move(alive), target, length) {}
    std::uint32_t Length() const override { return store_.Length(); }
    HRESULT Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, DWORD flags) override {
        return store_.Lock(offset, size, data, flags);
    }
    HRESULT Unlock() override { return store_.Unlock(); }
    bool Locked() const override { return store_.locked(); }
    const std::uint8_t* Contents() const override { return store_.data(); }
    GlBufferStore& store() { return store_; }

private:
    GlBufferStore store_;
};

class GlVertexBuffer final : public GlStoredBuffer<VertexBuffer> {
public:
    GlVertexBuffer(std::shared_ptr<bool> alive, std::uint32_t length)
        : GlStoredBuffer(std::move(alive), GL_ARRAY_BUFFER, length) {}
};

class GlIndexBuffer final : public GlStoredBuffer<IndexBuffer> {
public:
    GlIndexBuffer(std::shared_ptr<bool> alive, std::uint32_t length, D3DFORMAT format)
        : GlStoredBuffer(std::move(alive), GL_ELEMENT_ARRAY_BUFFER, length), format_(format) {}
    D3DFORMAT Format() const override { return format_; }
    std::uint32_t IndexSize() const { return format_ == D3DFMT_INDEX32 ? 4 : 2; }

private:
    D3DFORMAT format_;
};

}  // namespace gfx
