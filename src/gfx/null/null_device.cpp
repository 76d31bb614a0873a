#include "gfx/null/null_device.h"

#include <algorithm>
#include <cstring>

namespace gfx {

namespace {

// Keeps the device's count of live D3DPOOL_DEFAULT resources.
class PoolTicket {
public:
    PoolTicket(std::shared_ptr<std::int64_t> counter, D3DPOOL pool)
        : counter_(pool == D3DPOOL_DEFAULT ? std::move(counter) : nullptr) {
        if (counter_) ++*counter_;
    }
    ~PoolTicket() {
        if (counter_) --*counter_;
    }
    PoolTicket(const PoolTicket&) = delete;
    PoolTicket& operator=(const PoolTicket&) = delete;

private:
    std::shared_ptr<std::int64_t> counter_;
};

class NullTextureImpl final : public Texture {
public:
    NullTextureImpl(std::uint32_t w, std::uint32_t h, std::uint32_t levels, std::shared_ptr<std::int64_t> counter,
                    D3DPOOL pool)
        : width_(w), height_(h), ticket_(std::move(counter), pool) {
        levels_.resize(levels);
        for (std::uint32_t i = 0; i < levels; ++i) {
            levels_[i].assign(static_cast<std::size_t>(LevelWidth(i)) * LevelHeight(i), 0u);
        }
    }
    std::uint32_t Width() const override { return width_; }
    std::uint32_t Height() const override { return height_; }
    std::uint32_t LevelCount() const override { return static_cast<std::uint32_t>(levels_.size()); }
    HRESULT SetLevel(std::uint32_t level, std::uint32_t w, std::uint32_t h, const std::uint32_t* argb) override {
        if (level >= levels_.size() || argb == nullptr || w != LevelWidth(level) || h != LevelHeight(level)) {
            return D3DERR_INVALIDCALL;
        }
        std::copy(argb, argb + static_cast<std::size_t>(w) * h, levels_[level].begin());
        return S_OK;
    }
    std::uint32_t LevelWidth(std::uint32_t level) const { return std::max(1u, width_ >> level); }
    std::uint32_t LevelHeight(std::uint32_t level) const { return std::max(1u, height_ >> level); }

private:
    std::uint32_t width_, height_;
    std::vector<std::vector<std::uint32_t>> levels_;
    PoolTicket ticket_;
};

// Storage shared by the vertex and index buffers. A discarding lock swaps
// to the other of two blocks and fills it with a pattern, so a caller that
// relies on what it wrote before the discard reads garbage, as it would on
// a real device.
class NullStorage {
public:
    explicit NullStorage(std::uint32_t length) : length_(length) {
        blocks_[0].assign(length, 0);
        blocks_[1].assign(length, 0);
    }
    std::uint32_t Length() const { return length_; }
    bool locked() const { return locked_; }
    const std::uint8_t* data() const { return blocks_[current_].data(); }
    HRESULT Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** out, DWORD flags) {
        if (out == nullptr) return D3DERR_INVALIDCALL;
        *out = nullptr;
        if (locked_) return D3DERR_INVALIDCALL;
        if (size == 0 && offset == 0) size = length_;
        if (offset > length_ || size > length_ - offset) return D3DERR_INVALIDCALL;
        if (flags & D3DLOCK_DISCARD) {
            current_ ^= 1;
            std::fill(blocks_[current_].begin(), blocks_[current_].end(), std::uint8_t{0xCD});
        }
        locked_ = true;
        *out = blocks_[current_].data() + offset;
        return S_OK;
    }
    HRESULT Unlock() {
        if (!locked_) return D3DERR_INVALIDCALL;
        locked_ = false;
        return S_OK;
    }

private:
    std::uint32_t length_;
    std::vector<std::uint8_t> blocks_[2];
    int current_ = 0;
    bool locked_ = false;
};

class NullVertexBuffer final : public VertexBuffer {
public:
    NullVertexBuffer(std::uint32_t length, std::shared_ptr<std::int64_t> counter, D3DPOOL pool)
        : storage_(length), ticket_(std::move(counter), pool) {}
    std::uint32_t Length() const override { return storage_.Length(); }
    HRESULT Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, DWORD flags) override {
        return storage_.Lock(offset, size, data, flags);
    }
    HRESULT Unlock() override { return storage_.Unlock(); }
    bool Locked() const override { return storage_.locked(); }
    const std::uint8_t* Contents() const override { return storage_.data(); }

private:
    NullStorage storage_;
    PoolTicket ticket_;
};

