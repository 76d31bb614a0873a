// The brightest flash of a demo: replays it on the OpenGL device (800 x 600,
// a window of its own) with reduced flashes off and then on, finds the frame
// of the off run where the mean luminance rose most over the frame before,
// and prints that rise and the on run's rise at the same frame (the game is
// the same frame for frame either way), both:
//   - of the whole play field: a boss's death lights up most of it;
//   - of any area a third of the play field wide and high (a 228 x 190 pixel
//     window moved over the field in steps of a twelfth of it), for a blast
//     that lights up only its neighbourhood.
// Exit status 1 when either rise with the option on is above a quarter of
// the rise without it.
//
//   flash_rise DEMO [--data FILE] [--from N] [--frames N] [--save DIR] [--shot FRAME] [--trace 1]
//
// --from measures from frame N on and plays the frames before undrawn (fast);
// --frames stops after frame N. --save writes the pictures of the off run's
// brightest flash of an area and of the frame before it, and the same frames
// of the on run (DIR/off-before.png, off-peak.png, on-before.png,
// on-peak.png) and, with --shot, the picture of that frame (off-shot.png,
// on-shot.png); --trace prints each frame's field luminance and rises.
#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/demo.h"
#include "common/headless_game.h"
#include "core/game_context.h"
#include "gfx/gl/gl_device.h"
#include "platform/screenshot.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;
// The play field of the 800 x 600 picture (the panel on the left is not in it).
constexpr int kFieldX0 = 100, kFieldX1 = 785, kFieldY0 = 15, kFieldY1 = 585;
constexpr int kFieldW = kFieldX1 - kFieldX0, kFieldH = kFieldY1 - kFieldY0;
constexpr int kAreaW = kFieldW / 3, kAreaH = kFieldH / 3;
constexpr int kStepX = kFieldW / 12, kStepY = kFieldH / 12;
constexpr int kAreasX = (kFieldW - kAreaW) / kStepX + 1, kAreasY = (kFieldH - kAreaH) / kStepY + 1;

// The back buffer, top row first.
void ReadBack(std::vector<unsigned char>& pixels) {
    const std::size_t row = static_cast<std::size_t>(kWidth) * 4;
    std::vector<unsigned char> flipped(row * kHeight);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, flipped.data());
    pixels.resize(flipped.size());
    for (int y = 0; y < kHeight; ++y)
        std::memcpy(pixels.data() + row * static_cast<std::size_t>(y),
                    flipped.data() + row * static_cast<std::size_t>(kHeight - 1 - y), row);
}

// Mean luminances (0..255) of a picture: the whole field and each area.
struct Luminance {
    double field = 0;
    std::vector<double> areas;
};

Luminance Measure(const std::vector<unsigned char>& pixels) {
    // Sums over the field from its top left corner, one row and column of
    // zeros ahead.
    std::vector<double> sums(static_cast<std::size_t>(kFieldW + 1) * (kFieldH + 1), 0.0);
    const auto at = [&](int x, int y) -> double& { return sums[static_cast<std::size_t>(y) * (kFieldW + 1) + x]; };
    for (int y = 0; y < kFieldH; ++y) {
        const unsigned char* row = pixels.data() + (static_cast<std::size_t>(y + kFieldY0) * kWidth + kFieldX0) * 4;
        double line = 0;
        for (int x = 0; x < kFieldW; ++x) {
            const unsigned char* p = row + x * 4;
            line += 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
            at(x + 1, y + 1) = at(x + 1, y) + line;
        }
    }
    Luminance l;
    l.field = at(kFieldW, kFieldH) / (static_cast<double>(kFieldW) * kFieldH);
    for (int ay = 0; ay < kAreasY; ++ay)
        for (int ax = 0; ax < kAreasX; ++ax) {
            const int x0 = ax * kStepX, y0 = ay * kStepY, x1 = x0 + kAreaW, y1 = y0 + kAreaH;
            const double sum = at(x1, y1) - at(x0, y1) - at(x1, y0) + at(x0, y0);
            l.areas.push_back(sum / (static_cast<double>(kAreaW) * kAreaH));
        }
    return l;
}

double LargestAreaRise(const Luminance& before, const Luminance& now) {
    double rise = 0;
    for (std::size_t i = 0; i < now.areas.size(); ++i) rise = std::max(rise, now.areas[i] - before.areas[i]);
    return rise;
}

struct Run {
    std::string data = "build/gamedata.res";
    std::uint64_t from = 0;  // the first frame measured (those before are played undrawn)
    std::uint64_t frames = ~0ull;
    std::uint64_t shot = 0;  // a frame whose picture is kept (0: none)
    bool trace = false;
};

// The rises of one replay, frame by frame (index: the frame; below zero: not
// measured), and the pictures of one frame and the frame before it.
struct Result {
    std::vector<double> field, area;
    std::uint64_t kept = 0;  // the frame of `before` and `peak`
    std::vector<unsigned char> before, peak, shot;
};

double At(const std::vector<double>& rises, std::uint64_t frame) { return frame < rises.size() ? rises[frame] : -1.0; }

// The frame of the largest rise (0 when none was measured).
std::uint64_t Brightest(const std::vector<double>& rises) {
    std::uint64_t best = 0;
    for (std::uint64_t f = 1; f < rises.size(); ++f)
        if (rises[f] > At(rises, best)) best = f;
    return best;
}

