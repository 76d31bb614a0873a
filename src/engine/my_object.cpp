#include "engine/my_object.h"

#include "core/game_context.h"

namespace dw {

namespace {
// Two triangles: (top-left, top-right, bottom-left), (bottom-left, top-right, bottom-right).
void FillBlock(ScreenVertex* v, float x0, float y0, float x1, float y1, float u0, float u1, float v0, float v1) {
    auto set = [](ScreenVertex& p, float x, float y, float u, float t) {
        p.x = x;
        p.y = y;
        p.u = u;
        p.v = t;
    };
    set(v[0], x0, y0, u0, v0);
    set(v[1], x1, y0, u1, v0);
    set(v[2], x0, y1, u0, v1);
    set(v[3], x0, y1, u0, v1);
    set(v[4], x1, y0, u1, v0);
    set(v[5], x1, y1, u1, v1);
}
}  // namespace

void SetQuadPixels(ScreenVertex* block, float x, float y, float width, float height, float uLeft, float uRight,
                   float vTop, float vBottom) {
    FillBlock(block, x, y, x + width, y + height, uLeft, uRight, vTop, vBottom);
}

void MyObject::SetQuadScreen(ScreenVertex* block, float left, float right, float top, float bottom, float uLeft,
                             float uRight, float vTop, float vBottom) const {
    const float w = static_cast<float>(context->screenWidth) * 0.5f;
    const float h = static_cast<float>(context->screenHeight) * 0.5f;
    FillBlock(block, (left + 1.0f) * w, (top + 1.0f) * h, (right + 1.0f) * w, (bottom + 1.0f) * h, uLeft, uRight, vTop,
              vBottom);
}

void MyObject::SetQuadScreenTexels(ScreenVertex* block, float left, float right, float top, float bottom, float texelX,
                                   float texelWidth, float texelY, float texelHeight) const {
    const float uLeft = texelX / 512.0f;
    const float vTop = texelY / 512.0f;
    SetQuadScreen(block, left, right, top, bottom, uLeft, uLeft + texelWidth / 512.0f, vTop,
                  vTop + texelHeight / 512.0f);
}

}  // namespace dw
