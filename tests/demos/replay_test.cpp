// Whole games recorded and played back headless: the same frames give the
// same game, frame by frame; the built-in player gets through the first
// waves of the first level.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/demo_session.h"
#include "common/temp_dir.h"
#include "core/game_context.h"
#include "core/settings.h"
#include "platform/settings_store.h"
#include "engine/list_engine.h"
#include "engine/my_object.h"

namespace dw {
namespace {

// What a frame looks like from outside: enough to tell two runs apart.
struct FrameFacts {
    std::uint32_t timeNow, score;
    GamePhase gamePhase;
    Screen currentScreen;
    std::uint32_t objects, energy;
    float scroll;
    bool operator==(const FrameFacts&) const = default;
};

FrameFacts Facts(GameContext& c) {
    std::uint32_t objects = 0;
    for (auto* n = c.objectList->Head(); n; n = n->next) ++objects;
    return {c.timeNow, c.score, c.gamePhase, c.currentScreen, objects, c.energy, c.scrollPosition};
}

// A player's hand: circles, fires in bursts, a rocket now and then, Escape
// into the menu and Return back out.
void ScriptedHand(platform::ScriptedInput& in, std::uint64_t frame) {
    in.MoveMouse(static_cast<std::int32_t>(frame % 90) < 45 ? 9 : -9,
                 static_cast<std::int32_t>(frame % 60) < 30 ? 4 : -4);
    in.SetButton(0, frame % 50 < 35);
    in.SetButton(1, frame % 200 == 120);
    in.SetKey(DIK_ESCAPE, frame == 700);
    in.SetKey(DIK_RETURN, frame == 760 || frame == 820);
}

struct Played {
    std::vector<FrameFacts> facts;
    std::string report;
};

Played Play(DemoSession& session, std::uint64_t frames, bool scripted) {
    Played run;
    for (std::uint64_t f = 0; f < frames; ++f) {
        if (scripted) ScriptedHand(session.game().input(), f);
        if (!session.Step()) break;
        run.facts.push_back(Facts(session.context()));
    }
    run.report = Report(session);
    return run;
}

TEST(DemoReplay, AScriptedGameReplaysIdenticallyTwice) {
    TempDir dir("dw_demo_replay");
    const std::uint64_t kFrames = 1300;  // into play, the menu and back
    for (int startLevel : {0, -1}) {
        SessionOptions rec = StartAt(dir, 77u, startLevel);
        rec.record = true;
        Played original;
        Demo demo;
        {
            DemoSession session(rec);
            std::string error;
            ASSERT_TRUE(session.Start(error)) << error;
            original = Play(session, kFrames, true);
            const std::vector<std::uint8_t> bytes = EncodeDemo(session.recorded());
            ASSERT_TRUE(DecodeDemo(bytes.data(), bytes.size(), demo, error)) << error;
        }
        ASSERT_EQ(demo.frames.size(), kFrames);
        if (startLevel == 0) {
            EXPECT_GT(original.facts.back().score + original.facts[600].score, 0u)
                << "the scripted hand should hit something";
        }
        for (int again = 0; again < 2; ++again) {
            DemoSession session(ReplayOf(demo, dir));
            std::string error;
            ASSERT_TRUE(session.Start(error)) << error;
            const Played replayed = Play(session, kFrames + 5, false);
            EXPECT_TRUE(session.replayDone());
            ASSERT_EQ(replayed.facts.size(), original.facts.size()) << "start level " << startLevel;
            for (std::size_t i = 0; i < original.facts.size(); ++i)
                ASSERT_TRUE(replayed.facts[i] == original.facts[i])
                    << "start level " << startLevel << ", run " << again << ": frame " << i << " differs (score "
                    << replayed.facts[i].score << " vs " << original.facts[i].score << ", objects "
                    << replayed.facts[i].objects << " vs " << original.facts[i].objects << ")";
            EXPECT_EQ(replayed.report, original.report);
        }
    }
}

// A replay plays the game that was recorded: the demo's picture size,
// clock, seed and play settings win over whatever its devices were asked
// for, on any headless session (a test's, the attract mode's, a bench's).
TEST(DemoReplay, TheDemosSizeClockSeedAndSettingsWinOverWhatTheDevicesAskFor) {
    TempDir dir("dw_demo_replay_header");
    Demo demo;
    demo.header.seed = 4242;
    demo.header.mouseSetting = 1500;
    demo.header.width = 640;
    demo.header.height = 480;
    demo.header.startClock = 7000;
    demo.frames.resize(3);
    platform::MemorySettingsStore asked;
    asked.CreateKey(kSettingsKey);
    asked.SetValue(kSettingsKey, "Mouse", 2500);
    HeadlessOptions h;
    h.userDir = dir.path.string();
    h.width = 1024;
    h.height = 768;
    h.startClock = 50;
    h.seed = 1;
    h.settings = &asked;
    PlayOptions play;
    play.replay = &demo;
    HeadlessGame game(h, play);
    ASSERT_TRUE(game.Start());
    const GameContext& c = game.context();
    EXPECT_EQ(c.screenWidth, 640);
    EXPECT_EQ(c.screenHeight, 480);
    EXPECT_EQ(c.timeNow, 7000u);
    EXPECT_EQ(game.session().config().seed, 4242u);
    EXPECT_FLOAT_EQ(c.mouseSpeed, 1.5f);
    // The store asked for is left alone.
    EXPECT_EQ(asked.QueryValue(kSettingsKey, "Mouse"), 2500u);
    EXPECT_EQ(game.Run(10), 3u);
    EXPECT_TRUE(game.session().replayDone());
}

TEST(DemoReplay, TheArsenalReachesTheShipAndTheReplay) {
    TempDir dir("dw_demo_arsenal");
    SessionOptions rec = StartAt(dir, 5u, 2);
    rec.record = true;
    rec.arsenal = {true, 3, 1, 40};
    Demo demo;
    std::string original;
    {
        DemoSession session(rec);
        std::string error;
        ASSERT_TRUE(session.Start(error)) << error;
        Play(session, 400, false);
        const GameContext& c = session.context();
        EXPECT_EQ(c.currentLevel, 2u);
        EXPECT_EQ(c.laserLevel, 3u);
        EXPECT_EQ(c.plasmaLevel, 1u);
        EXPECT_EQ(c.rockets, 40u);
        // Handed over once: rockets fired later are not given back.
        session.game().input().SetButton(1, true);
        Play(session, 2, false);
        session.game().input().SetButton(1, false);
        Play(session, 30, false);
        EXPECT_EQ(session.context().rockets, 38u);
        original = Report(session);
        const std::vector<std::uint8_t> bytes = EncodeDemo(session.recorded());
        ASSERT_TRUE(DecodeDemo(bytes.data(), bytes.size(), demo, error)) << error;
    }
    EXPECT_TRUE(demo.header.arsenal.given);
    EXPECT_EQ(demo.header.arsenal.rockets, 40u);
    DemoSession session(ReplayOf(demo, dir));
    std::string error;
    ASSERT_TRUE(session.Start(error)) << error;
    Play(session, 1000, false);
    EXPECT_TRUE(session.replayDone());
    EXPECT_EQ(Report(session), original);
}

// A game started with --level is a game in progress, as one started from the
// menu's level list: Escape shows the page to resume it and Enter resumes.
TEST(DemoReplay, ALevelStartIsAGameToResume) {
    TempDir dir("dw_demo_level_resume");
    DemoSession session(StartAt(dir, 3u, 1));
    std::string error;
    ASSERT_TRUE(session.Start(error)) << error;
    Play(session, 400, false);
    GameContext& c = session.context();
    ASSERT_EQ(c.currentScreen, Screen::Game);
    ASSERT_EQ(c.currentLevel, 1u);
    const float scroll = c.scrollPosition;
    platform::ScriptedInput& in = session.game().input();
    in.SetKey(DIK_ESCAPE, true);
    Play(session, 1, false);
    in.SetKey(DIK_ESCAPE, false);
    Play(session, 30, false);
    ASSERT_NE(c.currentScreen, Screen::Game);
    in.SetKey(DIK_RETURN, true);
    Play(session, 1, false);
    in.SetKey(DIK_RETURN, false);
    Play(session, 30, false);
    EXPECT_EQ(c.currentScreen, Screen::Game);
    EXPECT_EQ(c.currentLevel, 1u);
    EXPECT_GE(c.scrollPosition, scroll);
}

// The shots-and-rockets stress demo of bench/ still does what it is for:
// every rocket slot in the air at once, the shot slots well filled, things
// blowing up, and the ship alive at the end.
TEST(DemoReplay, TheBarrageDemoFillsTheAir) {
    Demo demo;
    std::string error;
    ASSERT_TRUE(LoadDemoFile(std::string(DW_SOURCE_DIR) + "/bench/barrage.dwdemo", demo, error)) << error;
    TempDir dir("dw_demo_barrage");
    DemoSession session(ReplayOf(demo, dir));
    ASSERT_TRUE(session.Start(error)) << error;
    int mostShots = 0, mostRockets = 0, mostExplosions = 0;
    while (session.Step()) {
        const GameContext& c = session.context();
        int shots = 0, rockets = 0;
        for (const auto& s : c.playerShots) shots += s.active ? 1 : 0;
        for (const auto& r : c.rocketSlots) rockets += r.active ? 1 : 0;
        const int explosions = static_cast<int>(c.objectList->CountNamed("explo"));
        mostShots = std::max(mostShots, shots);
        mostRockets = std::max(mostRockets, rockets);
        mostExplosions = std::max(mostExplosions, explosions);
    }
    EXPECT_TRUE(session.replayDone());
    EXPECT_EQ(mostRockets, kRocketSlots);
    EXPECT_GE(mostShots, 28);
    EXPECT_GE(mostExplosions, 4);
    EXPECT_EQ(session.context().currentLevel, 4u);
    EXPECT_EQ(session.context().shipAlive, 1u);
}

TEST(Autopilot, GetsThroughTheFirstWaves) {
    TempDir dir("dw_demo_autopilot");
    SessionOptions options = StartAt(dir, 3u, 0);
    options.autopilot = true;
    DemoSession session(options);
    std::string error;
    ASSERT_TRUE(session.Start(error)) << error;
    GameContext& c = session.context();
    // A minute of play.
    std::uint32_t bestScore = 0;
    for (int f = 0; f < 60 * 1000 / 16 && session.Step(); ++f) bestScore = std::max(bestScore, c.score);
    EXPECT_EQ(c.currentScreen, Screen::Game) << "still in the game";
    EXPECT_GT(c.scrollPosition, 20.0f);
    EXPECT_GT(bestScore, 1000u);
    EXPECT_GE(c.shipsLeft + c.shipAlive, 2u) << "lost more than one ship in the first minute";
}

}  // namespace
}  // namespace dw
