// The OpenGL device on a real (software) GL context: draws sprites, meshes
// and blends through the device and checks the pixels it reads back.
// Runs with the window the game opens (no depth buffer: depth lives off
// screen) or, with --window-depth N, with a depth buffer of N bits; on
// desktop OpenGL 3.3 core or, with --gles, on OpenGL ES 3.0 through EGL.
// Exit code 0: passed; 1: a check failed; 77: no display or no such GL.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/game_context.h"
#include "core/draw_entry.h"
#include "render/render_queue.h"
#include "assets/asset_names.h"
#include "assets/textures.h"
#include "gfx/gl/gl_device.h"
#include "platform/screenshot.h"
#include "common/device_state_script.h"

namespace {

int g_failures = 0;

void Check(bool ok, const std::string& what) {
    if (!ok) {
        std::fprintf(stderr, "FAILED: %s\n", what.c_str());
        ++g_failures;
    }
}

struct Pixel {
    int r, g, b;
};

Pixel At(const std::vector<std::uint8_t>& img, std::uint32_t w, int x, int y) {
    const std::uint8_t* p = img.data() + (static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)) * 4;
    return {p[0], p[1], p[2]};
}

void ExpectPixel(const std::vector<std::uint8_t>& img, std::uint32_t w, int x, int y, Pixel want, const char* what) {
    const Pixel got = At(img, w, x, y);
    const bool ok = std::abs(got.r - want.r) <= 3 && std::abs(got.g - want.g) <= 3 && std::abs(got.b - want.b) <= 3;
    char text[256];
    std::snprintf(text, sizeof text, "%s at (%d,%d): got %d,%d,%d want %d,%d,%d", what, x, y, got.r, got.g, got.b,
                  want.r, want.g, want.b);
    Check(ok, text);
}

// Two triangles of a screen rectangle, clockwise as the game winds them.
void Rect(std::vector<dw::ScreenVertex>& out, float x0, float y0, float x1, float y1, float z, std::uint32_t colour) {
    const dw::ScreenVertex a{x0, y0, z, 1, colour, 0, 0}, b{x1, y0, z, 1, colour, 1, 0}, c{x0, y1, z, 1, colour, 0, 1},
        d{x1, y1, z, 1, colour, 1, 1};
    out.insert(out.end(), {a, b, c, c, b, d});
}

// Puts a frame's vertices into the buffer (a discarding lock, as the queue does).
void Upload(gfx::VertexBuffer* vb, const std::vector<dw::ScreenVertex>& v, const char* what) {
    std::uint8_t* p = nullptr;
    const bool locked = SUCCEEDED(vb->Lock(0, 0, &p, D3DLOCK_DISCARD)) && p;
    Check(locked, what);
    if (!locked) return;
    std::memcpy(p, v.data(), v.size() * sizeof v[0]);
    vb->Unlock();
}

}  // namespace

