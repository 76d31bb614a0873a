#include "gfx/gl/gl_resources.h"

#include <algorithm>

namespace gfx {

namespace {

// 0xAARRGGBB texels as R, G, B, A bytes; alpha 255 when `opaque`.
void ToRgbaBytes(const std::uint32_t* argb, std::size_t count, bool opaque, std::vector<std::uint8_t>& out) {
    out.resize(count * 4);
    const std::uint32_t alphaOr = opaque ? 0xFF000000u : 0u;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t t = argb[i] | alphaOr;
        out[4 * i] = static_cast<std::uint8_t>(t >> 16);
        out[4 * i + 1] = static_cast<std::uint8_t>(t >> 8);
        out[4 * i + 2] = static_cast<std::uint8_t>(t);
        out[4 * i + 3] = static_cast<std::uint8_t>(t >> 24);
    }
}

}  // namespace

GlTexture::GlTexture(std::shared_ptr<bool> alive, std::uint32_t w, std::uint32_t h, std::uint32_t levels, bool opaque,
                     bool bgra)
    : alive_(std::move(alive)), width_(w), height_(h), levels_(levels), alphaIgnored_(opaque), bgra_(bgra) {
    glGenTextures(1, &name_);
    glBindTexture(GL_TEXTURE_2D, name_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
    // WebGL has no swizzle: there the upload sets alpha instead.
    if (opaque && bgra_) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    const GLenum format = bgra_ ? GL_BGRA : GL_RGBA;
    const GLenum type = bgra_ ? GL_UNSIGNED_INT_8_8_8_8_REV : GL_UNSIGNED_BYTE;
    for (std::uint32_t l = 0; l < levels; ++l) {
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(l), GL_RGBA8, static_cast<GLsizei>(LevelWidth(l)),
                     static_cast<GLsizei>(LevelHeight(l)), 0, format, type, nullptr);
    }
}

GlTexture::~GlTexture() {
    if (*alive_ && name_ != 0) glDeleteTextures(1, &name_);
}

HRESULT GlTexture::SetLevel(std::uint32_t level, std::uint32_t w, std::uint32_t h, const std::uint32_t* argb) {
    if (!*alive_ || level >= levels_ || argb == nullptr || w != LevelWidth(level) || h != LevelHeight(level)) {
        return D3DERR_INVALIDCALL;
    }
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, name_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (bgra_) {
        glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), 0, 0, static_cast<GLsizei>(w),
                        static_cast<GLsizei>(h), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb);
    } else {
        std::vector<std::uint8_t> rgba;
        ToRgbaBytes(argb, static_cast<std::size_t>(w) * h, alphaIgnored_, rgba);
        glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), 0, 0, static_cast<GLsizei>(w),
                        static_cast<GLsizei>(h), GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    if (level == 0) opacity_.Build(w, h, argb, alphaIgnored_);
    return S_OK;
}

GlBufferStore::GlBufferStore(std::shared_ptr<bool> alive, GLenum target, std::uint32_t length)
    : alive_(std::move(alive)), target_(target), shadow_(length, 0) {
    glGenBuffers(1, &name_);
    Bind();
    glBufferData(target_, length, nullptr, GL_STREAM_DRAW);
}

GlBufferStore::~GlBufferStore() {
    if (*alive_ && name_ != 0) glDeleteBuffers(1, &name_);
}

HRESULT GlBufferStore::Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** out, DWORD flags) {
    if (out == nullptr) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (locked_ || !*alive_) return D3DERR_INVALIDCALL;
    if (size == 0 && offset == 0) size = Length();
    if (offset > Length() || size > Length() - offset) return D3DERR_INVALIDCALL;
    locked_ = true;
    discard_ = (flags & D3DLOCK_DISCARD) != 0;
    readOnly_ = (flags & D3DLOCK_READONLY) != 0;
    offset_ = offset;
    size_ = size;
    *out = shadow_.data() + offset;
    return S_OK;
}

HRESULT GlBufferStore::Unlock() {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    if (readOnly_ || !*alive_) return S_OK;
    Bind();
    if (discard_) glBufferData(target_, Length(), nullptr, GL_STREAM_DRAW);
    if (size_ > 0) glBufferSubData(target_, offset_, size_, shadow_.data() + offset_);
    return S_OK;
}

}  // namespace gfx