// Replays the demo and measures every frame of a level in play from a second
// after its start (the play screen shows before the game begins, the idle
// field behind the menu, and a level's start cuts from black to its
// picture: neither is a flash). Keeps the pictures of frame `keep` (0: of
// the largest area rise so far).
Result Replay(SDL_Window* window, const dw::Demo& demo, const Run& run, bool reduce, std::uint64_t keep) {
    std::vector<unsigned char> pixels, previous;
    bool presented = false;
    gfx::GlDevice device([](int& w, int& h) { w = kWidth, h = kHeight; },
                         [&] {
                             ReadBack(pixels);
                             presented = true;
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
    options.dataFile = run.data;
    options.device = &device;
    dw::HeadlessGame game(options, play);
    if (!game.Start()) {
        std::fprintf(stderr, "flash_rise: the game does not start\n");
        std::exit(1);
    }
    dw::GameContext& ctx = game.context();
    ctx.display.reduceFlashes = reduce ? 1 : 0;
    Result result;
    Luminance last;
    bool haveLast = false, begun = false;
    std::uint64_t inPlay = 0;
    for (std::uint64_t frame = 1; frame <= run.frames; ++frame) {
        // The frames before the first measured one are played, not drawn.
        device.SetDrawingSkipped(frame + 1 < run.from);
        presented = false;
        if (!game.Step()) break;
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
        const bool starting = ctx.gameStartPending;
        begun = begun || starting;
        inPlay = begun && !starting && ctx.currentScreen == dw::Screen::Game ? inPlay + 1 : 0;
        if (!presented || inPlay <= 60) {
            haveLast = false;
            continue;
        }
        const Luminance now = Measure(pixels);
        if (haveLast) {
            const double area = LargestAreaRise(last, now), field = now.field - last.field;
            result.field.resize(frame + 1, -1.0);
            result.area.resize(frame + 1, -1.0);
            result.field[frame] = field;
            result.area[frame] = area;
            if (run.trace)
                std::printf("%s %llu field %.2f rise %.2f, area rise %.2f\n", reduce ? "on" : "off",
                            static_cast<unsigned long long>(frame), now.field, field, area);
            if (keep ? frame == keep : area > At(result.area, result.kept)) {
                result.kept = frame;
                result.before = previous;
                result.peak = pixels;
            }
        }
        if (frame == run.shot) result.shot = pixels;
        last = now;
        haveLast = true;
        previous.swap(pixels);
    }
    game.Close();
    std::filesystem::remove_all(dir);
    return result;
}

void Save(const std::string& dir, const char* name, const std::vector<unsigned char>& pixels) {
    if (pixels.empty()) return;
    const std::string path = dir + "/" + name;
    if (!platform::WritePng(path, pixels.data(), kWidth, kHeight))
        std::fprintf(stderr, "flash_rise: cannot write %s\n", path.c_str());
}

// Prints the off run's largest rise, the on run's at that frame and the on
// run's own largest; true when the on run's rise at that frame is at most a
// quarter of the off run's.
bool Print(const char* what, const std::vector<double>& off, const std::vector<double>& on) {
    const std::uint64_t brightest = Brightest(off), onBrightest = Brightest(on);
    const double rise = At(off, brightest), reduced = At(on, brightest);
    std::printf("%s\n", what);
    std::printf("  reduced flashes off: %6.2f at frame %llu\n", rise, static_cast<unsigned long long>(brightest));
    std::printf("  reduced flashes on:  %6.2f at that frame, %.0f %% of off (its largest: %.2f at frame %llu)\n",
                reduced, rise > 0 ? 100.0 * reduced / rise : 0.0, At(on, onBrightest),
                static_cast<unsigned long long>(onBrightest));
    return rise > 0 && reduced <= rise / 4;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: flash_rise DEMO [--data FILE] [--from N] [--frames N] [--save DIR] [--shot FRAME] [--trace 1]\n");
        return 2;
    }
    Run run;
    std::string saveDir;
    for (int i = 2; i + 1 < argc; i += 2) {
        const char* value = argv[i + 1];
        if (std::strcmp(argv[i], "--data") == 0) run.data = value;
        if (std::strcmp(argv[i], "--from") == 0) run.from = std::strtoull(value, nullptr, 10);
        if (std::strcmp(argv[i], "--frames") == 0) run.frames = std::strtoull(value, nullptr, 10);
        if (std::strcmp(argv[i], "--save") == 0) saveDir = value;
        if (std::strcmp(argv[i], "--shot") == 0) run.shot = std::strtoull(value, nullptr, 10);
        if (std::strcmp(argv[i], "--trace") == 0) run.trace = std::atoi(value) != 0;
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
    const Result off = Replay(window, demo, run, false, 0);
    const Result on = Replay(window, demo, run, true, off.kept);
    if (!saveDir.empty()) {
        std::filesystem::create_directories(saveDir);
        Save(saveDir, "off-before.png", off.before);
        Save(saveDir, "off-peak.png", off.peak);
        Save(saveDir, "on-before.png", on.before);
        Save(saveDir, "on-peak.png", on.peak);
        Save(saveDir, "off-shot.png", off.shot);
        Save(saveDir, "on-shot.png", on.shot);
    }
    std::printf("brightest flash, the largest rise of mean luminance (0..255) over the frame before\n");
    const bool area = Print("of an area a third of the field wide and high:", off.area, on.area);
    const bool field = Print("of the whole field:", off.field, on.field);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return area && field ? 0 : 1;
}
