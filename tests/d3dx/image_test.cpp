#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "d3dx/d3dx_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct PngSpec {
    std::uint32_t width = 0, height = 0;
    int colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    int bitDepth = 8;
    bool interlaced = false;
    Bytes pixels;  // packed rows as libpng wants them for this type and depth
    std::vector<png_color> palette;
    Bytes trnsAlpha;
};

void PngWrite(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}

Bytes EncodePng(const PngSpec& s) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, PngWrite, nullptr);
    png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colorType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), static_cast<int>(s.palette.size()));
    if (!s.trnsAlpha.empty())
        png_set_tRNS(png, info, s.trnsAlpha.data(), static_cast<int>(s.trnsAlpha.size()), nullptr);
    png_write_info(png, info);
    if (s.bitDepth == 16) png_set_swap(png);  // rows below are little-endian 16-bit samples
    const size_t rowBytes = s.pixels.size() / s.height;
    std::vector<png_bytep> rows(s.height);
    for (std::uint32_t y = 0; y < s.height; ++y) rows[y] = const_cast<png_bytep>(s.pixels.data() + y * rowBytes);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes EncodeJpeg(std::uint32_t width, std::uint32_t height, int components, const Bytes& pixels,
                 bool progressive = false) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &mem, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + size_t(cinfo.next_scanline) * width * components);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(mem, mem + size);
    jpeg_destroy_compress(&cinfo);
    std::free(mem);
    return out;
}

bool Decode(const Bytes& bytes, d3dx::Image& image, d3dx::DecodeOptions options = {}, std::string* error = nullptr) {
    return d3dx::DecodeImage(bytes.data(), bytes.size(), options, image, error);
}

Bytes Pixel(const d3dx::ImageLevel& level, std::uint32_t x, std::uint32_t y) {
    const std::uint8_t* p = &level.rgba[(size_t(y) * level.width + x) * 4];
    return Bytes(p, p + 4);
}

TEST(ImageDecode, PngRgbaRoundTripWithMipChain) {
    PngSpec s;
    s.width = 5;
    s.height = 3;
    for (std::uint32_t i = 0; i < 15; ++i)
        s.pixels.insert(s.pixels.end(),
                        {std::uint8_t(i * 17), std::uint8_t(255 - i), std::uint8_t(i * 3), std::uint8_t(100 + i)});
    const Bytes png = EncodePng(s);
    ASSERT_FALSE(png.empty());
    EXPECT_EQ(d3dx::ImageFormat::Png, d3dx::DetectImageFormat(png.data(), png.size()));

    d3dx::Image image;
    ASSERT_TRUE(Decode(png, image));
    EXPECT_EQ(5u, image.width);
    EXPECT_EQ(3u, image.height);
    ASSERT_EQ(3u, image.levels.size());  // 5x3, 2x1, 1x1
    EXPECT_EQ(s.pixels, image.levels[0].rgba);
    EXPECT_EQ(2u, image.levels[1].width);
    EXPECT_EQ(1u, image.levels[1].height);
    EXPECT_EQ(1u, image.levels[2].width);
    EXPECT_EQ(1u, image.levels[2].height);
    // Level 1, pixel 1: the rounded mean of source pixels 2, 3, 7 and 8.
    const auto mean = [&](int k) {
        return std::uint8_t(
            (s.pixels[2 * 4 + k] + s.pixels[3 * 4 + k] + s.pixels[7 * 4 + k] + s.pixels[8 * 4 + k] + 2) / 4);
    };
    EXPECT_EQ((Bytes{mean(0), mean(1), mean(2), mean(3)}), Pixel(image.levels[1], 1, 0));
}

TEST(ImageDecode, RequestedMipLevels) {
    PngSpec s;
    s.width = 8;
    s.height = 8;
    s.pixels.assign(8 * 8 * 4, 0);
    // Left half white, right half black; the 1x1 level is mid grey.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 4; ++x) std::memset(&s.pixels[(y * 8 + x) * 4], 255, 4);
    for (int y = 0; y < 8; ++y)
        for (int x = 4; x < 8; ++x) s.pixels[(y * 8 + x) * 4 + 3] = 255;
    const Bytes png = EncodePng(s);
    d3dx::Image image;
    d3dx::DecodeOptions o;
    for (const auto& [asked, got] :
         std::vector<std::pair<std::uint32_t, size_t>>{{0, 4}, {D3DX_DEFAULT, 4}, {1, 1}, {2, 2}, {5, 4}, {100, 4}}) {
        o.mipLevels = asked;
        ASSERT_TRUE(Decode(png, image, o));
        EXPECT_EQ(got, image.levels.size()) << asked;
    }
    o.mipLevels = 0;
    ASSERT_TRUE(Decode(png, image, o));
    EXPECT_EQ((Bytes{128, 128, 128, 255}), Pixel(image.levels[3], 0, 0));
    EXPECT_EQ((Bytes{255, 255, 255, 255}), Pixel(image.levels[2], 0, 0));
    EXPECT_EQ((Bytes{0, 0, 0, 255}), Pixel(image.levels[2], 1, 1));
}

