#include <set>

#include "app/first_object.h"
#include "core/settings.h"
#include "game/caption.h"
#include "game/game_table.h"
#include "assets/sound.h"
#include "game_fixture.h"
#include "platform/sound_library.h"
#include "recording_factory.h"

namespace dw {
namespace {

using testing::GameFixture;
using testing::RecordingFactory;

// Phases as the ship sees them (after the Game table's turn) and as it sets them.
std::vector<GamePhase>* gPhaseTrail = nullptr;
std::uint32_t gRowAtLevelEnd = 0;
GameTable* gTable = nullptr;

// Stands in for the player's ship: plays its part of the level flow and dies
// when its slot is destroyed.
class FakeShip : public MyObject {
public:
    FakeShip(GameContext* ctx, int s) : MyObject(ctx), slot(s) {
        name = "swolf";
        order = 58;
        visible = 1;
        ctx->shipAlive = 1;
    }
    std::int32_t FrameMove() override {
        GameContext* c = context;
        if (!c->mouseActive || c->currentScreen != Screen::Game) return 0;
        Note();
        HitSlot& s = c->shipSlots[slot];
        s.noContact = 0;
        if (c->gamePhase == GamePhase::LevelEndReached) {
            if (gTable) gRowAtLevelEnd = gTable->currentRow;
            c->gamePhase = GamePhase::ShipLeaving;
            exitTimer = 0;
        } else if (c->gamePhase == GamePhase::ShipLeaving) {
            exitTimer += c->frameTimeAverage;
            if (exitTimer > 3000) c->gamePhase = GamePhase::LevelComplete;
        } else if (c->gamePhase == GamePhase::NextLevelReady) {
            c->gamePhase = GamePhase::LevelIntro;
            c->shipEntryRequest = 1;
        }
        Note();
        if (s.destroyed || !s.active || c->gameStartPending) {
            dead = 1;
            s = HitSlot{};
            c->shipAlive = 0;
            c->respawnDelay = 1.0f;
        }
        return 0;
    }
    void Note() {
        if (gPhaseTrail && (gPhaseTrail->empty() || gPhaseTrail->back() != context->gamePhase))
            gPhaseTrail->push_back(context->gamePhase);
    }
    int slot;
    std::uint32_t exitTimer = 0;
};

MyObject* MakeFakeShip(GameContext* ctx, int slot) { return new FakeShip(ctx, slot); }

class GameTableTest : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        factory.makeShip = &MakeFakeShip;
        table = new GameTable(&ctx);
        table->SetFactory(&factory);
        gTable = table;
        gPhaseTrail = &trail;
        list.AddObject(new FirstObject(&ctx));
        list.AddObject(table);
    }
    void TearDown() override {
        gTable = nullptr;
        gPhaseTrail = nullptr;
        services.sound = nullptr;
        GameFixture::TearDown();
    }
    // Frames, noting every caption that appears as (mode, number).
    void Run(int frames) {
        for (int i = 0; i < frames; ++i) {
            Frame();
            std::set<MyObject*> now;
            for (MyObject* o : Objects("gtext")) {
                now.insert(o);
                if (!captions.count(o)) {
                    auto* c = static_cast<Caption*>(o);
                    shown.push_back({c->mode, c->number});
                }
            }
            captions = now;
        }
    }
    template <class Pred>
    bool RunUntil(Pred pred, int limit = 20000) {
        for (int i = 0; i < limit; ++i) {
            if (pred()) return true;
            Run(1);
        }
        return pred();
    }
    void StartLevel(std::uint32_t level) {
        ctx.currentScreen = Screen::Menu;
        ctx.currentLevel = level;
        ctx.levelStartRequest = 1;
    }

    RecordingFactory factory;
    GameTable* table = nullptr;
    std::vector<GamePhase> trail;
    std::set<MyObject*> captions;
    std::vector<std::pair<CaptionMode, std::uint32_t>> shown;
};

TEST_F(GameTableTest, StartsAsTheVisibleControllerAndLogsAMissingMesh) {
    EXPECT_STREQ(table->name, "matrix");
    EXPECT_EQ(table->order, 50);
    EXPECT_EQ(table->visible, 1);
    EXPECT_NE(LogText().find("Can't open GameTable mesh\n"), std::string::npos);
}

