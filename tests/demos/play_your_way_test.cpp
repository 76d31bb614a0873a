// Playing without a mouse, and play that survives the world around it:
// keyboard steering and a (virtual) gamepad drive the ship and the menus and
// replay exactly; a stall of 30 s moves the world only a little; losing the
// focus in play pauses in the menu.
#include <gtest/gtest.h>

#include <SDL.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/demo_session.h"
#include "common/headless_game.h"
#include "common/temp_dir.h"
#include "core/game_context.h"
#include "engine/list_engine.h"
#include "game/player_ship.h"
#include "frontend/records_table.h"
#include "platform/controls.h"
#include "platform/input.h"
#include "platform/services.h"
#include "platform/steering.h"

namespace dw {
namespace {

const PlayerShip* LiveShip(GameContext& c) {
    for (auto* n = c.objectList->Head(); n; n = n->next)
        if (const auto* s = dynamic_cast<const PlayerShip*>(n->object); s && !s->dead) return s;
    return nullptr;
}

// Steps until the ship of the start level can be steered.
void UntilSteerable(DemoSession& s) {
    for (int i = 0; i < 600; ++i) {
        const PlayerShip* ship = LiveShip(s.context());
        if (ship && ship->Controllable() && s.context().currentScreen == Screen::Game) return;
        ASSERT_TRUE(s.Step());
    }
    FAIL() << "the ship never became steerable";
}

void Steps(DemoSession& s, int n) {
    for (int i = 0; i < n; ++i) ASSERT_TRUE(s.Step());
}

// --- a stall and the focus ------------------------------------------------

TEST(NoTimeWarp, AThirtySecondFrameInPlayMovesTheWorldOnlyALittle) {
    TempDir dir("dw_pyw_stall");
    SessionOptions rec = StartAt(dir, 11u, 0);
    rec.record = true;
    Demo demo;
    std::size_t stallFrame = 0;
    {
        DemoSession session(rec);
        std::string error;
        ASSERT_TRUE(session.Start(error)) << error;
        UntilSteerable(session);
        Steps(session, 150);
        stallFrame = session.steps();
        Steps(session, 30);
        demo = session.recorded();
    }
    ASSERT_GT(demo.frames.size(), stallFrame + 10);
    demo.frames[stallFrame].stepMs = 30000;  // the frame after a minimise or a breakpoint

    TempDir replayDir("dw_pyw_stall_replay");
    SessionOptions rep = ReplayOf(demo, replayDir);
    DemoSession session(rep);
    std::string error;
    ASSERT_TRUE(session.Start(error)) << error;
    while (session.steps() < stallFrame + 1) ASSERT_TRUE(session.Step());
    const GameContext& c = session.context();
    EXPECT_EQ(c.frameTimes[(c.frameTimeIndex + kFrameTimeCount - 1) % kFrameTimeCount], 100u)
        << "the stall is stored as the longest frame";
    Steps(session, 5);
    EXPECT_LE(c.frameTimeAverage, 17u);
    EXPECT_EQ(c.currentScreen, Screen::Game);
    EXPECT_EQ(c.shipAlive, 1u);
    EXPECT_NE(LiveShip(session.context()), nullptr);
}

TEST(NoTimeWarp, NormalFramesKeepTheExactAverage) {
    TempDir dir("dw_pyw_average");
    SessionOptions o = StartAt(dir, 3u, -1);
    o.headless.stepMs = 37;
    DemoSession session(o);
    std::string error;
    ASSERT_TRUE(session.Start(error)) << error;
    Steps(session, kFrameTimeCount + 3);
    EXPECT_EQ(session.context().frameTimeAverage, 37u);
}

TEST(FocusLoss, InPlayOpensTheMenuWithTheGameInProgress) {
    TempDir dir("dw_pyw_focus");
    for (const auto how : {platform::ShellEventType::Deactivate, platform::ShellEventType::Minimised}) {
        DemoSession session(StartAt(dir, 5u, 0));
        std::string error;
        ASSERT_TRUE(session.Start(error)) << error;
        UntilSteerable(session);
        session.game().shell().Push(how);
        if (how == platform::ShellEventType::Minimised) {
            session.Step();  // no frame while minimised
            session.game().shell().Push(platform::ShellEventType::Restored);
        }
        Steps(session, 3);
        const GameContext& c = session.context();
        EXPECT_EQ(c.currentScreen, Screen::Menu) << static_cast<int>(how);
        EXPECT_EQ(c.gameInProgress, 1u) << static_cast<int>(how);
    }
}

TEST(FocusLoss, ALossTheInputReportsPausesToo_SoReplaysAgree) {
    TempDir dir("dw_pyw_lost");
    DemoSession session(StartAt(dir, 5u, 0));
    std::string error;
    ASSERT_TRUE(session.Start(error)) << error;
    UntilSteerable(session);
    session.game().input().SetLost(true);
    Steps(session, 2);
    session.game().input().SetLost(false);
    Steps(session, 3);
    EXPECT_EQ(session.context().currentScreen, Screen::Menu);
    EXPECT_EQ(session.context().gameInProgress, 1u);
}

TEST(FocusLoss, OnTheMenuChangesNothing) {
    TempDir dir("dw_pyw_menu_focus");
    DemoSession session(StartAt(dir, 5u, -1));
    std::string error;
    ASSERT_TRUE(session.Start(error)) << error;
    Steps(session, 60);
    session.game().shell().Push(platform::ShellEventType::Deactivate);
    Steps(session, 3);
    EXPECT_EQ(session.context().gameInProgress, 0u);
    EXPECT_EQ(session.context().menuRequest, 0u);
}

// --- keyboard steering ---------------------------------------------------

TEST(KeyboardSteering, ArrowsAndWasdSteerZAndCtrlFireXAndAltLaunch) {
    TempDir dir("dw_pyw_keys");
    SessionOptions o = StartAt(dir, 9u, 0);
    o.headless.steering = true;
    o.arsenal = {true, 0, 0, 10};
    DemoSession session(o);
    std::string error;
    ASSERT_TRUE(session.Start(error)) << error;
    UntilSteerable(session);
    Steps(session, 10);
    platform::ScriptedInput& in = session.game().input();
    GameContext& c = session.context();

    struct Move {
        std::uint8_t key;
        float dx, dy;
    };
    for (const Move m : {Move{DIK_LEFT, -1, 0}, Move{DIK_D, 1, 0}, Move{DIK_UP, 0, -1}, Move{DIK_S, 0, 1},
                         Move{DIK_A, -1, 0}, Move{DIK_W, 0, -1}}) {
        const float x0 = LiveShip(c)->X(), y0 = LiveShip(c)->Y();
        in.SetKey(m.key, true);
        Steps(session, 12);
        in.SetKey(m.key, false);
        Steps(session, 30);  // the glide after the key dies down
        const float dx = LiveShip(c)->X() - x0, dy = LiveShip(c)->Y() - y0;
        EXPECT_GT(dx * m.dx + dy * m.dy, 0.05f) << "key " << int(m.key);
        EXPECT_LT(std::abs(m.dx == 0 ? dx : dy), 0.01f) << "key " << int(m.key);
    }
    for (const std::uint8_t fire : {DIK_Z, DIK_LCONTROL}) {
        in.SetKey(fire, true);
        Steps(session, 2);
        EXPECT_EQ(c.mouseButtons[0], 1u);
        in.SetKey(fire, false);
        Steps(session, 2);
        EXPECT_EQ(c.mouseButtons[0], 0u);
    }
    const std::uint32_t rockets = c.rockets;
    ASSERT_GT(rockets, 0u);
    for (const std::uint8_t launch : {DIK_X, DIK_LMENU}) {
        in.SetKey(launch, true);
        Steps(session, 2);
        EXPECT_EQ(c.mouseButtons[1], 1u);
        in.SetKey(launch, false);
        Steps(session, 20);
    }
    EXPECT_LT(c.rockets, rockets);
}

TEST(KeyboardSteering, TheMenusKeepTheirArrowKeys) {
    TempDir dir("dw_pyw_menu_keys");
    SessionOptions o = StartAt(dir, 9u, -1);
    o.headless.steering = true;
    DemoSession session(o);
    std::string error;
    ASSERT_TRUE(session.Start(error)) << error;
    Steps(session, 60);
    session.game().input().SetKey(DIK_RIGHT, true);
    session.game().input().SetKey(DIK_Z, true);
    Steps(session, 5);
    EXPECT_EQ(session.context().cursorDeltaX, 0.0f);
    EXPECT_EQ(session.context().mouseButtons[0], 0u);
    EXPECT_EQ(session.context().keys[DIK_RIGHT], 1u);
}

TEST(KeyboardSteering, AGameSteeredByKeysReplaysIdentically) {
    TempDir dir("dw_pyw_keys_replay");
    SessionOptions rec = StartAt(dir, 21u, 0);
    rec.record = true;
    rec.headless.steering = true;
    Demo demo;
    std::string original;
    std::vector<float> path;
    {
        DemoSession session(rec);
        std::string error;
        ASSERT_TRUE(session.Start(error)) << error;
        platform::ScriptedInput& in = session.game().input();
        for (int f = 0; f < 900; ++f) {
            in.SetKey(DIK_RIGHT, f % 120 < 40);
            in.SetKey(DIK_A, f % 120 >= 60 && f % 120 < 100);
            in.SetKey(DIK_W, f % 90 < 20);
            in.SetKey(DIK_DOWN, f % 90 >= 45 && f % 90 < 65);
            in.SetKey(DIK_Z, f % 40 < 30);
            ASSERT_TRUE(session.Step());
            const PlayerShip* s = LiveShip(session.context());
            path.push_back(s ? s->X() + 10 * s->Y() : -99.0f);
        }
        original = Report(session);
        demo = session.recorded();
    }
    EXPECT_NE(original.find("\"ship\": {\"x\""), std::string::npos);
    SessionOptions rep = ReplayOf(demo, dir);
    DemoSession session(rep);
    std::string error;
    ASSERT_TRUE(session.Start(error)) << error;
    for (std::size_t f = 0; f < path.size(); ++f) {
        ASSERT_TRUE(session.Step());
        const PlayerShip* s = LiveShip(session.context());
        ASSERT_EQ(s ? s->X() + 10 * s->Y() : -99.0f, path[f]) << "frame " << f;
    }
    EXPECT_EQ(Report(session), original);
}

// --- gamepads --------------------------------------------------------------

// A virtual pad with the layout of SDL's game controllers, attached and
// detached at will.
class VirtualPad {
public:
    VirtualPad() { Attach(); }
    ~VirtualPad() { Detach(); }
    void Attach() {
        if (joystick_) return;
        index_ = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                           SDL_CONTROLLER_BUTTON_MAX, 0);
        ASSERT_GE(index_, 0) << SDL_GetError();
        joystick_ = SDL_JoystickOpen(index_);
        ASSERT_NE(joystick_, nullptr) << SDL_GetError();
    }
    void Detach() {
        if (!joystick_) return;
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
        SDL_JoystickDetachVirtual(index_);
    }
    void Axis(SDL_GameControllerAxis axis, float v) {
        SDL_JoystickSetVirtualAxis(joystick_, axis, static_cast<Sint16>(v * 32767));
    }
    void Button(SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
    }

private:
    int index_ = -1;
    SDL_Joystick* joystick_ = nullptr;
};

class Gamepad : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError(); }
    void TearDown() override { SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER); }
};

