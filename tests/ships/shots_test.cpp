#include "game/explosion.h"
#include "game/player_shots.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "ships_fixture.h"

namespace dw {
namespace {

class ShotsTest : public testing::ShipsFixture {
protected:
    LaserShot* Bolt(int slot, float x, float y) {
        ShotSlot& s = ctx.playerShots[slot];
        s.active = 1;
        s.size = 0.01f;
        auto* shot = new LaserShot(&ctx);
        shot->StartEmitter(0.008f, 0.008f, 0xffffe666, 2, 80, 0, 0, asset::BoardTex, 0, 1, 1, 1, 0.312f, 0, 0.063f,
                           0.063f, x, y, 0.5f);
        shot->AttachShot(static_cast<std::uint32_t>(slot), 1, 0.0017f);
        list.AddObject(shot);
        return shot;
    }
    Rocket* Launch(int slot, float x, float y) {
        RocketSlot& s = ctx.rocketSlots[slot];
        s.active = 1;
        s.size = 0.01f;
        s.blastRadius = 0.5f;
        auto* rocket = new Rocket(&ctx);
        rocket->StartEmitter(0.01f, 0.01f, 0xffeeeeee, 1, 160, 0, 0, asset::BoardTex, 0, 1, 1, 1, 0.312f, 0, 0.063f,
                             0.063f, x, y, 0.51f);
        rocket->AttachRocket(static_cast<std::uint32_t>(slot), 0, 0.0015f);
        list.AddObject(rocket);
        return rocket;
    }
};

TEST_F(ShotsTest, ABoltFliesUpWritesItsSlotAndEndsTheFrameAfterAHit) {
    Bolt(3, 0.2f, 0.5f);
    EXPECT_EQ(ctx.playerShots[3].damage, 125u);  // kind 1
    Frames(10);
    EXPECT_NEAR(ctx.playerShots[3].y, 0.5f - 160 * 0.0017f, 1e-4f);
    EXPECT_FLOAT_EQ(ctx.playerShots[3].x, 0.2f);
    EXPECT_EQ(Count("smbul"), 1);
    EXPECT_GT(queue.EntryCount(), 0u);  // trail, head and glow

    ctx.playerShots[3].hit = 1;  // the Game table's verdict
    Frame();
    EXPECT_EQ(Count("smbul"), 0);
    EXPECT_EQ(ctx.playerShots[3].active, 0);
    EXPECT_EQ(ctx.playerShots[3].hit, 0);
    EXPECT_EQ(ctx.playerShots[3].damage, 0u);
    EXPECT_EQ(Count("explo"), 0);
}

TEST_F(ShotsTest, ABoltLeavingTheTopEndsWithoutEffect) {
    Bolt(0, 0, -0.95f);
    Frames(3);
    EXPECT_EQ(Count("smbul"), 0);
    EXPECT_EQ(ctx.playerShots[0].active, 0);
    EXPECT_EQ(Count("explo"), 0);
}

TEST_F(ShotsTest, ALaserLevelTwoBoltFliesAlongItsNormalisedDirection) {
    LaserShot* shot = Bolt(0, 0, 0.5f);
    shot->SetDirection(0.05f, -1.0f);
    Frames(10);
    const float len = std::sqrt(0.05f * 0.05f + 1.0f);
    EXPECT_NEAR(ctx.playerShots[0].x, 160 * 0.0017f * 0.05f / len, 1e-4f);
    EXPECT_NEAR(ctx.playerShots[0].y, 0.5f - 160 * 0.0017f / len, 1e-4f);
}

TEST_F(ShotsTest, APlasmaBallLivesAtMost750Milliseconds) {
    ctx.playerShots[5].active = 1;
    auto* ball = new PlasmaShot(&ctx);
    ball->SetStart(0, 0.9f);
    ball->AttachShot(5, 5, 0.0001f);  // slow enough to stay on the field
    ball->SetDirection(0, -1);
    list.AddObject(ball);
    Frames(46);  // 736 ms
    EXPECT_EQ(Count("rwbul"), 1);
    Frames(1);  // 752 ms
    EXPECT_EQ(Count("rwbul"), 0);
    EXPECT_EQ(ctx.playerShots[5].active, 0);
}

TEST_F(ShotsTest, ARocketWithNothingAheadFliesStraightAndSpeedsUpToItsTopSpeed) {
    PlaceEnemySlot(0, 0.3f, 0.95f);  // behind the rocket: ignored
    Rocket* rocket = Launch(2, 0, 0.9f);
    EXPECT_EQ(ctx.rocketSlots[2].damage, 250u);
    float lastY = 0.9f;
    float lastStep = 0;
    for (int i = 0; i < 34; ++i) {
        Frame();
        const float step = lastY - ctx.rocketSlots[2].y;
        EXPECT_GE(step, lastStep - 1e-6f);
        lastStep = step;
        lastY = ctx.rocketSlots[2].y;
    }
    EXPECT_FALSE(rocket->HasTarget());
    EXPECT_FLOAT_EQ(ctx.rocketSlots[2].x, 0.0f);
    EXPECT_GE(rocket->Speed(), 0.0045f);
    EXPECT_LT(rocket->Speed(), 0.0046f);
    // Out of the top of the field it ends quietly.
    Frames(10);
    EXPECT_EQ(Count("smroc"), 0);
    EXPECT_EQ(ctx.rocketSlots[2].active, 0);
    EXPECT_EQ(Count("explo"), 0);
}

TEST_F(ShotsTest, ARocketBurnsOutAfter1500MsWithAnExplosionWhereItIs) {
    Launch(2, 0, 0.9f);
    // Slow frames: the clock runs on while the rocket barely moves.
    for (int i = 0; i < 93; ++i) {
        clock.Advance(16);
        ctx.AdvanceClocks(clock.Milliseconds());
        ctx.frameTimeAverage = 1;
        list.FrameMoveAll();
    }
    EXPECT_EQ(Count("smroc"), 1);  // 1488 ms
    clock.Advance(16);
    ctx.AdvanceClocks(clock.Milliseconds());
    list.FrameMoveAll();
    EXPECT_EQ(Count("smroc"), 0);
    EXPECT_EQ(ctx.rocketSlots[2].active, 0);
    auto blasts = Objects<Explosion>("explo");
    ASSERT_EQ(blasts.size(), 1u);
    EXPECT_NEAR(blasts[0]->Y(), 0.9f - 0.1f, 0.1f);
    EXPECT_FLOAT_EQ(blasts[0]->Size(), 0.015f * 5.5f);
    EXPECT_EQ(ctx.soundRequests[6].flag, 1);
}

// Everything that moves in play stands still while the menu is open, and its
// deadlines and ages wait with it: a rocket fired before a 10 s pause burns out
// as far along its path as it would have without the pause, a delayed blast
// goes off as many play frames later, and their sparks age only in play.
class PauseTest : public ShotsTest {
protected:
    // One line a play frame: the rocket, its trail, the blasts and sparks.
    std::vector<std::string> Trace(int pauseFrames) {
        ctx.gameInProgress = 1;
        ctx.random.Seed(7);  // the same sparks both times
        Launch(2, 0, 0.9f);
        auto* blast = new Explosion(&ctx);
        blast->Setup(0.3f, 0.2f, 0.05f, 0, 1);
        blast->SetDelay(400);
        list.AddObject(blast);
        std::vector<std::string> out;
        auto frame = [&] {
            clock.Advance(16);
            ctx.AdvanceClocks(clock.Milliseconds());
            ctx.frameTimeAverage = 1;  // slow frames: the rocket stays in the field
            list.FrameMoveAll();
            queue.Clear();
            list.RenderAll();
        };
        for (int i = 0; i < 120; ++i) {
            if (i == 20) {
                ctx.currentScreen = Screen::Menu;
                for (int p = 0; p < pauseFrames; ++p) frame();
                ctx.currentScreen = Screen::Game;
            }
            frame();
            const auto rockets = Objects<Rocket>("smroc");
            std::string line = std::to_string(rockets.size());
            if (!rockets.empty())
                line +=
                    " y=" + std::to_string(ctx.rocketSlots[2].y) + " trail=" + std::to_string(rockets[0]->LiveCount());
            line += " blasts=" + std::to_string(Count("explo")) + " sparks=" + std::to_string(Count("fpart"));
            out.push_back(line);
        }
        list.DestroyAll();
        return out;
    }
};

TEST_F(PauseTest, ShotsBlastsAndSparksGoOnAfterAPauseAsIfThereHadBeenNone) {
    const std::vector<std::string> straight = Trace(0);
    const std::vector<std::string> paused = Trace(625);  // 10 s of menu
    ASSERT_EQ(straight.size(), paused.size());
    for (std::size_t i = 0; i < straight.size(); ++i) ASSERT_EQ(straight[i], paused[i]) << "play frame " << i;
    // The run saw the rocket burn out and the blast go off with its sparks.
    EXPECT_EQ(straight.front().rfind("1 ", 0), 0u) << straight.front();
    EXPECT_EQ(straight.back().rfind("0 ", 0), 0u) << straight.back();
    EXPECT_TRUE(std::any_of(straight.begin(), straight.end(),
                            [](const std::string& l) { return l.find("sparks=0") == std::string::npos; }));
}

// Reduced flashes: every vertex of a blast and of its sparks keeps its
// colour at an eighth of the alpha, frame for frame, and the blast draws the
// same random numbers (a demo replays the same with the option on).
TEST_F(ShotsTest, ReducedFlashesDimABlastsAndItsSparksLightAndNothingElse) {
    const auto run = [&](std::uint8_t reduce) {
        ctx.display.reduceFlashes = reduce;
        ctx.gameInProgress = 1;
        ctx.random.Seed(11);
        auto* blast = new Explosion(&ctx);
        blast->Setup(0.1f, 0.2f, 0.08f, 4, 1);
        list.AddObject(blast);
        std::vector<std::uint32_t> colours;
        for (int i = 0; i < 60; ++i) {
            clock.Advance(16);
            ctx.AdvanceClocks(clock.Milliseconds());
            list.FrameMoveAll();
            queue.Clear();
            list.RenderAll();
            for (std::size_t e = 0; e < queue.EntryCount(); ++e) {
                const DrawEntry& entry = queue.EntryAt(e);
                const auto* v = static_cast<const ScreenVertex*>(entry.vertices);
                for (std::uint32_t k = 0; k < 3 * entry.primitiveCount; ++k) colours.push_back(v[k].diffuse);
            }
        }
        colours.push_back(ctx.random.Next());
        list.DestroyAll();
        return colours;
    };
    const std::vector<std::uint32_t> full = run(0), reduced = run(1);
    ASSERT_EQ(full.size(), reduced.size());
    ASSERT_GT(full.size(), 1000u);  // the flash, fireball, blast and many sparks were drawn
    EXPECT_EQ(full.back(), reduced.back()) << "the random numbers drawn differ";
    for (std::size_t i = 0; i + 1 < full.size(); ++i) {
        ASSERT_EQ(full[i] & 0xFFFFFFu, reduced[i] & 0xFFFFFFu) << "vertex " << i;
        const int alpha = static_cast<int>(full[i] >> 24), dimmed = static_cast<int>(reduced[i] >> 24);
        ASSERT_NEAR(dimmed, alpha * 32 / 255.0, 1.0) << "vertex " << i;
    }
}

TEST_F(ShotsTest, ARocketLocksOnceOnTheNearestEnemyAheadCountingSidewaysDistanceTwice) {
    // A is nearer in plain distance, B once the sideways gap counts double.
    PlaceEnemySlot(4, 0.3f, 0.3f);
    PlaceEnemySlot(7, 0.0f, 0.0f);
    Rocket* rocket = Launch(0, 0, 0.9f);
    Frames(9);
    EXPECT_FALSE(rocket->HasTarget());  // not before 150 ms
    Frames(1);
    ASSERT_TRUE(rocket->HasTarget());
    EXPECT_EQ(rocket->Target(), 7u);

    // It turns toward its target, here straight up the middle.
    Frames(5);
    EXPECT_NEAR(ctx.rocketSlots[0].x, 0.0f, 1e-4f);

    // The target dies: the rocket flies on and never locks again.
    ctx.enemySlots[7].destroyed = 1;
    Frame();
    EXPECT_FALSE(rocket->HasTarget());
    ctx.enemySlots[7] = {};
    PlaceEnemySlot(9, 0.0f, -0.5f);
    Frames(5);
    EXPECT_FALSE(rocket->HasTarget());
}

TEST_F(ShotsTest, ARocketBendsTowardATargetToTheSide) {
    PlaceEnemySlot(1, 0.4f, 0.2f);
    Launch(0, 0, 0.8f);
    Frames(20);
    EXPECT_GT(ctx.rocketSlots[0].x, 0.05f);
}

TEST_F(ShotsTest, ALevelStartRemovesShotsAndRocketsWithoutExplosions) {
    Bolt(0, 0, 0.5f);
    Launch(0, 0, 0.5f);
    Frame();
    ctx.gameStartPending = 1;
    Frame();
    EXPECT_EQ(Count("smbul"), 0);
    EXPECT_EQ(Count("smroc"), 0);
    EXPECT_EQ(Count("explo"), 0);
    EXPECT_EQ(ctx.playerShots[0].active, 0);
    EXPECT_EQ(ctx.rocketSlots[0].active, 0);
}

TEST_F(ShotsTest, AFlameLetGoDiesOnceItsLastParticleHasFaded) {
    auto* flame = new EngineFlame(&ctx);
    flame->StartEmitter(0.01f, 0.01f, 0xff11aaff, 3, 15, 0.001f, 0, asset::BoardTex, 0, 1, 1, 1, 0.312f, 0, 0.063f,
                        0.063f, 0, 0.8f, 0.45f);
    list.AddObject(flame);
    for (int i = 0; i < 5; ++i) {
        flame->EmitAlong(0, 0.8f, 0.45f);
        Frame();
    }
    EXPECT_GT(flame->LiveCount(), 0u);
    flame->Release();
    Frame(4);
    EXPECT_EQ(Count("wflame"), 1);
    Frames(3);
    EXPECT_EQ(Count("wflame"), 0);
}

}  // namespace
}  // namespace dw
