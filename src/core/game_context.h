#pragma once
// The one shared record of the program. Every Game object keeps a pointer to
// it and reaches everything through it: time, screen, device, managers,
// camera and lights, input, settings, collision tables and the requests that
// objects leave for one another.
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "core/draw_entry.h"
#include "core/random.h"
#include "core/slots.h"
#include "core/states.h"
#include "platform/controls.h"
#include "platform/d3d_types.h"

namespace gfx {
class Device;
}
namespace platform {
struct Services;
class Clock;
class Desktop;
class SoundLibrary;
class ResourceLibrary;
class SettingsStore;
class Shell;
class ModuleResources;
class InputDevices;
class ScoreServer;
class InputDevice;
class LibraryModule;
}  // namespace platform

namespace dw {

class Log;
class ListEngine;
class MeshCache;
class TextureCache;
class SoundCache;
class RenderQueue;
class MyObject;
struct LevelRecord;

struct LightSet {
    std::uint8_t ready;
    D3DLIGHT8 lights[5];
};

struct RefreshRecord {
    std::uint32_t width, height, bitsPerPixel, rate;
};

struct SoundRequest {
    std::uint8_t flag;
    std::uint32_t nextAllowed;
};

constexpr int kFrameTimeCount = 130;
// The longest frame time stored in the ring (ms).
constexpr std::uint32_t kLongestFrameMs = 100;
constexpr int kLevelCount = 10;
constexpr int kPlayerShotSlots = 40;
constexpr int kEnemyShotSlots = 40;
constexpr int kRocketSlots = 20;
constexpr int kShipSlots = 3;
constexpr int kEnemySlots = 130;
constexpr int kBonusSlots = 10;
constexpr int kSoundRequests = 8;
constexpr int kLightSets = 100;

// The frame-time history starts as if every frame had taken 10 ms.
constexpr std::array<std::uint32_t, kFrameTimeCount> FilledFrameTimes() {
    std::array<std::uint32_t, kFrameTimeCount> t{};
    for (auto& v : t) v = 10;
    return t;
}

constexpr D3DMATRIX IdentityMatrix() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

// Every field that the system start (ResetToStartValues) sets to its start
// value, with that value: the one place where they are written down. The
// constructor and the reset both take them from here.
// The code of each level in the settings' LevelID (the highest level
// reached is kept as its code, not its number).
inline constexpr std::uint32_t kLevelIds[kLevelCount] = {0, 716, 325, 584, 682, 146, 913, 762, 421, 258};

struct GameStartValues {
    const char* resourceLibraryName = "gamedata.res";
    std::uint8_t appInactive = 0;
    std::uint32_t timeNow = 0;  // read from the session's clock by the reset
    // The clock of play: timeNow less every pause of a game in progress (the
    // menu open, the focus lost). Everything that moves in play keeps its
    // deadlines and ages on it, so a pause shifts them all by its length.
    std::uint32_t playTimeNow = 0;
    std::uint32_t frameTimeAverage = 0;
    std::array<std::uint32_t, kFrameTimeCount> frameTimes = FilledFrameTimes();
    std::uint32_t frameTimeIndex = 0;
    LightSet lightSets[kLightSets] = {};
    std::uint8_t reacquireMouse = 0;
    std::uint8_t mouseButtons[3] = {};
    float cursorDeltaX = 0;
    float cursorDeltaY = 0;
    std::uint8_t keys[256] = {};
    std::int32_t musicStream = 0;
    std::uint8_t soundReady = 0;
    platform::LibraryModule* resourceLibraryModule = nullptr;
    std::uint32_t lightCounter = 0;
    std::uint8_t gameStartPending = 0;
    std::uint8_t screenChangeRequest = 0;
    Screen requestedScreen = Screen::Menu;
    Screen currentScreen = Screen::Menu;
    std::uint32_t score = 0;
    std::uint32_t bestScore = 0;
    MusicRequest musicRequest = MusicRequest::None;
    std::uint8_t shipRemoveRequest = 0;
    std::uint8_t shieldRequest = 0;
    std::uint8_t shieldActive = 0;
    std::uint8_t shipAlive = 0;
    std::uint8_t shipEntryRequest = 0;
    std::uint32_t shieldShipSlot = 0;
    std::uint32_t laserLevel = 0;
    std::uint32_t plasmaLevel = 0;
    std::uint32_t energyGain = 0;
    std::uint32_t energy = 0;
    std::uint32_t body = 199;
    std::uint32_t rockets = 0;
    float scrollPosition = 0;
    std::uint32_t shipsLeft = 0;
    float respawnDelay = 0;
    float groundScrollSpeed = 0.0002246f;
    SoundRequest soundRequests[kSoundRequests] = {};
    std::uint8_t scoreFromGame = 0;
    std::uint8_t gameInProgress = 0;
    std::uint8_t highScoreCheckRequest = 0;
    std::uint8_t highScoresClosed = 0;
    // Each high-score entry saved to the table on disk counts here, with the
    // place it took there (the replays of the table follow it).
    std::uint32_t recordSaves = 0;
    // Resources that failed to load this session ("library/name" and the
    // step that failed): not read, decoded or logged again.
    mutable std::map<std::string, int> failedResources;
    std::int32_t recordSavedPlace = -1;
    // Set while a game over waits for its entry in the table (the replays
    // are kept): writes the game's replay into the replays folder and gives
    // its file name (empty when it could not), for the table to name.
    std::function<std::string()> keepReplay;
    std::string recordSavedName;  // the name saved with it
    std::uint8_t optionsClosed = 0;
    std::uint8_t helpClosed = 0;
    std::uint8_t screenChanged = 0;
    std::uint8_t menuRequest = 0;
    std::uint8_t levelStartRequest = 0;
    std::uint8_t newGameReset = 0;
    ShotSlot playerShots[kPlayerShotSlots] = {};
    ShotSlot enemyShots[kEnemyShotSlots] = {};
    std::uint32_t weaponDamage[7] = {125, 125, 78, 45, 60, 125, 0};
    std::uint32_t enemyShotDamage[10] = {50, 40, 120, 90, 0, 0, 0, 0, 0, 0};
    RocketSlot rocketSlots[kRocketSlots] = {};
    std::uint32_t rocketDamage = 250;
    HitSlot shipSlots[kShipSlots] = {};
    HitSlot enemySlots[kEnemySlots] = {};
    std::uint32_t shipHitPoints = 3750;
    std::uint32_t enemyHitPoints[20] = {90,  120, 320, 500, 90,   90, 60, 250, 120, 250,
                                        180, 300, 500, 500, 2000, 50, 0,  0,   0,   0};
    BonusSlot bonusSlots[kBonusSlots] = {};
    std::uint32_t currentLevel = 0;
    MyObject* camera = nullptr;
    D3DMATRIX cameraWorld = IdentityMatrix();
    D3DVECTOR eyePosition = {};
    float fieldOfView = 0.5235988f;
    DrawEntry drawRequest = {};
    GamePhase gamePhase = GamePhase::Playing;
    float layoutCursorX = 0;
    float layoutCursorY = 0;
    std::uint8_t introActive = 1;
    std::uint8_t assetLoadingActive = 0;
    std::uint8_t mouseActive = 0;
    std::uint8_t quitRequest = 0;
    std::uint8_t normalExit = 0;
    BossLink bossLink = {};
};

class GameContext : public GameStartValues {
public:
    GameContext();
    virtual ~GameContext();

