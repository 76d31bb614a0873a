#include "gfx/texel_opacity.h"

#include <algorithm>
#include <cmath>

namespace gfx {

void TexelOpacity::Clear() {
    width_ = height_ = blocksX_ = blocksY_ = 0;
    anyOpaque_ = anyClear_ = false;
    notOpaque_ = Table();
    notClear_ = Table();
}

TexelOpacity::Table TexelOpacity::BuildTable(const std::vector<std::uint8_t>& broken) const {
    Table table(static_cast<std::size_t>(blocksX_ + 1) * (blocksY_ + 1), 0);
    for (std::uint32_t by = 0; by < blocksY_; ++by) {
        std::uint32_t rowSum = 0;
        for (std::uint32_t bx = 0; bx < blocksX_; ++bx) {
            rowSum += broken[static_cast<std::size_t>(by) * blocksX_ + bx];
            table[static_cast<std::size_t>(by + 1) * (blocksX_ + 1) + bx + 1] = Prefix(table, bx + 1, by) + rowSum;
        }
    }
    return table;
}

void TexelOpacity::Build(std::uint32_t width, std::uint32_t height, const std::uint32_t* argb, bool alphaIgnored) {
    Clear();
    if (width == 0 || height == 0 || (argb == nullptr && !alphaIgnored)) return;
    width_ = width;
    height_ = height;
    blocksX_ = (width + kBlock - 1) / kBlock;
    blocksY_ = (height + kBlock - 1) / kBlock;
    const std::size_t blocks = static_cast<std::size_t>(blocksX_) * blocksY_;
    std::vector<std::uint8_t> notOpaque(blocks, 0), notClear(blocks, alphaIgnored ? 1 : 0);
    if (!alphaIgnored) {
        for (std::uint32_t y = 0; y < height; ++y) {
            const std::uint32_t* row = argb + static_cast<std::size_t>(y) * width;
            const std::size_t blockRow = static_cast<std::size_t>(y / kBlock) * blocksX_;
            for (std::uint32_t x = 0; x < width; ++x) {
                const std::uint32_t alpha = row[x] >> 24;
                if (alpha != 0xFFu) notOpaque[blockRow + x / kBlock] = 1;
                if (alpha != 0) notClear[blockRow + x / kBlock] = 1;
            }
        }
    }
    notOpaque_ = BuildTable(notOpaque);
    notClear_ = BuildTable(notClear);
    anyOpaque_ = Prefix(notOpaque_, blocksX_, blocksY_) < blocks;
    anyClear_ = Prefix(notClear_, blocksX_, blocksY_) < blocks;
}

bool TexelOpacity::Texels(const Table& table, std::int64_t x0, std::int64_t y0, std::int64_t x1,
                          std::int64_t y1) const {
    const auto bx0 = static_cast<std::uint32_t>(x0 / kBlock), bx1 = static_cast<std::uint32_t>(x1 / kBlock) + 1;
    const auto by0 = static_cast<std::uint32_t>(y0 / kBlock), by1 = static_cast<std::uint32_t>(y1 / kBlock) + 1;
    return Prefix(table, bx1, by1) + Prefix(table, bx0, by0) == Prefix(table, bx0, by1) + Prefix(table, bx1, by0);
}

namespace {

// The texels [first, last] of an axis of `size` texels after wrapping: one
// or two inclusive intervals. Returns how many.
int WrapSpan(std::int64_t first, std::int64_t last, std::int64_t size, std::int64_t out[2][2]) {
    if (last - first + 1 >= size) {
        out[0][0] = 0;
        out[0][1] = size - 1;
        return 1;
    }
    const std::int64_t a = ((first % size) + size) % size, b = ((last % size) + size) % size;
    if (a <= b) {
        out[0][0] = a;
        out[0][1] = b;
        return 1;
    }
    out[0][0] = a;
    out[0][1] = size - 1;
    out[1][0] = 0;
    out[1][1] = b;
    return 2;
}

}  // namespace

bool TexelOpacity::OpaqueBox(float u0, float v0, float u1, float v1) const {
    return anyOpaque_ && Box(notOpaque_, u0, v0, u1, v1);
}

bool TexelOpacity::ClearBox(float u0, float v0, float u1, float v1) const {
    return anyClear_ && Box(notClear_, u0, v0, u1, v1);
}

bool TexelOpacity::Box(const Table& table, float u0, float v0, float u1, float v1) const {
    if (!std::isfinite(u0) || !std::isfinite(u1) || !std::isfinite(v0) || !std::isfinite(v1)) return false;
    // Bilinear filtering at s texels reads texels floor(s - 0.5) and the
    // one after; a hair of margin covers the rasteriser's rounding.
    constexpr double kMargin = 1.0 / 1024.0;
    const double limit = 1e9;
    auto first = [&](float c, std::uint32_t size) {
        return static_cast<std::int64_t>(std::floor(std::clamp(c * double(size) - 0.5 - kMargin, -limit, limit)));
    };
    auto last = [&](float c, std::uint32_t size) {
        return static_cast<std::int64_t>(std::floor(std::clamp(c * double(size) - 0.5 + kMargin, -limit, limit))) + 1;
    };
    std::int64_t xs[2][2], ys[2][2];
    const int nx = WrapSpan(first(std::min(u0, u1), width_), last(std::max(u0, u1), width_), width_, xs);
    const int ny = WrapSpan(first(std::min(v0, v1), height_), last(std::max(v0, v1), height_), height_, ys);
    for (int i = 0; i < nx; ++i)
        for (int j = 0; j < ny; ++j)
            if (!Texels(table, xs[i][0], ys[j][0], xs[i][1], ys[j][1])) return false;
    return true;
}

bool OpaqueTriangle(const TexelOpacity& map, const SpriteVertexView* t) {
    if ((t[0].diffuse & t[1].diffuse & t[2].diffuse) >> 24 != 0xFFu) return false;
    for (int i = 0; i < 3; ++i)
        if (!std::isfinite(t[i].u) || !std::isfinite(t[i].v)) return false;
    const float u0 = std::min({t[0].u, t[1].u, t[2].u}), u1 = std::max({t[0].u, t[1].u, t[2].u});
    const float v0 = std::min({t[0].v, t[1].v, t[2].v}), v1 = std::max({t[0].v, t[1].v, t[2].v});
    return map.OpaqueBox(u0, v0, u1, v1);
}

}  // namespace gfx