class NullIndexBuffer final : public IndexBuffer {
public:
    NullIndexBuffer(std::uint32_t length, D3DFORMAT format, std::shared_ptr<std::int64_t> counter, D3DPOOL pool)
        : storage_(length), format_(format), ticket_(std::move(counter), pool) {}
    std::uint32_t Length() const override { return storage_.Length(); }
    D3DFORMAT Format() const override { return format_; }
    HRESULT Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, DWORD flags) override {
        return storage_.Lock(offset, size, data, flags);
    }
    HRESULT Unlock() override { return storage_.Unlock(); }
    bool Locked() const override { return storage_.locked(); }
    const std::uint8_t* Contents() const override { return storage_.data(); }

private:
    NullStorage storage_;
    D3DFORMAT format_;
    PoolTicket ticket_;
};

}  // namespace

NullDevice::NullDevice(std::uint32_t width, std::uint32_t height)
    : width_(width), height_(height), liveDefault_(std::make_shared<std::int64_t>(0)) {}

NullDevice::~NullDevice() = default;

HRESULT NullDevice::TestCooperativeLevel() { return cooperative_; }

HRESULT NullDevice::Reset(const PresentParameters& params) {
    if (state_.inScene()) return Invalid();
    if (cooperative_ == D3DERR_DEVICELOST) return D3DERR_DEVICELOST;
    if (*liveDefault_ != 0) return Invalid();
    if (FAILED(resetFailure_)) return resetFailure_;
    width_ = params.backBufferWidth;
    height_ = params.backBufferHeight;
    cooperative_ = S_OK;
    state_.Reset();
    return S_OK;
}

HRESULT NullDevice::Present() {
    if (state_.inScene()) return Invalid();
    // The frame's records go either way, so a lost device cannot make
    // them pile up.
    presented_.swap(draws_);
    draws_.clear();
    if (cooperative_ == D3DERR_DEVICELOST || cooperative_ == D3DERR_DEVICENOTRESET) {
        return D3DERR_DEVICELOST;
    }
    ++counters_.presents;
    return S_OK;
}

void NullDevice::FailBeginScene(std::uint32_t skip, std::uint32_t count) {
    beginSkip_ = skip;
    beginFail_ = count;
}

HRESULT NullDevice::BeginScene() {
    if (state_.inScene()) return Invalid();
    if (beginFail_ > 0) {
        if (beginSkip_ > 0) {
            --beginSkip_;
        } else {
            --beginFail_;
            return E_FAIL;
        }
    }
    return state_.BeginScene();
}

HRESULT NullDevice::EndScene() { return FAILED(state_.EndScene()) ? Invalid() : S_OK; }

HRESULT NullDevice::Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR, float z, DWORD) {
    if ((count != 0) != (rects != nullptr)) return Invalid();
    if ((flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) == 0) return Invalid();
    if ((flags & D3DCLEAR_ZBUFFER) && (z < 0.0f || z > 1.0f)) return Invalid();
    ++clears_;
    ++counters_.clears;
    return S_OK;
}

HRESULT NullDevice::GetDeviceCaps(D3DCAPS8* caps) {
    if (caps == nullptr) return Invalid();
    FillCaps(*caps, 4096, blendStages_);
    return S_OK;
}

HRESULT NullDevice::SetClipStatus(DWORD, DWORD) { return S_OK; }

Texture* NullDevice::NewTexture(UINT width, UINT height, UINT levels, D3DFORMAT, D3DPOOL pool) {
    return new NullTextureImpl(width, height, levels, liveDefault_, pool);
}

VertexBuffer* NullDevice::NewVertexBuffer(UINT length, D3DPOOL pool) {
    return new NullVertexBuffer(length, liveDefault_, pool);
}

IndexBuffer* NullDevice::NewIndexBuffer(UINT length, D3DFORMAT format, D3DPOOL pool) {
    return new NullIndexBuffer(length, format, liveDefault_, pool);
}

