// Background layers, ground pieces with their turrets, and the enemies that
// aim at the ship.
#include <cmath>

#include "game/armed_enemies.h"
#include "game/background.h"
#include "game/board.h"
#include "game/enemy_bullets.h"
#include "game/spawn_factory.h"
#include "game/spawner.h"
#include "game/sprite_util.h"
#include "ships/ships_fixture.h"

namespace dw::testing {
namespace {

class GroundTest : public ShipsFixture {
protected:
    void SetUp() override {
        ShipsFixture::SetUp();
        for (auto& c : ctx.levelColumns) c = 13;
    }
    void PlaceShip(int i, float x, float y) {
        HitSlot& s = ctx.shipSlots[i];
        s = HitSlot{};
        s.active = 1;
        s.hitPoints = 1000;
        s.boxMin[0] = x - 0.05f;
        s.boxMax[0] = x + 0.05f;
        s.boxMin[1] = y - 0.05f;
        s.boxMax[1] = y + 0.05f;
    }
    // Centre of the n-th quad of a vertex block, in field units.
    float QuadX(const ScreenVertex* q) const { return (q[0].x + q[5].x) / ctx.screenWidth - 1.0f; }
    float QuadY(const ScreenVertex* q) const { return (q[0].y + q[5].y) / ctx.screenHeight - 1.0f; }
    template <class T>
    T* Add(MyObject* o) {
        list.AddObject(o);
        return static_cast<T*>(o);
    }
    int Turret(int type, std::uint32_t column, std::uint32_t row, GroundGun** out) {
        const int slot = TakeEnemySlot(&ctx, 250, -1.2f, true, false);
        *out = Add<GroundGun>(CreateTurret(&ctx, type, column, row, slot));
        return slot;
    }
};

TEST_F(GroundTest, BackgroundShowsEachLevelsTint) {
    auto* fone = Add<Background>(new Background(&ctx));
    ctx.currentLevel = 2;
    Frame();
    EXPECT_EQ(fone->LayerB()[0].diffuse, 0xff7700bbu);
    EXPECT_EQ(fone->LayerA()[0].diffuse, 0xffffffffu);
    EXPECT_FLOAT_EQ(fone->LayerA()[0].u, 0.501f);
    EXPECT_FLOAT_EQ(fone->LayerA()[5].u, 0.999f);
    ctx.currentLevel = 4;
    Frame();
    EXPECT_EQ(fone->LayerB()[95].diffuse, 0xff339900u);
    EXPECT_FLOAT_EQ(fone->LayerA()[0].v, 0.501f);
    ctx.currentLevel = 9;
    Frame();
    EXPECT_EQ(fone->LayerB()[10].diffuse, 0xff2200bbu);
    // Tiles a quarter of the width square; layer B scrolls faster than A.
    EXPECT_FLOAT_EQ(fone->LayerA()[5].x - fone->LayerA()[0].x, ctx.screenWidth / 4.0f);
    EXPECT_GT(fone->ScrollB(), fone->ScrollA());
    // Nothing moves or draws off the game screen.
    ctx.currentScreen = Screen::Menu;
    const float a = fone->ScrollA();
    Frame();
    EXPECT_EQ(fone->ScrollA(), a);
}

// Where the point (px, py) lies in a triangle list, the coordinates there
// (barycentric); false when no triangle holds it.
template <class V, class Get>
bool Sample(const V* v, std::uint32_t triangles, float px, float py, Get get, float out[2]) {
    for (std::uint32_t t = 0; t < triangles; ++t) {
        const V& a = v[3 * t];
        const V& b = v[3 * t + 1];
        const V& c = v[3 * t + 2];
        const float d = (b.y - c.y) * (a.x - c.x) + (c.x - b.x) * (a.y - c.y);
        if (d == 0) continue;
        const float l0 = ((b.y - c.y) * (px - c.x) + (c.x - b.x) * (py - c.y)) / d;
        const float l1 = ((c.y - a.y) * (px - c.x) + (a.x - c.x) * (py - c.y)) / d;
        const float l2 = 1 - l0 - l1;
        if (l0 < 0 || l1 < 0 || l2 < 0) continue;
        float ua[2], ub[2], uc[2];
        get(a, ua);
        get(b, ub);
        get(c, uc);
        for (int k = 0; k < 2; ++k) out[k] = l0 * ua[k] + l1 * ub[k] + l2 * uc[k];
        return true;
    }
    return false;
}

TEST_F(GroundTest, MergedBackgroundSamplesBothLayersWhereTheSeparateGridsDo) {
    auto* fone = Add<Background>(new Background(&ctx));
    ctx.currentLevel = 4;
    int checked = 0;
    // Scroll positions all through both layers' cycles, the wrap included.
    for (int frame = 0; frame < 600; ++frame) {
        Frame(23);
        if (frame % 37 != 0) continue;
        const std::uint32_t triangles = fone->MergedTriangles();
        ASSERT_GT(triangles, 0u);
        ASSERT_LE(triangles, 2 * Background::kMergedQuads);
        const ScreenVertex2* m = fone->Merged();
        for (std::uint32_t i = 0; i < 3 * triangles; ++i) {
            EXPECT_EQ(m[i].diffuse, fone->LayerB()[0].diffuse);
        }
        // Pixel centres across the screen, near the tile edges too; the
        // columns the board's panel hides are left out of the merged grid.
        float coverX0 = 0, coverX1 = 0;
        Board::PanelCover(static_cast<float>(ctx.screenWidth), coverX0, coverX1);
        ASSERT_GT(coverX1 - coverX0, 0.5f * static_cast<float>(ctx.screenWidth) / 8);
        for (float py = 0.5f; py < ctx.screenHeight; py += 7.25f)
            for (float px = 0.5f; px < ctx.screenWidth; px += 24.75f) {
                float a[2], b[2], ma[2], mb[2];
                if (px > coverX0 && px < coverX1) {
                    EXPECT_FALSE(Sample(
                        m, triangles, px, py, [](const ScreenVertex2& v, float* o) { o[0] = v.u, o[1] = v.v; }, mb))
                        << "under the panel at " << px << ", " << py;
                    continue;
                }
                ASSERT_TRUE(Sample(
                    fone->LayerA(), 32, px, py, [](const ScreenVertex& v, float* o) { o[0] = v.u, o[1] = v.v; }, a));
                ASSERT_TRUE(Sample(
                    fone->LayerB(), 32, px, py, [](const ScreenVertex& v, float* o) { o[0] = v.u, o[1] = v.v; }, b));
                ASSERT_TRUE(Sample(
                    m, triangles, px, py, [](const ScreenVertex2& v, float* o) { o[0] = v.u, o[1] = v.v; }, mb));
                ASSERT_TRUE(Sample(
                    m, triangles, px, py, [](const ScreenVertex2& v, float* o) { o[0] = v.u1, o[1] = v.v1; }, ma));
                // Well under a texel of the 512 sheet.
                EXPECT_NEAR(ma[0], a[0], 1e-5f);
                EXPECT_NEAR(ma[1], a[1], 1e-5f) << "at " << px << ", " << py;
                EXPECT_NEAR(mb[0], b[0], 1e-5f);
                EXPECT_NEAR(mb[1], b[1], 1e-5f) << "at " << px << ", " << py;
                ++checked;
            }
    }
    EXPECT_GT(checked, 1000);
}

TEST_F(GroundTest, MergedBackgroundRepeatsItsSquareWhereTheTileIsWholePixels) {
    auto* fone = Add<Background>(new Background(&ctx));
    ctx.currentLevel = 1;
    ctx.screenWidth = 800;
    ctx.screenHeight = 600;
    fone->RestoreDeviceObjects();
    float coverX0 = 0, coverX1 = 0;
    Board::PanelCover(800.0f, coverX0, coverX1);
    auto uvs = [&](float px, float py, float* out) {
        const ScreenVertex2* m = fone->Merged();
        const std::uint32_t n = fone->MergedTriangles();
        return Sample(
                   m, n, px, py, [](const ScreenVertex2& v, float* o) { o[0] = v.u, o[1] = v.v; }, out) &&
            Sample(
                   m, n, px, py, [](const ScreenVertex2& v, float* o) { o[0] = v.u1, o[1] = v.v1; }, out + 2);
    };
    int checked = 0;
    for (int frame = 0; frame < 400; ++frame) {
        Frame(23);
        if (frame % 41 != 0) continue;
        const RepeatSquare sq = fone->MergedRepeat();
        ASSERT_EQ(sq.size, 200u);
        ASSERT_EQ(sq.y, 0u);
        // Clear of the panel, and every pixel of it covered.
        EXPECT_TRUE(static_cast<float>(sq.x) >= coverX1 || static_cast<float>(sq.x + sq.size) <= coverX0);
        for (float py = 0.5f; py < 200; py += 9.5f)
            for (float px = 0.5f; px < 200; px += 9.5f) {
                float at[4], again[4];
                ASSERT_TRUE(uvs(static_cast<float>(sq.x) + px, py, at)) << px << ", " << py;
                // Wherever the grid covers, a whole number of squares away
                // it samples the same texels.
                for (int j = 0; j < 3; ++j)
                    for (int i = 0; i < 4; ++i) {
                        const float x = static_cast<float>(200 * i) + px, y = static_cast<float>(200 * j) + py;
                        if (!uvs(x, y, again)) continue;
                        for (int k = 0; k < 4; ++k) EXPECT_NEAR(again[k], at[k], 1e-5f) << x << ", " << y;
                        ++checked;
                    }
            }
    }
    EXPECT_GT(checked, 3000);

    // A tile of part pixels does not repeat pixel for pixel.
    ctx.screenWidth = 802;
    fone->RestoreDeviceObjects();
    EXPECT_GT(fone->MergedTriangles(), 0u);
    EXPECT_EQ(fone->MergedRepeat().size, 0u);
}

TEST_F(GroundTest, BackgroundIsOneEntryOnlyWhenTheDeviceHasASecondStage) {
    auto* fone = Add<Background>(new Background(&ctx));
    ctx.screenWidth = 800;
    ctx.screenHeight = 600;
    device.SetBlendStages(1);
    ASSERT_EQ(queue.RestoreDeviceObjects(), S_OK);
    EXPECT_FALSE(queue.SecondStage());
    Frame();
    EXPECT_EQ(queue.EntryCount(), 2u);

    device.SetBlendStages(2);
    ASSERT_EQ(queue.RestoreDeviceObjects(), S_OK);
    EXPECT_TRUE(queue.SecondStage());
    Frame();
    EXPECT_EQ(queue.EntryCount(), 1u);

    // A screen taller than the tiles cover keeps the two layers as they
    // were: the merged grid would not draw the strip one layer leaves bare.
    ctx.screenHeight = 1000;
    fone->RestoreDeviceObjects();
    Frame();
    EXPECT_EQ(fone->MergedTriangles(), 0u);
    EXPECT_EQ(queue.EntryCount(), 2u);
    queue.InvalidateDeviceObjects();
}

TEST_F(GroundTest, PiecesLineUpWithTheSpawnersColumnsAndCarryTheirTurrets) {
    auto* piece = Add<GroundPiece>(CreateGroundPiece(&ctx));
    for (std::uint32_t c = 0; c < 13; ++c) {
        AddGroundCell(piece, 0, 1, c, 0);
        AddGroundCell(piece, 1, 2, c, 2);
    }
    GroundGun* four = nullptr;
    GroundGun* tank = nullptr;
    Turret(1, 4, 2, &four);
    Turret(2, 9, 2, &tank);
    Frame();
    const auto& lower = piece->Vertices(0);
    const auto& upper = piece->Vertices(1);
    ASSERT_EQ(lower.size(), 13u * 6);
    for (std::uint32_t c = 0; c < 13; ++c) {
        EXPECT_NEAR(QuadX(&lower[6 * c]), ColumnX(c, 13), 1e-4f);
        // The upper layer sits half a cell across.
        EXPECT_NEAR(QuadX(&upper[6 * c]), ColumnX(c, 13) + 0.5f * 1.5f / 13, 1e-4f);
    }
    // Each turret sits on the upper-layer cell of its column and row, frame
    // after frame, until it leaves at the bottom.
    int frames = 0;
    while (Count("gunfour") > 0 && frames < 3000) {
        EXPECT_NEAR(four->X(), QuadX(&upper[6 * 4]), 1e-3f);
        EXPECT_NEAR(four->Y(), QuadY(&upper[6 * 4]), 2e-3f);
        EXPECT_NEAR(tank->Y(), QuadY(&upper[6 * 9]), 2e-3f);
        Frame();
        ++frames;
    }
    EXPECT_EQ(Count("gunfour"), 0);
    EXPECT_EQ(Count("guntank"), 0);
    EXPECT_GT(piece->CellY(2.5f), 1.2f);
    EXPECT_EQ(Count("lshaft"), 1);  // the piece itself lives on a while
}

TEST_F(GroundTest, PieceEndsWellPastTheScreenAndALevelStartClearsEveryPiece) {
    auto* piece = Add<GroundPiece>(CreateGroundPiece(&ctx));
    AddGroundCell(piece, 0, 1, 3, 10);
    const float limit = 10 * piece->CellStep() * 1.333f + 5.1f;
    while (Count("lshaft") > 0 && piece->Y() < limit + 1) {
        EXPECT_LE(piece->Y(), limit + 0.01f);
        Frame(100);
    }
    EXPECT_EQ(Count("lshaft"), 0);

    for (int i = 0; i < 3; ++i) AddGroundCell(Add<GroundPiece>(CreateGroundPiece(&ctx)), 0, 1, 1, 0);
    GroundGun* gun = nullptr;
    Turret(1, 1, 0, &gun);
    Frame();
    EXPECT_EQ(Count("lshaft"), 3);
    ctx.gameStartPending = 1;
    Frame();
    EXPECT_EQ(Count("lshaft"), 0);
    EXPECT_EQ(Count("gunfour"), 0);
    EXPECT_EQ(ctx.score, 0u);
}

TEST_F(GroundTest, LongRunKeepsEveryCellInAFollowOnPiece) {
    auto* piece = Add<GroundPiece>(CreateGroundPiece(&ctx));
    for (std::uint32_t i = 0; i < 104; ++i) AddGroundCell(piece, 0, 1 + i % 2, i % 13, i / 13);
    EXPECT_EQ(piece->Cells(0).size(), GroundPiece::kLayerCells);
    ASSERT_NE(piece->Overflow(), nullptr);
    EXPECT_EQ(piece->Overflow()->Cells(0).size(), 104u - GroundPiece::kLayerCells);
    EXPECT_EQ(Count("lshaft"), 2);
    Frames(20);
    // Both drift together: the last cells are where the first piece would
    // have drawn them.
    EXPECT_FLOAT_EQ(piece->Y(), piece->Overflow()->Y());
    const auto& tail = piece->Overflow()->Vertices(0);
    ASSERT_EQ(tail.size(), 6u * 6);
    EXPECT_NEAR(QuadX(&tail[0]), ColumnX(98 % 13, 13), 1e-4f);
    EXPECT_NEAR(QuadY(&tail[0]), piece->CellY(98 / 13 + 1.03f), 1e-4f);
    // Tile kinds 1 and 2 of the lower layer take the right half of the sheet.
    EXPECT_FLOAT_EQ(piece->Vertices(0)[0].u, 0.5f);
    EXPECT_FLOAT_EQ(piece->Vertices(0)[6].u, 0.75f);
}

TEST_F(GroundTest, GunshipAndTankGunAimAtTheShip) {
    PlaceShip(0, 0.5f, 0.6f);
    const int s = TakeEnemySlot(&ctx, 250, -1.2f, false, false);
    auto* gunship = Add<ArmedGunship>(CreateEnemy(&ctx, 10, -0.3f, -1.2f, s));
    Frames(5);
    const float dx = 0.5f - gunship->X(), dy = 0.6f - gunship->Y();
    const float len = std::sqrt(dx * dx + dy * dy);
    EXPECT_NEAR(gunship->Aim().aimX, dx / len, 0.05f);
    EXPECT_NEAR(gunship->Aim().aimY, dy / len, 0.05f);
    // It fires bursts of four bullets, each along (1.3 aimX, aimY).
    int bullets = 0;
    for (int i = 0; i < 600 && bullets < 4; ++i) {
        Frame();
        bullets = Count("bulfast");
    }
    ASSERT_GE(bullets, 1);
    auto* b = Objects<FastBullet>("bulfast").front();
    float ex = 1.3f * gunship->Aim().aimX, ey = gunship->Aim().aimY;
    Normalise(ex, ey);
    EXPECT_NEAR(b->DirX(), ex, 0.1f);
    EXPECT_NEAR(b->DirY(), ey, 0.1f);

    // The tank gun: bursts of four slow bullets towards the ship.
    GroundGun* gun = nullptr;
    Turret(2, 2, 0, &gun);
    auto* tank = static_cast<TankGun*>(gun);
    ASSERT_TRUE([&] {
        for (int i = 0; i < 3000; ++i) {
            if (Count("bulslow") > 0) return true;
            Frame();
        }
        return false;
    }());
    auto* slow = Objects<SlowBullet>("bulslow").front();
    const float tx = (0.5f - tank->X()) * 1.333f, ty = 0.6f - tank->Y();
    const float tl = std::sqrt(tx * tx + ty * ty);
    EXPECT_NEAR(slow->DirX(), tx / tl, 0.1f);
    EXPECT_NEAR(slow->DirY(), ty / tl, 0.1f);
}

TEST_F(GroundTest, InterceptorFiresAtTheShipThenChargesAlongItsLastAim) {
    PlaceShip(1, -0.4f, 0.7f);
    const int s = TakeEnemySlot(&ctx, 120, -1.2f, false, false);
    auto* fighter = Add<ArmedInterceptor>(CreateEnemy(&ctx, 8, 0.3f, -1.2f, s));
    ASSERT_TRUE([&] {
        for (int i = 0; i < 400; ++i) {
            if (Count("bulfast") > 0) return true;
            Frame();
        }
        return false;
    }());
    auto* b = Objects<FastBullet>("bulfast").front();
    const float dx = -0.4f - fighter->X(), dy = 0.7f - fighter->Y();
    const float len = std::sqrt(dx * dx + dy * dy);
    EXPECT_NEAR(b->DirX(), dx / len, 0.05f);
    EXPECT_NEAR(b->DirY(), dy / len, 0.05f);
    // Charging: the ship moves away, the fighter keeps its old line.
    ASSERT_TRUE([&] {
        for (int i = 0; i < 200; ++i) {
            if (fighter->State() == 4) return true;
            Frame();
        }
        return false;
    }());
    const float ax = fighter->Aim().aimX, ay = fighter->Aim().aimY;
    PlaceShip(1, 0.9f, -0.5f);
    const float x0 = fighter->X(), y0 = fighter->Y();
    Frames(10);
    EXPECT_EQ(fighter->Aim().aimX, ax);
    const float mx = fighter->X() - x0, my = fighter->Y() - y0;
    EXPECT_NEAR(mx * ay - my * ax, 0.0f, 1e-4f);
}

// The turn takes the rest of the running 16-frame loop plus one whole 16-frame
// banking loop (0.045 frames a millisecond): 356 to 711 ms after the dive ends.
TEST_F(GroundTest, InterceptorTurnsThroughWholeSixteenFrameLoops) {
    PlaceShip(1, 0.0f, 0.7f);
    const int s = TakeEnemySlot(&ctx, 120, -1.2f, false, false);
    auto* fighter = Add<ArmedInterceptor>(CreateEnemy(&ctx, 8, 0.3f, -1.2f, s));
    std::uint32_t turnStart = 0, banking = 0, flyingCells = 0;
    for (int i = 0; i < 300 && Count("bulfast") == 0; ++i) {
        if (fighter->State() < 2) flyingCells |= 1u << fighter->Frame();
        if (fighter->State() == 2 && turnStart == 0) turnStart = ctx.timeNow;
        if (fighter->AnimMode() == 1) {
            ++banking;
            EXPECT_GE(fighter->Frame(), 8u);
        }
        Frame();
    }
    ASSERT_EQ(Count("bulfast"), 1);
    const std::uint32_t took = ctx.timeNow - turnStart;
    EXPECT_GE(took, 340u);
    EXPECT_LE(took, 730u);
    // The banking loop lasts 16 frames of 22 ms: about 22 game frames of 16 ms.
    EXPECT_GE(banking, 20u);
    EXPECT_LE(banking, 24u);
    // Flying, the fighter runs through all eight of its flight cells.
    EXPECT_EQ(flyingCells & 0xffu, 0xffu);
}

TEST_F(GroundTest, EliteInterceptorWaitsWithoutAShip) {
    const int s = TakeEnemySlot(&ctx, 120, -1.2f, false, false);
    auto* elite = Add<ArmedInterceptor>(CreateEnemy(&ctx, 9, 0.0f, -1.2f, s));
    EXPECT_EQ(ctx.enemySlots[s].hitPoints, 5000u);
    ASSERT_TRUE([&] {
        for (int i = 0; i < 300; ++i) {
            if (elite->State() == 4) return true;
            Frame();
        }
        return false;
    }());
    const float x0 = elite->X(), y0 = elite->Y();
    Frames(30);
    EXPECT_EQ(elite->X(), x0);
    EXPECT_EQ(elite->Y(), y0);
    PlaceShip(0, 0.0f, 0.8f);
    Frames(5);
    EXPECT_GT(elite->Y(), y0);
}

TEST_F(GroundTest, StationHoldsFireOnItsWayIn) {
    const int s = TakeEnemySlot(&ctx, 500, -1.2f, false, false);
    auto* station = Add<ArmedStation>(CreateEnemy(&ctx, 3, 0.0f, -1.2f, s));
    while (!station->Arrived()) {
        Frame();
        ASSERT_EQ(Count("bulslow"), 0);
    }
    // It wanders and fires crosses of four slow bullets.
    ASSERT_TRUE([&] {
        for (int i = 0; i < 500; ++i) {
            if (Count("bulslow") > 0) return true;
            Frame();
        }
        return false;
    }());
    EXPECT_EQ(Count("bulslow"), 4);
}

TEST_F(GroundTest, FourWayGunFiresThreeBulletsAFullThirdApart) {
    GroundGun* gun = nullptr;
    Turret(1, 6, 0, &gun);
    ASSERT_TRUE([&] {
        for (int i = 0; i < 3000; ++i) {
            if (Count("bulfast") > 0) return true;
            Frame();
        }
        return false;
    }());
    auto bullets = Objects<FastBullet>("bulfast");
    ASSERT_EQ(bullets.size(), 3u);
    float sx = 0, sy = 0;
    for (auto* b : bullets) {
        sx += b->DirX();
        sy += b->DirY();
    }
    EXPECT_NEAR(sx, 0.0f, 1e-4f);  // three unit vectors 120 degrees apart
    EXPECT_NEAR(sy, 0.0f, 1e-4f);
}

}  // namespace
}  // namespace dw::testing
