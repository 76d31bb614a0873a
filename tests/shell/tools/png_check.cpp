// Checks a screenshot of the game: the PNG must decode and show more than
// one colour. When the run's report says the frame drew nothing at all, a
// one-colour picture is expected and the check is skipped (exit 77).
//   shell_png_check SHOT.png [REPORT.json]
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool ReadPng(const char* path, std::vector<std::uint32_t>& pixels, unsigned& w, unsigned& h) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) return false;
    image.format = PNG_FORMAT_RGBA;
    w = image.width;
    h = image.height;
    pixels.resize(static_cast<std::size_t>(w) * h);
    const bool ok = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

long ReportedDraws(const char* path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    const std::string text = s.str();
    const auto at = text.find("\"draws\":");
    if (at == std::string::npos) return -1;
    return std::strtol(text.c_str() + at + 8, nullptr, 10);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: shell_png_check SHOT.png [REPORT.json]\n");
        return 2;
    }
    std::vector<std::uint32_t> pixels;
    unsigned w = 0, h = 0;
    if (!ReadPng(argv[1], pixels, w, h) || w == 0 || h == 0) {
        std::fprintf(stderr, "%s: not a readable PNG\n", argv[1]);
        return 1;
    }
    std::set<std::uint32_t> colours;
    for (std::uint32_t p : pixels) {
        colours.insert(p | 0xFF000000u);  // alpha of the back buffer does not count
        if (colours.size() > 1) break;
    }
    std::printf("%s: %ux%u, %s\n", argv[1], w, h, colours.size() > 1 ? "several colours" : "one colour");
    if (colours.size() > 1) return 0;
    if (argc > 2 && ReportedDraws(argv[2]) == 0) {
        std::printf("the frame drew nothing: skipped\n");
        return 77;
    }
    return 1;
}
