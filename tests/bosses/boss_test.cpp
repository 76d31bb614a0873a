// The bosses and the objects they bring along, in a headless game screen.
#include <cmath>
#include <set>

#include "game/bosses.h"
#include "game/enemy_bullets.h"
#include "game/spawn_factory.h"
#include "game/spawner.h"
#include "ships/ships_fixture.h"

namespace dw::testing {
namespace {

class BossTest : public ShipsFixture {
protected:
    // A boss as the spawner brings it in: a ram-proof slot and the factory.
    Boss* Spawn(int code) {
        const int slot = TakeEnemySlot(&ctx, ctx.enemyHitPoints[0], -1.4f, false, true);
        EXPECT_GE(slot, 0);
        auto* boss = static_cast<Boss*>(CreateBoss(&ctx, code, 0.11f, code >= 18 ? -1.5f : -1.4f, 0, slot));
        EXPECT_NE(boss, nullptr);
        list.AddObject(boss);
        bossSlot = slot;
        return boss;
    }
    bool RunUntil(const std::function<bool()>& done, int maxFrames) {
        for (int i = 0; i < maxFrames; ++i) {
            if (done()) return true;
            Frame();
        }
        return done();
    }
    void PlaceShip(int i, float x, float y, std::uint32_t hp = 1000) {
        HitSlot& s = ctx.shipSlots[i];
        s = HitSlot{};
        s.active = 1;
        s.hitPoints = hp;
        s.boxMin[0] = x - 0.05f;
        s.boxMax[0] = x + 0.05f;
        s.boxMin[1] = y - 0.05f;
        s.boxMax[1] = y + 0.05f;
    }
    std::set<std::uint32_t> BallIndices() {
        std::set<std::uint32_t> out;
        for (auto* b : Objects<OrbitBall>("rball")) out.insert(b->Index());
        return out;
    }
    int bossSlot = -1;
};

TEST_F(BossTest, CarrierReleasesNineBallsAndRegeneratesEveryMissingOne) {
    Spawn(15);
    ASSERT_TRUE(RunUntil([&] { return Count("rball") == 9; }, 2000));
    EXPECT_EQ(BallIndices().size(), 9u);
    for (auto b : ctx.bossLink.ballPresent) EXPECT_EQ(b, 1);

    // Let the balls reach the ring, then shoot down balls 2 and 7.
    Frames(200);
    for (auto* b : Objects<OrbitBall>("rball"))
        if (b->Index() == 2 || b->Index() == 7) ctx.enemySlots[b->Slot()].destroyed = 1;
    const std::uint32_t before = ctx.score;
    Frame();
    Frame();
    EXPECT_EQ(Count("rball"), 7);
    EXPECT_EQ(ctx.score - before, 2u * 500u);
    EXPECT_EQ(ctx.bossLink.ballPresent[2], 0);
    EXPECT_EQ(ctx.bossLink.ballPresent[7], 0);

    // The bay opens again and replaces exactly the two missing balls.
    ASSERT_TRUE(RunUntil([&] { return Count("rball") == 9; }, 1000));
    EXPECT_EQ(BallIndices().size(), 9u);

    // All nine gone at once: nine new ones in one release.
    Frames(200);
    for (auto* b : Objects<OrbitBall>("rball")) ctx.enemySlots[b->Slot()].destroyed = 1;
    Frame();
    Frame();
    EXPECT_EQ(Count("rball"), 0);
    ASSERT_TRUE(RunUntil([&] { return Count("rball") > 0; }, 1000));
    EXPECT_EQ(Count("rball"), 9);
}

// The ball bay is a cycle of its own: the balls come out while the carrier
// is still falling in (the fall takes 4.5 s, the bay opens in about 1.1 s).
TEST_F(BossTest, CarrierReleasesItsBallsWhileItFallsIn) {
    Boss* boss = Spawn(15);
    ASSERT_TRUE(RunUntil([&] { return Count("rball") == 9; }, 2000));
    EXPECT_EQ(boss->State(), CarrierBoss::kFalling);
    EXPECT_LT(boss->Y(), -0.5f);
}

TEST_F(BossTest, StationsRepairTheGunshipUntilTheyAreDestroyed) {
    Boss* boss = Spawn(16);
    ASSERT_EQ(Count("hstat"), 2);
    ASSERT_TRUE(RunUntil(
        [&] {
            auto st = Objects<RepairStation>("hstat");
            return st.size() == 2 && st[0]->State() == 2 && st[1]->State() == 2;
        },
        4000));
    // One to the right of the boss, one to the left.
    auto stations = Objects<RepairStation>("hstat");
    EXPECT_GT(std::max(stations[0]->X(), stations[1]->X()), boss->X() + 0.3f);
    EXPECT_LT(std::min(stations[0]->X(), stations[1]->X()), boss->X() - 0.3f);

    HitSlot& slot = ctx.enemySlots[boss->Slot()];
    slot.hitPoints = 10000;
    Frames(125);  // 2 s: each station adds 250 about every half second
    EXPECT_GE(slot.hitPoints, 10000u + 2 * 3 * 250);
    EXPECT_LE(slot.hitPoints, 10000u + 2 * 4 * 250);

    // Never above full health.
    slot.hitPoints = 19900;
    Frames(125);
    EXPECT_EQ(slot.hitPoints, 20000u);

    // Destroy both stations: they score, and the repairs stop.
    const std::uint32_t before = ctx.score;
    for (auto* st : Objects<RepairStation>("hstat")) ctx.enemySlots[st->Slot()].destroyed = 1;
    Frame();
    EXPECT_EQ(Count("hstat"), 0);
    EXPECT_EQ(ctx.score - before, 30000u);
    slot.hitPoints = 5000;
    Frames(125);
    EXPECT_EQ(slot.hitPoints, 5000u);
}

TEST_F(BossTest, BombDetonatesAtHalfWayDownAndHurtsShipsWithinReach) {
    ctx.bossLink.boss2BayY = -1.0f;
    PlaceShip(0, 0.0f, 0.8f);    // about 0.3 away at the blast
    PlaceShip(1, 0.9f, 0.5f);    // out of reach
    PlaceShip(2, -0.2f, 0.55f);  // in reach, but holds the shield
    ctx.shieldActive = 1;
    ctx.shieldShipSlot = 2;
    const int slot = TakeChildSlot(&ctx, 2000, -1.2f, false);
    auto* bomb = new Bomb(&ctx);
    bomb->SetStart(0.0f, 0.3f);
    bomb->AttachSlot(static_cast<std::uint32_t>(slot));
    list.AddObject(bomb);
    float lastY = 0;
    ASSERT_TRUE(RunUntil(
        [&] {
            if (Count("dbomb") == 0) return true;
            lastY = bomb->Y();
            return false;
        },
        3000));
    // Its last frame before the blast was within one step of y 0.5.
    EXPECT_LT(lastY, 0.5f);
    EXPECT_GT(lastY, 0.5f - 0.0005f * 16);
    EXPECT_EQ(ctx.score, 500u);
    EXPECT_EQ(ctx.enemySlots[slot].active, 0);
    // Damage falls off with distance: trunc((0.5 - d) x 1500).
    EXPECT_LT(ctx.shipSlots[0].hitPoints, 1000u - 250u);
    EXPECT_GT(ctx.shipSlots[0].hitPoints, 1000u - 350u);
    EXPECT_EQ(ctx.shipSlots[1].hitPoints, 1000u);
    EXPECT_EQ(ctx.shipSlots[2].hitPoints, 1000u);

    // A ship with fewer hit points than the damage is destroyed.
    ctx.shieldActive = 0;
    PlaceShip(0, 0.0f, 0.6f, 100);
    const int slot2 = TakeChildSlot(&ctx, 2000, -1.2f, false);
    auto* bomb2 = new Bomb(&ctx);
    bomb2->SetStart(0.0f, 0.3f);
    bomb2->AttachSlot(static_cast<std::uint32_t>(slot2));
    list.AddObject(bomb2);
    ASSERT_TRUE(RunUntil([&] { return Count("dbomb") == 0; }, 3000));
    EXPECT_EQ(ctx.shipSlots[0].destroyed, 1);
}

TEST_F(BossTest, BomberDropsBombsThatFollowItUntilTheyFall) {
    Spawn(17);
    ASSERT_TRUE(RunUntil([&] { return Count("dbomb") > 0; }, 3000));
    auto* bomb = Objects<Bomb>("dbomb").front();
    Frames(10);
    EXPECT_FLOAT_EQ(bomb->X(), ctx.bossLink.boss2X);
}

// Only the bomb bay waits for the landing: the turret fires its first cycle
// a second after the bomber appears, while it still falls in.
TEST_F(BossTest, BomberTurretFiresWhileItFallsInButNoBombDrops) {
    Boss* boss = Spawn(17);
    const std::uint32_t start = ctx.timeNow;
    ASSERT_TRUE(RunUntil([&] { return Count("bulfast") > 0; }, 2000));
    EXPECT_EQ(boss->State(), BomberBoss::kFalling);
    EXPECT_GE(ctx.timeNow - start, 1000u);
    EXPECT_LE(ctx.timeNow - start, 1100u);
    EXPECT_EQ(Count("bulfast"), 3);
    ASSERT_TRUE(RunUntil([&] { return boss->State() != BomberBoss::kFalling; }, 2000));
    EXPECT_EQ(Count("dbomb"), 0);
}

TEST_F(BossTest, CloudLauncherIsShotProofFromSalvoStartUntilHalfASecondAfterTheFourthVolley) {
    Boss* boss = Spawn(18);
    HitSlot& slot = ctx.enemySlots[bossSlot];
    // Falling in: it can be hurt.
    for (int i = 0; i < 50; ++i) {
        Frame();
        EXPECT_EQ(slot.shotProof, 0);
    }
    std::set<MyObject*> seen;
    std::vector<std::uint32_t> volleyTimes;
    bool proofSeenBeforeFirstVolley = false;
    std::uint32_t clearedAt = 0;
    for (int i = 0; i < 4000 && clearedAt == 0; ++i) {
        Frame();
        int fresh = 0;
        for (auto* c : Objects("bulcloud"))
            if (seen.insert(c).second) ++fresh;
        if (fresh > 0) {
            EXPECT_EQ(fresh, 3);
            volleyTimes.push_back(ctx.timeNow);
            EXPECT_EQ(slot.shotProof, 1);
        }
        if (slot.shotProof && volleyTimes.empty()) proofSeenBeforeFirstVolley = true;
        if (!slot.shotProof && volleyTimes.size() == 4) clearedAt = ctx.timeNow;
    }
    EXPECT_TRUE(proofSeenBeforeFirstVolley);
    ASSERT_EQ(volleyTimes.size(), 4u);
    EXPECT_GE(volleyTimes[1] - volleyTimes[0], 300u);
    EXPECT_GE(clearedAt, volleyTimes[3] + 500);
    EXPECT_LE(clearedAt, volleyTimes[3] + 500 + 32);
    // It then turns a third of a turn and can be hurt while turning.
    EXPECT_EQ(boss->State(), CloudBoss::kTurning);
    Frame();
    EXPECT_EQ(slot.shotProof, 0);
}

// The cloud launcher fires along three fixed arm angles, 0, 120 and 240
// degrees, so its body must stand at one of its three-fold positions when it
// fires: it comes to rest on the next one ahead of where its fall left it
// (not a fixed 150 degrees further on), and each turn between salvos ends on
// the next.
TEST_F(BossTest, CloudLauncherRestsOnTheNextThreeFoldPositionAhead) {
    Boss* boss = Spawn(18);
    auto* cloud = static_cast<CloudBoss*>(boss);
    const float third = 2.0943952f;
    ASSERT_TRUE(RunUntil([&] { return boss->State() == CloudBoss::kComingToRest; }, 5000));
    const float landed = cloud->BodyAngle();
    std::vector<float> rests;
    std::uint32_t last = boss->State();
    for (int i = 0; i < 20000 && rests.size() < 3; ++i) {
        Frame();
        const std::uint32_t now = boss->State();
        if (now == CloudBoss::kArming ||
            (now == CloudBoss::kSalvo && last != CloudBoss::kArming && last != CloudBoss::kSalvo))
            rests.push_back(cloud->BodyAngle());
        last = now;
    }
    ASSERT_EQ(rests.size(), 3u);
    EXPECT_GT(rests[0], landed);
    EXPECT_LE(rests[0] - landed, third + 1e-4f);
    for (std::size_t k = 0; k < rests.size(); ++k) {
        const float steps = rests[k] / third;
        EXPECT_NEAR(steps, std::round(steps), 1e-4f) << "rest " << k << " at " << rests[k];
        if (k > 0) {
            EXPECT_NEAR(rests[k] - rests[k - 1], third, 1e-4f);
        }
    }
}

TEST_F(BossTest, FortressStopsLaunchingFiguresWhenNoSlotIsFree) {
    Spawn(19);
    ASSERT_TRUE(RunUntil([&] { return Count("fufig") > 0; }, 3000));
    // Take every slot that is still free.
    for (int i = 0; i < kEnemySlots; ++i)
        if (!ctx.enemySlots[i].active) ctx.enemySlots[i].active = 1;
    auto* boss = Objects<FortressBoss>("bigbos4").front();
    const std::uint32_t launched = boss->Launched();
    Frames(60);
    EXPECT_EQ(boss->Launched(), launched);
    // Free some: the stream resumes.
    for (int i = 100; i < 110; ++i) ctx.enemySlots[i] = HitSlot{};
    Frames(30);
    EXPECT_GT(boss->Launched(), launched);
}

TEST_F(BossTest, HealthBarFollowsHitPointsForEveryBoss) {
    for (int code = 15; code <= 19; ++code) {
        SCOPED_TRACE(code);
        Boss* boss = Spawn(code);
        HitSlot& slot = ctx.enemySlots[boss->Slot()];
        const float w = static_cast<float>(ctx.screenWidth);
        for (std::uint32_t hp : {20000u, 15000u, 5000u, 1u}) {
            slot.hitPoints = hp;
            Frame();
            if (code == 16) slot.hitPoints = hp;  // repairs come later in the fight
            const ScreenVertex* bar = boss->HealthBar();
            const float width = (bar[1].x - bar[0].x) / (w * 0.5f);
            EXPECT_NEAR(width, 0.4f * static_cast<float>(hp) / 20000.0f, 0.003f);
            EXPECT_NEAR(bar[0].x, (-0.52f + 1.0f) * w * 0.5f, 0.01f);
            // The frame stays whole around the bar at full length, whatever is left.
            const ScreenVertex* frame = boss->HealthBarFrame();
            EXPECT_NEAR(frame[0].x, bar[0].x - 0.015f * w * 0.5f, 0.01f);
            EXPECT_NEAR(frame[1].x, bar[0].x + 0.415f * w * 0.5f, 0.01f);
            EXPECT_LT(frame[0].y, bar[0].y);
            EXPECT_GT(frame[2].y, bar[2].y);
        }
        // Thick enough to read at a glance: 12 of the 24 px of its frame on an 800 x 600 screen.
        const ScreenVertex* bar = boss->HealthBar();
        EXPECT_NEAR((bar[2].y - bar[0].y) / static_cast<float>(ctx.screenHeight), 0.02f, 0.001f);
        ctx.gameStartPending = 1;  // clear it away for the next one
        Frame();
        ctx.gameStartPending = 0;
        EXPECT_EQ(Count(std::string("bigbos") + static_cast<char>('0' + code - 15)), 0);
    }
}

TEST_F(BossTest, DestroyedBossScoresEndsItsChildrenAndFreesEverySlot) {
    Spawn(15);
    ASSERT_TRUE(RunUntil([&] { return Count("rball") == 9; }, 2000));
    ctx.enemySlots[bossSlot].destroyed = 1;
    Frame();
    EXPECT_EQ(Count("bigbos0"), 0);
    EXPECT_EQ(ctx.bossLink.boss0Done, 1);
    EXPECT_GE(ctx.score, 100000u);
    Frame();
    // The balls around it all explode and score.
    EXPECT_EQ(Count("rball"), 0);
    EXPECT_EQ(ctx.score, 100000u + 9u * 500u);
    for (int i = 0; i < kEnemySlots; ++i) EXPECT_EQ(ctx.enemySlots[i].active, 0) << i;
    EXPECT_GE(Count("explo"), 6);
}

TEST_F(BossTest, LevelStartClearsABossAndItsChildrenWithoutScore) {
    Spawn(16);
    Frames(5);
    ctx.gameStartPending = 1;
    Frame();
    Frame();
    EXPECT_EQ(Count("bigbos1"), 0);
    EXPECT_EQ(Count("hstat"), 0);
    EXPECT_EQ(ctx.score, 0u);
    for (int i = 0; i < kEnemySlots; ++i) EXPECT_EQ(ctx.enemySlots[i].active, 0) << i;
}

}  // namespace
}  // namespace dw::testing
