// The built-in player's choices on hand-made scenes: it holds still outside
// play, gets out of a bullet's way, fetches a pickup, and clicks a rocket at
// a big target in line.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "app/autopilot.h"
#include "core/game_context.h"
#include "platform/input.h"

namespace dw {
namespace {

struct Scene {
    Scene() : ctx(std::make_unique<GameContext>()) {
        ctx->currentScreen = Screen::Game;
        ctx->gamePhase = GamePhase::Playing;
        PlaceShip(0.1f, 0.7f);
    }
    void PlaceShip(float x, float y) {
        HitSlot& s = ctx->shipSlots[0];
        s.active = 1;
        s.boxMin[0] = x - 0.08f;
        s.boxMax[0] = x + 0.08f;
        s.boxMin[1] = y;
        s.boxMax[1] = y + 0.1f;
    }
    void Drive() { pilot.Drive(*ctx, input); }
    std::unique_ptr<GameContext> ctx;
    Autopilot pilot;
    platform::ScriptedInput input;
};

TEST(AutopilotChoices, OutsidePlayItLetsGo) {
    Scene s;
    s.ctx->currentScreen = Screen::Menu;
    s.input.buttons[0] = s.input.buttons[1] = 0x80;
    s.Drive();
    EXPECT_EQ(s.input.buttons[0], 0);
    EXPECT_EQ(s.input.buttons[1], 0);
    EXPECT_EQ(s.input.mouseX, 0);
}

TEST(AutopilotChoices, ABulletComingDownMovesTheShipAside) {
    Scene s;
    ShotSlot& b = s.ctx->enemyShots[3];
    b.active = 1;
    b.size = 0.03f;
    b.x = 0.1f;
    for (int frame = 0; frame < 3; ++frame) {
        b.y = 0.2f + 0.02f * static_cast<float>(frame);
        s.Drive();
    }
    EXPECT_GT(std::fabs(s.pilot.targetX - 0.1f), 0.08f) << "stays under the bullet";
    EXPECT_NE(s.input.mouseX, 0);
    EXPECT_EQ(s.input.buttons[0], 0x80) << "fires all the while";
}

TEST(AutopilotChoices, APickupDrawsTheShip) {
    Scene s;
    BonusSlot& p = s.ctx->bonusSlots[0];
    p.active = 1;
    p.boxMin[0] = 0.48f;
    p.boxMax[0] = 0.52f;
    p.boxMin[1] = 0.48f;
    p.boxMax[1] = 0.52f;
    s.Drive();
    EXPECT_GT(s.pilot.targetX, 0.2f);
    EXPECT_GT(s.input.mouseX, 0) << "the mouse goes right";
    EXPECT_LT(s.input.mouseY, 0) << "and up";
}

TEST(AutopilotChoices, ARocketIsAClickAtABigTargetInLine) {
    Scene s;
    s.ctx->rockets = 5;
    HitSlot& e = s.ctx->enemySlots[0];
    e.active = 1;
    e.hitPoints = 2000;
    e.boxMin[0] = 0.02f;
    e.boxMax[0] = 0.18f;
    e.boxMin[1] = -0.5f;
    e.boxMax[1] = -0.3f;
    s.Drive();
    EXPECT_EQ(s.input.buttons[1], 0x80);
    s.Drive();
    EXPECT_EQ(s.input.buttons[1], 0) << "released: the next press is a new click";
    for (int i = 0; i < 60; ++i) s.Drive();
    EXPECT_GE(s.pilot.rocketsFired, 2u);
    EXPECT_LE(s.pilot.rocketsFired, 3u) << "not a rocket every other frame";
    s.ctx->rockets = 0;
    const std::uint32_t fired = s.pilot.rocketsFired;
    for (int i = 0; i < 60; ++i) s.Drive();
    EXPECT_EQ(s.pilot.rocketsFired, fired) << "none left";
}

}  // namespace
}  // namespace dw
