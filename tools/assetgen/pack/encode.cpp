#include "encode.h"

#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <stdexcept>

#include "platform/zip_archive.h"

namespace assetgen {

namespace {
void png_write_vec(png_structp png, png_bytep data, png_size_t len) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + len);
}
void png_flush_none(png_structp) {}
}  // namespace

std::vector<std::uint8_t> encode_png(const std::uint8_t* rgba, int w, int h) {
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) throw std::runtime_error("libpng: out of memory");
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng: encoding failed");
    }
    png_set_write_fn(png, &out, png_write_vec, png_flush_none);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) png_write_row(png, const_cast<png_bytep>(rgba + std::size_t(y) * w * 4));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

namespace {
struct PngReadState {
    const std::vector<std::uint8_t>* in;
    std::size_t pos;
};
void png_read_vec(png_structp png, png_bytep data, png_size_t len) {
    auto* s = static_cast<PngReadState*>(png_get_io_ptr(png));
    if (s->pos + len > s->in->size()) png_error(png, "truncated");
    std::memcpy(data, s->in->data() + s->pos, len);
    s->pos += len;
}
}  // namespace

bool decode_png(const std::vector<std::uint8_t>& bytes, int& w, int& h, std::vector<std::uint8_t>& rgba) {
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) return false;
    PngReadState st{&bytes, 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &st, png_read_vec);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    w = int(png_get_image_width(png, info));
    h = int(png_get_image_height(png, info));
    rgba.assign(std::size_t(w) * h * 4, 0);
    std::vector<png_bytep> rows(static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) rows[std::size_t(y)] = rgba.data() + std::size_t(y) * w * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

std::vector<std::uint8_t> encode_jpeg(const std::uint8_t* rgba, int w, int h, int quality) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buf, &size);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<std::uint8_t> row(std::size_t(w) * 3);
    while (c.next_scanline < c.image_height) {
        const std::uint8_t* src = rgba + std::size_t(c.next_scanline) * w * 4;
        for (int x = 0; x < w; ++x) {
            row[std::size_t(x) * 3 + 0] = src[x * 4 + 0];
            row[std::size_t(x) * 3 + 1] = src[x * 4 + 1];
            row[std::size_t(x) * 3 + 2] = src[x * 4 + 2];
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<std::uint8_t> out(buf, buf + size);
    std::free(buf);
    return out;
}

namespace {
bool already_compressed(const std::vector<std::uint8_t>& d) {
    if (d.size() >= 8 && d[0] == 0x89 && d[1] == 'P' && d[2] == 'N' && d[3] == 'G') return true;
    if (d.size() >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) return true;
    if (d.size() >= 4 && std::memcmp(d.data(), "OggS", 4) == 0) return true;
    return false;
}
// Whether deflating saves space (zlib's bound of a zlib stream is a little
// above the raw stream the archive holds, so the test is on the safe side).
bool deflate_saves(const std::vector<std::uint8_t>& in) {
    uLongf size = compressBound(uLong(in.size()));
    std::vector<std::uint8_t> out(size);
    if (compress2(out.data(), &size, in.data(), uLong(in.size()), 6) != Z_OK)
        throw std::runtime_error("zlib: compress failed");
    return size < in.size();
}
}  // namespace

std::vector<std::uint8_t> build_zip(const std::vector<ZipEntry>& entries) {
    if (entries.size() > 0xFFFF) throw std::runtime_error("zip: too many entries");
    std::vector<platform::ZipFile> files;
    files.reserve(entries.size());
    for (const ZipEntry& e : entries) {
        if (e.name.empty() || e.name.size() > 0xFFFF) throw std::runtime_error("zip: bad entry name");
        const bool deflate = !already_compressed(e.data) && e.data.size() > 64 && deflate_saves(e.data);
        files.push_back({e.name, e.data, deflate});
    }
    std::vector<std::uint8_t> zip = platform::WriteZipArchive(files);
    if (zip.empty()) throw std::runtime_error("zip: the archive could not be written");
    return zip;
}

}  // namespace assetgen
