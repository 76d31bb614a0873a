#pragma once
// Construction of the objects the Game table and its spawner bring into play.
// Each function builds the object, gives it its start and its slot in the
// order the class expects, and returns it NOT yet added to the Object list
// engine (the caller adds it). nullptr means the class does not exist (yet):
// the caller then frees the slot it had taken.
#include <cstdint>

namespace dw {

class GameContext;
class MyObject;

// Flying enemy of spawn code 1..10, 12 or 13 ("senemy1".."senemy6",
// "henemy1", "henemy2" variant 0 (code 8) or 1 (code 9), "henemy3",
// "henemy5", "henemy6"): SetStart(x, y), then AttachSlot(slot) (for
// "henemy2" AttachSlot(slot, variant)).
MyObject* CreateEnemy(GameContext* ctx, int code, float x, float y, int slot);

// One segment of a code-11 enemy ("henemy4"): AttachSlot(slot, part), then
// SetStart(x, y, segment).
MyObject* CreateSegment(GameContext* ctx, float x, float y, int segment, int part, int slot);

// Boss of spawn code 15..19 ("bigbos0".."bigbos4"): SetStart(x, y, z), then
// AttachSlot(slot).
MyObject* CreateBoss(GameContext* ctx, int code, float x, float y, float z, int slot);

// Ground turret of type 1 ("gunfour") or 2 ("guntank"): SetStart(column,
// rowOffset), then AttachSlot(slot).
MyObject* CreateTurret(GameContext* ctx, int type, std::uint32_t column, std::uint32_t rowOffset, int slot);

// Ground piece "lshaft" (empty) and its cells: AddCell(layer, tile, column,
// rowOffset). AddGroundCell does nothing for a null piece.
MyObject* CreateGroundPiece(GameContext* ctx);
void AddGroundCell(MyObject* piece, std::uint32_t layer, std::uint32_t tile, std::uint32_t column,
                   std::uint32_t rowOffset);

// The player's ship "swolf" for shipSlots entry `slot`: AttachSlot(slot).
MyObject* CreateShip(GameContext* ctx, int slot);

// The same calls behind one object, so that the Game table can be handed
// another maker (tests record what the spawner asks for).
class ObjectFactory {
public:
    virtual ~ObjectFactory() = default;
    virtual MyObject* Enemy(GameContext* ctx, int code, float x, float y, int slot) {
        return CreateEnemy(ctx, code, x, y, slot);
    }
    virtual MyObject* Segment(GameContext* ctx, float x, float y, int segment, int part, int slot) {
        return CreateSegment(ctx, x, y, segment, part, slot);
    }
    virtual MyObject* Boss(GameContext* ctx, int code, float x, float y, float z, int slot) {
        return CreateBoss(ctx, code, x, y, z, slot);
    }
    virtual MyObject* Turret(GameContext* ctx, int type, std::uint32_t column, std::uint32_t rowOffset, int slot) {
        return CreateTurret(ctx, type, column, rowOffset, slot);
    }
    virtual MyObject* GroundPiece(GameContext* ctx) { return CreateGroundPiece(ctx); }
    virtual void GroundCell(MyObject* piece, std::uint32_t layer, std::uint32_t tile, std::uint32_t column,
                            std::uint32_t rowOffset) {
        AddGroundCell(piece, layer, tile, column, rowOffset);
    }
    virtual MyObject* Ship(GameContext* ctx, int slot) { return CreateShip(ctx, slot); }
};

// The factory of the real classes.
ObjectFactory& DefaultObjectFactory();

}  // namespace dw
