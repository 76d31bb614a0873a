#include "game/player_ship.h"

#include <cmath>

#include "game/explosion.h"
#include "game/player_shots.h"
#include "ships_fixture.h"

namespace dw {
namespace {

class ShipTest : public testing::ShipsFixture {
protected:
    PlayerShip* Spawn(int index = 0) {
        HitSlot& s = ctx.shipSlots[index];
        s.active = 1;
        s.noContact = 1;
        s.destroyed = 0;
        s.hitPoints = ctx.shipHitPoints;
        auto* ship = new PlayerShip(&ctx);
        ship->AttachSlot(static_cast<std::uint32_t>(index));
        list.AddObject(ship);
        return ship;
    }
    // Flies the entry until the mouse steers.
    PlayerShip* SpawnControllable() {
        PlayerShip* ship = Spawn();
        while (!ship->Controllable()) Frame();
        return ship;
    }
};

TEST_F(ShipTest, ANewShipStartsFullWithAShieldAndFliesInBeforeTheMouseSteers) {
    ctx.laserLevel = 3;
    ctx.rockets = 7;
    PlayerShip* ship = Spawn();
    EXPECT_EQ(ctx.energy, 1875u);
    EXPECT_EQ(ctx.body, 1875u);
    EXPECT_EQ(ctx.laserLevel, 0u);
    EXPECT_EQ(ctx.rockets, 0u);
    EXPECT_EQ(ctx.shipAlive, 1);
    EXPECT_EQ(ctx.shipSlots[0].hitPoints, 3750u);
    EXPECT_EQ(Count("wflame"), 1);
    EXPECT_EQ(Objects("wflame").front()->order, 72);

    ctx.cursorDeltaX = 500;  // ignored during the entry
    Frame();
    EXPECT_EQ(ctx.shieldActive, 1);
    EXPECT_EQ(ctx.shipSlots[0].noContact, 0);  // immunity only until the first update
    EXPECT_FLOAT_EQ(ship->X(), 0.11f);
    EXPECT_LT(ship->Y(), 1.1f);
    Frames(70);
    EXPECT_TRUE(ship->Controllable());
    EXPECT_LT(ship->Y(), 0.7f);
    // The box: x +- halfWidth, y down by 1.5 x 0.0493 screen widths.
    const HitSlot& s = ctx.shipSlots[0];
    EXPECT_NEAR(s.boxMax[0] - s.boxMin[0], 0.17f, 1e-5f);
    EXPECT_NEAR(s.boxMax[1] - s.boxMin[1], 800.0f * 0.0493f * 1.5f / 600.0f, 1e-5f);
}

TEST_F(ShipTest, TheMouseStopsTheShipAtTheEdgesOfItsArea) {
    PlayerShip* ship = SpawnControllable();
    ctx.cursorDeltaX = 4000;
    ctx.cursorDeltaY = -4000;
    Frames(10);
    EXPECT_FLOAT_EQ(ship->X(), 0.87f);
    EXPECT_FLOAT_EQ(ship->Y(), -0.85f);
    ctx.cursorDeltaX = -4000;
    ctx.cursorDeltaY = 4000;
    Frames(10);
    EXPECT_FLOAT_EQ(ship->X(), -0.65f);
    EXPECT_FLOAT_EQ(ship->Y(), 0.76f);
}

TEST_F(ShipTest, LaserLevelZeroFiresOneBoltEvery250MsWithItsSound) {
    SpawnControllable();
    ctx.mouseButtons[0] = 1;
    Frame();
    EXPECT_EQ(Count("smbul"), 1);
    EXPECT_EQ(ctx.playerShots[0].damage, 125u);
    EXPECT_FLOAT_EQ(ctx.playerShots[0].size, 0.01f);
    EXPECT_EQ(Plays(asset::Game0Laser), 1);
    Frames(15);  // 240 ms
    EXPECT_EQ(Count("smbul"), 1);
    Frame();  // 256 ms
    EXPECT_EQ(Count("smbul"), 2);
    EXPECT_EQ(Plays(asset::Game0Laser), 2);
}

TEST_F(ShipTest, LaserLevelTwoFiresAFanOfThree) {
    SpawnControllable();
    ctx.laserLevel = 2;
    ctx.mouseButtons[0] = 1;
    Frame();
    auto bolts = Objects<LaserShot>("smbul");
    ASSERT_EQ(bolts.size(), 3u);
    const float n = std::sqrt(1.0f + 0.05f * 0.05f);
    float dirs[3];
    for (int i = 0; i < 3; ++i) dirs[i] = bolts[static_cast<std::size_t>(i)]->DirX();
    std::sort(dirs, dirs + 3);
    EXPECT_NEAR(dirs[0], -0.05f / n, 1e-5f);
    EXPECT_NEAR(dirs[1], 0.0f, 1e-5f);
    EXPECT_NEAR(dirs[2], 0.05f / n, 1e-5f);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ctx.playerShots[i].damage, 78u);
    EXPECT_EQ(Plays(asset::Game2Laser), 1);
}

TEST_F(ShipTest, LaserLevelThreeFiresPairsEvery100MsAndSideShotsEvery200Ms) {
    SpawnControllable();
    ctx.laserLevel = 3;
    ctx.mouseButtons[0] = 1;
    Frame();
    EXPECT_EQ(Count("lsbul"), 2);
    EXPECT_EQ(Count("smbul"), 2);
    Frames(24);                    // 384 ms: nothing has left the field yet
    EXPECT_EQ(Count("lsbul"), 8);  // volleys at 0, 112, 224, 336 ms
    EXPECT_EQ(Count("smbul"), 4);  // side pairs at 0 and 208 ms
    int sideDamage = 0;
    for (const ShotSlot& s : ctx.playerShots)
        if (s.active && s.damage == 60) ++sideDamage;
    EXPECT_EQ(sideDamage, 4);
    EXPECT_GE(Plays(asset::Game3Laser), 4);
}

TEST_F(ShipTest, PlasmaFiresPairsEvery500MsAndItsSoundEvery350Ms) {
    SpawnControllable();
    ctx.plasmaLevel = 2;
    ctx.laserLevel = 0;
    ctx.mouseButtons[0] = 1;
    Frame();
    EXPECT_EQ(Count("rwbul"), 4);
    EXPECT_EQ(Plays(asset::Game1Plasm), 1);
    Frames(22);  // 352 ms
    EXPECT_EQ(Plays(asset::Game1Plasm), 2);
    EXPECT_EQ(Count("rwbul"), 4);
}

TEST_F(ShipTest, FireWaitsAfterAnEntryRequestUnlessTheButtonIsReleased) {
    SpawnControllable();
    ctx.shipEntryRequest = 1;
    ctx.mouseButtons[0] = 1;
    Frames(60);  // 960 ms
    EXPECT_EQ(Count("smbul"), 0);
    Frames(5);
    EXPECT_GE(Count("smbul"), 1);

    list.DestroyAll();
    for (auto& s : ctx.playerShots) s = {};
    ctx.mouseButtons[0] = 0;
    SpawnControllable();
    ctx.shipEntryRequest = 1;
    Frame();
    ctx.mouseButtons[0] = 0;  // a release ends the hold at once
    Frame();
    ctx.mouseButtons[0] = 1;
    Frame();
    EXPECT_EQ(Count("smbul"), 1);
}

TEST_F(ShipTest, RocketsFireInPairsOncePerPress) {
    SpawnControllable();
    ctx.rockets = 3;
    ctx.mouseButtons[1] = 1;
    Frame();
    EXPECT_EQ(Count("smroc"), 2);
    EXPECT_EQ(ctx.rockets, 1u);
    EXPECT_EQ(ctx.rocketSlots[0].damage, 250u);
    EXPECT_FLOAT_EQ(ctx.rocketSlots[0].blastRadius, 0.5f);
    EXPECT_EQ(Plays(asset::GameRocket), 1);
    Frames(5);  // held: nothing more
    EXPECT_EQ(ctx.rockets, 1u);
    ctx.mouseButtons[1] = 0;
    Frame();
    ctx.mouseButtons[1] = 1;
    const float shipX = Objects<PlayerShip>("swolf")[0]->X();
    Frame();
    EXPECT_EQ(ctx.rockets, 0u);
    // The one rocket left is the left one.
    bool left = false;
    for (const RocketSlot& s : ctx.rocketSlots)
        if (s.active && s.x < shipX - 0.05f) left = true;
    EXPECT_TRUE(left);
    ctx.mouseButtons[1] = 0;
    Frame();
    ctx.mouseButtons[1] = 1;
    Frame();
    EXPECT_EQ(Plays(asset::GameRocket), 2);
}

// The muzzle flash is blended over what lies below (source alpha over
// inverse source alpha); only the shield ring adds its light.
TEST_F(ShipTest, MuzzleFlashIsAlphaBlendedAndOnlyTheShieldRingIsAdditive) {
    SpawnControllable();
    ctx.shieldActive = 1;
    ctx.mouseButtons[0] = 1;
    Frame();
    const DrawEntry* flash = nullptr;
    const DrawEntry* ring = nullptr;
    for (std::size_t i = 0; i < queue.EntryCount(); ++i) {
        const DrawEntry& e = queue.EntryAt(i);
        if (e.texture != asset::BoardTex) continue;
        if (e.sortKey == 2.55f) flash = &e;
        if (e.sortKey == 2.48f) ring = &e;
    }
    ASSERT_NE(flash, nullptr);
    EXPECT_EQ(flash->srcBlend, static_cast<std::uint32_t>(D3DBLEND_SRCALPHA));
    EXPECT_EQ(flash->destBlend, static_cast<std::uint32_t>(D3DBLEND_INVSRCALPHA));
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->srcBlend, static_cast<std::uint32_t>(D3DBLEND_SRCALPHA));
    EXPECT_EQ(ring->destBlend, static_cast<std::uint32_t>(D3DBLEND_ONE));
}