TEST(ImageDecode, PngPaletteGreySixteenBitAndInterlacedBecomeRgba) {
    d3dx::Image image;
    {  // 4-bit palette with a transparent second entry
        PngSpec s;
        s.width = 2;
        s.height = 1;
        s.colorType = PNG_COLOR_TYPE_PALETTE;
        s.bitDepth = 4;
        s.palette = {{10, 20, 30}, {40, 50, 60}};
        s.trnsAlpha = {255, 0};
        s.pixels = {0x01};
        ASSERT_TRUE(Decode(EncodePng(s), image));
        EXPECT_EQ((Bytes{10, 20, 30, 255, 40, 50, 60, 0}), image.levels[0].rgba);
    }
    {  // 16-bit grey
        PngSpec s;
        s.width = 2;
        s.height = 1;
        s.colorType = PNG_COLOR_TYPE_GRAY;
        s.bitDepth = 16;
        s.pixels = {0x00, 0x80, 0xFF, 0xFF};  // 0x8000 and 0xFFFF, little-endian
        ASSERT_TRUE(Decode(EncodePng(s), image));
        EXPECT_EQ((Bytes{128, 128, 128, 255, 255, 255, 255, 255}), image.levels[0].rgba);
    }
    {  // 1-bit grey
        PngSpec s;
        s.width = 3;
        s.height = 1;
        s.colorType = PNG_COLOR_TYPE_GRAY;
        s.bitDepth = 1;
        s.pixels = {0xA0};  // 1 0 1
        ASSERT_TRUE(Decode(EncodePng(s), image));
        EXPECT_EQ((Bytes{255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255}), image.levels[0].rgba);
    }
    {  // grey with alpha
        PngSpec s;
        s.width = 1;
        s.height = 1;
        s.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
        s.pixels = {77, 33};
        ASSERT_TRUE(Decode(EncodePng(s), image));
        EXPECT_EQ((Bytes{77, 77, 77, 33}), image.levels[0].rgba);
    }
    {  // interlaced RGB
        PngSpec s;
        s.width = 9;
        s.height = 9;
        s.colorType = PNG_COLOR_TYPE_RGB;
        s.interlaced = true;
        Bytes expected;
        for (int i = 0; i < 81; ++i) {
            s.pixels.insert(s.pixels.end(), {std::uint8_t(i), std::uint8_t(2 * i), std::uint8_t(3 * i)});
            expected.insert(expected.end(), {std::uint8_t(i), std::uint8_t(2 * i), std::uint8_t(3 * i), 255});
        }
        ASSERT_TRUE(Decode(EncodePng(s), image));
        EXPECT_EQ(expected, image.levels[0].rgba);
    }
}

TEST(ImageDecode, ColourKeyMakesMatchingPixelsTransparentBlack) {
    PngSpec s;
    s.width = 4;
    s.height = 1;
    s.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    // Magenta opaque, magenta half transparent, black, nearly magenta.
    s.pixels = {255, 0, 255, 255, 255, 0, 255, 128, 0, 0, 0, 255, 254, 0, 255, 255};
    const Bytes png = EncodePng(s);
    d3dx::Image image;
    d3dx::DecodeOptions o;
    o.mipLevels = 1;
    o.colorKey = 0xFFFF00FF;
    ASSERT_TRUE(Decode(png, image, o));
    EXPECT_EQ((Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 254, 0, 255, 255}), image.levels[0].rgba);
    // The key's own alpha does not matter either.
    o.colorKey = 0x00FF00FF;
    ASSERT_TRUE(Decode(png, image, o));
    EXPECT_EQ((Bytes{0, 0, 0, 0}), Pixel(image.levels[0], 0, 0));
    // Black key; 0 means no key at all.
    o.colorKey = 0xFF000000;
    ASSERT_TRUE(Decode(png, image, o));
    EXPECT_EQ((Bytes{0, 0, 0, 0}), Pixel(image.levels[0], 2, 0));
    o.colorKey = 0;
    ASSERT_TRUE(Decode(png, image, o));
    EXPECT_EQ((Bytes{0, 0, 0, 255}), Pixel(image.levels[0], 2, 0));
}

