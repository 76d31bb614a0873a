// Measures how much of the play field a screenshot shows washed out in
// yellow-white (red above 170, green above 130, blue 60 below red): the
// colour of overexposed explosion flashes. Prints the share and fails when
// it is above the limit.
//   flash_wash SHOT.png [MAX_PERCENT]
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

bool ReadPng(const char* path, std::vector<unsigned char>& rgb, unsigned& w, unsigned& h) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) return false;
    image.format = PNG_FORMAT_RGB;
    w = image.width;
    h = image.height;
    rgb.resize(static_cast<std::size_t>(w) * h * 3);
    const bool ok = png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: flash_wash SHOT.png [MAX_PERCENT]\n");
        return 2;
    }
    const double limit = argc > 2 ? std::atof(argv[2]) : 100.0;
    std::vector<unsigned char> rgb;
    unsigned w = 0, h = 0;
    if (!ReadPng(argv[1], rgb, w, h) || w < 100 || h < 100) {
        std::fprintf(stderr, "%s: not a readable PNG\n", argv[1]);
        return 2;
    }
    // The play field between the board's strips: x 100..785, y 15..585 at 800 x 600.
    const unsigned x0 = w * 100 / 800, x1 = w * 785 / 800, y0 = h * 15 / 600, y1 = h * 585 / 600;
    std::size_t washed = 0, all = 0;
    for (unsigned y = y0; y < y1; ++y)
        for (unsigned x = x0; x < x1; ++x) {
            const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * w + x) * 3];
            const int r = p[0], g = p[1], b = p[2];
            if (r > 170 && g > 130 && b < r - 60) ++washed;
            ++all;
        }
    const double percent = 100.0 * static_cast<double>(washed) / static_cast<double>(all);
    std::printf("%s: %.1f %% of the play field washed yellow-white (limit %.1f %%)\n", argv[1], percent, limit);
    return percent <= limit ? 0 : 1;
}
