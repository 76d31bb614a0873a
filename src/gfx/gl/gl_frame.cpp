// The GL device's frame: scenes, the picture's place in the drawable,
// clears, the off-screen depth target and present.
#include "gfx/gl/gl_device.h"
#include "gfx/gl/gl_api.h"

#include <algorithm>
#include <cstring>

namespace gfx {

HRESULT GlDevice::Reset(const PresentParameters& params) {
    if (state_.inScene()) return Invalid();
    if (params.backBufferWidth == 0 || params.backBufferHeight == 0) return Invalid();
    width_ = params.backBufferWidth;
    height_ = params.backBufferHeight;
    keepAspect_ = params.keepAspect;
    gl_.viewportW = gl_.viewportH = 0;  // placed afresh at the next scene
    // The GL context survives; only the states go back to their start.
    state_.Reset();
    dirtyStates_ = dirtySampler_ = dirtySampler1_ = dirtyTransforms_ = dirtyLighting_ = dirtyStage_ = dirtyLayout_ =
        true;
    gl_ = GlState{};
    // The frame in hand is dropped and depth starts afresh.
    if (offscreen_) glBindFramebuffer(GL_FRAMEBUFFER, 0);
    offscreen_ = false;
    depthClears_.clear();
    depthTargetW_ = depthTargetH_ = 0;
    return S_OK;
}

bool GlDevice::ReadBackBuffer() {
    int w = 0, h = 0;
    if (drawableSize_) drawableSize_(w, h);
    if (w <= 0 || h <= 0) return false;
    const auto rowBytes = static_cast<std::size_t>(w) * 4;
    captured_.resize(rowBytes * static_cast<std::size_t>(h));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, captured_.data());
    // GL's rows run bottom up.
    std::vector<std::uint8_t> row(rowBytes);
    for (int y = 0; y < h / 2; ++y) {
        std::uint8_t* a = captured_.data() + rowBytes * static_cast<std::size_t>(y);
        std::uint8_t* b = captured_.data() + rowBytes * static_cast<std::size_t>(h - 1 - y);
        std::memcpy(row.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, row.data(), rowBytes);
    }
    for (std::size_t i = 3; i < captured_.size(); i += 4) captured_[i] = 255;
    capturedWidth_ = static_cast<std::uint32_t>(w);
    capturedHeight_ = static_cast<std::uint32_t>(h);
    return true;
}

HRESULT GlDevice::Present() {
    if (state_.inScene()) return Invalid();
    LeaveDepthTarget();
    if (captureOnPresent_) {
        glReadBuffer(GL_BACK);
        ReadBackBuffer();
    }
    if (swap_ && !drawingSkipped_) swap_();
    ++counters_.presents;
    return S_OK;
}

bool GlDevice::ReadPresentedImage(std::vector<std::uint8_t>& rgba, std::uint32_t& width, std::uint32_t& height) {
    if (!captureOnPresent_ || captured_.empty()) {
        // ES reads only the back buffer, which after a swap may hold
        // anything: there only a capture on present is sure.
        const bool es = profile_ == GlProfile::Es30;
        if (!es) glReadBuffer(GL_FRONT);
        const bool ok = ReadBackBuffer();
        if (!es) glReadBuffer(GL_BACK);
        if (!ok) return false;
    }
    rgba = captured_;
    width = capturedWidth_;
    height = capturedHeight_;
    return true;
}

HRESULT GlDevice::BeginScene() {
    if (FAILED(state_.BeginScene())) return Invalid();
    int w = 0, h = 0;
    if (drawableSize_) drawableSize_(w, h);
    if (w > 0 && h > 0) {
        if (gl_.viewportW != static_cast<std::uint32_t>(w) || gl_.viewportH != static_cast<std::uint32_t>(h)) {
            PlacePicture(w, h);
            glViewport(pictureX_, pictureY_, pictureW_, pictureH_);
            gl_.viewportW = static_cast<std::uint32_t>(w);
            gl_.viewportH = static_cast<std::uint32_t>(h);
        }
        if (pictureW_ != w || pictureH_ != h) ClearBars(w, h);
    }
    return S_OK;
}

