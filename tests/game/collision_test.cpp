#include <cstdlib>

#include "game/collision.h"
#include "game_fixture.h"

namespace dw {
namespace {

using testing::GameFixture;

bool Overlap(float a1x, float a1y, float a2x, float a2y, float b1x, float b1y, float b2x, float b2y) {
    return RectsOverlap(a1x, a1y, a2x, a2y, b1x, b1y, b2x, b2y) >= 0;
}

TEST(RectsOverlap, TouchingCountsOnlyAtTheLowSideOfTheWiderExtent) {
    // Unit squares side by side at the same height.
    EXPECT_TRUE(Overlap(0, 0, 1, 1, -1, 0, 0, 1));  // B left of A: B's right edge is A's left edge
    EXPECT_FALSE(Overlap(0, 0, 1, 1, 1, 0, 2, 1));  // B right of A
    EXPECT_TRUE(Overlap(0, 0, 1, 1, 0, -1, 1, 0));  // B above A, touching
    EXPECT_FALSE(Overlap(0, 0, 1, 1, 0, 1, 1, 2));  // B below A, touching
    EXPECT_EQ(RectsOverlap(0, 0, 1, 1, 1, 0, 2, 1), E_FAIL);
    EXPECT_EQ(RectsOverlap(0, 0, 1, 1, 0.5f, 0.5f, 2, 2), S_OK);
}

TEST(RectsOverlap, ContainmentWorksEitherWayRound) {
    // A small rectangle wholly inside a big one, passed as A or as B.
    EXPECT_TRUE(Overlap(0.4f, 0.4f, 0.6f, 0.6f, 0, 0, 1, 1));
    EXPECT_TRUE(Overlap(0, 0, 1, 1, 0.4f, 0.4f, 0.6f, 0.6f));
    // A wide flat bar crossing a tall thin one: each axis uses its narrower extent.
    EXPECT_TRUE(Overlap(-1, 0.45f, 1, 0.55f, 0.45f, -1, 0.55f, 1));
    EXPECT_FALSE(Overlap(-1, 0.45f, 1, 0.55f, 1.5f, -1, 1.6f, 1));
    // A zero-size box (a fresh slot) inside another counts.
    EXPECT_TRUE(Overlap(0.5f, 0.5f, 0.5f, 0.5f, 0, 0, 1, 1));
}

class CollisionTest : public GameFixture {
protected:
    HitSlot& Enemy(int i, float x, float y, std::uint32_t hp, float half = 0.05f) {
        HitSlot& s = ctx.enemySlots[i];
        s = HitSlot{};
        s.active = 1;
        s.hitPoints = hp;
        s.boxMin[0] = x - half;
        s.boxMin[1] = y - half;
        s.boxMax[0] = x + half;
        s.boxMax[1] = y + half;
        return s;
    }
    ShotSlot& Shot(int i, float x, float y, std::uint32_t damage) {
        ShotSlot& s = ctx.playerShots[i];
        s = ShotSlot{};
        s.active = 1;
        s.damage = damage;
        s.size = 0.01f;
        s.x = x;
        s.y = y;
        return s;
    }
    HitSlot& Ship(int i, float x, float y, std::uint32_t hp) {
        HitSlot& s = ctx.shipSlots[i];
        s = HitSlot{};
        s.active = 1;
        s.hitPoints = hp;
        s.boxMin[0] = x - 0.085f;
        s.boxMin[1] = y;
        s.boxMax[0] = x + 0.085f;
        s.boxMax[1] = y + 0.1f;
        return s;
    }
    void SetUp() override {
        GameFixture::SetUp();
        ctx.random.Seed(1);
    }
};

TEST_F(CollisionTest, ShotDamagesOnlyTheLowestSlotAndDamageEqualToHitPointsKills) {
    Enemy(4, 0, 0, 200);
    Enemy(9, 0, 0, 200);
    ShotSlot& a = Shot(0, 0, 0, 125);
    RunCollisionPass(&ctx);
    EXPECT_EQ(ctx.enemySlots[4].hitPoints, 75u);
    EXPECT_EQ(ctx.enemySlots[9].hitPoints, 200u);
    EXPECT_EQ(a.hit, 1);

    // 75 left: a shot of 74 leaves one, a shot of exactly the rest kills.
    a = ShotSlot{};
    Shot(1, 0, 0, 74);
    RunCollisionPass(&ctx);
    EXPECT_EQ(ctx.enemySlots[4].hitPoints, 1u);
    EXPECT_EQ(ctx.enemySlots[4].destroyed, 0);
    ctx.playerShots[1] = ShotSlot{};
    Shot(2, 0, 0, 1);
    RunCollisionPass(&ctx);
    EXPECT_EQ(ctx.enemySlots[4].destroyed, 1);
    EXPECT_EQ(ctx.enemySlots[4].hitPoints, 1u) << "a killing hit leaves the hit points";
    EXPECT_EQ(ctx.enemySlots[9].hitPoints, 200u);

    // The destroyed enemy is still active, so it still takes the next shot.
    ctx.playerShots[2] = ShotSlot{};
    ShotSlot& d = Shot(3, 0, 0, 10);
    RunCollisionPass(&ctx);
    EXPECT_EQ(d.hit, 1);
    EXPECT_EQ(ctx.enemySlots[9].hitPoints, 200u);
}

TEST_F(CollisionTest, ShotProofEnemyUsesTheShotUpWithoutDamageAndMissesAreUntouched) {
    Enemy(0, 0, 0, 300).shotProof = 1;
    ShotSlot& s = Shot(0, 0, 0, 1000);
    ShotSlot& miss = Shot(1, 0.5f, 0.5f, 1000);
    ctx.playerShots[2] = ShotSlot{};
    ctx.playerShots[2].x = 0;  // inactive shots do nothing
    ctx.playerShots[2].damage = 1000;
    ctx.playerShots[2].size = 0.01f;
    RunCollisionPass(&ctx);
    EXPECT_EQ(s.hit, 1);
    EXPECT_EQ(miss.hit, 0);
    EXPECT_EQ(ctx.enemySlots[0].hitPoints, 300u);
    EXPECT_EQ(ctx.enemySlots[0].destroyed, 0);
}

TEST_F(CollisionTest, RocketBlastScalesWithDistanceAndSkipsTheStruckAndTheDead) {
    const float radius = 0.5f;
    Enemy(0, 0, 0, 1000);             // struck directly
    Enemy(1, 0.25f, 0, 1000, 0.01f);  // half the radius away: half of 250
    Enemy(2, 0, 0.5f, 1000, 0.01f);   // exactly at the radius: nothing
    Enemy(3, 0.1f, 0, 50, 0.01f);     // blast kills it
    Enemy(4, 0, 0.1f, 1000, 0.01f).destroyed = 1;
    Enemy(5, 0, -0.1f, 1000, 0.01f).shotProof = 1;
    RocketSlot& r = ctx.rocketSlots[0];
    r.active = 1;
    r.damage = 250;
    r.size = 0.01f;
    r.blastRadius = radius;
    r.x = 0;
    r.y = 0;
    RunCollisionPass(&ctx);
    EXPECT_EQ(r.hit, 1);
    EXPECT_EQ(ctx.enemySlots[0].hitPoints, 750u);
    EXPECT_EQ(ctx.enemySlots[1].hitPoints, 1000u - 125u);
    EXPECT_EQ(ctx.enemySlots[2].hitPoints, 1000u);
    EXPECT_EQ(ctx.enemySlots[3].destroyed, 1);
    EXPECT_EQ(ctx.enemySlots[4].hitPoints, 1000u);
    EXPECT_EQ(ctx.enemySlots[5].hitPoints, 1000u);

    // A rocket that struck nothing has no blast.
    for (int i = 0; i < 6; ++i) ctx.enemySlots[i] = HitSlot{};
    Enemy(1, 0.25f, 0, 1000, 0.01f);
    r.hit = 0;
    RunCollisionPass(&ctx);
    EXPECT_EQ(r.hit, 0);
    EXPECT_EQ(ctx.enemySlots[1].hitPoints, 1000u);
}

TEST_F(CollisionTest, ContactTradesHitPoints) {
    HitSlot& ship = Ship(0, 0, 0.5f, 3750);
    HitSlot& weak = Enemy(0, 0, 0.55f, 200);
    RunCollisionPass(&ctx);
    EXPECT_EQ(ship.hitPoints, 3550u);
    EXPECT_EQ(ship.destroyed, 0);
    EXPECT_EQ(weak.destroyed, 1);
    EXPECT_EQ(weak.hitPoints, 0u);

    ctx.enemySlots[0] = HitSlot{};
    ship.hitPoints = 3750;
    HitSlot& strong = Enemy(1, 0, 0.55f, 5000);
    RunCollisionPass(&ctx);
    EXPECT_EQ(ship.destroyed, 1);
    EXPECT_EQ(ship.hitPoints, 0u);
    EXPECT_EQ(strong.hitPoints, 1250u);
    EXPECT_EQ(strong.destroyed, 0);
}

TEST_F(CollisionTest, ShieldedShipRamsAllButRamProofEnemiesAndIgnoresShots) {
    ctx.shieldActive = 1;
    ctx.shieldShipSlot = 1;
    HitSlot& ship = Ship(1, 0, 0.5f, 3750);
    HitSlot& boss = Enemy(0, 0, 0.55f, 2000);
    boss.ramProof = 1;
    HitSlot& plain = Enemy(1, 0.02f, 0.55f, 9000);
    ShotSlot& bullet = ctx.enemyShots[0];
    bullet.active = 1;
    bullet.damage = 5000;
    bullet.size = 0.01f;
    bullet.x = 0;
    bullet.y = 0.55f;
    RunCollisionPass(&ctx);
    EXPECT_EQ(ship.hitPoints, 3750u);
    EXPECT_EQ(ship.destroyed, 0);
    EXPECT_EQ(boss.hitPoints, 2000u);
    EXPECT_EQ(boss.destroyed, 0);
    EXPECT_EQ(plain.destroyed, 1);
    EXPECT_EQ(bullet.hit, 1);

    // The shield belongs to another slot: this ship is not covered.
    ctx.shieldShipSlot = 0;
    plain = HitSlot{};
    bullet.hit = 0;
    RunCollisionPass(&ctx);
    EXPECT_EQ(ship.destroyed, 1);
}

TEST_F(CollisionTest, ArmouredEnemyKillsAnUnshieldedShipOnContact) {
    HitSlot& ship = Ship(0, 0, 0.5f, 3750);
    HitSlot& armour = Enemy(0, 0, 0.55f, 10);
    armour.shotProof = 1;
    RunCollisionPass(&ctx);
    EXPECT_EQ(ship.destroyed, 1);
    EXPECT_EQ(armour.hitPoints, 10u);
    EXPECT_EQ(armour.destroyed, 0);
}

TEST_F(CollisionTest, EnemyShotsWearTheShipDownUntilOneIsEnough) {
    HitSlot& ship = Ship(0, 0, 0.5f, 100);
    for (int i = 0; i < 3; ++i) {
        ShotSlot& s = ctx.enemyShots[i];
        s.active = 1;
        s.damage = 40;
        s.size = 0.01f;
        s.x = 0;
        s.y = 0.55f;
    }
    RunCollisionPass(&ctx);
    // 100 - 40 - 40 = 20; the third (40 >= 20) destroys and ends the scan.
    EXPECT_EQ(ship.destroyed, 1);
    EXPECT_EQ(ship.hitPoints, 20u);
    EXPECT_EQ(ctx.enemyShots[2].hit, 1);
}

TEST_F(CollisionTest, NoContactShipPassesThroughButStillCollectsBonuses) {
    HitSlot& ship = Ship(0, 0, 0.5f, 3750);
    ship.noContact = 1;
    HitSlot& enemy = Enemy(0, 0, 0.55f, 200);
    ShotSlot& bullet = ctx.enemyShots[0];
    bullet.active = 1;
    bullet.damage = 50;
    bullet.size = 0.01f;
    bullet.x = 0;
    bullet.y = 0.55f;
    BonusSlot& bonus = ctx.bonusSlots[3];
    bonus.active = 1;
    bonus.boxMin[0] = -0.025f;
    bonus.boxMin[1] = 0.525f;
    bonus.boxMax[0] = 0.025f;
    bonus.boxMax[1] = 0.575f;
    BonusSlot& idle = ctx.bonusSlots[4];
    idle = bonus;
    idle.active = 0;
    RunCollisionPass(&ctx);
    EXPECT_EQ(ship.hitPoints, 3750u);
    EXPECT_EQ(enemy.hitPoints, 200u);
    EXPECT_EQ(bullet.hit, 0);
    EXPECT_EQ(bonus.taken, 1);
    EXPECT_EQ(bonus.taken2, 1);
    EXPECT_EQ(idle.taken, 0);

    // A no-contact enemy (turret) never touches the ship either.
    ship.noContact = 0;
    enemy.noContact = 1;
    bullet.active = 0;
    RunCollisionPass(&ctx);
    EXPECT_EQ(ship.hitPoints, 3750u);
}

TEST_F(CollisionTest, KillsDropABonusOneTimeInFiveIntoFreeSlotsOnly) {
    int drops = 0;
    const int kills = 2000;
    for (int k = 0; k < kills; ++k) {
        if (RollBonus(&ctx, 0.1f, 0.2f)) ++drops;
        for (BonusSlot& b : ctx.bonusSlots) b.active = 0;
    }
    EXPECT_NEAR(drops, kills / 5, kills / 20);
    list.DestroyAll();

    // A drop fills the slot at the centre of the killed enemy.
    Enemy(0, 0.3f, -0.2f, 10);
    for (int tries = 0; tries < 100 && Objects("bonus").empty(); ++tries) {
        ctx.enemySlots[0].destroyed = 0;
        Shot(0, 0.3f, -0.2f, 50);
        RunCollisionPass(&ctx);
    }
    ASSERT_EQ(Objects("bonus").size(), 1u);
    const BonusSlot& b = ctx.bonusSlots[0];
    EXPECT_EQ(b.active, 1);
    EXPECT_FLOAT_EQ(b.boxMin[0], 0.3f);
    EXPECT_FLOAT_EQ(b.boxMax[1], -0.2f);
    EXPECT_FLOAT_EQ(b.boxMin[2], 0.37f);

    // With every bonus slot busy, eleven kills drop nothing.
    for (BonusSlot& s : ctx.bonusSlots) s.active = 1;
    const std::size_t before = list.CountObjects();
    for (int k = 0; k < 11; ++k) {
        Enemy(10 + k, -0.5f + 0.09f * static_cast<float>(k), 0, 10, 0.02f);
        Shot(k, -0.5f + 0.09f * static_cast<float>(k), 0, 50);
    }
    for (int round = 0; round < 20; ++round) RunCollisionPass(&ctx);
    EXPECT_EQ(list.CountObjects(), before);
}

}  // namespace
}  // namespace dw