TEST_F(GameTableTest, AnEmptyLevelRunsThroughEveryPhaseToTheNextLevel) {
    testing::SoundHarness sound(ctx);
    StartLevel(0);  // level 0 has no records and length 0
    ASSERT_TRUE(RunUntil([&] { return ctx.currentLevel == 1 && ctx.gamePhase == GamePhase::Playing; }));
    using P = GamePhase;
    const std::vector<GamePhase> expected = {
        P::LevelIntro,        P::ShowLevelNumber, P::LevelNumberShown, P::Playing,
        P::LevelEndReached,   P::ShipLeaving,     P::LevelComplete,    P::LevelCompleteShown,
        P::LevelCompleteDone, P::Advance,         P::BetweenLevels,    P::NextLevelReady,
        P::LevelIntro,        P::ShowLevelNumber, P::LevelNumberShown, P::Playing};
    EXPECT_EQ(trail, expected);
    EXPECT_EQ(table->endRow, 1u);
    EXPECT_EQ(gRowAtLevelEnd, 6u);
    EXPECT_EQ(ctx.levelIndex, 1u);
    EXPECT_EQ(settings.writes["LevelID"], 1);
    EXPECT_EQ(settings.inner.QueryValue(kSettingsKey, "LevelID"), 716u);
    const std::vector<std::pair<CaptionMode, std::uint32_t>> captionsShown = {
        {CaptionMode::LevelNumber, 0}, {CaptionMode::LevelComplete, 0}, {CaptionMode::LevelNumber, 1}};
    EXPECT_EQ(shown, captionsShown);
    const std::vector<std::string> sounds = {"MenuPlane", "GameComple"};
    EXPECT_EQ(sound.Played(), sounds);
    EXPECT_EQ(factory.Of("ship").size(), 1u);
    EXPECT_EQ(ctx.shipsLeft, 3u);
}

// A run straight into a level asks for its arsenal with the new game; the
// new game's reset would take it back, so it is handed over once the ship
// is in play, and only once.
TEST_F(GameTableTest, TheArsenalAskedForComesOnceTheNewGamesShipIsIn) {
    ctx.newGameReset = 1;
    StartLevel(0);
    ctx.arsenalRequest = 1;
    ctx.requestedLaser = 3;
    ctx.requestedPlasma = 2;
    ctx.requestedRockets = 999;
    Run(1);
    EXPECT_EQ(ctx.rockets, 0u) << "not before the new game's ship";
    ASSERT_TRUE(RunUntil([&] { return ctx.arsenalRequest == 0; }, 2000));
    EXPECT_EQ(ctx.laserLevel, 3u);
    EXPECT_EQ(ctx.plasmaLevel, 2u);
    EXPECT_EQ(ctx.rockets, 999u);
    EXPECT_EQ(ctx.shipAlive, 1u);
    ctx.rockets = 5;
    Run(3);
    EXPECT_EQ(ctx.rockets, 5u) << "taken once";
}

// The browser test's hook asks; the Game table ends the game in play with
// the score given, and nothing off the play screen.
TEST_F(GameTableTest, AnEndOfGameAskedForEndsOnlyAGameInPlay) {
    ctx.currentScreen = Screen::Menu;
    ctx.score = 10;
    ctx.endGameRequest = 1;
    ctx.endGameScore = 4321;
    Run(1);
    EXPECT_EQ(ctx.endGameRequest, 0u);
    EXPECT_EQ(ctx.score, 10u) << "no game in play: nothing";
    StartLevel(0);
    ASSERT_TRUE(RunUntil([&] { return ctx.currentScreen == Screen::Game && ctx.shipAlive; }, 2000));
    ctx.endGameRequest = 1;
    Run(1);
    EXPECT_EQ(ctx.score, 4321u);
    EXPECT_EQ(ctx.shipsLeft, 0u);
    EXPECT_EQ(ctx.shipRemoveRequest, 1u);
}

TEST_F(GameTableTest, ReplayingALowerLevelWritesNothing) {
    ctx.levelIndex = 4;
    ctx.currentLevel = 2;
    ctx.gamePhase = GamePhase::Advance;
    Run(1);
    EXPECT_EQ(ctx.gamePhase, GamePhase::BetweenLevels);
    EXPECT_EQ(ctx.currentLevel, 3u);
    EXPECT_EQ(ctx.levelIndex, 4u);
    EXPECT_EQ(settings.writes.count("LevelID"), 0u);
}

