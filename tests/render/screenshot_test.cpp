// Screenshots written as PNG read back as the same picture.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "d3dx/d3dx_image.h"
#include "platform/screenshot.h"

namespace {

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Screenshot, PngHoldsTheColoursWithOpaqueAlpha) {
    const std::uint32_t w = 5, h = 3;
    std::vector<std::uint8_t> rgba(w * h * 4);
    for (std::uint32_t i = 0; i < w * h; ++i) {
        rgba[4 * i + 0] = static_cast<std::uint8_t>(i * 10);
        rgba[4 * i + 1] = static_cast<std::uint8_t>(255 - i);
        rgba[4 * i + 2] = static_cast<std::uint8_t>(i * 3);
        rgba[4 * i + 3] = 7;  // a presented frame's alpha means nothing
    }
    const std::string path = std::string(DW_BUILD_DIR) + "/screenshot_test.png";
    ASSERT_TRUE(platform::WritePng(path, rgba.data(), w, h));
    const auto bytes = ReadFile(path);
    std::remove(path.c_str());

    d3dx::DecodeOptions options;
    options.mipLevels = 1;
    d3dx::Image image;
    ASSERT_TRUE(d3dx::DecodeImage(bytes.data(), bytes.size(), options, image));
    ASSERT_EQ(image.width, w);
    ASSERT_EQ(image.height, h);
    const auto& px = image.levels[0].rgba;
    for (std::uint32_t i = 0; i < w * h; ++i) {
        EXPECT_EQ(px[4 * i + 0], rgba[4 * i + 0]) << i;
        EXPECT_EQ(px[4 * i + 1], rgba[4 * i + 1]) << i;
        EXPECT_EQ(px[4 * i + 2], rgba[4 * i + 2]) << i;
        EXPECT_EQ(px[4 * i + 3], 255) << i;
    }
}

TEST(Screenshot, RefusesBadArgumentsAndUnwritablePaths) {
    const std::uint8_t pixel[4] = {1, 2, 3, 4};
    EXPECT_FALSE(platform::WritePng(std::string(DW_BUILD_DIR) + "/x.png", nullptr, 1, 1));
    EXPECT_FALSE(platform::WritePng(std::string(DW_BUILD_DIR) + "/x.png", pixel, 0, 1));
    EXPECT_FALSE(platform::WritePng("/nonexistent-dir/shot.png", pixel, 1, 1));
    EXPECT_FALSE(platform::WritePng("", pixel, 1, 1));
}

}  // namespace
