#include "game/sprite_util.h"

#include <cmath>

#include "core/game_context.h"
#include "engine/my_object.h"
#include "render/render_queue.h"
#include "platform/game_math.h"

namespace dw {

float PixelX(const GameContext* ctx, float x) { return (x + 1.0f) * static_cast<float>(ctx->screenWidth) * 0.5f; }

float PixelY(const GameContext* ctx, float y) { return (y + 1.0f) * static_cast<float>(ctx->screenHeight) * 0.5f; }

void PlaceQuad(ScreenVertex* b, float cx, float cy, float w, float h, float angle) {
    const float hw = w * 0.5f, hh = h * 0.5f;
    const auto [sinA, cosA] = gm::SinCos(angle);
    const float s = sinA, c = cosA;  // clang 14 cannot capture a structured binding
    auto put = [&](ScreenVertex& v, float dx, float dy) {
        v.x = cx + dx * c - dy * s;
        v.y = cy + dx * s + dy * c;
    };
    put(b[0], -hw, -hh);
    put(b[1], hw, -hh);
    put(b[2], -hw, hh);
    put(b[3], -hw, hh);
    put(b[4], hw, -hh);
    put(b[5], hw, hh);
}

void SetQuadTexture(ScreenVertex* b, float u0, float u1, float v0, float v1) {
    b[0].u = u0;
    b[0].v = v0;
    b[1].u = u1;
    b[1].v = v0;
    b[2].u = u0;
    b[2].v = v1;
    b[3].u = u0;
    b[3].v = v1;
    b[4].u = u1;
    b[4].v = v0;
    b[5].u = u1;
    b[5].v = v1;
}

void SetVertexLook(ScreenVertex* v, int count, std::uint32_t colour, float z) {
    for (int i = 0; i < count; ++i) {
        v[i].diffuse = colour;
        v[i].z = v[i].rhw = z;
    }
}

bool GameRunning(const GameContext* ctx) { return ctx->mouseActive && ctx->currentScreen == Screen::Game; }

int FirstFreeShot(const ShotSlot* table, int count) {
    for (int i = 0; i < count; ++i)
        if (!table[i].active) return i;
    return -1;
}

void Normalise(float& x, float& y) {
    const float len = std::sqrt(x * x + y * y);
    if (len > 0) {
        x /= len;
        y /= len;
    }
}

}  // namespace dw
