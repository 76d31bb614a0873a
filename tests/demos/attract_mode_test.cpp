// The attract mode: the idle main menu plays the shipped demos in turn; any
// input returns to the menu exactly as it was, and nothing of the player's
// (files, score table, level reached) is touched.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/attract_mode.h"
#include "common/demo_session.h"
#include "app/director.h"
#include "app/report.h"
#include "core/game_context.h"
#include "core/settings.h"
#include "engine/list_engine.h"
#include "frontend/main_menu.h"
#include "frontend/records_table.h"
#include "platform/services.h"
#include "platform/settings_store.h"
#include "platform/steering.h"

namespace dw {
namespace {

namespace fs = std::filesystem;

struct TempDir {
    explicit TempDir(const char* name) : path(fs::temp_directory_path() / name) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return "<missing>";
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Every entry under `dir` but the log, which may say that demos played.
std::vector<std::string> Listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.path().filename() != "file.log") names.push_back(fs::relative(e.path(), dir).string());
    std::sort(names.begin(), names.end());
    return names;
}

const MainMenu* Menu(GameContext& c) {
    for (auto* n = c.objectList->Head(); n; n = n->next)
        if (const auto* m = dynamic_cast<const MainMenu*>(n->object)) return m;
    return nullptr;
}

// What the menu looks like to the player, to compare before and after.
std::string MenuState(GameContext& c) {
    const MainMenu* m = Menu(c);
    std::ostringstream s;
    if (m)
        s << "page " << m->page << " selection " << m->selection << " items " << m->itemCount << " cursor "
          << m->cursorX << "," << m->cursorY << " phase " << m->phase << " pending " << int(m->pendingChange);
    return s.str();
}

// The whole Game context and the objects, the attract flag left out.
std::string ContextReport(GameContext& c) {
    std::string r = BuildReport(c, c.objectList, 0, RendererCounters{});
    const auto at = r.find("\"attract\": ");
    if (at != std::string::npos) r.erase(at, std::string("\"attract\": 0, ").size());
    return r;
}

std::string DataFile() { return std::string(DW_BUILD_DIR) + "/gamedata.res"; }

// The menu's session as the headless runner builds it.
struct Host {
    Host(const fs::path& userDir, AttractOptions options, platform::Gamepads* pads = nullptr)
        : attract(std::move(options)) {
        HeadlessOptions o;
        o.userDir = userDir.string();
        o.seed = 7;
        o.gamepads = pads;
        game = std::make_unique<HeadlessGame>(o);
        platform::InputDevices* seam = &game->inputSeam();
        game->services().input = attract.Watch(seam);
        started = game->Start();
        if (started) director = std::make_unique<Director>(game->session(), &attract);
    }
    ~Host() {
        director.reset();
        game.reset();  // before the attract mode it reads input through
    }
    // One pass as the program makes it: the session the director names
    // steps. False once the menu's session has closed.
    bool Pass() {
        Session* on = director->SessionForFrame();
        const bool open = on ? on->Step() : true;
        if (on) director->AfterFrame(*on, open);
        return !game->closed() && (open || on != &game->session());
    }
    // `n` frames of the program (the menu's or a demo's), fewer when it closes.
    void Frames(std::uint64_t n) {
        for (std::uint64_t run = 0; run < n;) {
            const std::uint64_t before = director->frames();
            if (!Pass()) return;
            if (director->frames() != before) ++run;
        }
    }
    // One pass of the demo alone: false once it has ended (input, its end).
    bool DemoPass() {
        if (Session* demo = attract.SessionForFrame()) attract.AfterDemoFrame(demo->Step());
        return attract.playing();
    }
    GameContext& context() { return game->context(); }

