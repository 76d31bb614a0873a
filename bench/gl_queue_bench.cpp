// The same frame as gl_baseline (clear, four full-screen blended quads)
// drawn the way the game draws: entries submitted to the Render queue on
// the OpenGL device. Optionally many small sprites on top, to see the cost
// per sprite. Prints frames per second.
//
//   gl_queue_bench [--seconds N] [--size WxH] [--sprites N]
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/game_context.h"
#include "render/render_queue.h"
#include "assets/asset_names.h"
#include "gfx/gl/gl_device.h"

namespace {

void Rect(std::vector<dw::ScreenVertex>& out, float x0, float y0, float x1, float y1, std::uint32_t c) {
    const dw::ScreenVertex a{x0, y0, 0.5f, 1, c, 0, 0}, b{x1, y0, 0.5f, 1, c, 1, 0},
        d{x0, y1, 0.5f, 1, c, 0, 1}, e{x1, y1, 0.5f, 1, c, 1, 1};
    out.insert(out.end(), {a, b, d, d, b, e});
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 5.0;
    int width = 800, height = 600, sprites = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0) return 2;
        } else if (std::strcmp(argv[i], "--sprites") == 0 && i + 1 < argc) {
            sprites = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: gl_queue_bench [--seconds N] [--size WxH] [--sprites N]\n");
            return 2;
        }
    }
    if (seconds <= 0.0) seconds = 1.0;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* window = SDL_CreateWindow("gl queue bench", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                          width, height, SDL_WINDOW_OPENGL);
    if (window == nullptr) return 1;
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) return 1;
    SDL_GL_SetSwapInterval(0);

    long frames = 0;
    double elapsed = 0.0;
    {
        gfx::GlDevice device([window](int& w, int& h) { SDL_GL_GetDrawableSize(window, &w, &h); },
                             [window] { SDL_GL_SwapWindow(window); });
        if (!device.valid()) {
            std::fprintf(stderr, "%s\n", device.error().c_str());
            return 1;
        }
        dw::GameContext ctx;
        ctx.device = &device;
        for (int i = 0; i < 4; ++i) ctx.viewMatrix.m[i][i] = ctx.projectionMatrix.m[i][i] = 1.0f;
        dw::RenderQueue queue(&ctx);
        queue.RestoreDeviceObjects();

        std::vector<dw::ScreenVertex> full;
        for (int q = 0; q < 4; ++q) {
            Rect(full, 0, 0, static_cast<float>(width), static_cast<float>(height),
                 0x80000000u | (0x33u * static_cast<std::uint32_t>(q + 1)) << 16 | 0x80FFu);
        }
        std::vector<dw::ScreenVertex> small;
        for (int s = 0; s < sprites; ++s) {
            const float x = static_cast<float>((s * 37) % (width - 16));
            const float y = static_cast<float>((s * 91) % (height - 16));
            Rect(small, x, y, x + 16, y + 16, 0xC0FFFFFFu);
        }

        const Uint64 freq = SDL_GetPerformanceFrequency();
        const Uint64 start = SDL_GetPerformanceCounter();
        const auto limit = static_cast<Uint64>(seconds * static_cast<double>(freq));
        bool quit = false;
        while (!quit && SDL_GetPerformanceCounter() - start < limit) {
            SDL_Event e;
            while (SDL_PollEvent(&e)) {
                if (e.type == SDL_QUIT) quit = true;
            }
            for (int q = 0; q < 4; ++q) {
                dw::DrawEntry& d = ctx.drawRequest;
                d.screenSpace = 1;
                d.noDepth = 1;
                d.alphaBlend = 1;
                d.srcBlend = D3DBLEND_SRCALPHA;
                d.destBlend = D3DBLEND_INVSRCALPHA;
                d.sortKey = static_cast<float>(q);
                d.texture = asset::NoTexture;
                d.vertices = full.data() + 6 * q;
                d.primitiveCount = 2;
                queue.Submit(d);
            }
            for (int s = 0; s < sprites; ++s) {
                dw::DrawEntry& d = ctx.drawRequest;
                d.screenSpace = 1;
                d.noDepth = 1;
                d.alphaBlend = 1;
                d.srcBlend = D3DBLEND_SRCALPHA;
                d.destBlend = D3DBLEND_INVSRCALPHA;
                d.sortKey = -1.0f;
                d.texture = asset::NoTexture;
                d.vertices = small.data() + 6 * s;
                d.primitiveCount = 2;
                queue.Submit(d);
            }
            queue.Flush();
            queue.Clear();
            device.Present();
            ++frames;
        }
        elapsed = static_cast<double>(SDL_GetPerformanceCounter() - start) / static_cast<double>(freq);
        std::printf("renderer: %s\n", device.AdapterDescription().c_str());
        std::printf("%dx%d, %d sprites: %ld frames in %.2f s = %.1f frames per second, %u batches per frame\n",
                    width, height, sprites, frames, elapsed, static_cast<double>(frames) / elapsed,
                    queue.lastBatchCount);
        queue.InvalidateDeviceObjects();
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
