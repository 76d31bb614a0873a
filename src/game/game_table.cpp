#include "game/game_table.h"

#include <cmath>
#include <cstring>

#include "core/game_context.h"
#include "core/log.h"
#include "core/settings.h"
#include "engine/list_engine.h"
#include "render/render_queue.h"
#include "game/caption.h"
#include "game/collision.h"
#include "game/spawn_factory.h"
#include "game/spawner.h"
#include "assets/asset_names.h"
#include "assets/mesh_cache.h"
#include "assets/sound.h"
#include "platform/services.h"
#include "platform/sound_library.h"

namespace dw {

namespace {

constexpr char kObjectName[] = "matrix";

// Scan codes of the keys the table watches.
constexpr int kKeyEscape = 0x01;
constexpr int kKeyUp = 0xC8;
constexpr int kKeyDown = 0xD0;

// Start point of a new ship.
constexpr float kShipStartX = 0.11f;
constexpr float kShipStartY = 1.1f;
constexpr float kShipStartZ = 0.45f;

constexpr int kSymbolQuads = 27;
constexpr int kPlacedSymbolQuads = 17;

D3DLIGHT8 DirectionalLight(float x, float y, float z) {
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    const float len = std::sqrt(x * x + y * y + z * z);
    light.Direction = {x / len, y / len, z / len};
    light.Range = 100.0f;
    return light;
}

}  // namespace

GameTable::GameTable(GameContext* ctx)
    : MyObject(ctx), mesh_(std::make_unique<CD3DFile_Mesh>(ctx)), factory_(&DefaultObjectFactory()) {
    name = kObjectName;
    order = 50;
    visible = 1;
    if (FAILED(mesh_->LoadMesh(ctx->device, ctx->resourceLibraryName, asset::GameTable)) && ctx->log)
        ctx->log->WriteLine("Can't open GameTable mesh");
    for (ScreenVertex& v : symbols_) {
        v.z = 0.5f;
        v.rhw = 0.5f;
        v.diffuse = 0xffffffff;
    }
}

GameTable::~GameTable() = default;

void GameTable::SetFactory(ObjectFactory* factory) { factory_ = factory ? factory : &DefaultObjectFactory(); }

// ---------------------------------------------------------------------------
// Music

void GameTable::SetMusicVolumes(std::int32_t level) {
    if (platform::SoundLibrary* imx = context->soundLibrary()) imx->IMXSetGlobalVolumes(level, -1, level);
}

// The menu's plane sound first; the music may start 5 s later.
void GameTable::WaitForMusic() {
    if (!introSoundPlayed) {
        PlaySound(context, asset::MenuPlane);
        introSoundPlayed = 1;
    }
    if (introTimer > 5000) {
        introTimer = 0;
        musicEnabled = 1;
    }
    introTimer += context->frameTimeAverage;
}

void GameTable::TakeMusicRequest() {
    GameContext* ctx = context;
    const MusicRequest request = ctx->musicRequest;
    // The current loudness becomes a fade-out from 90 % of it. A request
    // that arrives while a fade-out is running keeps fading out.
    // Deliberate (docs/DECISIONS.md): fade out from the magnitude.
    if (musicTheme == 0)
        musicLevel = -0.00001f;
    else
        musicLevel = std::fabs(musicLevel) * -0.9f;
    // A switch between the two themes cuts at once.
    if ((musicTheme > 1 && request == MusicRequest::MenuTheme) || (musicTheme == 1 && Number(request) > 1))
        musicLevel = -0.00001f;
    musicTheme = request == MusicRequest::FadeOut ? 0 : Number(request);
    ctx->musicRequest = MusicRequest::None;
}

// One frame of the fade: out (a negative level) and then, with a theme
// chosen, in to the music volume; the theme's stream opens where the level
// crosses zero.
void GameTable::FadeMusic(float ft, float v) {
    GameContext* ctx = context;
    float step;
    if (musicLevel < 0 && musicTheme == 0)
        step = ft * 0.03f;
    else if (musicLevel < 0)
        step = ft * 0.015f;
    else
        step = ft * 0.025f;
    if (musicLevel < 0 && musicTheme != 0 && musicLevel + step >= 0) {
        OpenMusicStream(ctx, musicTheme == 1 ? asset::Theme0 : asset::Theme1, ctx->musicStream);
        if (ctx->musicStream > 0)
            if (platform::SoundLibrary* imx = ctx->soundLibrary()) imx->IMXStreamPlay(ctx->musicStream, 1);
    }
    musicLevel += step;
    SetMusicVolumes(static_cast<std::int32_t>(std::fabs(musicLevel)));
    if (musicTheme == 0) {
        if (musicLevel > 0) {
            musicLevel = 0.00001f;
            SetMusicVolumes(ctx->musicVolume);
        }
    } else if (musicLevel > v) {
        musicLevel = v + 0.00001f;
        SetMusicVolumes(ctx->musicVolume);
    }
}

void GameTable::MusicService() {
    GameContext* ctx = context;
    const float ft = static_cast<float>(ctx->frameTimeAverage);
    if (!musicEnabled) WaitForMusic();
    if (musicEnabled && ctx->musicRequest != MusicRequest::None) TakeMusicRequest();
    const float v = static_cast<float>(ctx->musicVolume);
    if ((musicTheme != 0 && musicLevel < v) || (musicTheme == 0 && musicLevel < 0)) FadeMusic(ft, v);
}

// ---------------------------------------------------------------------------
// Game flow

void GameTable::NewGame() {
    GameContext* ctx = context;
    ctx->newGameReset = 0;
    endPending = 0;
    endRow = 0;
    gameOverPending = 0;
    gameOverRow = 0;
    currentRow = 0;
    groundRow = 0;
    phaseTimer = 0;
    ctx->scrollPosition = 0;
    ctx->score = 0;
    ctx->shipsLeft = 4;
    ctx->rockets = 0;
    ctx->laserLevel = 0;
    ctx->plasmaLevel = 0;
    ctx->shipAlive = 0;
    ctx->respawnDelay = 0;
    ctx->gamePhase = GamePhase::LevelIntro;
}

void GameTable::LevelStart() {
    GameContext* ctx = context;
    ctx->levelStartRequest = 0;
    ctx->screenChangeRequest = 1;
    ctx->requestedScreen = Screen::Game;
    ctx->musicRequest = MusicRequest::GameTheme;
    ctx->gameStartPending = 1;
    ctx->scrollPosition = 0;
}

// A new ship starts unarmed: the weapons a run starts with come once the
// new game's ship is in play, before anything of this frame reads them.
void GameTable::TakeArsenalRequest() {
    GameContext* ctx = context;
    if (!ctx->arsenalRequest || ctx->newGameReset || !ctx->shipAlive || ctx->currentScreen != Screen::Game) return;
    ctx->laserLevel = ctx->requestedLaser;
    ctx->plasmaLevel = ctx->requestedPlasma;
    ctx->rockets = ctx->requestedRockets;
    ctx->arsenalRequest = 0;
}

void GameTable::TakeEndGameRequest() {
    GameContext* ctx = context;
    if (!ctx->endGameRequest) return;
    ctx->endGameRequest = 0;
    if (ctx->currentScreen != Screen::Game) return;
    ctx->score = ctx->endGameScore;
    ctx->shipsLeft = 0;
    ctx->shipRemoveRequest = 1;
}

void GameTable::Ships() {
    GameContext* ctx = context;
    if (ctx->shipAlive) return;
    if (ctx->respawnDelay < 0) {
        ctx->respawnDelay = 0;
        if (ctx->shipsLeft > 0) {
            for (int s = 0; s < kShipSlots; ++s) {
                HitSlot& slot = ctx->shipSlots[s];
                if (slot.active) continue;
                std::memset(&slot, 0, sizeof slot);
                slot.active = 1;
                slot.noContact = 1;
                slot.destroyed = 0;
                slot.hitPoints = ctx->shipHitPoints;
                slot.boxMin[0] = slot.boxMax[0] = kShipStartX;
                slot.boxMin[1] = slot.boxMax[1] = kShipStartY;
                slot.boxMin[2] = slot.boxMax[2] = kShipStartZ;
                MyObject* ship = factory_->Ship(ctx, s);
                if (!ship)
                    std::memset(&slot, 0, sizeof slot);  // no ship to own it
                else if (ctx->objectList)
                    ctx->objectList->AddObject(ship);
                else
                    delete ship;
                break;
            }
            --ctx->shipsLeft;
        } else {
            gameOverPending = 1;
            gameOverRow = currentRow;
        }
    }
    if (!gameOverPending) ctx->respawnDelay -= static_cast<float>(ctx->frameTimeAverage) * 0.0005f;
}

bool GameTable::PhaseTimeUp(std::uint32_t limit) {
    phaseTimer += context->frameTimeAverage;
    if (phaseTimer <= limit) return false;
    phaseTimer = 0;
    return true;
}

void GameTable::ShowCaption(CaptionMode mode, std::uint32_t number) {
    auto* caption = new Caption(context);
    caption->SetMode(mode, number);
    if (context->objectList)
        context->objectList->AddObject(caption);
    else
        delete caption;
}

void GameTable::Phases() {
    GameContext* ctx = context;
    GamePhase& phase = ctx->gamePhase;
    if (phase == GamePhase::GameOverShown && PhaseTimeUp(3100)) {
        phase = GamePhase::Playing;
        ctx->highScoreCheckRequest = 1;
        ctx->menuRequest = 1;
    }
    if (phase == GamePhase::GameOver) {
        ShowCaption(CaptionMode::GameOver, 0);
        phase = GamePhase::GameOverShown;
    }
    if (phase == GamePhase::ClosingPicture && PhaseTimeUp(20000)) {
        phase = GamePhase::Playing;
        ctx->highScoreCheckRequest = 1;
        ctx->menuRequest = 1;
    }
    if (phase == GamePhase::AllLevelsDone) {
        ShowCaption(CaptionMode::ClosingPicture, 0);
        phase = GamePhase::ClosingPicture;
    }
    if (phase == GamePhase::LevelNumberShown && PhaseTimeUp(3000)) phase = GamePhase::Playing;
    if (phase == GamePhase::ShowLevelNumber) {
        ShowCaption(CaptionMode::LevelNumber, ctx->currentLevel);
        phase = GamePhase::LevelNumberShown;
    }
    if (phase == GamePhase::LevelIntro && PhaseTimeUp(1000)) phase = GamePhase::ShowLevelNumber;
    if (phase == GamePhase::BetweenLevels && PhaseTimeUp(3000)) phase = GamePhase::NextLevelReady;
    if (phase == GamePhase::Advance) {
        if (ctx->currentLevel < 9) {
            currentRow = 0;
            groundRow = 0;
            ctx->scrollPosition = 0;
            ctx->currentLevel += 1;
            if (ctx->levelIndex < ctx->currentLevel) {
                ctx->levelIndex = ctx->currentLevel;
                RaiseLevelReached(*ctx, ctx->currentLevel);  // failure ignored
            }
            phaseTimer = 0;
            phase = GamePhase::BetweenLevels;
        } else {
            phase = GamePhase::AllLevelsDone;
        }
    }
    if (phase == GamePhase::LevelCompleteDone) phase = GamePhase::Advance;
    if (phase == GamePhase::LevelCompleteShown && PhaseTimeUp(3000)) phase = GamePhase::LevelCompleteDone;
    if (phase == GamePhase::LevelComplete) {
        ShowCaption(CaptionMode::LevelComplete, 0);
        PlaySound(ctx, asset::GameComple);
        phase = GamePhase::LevelCompleteShown;
    }
}

void GameTable::LevelEnd() {
    GameContext* ctx = context;
    const bool shipsRemain = ctx->shipAlive || ctx->shipsLeft > 0;
    if (endPending && endRow + 4 < currentRow && shipsRemain) {
        endPending = 0;
        ctx->gamePhase = GamePhase::LevelEndReached;
    }
    if (endPending || ctx->gamePhase != GamePhase::Playing || !shipsRemain) return;
    const std::uint32_t length =
        ctx->currentLevel < static_cast<std::uint32_t>(kLevelCount) ? ctx->levelLength[ctx->currentLevel] : 0;
    if (currentRow <= length) return;
    for (const HitSlot& s : ctx->enemySlots)
        if (s.active) return;
    endPending = 1;
    endRow = currentRow;
}

void GameTable::SoundRequests() {
    GameContext* ctx = context;
    for (int k = 0; k < kSoundRequests; ++k) {
        SoundRequest& r = ctx->soundRequests[k];
        if (!r.flag) continue;
        r.flag = 0;
        r.nextAllowed = ctx->timeNow + 60;
        PlaySound(ctx, kSoundRequestNames[k]);
    }
}

std::int32_t GameTable::FrameMove() {
    GameContext* ctx = context;
    TakeArsenalRequest();
    TakeEndGameRequest();
    if (!ctx->mouseActive) return 0;

    MusicService();
    if (ctx->newGameReset) NewGame();
    if (ctx->levelStartRequest) LevelStart();

    if (ctx->currentScreen == Screen::Game) {
        Ships();
        if (gameOverPending && gameOverRow + 2 < currentRow) {
            gameOverPending = 0;
            ctx->gamePhase = GamePhase::GameOver;
        }
        Phases();
        LevelEnd();
        SpawnStep(ctx, currentRow, groundRow, *factory_);
        RunCollisionPass(ctx);
        if (ctx->keys[kKeyEscape] && escapeLatch == 0) {
            escapeLatch = 1;
            ctx->menuRequest = 1;
        }
    }

    if (ctx->screenChanged) {
        ctx->screenChanged = 0;
        ctx->shipEntryRequest = 1;
    }
    SoundRequests();
    if (!ctx->keys[kKeyUp] && !ctx->keys[kKeyDown] && !ctx->keys[kKeyEscape]) escapeLatch = 0;
    return 0;
}

// ---------------------------------------------------------------------------
// Device objects and drawing

std::int32_t GameTable::RestoreDeviceObjects() {
    GameContext* ctx = context;
    mesh_->RestoreMesh(ctx->device);
    lights[0] = DirectionalLight(0.4f, -1.0f, -0.4f);
    lights[1] = DirectionalLight(0.0f, -1.0f, 0.0f);
    const float w = static_cast<float>(ctx->screenWidth);
    const float h = static_cast<float>(ctx->screenHeight);
    for (int i = 0; i < kPlacedSymbolQuads; ++i) {
        ScreenVertex* q = symbols_ + 6 * i;
        const float x0 = (0.342f + 0.018f * static_cast<float>(i)) * w;
        const float y0 = 0.015f * h;
        const float x1 = x0 + 0.028f * w;
        const float y1 = y0 + 0.054f * h;
        const float xs[6] = {x0, x1, x0, x0, x1, x1};
        const float ys[6] = {y0, y0, y1, y1, y0, y1};
        for (int k = 0; k < 6; ++k) {
            q[k].x = xs[k];
            q[k].y = ys[k];
        }
    }
    return 0;
}

std::int32_t GameTable::InvalidateDeviceObjects() {
    mesh_->InvalidateMesh();
    return 0;
}

std::int32_t GameTable::DeleteDeviceObjects() {
    mesh_->DestroyMesh();
    return 0;
}

std::int32_t GameTable::Render() {
    GameContext* ctx = context;
    if (ctx->currentScreen != Screen::Game || !ctx->renderQueue) return 0;
    // Drawn over the battlefield in depth-key order.
    SubmitSprite(ctx, asset::SymbolMap, symbols_, 2 * kSymbolQuads, 2.6f);
    return 0;
}

}  // namespace dw
