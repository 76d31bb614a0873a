#pragma once
// The small helpers the boss files share: object names, timers, texel
// rectangles, blasts and the bosses' fast bullets. Only src/game/boss*.cpp
// include this.
#include <cmath>
#include <cstdint>

#include "assets/asset_names.h"
#include "assets/sound.h"
#include "assets/sprite_layout.h"
#include "core/game_context.h"
#include "engine/list_engine.h"
#include "game/armed_enemies.h"
#include "game/enemy_bullets.h"
#include "game/explosion.h"
#include "game/sprite_util.h"

namespace dw {
namespace bosskit {

namespace layout = assetgen::layout;

constexpr char kBigbos0[] = "bigbos0";
constexpr char kBigbos1[] = "bigbos1";
constexpr char kBigbos2[] = "bigbos2";
constexpr char kBigbos3[] = "bigbos3";
constexpr char kBigbos4[] = "bigbos4";
constexpr char kRball[] = "rball";
constexpr char kHstat[] = "hstat";
constexpr char kLtdot[] = "ltdot";
constexpr char kDbomb[] = "dbomb";
constexpr char kFufig[] = "fufig";
constexpr float kThird = 2.0943952f;

inline bool Before(std::uint32_t deadline, std::uint32_t now) { return static_cast<std::int32_t>(deadline - now) < 0; }
inline float Aspect(const GameContext* ctx) {
    return 0.75f * static_cast<float>(ctx->screenWidth) / static_cast<float>(ctx->screenHeight);
}
inline void Texels(ScreenVertex* q, const layout::Rect& r, float inset = 1.0f) {
    SetQuadTexture(q, (static_cast<float>(r.x) + inset) / 512.0f, (static_cast<float>(r.x + r.w) - inset) / 512.0f,
                   (static_cast<float>(r.y) + inset) / 512.0f, (static_cast<float>(r.y + r.h) - inset) / 512.0f);
}
inline void Blast(GameContext* ctx, float x, float y, float size, std::uint32_t kind, std::uint8_t flag,
                  std::uint32_t delay = 0) {
    if (!ctx->objectList) return;
    auto* e = new Explosion(ctx);
    e->Setup(x, y, size, kind, flag);
    if (delay) e->SetDelay(delay);
    ctx->objectList->AddObject(e);
}
inline void Add(GameContext* ctx, MyObject* o) {
    if (ctx->objectList)
        ctx->objectList->AddObject(o);
    else
        delete o;
}
inline void FreeHitSlot(HitSlot& s) {
    s.active = 0;
    s.destroyed = 0;
    s.hitPoints = 0;
}
inline void SetBox(HitSlot& s, float x0, float x1, float y0, float y1) {
    s.boxMin[0] = x0;
    s.boxMax[0] = x1;
    s.boxMin[1] = y0;
    s.boxMax[1] = y1;
}
// A fast bullet of the bosses' heavier kinds.
inline void BossBullet(GameContext* ctx, float mx, float my, float dx, float dy, std::uint32_t kind, float width,
                       std::uint32_t colour, std::uint32_t lifetime, float speed, std::uint32_t fadeFrom,
                       std::uint32_t fadeTo) {
    const int entry = TakeEnemyShot(ctx, kind, mx, my);
    if (entry < 0) return;
    auto* b = new FastBullet(ctx);
    b->StartEmitter(width, width, colour, 4, lifetime, 0, 0, asset::BoardTex, 0, 1, 1, 1, 0.312f, 0, 0.063f, 0.063f, mx,
                    my, 0.35f);
    b->ArmBullet(static_cast<std::uint32_t>(entry), kind, speed, 1);
    b->SetFadeColours(fadeFrom, fadeTo);
    b->SetDirection(dx, dy);
    Add(ctx, b);
}

}  // namespace bosskit
}  // namespace dw
