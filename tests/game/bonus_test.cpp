#include <cstdlib>

#include "game/bonus.h"
#include "game_fixture.h"

namespace dw {
namespace {

using testing::GameFixture;

class BonusTest : public GameFixture {
protected:
    Bonus* Make(std::uint32_t kind, int slot, float x = 0.0f, float y = 0.0f) {
        auto* b = new Bonus(&ctx);
        b->SetKind(kind);
        b->SetStart(x, y);
        b->AttachSlot(static_cast<std::uint32_t>(slot));
        BonusSlot& s = ctx.bonusSlots[slot];
        s = BonusSlot{};
        s.active = 1;
        list.AddObject(b);
        return b;
    }
    void Take(int slot) {
        ctx.bonusSlots[slot].taken = 1;
        ctx.bonusSlots[slot].taken2 = 1;
    }
};

TEST(BonusKinds, DrawsFollowTheWeights) {
    const std::uint32_t weights[11] = {40, 40, 50, 50, 50, 50, 20, 20, 40, 5, 25};
    std::uint32_t counts[11] = {};
    for (std::uint32_t r = 0; r < 390; ++r) ++counts[Bonus::KindForDraw(r)];
    for (int k = 0; k < 11; ++k) EXPECT_EQ(counts[k], weights[k]) << k;
    EXPECT_EQ(Bonus::KindForDraw(360), 9u);
    EXPECT_EQ(Bonus::KindForDraw(364), 9u);
    EXPECT_EQ(Bonus::KindForDraw(365), 10u);

    const std::uint32_t surprise[9] = {40, 40, 50, 50, 50, 50, 20, 25, 5};
    std::uint32_t drawn[10] = {};
    for (std::uint32_t r = 0; r < 330; ++r) ++drawn[Bonus::SurpriseEffectForDraw(r)];
    for (int k = 0; k < 9; ++k) EXPECT_EQ(drawn[k], surprise[k]) << k;
    EXPECT_EQ(drawn[9], 0u) << "the surprise is never the death trap";
}

TEST_F(BonusTest, StartsWithItsLookAndTheSurpriseKeepsItsOwnStrip) {
    ctx.random.Seed(7);
    for (int i = 0; i < 200; ++i) {
        Bonus b(&ctx);
        ASSERT_LE(b.kind, 10u);
        EXPECT_STREQ(b.name, "bonus");
        EXPECT_EQ(b.order, 71);
        EXPECT_FLOAT_EQ(b.halfSize, 0.025f);
        if (b.kind != 10) {
            EXPECT_EQ(b.effect, b.kind);
        }
        if (b.kind == 10) {
            EXPECT_LE(b.effect, 8u);
            EXPECT_FLOAT_EQ(b.vBase, 0.375f);
        }
    }
    Bonus death(&ctx);
    death.SetKind(9);
    EXPECT_EQ(death.frameCount, 32u);
    EXPECT_EQ(death.framesPerRow, 16u);
    EXPECT_FLOAT_EQ(death.vBase, 0.8125f);
}

// The autopilot finds the skull through the slot, never through the object.
TEST_F(BonusTest, TheSlotSaysWhetherItsPickupIsTheSkull) {
    Bonus skull(&ctx), gem(&ctx);
    skull.SetKind(Bonus::kSkullKind);
    gem.SetKind(2);
    ctx.bonusSlots[3].deadly = 1;  // left by an earlier skull
    skull.AttachSlot(1);
    gem.AttachSlot(3);
    EXPECT_EQ(ctx.bonusSlots[1].deadly, 1);
    EXPECT_EQ(ctx.bonusSlots[3].deadly, 0) << "a new pickup in the slot overwrites the old word";
    gem.SetKind(Bonus::kSkullKind);
    EXPECT_EQ(ctx.bonusSlots[3].deadly, 1) << "a kind changed after the slot was taken is published";
    Bonus unattached(&ctx);
    unattached.SetKind(Bonus::kSkullKind);
    EXPECT_EQ(ctx.bonusSlots[0].deadly, 0) << "nothing is written before a slot is taken";
}

TEST_F(BonusTest, EachKindAppliesItsEffectOnceWithItsSound) {
    testing::SoundHarness sound(ctx);
    ctx.laserLevel = 1;
    ctx.plasmaLevel = 2;
    ctx.score = 1000;
    for (std::uint32_t k = 0; k <= 9; ++k) {
        Make(k, static_cast<int>(k), -0.9f + 0.1f * static_cast<float>(k), 0);
        Take(static_cast<int>(k));
    }
    Frame();
    EXPECT_EQ(ctx.laserLevel, 2u);
    EXPECT_EQ(ctx.plasmaLevel, 2u) << "already at the top: nothing";
    EXPECT_EQ(ctx.score, 1000u + 300 + 500 + 600 + 750);
    EXPECT_EQ(ctx.shieldRequest, 1);
    EXPECT_EQ(ctx.energyGain, 120u);
    EXPECT_EQ(ctx.rockets, 10u);
    EXPECT_EQ(ctx.shipRemoveRequest, 1);
    EXPECT_TRUE(Objects("bonus").empty());
    const std::vector<std::string> sounds = {"GameEnergy", "GameEndwep", "GameRubins", "GameTopaze", "GameDiamon",
                                             "GameIzumru", "GameShield", "GameHealth", "GameGetroc", "Game0Death"};
    EXPECT_EQ(sound.Played(), sounds);
    for (const BonusSlot& s : ctx.bonusSlots) {
        EXPECT_EQ(s.active, 0);
        EXPECT_EQ(s.taken, 0);
        EXPECT_EQ(s.taken2, 0);
    }
    Frame();
    EXPECT_EQ(ctx.score, 3150u);
}

TEST_F(BonusTest, LaserStopsAtThree) {
    testing::SoundHarness sound(ctx);
    ctx.laserLevel = 3;
    Make(0, 0);
    Take(0);
    Frame();
    EXPECT_EQ(ctx.laserLevel, 3u);
    EXPECT_EQ(sound.Played(), std::vector<std::string>{"GameEndwep"});
}

TEST_F(BonusTest, DriftsDownWritesItsBoxAndLeavesAtTheBottom) {
    Bonus* b = Make(2, 5, 0.2f, 0.9f);
    Frame();
    const BonusSlot& s = ctx.bonusSlots[5];
    EXPECT_FLOAT_EQ(b->y, 0.9f + 16 * 0.0007f);
    EXPECT_FLOAT_EQ(s.boxMin[0], 0.2f - 0.025f);
    EXPECT_FLOAT_EQ(s.boxMax[1], b->y + 0.025f);
    EXPECT_EQ(s.active, 1);
    int frames = 1;
    while (!Objects("bonus").empty() && frames < 100) {
        Frame();
        ++frames;
    }
    EXPECT_EQ(frames, 9) << "0.1 field units at 0.0007 per ms is about 143 ms";
    EXPECT_EQ(s.active, 0);
    EXPECT_EQ(ctx.score, 0u);
}

TEST_F(BonusTest, TakenWithoutTheSecondFlagOrAtALevelStartGivesNothing) {
    Make(8, 0);
    ctx.bonusSlots[0].taken = 1;
    Make(8, 1);
    ctx.bonusSlots[1].active = 0;  // freed elsewhere
    Frame();
    EXPECT_EQ(ctx.rockets, 0u);
    EXPECT_TRUE(Objects("bonus").empty());

    Make(8, 2);
    ctx.gameStartPending = 1;
    Frame();
    EXPECT_TRUE(Objects("bonus").empty());
    EXPECT_EQ(ctx.bonusSlots[2].active, 0);
}

TEST_F(BonusTest, AnimatesAtThirtyFramesASecondAndWraps) {
    Bonus* b = Make(3, 0);                   // 8 frames
    for (int i = 0; i < 20; ++i) Frame(50);  // 1.5 cells per frame
    EXPECT_LT(b->frame, 8u);
    EXPECT_EQ(b->frame, (static_cast<std::uint32_t>(19 * 1.5f)) % 8);
}

}  // namespace
}  // namespace dw
