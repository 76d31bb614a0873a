#include "game/enemies.h"

#include <cmath>
#include <cstdlib>

#include "game/enemy_bullets.h"
#include "game/explosion.h"
#include "game/sprite_util.h"
#include "ships_fixture.h"

namespace dw {
namespace {

class EnemyTest : public testing::ShipsFixture {
protected:
    // Spawns as the Game table does: slot filled, SetStart, AttachSlot, added.
    template <class T>
    T* Spawn(int slot, float x, float y) {
        HitSlot& s = ctx.enemySlots[slot];
        s = {};
        s.active = 1;
        auto* e = new T(&ctx);
        e->SetStart(x, y);
        e->AttachSlot(static_cast<std::uint32_t>(slot));
        list.AddObject(e);
        return e;
    }
    std::vector<BurstBullet*> Bursts() { return Objects<BurstBullet>("bulfast"); }
};

TEST_F(EnemyTest, ADestroyedEnemyExplodesScoresAndRequestsItsSound) {
    Spawn<Drone>(5, 0.1f, -0.5f);
    EXPECT_EQ(ctx.enemySlots[5].hitPoints, 320u);
    Frame();
    // Top-anchored box: x +- 0.05, y .. y + 0.1.
    EXPECT_NEAR(ctx.enemySlots[5].boxMin[0], 0.05f, 1e-5f);
    EXPECT_NEAR(ctx.enemySlots[5].boxMax[1] - ctx.enemySlots[5].boxMin[1], 0.1f, 1e-5f);
    ctx.score = 1000;
    ctx.enemySlots[5].destroyed = 1;
    Frame();
    EXPECT_EQ(Count("senemy2"), 0);
    EXPECT_EQ(ctx.score, 1320u);
    EXPECT_EQ(ctx.enemySlots[5].active, 0);
    EXPECT_EQ(ctx.enemySlots[5].destroyed, 0);
    EXPECT_EQ(ctx.soundRequests[6].flag, 1);  // "Game1Explo"
    auto blasts = Objects<Explosion>("explo");
    ASSERT_EQ(blasts.size(), 1u);
    EXPECT_NEAR(blasts[0]->Size(), 0.9f * 0.05f, 1e-6f);
    EXPECT_EQ(blasts[0]->Fragments(), 0u);  // kind 0
    // The drone's cross burst: four fast bullets, 40 damage each.
    EXPECT_EQ(Bursts().size(), 4u);
    EXPECT_EQ(ctx.enemyShots[0].damage, 40u);
}

TEST_F(EnemyTest, SpritesShowTheirSheetCellsAndTheDroneRunsBackwardsFromRowFive) {
    auto* d = Spawn<Drone>(0, 0, -0.5f);
    EXPECT_NEAR(d->SpriteQuad()[0].v, 0.626f, 1e-5f);
    EXPECT_NEAR(d->SpriteQuad()[0].u, 0.001f, 1e-5f);
    EXPECT_NEAR(d->SpriteQuad()[5].u, 0.124f, 1e-5f);
    Frames(2);  // 0.07 frames per ms: the first step is due
    EXPECT_EQ(d->Frame(), 23u);
    // Cell 40 + 23 = 63: column 7 of row 7.
    EXPECT_NEAR(d->SpriteQuad()[0].u, 7 * 0.125f + 0.001f, 1e-5f);
    EXPECT_NEAR(d->SpriteQuad()[0].v, 7 * 0.125f + 0.001f, 1e-5f);
    // Top-anchored: the quad hangs from y, one screen-width-scaled side tall.
    EXPECT_NEAR(d->SpriteQuad()[0].y, (d->Y() + 1.0f) * 300.0f, 1e-3f);
    EXPECT_NEAR(d->SpriteQuad()[5].y - d->SpriteQuad()[0].y, 800.0f * 0.05f, 1e-3f);

    auto* t = Spawn<Tanker>(1, 0.2f, 0);
    // Centred, with a black shadow shifted down by 0.015 of its side.
    Frame();
    const float side = 800.0f * 0.093f;
    EXPECT_NEAR((t->SpriteQuad()[0].y + t->SpriteQuad()[5].y) * 0.5f, (t->Y() + 1.0f) * 300.0f, 1e-3f);
    EXPECT_NEAR(t->SpriteQuad()[5].x - t->SpriteQuad()[0].x, side, 1e-3f);
}

TEST_F(EnemyTest, AnEnemyFlyingOffTheBottomVanishesWithoutScoreOrSound) {
    Spawn<SmallFighter>(0, 0, 1.15f);
    Frames(5);
    EXPECT_EQ(Count("senemy1"), 0);
    EXPECT_EQ(ctx.score, 0u);
    EXPECT_EQ(Count("explo"), 0);
    EXPECT_EQ(ctx.enemySlots[0].active, 0);
    for (const auto& r : ctx.soundRequests) EXPECT_EQ(r.flag, 0);
}

TEST_F(EnemyTest, ALevelStartClearsEnemiesSilently) {
    Spawn<Tanker>(0, 0, -0.5f);
    Spawn<HeavyFighter>(1, 0.3f, -0.5f);
    Frame();
    ctx.gameStartPending = 1;
    ctx.enemySlots[0].destroyed = 1;  // even a destroyed one awards nothing now
    Frame();
    EXPECT_EQ(Count("henemy6"), 0);
    EXPECT_EQ(Count("henemy1"), 0);
    EXPECT_EQ(ctx.score, 0u);
    EXPECT_EQ(Count("explo"), 0);
}

TEST_F(EnemyTest, AnEnemyWhoseSlotWasTakenAwayDiesWithItsAward) {
    Spawn<Looper>(2, 0, -0.5f);
    Frame();
    ctx.enemySlots[2].active = 0;
    Frame();
    EXPECT_EQ(Count("senemy5"), 0);
    EXPECT_EQ(ctx.score, 90u);
}

TEST_F(EnemyTest, HaloVariantsToughenTheSlotButScoreThePlainValue) {
    auto* green = Spawn<SmallFighter>(0, 0, -0.9f);
    green->ForceVariant(1);
    green->AttachSlot(0);
    EXPECT_EQ(ctx.enemySlots[0].hitPoints, 270u);
    auto* yellow = Spawn<SmallFighter>(1, 0.2f, -0.9f);
    yellow->ForceVariant(2);
    yellow->AttachSlot(1);
    EXPECT_EQ(ctx.enemySlots[1].hitPoints, 540u);
    auto* red = Spawn<HeavyFighter>(2, -0.2f, -0.9f);
    red->ForceVariant(3);
    red->AttachSlot(2);
    EXPECT_EQ(ctx.enemySlots[2].shotProof, 1);
    EXPECT_EQ(ctx.enemySlots[2].hitPoints, 120u);
    EXPECT_EQ(red->SpriteQuad()[0].diffuse, 0xffffeeeeu);

    Frame();
    const std::size_t entries = queue.EntryCount();
    EXPECT_GE(entries, 3u * 4u);  // sprite, shadow, ring, glow each

    ctx.enemySlots[2].destroyed = 1;  // rammed to death
    Frame();
    EXPECT_EQ(ctx.score, 120u);
    auto bursts = Bursts();
    ASSERT_EQ(bursts.size(), 4u);
}

TEST_F(EnemyTest, APlainEnemyHasNoHaloAndNoBurst) {
    auto* plain = Spawn<SmallFighter>(0, 0, -0.9f);
    plain->ForceVariant(0);
    plain->AttachSlot(0);
    EXPECT_EQ(ctx.enemySlots[0].hitPoints, 90u);
    Frame();
    EXPECT_EQ(queue.EntryCount(), 2u);  // sprite and shadow
    ctx.enemySlots[0].destroyed = 1;
    Frame();
    EXPECT_EQ(ctx.score, 90u);
    EXPECT_EQ(Bursts().size(), 0u);
}

TEST_F(EnemyTest, HaloVariantsAppearAboutOnceIn45) {
    ctx.random.Seed(7);
    int counts[4] = {};
    for (int i = 0; i < 9000; ++i) {
        SmallFighter f(&ctx);
        ++counts[f.Variant()];
    }
    for (int v = 1; v <= 3; ++v) {
        EXPECT_GT(counts[v], 120);
        EXPECT_LT(counts[v], 290);
    }
}

TEST_F(EnemyTest, TheCrossBurstFiresLeftUpDownRightWhileEntriesLast) {
    for (int i = 0; i < kEnemyShotSlots; ++i) ctx.enemyShots[i].active = 1;
    ctx.enemyShots[3].active = 0;
    ctx.enemyShots[17].active = 0;
    FireCrossBurst(&ctx, 0.2f, -0.3f, false);
    auto bursts = Bursts();
    ASSERT_EQ(bursts.size(), 2u);
    EXPECT_EQ(bursts[0]->Entry(), 3u);
    EXPECT_FLOAT_EQ(bursts[0]->DirX(), -1.0f);  // left
    EXPECT_EQ(bursts[1]->Entry(), 17u);
    EXPECT_FLOAT_EQ(bursts[1]->DirY(), -1.0f);  // up
    EXPECT_FLOAT_EQ(ctx.enemyShots[3].y, -0.26f);
    EXPECT_FLOAT_EQ(bursts[0]->Speed(), 0.0016f);
    EXPECT_EQ(ctx.soundRequests[2].flag, 1);  // "Game2Enemy"
}

TEST_F(EnemyTest, TheHeavyFighterDropsASlowBulletStraightDownEveryTenSeconds) {
    auto* f = Spawn<HeavyFighter>(0, 0, -0.5f);
    EXPECT_EQ(Count("wflame"), 1);
    // Held in place, so that only its fire accumulator runs.
    int frames = 0;
    while (Count("bulslow") == 0 && frames < 700) {
        f->SetStart(0, -0.5f);
        Frame();
        ++frames;
    }
    EXPECT_NEAR(frames, 626, 1);  // about 10 000 ms: the accumulator passed 1
    auto bullets = Objects<SlowBullet>("bulslow");
    ASSERT_EQ(bullets.size(), 1u);
    EXPECT_FLOAT_EQ(bullets[0]->DirX(), 0.0f);
    EXPECT_FLOAT_EQ(bullets[0]->DirY(), 1.0f);
    EXPECT_EQ(ctx.enemyShots[0].damage, 50u);
    EXPECT_FLOAT_EQ(ctx.enemyShots[0].size, 0.03f);
    EXPECT_EQ(ctx.soundRequests[0].flag, 1);  // "Game0Enemy"
    // Its flame goes with it.
    ctx.enemySlots[0].destroyed = 1;
    Frames(10);
    EXPECT_EQ(Count("wflame"), 0);
}

TEST_F(EnemyTest, TheWeaverWeavesAndItsBoxFollowsTheTurn) {
    auto* w = Spawn<Weaver>(0, -0.6f, -1.2f);
    Frame();
    // phase starts at -pi/2: far left of the weave.
    EXPECT_NEAR(w->X(), 0.75f * std::sin(-kPi * 0.5f + 0.016f) + 0.15f, 1e-3f);
    const HitSlot& s = ctx.enemySlots[0];
    const float wide = s.boxMax[0] - s.boxMin[0];
    Frames(20);  // turned about 1.4 rad: the box gets taller and narrower
    EXPECT_LT(s.boxMax[0] - s.boxMin[0], wide);
    EXPECT_GT(s.boxMax[1] - s.boxMin[1], 2 * 0.03996f);
}

TEST_F(EnemyTest, TheJumperClimbsSlidesAndDives) {
    auto* j = Spawn<Jumper>(0, 0.3f, 1.1f);
    ctx.enemySlots[0].noContact = 1;
    while (j->State() == 0) Frame();
    EXPECT_LT(j->Y(), -0.7f);
    EXPECT_EQ(ctx.enemySlots[0].noContact, 0);
    while (j->State() == 1) Frame();
    EXPECT_GT(j->X(), 0.9f);
    const float y = j->Y();
    Frame();
    EXPECT_GT(j->Y(), y);
}

TEST_F(EnemyTest, SegmentsStackBehindTheHeadAndDieOneAtATime) {
    const std::uint32_t parts[4] = {0, 2, 1, 3};
    std::vector<Segment*> segs;
    for (std::uint32_t i = 0; i < 4; ++i) {
        ctx.enemySlots[i] = {};
        ctx.enemySlots[i].active = 1;
        auto* s = new Segment(&ctx);
        s->AttachSlot(i, parts[i]);
        s->SetStart(0, -1.2f, i);
        list.AddObject(s);
        segs.push_back(s);
    }
    for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(ctx.enemySlots[i].hitPoints, 180u);
    const float k = 0.5625f * 800.0f / 600.0f * 0.09f;
    EXPECT_FLOAT_EQ(segs[0]->Y(), -1.2f);
    EXPECT_NEAR(segs[1]->Y(), -1.2f - 1.05f * k, 1e-5f);
    EXPECT_NEAR(segs[2]->Y(), -1.2f - 2.17f * k, 1e-5f);
    EXPECT_NEAR(segs[3]->Y(), -1.2f - 3.97f * k, 1e-5f);
    EXPECT_EQ(segs[0]->Texture(), asset::CtHeadTex);
    EXPECT_EQ(segs[1]->Texture(), asset::CtShortTex);

    Frames(40);
    ctx.enemySlots[1].destroyed = 1;
    Frame();
    EXPECT_EQ(Count("henemy4"), 3);
    EXPECT_EQ(ctx.score, 180u);
    // The body parts unfold once and stay on their last frame.
    Frames(100);
    EXPECT_EQ(segs[2]->Frame(), 14u);
}

TEST_F(EnemyTest, TheTankerBlastHurtsByDistanceAndSparesTheShieldedShip) {
    Spawn<Tanker>(0, 0, 0);
    Frame();
    const float cy = (ctx.enemySlots[0].boxMin[1] + ctx.enemySlots[0].boxMax[1]) * 0.5f;
    PlaceEnemySlot(1, 0.0f, cy + 0.5f);  // 0.5 away: loses about 250 of 600
    ctx.enemySlots[1].hitPoints = 600;
    PlaceEnemySlot(2, 0.0f, cy - 0.1f);  // loses 650 of 100: destroyed
    PlaceEnemySlot(3, 0.8f, cy);         // beyond 0.75: untouched
    HitSlot& ship0 = ctx.shipSlots[0];
    ship0.active = 1;
    ship0.hitPoints = 3750;
    ship0.boxMin[0] = -0.05f;
    ship0.boxMax[0] = 0.05f;
    ship0.boxMin[1] = ship0.boxMax[1] = cy + 0.5f;  // 0.5 away
    HitSlot& ship1 = ctx.shipSlots[1];
    ship1 = ship0;
    ctx.shieldActive = 1;
    ctx.shieldShipSlot = 1;

    ctx.enemySlots[0].destroyed = 1;
    Frame();
    // The wreck moved on by 16 x 0.00035 in its last frame.
    EXPECT_NEAR(ctx.enemySlots[1].hitPoints, 600.0 - 250.0 - 5.6, 1.5);
    EXPECT_EQ(ctx.enemySlots[2].destroyed, 1);
    EXPECT_EQ(ctx.enemySlots[3].hitPoints, 100u);
    EXPECT_NEAR(ship0.hitPoints, 3750.0 - 250.0 - 5.6, 1.5);
    EXPECT_EQ(ship1.hitPoints, 3750u);
    EXPECT_EQ(ctx.score, 500u);
    EXPECT_EQ(ctx.soundRequests[7].flag, 1);
    EXPECT_EQ(Count("explo"), 5);
}

}  // namespace
}  // namespace dw
