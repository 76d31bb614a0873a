#include "game/enemy_bullets.h"

#include <cmath>
#include <cstdlib>

#include "game/explosion.h"
#include "ships_fixture.h"

namespace dw {
namespace {

class BulletsTest : public testing::ShipsFixture {
protected:
    FastBullet* Fast(float x, float y, float dx, float dy) {
        const int entry = TakeEnemyShot(&ctx, 1, x, y);
        auto* b = new FastBullet(&ctx);
        b->StartEmitter(0.01f, 0.01f, 0xffffe666, 4, 80, 0, 0, asset::BoardTex, 0, 1, 1, 1, 0.312f, 0, 0.063f, 0.063f,
                        x, y, 0.35f);
        b->ArmBullet(static_cast<std::uint32_t>(entry), 1, 0.0012f, 0);
        b->SetFadeColours(0xff00ffff, 0xffff0000);
        b->SetDirection(dx, dy);
        list.AddObject(b);
        return b;
    }
};

TEST_F(BulletsTest, ASlowBulletFiredDownFromTheBottomEndsOnceItLeavesTheField) {
    const int entry = TakeEnemyShot(&ctx, 0, 0, 0.9f);
    ASSERT_EQ(entry, 0);
    auto* b = new SlowBullet(&ctx);
    b->SetStart(0, 0.9f);
    b->Fire(0, 0, 1, 0);
    list.AddObject(b);
    EXPECT_EQ(ctx.soundRequests[0].flag, 1);
    // 0.1 / 0.0006 = 167 ms: ten frames of 16 ms stay inside, the eleventh leaves.
    Frames(10);
    EXPECT_EQ(Count("bulslow"), 1);
    EXPECT_NEAR(ctx.enemyShots[0].y, 0.9f + 160 * 0.0006f, 1e-4f);
    Frame();
    EXPECT_EQ(Count("bulslow"), 0);
    EXPECT_EQ(ctx.enemyShots[0].active, 0);
    EXPECT_EQ(ctx.enemyShots[0].damage, 0u);
}

TEST_F(BulletsTest, ASlowBulletMovesSlowerSidewaysAndFreesItsEntryOnAHit) {
    TakeEnemyShot(&ctx, 0, 0, 0);
    auto* b = new SlowBullet(&ctx);
    b->SetStart(0, 0);
    b->Fire(0, 1, 1, 0);
    list.AddObject(b);
    Frames(10);
    const float d = 160.0f / std::sqrt(2.0f);
    EXPECT_NEAR(ctx.enemyShots[0].x, d * 0.00045f, 1e-4f);
    EXPECT_NEAR(ctx.enemyShots[0].y, d * 0.0006f, 1e-4f);
    ctx.enemyShots[0].hit = 1;
    Frame();
    EXPECT_EQ(Count("bulslow"), 0);
    EXPECT_EQ(ctx.enemyShots[0].active, 0);
    // The entry serves the next shot at once.
    EXPECT_EQ(TakeEnemyShot(&ctx, 2, 0, 0), 0);
    EXPECT_EQ(ctx.enemyShots[0].damage, 120u);
}

TEST_F(BulletsTest, ACustomSlowBulletDealsItsKindsDamageAndRequestsItsOwnSound) {
    TakeEnemyShot(&ctx, 0, 0, 0);
    auto* b = new SlowBullet(&ctx);
    b->SetStart(0, 0);
    b->SetLook(0xfffff333, 0xffff2000, 0.06f, 4);
    b->Fire(0, 0, 1, 2);
    EXPECT_EQ(ctx.enemyShots[0].damage, 120u);
    EXPECT_EQ(ctx.soundRequests[4].flag, 1);
    EXPECT_EQ(ctx.soundRequests[0].flag, 0);
    delete b;
}

TEST_F(BulletsTest, NoFreeEntryMeansNoBullet) {
    for (auto& s : ctx.enemyShots) s.active = 1;
    EXPECT_EQ(TakeEnemyShot(&ctx, 0, 0, 0), -1);
}

TEST_F(BulletsTest, AFastBulletCorrectsForTheAspectAndLingersOneFrameOutside) {
    Fast(0.9f, 0, 1, 0);
    EXPECT_EQ(ctx.enemyShots[0].damage, 40u);
    EXPECT_EQ(ctx.soundRequests[1].flag, 1);  // "Game1Enemy"
    Frames(5);
    EXPECT_NEAR(ctx.enemyShots[0].x, 0.9f + 80 * 0.0012f * 0.75f, 1e-4f);
    Frames(2);  // x passes 1.0 in this frame ...
    EXPECT_EQ(Count("bulfast"), 1);
    EXPECT_GT(ctx.enemyShots[0].x, 1.0f);
    EXPECT_EQ(ctx.enemyShots[0].active, 1);
    Frame();  // ... and the bullet is gone in the next, trail and all
    EXPECT_EQ(Count("bulfast"), 0);
    EXPECT_EQ(ctx.enemyShots[0].active, 0);
}

// The menu opened mid-game pauses the fast bullets with the rest of play: one
// flying on while nothing can be hit would pass through the waiting ship.
TEST_F(BulletsTest, AFastBulletWaitsWithTheRestOfPlayWhileTheMenuIsOpen) {
    Fast(0.0f, 0.5f, 0, 1);
    Frame();
    const float y = ctx.enemyShots[0].y;
    ctx.currentScreen = Screen::Menu;
    Frames(200);
    EXPECT_EQ(Count("bulfast"), 1);
    EXPECT_EQ(ctx.enemyShots[0].active, 1);
    EXPECT_EQ(ctx.enemyShots[0].y, y);
    ctx.currentScreen = Screen::Game;
    Frame();
    EXPECT_NEAR(ctx.enemyShots[0].y, y + 16 * 0.0012f, 1e-5f);
}

TEST_F(BulletsTest, AFastBulletsTrailShrinksAndFades) {
    FastBullet* b = Fast(0, -0.5f, 0, 1);
    Frames(3);
    ASSERT_GT(b->LiveCount(), 2u);
    // The oldest particle is the smallest and furthest toward the end colour.
    float minSide = 1e9f, maxSide = 0;
    for (std::uint32_t i = 0; i < b->LiveCount(); ++i) {
        const ScreenVertex* v = b->DrawArray() + 6 * i;
        const float side = v[5].x - v[0].x;
        minSide = std::min(minSide, side);
        maxSide = std::max(maxSide, side);
        EXPECT_GE(side, 800 * 0.01f * 0.2f - 1e-3f);
        EXPECT_LE(side, 800 * 0.01f + 1e-3f);
    }
    EXPECT_LT(minSide, maxSide);
    EXPECT_GE(queue.EntryCount(), 2u);  // trail and head
}

TEST_F(BulletsTest, ACloudHeadsForTheNearestShipAndKeepsItsPointWhenTheShipDies) {
    HitSlot& far = ctx.shipSlots[0];
    far.active = 1;
    far.boxMin[0] = far.boxMax[0] = 0.8f;
    far.boxMin[1] = far.boxMax[1] = 0.8f;
    HitSlot& near = ctx.shipSlots[2];
    near.active = 1;
    near.boxMin[0] = -0.2f;
    near.boxMax[0] = 0.0f;
    near.boxMin[1] = 0.4f;
    near.boxMax[1] = 0.6f;
    TakeEnemyShot(&ctx, 1, 0, -0.5f);
    auto* c = new CloudBullet(&ctx);
    c->SetStart(0, -0.5f);
    c->Launch(0, 0, 1, 1);
    list.AddObject(c);
    EXPECT_FLOAT_EQ(c->TargetX(), -0.1f);
    EXPECT_FLOAT_EQ(c->TargetY(), 0.5f);
    near = {};
    Frames(60);
    EXPECT_FLOAT_EQ(c->TargetX(), -0.1f);
    EXPECT_LT(c->X(), 0.0f);  // bending toward the old point
    EXPECT_EQ(ctx.soundRequests[1].flag, 1);
}

TEST_F(BulletsTest, ACloudCannotLeaveBeforeItHasPassedItsPoint) {
    TakeEnemyShot(&ctx, 1, 0.95f, 0);
    auto* c = new CloudBullet(&ctx);
    c->SetStart(0.95f, 0);
    c->Launch(0, 1, 0, 1);  // no ship: the point is (0, 0), behind it
    list.AddObject(c);
    Frames(40);
    EXPECT_EQ(Count("bulcloud"), 1);
}

class ExplosionTest : public testing::ShipsFixture {};

TEST_F(ExplosionTest, ADelayedBlastWaitsThenRunsItsFullCourse) {
    ctx.random.Seed(11);
    auto* e = new Explosion(&ctx);
    e->Setup(0, 0, 0.1f, 5);
    e->SetDelay(900);
    list.AddObject(e);
    EXPECT_GE(e->Fragments(), 4u);
    EXPECT_LE(e->Fragments(), 6u);
    Frames(56);  // 896 ms
    EXPECT_TRUE(e->Waiting());
    EXPECT_EQ(Count("fpart"), 0);
    EXPECT_EQ(queue.EntryCount(), 0u);
    Frame();
    EXPECT_FALSE(e->Waiting());
    EXPECT_EQ(Count("fpart"), static_cast<int>(e->Fragments()));
    EXPECT_GE(queue.EntryCount(), 3u);  // flash, fireball, blast sprite
    Frames(50);                         // 800 ms
    EXPECT_EQ(Count("explo"), 1);
    Frames(2);
    EXPECT_EQ(Count("explo"), 0);
}

TEST_F(ExplosionTest, KindZeroThrowsNoFragmentsAndFlagZeroHidesTheFireball) {
    auto* e = new Explosion(&ctx);
    e->Setup(0, 0, 0.1f, 0, 0);
    list.AddObject(e);
    Frame();
    EXPECT_EQ(Count("fpart"), 0);
    EXPECT_EQ(queue.EntryCount(), 2u);  // flash and blast sprite
}

TEST_F(ExplosionTest, AFragmentEndsOnlyAfterItsLastSparkHasDied) {
    auto* e = new Explosion(&ctx);
    e->Setup(0, 0, 0.1f, 3);
    while (e->Fragments() == 0) e->Setup(0, 0, 0.1f, 3);
    list.AddObject(e);
    Frame();
    ASSERT_GT(Count("fpart"), 0);
    Frames(25);  // 400 ms: emission stops
    EXPECT_GT(Count("fpart"), 0);
    Frames(18);  // sparks still fading
    EXPECT_GT(Count("fpart"), 0);
    Frames(2);  // past 300 ms after the stop
    EXPECT_EQ(Count("fpart"), 0);
}

TEST_F(ExplosionTest, ALevelStartRemovesBlastsAndFragments) {
    auto* e = new Explosion(&ctx);
    e->Setup(0, 0, 0.1f, 5);
    list.AddObject(e);
    Frame();
    ctx.gameStartPending = 1;
    Frame();
    EXPECT_EQ(Count("explo"), 0);
    EXPECT_EQ(Count("fpart"), 0);
}

}  // namespace
}  // namespace dw