    // Sets every field to its start value, in the order of the system start
    // (see ResetToStartValues in game_context.cpp).
    void ResetToStartValues();
    // Moves both clocks to `now` (the session's clock, read once a frame):
    // the play clock goes along unless a game in progress stood still since
    // the last frame.
    void AdvanceClocks(std::uint32_t now);

    // The platform seams of the session (device, shell, clock, input, sound
    // library, resources, settings store, desktop, system information, user
    // directory), set once by whoever runs the session; not owned.
    platform::Services* services = nullptr;
    // The session's clock and desktop: a context without them is a fault of
    // the program, which ends naming the missing seam (never the real clock
    // or browser in their place).
    platform::Clock& clock() const;
    platform::Desktop& desktop() const;
    // The optional seams: null when the session has none (no sound, no
    // resource library, no input, no settings).
    platform::SoundLibrary* soundLibrary() const;
    platform::ResourceLibrary* resourceLibrary() const;
    platform::SettingsStore* settingsStore() const;
    platform::InputDevices* inputDevices() const;
    // The score server's client: null in a session that never sends
    // (headless runs, replays, the attract mode's demos, tests).
    platform::ScoreServer* scoreServer() const;
    // The window (message boxes); null before the session has one.
    platform::Shell* shell() const;
    // The program's resources (the level files): the session's, else the
    // compiled-in ones.
    platform::ModuleResources& levelModule() const;
    // Full path of a file in the session's user directory.
    std::string UserFile(const std::string& fileName) const;

