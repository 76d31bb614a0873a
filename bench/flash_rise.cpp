// The brightest flash of a demo: replays it on the OpenGL device (800 x 600,
// a window of its own) and, frame by frame, takes the mean luminance of the
// play field; prints the largest rise over the frame before, with reduced
// flashes off and then on.
//
//   flash_rise DEMO [--data FILE] [--frames N]
#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/demo.h"
#include "app/headless_game.h"
#include "core/game_context.h"
#include "platform/gfx_device_gl.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;

// Mean luminance (0..255) of the play field (x 100..785, y 15..585) of the
// back buffer.
double FieldLuminance(std::vector<unsigned char>& pixels) {
    pixels.resize(static_cast<std::size_t>(kWidth) * kHeight * 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    double sum = 0;
    long count = 0;
    for (int y = 15; y < 585; ++y) {
        const unsigned char* row = pixels.data() + static_cast<std::size_t>(kHeight - 1 - y) * kWidth * 4;
        for (int x = 100; x < 785; ++x) {
            const unsigned char* p = row + x * 4;
            sum += 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
            ++count;
        }
    }
    return sum / static_cast<double>(count);
}

struct Rise {
    double rise = 0;
    std::uint64_t frame = 0;
};

Rise Measure(SDL_Window* window, const dw::Demo& demo, const std::string& data, std::uint64_t frames,
             bool reduce) {
    std::vector<unsigned char> pixels;
    Rise best;
    double last = -1;
    std::uint64_t frame = 0, inPlay = 0;
    const dw::GameContext* ctx = nullptr;
    // Only frames of play count, from a second into it: the first picture
    // and the level's own fade-in are no flashes.
    gfx::GlDevice device([](int& w, int& h) { w = kWidth, h = kHeight; },
                         [&] {
                             ++frame;
                             const bool playing = ctx && ctx->currentScreen == dw::Screen::Game;
                             inPlay = playing ? inPlay + 1 : 0;
                             if (inPlay > 60) {
                                 const double now = FieldLuminance(pixels);
                                 if (last >= 0 && now - last > best.rise) best = {now - last, frame};
                                 last = now;
                             } else {
                                 last = -1;
                             }
                             SDL_GL_SwapWindow(window);
                         });
    if (!device.valid()) {
        std::fprintf(stderr, "flash_rise: %s\n", device.error().c_str());
        std::exit(1);
    }
    const std::string dir = (std::filesystem::temp_directory_path() / "flash_rise_user").string();
    std::filesystem::create_directories(dir);
    dw::PlayOptions play;
    play.replay = &demo;
    dw::HeadlessOptions options;
    options.userDir = dir;
    options.dataFile = data;
    options.device = &device;
    dw::HeadlessGame game(options, play);
    if (!game.Start()) {
        std::fprintf(stderr, "flash_rise: the game does not start\n");
        std::exit(1);
    }
    game.context().display.reduceFlashes = reduce ? 1 : 0;
    ctx = &game.context();
    for (std::uint64_t i = 0; i < frames && game.Step(); ++i) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
    }
    ctx = nullptr;
    game.Close();
    std::filesystem::remove_all(dir);
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: flash_rise DEMO [--data FILE] [--frames N]\n");
        return 2;
    }
    std::string data = "build/gamedata.res";
    std::uint64_t frames = ~0ull;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--data") == 0) data = argv[i + 1];
        if (std::strcmp(argv[i], "--frames") == 0) frames = std::strtoull(argv[i + 1], nullptr, 10);
    }
    dw::Demo demo;
    std::string error;
    if (!dw::LoadDemoFile(argv[1], demo, error)) {
        std::fprintf(stderr, "flash_rise: %s\n", error.c_str());
        return 1;
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* window = SDL_CreateWindow("flash rise", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kWidth,
                                          kHeight, SDL_WINDOW_OPENGL);
    if (!window) return 1;
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) return 1;
    SDL_GL_SetSwapInterval(0);
    const Rise off = Measure(window, demo, data, frames, false);
    const Rise on = Measure(window, demo, data, frames, true);
    std::printf("brightest flash, rise of the field's mean luminance over the frame before (0..255):\n");
    std::printf("  reduced flashes off: %.2f (frame %llu)\n", off.rise, static_cast<unsigned long long>(off.frame));
    std::printf("  reduced flashes on:  %.2f (frame %llu), %.0f %% of off\n", on.rise,
                static_cast<unsigned long long>(on.frame), off.rise > 0 ? 100.0 * on.rise / off.rise : 0.0);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return off.rise > 0 && on.rise <= off.rise / 4 ? 0 : 1;
}