TEST_F(ShipTest, TheShieldLasts5000MsAndItsRingShrinksOverTheLast1500) {
    PlayerShip* ship = Spawn();
    const std::uint32_t expected[] = {90, 90, 90, 90, 90, 90, 90, 90, 60, 30, 0};
    for (std::uint32_t segments : expected) {
        Frame(500);
        EXPECT_EQ(ctx.shieldActive, 1);
        EXPECT_EQ(ship->RingSegments(), segments);
    }
    Frame(500);
    EXPECT_EQ(ctx.shieldActive, 0);
}

TEST_F(ShipTest, DamageTakesEnergyFirstAndAHealthBonusIsCapped) {
    Spawn();
    Frame();
    ctx.shipSlots[0].hitPoints -= 2000;
    Frame();
    EXPECT_EQ(ctx.energy, 0u);
    EXPECT_EQ(ctx.body, 1750u);
    ctx.energyGain = 120;
    Frame();
    EXPECT_EQ(ctx.energy, 120u);
    EXPECT_EQ(ctx.shipSlots[0].hitPoints, 1870u);  // the gain counts in the slot too
    ctx.energyGain = 5000;
    Frame();
    EXPECT_EQ(ctx.energy, 1875u);
    EXPECT_EQ(ctx.body, 1750u);
}