// The bars beside the picture (never the picture: a frame may hold several
// scenes).
void GlDevice::ClearBars(int w, int h) {
    glClearColor(0, 0, 0, 1);
    glEnable(GL_SCISSOR_TEST);
    if (pictureX_ > 0) {
        glScissor(0, 0, pictureX_, h);
        glClear(GL_COLOR_BUFFER_BIT);
        glScissor(pictureX_ + pictureW_, 0, w - pictureX_ - pictureW_, h);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    if (pictureY_ > 0) {
        glScissor(0, 0, w, pictureY_);
        glClear(GL_COLOR_BUFFER_BIT);
        glScissor(0, pictureY_ + pictureH_, w, h - pictureY_ - pictureH_);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
}

void GlDevice::PlacePicture(int drawableW, int drawableH) {
    pictureX_ = pictureY_ = 0;
    pictureW_ = drawableW;
    pictureH_ = drawableH;
    if (!keepAspect_ || drawableW <= 0 || drawableH <= 0 || width_ == 0 || height_ == 0) return;
    // The largest picture of the back buffer's shape, centred.
    const auto dw = static_cast<std::uint64_t>(drawableW), dh = static_cast<std::uint64_t>(drawableH);
    if (dw * height_ > dh * width_) {
        pictureW_ = static_cast<int>((dh * width_ + height_ / 2) / height_);
        pictureX_ = (drawableW - pictureW_) / 2;
    } else {
        pictureH_ = static_cast<int>((dw * height_ + width_ / 2) / width_);
        pictureY_ = (drawableH - pictureH_) / 2;
    }
}

HRESULT GlDevice::EndScene() { return FAILED(state_.EndScene()) ? Invalid() : S_OK; }

HRESULT GlDevice::Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR color, float z, DWORD) {
    if ((count != 0) != (rects != nullptr)) return Invalid();
    if ((flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER)) == 0) return Invalid();
    const auto* r = static_cast<const std::int32_t*>(rects);
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        glClearColor(static_cast<float>((color >> 16) & 0xFF) / 255.0f,
                     static_cast<float>((color >> 8) & 0xFF) / 255.0f, static_cast<float>(color & 0xFF) / 255.0f,
                     static_cast<float>((color >> 24) & 0xFF) / 255.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        z = std::clamp(z, 0.0f, 1.0f);
        if (windowDepth_ || offscreen_) {
            ClearDepthValue(profile_ == GlProfile::Es30, z);
            mask |= GL_DEPTH_BUFFER_BIT;
        } else {
            // Kept for the depth target; a whole clear makes the ones
            // before it moot.
            if (count == 0) {
                depthClears_.clear();
                depthClears_.push_back({true, 0, 0, 0, 0, z});
            }
            for (DWORD i = 0; i < count; ++i) {
                depthClears_.push_back({false, r[4 * i], r[4 * i + 1], r[4 * i + 2], r[4 * i + 3], z});
            }
            // Partial clears pile up only while nothing is drawn with depth:
            // past a few, carry them out on the target now.
            if (depthClears_.size() > 64) {
                EnterDepthTarget();
                if (offscreen_)
                    LeaveDepthTarget();
                else
                    depthClears_.clear();  // no depth target to be had
            }
        }
    }
    if (mask != 0) ClearPixels(count, r, mask);
    ++counters_.clears;
    return S_OK;
}

