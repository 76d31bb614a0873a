#pragma once
// The spawner: advances the battlefield in rows and brings in what the level
// script places on each new row (flying enemies and bosses, ground pieces
// and the turrets standing on them), each enemy with a slot of enemySlots.
#include <cstdint>

namespace dw {

class GameContext;
class ObjectFactory;

// Starting values of a flying spawn code; false for codes that create nothing.
struct SpawnCode {
    int hitPointEntry;
    float startY;  // also the y of the slot's first box
    bool noContact;
    bool ramProof;
    bool boss;
};
bool LookUpSpawnCode(std::uint32_t code, SpawnCode& out);

// x of a level column (19 columns are assumed when the level has none).
float ColumnX(std::uint32_t column, std::uint32_t columns);

// First free enemy slot, filled as a fresh enemy's; -1 when all are taken.
int TakeEnemySlot(GameContext* ctx, std::uint32_t hitPoints, float boxY, bool noContact, bool ramProof);

// One frame of the spawner: scrolls, and processes at most one row.
void SpawnStep(GameContext* ctx, std::uint32_t& currentRow, std::uint32_t& groundRow, ObjectFactory& factory);
// Creates the objects of row r of the current level.
void SpawnRow(GameContext* ctx, std::uint32_t r, std::uint32_t& groundRow, ObjectFactory& factory);

}  // namespace dw