TEST(StickResponse, HasADeadZoneAndACurve) {
    EXPECT_EQ(platform::StickResponse(0.15f), 0.0f);
    EXPECT_EQ(platform::StickResponse(-0.2f), 0.0f);
    EXPECT_FLOAT_EQ(platform::StickResponse(1.0f), 1.0f);
    EXPECT_FLOAT_EQ(platform::StickResponse(-1.0f), -1.0f);
    const float half = platform::StickResponse(0.6f);
    EXPECT_GT(half, 0.0f);
    EXPECT_LT(half, 0.5f);  // gentle near the middle
    EXPECT_GT(platform::StickResponse(0.8f), half);
}

TEST_F(Gamepad, SteersFiresAndPausesInPlayAndComesAndGoes) {
    TempDir dir("dw_pyw_pad");
    std::unique_ptr<platform::Gamepads> pads = platform::CreateSdlGamepads("");
    SessionOptions o = StartAt(dir, 9u, 0);
    o.headless.gamepads = pads.get();
    o.record = true;
    o.arsenal = {true, 0, 0, 10};
    Demo demo;
    std::string original;
    {
        DemoSession session(o);
        std::string error;
        ASSERT_TRUE(session.Start(error)) << error;
        UntilSteerable(session);
        Steps(session, 10);
        GameContext& c = session.context();
        VirtualPad pad;
        float x0 = LiveShip(c)->X();
        pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 1.0f);
        Steps(session, 12);
        pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 0.1f);  // inside the dead zone
        Steps(session, 30);
        const float afterRight = LiveShip(c)->X();
        EXPECT_GT(afterRight - x0, 0.05f);
        Steps(session, 6);
        EXPECT_NEAR(LiveShip(c)->X(), afterRight, 0.002f) << "the dead zone holds the ship still";

        const float y0 = LiveShip(c)->Y();
        pad.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
        Steps(session, 10);
        pad.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
        Steps(session, 30);
        EXPECT_LT(LiveShip(c)->Y() - y0, -0.05f);

        pad.Button(SDL_CONTROLLER_BUTTON_A, true);
        Steps(session, 2);
        EXPECT_EQ(c.mouseButtons[0], 1u);
        pad.Button(SDL_CONTROLLER_BUTTON_A, false);
        pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 1.0f);
        Steps(session, 2);
        EXPECT_EQ(c.mouseButtons[0], 1u);
        pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.0f);
        Steps(session, 2);
        EXPECT_EQ(c.mouseButtons[0], 0u);
        const std::uint32_t rockets = c.rockets;
        pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 1.0f);
        Steps(session, 2);
        EXPECT_EQ(c.mouseButtons[1], 1u);
        pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0.0f);
        Steps(session, 20);
        EXPECT_LT(c.rockets, rockets);

        // Unplugged while steering: the ship stops; plugged in again: it goes.
        pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, -1.0f);
        Steps(session, 3);
        pad.Detach();
        Steps(session, 30);
        x0 = LiveShip(c)->X();
        Steps(session, 10);
        EXPECT_NEAR(LiveShip(c)->X(), x0, 0.002f);
        pad.Attach();
        pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, -1.0f);
        Steps(session, 12);
        EXPECT_LT(LiveShip(c)->X() - x0, -0.05f);
        pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 0.0f);

        // Start: to the menu, the game in progress.
        pad.Button(SDL_CONTROLLER_BUTTON_START, true);
        Steps(session, 3);
        pad.Button(SDL_CONTROLLER_BUTTON_START, false);
        Steps(session, 3);
        EXPECT_EQ(c.currentScreen, Screen::Menu);
        EXPECT_EQ(c.gameInProgress, 1u);
        // In the menu: the D-pad is the arrow keys, A is Enter, B Escape.
        pad.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
        Steps(session, 2);
        EXPECT_EQ(c.keys[DIK_DOWN], 1u);
        EXPECT_EQ(c.cursorDeltaY, 0.0f) << "the D-pad does not move the pointer";
        pad.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
        pad.Button(SDL_CONTROLLER_BUTTON_B, true);
        Steps(session, 2);
        EXPECT_EQ(c.keys[DIK_ESCAPE], 1u);
        pad.Button(SDL_CONTROLLER_BUTTON_B, false);
        pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -1.0f);
        Steps(session, 2);
        EXPECT_EQ(c.keys[DIK_UP], 1u);
        EXPECT_LT(c.cursorDeltaY, 0.0f) << "the pointer follows the stick";
        pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 0.0f);
        Steps(session, 2);
        original = Report(session);
        demo = session.recorded();
    }
    // What the pad did replays from the recording alone.
    SessionOptions rep = ReplayOf(demo, dir);
    DemoSession session(rep);
    std::string error;
    ASSERT_TRUE(session.Start(error)) << error;
    while (session.Step()) {
    }
    EXPECT_TRUE(session.replayDone());
    EXPECT_EQ(Report(session), original);
}

