#include "d3dx/d3dx_image.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <jpeglib.h>
#include <png.h>

namespace d3dx {
namespace {

// ---------------------------------------------------------------------------
// PNG. libpng reports errors by longjmp; everything that must survive the
// jump lives in PngContext, owned by the caller of the function holding the
// setjmp, so no C++ object is skipped or left half-built by it.

struct PngContext {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
    std::uint32_t maxDimension = 0;
    char message[160] = "corrupt PNG data";
    ImageLevel* level = nullptr;
    std::vector<png_bytep> rows;
};

void PngError(png_structp png, png_const_charp msg) {
    auto* ctx = static_cast<PngContext*>(png_get_error_ptr(png));
    std::snprintf(ctx->message, sizeof ctx->message, "PNG: %s", msg ? msg : "error");
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep out, png_size_t n) {
    auto* ctx = static_cast<PngContext*>(png_get_io_ptr(png));
    if (ctx->size - ctx->pos < n) png_error(png, "unexpected end of data");
    std::memcpy(out, ctx->data + ctx->pos, n);
    ctx->pos += n;
}

bool ReadPng(PngContext& ctx) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &ctx, PngError, PngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &ctx, PngRead);
    png_set_user_limits(png, ctx.maxDimension, ctx.maxDimension);
    png_set_chunk_malloc_max(png, 16u << 20);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int depth = png_get_bit_depth(png, info);
    const int type = png_get_color_type(png, info);
    if (width == 0 || height == 0 || width > ctx.maxDimension || height > ctx.maxDimension)
        png_error(png, "image too large");

    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (hasTrns) png_set_tRNS_to_alpha(png);
    if (depth == 16) png_set_strip_16(png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (!(type & PNG_COLOR_MASK_ALPHA) && !hasTrns) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t(width) * 4) png_error(png, "unexpected pixel layout");

    ImageLevel& level = *ctx.level;
    level.width = width;
    level.height = height;
    bool allocated = true;
    try {
        level.rgba.resize(std::size_t(width) * height * 4);
        ctx.rows.resize(height);
    } catch (const std::bad_alloc&) {
        allocated = false;
    }
    if (!allocated) png_error(png, "out of memory");
    for (png_uint_32 y = 0; y < height; ++y) ctx.rows[y] = level.rgba.data() + std::size_t(y) * width * 4;
    png_read_image(png, ctx.rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// ---------------------------------------------------------------------------
// JPEG: the same arrangement. Warnings (corrupt or truncated data that the
// library would paper over with grey) count as errors.

struct JpegContext {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX + 8];
    std::uint32_t maxDimension = 0;
    ImageLevel* level = nullptr;
};

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo) {
    auto* ctx = reinterpret_cast<JpegContext*>(cinfo->err);
    char buf[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, buf);
    std::snprintf(ctx->message, sizeof ctx->message, "JPEG: %s", buf);
    std::longjmp(ctx->jump, 1);
}

void JpegEmitMessage(j_common_ptr cinfo, int level) {
    if (level < 0) JpegErrorExit(cinfo);
}

void JpegOutputMessage(j_common_ptr) {}

