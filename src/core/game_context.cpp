#include "core/game_context.h"

#include <cstring>

#include "platform/clock.h"

namespace dw {

GameContext::GameContext() {
    cameraWorld._11 = cameraWorld._22 = cameraWorld._33 = cameraWorld._44 = 1.0f;
    hWnd = nullptr;
    instance = nullptr;
    timeNow = platform::GetTickCount();
}

GameContext::GameContext(platform::Shell* window, platform::ModuleResources* module) {
    cameraWorld._11 = cameraWorld._22 = cameraWorld._33 = cameraWorld._44 = 1.0f;
    hWnd = window;
    instance = module;
    timeNow = platform::GetTickCount();
}

GameContext::~GameContext() = default;

void GameContext::ResetToStartValues() {
    // Deliberate (docs/DECISIONS.md): the settings survive the system start.
    // The system start runs after the settings were read, the managers were
    // created, the device was set and the system report chose the filter
    // flags. Those fields keep what they hold; everything else takes its
    // start value, in this order.
    resourceLibraryName = "gamedata.res";
    appInactive = 0;
    timeNow = platform::GetTickCount();
    frameTimeAverage = 0;
    frameTimeIndex = 0;
    for (auto& t : frameTimes) t = 10;

    std::memset(lightSets, 0, sizeof lightSets);
    reacquireMouse = 0;
    std::memset(mouseButtons, 0, sizeof mouseButtons);
    cursorDeltaX = 0;
    cursorDeltaY = 0;
    std::memset(keys, 0, sizeof keys);
    musicStream = 0;
    soundReady = 0;
    resourceLibraryModule = nullptr;
    lightCounter = 0;
    gameStartPending = 0;
    screenChangeRequest = 0;
    requestedScreen = 0;
    currentScreen = 0;
    score = 0;
    bestScore = 0;
    musicRequest = 0;
    shipRemoveRequest = 0;
    shieldRequest = 0;
    shieldActive = 0;
    shipAlive = 0;
    shipEntryRequest = 0;
    shieldShipSlot = 0;
    laserLevel = 0;
    plasmaLevel = 0;
    energyGain = 0;
    energy = 0;
    body = 199;
    rockets = 0;
    scrollPosition = 0;
    shipsLeft = 0;
    respawnDelay = 0;
    groundScrollSpeed = 0.0002246f;
    std::memset(soundRequests, 0, sizeof soundRequests);
    scoreFromGame = 0;
    gameInProgress = 0;
    highScoreCheckRequest = 0;
    highScoresClosed = 0;
    optionsClosed = 0;
    helpClosed = 0;
    screenChanged = 0;
    menuRequest = 0;
    levelStartRequest = 0;
    newGameReset = 0;
    std::memset(playerShots, 0, sizeof playerShots);
    std::memset(enemyShots, 0, sizeof enemyShots);
    static constexpr std::uint32_t kWeaponDamage[7] = {125, 125, 78, 45, 60, 125, 0};
    std::memcpy(weaponDamage, kWeaponDamage, sizeof weaponDamage);
    static constexpr std::uint32_t kEnemyShotDamage[10] = {50, 40, 120, 90, 0, 0, 0, 0, 0, 0};
    std::memcpy(enemyShotDamage, kEnemyShotDamage, sizeof enemyShotDamage);
    std::memset(rocketSlots, 0, sizeof rocketSlots);
    rocketDamage = 250;
    std::memset(shipSlots, 0, sizeof shipSlots);
    std::memset(enemySlots, 0, sizeof enemySlots);
    shipHitPoints = 3750;
    static constexpr std::uint32_t kEnemyHitPoints[20] = {
        90, 120, 320, 500, 90, 90, 60, 250, 120, 250, 180, 300, 500, 500, 2000, 50, 0, 0, 0, 0};
    std::memcpy(enemyHitPoints, kEnemyHitPoints, sizeof enemyHitPoints);
    std::memset(bonusSlots, 0, sizeof bonusSlots);
    currentLevel = 0;
    camera = nullptr;
    std::memset(&cameraWorld, 0, sizeof cameraWorld);
    cameraWorld._11 = cameraWorld._22 = cameraWorld._33 = cameraWorld._44 = 1.0f;
    std::memset(&eyePosition, 0, sizeof eyePosition);
    fieldOfView = 0.5235988f;
    std::memset(&drawRequest, 0, sizeof drawRequest);
    gamePhase = 0;
    layoutCursorX = 0;
    layoutCursorY = 0;
    introActive = 1;
    assetLoadingActive = 0;
    mouseActive = 0;
    quitRequest = 0;
    normalExit = 0;
    std::memset(&bossLink, 0, sizeof bossLink);
}

}  // namespace dw
