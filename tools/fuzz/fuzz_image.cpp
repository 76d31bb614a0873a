// libFuzzer entry for the PNG/JPEG texture decoder. Not part of the default
// build:
//   clang++ -std=c++20 -g -fsanitize=fuzzer,address,undefined -Isrc tools/fuzz/fuzz_image.cpp
//           src/d3dx/d3dx_image.cpp -lpng -ljpeg -lz -o fuzz_image
// Seeds: any small PNG or JPEG files.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "d3dx/d3dx_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    d3dx::DecodeOptions options;
    options.maxDimension = 1024;  // keeps each run quick; the limit itself is what is under test
    options.colorKey = size > 0 ? 0xFF000000u | data[size - 1] : 0;
    d3dx::Image image;
    if (!d3dx::DecodeImage(data, size, options, image)) {
        if (!image.levels.empty()) std::abort();
        return 0;
    }
    if (image.levels.empty() || image.width == 0 || image.height == 0) std::abort();
    if (image.width > 1024 || image.height > 1024) std::abort();
    if (image.levels.size() != d3dx::FullMipCount(image.width, image.height)) std::abort();
    std::uint32_t w = image.width, h = image.height;
    for (const d3dx::ImageLevel& level : image.levels) {
        if (level.width != w || level.height != h || level.rgba.size() != std::size_t(w) * h * 4) std::abort();
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
    return 0;
}