// The whole way with the pad alone: its D-pad and A through the menu, the
// options and the gamepad page; Y pressed for fire is bound, written and
// fires in play; B leaves.
TEST_F(Gamepad, AButtonIsBoundOnTheGamepadPageWithThePadAloneAndFires) {
    TempDir dir("dw_pyw_pad_bind");
    std::unique_ptr<platform::Gamepads> pads = platform::CreateSdlGamepads("");
    HeadlessOptions o;
    o.userDir = dir.path.string();
    o.seed = 5u;
    o.steering = true;
    o.gamepads = pads.get();
    HeadlessGame game(o);
    ASSERT_TRUE(game.Start());
    GameContext& c = game.context();
    VirtualPad pad;
    const auto press = [&](SDL_GameControllerButton b) {
        pad.Button(b, true);
        game.Run(3);
        pad.Button(b, false);
        game.Run(3);
    };
    game.Run(2);
    game.input().SetKey(DIK_SPACE, true);  // past the splash
    game.Run(2);
    game.input().SetKey(DIK_SPACE, false);
    ASSERT_TRUE(game.RunUntil([&] { return c.mouseActive == 1 && c.assetLoadingActive == 0; }, 600));
    game.Run(4);
    for (int i = 0; i < 3; ++i) press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    press(SDL_CONTROLLER_BUTTON_A);  // the options
    for (int i = 0; i < 4; ++i) press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    press(SDL_CONTROLLER_BUTTON_A);          // display and controls
    press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);  // the gamepad page
    press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);  // its fire row
    press(SDL_CONTROLLER_BUTTON_A);          // waits for the new button; A itself is not taken
    EXPECT_EQ(c.controls.Button(platform::PadAction::Fire, 0), platform::Controls::Defaults().pad[0][0]);
    press(SDL_CONTROLLER_BUTTON_Y);
    EXPECT_EQ(c.controls.Button(platform::PadAction::Fire, 0), platform::kPadY);
    press(SDL_CONTROLLER_BUTTON_B);
    press(SDL_CONTROLLER_BUTTON_B);  // the pages, then the options
    ASSERT_TRUE(game.RunUntil([&] { return c.optionsClosed == 0 && c.currentScreen == Screen::Menu; }, 10));
    std::ifstream in(dir.path / "settings.ini");
    const std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(ini.find("PadFire=y"), std::string::npos) << ini;
    // A new game, and Y fires.
    for (int i = 0; i < 3; ++i) press(SDL_CONTROLLER_BUTTON_DPAD_UP);
    press(SDL_CONTROLLER_BUTTON_A);
    press(SDL_CONTROLLER_BUTTON_A);
    ASSERT_TRUE(game.RunUntil([&] { return c.gamePhase == GamePhase::Playing && c.shipAlive; }, 900));
    game.Run(30);
    EXPECT_EQ(c.mouseButtons[0], 0u);
    pad.Button(SDL_CONTROLLER_BUTTON_Y, true);
    game.Run(3);
    EXPECT_EQ(c.mouseButtons[0], 1u);
    pad.Button(SDL_CONTROLLER_BUTTON_Y, false);
    game.Close();
}

