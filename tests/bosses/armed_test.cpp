// Firing patterns of the armed enemies and the fortress's fan.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "game/armed_enemies.h"
#include "game/bosses.h"
#include "game/enemy_bullets.h"
#include "game/spawn_factory.h"
#include "game/spawner.h"
#include "ships/ships_fixture.h"

namespace dw::testing {
namespace {

class ArmedTest : public ShipsFixture {
protected:
    void SetUp() override {
        ShipsFixture::SetUp();
        for (auto& c : ctx.levelColumns) c = 13;
    }
    template <class T>
    T* Spawn(int code, float x, std::uint32_t hp) {
        const int s = TakeEnemySlot(&ctx, hp, -1.2f, false, false);
        auto* o = static_cast<T*>(CreateEnemy(&ctx, code, x, -1.2f, s));
        list.AddObject(o);
        return o;
    }
    // Bullets of the given name that appeared in the last frame. An object
    // may be built where a deleted one stood, so a bullet that jumped back
    // to a muzzle counts as new too.
    template <class T>
    std::vector<T*> Fresh(const char* objectName) {
        std::vector<T*> out;
        std::map<MyObject*, std::pair<float, float>> now;
        for (auto* o : Objects<T>(objectName)) {
            now[o] = {o->X(), o->Y()};
            auto it = seen.find(o);
            if (it == seen.end() ||
                std::fabs(it->second.first - o->X()) + std::fabs(it->second.second - o->Y()) > 0.05f)
                out.push_back(o);
        }
        seen = std::move(now);
        return out;
    }
    std::map<MyObject*, std::pair<float, float>> seen;
};

TEST_F(ArmedTest, CruiserFiresBroadsidesRightThenLeft) {
    auto* cruiser = Spawn<ArmedCruiser>(12, 0.1f, 300);
    std::vector<float> sides;
    for (int i = 0; i < 400 && sides.size() < 3; ++i) {
        Frame();
        auto fresh = Fresh<FastBullet>("bulfast");
        if (fresh.empty()) continue;
        ASSERT_EQ(fresh.size(), 3u);
        for (auto* b : fresh) {
            EXPECT_FLOAT_EQ(std::fabs(b->DirX()), 1.0f);
            EXPECT_FLOAT_EQ(b->DirY(), 0.0f);
        }
        sides.push_back(fresh[0]->DirX());
    }
    ASSERT_EQ(sides.size(), 3u);
    EXPECT_GT(sides[0], 0);
    EXPECT_LT(sides[1], 0);
    EXPECT_GT(sides[2], 0);
    EXPECT_GT(cruiser->Y(), -1.0f);
}

TEST_F(ArmedTest, TankGunFiresBurstsOfFourAndStopsNearTheBottom) {
    const int s = TakeEnemySlot(&ctx, 250, -1.2f, true, false);
    auto* gun = static_cast<TankGun*>(CreateTurret(&ctx, 2, 5, 0, s));
    list.AddObject(gun);
    std::vector<std::uint32_t> shots;
    float lastShotY = -2;
    while (Count("guntank") > 0 && ctx.timeNow < 200000) {
        Frame();
        for (std::size_t n = Fresh<SlowBullet>("bulslow").size(); n > 0; --n) {
            shots.push_back(ctx.timeNow);
            lastShotY = gun->Y();
        }
    }
    ASSERT_GE(shots.size(), 8u);
    // Four shots about 200 ms apart, then a 2000 ms pause.
    EXPECT_LT(shots[1] - shots[0], 250u);
    EXPECT_LT(shots[3] - shots[2], 250u);
    EXPECT_GT(shots[4] - shots[3], 1900u);
    EXPECT_LT(lastShotY, 1.0f);
    EXPECT_GT(lastShotY, 0.5f);
}

TEST_F(ArmedTest, StationLeavesAfterThirtySecondsWithoutScore) {
    auto* station = Spawn<ArmedStation>(3, 0.0f, 500);
    (void)station;
    int frames = 0;
    while (Count("senemy3") > 0 && frames < 4000) {
        Frame();
        ++frames;
    }
    EXPECT_EQ(Count("senemy3"), 0);
    EXPECT_GT(frames * 16, 30000);
    EXPECT_EQ(ctx.score, 0u);
    EXPECT_EQ(Count("explo"), 0);
}

TEST_F(ArmedTest, FortressFansHeavySlowBulletsFromAlternateSides) {
    const int slot = TakeEnemySlot(&ctx, 90, -1.4f, false, true);
    auto* boss = static_cast<Boss*>(CreateBoss(&ctx, 19, 0.11f, -1.5f, 0, slot));
    list.AddObject(boss);
    std::vector<std::vector<SlowBullet*>> volleys;
    for (int i = 0; i < 1000 && volleys.size() < 2; ++i) {
        Frame();
        auto fresh = Fresh<SlowBullet>("bulslow");
        if (!fresh.empty()) volleys.push_back(fresh);
    }
    ASSERT_EQ(volleys.size(), 2u);
    ASSERT_EQ(volleys[0].size(), 5u);
    // A downward fan, from one side and then the other.
    EXPECT_GT(volleys[0][0]->DirX(), 0);
    EXPECT_LT(volleys[0][4]->DirX(), 0);
    for (auto* b : volleys[0]) EXPECT_GT(b->DirY(), 0);
    EXPECT_LT((volleys[0][0]->X() - boss->X()) * (volleys[1][0]->X() - boss->X()), 0.0f);
    for (const ShotSlot& e : ctx.enemyShots)
        if (e.active) {
            EXPECT_EQ(e.damage, 120u);
        }
}

}  // namespace
}  // namespace dw::testing