TEST_F(GameTableTest, AfterTheTenthLevelTheClosingPictureLeadsToTheMenu) {
    ctx.currentLevel = 9;
    ctx.gamePhase = GamePhase::Advance;
    Run(2);
    EXPECT_EQ(ctx.gamePhase, GamePhase::ClosingPicture);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, CaptionMode::ClosingPicture);
    ctx.menuRequest = 0;
    Run(20000 / 16);
    EXPECT_EQ(ctx.gamePhase, GamePhase::ClosingPicture);
    Run(2);
    EXPECT_EQ(ctx.gamePhase, GamePhase::Playing);
    EXPECT_EQ(ctx.highScoreCheckRequest, 1);
    EXPECT_EQ(ctx.currentLevel, 9u);
    EXPECT_EQ(ctx.currentScreen, Screen::Menu) << "the menu request was served";
}

TEST_F(GameTableTest, LosingFourShipsEndsTheGameThreeRowsLater) {
    ctx.levelLength[0] = 1000;
    StartLevel(0);
    for (int ship = 0; ship < 4; ++ship) {
        ASSERT_TRUE(RunUntil([&] { return ctx.shipAlive == 1; })) << ship;
        for (HitSlot& s : ctx.shipSlots)
            if (s.active) s.destroyed = 1;
        Run(1);
        EXPECT_EQ(ctx.shipAlive, 0);
    }
    EXPECT_EQ(factory.Of("ship").size(), 4u);
    EXPECT_EQ(ctx.shipsLeft, 0u);
    ASSERT_TRUE(RunUntil([&] { return ctx.gamePhase == GamePhase::GameOverShown; }));
    EXPECT_EQ(table->currentRow, table->gameOverRow + 3);
    EXPECT_EQ(table->gameOverPending, 0);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().first, CaptionMode::GameOver);
    EXPECT_EQ(factory.Of("ship").size(), 4u) << "no fifth ship";
    Run(3100 / 16);
    EXPECT_EQ(ctx.gamePhase, GamePhase::GameOverShown);
    Run(1);
    EXPECT_EQ(ctx.gamePhase, GamePhase::Playing);
    EXPECT_EQ(ctx.highScoreCheckRequest, 1);
    EXPECT_EQ(ctx.menuRequest, 1);
    Run(1);
    EXPECT_EQ(ctx.currentScreen, Screen::Menu) << "back to the menu";
}

TEST_F(GameTableTest, EnemiesStillFlyingHoldTheLevelEnd) {
    ctx.levelLength[0] = 0;
    StartLevel(0);
    ASSERT_TRUE(RunUntil([&] { return ctx.gamePhase == GamePhase::Playing; }));
    ctx.enemySlots[77].active = 1;  // far away from the ship
    ctx.enemySlots[77].noContact = 1;
    Run(600);
    EXPECT_EQ(ctx.gamePhase, GamePhase::Playing);
    EXPECT_EQ(table->endPending, 0);
    ctx.enemySlots[77].active = 0;
    ASSERT_TRUE(RunUntil([&] { return ctx.gamePhase == GamePhase::ShipLeaving; }, 1000));
    EXPECT_EQ(gRowAtLevelEnd, table->endRow + 5);
}

TEST_F(GameTableTest, EscapeAsksForTheMenuOncePerPress) {
    ctx.currentScreen = Screen::Game;
    ctx.keys[1] = 0x80;
    Run(1);
    EXPECT_EQ(ctx.menuRequest, 1);
    ctx.menuRequest = 0;
    Run(5);
    EXPECT_EQ(ctx.menuRequest, 0);
    ctx.keys[1] = 0;
    ctx.keys[0xC8] = 0x80;  // Up still held keeps the latch
    Run(1);
    ctx.keys[1] = 0x80;
    Run(1);
    EXPECT_EQ(ctx.menuRequest, 0);
    ctx.keys[1] = 0;
    ctx.keys[0xC8] = 0;
    Run(1);
    ctx.keys[1] = 0x80;
    Run(1);
    EXPECT_EQ(ctx.menuRequest, 1);
}