TEST_F(Gamepad, MappingsComeFromTheUserDirectory) {
    // A plain joystick SDL knows no mapping for, until gamecontrollerdb.txt
    // names it: its button 3 is A.
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    ASSERT_NE(joystick, nullptr);
    char guid[64];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
    for (int i = 4; i < 8; ++i) guid[i] = '0';  // the database names pads without the name's CRC
    {
        std::unique_ptr<platform::Gamepads> pads = platform::CreateSdlGamepads("");
        EXPECT_EQ(pads->Read().pads, 0) << "no mapping yet";
    }
    TempDir dir("dw_pyw_pad_db");
    const std::string db = (dir.path / "gamecontrollerdb.txt").string();
    std::ofstream(db) << "# my pad\n" << guid << ",Test pad,a:b3,b:b0,leftx:a0,lefty:a1,platform:Linux,\n";
    std::unique_ptr<platform::Gamepads> pads = platform::CreateSdlGamepads(db);
    EXPECT_EQ(pads->Read().pads, 1);
    SDL_JoystickSetVirtualButton(joystick, 3, 1);
    EXPECT_TRUE(pads->Read().a);
    SDL_JoystickClose(joystick);
    SDL_JoystickDetachVirtual(index);
    EXPECT_EQ(pads->Read().pads, 0);
}

}  // namespace
}  // namespace dw