TEST_F(ShipTest, ADestroyedSlotMakesTheShipExplodeAndStartsTheRespawnDelay) {
    Spawn();
    Frame();
    ctx.shipSlots[0].destroyed = 1;
    Frame();
    EXPECT_EQ(Count("swolf"), 0);
    EXPECT_EQ(ctx.shipSlots[0].active, 0);
    EXPECT_EQ(ctx.shipSlots[0].destroyed, 0);
    EXPECT_EQ(ctx.shipSlots[0].hitPoints, 0u);
    EXPECT_EQ(ctx.shipAlive, 0);
    EXPECT_FLOAT_EQ(ctx.respawnDelay, 1.0f);
    EXPECT_EQ(ctx.energy, 0u);
    EXPECT_EQ(ctx.body, 0u);
    EXPECT_EQ(ctx.soundRequests[7].flag, 1);
    auto blasts = Objects<Explosion>("explo");
    EXPECT_EQ(blasts.size(), 7u);
    int waiting = 0;
    for (auto* b : blasts) waiting += b->Waiting();
    EXPECT_EQ(waiting, 7);  // none has begun within the frame
    Frames(20);
    EXPECT_EQ(Count("wflame"), 0);  // the flame went with the ship
}

TEST_F(ShipTest, ADeathBonusSparesAShieldedShipOnly) {
    Spawn();
    Frame();
    ctx.shipRemoveRequest = 1;
    Frame();
    EXPECT_EQ(Count("swolf"), 1);
    EXPECT_EQ(ctx.shipRemoveRequest, 0);
    ctx.shieldActive = 0;
    ctx.shipRemoveRequest = 1;
    Frame();
    EXPECT_EQ(Count("swolf"), 0);
    EXPECT_GE(Count("explo"), 7);
}

TEST_F(ShipTest, ALevelStartRemovesTheShipSilently) {
    Spawn();
    Frame();
    ctx.gameStartPending = 1;
    Frame();
    EXPECT_EQ(Count("swolf"), 0);
    EXPECT_EQ(Count("explo"), 0);
    EXPECT_EQ(ctx.soundRequests[7].flag, 0);
    EXPECT_EQ(ctx.shipSlots[0].active, 0);
}

TEST_F(ShipTest, TheShipFliesOutAtTheLevelEndAndBackInForTheNextLevel) {
    PlayerShip* ship = SpawnControllable();
    ctx.mouseButtons[0] = 1;
    ctx.gamePhase = GamePhase::LevelEndReached;
    Frame();
    EXPECT_EQ(ctx.gamePhase, GamePhase::ShipLeaving);
    EXPECT_TRUE(ship->Leaving());
    const int before = Count("smbul");
    Frames(186);  // 2992 ms in phase 2
    EXPECT_EQ(ctx.gamePhase, GamePhase::ShipLeaving);
    EXPECT_EQ(Count("smbul"), 0);  // no fire while leaving; earlier bolts are gone
    EXPECT_LE(before, 1);
    Frame();
    EXPECT_EQ(ctx.gamePhase, GamePhase::LevelComplete);
    EXPECT_LT(ship->Y(), -1.1f);

    ctx.gamePhase = GamePhase::NextLevelReady;
    ctx.shipSlots[0].hitPoints = 100;
    Frame();
    EXPECT_EQ(ctx.gamePhase, GamePhase::LevelIntro);
    EXPECT_FALSE(ship->Leaving());
    EXPECT_FALSE(ship->Controllable());
    EXPECT_EQ(ctx.shipSlots[0].hitPoints, 3750u);
    EXPECT_EQ(ctx.shieldActive, 1);
}

}  // namespace
}  // namespace dw