int main(int argc, char** argv) {
    int windowDepth = 0;
    bool gles = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window-depth") == 0 && i + 1 < argc)
            windowDepth = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--gles") == 0)
            gles = true;
    }
    if (gles) {
        SDL_SetHint(SDL_HINT_VIDEO_X11_FORCE_EGL, "1");
        SDL_SetHint(SDL_HINT_OPENGL_ES_DRIVER, "1");
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "no video: %s\n", SDL_GetError());
        return 77;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, gles ? 0 : 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, gles ? SDL_GL_CONTEXT_PROFILE_ES : SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, windowDepth);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* window = SDL_CreateWindow("gl device test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 256, 256,
                                          SDL_WINDOW_OPENGL);
    if (window == nullptr) {
        std::fprintf(stderr, "no window: %s\n", SDL_GetError());
        SDL_Quit();
        return 77;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        std::fprintf(stderr, "no %s context: %s\n", gles ? "GLES 3.0" : "GL 3.3 core", SDL_GetError());
        SDL_DestroyWindow(window);
        SDL_Quit();
        return 77;
    }
    SDL_GL_SetSwapInterval(0);

    int status = 0;
    {
        gfx::GlDevice dev([window](int& w, int& h) { SDL_GL_GetDrawableSize(window, &w, &h); },
                          [window] { SDL_GL_SwapWindow(window); });
        if (!dev.valid()) {
            std::fprintf(stderr, "shaders: %s\n", dev.error().c_str());
            return 1;
        }
        std::printf("adapter: %s\n", dev.AdapterDescription().c_str());
        Check(dev.profile() == (gles ? gfx::GlProfile::Es30 : gfx::GlProfile::Core33), "the context's profile");
        Check(dev.BackBufferWidth() == 256 && dev.BackBufferHeight() == 256, "back buffer size");
        dev.SetCaptureOnPresent(true);
        // What the scene sets at start-up (render/scene_states.cpp).
        dev.SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        dev.SetRenderState(D3DRS_LIGHTING, 1);
        dev.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        dev.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        dev.SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
        dev.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);

        // A 4x4 texture, one colour, half alpha in its alpha-test copy.
        gfx::Texture* tex = nullptr;
        Check(SUCCEEDED(dev.CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex)), "create texture");
        Check(tex != nullptr && tex->LevelCount() == 3, "full mip chain of a 4x4 texture");
        for (std::uint32_t l = 0; l < 3; ++l) {
            const std::uint32_t side = 4u >> l;
            std::vector<std::uint32_t> texels(side * side, 0xFF80FF40u);
            Check(SUCCEEDED(tex->SetLevel(l, side, side, texels.data())), "set level");
        }
        gfx::Texture* halfTex = nullptr;
        dev.CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &halfTex);
        std::vector<std::uint32_t> half(16, 0x80FFFFFFu);
        halfTex->SetLevel(0, 4, 4, half.data());

        std::vector<dw::ScreenVertex> v;
        Rect(v, 10, 10, 60, 60, 0.5f, 0xFF808080u);      // 0: textured x grey
        Rect(v, 100, 10, 150, 60, 0.5f, 0xFFFF0000u);    // 6: red under ...
        Rect(v, 100, 10, 150, 60, 0.5f, 0x800000FFu);    // 12: ... half blue
        Rect(v, 10, 100, 60, 150, 0.5f, 0xFF20A0E0u);    // 18: untextured
        Rect(v, 100, 100, 150, 150, 0.2f, 0xFF00FF00u);  // 24: near green
        Rect(v, 100, 100, 150, 150, 0.6f, 0xFFFF0000u);  // 30: far red, hidden
        Rect(v, 180, 100, 230, 150, 0.5f, 0xFFFFFFFFu);  // 36: white under ...
        Rect(v, 180, 100, 230, 150, 0.5f, 0x80000000u);  // 42: ... black, half texture alpha
        Rect(v, 180, 10, 230, 60, 0.5f, 0xFF000000u);    // 48: texture alone, diffuse ignored

        gfx::VertexBuffer* vb = nullptr;
        const auto bytes = static_cast<UINT>(v.size() * sizeof(dw::ScreenVertex));
        Check(SUCCEEDED(dev.CreateVertexBuffer(bytes, D3DUSAGE_DYNAMIC, gfx::kFvfScreen, D3DPOOL_DEFAULT, &vb)),
              "vertex buffer");
        std::uint8_t* p = nullptr;
        Check(SUCCEEDED(vb->Lock(0, bytes, &p, D3DLOCK_DISCARD)) && p, "lock");
        std::memcpy(p, v.data(), bytes);
        vb->Unlock();

        dev.BeginScene();
        dev.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        dev.SetStreamSource(0, vb, sizeof(dw::ScreenVertex));
        dev.SetVertexShader(gfx::kFvfScreen);
        dev.SetTexture(0, tex);
        Check(SUCCEEDED(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2)), "draw textured");
        dev.SetTexture(0, nullptr);
        dev.DrawPrimitive(D3DPT_TRIANGLELIST, 6, 2);
        dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
        dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        dev.DrawPrimitive(D3DPT_TRIANGLELIST, 12, 2);
        dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
        dev.DrawPrimitive(D3DPT_TRIANGLELIST, 18, 2);
        dev.DrawPrimitive(D3DPT_TRIANGLELIST, 24, 4);  // green, then red behind it
        dev.DrawPrimitive(D3DPT_TRIANGLELIST, 36, 2);
        dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
        dev.SetTexture(0, halfTex);
        dev.DrawPrimitive(D3DPT_TRIANGLELIST, 42, 2);
        dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
        dev.SetTexture(0, tex);
        dev.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        dev.DrawPrimitive(D3DPT_TRIANGLELIST, 48, 2);
        dev.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);

        // A lit mesh quad in the lower left of clip space: identity
        // transforms, a light shining along +z onto a face looking along -z.
        // Its vertices follow two others in the buffer, and the base vertex
        // index skips those (drawn from vertex 0 the quad would lose its
        // lower right corner to a sliver towards the first two).
        const dw::MeshVertex mesh[6] = {{0.9f, 0.5f, 0.5f, 0, 0, -1, 0, 0},   {0.9f, 0.5f, 0.5f, 0, 0, -1, 0, 0},
                                        {-0.9f, -0.5f, 0.5f, 0, 0, -1, 0, 0}, {-0.9f, -0.9f, 0.5f, 0, 0, -1, 0, 1},
                                        {-0.5f, -0.5f, 0.5f, 0, 0, -1, 1, 0}, {-0.5f, -0.9f, 0.5f, 0, 0, -1, 1, 1}};
        const std::uint16_t idx[6] = {0, 2, 1, 1, 2, 3};
        gfx::VertexBuffer* mvb = nullptr;
        gfx::IndexBuffer* mib = nullptr;
        dev.CreateVertexBuffer(sizeof mesh, D3DUSAGE_DYNAMIC, gfx::kFvfMesh, D3DPOOL_DEFAULT, &mvb);
        dev.CreateIndexBuffer(sizeof idx, D3DUSAGE_DYNAMIC, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &mib);
        mvb->Lock(0, 0, &p, D3DLOCK_DISCARD);
        std::memcpy(p, mesh, sizeof mesh);
        mvb->Unlock();
        mib->Lock(0, 0, &p, D3DLOCK_DISCARD);
        std::memcpy(p, idx, sizeof idx);
        mib->Unlock();
        D3DLIGHT8 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {1, 1, 1, 1};
        light.Direction = {0, 0, 1};
        dev.SetLight(0, &light);
        dev.LightEnable(0, 1);
        D3DMATERIAL8 mat{};
        mat.Diffuse = {1, 0, 0, 1};
        mat.Emissive = {0, 0, 0.25f, 0};
        dev.SetMaterial(&mat);
        dev.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        dev.SetTexture(0, nullptr);
        dev.SetStreamSource(0, mvb, sizeof(dw::MeshVertex));
        dev.SetIndices(mib, 2);
        dev.SetVertexShader(gfx::kFvfMesh);
        Check(SUCCEEDED(dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2)), "draw mesh");
        dev.EndScene();
        Check(dev.counters().draws == 9, "nine draws counted");
        Check(dev.counters().textureBinds == 5, "texture binds count changes only");
        Check(SUCCEEDED(dev.Present()), "present");

        std::vector<std::uint8_t> img;
        std::uint32_t w = 0, h = 0;
        Check(dev.ReadPresentedImage(img, w, h) && w == 256 && h == 256, "read back");
        if (w == 256 && h == 256) {
            ExpectPixel(img, w, 35, 35, {0x40, 0x80, 0x20}, "texture x diffuse");
            ExpectPixel(img, w, 125, 35, {127, 0, 128}, "half blue blended over red");
            ExpectPixel(img, w, 35, 125, {0x20, 0xA0, 0xE0}, "untextured diffuse");
            ExpectPixel(img, w, 125, 125, {0, 255, 0}, "nearer quad wins the depth test");
            // Texture alpha 0.5 x diffuse alpha 0.5: a quarter of black over white.
            ExpectPixel(img, w, 205, 125, {191, 191, 191}, "texture alpha x diffuse alpha");
            ExpectPixel(img, w, 205, 35, {0x80, 0xFF, 0x40}, "colour op select texture");
            // Clip (-0.7, -0.7) is pixel (38, 217); lit red plus blue emissive.
            ExpectPixel(img, w, 38, 217, {255, 0, 64}, "lit mesh");
            ExpectPixel(img, w, 57, 236, {255, 0, 64}, "lit mesh from its base vertex");
            ExpectPixel(img, w, 250, 5, {0, 0, 0}, "cleared background");
            // A rectangle owns its top row and left column, not its bottom
            // row or right column (the top screen row of a frame drawn from
            // y = 0 must be covered).
            ExpectPixel(img, w, 35, 100, {0x20, 0xA0, 0xE0}, "top edge row covered");
            ExpectPixel(img, w, 10, 125, {0x20, 0xA0, 0xE0}, "left edge column covered");
            ExpectPixel(img, w, 35, 150, {0, 0, 0}, "bottom edge row left out");
            ExpectPixel(img, w, 60, 125, {0, 0, 0}, "right edge column left out");
            const char* out = std::getenv("DW_GL_TEST_PNG");
            if (out) platform::WritePng(out, img.data(), w, h);
        }

        // The same device under the Render queue: a textured sprite, a world
        // quad, and a frame of 6000 small quads, more than the sprite buffer
        // holds, drawn in two passes.
        {
            dw::GameContext ctx;
            ctx.device = &dev;
            ctx.canMipMap = ctx.canMipLinear = 1;
            ctx.viewMatrix = ctx.projectionMatrix = {};
            for (int i = 0; i < 4; ++i) {
                ctx.viewMatrix.m[i][i] = 1.0f;
                ctx.projectionMatrix.m[i][i] = 1.0f;
            }
            ctx.textureCache = new dw::TextureCache;
            tex->AddRef();
            ctx.textureCache->Append(tex, asset::ShotTex);
            dw::RenderQueue queue(&ctx);
            Check(SUCCEEDED(queue.RestoreDeviceObjects()), "queue buffers on GL");
            dev.SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
            dev.LightEnable(0, 0);

            std::vector<dw::ScreenVertex> sprite;
            Rect(sprite, 10, 10, 60, 60, 0.5f, 0xFF808080u);
            dw::DrawEntry& e = ctx.drawRequest;
            e.screenSpace = 1;
            e.texture = asset::ShotTex;
            e.vertices = sprite.data();
            e.primitiveCount = 2;
            queue.Submit(e);

            dw::WorldQuad quad{};
            const std::uint32_t qc = 0xFF30C060u;
            quad.corners[0] = {0.2f, 0.6f, 0.5f, qc, 0, 0};
            quad.corners[1] = {0.2f, 0.9f, 0.5f, qc, 0, 1};
            quad.corners[2] = {0.6f, 0.6f, 0.5f, qc, 1, 0};
            quad.corners[3] = {0.6f, 0.9f, 0.5f, qc, 1, 1};
            dw::DrawEntry& q = ctx.drawRequest;
            q.worldQuads = 1;
            q.texture = asset::NoTexture;
            q.vertices = &quad;
            q.primitiveCount = 2;
            queue.Submit(q);

            std::vector<dw::ScreenVertex> grid;
            for (int row = 0; row < 60; ++row) {
                for (int col = 0; col < 100; ++col) {
                    const float x = 20.0f + 2.0f * static_cast<float>(col);
                    const float y = 130.0f + 2.0f * static_cast<float>(row);
                    Rect(grid, x, y, x + 2.0f, y + 2.0f, 0.5f, 0xFFFFFFFFu);
                }
            }
            dw::DrawEntry& g = ctx.drawRequest;
            g.screenSpace = 1;
            g.noDepth = 1;
            g.texture = asset::NoTexture;
            g.vertices = grid.data();
            g.primitiveCount = 12000;
            queue.Submit(g);

            queue.Flush();
            queue.Clear();
            Check(queue.lastPassCount == 2, "two passes for 36000 sprite vertices");
            Check(queue.lastBatchCount == 4, "four batches");
            Check(SUCCEEDED(dev.Present()), "present queue frame");
            Check(dev.ReadPresentedImage(img, w, h) && w == 256, "read back queue frame");
            if (w == 256 && h == 256) {
                ExpectPixel(img, w, 35, 35, {0x40, 0x80, 0x20}, "queue: textured sprite");
                ExpectPixel(img, w, 179, 32, {0x30, 0xC0, 0x60}, "queue: world quad in its vertex colour");
                ExpectPixel(img, w, 21, 131, {255, 255, 255}, "queue: first small quad");
                ExpectPixel(img, w, 218, 248, {255, 255, 255}, "queue: last small quad (second pass)");
                ExpectPixel(img, w, 125, 125, {0, 0, 0}, "queue: cleared where nothing was drawn");
            }
            queue.InvalidateDeviceObjects();
            ctx.textureCache->ReleaseAll();
            delete ctx.textureCache;
            ctx.textureCache = nullptr;
        }

        // Depth in the middle of a frame: what was drawn before the first
        // depth-tested draw stays, depth clears asked for before it (a whole
        // one, then a rectangle) hold, and the next frame without depth
        // starts clean.
        {
            std::vector<dw::ScreenVertex> v;
            Rect(v, 10, 10, 60, 60, 0.5f, 0xFFFF0000u);      // red, depth off
            Rect(v, 100, 100, 200, 200, 0.5f, 0xFF00FF00u);  // green, depth on
            Rect(v, 10, 10, 60, 60, 0.5f, 0xFF0000FFu);      // blue, next frame
            Upload(vb, v, "lock depth frame");
            dev.SetStreamSource(0, vb, sizeof(dw::ScreenVertex));
            dev.SetVertexShader(gfx::kFvfScreen);
            dev.SetTexture(0, nullptr);
            dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
            dev.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
            dev.SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
            dev.SetRenderState(D3DRS_ZWRITEENABLE, 1);
            Check(SUCCEEDED(dev.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0)),
                  "clear target and depth");
            dev.BeginScene();
            dev.SetRenderState(D3DRS_ZENABLE, 0);
            Check(SUCCEEDED(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2)), "draw without depth");
            const std::int32_t nearRect[4] = {100, 100, 150, 150};
            Check(SUCCEEDED(dev.Clear(1, nearRect, D3DCLEAR_ZBUFFER, 0, 0.0f, 0)), "clear a depth rectangle");
            dev.SetRenderState(D3DRS_ZENABLE, 1);
            Check(SUCCEEDED(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 6, 2)), "draw with depth");
            dev.EndScene();
            Check(SUCCEEDED(dev.Present()), "present depth frame");
            Check(dev.ReadPresentedImage(img, w, h) && w == 256, "read back depth frame");
            if (w == 256 && h == 256) {
                ExpectPixel(img, w, 35, 35, {255, 0, 0}, "depth frame: earlier draw kept");
                ExpectPixel(img, w, 125, 125, {0, 0, 0}, "depth frame: rectangle cleared to near holds");
                ExpectPixel(img, w, 175, 175, {0, 255, 0}, "depth frame: whole clear to far holds");
                ExpectPixel(img, w, 5, 250, {0, 0, 0}, "depth frame: cleared elsewhere");
            }
            Check(SUCCEEDED(dev.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0)),
                  "clear the next frame");
            dev.BeginScene();
            dev.SetRenderState(D3DRS_ZENABLE, 0);
            Check(SUCCEEDED(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 12, 2)), "draw the next frame");
            dev.EndScene();
            Check(SUCCEEDED(dev.Present()), "present the next frame");
            Check(dev.ReadPresentedImage(img, w, h) && w == 256, "read back the next frame");
            if (w == 256 && h == 256) {
                ExpectPixel(img, w, 35, 35, {0, 0, 255}, "next frame: its own draw");
                ExpectPixel(img, w, 175, 175, {0, 0, 0}, "next frame: nothing left of the last");
            }
        }

        // A blended draw over a texture with opaque and clear halves: the
        // quads over opaque texels with opaque vertices go without blending,
        // the rest blend, all in the order given, pixels as if all blended.
        {
            gfx::Texture* halves = nullptr;
            dev.CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &halves);
            std::vector<std::uint32_t> texels(64);
            for (int i = 0; i < 64; ++i) texels[i] = (i % 8) < 4 ? 0xFFFF0000u : 0x00FFFFFFu;
            halves->SetLevel(0, 8, 8, texels.data());
            auto quad = [](std::vector<dw::ScreenVertex>& out, float x0, float x1, float u0, float u1,
                           std::uint32_t colour) {
                Rect(out, x0, 10, x1, 60, 0.5f, colour);
                for (std::size_t i = out.size() - 6; i < out.size(); ++i) {
                    out[i].u = out[i].u == 0 ? u0 : u1;
                    out[i].v = out[i].v == 0 ? 0.1f : 0.9f;
                }
            };
            std::vector<dw::ScreenVertex> v;
            quad(v, 10, 60, 0.1f, 0.4f, 0xFFFFFFFFu);    // opaque texels: straight
            quad(v, 70, 120, 0.6f, 0.9f, 0xFFFFFFFFu);   // clear texels: blended, nothing shows
            quad(v, 130, 180, 0.1f, 0.4f, 0x80FFFFFFu);  // half vertex alpha: blended
            quad(v, 190, 240, 0.1f, 0.4f, 0x80FFFFFFu);  // blended first ...
            quad(v, 190, 240, 0.1f, 0.4f, 0xFF808080u);  // ... then straight over it: dark red
            Upload(vb, v, "lock opaque-run frame");
            Check(SUCCEEDED(dev.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FFu, 1.0f, 0)),
                  "clear to blue");
            dev.BeginScene();
            dev.SetRenderState(D3DRS_ZENABLE, 0);
            dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
            dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
            dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
            dev.SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
            dev.SetTexture(0, halves);
            const auto before = dev.counters().opaqueTriangles;
            Check(SUCCEEDED(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 10)), "draw the halves");
            Check(dev.counters().opaqueTriangles - before == 4, "two quads drawn straight");
            // Blending stays on for the next draw: a clear quad still shows nothing.
            Check(SUCCEEDED(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 6, 2)), "draw a clear quad again");
            dev.EndScene();
            Check(SUCCEEDED(dev.Present()), "present opaque-run frame");
            Check(dev.ReadPresentedImage(img, w, h) && w == 256, "read back opaque-run frame");
            if (w == 256 && h == 256) {
                ExpectPixel(img, w, 35, 35, {255, 0, 0}, "opaque run: texture");
                ExpectPixel(img, w, 95, 35, {0, 0, 255}, "clear texels: background");
                ExpectPixel(img, w, 155, 35, {128, 0, 127}, "half vertex alpha: blended");
                ExpectPixel(img, w, 215, 35, {128, 0, 0}, "order kept: the later straight quad wins");
            }
            dev.SetTexture(0, nullptr);
            halves->Release();
        }

        // Two stages: stage 0's texture x diffuse laid over stage 1's
        // texture by stage 0's alpha, written without blending.
        {
            gfx::Texture* top = nullptr;
            gfx::Texture* under = nullptr;
            dev.CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &top);
            dev.CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &under);
            std::vector<std::uint32_t> texels(64), green(64, 0xFF00FF00u);
            for (int i = 0; i < 64; ++i) texels[i] = (i % 8) < 4 ? 0xFFFF0000u : 0x80FFFFFFu;
            top->SetLevel(0, 8, 8, texels.data());
            under->SetLevel(0, 8, 8, green.data());
            D3DCAPS8 caps{};
            dev.GetDeviceCaps(&caps);
            Check(caps.MaxTextureBlendStages >= 2, "two blend stages reported");
            gfx::VertexBuffer* vb2 = nullptr;
            dev.CreateVertexBuffer(64 * sizeof(dw::ScreenVertex2), 0, gfx::kFvfScreen2, D3DPOOL_DEFAULT, &vb2);
            std::vector<dw::ScreenVertex2> v;
            auto quad = [&](float x0, float x1, float u0, float u1) {
                const std::uint32_t c = 0xFF808080u;
                const dw::ScreenVertex2 a{x0, 10, 0.5f, 1, c, u0, 0.1f, 0.2f, 0.2f},
                    b{x1, 10, 0.5f, 1, c, u1, 0.1f, 0.8f, 0.2f}, d{x0, 60, 0.5f, 1, c, u0, 0.9f, 0.2f, 0.8f},
                    e{x1, 60, 0.5f, 1, c, u1, 0.9f, 0.8f, 0.8f};
                v.insert(v.end(), {a, b, d, d, b, e});
            };
            quad(10, 60, 0.1f, 0.4f);   // opaque red, tinted: dark red
            quad(70, 120, 0.6f, 0.9f);  // half-clear white, tinted, over green
            std::uint8_t* p = nullptr;
            Check(SUCCEEDED(vb2->Lock(0, 0, &p, D3DLOCK_DISCARD)) && p, "lock two-stage frame");
            if (p) std::memcpy(p, v.data(), v.size() * sizeof v[0]);
            vb2->Unlock();
            Check(SUCCEEDED(dev.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FFu, 1.0f, 0)),
                  "clear to blue");
            dev.BeginScene();
            dev.SetRenderState(D3DRS_ZENABLE, 0);
            dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
            dev.SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
            dev.SetTextureStageState(1, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
            dev.SetTextureStageState(1, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
            dev.SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
            dev.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_BLENDCURRENTALPHA);
            dev.SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
            dev.SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_TEXTURE);
            dev.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
            dev.SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
            dev.SetTexture(0, top);
            dev.SetTexture(1, under);
            dev.SetStreamSource(0, vb2, sizeof(dw::ScreenVertex2));
            dev.SetVertexShader(gfx::kFvfScreen2);
            Check(SUCCEEDED(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 4)), "draw two stages");
            // Stage 1 off again: a plain sprite draw shows stage 0 alone.
            dev.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
            dev.SetTexture(1, nullptr);
            dev.SetStreamSource(0, vb, sizeof(dw::ScreenVertex));
            dev.SetVertexShader(gfx::kFvfScreen);
            std::vector<dw::ScreenVertex> plain;
            Rect(plain, 130, 10, 180, 60, 0.5f, 0xFF808080u);
            for (auto& pv : plain) pv.u = pv.u == 0 ? 0.1f : 0.4f;
            Upload(vb, plain, "lock the plain quad");
            Check(SUCCEEDED(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2)), "draw after two stages");
            dev.EndScene();
            Check(SUCCEEDED(dev.Present()), "present two-stage frame");
            Check(dev.ReadPresentedImage(img, w, h) && w == 256, "read back two-stage frame");
            if (w == 256 && h == 256) {
                ExpectPixel(img, w, 35, 35, {128, 0, 0}, "two stages: opaque top");
                ExpectPixel(img, w, 95, 35, {64, 191, 64}, "two stages: half-clear top over green");
                ExpectPixel(img, w, 155, 35, {128, 0, 0}, "one stage again");
            }

            // A two-stage pattern that repeats every 32 pixels, rows half a
            // pixel off the grid and an under texture of many colours: drawn
            // through its repeat square it is the picture drawn whole, and a
            // square that does not fit is drawn whole.
            std::vector<std::uint32_t> many(64);
            for (int i = 0; i < 64; ++i)
                many[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 4) << 16 |
                    static_cast<std::uint32_t>(i % 8 * 32) << 8 | static_cast<std::uint32_t>(255 - i * 4);
            under->SetLevel(0, 8, 8, many.data());
            gfx::VertexBuffer* tiles = nullptr;
            dev.CreateVertexBuffer(8 * 9 * 6 * sizeof(dw::ScreenVertex2), 0, gfx::kFvfScreen2, D3DPOOL_DEFAULT, &tiles);
            std::vector<dw::ScreenVertex2> t;
            for (int r = 0; r < 9; ++r)
                for (int c = 0; c < 8; ++c) {
                    const float x0 = static_cast<float>(32 * c), y0 = static_cast<float>(32 * r) - 13.5f;
                    const float x1 = x0 + 32, y1 = y0 + 32;
                    const std::uint32_t k = 0xFFC0A080u;
                    const dw::ScreenVertex2 a{x0, y0, 0.5f, 1, k, 0, 0, 0, 0}, b{x1, y0, 0.5f, 1, k, 1, 0, 1, 0},
                        d{x0, y1, 0.5f, 1, k, 0, 1, 0, 1}, e{x1, y1, 0.5f, 1, k, 1, 1, 1, 1};
                    t.insert(t.end(), {a, b, d, d, b, e});
                }
            Check(SUCCEEDED(tiles->Lock(0, 0, &p, D3DLOCK_DISCARD)) && p, "lock the repeating tiles");
            if (p) std::memcpy(p, t.data(), t.size() * sizeof t[0]);
            tiles->Unlock();
            auto drawTiles = [&](const gfx::RepeatSquare& square, std::vector<std::uint8_t>& out) {
                dev.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
                dev.BeginScene();
                dev.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_BLENDCURRENTALPHA);
                dev.SetTexture(1, under);
                dev.SetStreamSource(0, tiles, sizeof(dw::ScreenVertex2));
                dev.SetVertexShader(gfx::kFvfScreen2);
                dev.SetRepeat(square);
                const auto repeated = dev.counters().repeatedDraws;
                Check(SUCCEEDED(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 8 * 9 * 2)), "draw the repeating tiles");
                dev.SetRepeat({});
                dev.EndScene();
                dev.Present();
                std::uint32_t tw = 0, th = 0;
                Check(dev.ReadPresentedImage(out, tw, th) && tw == 256 && th == 256, "read back the repeating tiles");
                return dev.counters().repeatedDraws - repeated;
            };
            std::vector<std::uint8_t> whole, repeated, refused;
            Check(drawTiles({}, whole) == 0, "no square: drawn whole");
            Check(drawTiles({64, 96, 32}, repeated) == 1, "drawn through its repeat square");
            Check(drawTiles({240, 0, 32}, refused) == 0, "a square past the edge: drawn whole");
            int worst = 0, worstRefused = 0;
            for (std::size_t i = 0; i < whole.size() && i < repeated.size() && i < refused.size(); ++i) {
                worst = std::max(worst, std::abs(whole[i] - repeated[i]));
                worstRefused = std::max(worstRefused, std::abs(whole[i] - refused[i]));
            }
            Check(worst <= 1,
                  "the repeated picture is the whole one (largest difference " + std::to_string(worst) + ")");
            Check(worstRefused == 0, "the refused square changed nothing");
            if (!whole.empty()) ExpectPixel(whole, 256, 100, 100, At(repeated, 256, 100 + 64, 100 + 32), "it repeats");
            tiles->Release();

            dev.SetTexture(0, nullptr);
            dev.SetTexture(1, nullptr);
            dev.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
            dev.SetStreamSource(0, nullptr, 0);
            vb2->Release();
            top->Release();
            under->Release();
        }

        // A large blended quad whose art is opaque but for its right rim:
        // the opaque cells go without blending, the pixels stay as blended.
        {
            gfx::Texture* panel = nullptr;
            dev.CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &panel);
            std::vector<std::uint32_t> texels(64 * 64);
            for (int i = 0; i < 64 * 64; ++i) texels[i] = (i % 64) < 56 ? 0xFF20C040u : 0x40FFFFFFu;
            panel->SetLevel(0, 64, 64, texels.data());
            std::vector<dw::ScreenVertex> v;
            Rect(v, 20, 20, 220, 220, 0.5f, 0xFFFFFFFFu);
            Upload(vb, v, "lock the panel");
            dev.SetStreamSource(0, vb, sizeof(dw::ScreenVertex));
            dev.SetVertexShader(gfx::kFvfScreen);
            Check(SUCCEEDED(dev.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FFu, 1.0f, 0)),
                  "clear to blue");
            dev.BeginScene();
            dev.SetRenderState(D3DRS_ZENABLE, 0);
            dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
            dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
            dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
            dev.SetTexture(0, panel);
            const auto before = dev.counters().opaqueTriangles;
            const auto draws = dev.counters().draws;
            const auto calls = dev.counters().apiDraws;
            Check(SUCCEEDED(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2)), "draw the panel");
            // Every row cuts alike, so the body goes as one tall piece and the
            // rim as another: two GL draws, not two per row of cells.
            Check(dev.counters().opaqueTriangles - before == 2, "the panel's body drawn straight, as one piece");
            Check(dev.counters().apiDraws - calls == 2, "one straight and one blended GL draw");
            Check(dev.counters().draws - draws == 1, "still one draw call counted");
            // Skipped drawing checks and counts the draw but sends nothing.
            dev.SetDrawingSkipped(true);
            const auto skippedCalls = dev.counters().apiDraws;
            Check(SUCCEEDED(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2)), "a skipped draw succeeds");
            Check(dev.counters().apiDraws == skippedCalls && dev.counters().draws - draws == 2,
                  "a skipped draw is counted, not sent");
            Check(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 200) == D3DERR_INVALIDCALL,
                  "a skipped draw is still checked");
            dev.SetDrawingSkipped(false);
            dev.EndScene();
            Check(SUCCEEDED(dev.Present()), "present panel frame");
            Check(dev.ReadPresentedImage(img, w, h) && w == 256, "read back panel frame");
            if (w == 256 && h == 256) {
                ExpectPixel(img, w, 30, 30, {32, 192, 64}, "panel body");
                ExpectPixel(img, w, 150, 200, {32, 192, 64}, "panel body low down");
                ExpectPixel(img, w, 215, 100, {64, 64, 255}, "panel rim blended over blue");
                ExpectPixel(img, w, 240, 100, {0, 0, 255}, "outside the panel");
            }

            // Art opaque, then clear, then faint: the clear cells are not
            // drawn at all (source alpha 0 leaves the target as it was), with
            // opaque vertices or not.
            for (int i = 0; i < 64 * 64; ++i)
                texels[i] = (i % 64) < 24 ? 0xFF20C040u : (i % 64) < 48 ? 0x00FF00FFu : 0x40FFFFFFu;
            panel->SetLevel(0, 64, 64, texels.data());
            for (const std::uint32_t colour : {0xFFFFFFFFu, 0x80FFFFFFu}) {
                v.clear();
                Rect(v, 20, 20, 220, 220, 0.5f, colour);
                Upload(vb, v, "lock the three-part panel");
                dev.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
                dev.BeginScene();
                const auto partCalls = dev.counters().apiDraws, partClear = dev.counters().clearTriangles;
                Check(SUCCEEDED(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2)), "draw the three-part panel");
                const bool opaqueVertices = colour >> 24 == 0xFFu;
                Check(dev.counters().apiDraws - partCalls == (opaqueVertices ? 2u : 1u),
                      opaqueVertices ? "the body straight, the rim blended, the clear middle not at all"
                                     : "faint vertices: one blended draw");
                Check(dev.counters().clearTriangles - partClear == 2, "the clear middle left out as one piece");
                dev.EndScene();
                Check(SUCCEEDED(dev.Present()), "present the three-part panel");
                Check(dev.ReadPresentedImage(img, w, h) && w == 256, "read back the three-part panel");
                if (w == 256 && h == 256) {
                    ExpectPixel(img, w, 130, 100, {0, 0, 255}, "the clear middle leaves the target");
                    if (opaqueVertices) {
                        ExpectPixel(img, w, 40, 100, {32, 192, 64}, "three-part panel body");
                        ExpectPixel(img, w, 205, 100, {64, 64, 255}, "three-part panel rim over blue");
                    }
                }
            }
            dev.SetTexture(0, nullptr);
            panel->Release();
        }

        // A back buffer of another shape than the window: centred between
        // black bars (clears and draws stay inside), or stretched to fill.
        {
            dev.SetStreamSource(0, nullptr, 0);
            dev.SetTexture(0, nullptr);
            gfx::PresentParameters wide;
            wide.backBufferWidth = 256;
            wide.backBufferHeight = 128;
            std::vector<std::uint8_t> img;
            std::uint32_t w = 0, h = 0;
            for (const bool keep : {true, false}) {
                wide.keepAspect = keep;
                Check(SUCCEEDED(dev.Reset(wide)), "reset to a wide back buffer");
                dev.BeginScene();
                dev.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0);
                const std::int32_t corner[4] = {0, 0, 32, 32};  // x1, y1, x2, y2
                dev.Clear(1, corner, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0);
                dev.EndScene();
                Check(SUCCEEDED(dev.Present()), "present the wide frame");
                Check(dev.ReadPresentedImage(img, w, h) && w == 256 && h == 256, "read back the wide frame");
                if (w != 256 || h != 256) continue;
                if (keep) {
                    ExpectPixel(img, w, 128, 20, {0, 0, 0}, "letterbox: the bar above");
                    ExpectPixel(img, w, 128, 236, {0, 0, 0}, "letterbox: the bar below");
                    ExpectPixel(img, w, 128, 128, {255, 0, 0}, "letterbox: the picture");
                    ExpectPixel(img, w, 10, 74, {0, 255, 0}, "letterbox: a rectangle clear lands in the picture");
                    ExpectPixel(img, w, 10, 40, {0, 0, 0}, "letterbox: ... and not in the bar");
                } else {
                    ExpectPixel(img, w, 128, 20, {255, 0, 0}, "stretch: no bar above");
                    ExpectPixel(img, w, 128, 236, {255, 0, 0}, "stretch: no bar below");
                    ExpectPixel(img, w, 10, 50, {0, 255, 0}, "stretch: a rectangle clear stretches too");
                }
            }
        }

        // The calls the recording device accepts and refuses, answered alike,
        // and the state they leave.
        {
            const std::string transcript = dwtest::RunStateScript(dev);
            Check(transcript == dwtest::kStateScriptTranscript, "the state script gave:\n" + transcript);
        }

        dev.SetStreamSource(0, nullptr, 0);
        dev.SetIndices(nullptr, 0);
        dev.SetTexture(0, nullptr);
        vb->Release();
        mvb->Release();
        mib->Release();
        tex->Release();
        halfTex->Release();
        status = g_failures == 0 ? 0 : 1;
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    if (status == 0) std::printf("gl device: all checks passed\n");
    return status;
}
