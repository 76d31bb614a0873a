#include "game/spawn_factory.h"

#include "app/game_context.h"
#include "engine/my_object.h"
#include "game/player_ship.h"

namespace dw {

// Each class adds its case here when it exists.

MyObject* CreateEnemy(GameContext*, int code, float, float, int) {
    switch (code) {
        default: return nullptr;
    }
}

MyObject* CreateSegment(GameContext*, float, float, int, int, int) { return nullptr; }

MyObject* CreateBoss(GameContext*, int code, float, float, float, int) {
    switch (code) {
        default: return nullptr;
    }
}

MyObject* CreateTurret(GameContext*, int type, std::uint32_t, std::uint32_t, int) {
    switch (type) {
        default: return nullptr;
    }
}

MyObject* CreateGroundPiece(GameContext*) { return nullptr; }

void AddGroundCell(MyObject* piece, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {
    if (!piece) return;
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