    AttractMode attract;
    std::unique_ptr<HeadlessGame> game;
    std::unique_ptr<Director> director;
    bool started = false;
};

// Runs frames until the menu has counted a second of idle time (past the
// moves of its start); false when it never does.
bool UntilIdleCounts(Host& host) {
    for (int i = 0; i < 2000; ++i) {
        host.Frames(1);
        if (host.attract.idleMs() >= 1000) return true;
    }
    return false;
}

TEST(AttractMode, ShippedDemosAreFoundBesideTheDataAndTheStressTestIsNotAmongThem) {
    const std::vector<std::string> demos = FindAttractDemos(DataFile());
    ASSERT_FALSE(demos.empty()) << "no demos in " << DW_BUILD_DIR << "/demos";
    EXPECT_TRUE(std::is_sorted(demos.begin(), demos.end()));
    for (const std::string& d : demos) EXPECT_EQ(d.find("barrage"), std::string::npos) << d;
    EXPECT_TRUE(FindAttractDemos("").empty());
    EXPECT_TRUE(FindAttractDemos("/nonexistent/gamedata.res").empty());
}

// The case of the issue: 30 s of idle menu start a demo (the report says
// so); 20 000 frames of demo leave records.csm and settings.ini as they
// were, write no replay, and touch neither the score table nor the level
// reached; a key press returns to the menu as it was, and the key that
// ended the demo does nothing there.
TEST(AttractMode, IdleMenuPlaysDemosAndAKeyReturnsToTheMenuAsItWas) {
    TempDir dir("dw_attract_main");
    // A player who has reached level 2 and holds a table of their own.
    {
        platform::IniSettingsStore settings((dir.path / "settings.ini").string());
        settings.CreateKey(kSettingsKey);
        settings.SetValue(kSettingsKey, "LevelID", 325);
        settings.SetValue(kSettingsKey, "Mouse", 1250);
        RecordTable table = DefaultRecordTable();
        table.scores[0] = 1234567;
        ASSERT_EQ(SaveRecordTable((dir.path / kRecordsFile).string(), table), RecordWrite::Written);
    }
    Host host(dir.path, {FindAttractDemos(DataFile()), DataFile()});
    ASSERT_TRUE(host.started);
    GameContext& c = host.context();
    ASSERT_EQ(c.levelIndex, 2u);

    ASSERT_TRUE(UntilIdleCounts(host)) << "the menu never came";
    const std::uint32_t idleFrom = c.timeNow - host.attract.idleMs();
    const std::string records = Bytes(dir.path / kRecordsFile);
    const std::string settings = Bytes(dir.path / "settings.ini");
    const std::vector<std::string> files = Listing(dir.path);
    ASSERT_NE(records, "<missing>");
    ASSERT_NE(settings, "<missing>");

    // Not a frame early.
    while (!host.attract.playing()) {
        ASSERT_LT(c.timeNow - idleFrom, kAttractIdleMs + 16) << "no demo after 30 s";
        host.Frames(1);
    }
    EXPECT_EQ(c.timeNow - idleFrom, kAttractIdleMs);
    EXPECT_NE(BuildReport(c, c.objectList, 0, {}).find("\"attract\": 1,"), std::string::npos);
    const std::string menuAtStart = MenuState(c), contextAtStart = ContextReport(c);
    const std::string firstDemo = host.attract.currentDemo();

    // 20 000 frames of demo (the menu's idle time between demos not counted).
    std::uint64_t demoFrames = 0, before = host.attract.demoFrames();
    std::uint64_t programFrames = host.director->frames();
    bool sawPlay = false;
    while (demoFrames < 20000) {
        host.Frames(1);
        ++programFrames;
        if (host.attract.playing()) {
            demoFrames += host.attract.demoFrames() - before;
            before = host.attract.demoFrames();
            sawPlay = sawPlay || host.attract.session()->context().currentScreen == Screen::Game;
        } else {
            before = 0;
        }
        ASSERT_EQ(c.levelIndex, 2u);
        ASSERT_EQ(c.currentScreen, Screen::Menu);
    }
    EXPECT_TRUE(sawPlay) << "the demo never reached play";
    EXPECT_EQ(host.director->frames(), programFrames) << "the report counts the demo's frames too";
    EXPECT_EQ(Bytes(dir.path / kRecordsFile), records);
    EXPECT_EQ(Bytes(dir.path / "settings.ini"), settings);
    EXPECT_EQ(Listing(dir.path), files) << "a file was written (a replay?)";
    EXPECT_FALSE(fs::exists(dir.path / "replays"));
    EXPECT_EQ(LoadRecordTable((dir.path / kRecordsFile).string()).scores[0], 1234567u);
    EXPECT_FALSE(host.attract.currentDemo().empty());
    if (host.attract.demosStarted() > 1) {
        EXPECT_NE(host.attract.currentDemo(), firstDemo) << "the demos play in turn";
    }

    // A key: straight back to the menu, as it was.
    ASSERT_TRUE(host.attract.playing()) << "the 20 000th frame came between demos; play on to the next";
    host.game->input().SetKey(DIK_RETURN, true);
    EXPECT_FALSE(host.DemoPass());
    EXPECT_FALSE(host.attract.playing());
    EXPECT_EQ(ContextReport(c), contextAtStart) << "the menu's session changed under the demo";
    EXPECT_EQ(MenuState(c), menuAtStart);
    EXPECT_NE(BuildReport(c, c.objectList, 0, {}).find("\"attract\": 0,"), std::string::npos);
    // The key that ended the demo is still held: the menu never sees it.
    host.Frames(20);
    host.game->input().SetKey(DIK_RETURN, false);
    host.Frames(20);
    EXPECT_EQ(MenuState(c).substr(0, MenuState(c).find(" cursor")), menuAtStart.substr(0, menuAtStart.find(" cursor")));
    EXPECT_EQ(Menu(c)->page, MainMenu::kMain);
    EXPECT_EQ(c.currentScreen, Screen::Menu);
    EXPECT_EQ(c.gameInProgress, 0u);
    EXPECT_EQ(c.levelIndex, 2u);
    EXPECT_EQ(Bytes(dir.path / kRecordsFile), records);
    EXPECT_EQ(Bytes(dir.path / "settings.ini"), settings);
    // The next press is the menu's again.
    host.game->input().SetKey(DIK_RETURN, true);
    host.Frames(3);
    host.game->input().SetKey(DIK_RETURN, false);
    host.Frames(3);
    EXPECT_EQ(Menu(c)->page, MainMenu::kLevels) << "Enter after the demo reaches the menu";
}

// The menu's session, frame by frame, is the same with a demo in between:
// the return is exact (the clock stood still, nothing else moved).
TEST(AttractMode, TheMenuResumesExactlyWhereItStood) {
    TempDir dir("dw_attract_exact");
    Host host(dir.path, {FindAttractDemos(DataFile()), DataFile()});
    ASSERT_TRUE(host.started);
    GameContext& c = host.context();
    ASSERT_TRUE(UntilIdleCounts(host));
    while (!host.attract.playing()) host.Frames(1);
    const std::string contextAtStart = ContextReport(c), menuAtStart = MenuState(c);
    host.Frames(300);
    ASSERT_TRUE(host.attract.playing());
    host.game->input().MoveMouse(3, 0);
    EXPECT_FALSE(host.DemoPass()) << "mouse motion ends the demo";
    EXPECT_EQ(ContextReport(c), contextAtStart);
    EXPECT_EQ(MenuState(c), menuAtStart);
    // The menu's next frame is an ordinary one: no stall, no motion.
    const std::uint32_t before = c.timeNow;
    host.Frames(1);
    EXPECT_EQ(c.timeNow - before, 16u);
    EXPECT_EQ(c.cursorDeltaX, 0.0f);
}

// Short demos of our own: each plays to its end and the menu comes back;
// 30 s later the next one plays, in turn; a file that is no demo is left
// out once; any input on the menu starts the idle time again.
TEST(AttractMode, DemosPlayInTurnToTheirEndAndABrokenOneIsLeftOut) {
    TempDir dir("dw_attract_turns");
    TempDir data("dw_attract_turns_data");
    fs::create_directories(data.path / kAttractDemoFolder);
    for (const std::uint32_t seed : {3u, 4u}) {
        SessionOptions o;
        o.headless.userDir = (dir.path / "rec").string();
        o.headless.seed = seed;
        o.startLevel = 0;
        o.autopilot = true;
        o.record = true;
        DemoSession rec(o);
        std::string error;
        ASSERT_TRUE(rec.Start(error)) << error;
        for (int i = 0; i < 400; ++i) ASSERT_TRUE(rec.Step());
        ASSERT_TRUE(SaveDemoFile((data.path / kAttractDemoFolder / ("s" + std::to_string(seed) + ".dwdemo")).string(),
                                 rec.recorded(), error))
            << error;
    }
    fs::remove_all(dir.path / "rec");
    std::ofstream((data.path / kAttractDemoFolder / "r-broken.dwdemo").string()) << "not a demo";
    const std::vector<std::string> demos = FindAttractDemos((data.path / "gamedata.res").string());
    ASSERT_EQ(demos.size(), 3u);

    Host host(dir.path, {demos, DataFile()});
    ASSERT_TRUE(host.started);
    GameContext& c = host.context();
    ASSERT_TRUE(UntilIdleCounts(host));
    // Mouse motion at 20 s starts the count again.
    host.Frames(20000 / 16);
    host.game->input().MoveMouse(0, 2);
    host.Frames(1);
    EXPECT_EQ(host.attract.idleMs(), 0u);
    host.Frames(29000 / 16);
    EXPECT_FALSE(host.attract.playing()) << "the count did not start again";

    std::vector<std::string> played;
    std::uint32_t idleFrom = 0;
    for (int i = 0; i < 20000 && played.size() < 3; ++i) {
        const bool was = host.attract.playing();
        host.Frames(1);
        if (!was && host.attract.playing()) {
            played.push_back(host.attract.currentDemo());
            if (played.size() > 1) {
                EXPECT_EQ(c.timeNow - idleFrom, kAttractIdleMs + 16);
            }
        }
        if (was && !host.attract.playing()) {
            EXPECT_EQ(host.attract.demoFrames(), 400u) << "the demo plays to its end";
            idleFrom = c.timeNow;
        }
    }
    ASSERT_EQ(played.size(), 3u);
    EXPECT_EQ(fs::path(played[0]).filename(), "s3.dwdemo");
    EXPECT_EQ(fs::path(played[1]).filename(), "s4.dwdemo");
    EXPECT_EQ(fs::path(played[2]).filename(), "s3.dwdemo");
    EXPECT_EQ(host.attract.demosStarted(), 3u);
    // The broken file: one line in the log, never tried again.
    std::ifstream log(dir.path / "file.log");
    std::string line;
    int leftOut = 0;
    while (std::getline(log, line)) leftOut += line.find("r-broken.dwdemo left out") != std::string::npos;
    EXPECT_EQ(leftOut, 1);
}

// A demo asked for (--watch, a file dropped on the page) plays as soon as the
// main menu is up, without the idle wait and only once; moving the mouse to
// watch does not end it, a key does; one that cannot be read is a line in
// the log and the menu stays.
TEST(AttractMode, ADemoAskedForPlaysAtOnceAndOnlyOnce) {
    TempDir dir("dw_attract_watch");
    const std::vector<std::string> shipped = FindAttractDemos(DataFile());
    ASSERT_FALSE(shipped.empty());
    Host host(dir.path, {{}, DataFile(), shipped.front()});
    ASSERT_TRUE(host.started);
    GameContext& c = host.context();
    int frames = 0;
    while (!host.attract.playing() && frames < 2000) {
        host.Frames(1);
        ++frames;
    }
    ASSERT_TRUE(host.attract.playing()) << "the demo asked for never played";
    EXPECT_LT(c.timeNow, kAttractIdleMs) << "it waited for the idle time";
    EXPECT_EQ(host.attract.currentDemo(), shipped.front());
    host.Frames(50);
    host.game->input().MoveMouse(5, 3);
    EXPECT_TRUE(host.DemoPass()) << "moving the mouse ended a demo asked for";
    host.game->input().SetKey(DIK_ESCAPE, true);
    EXPECT_FALSE(host.DemoPass());
    host.game->input().SetKey(DIK_ESCAPE, false);
    host.Frames(kAttractIdleMs / 16 + 100);
    EXPECT_FALSE(host.attract.playing()) << "shown again, or the menu played a demo it does not have";
    EXPECT_EQ(host.attract.demosStarted(), 1u);
    EXPECT_EQ(c.currentScreen, Screen::Menu);

    // A broken one asked for while the menu runs.
    const fs::path broken = dir.path / "broken.dwdemo";
    std::ofstream(broken.string()) << "not a demo";
    host.attract.options().watch = broken.string();
    host.Frames(5);
    EXPECT_FALSE(host.attract.playing());
    EXPECT_TRUE(host.attract.options().watch.empty()) << "tried again and again";
    std::ifstream log(dir.path / "file.log");
    std::string line, all;
    while (std::getline(log, line)) all += line + "\n";
    EXPECT_NE(all.find("broken.dwdemo left out"), std::string::npos) << all;
}

// A gamepad ends a demo with any button, also one the menus do not use, and
// with either stick past its dead zone; a pad held so keeps the menu from
// counting idle time.
struct FakePads final : platform::Gamepads {
    platform::GamepadState state;
    platform::GamepadState Read() override { return state; }
};

TEST(AttractMode, AnyGamepadButtonOrStickEndsTheDemo) {
    TempDir dir("dw_attract_pad");
    FakePads pads;
    pads.state.pads = 1;
    Host host(dir.path, {FindAttractDemos(DataFile()), DataFile()}, &pads);
    ASSERT_TRUE(host.started);
    ASSERT_TRUE(UntilIdleCounts(host));
    using S = platform::GamepadState;
    const std::vector<std::pair<const char*, void (*)(S&)>> inputs = {
        {"Y", [](S& s) { s.other = true; }},
        {"Start", [](S& s) { s.start = true; }},
        {"left trigger", [](S& s) { s.leftTrigger = 0.6f; }},
        {"left stick", [](S& s) { s.leftX = -0.35f; }},
        {"D-pad", [](S& s) { s.down = true; }},
    };
    for (const auto& [name, press] : inputs) {
        while (!host.attract.playing()) host.Frames(1);
        host.Frames(10);
        pads.state.leftX = 0.1f;  // inside the dead zone: nothing
        ASSERT_TRUE(host.DemoPass()) << name;
        press(pads.state);
        EXPECT_FALSE(host.DemoPass()) << name;
        host.Frames(200);
        EXPECT_EQ(host.attract.idleMs(), 0u) << name << ": held, and the menu counts idle time";
        pads.state = S{};
        pads.state.pads = 1;
    }
    EXPECT_EQ(host.context().currentScreen, Screen::Menu);
}

// With a game in progress (the menu opened with Escape in play) the menu
// may stay for as long as it likes: no demo.
TEST(AttractMode, NeverWithAGameInProgress) {
    TempDir dir("dw_attract_in_game");
    Host host(dir.path, {FindAttractDemos(DataFile()), DataFile()});
    ASSERT_TRUE(host.started);
    GameContext& c = host.context();
    DemoHeader header;
    header.startLevel = 0;
    LevelStarter starter(header);
    for (std::uint64_t step = 1; step <= 600 && c.currentScreen != Screen::Game; ++step) {
        host.Frames(1);
        starter.AfterFrame(c, step);
    }
    ASSERT_EQ(c.currentScreen, Screen::Game);
    host.Frames(60);
    host.game->input().SetKey(DIK_ESCAPE, true);
    host.Frames(2);
    host.game->input().SetKey(DIK_ESCAPE, false);
    host.Frames(5);
    ASSERT_EQ(c.currentScreen, Screen::Menu);
    ASSERT_EQ(c.gameInProgress, 1u);
    for (int i = 0; i < 2 * 30000 / 16; ++i) {
        host.Frames(1);
        ASSERT_FALSE(host.attract.playing()) << "a demo over a game in progress";
    }
    EXPECT_EQ(host.attract.demosStarted(), 0u);
}

// The window's events while a demo plays go to the menu's session, and the
// demo ends: closing the program closes it (the report still sees the demo).
TEST(AttractMode, ClosingWhileADemoPlaysEndsItCleanly) {
    TempDir dir("dw_attract_close");
    Host host(dir.path, {FindAttractDemos(DataFile()), DataFile()});
    ASSERT_TRUE(host.started);
    std::string report;
    host.game->session().OnShutdown(
        [&] { report = ContextReport(host.context()) + BuildReport(host.context(), nullptr, 0, {}); });
    ASSERT_TRUE(UntilIdleCounts(host));
    host.Frames(30000 / 16 + 100);
    ASSERT_TRUE(host.attract.playing());
    host.game->shell().Push(platform::ShellEventType::Close);
    host.Frames(1);
    EXPECT_FALSE(host.attract.playing());
    EXPECT_TRUE(host.game->closed());
    EXPECT_NE(report.find("\"attract\": 1"), std::string::npos) << "the report was written after the demo ended";
}

}  // namespace
}  // namespace dw