bool ReadJpeg(JpegContext& ctx, const std::uint8_t* data, std::size_t size) {
    jpeg_decompress_struct cinfo;
    cinfo.err = jpeg_std_error(&ctx.mgr);
    ctx.mgr.error_exit = JpegErrorExit;
    ctx.mgr.emit_message = JpegEmitMessage;
    ctx.mgr.output_message = JpegOutputMessage;
    std::strcpy(ctx.message, "corrupt JPEG data");
    if (setjmp(ctx.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = 256l << 20;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        std::strcpy(ctx.message, "JPEG: no image");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > ctx.maxDimension ||
        cinfo.image_height > ctx.maxDimension) {
        std::strcpy(ctx.message, "JPEG: image too large");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (cinfo.jpeg_color_space != JCS_GRAYSCALE && cinfo.jpeg_color_space != JCS_YCbCr &&
        cinfo.jpeg_color_space != JCS_RGB) {
        std::strcpy(ctx.message, "JPEG: unsupported colour space");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 4) {
        std::strcpy(ctx.message, "JPEG: unexpected pixel layout");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    ImageLevel& level = *ctx.level;
    level.width = cinfo.output_width;
    level.height = cinfo.output_height;
    bool allocated = true;
    try {
        level.rgba.resize(std::size_t(level.width) * level.height * 4);
    } catch (const std::bad_alloc&) {
        allocated = false;
    }
    if (!allocated) {
        std::strcpy(ctx.message, "JPEG: out of memory");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = level.rgba.data() + std::size_t(cinfo.output_scanline) * level.width * 4;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) {
            std::strcpy(ctx.message, "JPEG: unexpected end of data");
            jpeg_destroy_decompress(&cinfo);
            return false;
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

void ApplyColorKey(ImageLevel& level, D3DCOLOR key) {
    const std::uint32_t want = key | 0xFF000000u;
    std::uint8_t* p = level.rgba.data();
    for (std::size_t i = 0, n = std::size_t(level.width) * level.height; i < n; ++i, p += 4) {
        const std::uint32_t argb = 0xFF000000u | (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
        if (argb == want) p[0] = p[1] = p[2] = p[3] = 0;
    }
}

bool Fail(std::string* error, const char* why, Image& out) {
    out = Image{};
    if (error) *error = why;
    return false;
}

}  // namespace

ImageFormat DetectImageFormat(const void* bytes, std::size_t size) {
    static constexpr std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto* b = static_cast<const std::uint8_t*>(bytes);
    if (!b) return ImageFormat::Unknown;
    if (size >= 8 && std::memcmp(b, kPng, 8) == 0) return ImageFormat::Png;
    if (size >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return ImageFormat::Jpeg;
    return ImageFormat::Unknown;
}

std::uint32_t FullMipCount(std::uint32_t width, std::uint32_t height) {
    std::uint32_t levels = 1;
    for (std::uint32_t m = std::max(width, height); m > 1; m >>= 1) ++levels;
    return levels;
}

void BuildMipChain(Image& image, std::uint32_t levels) {
    if (image.levels.empty()) return;
    const std::uint32_t full = FullMipCount(image.levels[0].width, image.levels[0].height);
    if (levels == 0 || levels > full) levels = full;
    while (image.levels.size() < levels) {
        const ImageLevel& src = image.levels.back();
        ImageLevel dst;
        dst.width = std::max(1u, src.width / 2);
        dst.height = std::max(1u, src.height / 2);
        dst.rgba.resize(std::size_t(dst.width) * dst.height * 4);
        for (std::uint32_t y = 0; y < dst.height; ++y) {
            const std::uint32_t y0 = std::min(2 * y, src.height - 1), y1 = std::min(2 * y + 1, src.height - 1);
            for (std::uint32_t x = 0; x < dst.width; ++x) {
                const std::uint32_t x0 = std::min(2 * x, src.width - 1), x1 = std::min(2 * x + 1, src.width - 1);
                const std::uint8_t* a = &src.rgba[(std::size_t(y0) * src.width + x0) * 4];
                const std::uint8_t* b = &src.rgba[(std::size_t(y0) * src.width + x1) * 4];
                const std::uint8_t* c = &src.rgba[(std::size_t(y1) * src.width + x0) * 4];
                const std::uint8_t* d = &src.rgba[(std::size_t(y1) * src.width + x1) * 4];
                std::uint8_t* o = &dst.rgba[(std::size_t(y) * dst.width + x) * 4];
                for (int k = 0; k < 4; ++k) o[k] = static_cast<std::uint8_t>((a[k] + b[k] + c[k] + d[k] + 2) / 4);
            }
        }
        image.levels.push_back(std::move(dst));
    }
}

bool DecodeImage(const void* bytes, std::size_t size, const DecodeOptions& options, Image& out, std::string* error) {
    out = Image{};
    const std::uint32_t maxDim = std::min<std::uint32_t>(options.maxDimension, 1u << 16);
    ImageLevel base;
    try {
        switch (DetectImageFormat(bytes, size)) {
            case ImageFormat::Png: {
                PngContext ctx;
                ctx.data = static_cast<const std::uint8_t*>(bytes);
                ctx.size = size;
                ctx.maxDimension = maxDim;
                ctx.level = &base;
                if (!ReadPng(ctx)) return Fail(error, ctx.message, out);
                break;
            }
            case ImageFormat::Jpeg: {
                JpegContext ctx;
                ctx.maxDimension = maxDim;
                ctx.level = &base;
                if (!ReadJpeg(ctx, static_cast<const std::uint8_t*>(bytes), size)) return Fail(error, ctx.message, out);
                break;
            }
            case ImageFormat::Unknown: return Fail(error, "unknown image format", out);
        }
        if (options.colorKey != 0) ApplyColorKey(base, options.colorKey);
        out.width = base.width;
        out.height = base.height;
        out.levels.push_back(std::move(base));
        BuildMipChain(out, options.mipLevels == D3DX_DEFAULT ? 0 : options.mipLevels);
    } catch (const std::bad_alloc&) {
        return Fail(error, "out of memory", out);
    }
    return true;
}

}  // namespace d3dx