void GlDevice::ClearPixels(DWORD count, const std::int32_t* r, unsigned mask) {
    // Clearing ignores the depth write state, as on Direct3D.
    if ((mask & GL_DEPTH_BUFFER_BIT) && gl_.depthMask != 1) {
        glDepthMask(GL_TRUE);
        gl_.depthMask = 1;
        dirtyStates_ = true;
    }
    int dw = 0, dh = 0;
    if (drawableSize_) drawableSize_(dw, dh);
    PlacePicture(dw, dh);
    if (count == 0) {
        if (pictureW_ == dw && pictureH_ == dh) {
            glClear(mask);
            return;
        }
        glEnable(GL_SCISSOR_TEST);
        glScissor(pictureX_, pictureY_, pictureW_, pictureH_);
        glClear(mask);
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    // D3DRECT: x1, y1, x2, y2 in back-buffer pixels, top row 0.
    const float sx = static_cast<float>(pictureW_) / static_cast<float>(width_);
    const float sy = static_cast<float>(pictureH_) / static_cast<float>(height_);
    const int top = pictureY_ + pictureH_;
    glEnable(GL_SCISSOR_TEST);
    for (DWORD i = 0; i < count; ++i, r += 4) {
        const int x1 = static_cast<int>(static_cast<float>(r[0]) * sx);
        const int x2 = static_cast<int>(static_cast<float>(r[2]) * sx);
        const int y1 = static_cast<int>(static_cast<float>(r[1]) * sy);
        const int y2 = static_cast<int>(static_cast<float>(r[3]) * sy);
        if (x2 <= x1 || y2 <= y1) continue;
        glScissor(pictureX_ + x1, top - y2, x2 - x1, y2 - y1);
        glClear(mask);
    }
    glDisable(GL_SCISSOR_TEST);
}

void GlDevice::EnterDepthTarget() {
    if (windowDepth_ || offscreen_) return;
    int w = 0, h = 0;
    if (drawableSize_) drawableSize_(w, h);
    if (w <= 0 || h <= 0) return;
    if (depthFbo_ == 0) {
        glGenFramebuffers(1, &depthFbo_);
        glGenRenderbuffers(1, &depthColor_);
        glGenRenderbuffers(1, &depthBuffer_);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, depthFbo_);
    if (w != depthTargetW_ || h != depthTargetH_) {
        // A new size starts with depth 1, as a reset device would.
        glBindRenderbuffer(GL_RENDERBUFFER, depthColor_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
        glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, w, h);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, depthColor_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
        // Asked only when the target is made: the answer stays until its
        // size changes, and a browser's WebGL waits for every drawing queued
        // so far to answer it (tens of milliseconds a frame in software).
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            return;
        }
        depthTargetW_ = w;
        depthTargetH_ = h;
        depthClears_.insert(depthClears_.begin(), DepthClear{true, 0, 0, 0, 0, 1.0f});
    }
    // The frame so far comes along.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, depthFbo_);
    offscreen_ = true;
    ApplyDepthClears();
}

// The repeat texture and its framebuffer for squares of this side: made
// again only when the side changes, and asked whether it is complete only
// then (the browser's answer waits for all drawing queued so far).
bool GlDevice::RepeatTargetOf(std::uint32_t size) {
    if (repeatTargetSize_ == size) return true;
    if (repeatRefused_ || size > MaxTextureSide()) return false;
    if (repeatFbo_ == 0) {
        glGenFramebuffers(1, &repeatFbo_);
        glGenTextures(1, &repeatTexture_);
        glGenSamplers(1, &repeatSampler_);
        glSamplerParameteri(repeatSampler_, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glSamplerParameteri(repeatSampler_, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glSamplerParameteri(repeatSampler_, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glSamplerParameteri(repeatSampler_, GL_TEXTURE_WRAP_T, GL_REPEAT);
    }
    const GLsizei side = static_cast<GLsizei>(size);
    glBindTexture(GL_TEXTURE_2D, repeatTexture_);
    // One level, complete whatever the bound sampler asks.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, side, side, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, gl_.texture == 0xFFFFFFFFu ? 0 : gl_.texture);  // the draw's own, back
    glBindFramebuffer(GL_FRAMEBUFFER, repeatFbo_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, repeatTexture_, 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, offscreen_ ? depthFbo_ : 0);
    repeatRefused_ = !complete;
    repeatTargetSize_ = complete ? size : 0;
    return complete;
}

void GlDevice::ApplyDepthClears() {
    for (const DepthClear& c : depthClears_) {
        ClearDepthValue(profile_ == GlProfile::Es30, c.z);
        const std::int32_t rect[4] = {c.x1, c.y1, c.x2, c.y2};
        ClearPixels(c.whole ? 0 : 1, rect, GL_DEPTH_BUFFER_BIT);
    }
    depthClears_.clear();
}

void GlDevice::LeaveDepthTarget() {
    if (!offscreen_) return;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, depthFbo_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, depthTargetW_, depthTargetH_, 0, 0, depthTargetW_, depthTargetH_, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    offscreen_ = false;
}

}  // namespace gfx