TEST(ImageDecode, JpegRoundTrips) {
    // Two flat colours, each filling whole 8x8 blocks, survive within a few steps.
    Bytes rgb;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            rgb.insert(rgb.end(),
                       x < 8 ? std::initializer_list<std::uint8_t>{200, 40, 40}
                             : std::initializer_list<std::uint8_t>{30, 90, 220});
    for (bool progressive : {false, true}) {
        const Bytes jpg = EncodeJpeg(16, 8, 3, rgb, progressive);
        EXPECT_EQ(d3dx::ImageFormat::Jpeg, d3dx::DetectImageFormat(jpg.data(), jpg.size()));
        d3dx::Image image;
        std::string error;
        ASSERT_TRUE(Decode(jpg, image, {}, &error)) << error;
        ASSERT_EQ(16u, image.width);
        ASSERT_EQ(8u, image.height);
        EXPECT_EQ(5u, image.levels.size());
        for (std::uint32_t x : {1u, 6u, 9u, 14u}) {
            const Bytes p = Pixel(image.levels[0], x, 4);
            const std::uint8_t* want = &rgb[(4 * 16 + x) * 3];
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(want[k], p[k], 6) << "x " << x << " channel " << k;
            EXPECT_EQ(255, p[3]);
        }
    }
    // Grey JPEG.
    const Bytes grey(8 * 8, 90);
    d3dx::Image image;
    ASSERT_TRUE(Decode(EncodeJpeg(8, 8, 1, grey), image));
    const Bytes p = Pixel(image.levels[0], 3, 3);
    EXPECT_NEAR(90, p[0], 2);
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[0], p[2]);
    EXPECT_EQ(255, p[3]);
}

TEST(ImageDecode, CorruptTruncatedAndOversizedImagesAreRejected) {
    PngSpec s;
    s.width = 16;
    s.height = 16;
    s.colorType = PNG_COLOR_TYPE_RGB;
    for (int i = 0; i < 16 * 16 * 3; ++i) s.pixels.push_back(std::uint8_t(i * 7));
    const Bytes png = EncodePng(s);
    Bytes rgb(16 * 16 * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = std::uint8_t(i * 13);
    const Bytes jpg = EncodeJpeg(16, 16, 3, rgb);

    d3dx::Image image;
    std::string error;
    // Every cut of either file fails, reading nothing past the cut.
    for (const Bytes* file : {&png, &jpg}) {
        for (size_t n = 0; n < file->size(); ++n) {
            const Bytes cut(file->begin(), file->begin() + static_cast<long>(n));
            image.levels.resize(1);
            EXPECT_FALSE(Decode(cut, image, {}, &error)) << n;
            EXPECT_TRUE(image.levels.empty());
        }
    }

    // A flipped bit inside the compressed pixels breaks the chunk checksum.
    Bytes flipped = png;
    flipped[flipped.size() - 20] ^= 0x10;
    EXPECT_FALSE(Decode(flipped, image));
    // A JPEG whose entropy-coded data is garbage.
    Bytes scrambled = jpg;
    for (size_t i = scrambled.size() / 2; i < scrambled.size() - 2; ++i) scrambled[i] = 0xFF;
    EXPECT_FALSE(Decode(scrambled, image));

    // Too large: by the default limit, and by a caller's own.
    PngSpec wide;
    wide.width = 5000;
    wide.height = 1;
    wide.colorType = PNG_COLOR_TYPE_GRAY;
    wide.pixels.assign(5000, 0);
    error.clear();
    EXPECT_FALSE(Decode(EncodePng(wide), image, {}, &error));
    EXPECT_FALSE(error.empty());
    const Bytes wideJpg = EncodeJpeg(5000, 1, 1, Bytes(5000, 0));
    EXPECT_FALSE(Decode(wideJpg, image));
    d3dx::DecodeOptions small;
    small.maxDimension = 8;
    EXPECT_FALSE(Decode(png, image, small));
    EXPECT_FALSE(Decode(jpg, image, small));

    // Not an image at all.
    const Bytes text = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
    error.clear();
    EXPECT_FALSE(Decode(text, image, {}, &error));
    EXPECT_EQ("unknown image format", error);
    EXPECT_FALSE(d3dx::DecodeImage(nullptr, 0, {}, image));
}

}  // namespace