// --- replays of the games played ---------------------------------------------

namespace dw {
namespace {

SessionOptions Keeping(const TempDir& dir, int startLevel) {
    SessionOptions o = StartAt(dir, 31u, startLevel);
    o.keepGames = (dir.path / "replays").string();
    o.headless.steering = true;
    return o;
}

TEST(GameReplays, AGameClosedMidwayIsKeptAndReplaysToTheSameScore) {
    TempDir dir("dw_pyw_keep_close");
    std::string original;
    std::uint32_t score = 0;
    {
        DemoSession session(Keeping(dir, 0));
        std::string error;
        ASSERT_TRUE(session.Start(error)) << error;
        platform::ScriptedInput& in = session.game().input();
        for (int f = 0; f < 1200; ++f) {
            in.SetKey(DIK_LEFT, f % 100 < 30);
            in.SetKey(DIK_RIGHT, f % 100 >= 50 && f % 100 < 80);
            in.SetKey(DIK_Z, f % 30 < 20);
            ASSERT_TRUE(session.Step());
        }
        score = session.context().score;
        original = Report(session);
        EXPECT_FALSE(std::filesystem::exists(dir.path / "replays" / "last.dwdemo")) << "still playing";
        session.Close();
    }
    EXPECT_GT(score, 0u);
    Demo demo;
    std::string error;
    ASSERT_TRUE(LoadDemoFile((dir.path / "replays" / "last.dwdemo").string(), demo, error)) << error;
    EXPECT_FALSE(std::filesystem::exists(dir.path / "replays" / "best-1.dwdemo"));
    TempDir replayDir("dw_pyw_keep_close_replay");
    SessionOptions rep = ReplayOf(demo, replayDir);
    rep.keepGames = (replayDir.path / "replays").string();  // a replay is never kept
    DemoSession session(rep);
    ASSERT_TRUE(session.Start(error)) << error;
    while (session.Step()) {
    }
    EXPECT_TRUE(session.replayDone());
    EXPECT_EQ(session.context().score, score);
    EXPECT_EQ(Report(session), original);
    session.Close();
    EXPECT_FALSE(std::filesystem::exists(replayDir.path / "replays"));
}

TEST(GameReplays, AGameOverThatEntersTheTableIsKeptByPlaceOnceTheNameIsSaved) {
    TempDir dir("dw_pyw_keep_best");
    DemoSession session(Keeping(dir, 0));
    std::string error;
    ASSERT_TRUE(session.Start(error)) << error;
    UntilSteerable(session);
    GameContext& c = session.context();
    c.score = 5'000'000;
    c.gamePhase = GamePhase::AllLevelsDone;  // game over
    const auto last = dir.path / "replays" / "last.dwdemo";
    for (int f = 0; f < 3000 && !std::filesystem::exists(last); ++f) ASSERT_TRUE(session.Step());
    ASSERT_TRUE(std::filesystem::exists(last));
    EXPECT_EQ(c.gameInProgress, 0u);
    // The name is still being typed: the table's replays wait for it.
    Steps(session, 30);
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(dir.path / "replays"), std::filesystem::directory_iterator{}),
        1)
        << "last.dwdemo alone";
    platform::ScriptedInput& in = session.game().input();
    for (int f = 0; f < 200 && c.recordSaves == 0; ++f) {
        in.SetKey(DIK_RETURN, f % 4 < 2);
        ASSERT_TRUE(session.Step());
    }
    ASSERT_EQ(c.recordSaves, 1u);
    EXPECT_EQ(c.recordSavedPlace, 0);
    Steps(session, 2);
    const RecordReplays named = LoadRecordReplays((dir.path / kRecordsFile).string());
    ASSERT_TRUE(named.listed);
    Demo best;
    EXPECT_TRUE(LoadDemoFile((dir.path / "replays" / named.files[0]).string(), best, error)) << error;
    EXPECT_FALSE(std::filesystem::exists(dir.path / "replays" / "best-1.dwdemo"));
    EXPECT_EQ(LoadRecordTable((dir.path / kRecordsFile).string()).scores[0], 5'000'000u);
}

