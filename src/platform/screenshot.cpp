#include "platform/screenshot.h"

#include "platform/stored_file.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace platform {

namespace {

bool WriteRows(std::FILE* file, const std::uint8_t* rgba, std::uint32_t width, std::uint32_t height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* src = rgba + static_cast<std::size_t>(y) * width * 4;
        for (std::uint32_t x = 0; x < width; ++x) {
            row[3 * x + 0] = src[4 * x + 0];
            row[3 * x + 1] = src[4 * x + 1];
            row[3 * x + 2] = src[4 * x + 2];
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WritePng(const std::string& path, const std::uint8_t* rgba, std::uint32_t width, std::uint32_t height) {
    // PNG allows 2^31 - 1; far less is plenty for a screen.
    if (rgba == nullptr || width == 0 || height == 0 || width > 16384 || height > 16384 || path.empty()) {
        return false;
    }
    std::FILE* file = OpenRegularFile(path, "wb");  // never a FIFO or a device
    if (file == nullptr) return false;
    bool ok = WriteRows(file, rgba, width, height);
    ok = (std::fclose(file) == 0) && ok;
    if (!ok) RemoveFile(path);
    return ok;
}

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local;
}

}  // namespace platform
