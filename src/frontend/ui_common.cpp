#include "frontend/ui_common.h"

#include <cmath>

#include "core/game_context.h"
#include "engine/my_object.h"
#include "render/render_queue.h"
#include "platform/game_math.h"
#include "platform/input.h"

namespace dw::ui {

void SetAreaQuad(MyObject& owner, ScreenVertex* block, const Area& area, const Cell& cell) {
    owner.SetQuadScreen(block, area.left, area.right, area.top, area.bottom, cell.u0, cell.u1, cell.v0, cell.v1);
}

std::uint32_t PulseGreen(float phase) {
    const auto t = static_cast<std::uint32_t>((gm::Sin(phase) + 1.0f) * 22.0f);
    return 0xFF000000u + ((t + 210u) << 8);
}

void PrepareQuads(ScreenVertex* v, int quads, float z, std::uint32_t colour) {
    for (int i = 0; i < 6 * quads; ++i) {
        v[i].z = z;
        v[i].rhw = z;
        v[i].diffuse = colour;
    }
}

void ColourQuads(ScreenVertex* v, int quads, std::uint32_t colour) {
    for (int i = 0; i < 6 * quads; ++i) v[i].diffuse = colour;
}

void SubmitSprites(GameContext* ctx, const char* texture, const ScreenVertex* v, std::uint32_t triangles, float sortKey,
                   bool noDepth, bool alphaBlend) {
    SubmitSprite(ctx, texture, v, triangles, sortKey, kBlendSource, kBlendOver, noDepth, alphaBlend);
}

bool FrontEndActive(const GameContext* ctx) { return ctx->mouseActive == 1 && ctx->currentScreen == Screen::Menu; }

bool EnterDown(const GameContext& ctx) { return ctx.keys[DIK_RETURN] != 0 || ctx.keys[DIK_NUMPADENTER] != 0; }

}  // namespace dw::ui