TEST_F(GameTableTest, SoundRequestsAreServedOncePerFrameEvenOffTheGameScreen) {
    testing::SoundHarness sound(ctx);
    ctx.currentScreen = Screen::Menu;
    RequestSound(&ctx, SoundSlot::Game1Explo);
    RequestSound(&ctx, SoundSlot::Game1Explo);
    RequestSound(&ctx, SoundSlot::Game2Enemy);
    Run(1);
    EXPECT_EQ(ctx.soundRequests[6].flag, 0);
    EXPECT_EQ(ctx.soundRequests[2].flag, 0);
    EXPECT_EQ(ctx.soundRequests[6].nextAllowed, ctx.timeNow + 60);
    const std::vector<std::string> sounds = {"MenuPlane", "Game2Enemy", "Game1Explo"};
    EXPECT_EQ(sound.Played(), sounds);
    const std::uint32_t served = ctx.timeNow;
    clock.Advance(30);
    ctx.timeNow = clock.Milliseconds();
    RequestSound(&ctx, SoundSlot::Game1Explo);  // 30 ms later: refused by the requester
    EXPECT_EQ(ctx.soundRequests[6].flag, 0);
    Run(3);
    RequestSound(&ctx, SoundSlot::Game1Explo);
    EXPECT_EQ(ctx.soundRequests[6].flag, 1);
    EXPECT_GT(ctx.timeNow, served + 60);
}

TEST_F(GameTableTest, NothingHappensWithoutTheMouse) {
    ctx.mouseActive = 0;
    ctx.newGameReset = 1;
    ctx.soundRequests[0].flag = 1;
    Run(3);
    EXPECT_EQ(ctx.newGameReset, 1);
    EXPECT_EQ(ctx.soundRequests[0].flag, 1);
    EXPECT_EQ(table->introSoundPlayed, 0);
}

TEST_F(GameTableTest, MusicWaitsFiveSecondsThenFadesBetweenThemes) {
    platform::RecordingSoundLibrary imx;
    services.sound = &imx;
    ctx.currentScreen = Screen::Menu;
    ctx.musicVolume = 28;
    ctx.musicRequest = MusicRequest::MenuTheme;
    Run(300);  // 4800 ms
    EXPECT_EQ(table->introSoundPlayed, 1);
    EXPECT_EQ(ctx.musicRequest, MusicRequest::MenuTheme) << "requests wait for the music service";
    EXPECT_EQ(table->musicTheme, 0u);
    ASSERT_TRUE(RunUntil([&] { return ctx.musicRequest == MusicRequest::None; }, 100));
    EXPECT_EQ(table->musicTheme, 1u);
    // Fade in from silence at 0.025 per ms to the music volume.
    Run(1);
    const float first = table->musicLevel;
    Run(1);
    EXPECT_NEAR(table->musicLevel - first, 16 * 0.025f, 1e-3f);
    Run(100);
    EXPECT_NEAR(table->musicLevel, 28.0f, 1e-3f);
    EXPECT_EQ(imx.musicVolume, 28);

    // The game theme cuts the menu theme at once and fades in from silence.
    ctx.musicRequest = MusicRequest::GameTheme;
    Run(1);
    EXPECT_EQ(table->musicTheme, 2u);
    EXPECT_GT(table->musicLevel, 0.0f);
    EXPECT_LT(table->musicLevel, 1.0f);
    Run(100);

    // Asking for the game theme again fades it out from 90 % first.
    ctx.musicRequest = MusicRequest::GameTheme;
    Run(1);
    EXPECT_NEAR(table->musicLevel, -28.0f * 0.9f + 16 * 0.015f, 1e-3f);
    EXPECT_EQ(imx.musicVolume, 24);
    Run(50);
    EXPECT_LT(table->musicLevel, 0.0f);

    // Silence asked for in the middle of that fade keeps fading out, at 0.03
    // per ms, and puts the volume back at the end.
    ctx.musicRequest = MusicRequest::FadeOut;
    Run(1);
    EXPECT_EQ(table->musicTheme, 0u);
    EXPECT_LT(table->musicLevel, 0.0f);
    Run(100);
    EXPECT_NEAR(table->musicLevel, 0.00001f, 1e-6f);
    EXPECT_EQ(imx.musicVolume, 28);
}

}  // namespace
}  // namespace dw
