#include "game/spawn_factory.h"

#include "core/game_context.h"
#include "engine/my_object.h"
#include "game/armed_enemies.h"
#include "game/background.h"
#include "game/bosses.h"
#include "game/enemies.h"
#include "game/player_ship.h"

namespace dw {

// Each class adds its case here when it exists.

namespace {
template <class T>
MyObject* Place(T* enemy, float x, float y, int slot) {
    enemy->SetStart(x, y);
    enemy->AttachSlot(static_cast<std::uint32_t>(slot));
    return enemy;
}
}  // namespace

MyObject* CreateEnemy(GameContext* ctx, int code, float x, float y, int slot) {
    switch (code) {
        case 1: return Place(new SmallFighter(ctx), x, y, slot);
        case 2: return Place(new Drone(ctx), x, y, slot);
        case 3: return Place(new ArmedStation(ctx), x, y, slot);
        case 4: return Place(new Weaver(ctx), x, y, slot);
        case 5: return Place(new Looper(ctx), x, y, slot);
        case 6: return Place(new Jumper(ctx), x, y, slot);
        case 7: return Place(new HeavyFighter(ctx), x, y, slot);
        case 8:
        case 9: {
            auto* fighter = new ArmedInterceptor(ctx);
            fighter->SetStart(x, y);
            fighter->AttachSlot(static_cast<std::uint32_t>(slot), code == 9 ? 1u : 0u);
            return fighter;
        }
        case 10: return Place(new ArmedGunship(ctx), x, y, slot);
        case 12: return Place(new ArmedCruiser(ctx), x, y, slot);
        case 13: return Place(new Tanker(ctx), x, y, slot);
        default: return nullptr;
    }
}

MyObject* CreateSegment(GameContext* ctx, float x, float y, int segment, int part, int slot) {
    auto* piece = new Segment(ctx);
    piece->AttachSlot(static_cast<std::uint32_t>(slot), static_cast<std::uint32_t>(part));
    piece->SetStart(x, y, static_cast<std::uint32_t>(segment));
    return piece;
}

MyObject* CreateBoss(GameContext* ctx, int code, float x, float y, float z, int slot) {
    Boss* boss = nullptr;
    switch (code) {
        case 15: boss = new CarrierBoss(ctx); break;
        case 16: boss = new GunshipBoss(ctx); break;
        case 17: boss = new BomberBoss(ctx); break;
        case 18: boss = new CloudBoss(ctx); break;
        case 19: boss = new FortressBoss(ctx); break;
        default: return nullptr;
    }
    boss->SetStart(x, y, z);
    boss->AttachSlot(static_cast<std::uint32_t>(slot));
    return boss;
}

MyObject* CreateTurret(GameContext* ctx, int type, std::uint32_t column, std::uint32_t rowOffset, int slot) {
    GroundGun* gun = nullptr;
    switch (type) {
        case 1: gun = new FourWayGun(ctx); break;
        case 2: gun = new TankGun(ctx); break;
        default: return nullptr;
    }
    gun->SetStart(column, rowOffset);
    gun->AttachSlot(static_cast<std::uint32_t>(slot));
    return gun;
}

MyObject* CreateGroundPiece(GameContext* ctx) { return new GroundPiece(ctx); }

void AddGroundCell(MyObject* piece, std::uint32_t layer, std::uint32_t tile, std::uint32_t column,
                   std::uint32_t rowOffset) {
    if (!piece) return;
    static_cast<GroundPiece*>(piece)->AddCell(layer, tile, column, rowOffset);
}

MyObject* CreateShip(GameContext* ctx, int slot) {
    auto* ship = new PlayerShip(ctx);
    ship->AttachSlot(static_cast<std::uint32_t>(slot));
    return ship;
}

ObjectFactory& DefaultObjectFactory() {
    static ObjectFactory factory;
    return factory;
}

}  // namespace dw