// The table's replays follow the table: the save that enters a game names
// its replay at the place taken; older ones move down, the last drops out;
// files saved by earlier versions (best-N.dwdemo) keep their names.
TEST(GameReplays, OlderBestReplaysMoveDownWithTheTable) {
    TempDir dir("dw_pyw_keep_shift");
    platform::Services seams;
    seams.userDir = dir.path.string();
    const std::string records = (dir.path / kRecordsFile).string();
    GameReplays replays((dir.path / "replays").string());
    std::filesystem::create_directories(dir.path / "replays");
    for (int p = 0; p < RecordTable::kPlaces; ++p)
        std::ofstream(dir.path / "replays" / ("best-" + std::to_string(p + 1) + ".dwdemo")) << "old " << p + 1;
    // The default table on disk, as an earlier version saved it; a score
    // between its second and third.
    RecordTable table = DefaultRecordTable();
    ASSERT_EQ(SaveRecordTable(records, table), RecordWrite::Written);
    const std::uint32_t score = table.scores[2] + 1;
    ASSERT_EQ(InsertionPlace(table, score), 2);

    Demo recording;
    recording.frames.resize(3);
    GameContext c;
    c.services = &seams;
    c.currentScreen = Screen::Game;
    replays.AfterFrame(c, recording);  // a game is on
    c.currentScreen = Screen::Menu;
    c.score = score;
    c.scoreFromGame = 1;  // over: its score goes to the table
    replays.AfterFrame(c, recording);

    auto text = [](const std::string& path) {
        std::ifstream in(path);
        std::string s;
        std::getline(in, s);
        return s;
    };
    Demo kept;
    std::string error;
    EXPECT_TRUE(LoadDemoFile(replays.LastFile(), kept, error)) << error;
    ASSERT_TRUE(c.keepReplay) << "the table's save will keep it";
    for (int p = 0; p < RecordTable::kPlaces; ++p)
        EXPECT_EQ(text(replays.BestFile(c, p)), "old " + std::to_string(p + 1));
    // Another copy of the game saved a better score meanwhile (without a
    // replay): this one takes place 4.
    int place = 0;
    RecordTable merged = table;
    ASSERT_EQ(SaveRecordEntry(records, "other", table.scores[0] + 1, merged, place), RecordWrite::Written);
    ASSERT_EQ(SaveRecordEntry(records, "me", score, merged, place, c.keepReplay), RecordWrite::Written);
    ASSERT_EQ(place, 3);
    c.recordSaves = 2;
    c.recordSavedPlace = place;
    replays.AfterFrame(c, recording);
    EXPECT_FALSE(c.keepReplay) << "kept once";
    EXPECT_EQ(replays.BestFile(c, 0), "") << "the other copy's game has no replay here";
    EXPECT_EQ(text(replays.BestFile(c, 1)), "old 1");
    EXPECT_EQ(text(replays.BestFile(c, 2)), "old 2");
    EXPECT_TRUE(LoadDemoFile(replays.BestFile(c, 3), kept, error)) << error;
    EXPECT_EQ(kept.frames.size(), 3u);
    EXPECT_EQ(text(replays.BestFile(c, 4)), "old 3");
    EXPECT_EQ(text(replays.BestFile(c, 7)), "old 6");  // old 7 and 8 dropped out
    EXPECT_FALSE(std::filesystem::exists(dir.path / "replays" / "best-7.dwdemo"));
    EXPECT_FALSE(std::filesystem::exists(dir.path / "replays" / "best-8.dwdemo"));
    std::size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path / "replays")) files += e.is_regular_file();
    EXPECT_EQ(files, 8u) << "last, six old ones and the new one; no temporary file left";
    // The next start finds nothing to remove.
    EXPECT_EQ(RemoveUnlistedReplays(records), 0);
}

}  // namespace
}  // namespace dw