    std::int32_t screenWidth = 800;
    std::int32_t screenHeight = 600;
    Log* log = nullptr;
    ListEngine* objectList = nullptr;
    MeshCache* meshCache = nullptr;
    MeshCache* preparedMeshCache = nullptr;
    TextureCache* textureCache = nullptr;
    SoundCache* soundCache = nullptr;
    RenderQueue* renderQueue = nullptr;
    gfx::Device* device = nullptr;
    D3DMATRIX viewMatrix = {};
    D3DMATRIX projectionMatrix = {};
    platform::InputDevice* mouseDevice = nullptr;
    platform::InputDevice* keyboardDevice = nullptr;
    std::uint8_t canMipMap = 0;
    std::uint8_t canMipLinear = 0;
    std::int32_t musicVolume = 28;
    std::int32_t soundVolume = 50;
    float mouseSpeed = 1.0f;
    // The player's keys and buttons (settings.ini), played by the input.
    platform::Controls controls = platform::Controls::Defaults();
    // The picture: full screen (kept by the session), Stretch=1,
    // vertical sync, reduced flashes. The display page changes them and sets
    // `displayChangeRequest`; the session applies them.
    struct Display {
        std::uint8_t fullscreen = 0, stretch = 0, vsync = 1, reduceFlashes = 0;
        bool operator==(const Display&) const = default;
    } display;
    std::uint8_t displayChangeRequest = 0;
    // Online scores (OnlineScores=0/1, ScoreServer=address), turned on and
    // off on the display page; see ApplyOnlineSettings.
    struct Online {
        std::uint8_t on = 0;
        std::string server;
    } online;
    LevelRecord* levelSpawnRecords[kLevelCount] = {};
    LevelRecord* levelGroundRecords[kLevelCount] = {};
    std::uint32_t levelSpawnCount[kLevelCount] = {};
    std::uint32_t levelGroundCount[kLevelCount] = {};
    std::uint32_t levelColumns[kLevelCount] = {};
    std::uint32_t levelLength[kLevelCount] = {};
    std::uint32_t levelIndex = 0;
    RefreshRecord refreshTable[2] = {};
    std::int32_t requestedWidth = 800;
    std::int32_t requestedHeight = 600;
    // Set while an attract demo plays over this (idle) menu: the demo has a
    // Game context of its own and leaves this one alone.
    std::uint8_t attractDemo = 0;
    // What objects publish for the program (read, never written, by app):
    // the main menu's page (kNoMenuPage while there is no menu) ...
    static constexpr std::uint32_t kNoMenuPage = ~0u;
    std::uint32_t mainMenuPage = kNoMenuPage;
    // ... and the player's ship's position in field units, set by the ship
    // while it flies (shipInPlay; cleared when it dies).
    float shipX = 0, shipY = 0;
    std::uint8_t shipInPlay = 0;
    // Set by the start of a run straight into a level (app), cleared by the
    // main menu, which then shows its page with a game to resume (as after
    // the level choice). currentLevel and levelStartRequest come with it.
    std::uint8_t levelChoiceRequest = 0;
    // Set with the weapons the ship is to be handed by the start of a run
    // straight into a level (app); the Game table hands them over once the
    // new game's ship is in play, and clears it.
    std::uint8_t arsenalRequest = 0;
    std::uint32_t requestedLaser = 0, requestedPlasma = 0, requestedRockets = 0;
    // Set by the browser build's test hook: the game in play ends with
    // endGameScore as if its last ship were lost (the Game table takes it).
    std::uint8_t endGameRequest = 0;
    std::uint32_t endGameScore = 0;

    // The one source of randomness; seeded once per session, kept across
    // the system start and every new game.
    Random random;

    // Set 0's ready flag and first light go by these names too.
    std::uint8_t& lightReady() { return lightSets[0].ready; }
    D3DLIGHT8& mainLight() { return lightSets[0].lights[0]; }
};

}  // namespace dw