DrawRecord& NullDevice::Record(D3DPRIMITIVETYPE type, UINT start, UINT range, UINT primitiveCount, UINT count) {
    DrawRecord& r = draws_.emplace_back();
    r.indexed = false;
    r.primitive = type;
    r.startVertex = start;
    r.vertexRange = range;
    r.startIndex = 0;
    r.primitiveCount = primitiveCount;
    r.vertexCount = count;
    r.culledTriangles = 0;
    r.vertexBytes.clear();
    const RenderState& s = state_;
    const auto& stage0 = s.stage(0);
    const auto& stage1 = s.stage(1);
    r.fvf = s.fvf();
    r.stride = s.stride();
    r.stream = s.stream();
    r.indices = s.indices();
    r.texture = s.texture(0);
    r.texture1 = s.texture(1);
    r.colorOp1 = stage1[D3DTSS_COLOROP];
    r.colorArg1_1 = stage1[D3DTSS_COLORARG1];
    r.colorArg2_1 = stage1[D3DTSS_COLORARG2];
    r.texCoordIndex1 = stage1[D3DTSS_TEXCOORDINDEX];
    r.alphaBlend = s.renderState(D3DRS_ALPHABLENDENABLE) != 0;
    r.srcBlend = s.renderState(D3DRS_SRCBLEND);
    r.destBlend = s.renderState(D3DRS_DESTBLEND);
    r.zEnable = s.renderState(D3DRS_ZENABLE) != 0;
    r.zWrite = s.renderState(D3DRS_ZWRITEENABLE) != 0;
    r.zFunc = s.renderState(D3DRS_ZFUNC);
    r.lighting = s.renderState(D3DRS_LIGHTING) != 0;
    r.ambientSource = s.renderState(D3DRS_AMBIENTMATERIALSOURCE);
    r.emissiveSource = s.renderState(D3DRS_EMISSIVEMATERIALSOURCE);
    r.colorOp = stage0[D3DTSS_COLOROP];
    r.alphaOp = stage0[D3DTSS_ALPHAOP];
    r.alphaArg1 = stage0[D3DTSS_ALPHAARG1];
    r.alphaArg2 = stage0[D3DTSS_ALPHAARG2];
    r.mipFilter = stage0[D3DTSS_MIPFILTER];
    r.minFilter = stage0[D3DTSS_MINFILTER];
    r.magFilter = stage0[D3DTSS_MAGFILTER];
    r.material = s.material();
    r.world = s.world();
    r.lightCount = 0;
    for (DWORD index : s.enabledLights()) r.lightsOn[r.lightCount++] = index;
    return r;
}

HRESULT NullDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    const std::uint32_t count = state_.CheckDraw(type, startVertex, primitiveCount);
    if (count == 0) return Invalid();
    const UINT stride = state_.stride();
    const std::uint8_t* base = state_.stream()->Contents() + static_cast<std::size_t>(startVertex) * stride;

    DrawRecord& r = Record(type, startVertex, count, primitiveCount, count);
    const DWORD cull = state_.renderState(D3DRS_CULLMODE);
    if (type == D3DPT_TRIANGLELIST && (state_.fvf() & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW &&
        (cull == D3DCULL_CW || cull == D3DCULL_CCW) && stride >= 8) {
        for (std::uint32_t t = 0; t < primitiveCount; ++t) {
            float p[3][2];
            for (int k = 0; k < 3; ++k) {
                std::memcpy(p[k], base + (3 * static_cast<std::size_t>(t) + k) * stride, 8);
            }
            // Screen y runs down: a positive area is clockwise on screen.
            const float area = (p[1][0] - p[0][0]) * (p[2][1] - p[0][1]) - (p[1][1] - p[0][1]) * (p[2][0] - p[0][0]);
            if ((cull == D3DCULL_CCW && area < 0.0f) || (cull == D3DCULL_CW && area > 0.0f)) {
                ++r.culledTriangles;
            }
        }
    }
    if (captureGeometry_) r.vertexBytes.assign(base, base + static_cast<std::size_t>(count) * stride);
    ++counters_.draws;
    counters_.vertices += count;
    return S_OK;
}

HRESULT NullDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                                         UINT primitiveCount) {
    const std::uint32_t count = state_.CheckIndexedDraw(type, minIndex, numVertices, startIndex, primitiveCount);
    if (count == 0) return Invalid();

    DrawRecord& r = Record(type, minIndex, numVertices, primitiveCount, count);
    r.indexed = true;
    r.startIndex = startIndex;
    if (captureGeometry_) {
        const IndexBuffer* ib = state_.indices();
        const std::uint8_t* vertices = state_.stream()->Contents();
        const UINT stride = state_.stride();
        r.vertexBytes.resize(static_cast<std::size_t>(count) * stride);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t v = IndexAt(ib->Contents(), ib->Format(), startIndex + i) + state_.baseVertexIndex();
            std::memcpy(r.vertexBytes.data() + static_cast<std::size_t>(i) * stride, vertices + v * stride, stride);
        }
    }
    ++counters_.draws;
    counters_.vertices += count;
    return S_OK;
}

bool NullDevice::ReadPresentedImage(std::vector<std::uint8_t>& rgba, std::uint32_t& width, std::uint32_t& height) {
    rgba.clear();
    width = height = 0;
    return false;
}

}  // namespace gfx
