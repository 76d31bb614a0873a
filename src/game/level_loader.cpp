#include "game/level_loader.h"

#include <cstdio>
#include <cstring>

#include "core/game_context.h"
#include "core/log.h"
#include "game/level_format.h"
#include "platform/d3d_types.h"
#include "platform/module_resources.h"
#include "platform/services.h"

namespace dw {

namespace {
constexpr char kObjectName[] = "glevels";
}

GameLevels::GameLevels(GameContext* ctx) : MyObject(ctx) {
    name = kObjectName;
    order = 50;
    visible = 0;
    loaded = 0;
}

GameLevels::~GameLevels() {
    // Deliberate (docs/DECISIONS.md): level buffers are freed.
    if (loaded) FreeLevelBuffers(context);
}

std::int32_t GameLevels::LoadLevels(std::uint8_t) {
    loaded = 1;
    for (std::uint32_t n = 0; n < kLevelCount; ++n) LoadLevel(n);
    return 0;
}

platform::ModuleResources& GameLevels::Module() const { return context->levelModule(); }

void GameLevels::Fail(const char* format, std::uint32_t n) const {
    char line[96];
    std::snprintf(line, sizeof line, format, static_cast<int>(n));
    if (context->log) context->log->WriteLine(line);
}

std::int32_t GameLevels::LoadLevel(std::uint32_t n) {
    if (n >= kLevelCount) return E_FAIL;
    char resourceName[32];
    std::snprintf(resourceName, sizeof resourceName, "GameLevel%d", static_cast<int>(n));

    const platform::ResourceBytes* res = Module().FindResource(resourceName);
    if (!res) {
        Fail("Load Level %d Error: NotFound Resourse", n);
        return E_FAIL;
    }
    if (res->size == 0) {
        Fail("Load Level %d Error: ZeroSize Resourse", n);
        return E_FAIL;
    }
    if (!res->data) {
        Fail("Load Level %d Error: NotLock Resourse", n);
        return E_FAIL;
    }
    // Counts beyond the buffers or lists running past the end of the bytes
    // are refused whole: the level stays empty.
    LevelParseResult parsed = ParseLevelFile(res->data, res->size);
    if (!parsed.ok()) {
        Fail("Load Level %d Error: BadSize Resourse", n);
        return E_FAIL;
    }

    delete[] context->levelSpawnRecords[n];
    delete[] context->levelGroundRecords[n];
    context->levelSpawnRecords[n] = new LevelRecord[kMaxLevelRecords]();
    context->levelGroundRecords[n] = new LevelRecord[kMaxLevelRecords]();
    context->levelColumns[n] = parsed.columns;
    context->levelLength[n] = parsed.length;
    context->levelSpawnCount[n] = parsed.spawnCount;
    context->levelGroundCount[n] = parsed.groundCount;
    if (!parsed.spawns.empty())
        std::memcpy(context->levelSpawnRecords[n], parsed.spawns.data(), parsed.spawns.size() * sizeof(LevelRecord));
    if (!parsed.ground.empty())
        std::memcpy(context->levelGroundRecords[n], parsed.ground.data(), parsed.ground.size() * sizeof(LevelRecord));
    return 0;
}

void FreeLevelBuffers(GameContext* ctx) {
    for (int n = 0; n < kLevelCount; ++n) {
        delete[] ctx->levelSpawnRecords[n];
        delete[] ctx->levelGroundRecords[n];
        ctx->levelSpawnRecords[n] = nullptr;
        ctx->levelGroundRecords[n] = nullptr;
    }
}

std::int32_t GameLevels::FinalCleanup() {
    FreeLevelBuffers(context);
    return MyObject::FinalCleanup();
}

}  // namespace dw
