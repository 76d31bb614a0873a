#include "game/spawner.h"

#include <cstring>

#include "core/game_context.h"
#include "engine/list_engine.h"
#include "engine/my_object.h"
#include "game/level_format.h"
#include "game/spawn_factory.h"

namespace dw {

namespace {

// Hands a new object to the list; an object that could not be made gives
// its slot back.
void Adopt(GameContext* ctx, MyObject* object, int slot) {
    if (!object) {
        if (slot >= 0) std::memset(&ctx->enemySlots[slot], 0, sizeof(HitSlot));
        return;
    }
    if (ctx->objectList)
        ctx->objectList->AddObject(object);
    else
        delete object;
}

constexpr int kSegmentParts[4] = {0, 2, 1, 3};

}  // namespace

bool LookUpSpawnCode(std::uint32_t code, SpawnCode& out) {
    switch (code) {
        case 1: out = {0, -1.2f, false, false, false}; return true;
        case 2: out = {2, -1.2f, false, false, false}; return true;
        case 3: out = {3, -1.2f, false, false, false}; return true;
        case 4: out = {4, -1.2f, false, false, false}; return true;
        case 5: out = {5, -1.2f, false, false, false}; return true;
        case 6: out = {6, 1.1f, true, false, false}; return true;
        case 7: out = {1, -1.2f, false, false, false}; return true;
        case 8: out = {8, -1.2f, false, false, false}; return true;
        case 9: out = {8, -1.2f, false, true, false}; return true;
        case 10: out = {9, -1.2f, false, false, false}; return true;
        case 11: out = {10, -1.2f, false, false, false}; return true;
        case 12: out = {11, -1.2f, false, false, false}; return true;
        case 13: out = {12, -1.2f, false, false, false}; return true;
        case 15:
        case 16:
        case 17: out = {0, -1.4f, false, true, true}; return true;
        case 18:
        case 19: out = {0, -1.5f, false, true, true}; return true;
        default: return false;
    }
}

float ColumnX(std::uint32_t column, std::uint32_t columns) {
    const float step = 1.5f / static_cast<float>(columns ? columns : 19);
    return static_cast<float>(column) * step - 0.6f;
}

int TakeEnemySlot(GameContext* ctx, std::uint32_t hitPoints, float boxY, bool noContact, bool ramProof) {
    for (int i = 0; i < kEnemySlots; ++i) {
        HitSlot& s = ctx->enemySlots[i];
        if (s.active) continue;
        s.active = 1;
        s.destroyed = 0;
        s.noContact = noContact ? 1 : 0;
        s.ramProof = ramProof ? 1 : 0;
        s.shotProof = 0;
        s.hitPoints = hitPoints;
        s.boxMin[0] = s.boxMax[0] = 0.0f;
        s.boxMin[1] = s.boxMax[1] = boxY;
        s.boxMin[2] = s.boxMax[2] = 0.45f;
        return i;
    }
    return -1;
}

namespace {

// The records of the current level that a row is spawned from.
struct LevelRows {
    const LevelRecord* spawns = nullptr;
    const LevelRecord* ground = nullptr;
    std::uint32_t spawnCount = 0;
    std::uint32_t groundCount = 0;
    std::uint32_t columns = 0;
};

LevelRows RowsOf(const GameContext* ctx, std::uint32_t level) {
    LevelRows rows;
    rows.spawns = ctx->levelSpawnRecords[level];
    rows.ground = ctx->levelGroundRecords[level];
    rows.spawnCount = rows.spawns ? ctx->levelSpawnCount[level] : 0;
    rows.groundCount = rows.ground ? ctx->levelGroundCount[level] : 0;
    rows.columns = ctx->levelColumns[level];
    return rows;
}

// The four parts of a segmented enemy, each with a slot of its own.
void SpawnSegments(GameContext* ctx, std::uint32_t hp, float x, float y, ObjectFactory& factory) {
    for (int seg = 0; seg < 4; ++seg) {
        const int slot = TakeEnemySlot(ctx, hp, y, false, false);
        if (slot < 0) continue;
        Adopt(ctx, factory.Segment(ctx, x, y, seg, kSegmentParts[seg], slot), slot);
    }
}

// Flying enemies and bosses of row r.
void SpawnFlyers(GameContext* ctx, const LevelRows& rows, std::uint32_t r, ObjectFactory& factory) {
    for (std::uint32_t i = 0; i < rows.spawnCount; ++i) {
        const LevelRecord& rec = rows.spawns[i];
        if (rec.row != r || rec.group != 3) continue;
        SpawnCode code;
        if (!LookUpSpawnCode(rec.type, code)) continue;
        const std::uint32_t hp = ctx->enemyHitPoints[code.hitPointEntry];
        const float x = ColumnX(rec.column, rows.columns);
        if (rec.type == 11) {
            SpawnSegments(ctx, hp, x, code.startY, factory);
            continue;
        }
        const float boxY = code.boss ? -1.4f : code.startY;
        const int slot = TakeEnemySlot(ctx, hp, boxY, code.noContact, code.ramProof);
        if (slot < 0) continue;
        MyObject* object = code.boss ? factory.Boss(ctx, static_cast<int>(rec.type), 0.11f, code.startY, 0.0f, slot)
                                     : factory.Enemy(ctx, static_cast<int>(rec.type), x, code.startY, slot);
        Adopt(ctx, object, slot);
    }
}

// Ground: one piece covers the run of consecutive rows with ground records
// that starts at row r; groundRow ends one past that run. Whether a piece
// was made.
bool LayGround(GameContext* ctx, const LevelRows& rows, std::uint32_t r, std::uint32_t& groundRow,
               ObjectFactory& factory) {
    if (rows.groundCount == 0 || groundRow > r) return false;
    groundRow = r;
    bool pieceMade = false;
    MyObject* piece = nullptr;
    bool found = true;
    while (found) {
        found = false;
        for (std::uint32_t i = 0; i < rows.groundCount; ++i) {
            const LevelRecord& rec = rows.ground[i];
            if (rec.row != groundRow || (rec.group != 0 && rec.group != 1)) continue;
            found = true;
            if (!pieceMade) {
                pieceMade = true;
                piece = factory.GroundPiece(ctx);
                if (piece && ctx->objectList) ctx->objectList->AddObject(piece);
            }
            factory.GroundCell(piece, rec.group, rec.type, rec.column, groundRow - r);
        }
        ++groundRow;
    }
    return pieceMade;
}

// Turrets standing on the ground piece of rows r to groundRow.
void SpawnTurrets(GameContext* ctx, const LevelRows& rows, std::uint32_t r, std::uint32_t groundRow,
                  ObjectFactory& factory) {
    for (std::uint32_t i = 0; i < rows.spawnCount; ++i) {
        const LevelRecord& rec = rows.spawns[i];
        if (rec.group != 2 || rec.row < r || rec.row >= groundRow) continue;
        if (rec.type != 1 && rec.type != 2) continue;
        const int slot = TakeEnemySlot(ctx, ctx->enemyHitPoints[7], -1.2f, true, false);
        if (slot < 0) continue;
        Adopt(ctx, factory.Turret(ctx, static_cast<int>(rec.type), rec.column, rec.row - r, slot), slot);
    }
}

}  // namespace

void SpawnRow(GameContext* ctx, std::uint32_t r, std::uint32_t& groundRow, ObjectFactory& factory) {
    const std::uint32_t level = ctx->currentLevel;
    if (level >= static_cast<std::uint32_t>(kLevelCount)) return;
    const LevelRows rows = RowsOf(ctx, level);
    SpawnFlyers(ctx, rows, r, factory);
    if (LayGround(ctx, rows, r, groundRow, factory)) SpawnTurrets(ctx, rows, r, groundRow, factory);
}

void SpawnStep(GameContext* ctx, std::uint32_t& currentRow, std::uint32_t& groundRow, ObjectFactory& factory) {
    if (!ctx->gameStartPending && ctx->gamePhase < GamePhase::Advance)
        ctx->scrollPosition += static_cast<float>(ctx->frameTimeAverage) * 0.0015f;
    if (static_cast<float>(currentRow) < ctx->scrollPosition) {
        SpawnRow(ctx, currentRow, groundRow, factory);
        ++currentRow;
    }
}

}  // namespace dw
