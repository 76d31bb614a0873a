#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gfx/device.h"
#include "core/game_context.h"
#include "common/headless_game.h"
#include "app/frame_pacer.h"
#include "app/program.h"
#include "engine/list_engine.h"
#include "engine/my_object.h"
#include "media/cameras.h"
#include "gfx/null/null_device.h"
#include "platform/clock.h"
#include "platform/resource_library.h"
#include "platform/sound_library.h"
#include "test_dir.h"

namespace dw {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        out.push_back(text.substr(start, nl - start));
    return out;
}

std::vector<std::string> ObjectNames(const GameContext& ctx) {
    std::vector<std::string> names;
    for (const ListEngine::Node* n = ctx.objectList->Head(); n; n = n->next) names.push_back(n->object->name);
    return names;
}

// Counts its frames; on frame `quitAt` raises the quit request.
class Probe final : public MyObject {
public:
    Probe(GameContext* ctx, int order_, int quitAt_ = -1) : MyObject(ctx), quitAt(quitAt_) {
        name = "probe";
        order = order_;
    }
    std::int32_t FrameMove() override {
        ++frames;
        if (frames == quitAt) context->quitRequest = 1;
        return 0;
    }
    std::int32_t InvalidateDeviceObjects() override {
        events += "I";
        return 0;
    }
    std::int32_t RestoreDeviceObjects() override {
        events += "R";
        return 0;
    }
    std::int32_t DeleteDeviceObjects() override {
        events += "D";
        return 0;
    }
    int frames = 0;
    int quitAt;
    std::string events;
};

class Shell : public ::testing::Test {
protected:
    void SetUp() override { dir = test::FreshDir("dw_shell_"); }
    void TearDown() override { std::filesystem::remove_all(dir); }
    HeadlessOptions Options() {
        HeadlessOptions o;
        o.userDir = dir.string();
        o.seed = 7;
        o.resources = &library;
        o.sound = &sound;
        return o;
    }
    std::string LogText() { return test::ReadText(dir / "file.log"); }

    std::filesystem::path dir;
    platform::MemoryResourceLibrary library;
    platform::RecordingSoundLibrary sound;
};

TEST_F(Shell, StartUpWritesTheLogInOrderAndCreatesTheFirstObjects) {
    {
        HeadlessGame game(Options());
        ASSERT_TRUE(game.Start());
        GameContext& ctx = game.context();
        EXPECT_EQ(ctx.screenWidth, 800);
        EXPECT_EQ(ctx.screenHeight, 600);
        EXPECT_EQ(ctx.device, &game.device());
        EXPECT_EQ(ctx.shell(), &game.shell());
        EXPECT_NE(ctx.renderQueue, nullptr);
        EXPECT_NE(ctx.keyboardDevice, nullptr);
        EXPECT_NE(ctx.mouseDevice, nullptr);
        ASSERT_NE(ctx.camera, nullptr);
        EXPECT_STREQ(ctx.camera->name, "camera");
        EXPECT_EQ(ctx.canMipMap, 1);
        // The system start ran after the report: its start values hold.
        EXPECT_EQ(ctx.frameTimes[0], 10u);
        EXPECT_EQ(ctx.frameTimeAverage, 0u);
        EXPECT_EQ(ctx.introActive, 1);
        // Every first object exists; the list runs them by order: the
        // keyboard first, then "first", the camera, "maincam", ..., the mouse.
        const std::vector<std::string> names = ObjectNames(ctx);
        std::vector<std::string> mine;
        for (const std::string& n : names)
            if (n == "keys" || n == "first" || n == "camera" || n == "maincam" || n == "mouse") mine.push_back(n);
        const std::vector<std::string> expected = {"keys", "first", "camera", "maincam", "mouse"};
        EXPECT_EQ(mine, expected);
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(names.front(), "keys");
        int lastOrder = -1;
        for (const ListEngine::Node* n = ctx.objectList->Head(); n; n = n->next) {
            EXPECT_GE(n->object->order, lastOrder) << n->object->name;
            lastOrder = n->object->order;
        }
        // Start-up render states, then the restore ones (culling stays CCW
        // from the restore that the framework ran first).
        DWORD state = 0;
        game.device().GetRenderState(D3DRS_CULLMODE, &state);
        EXPECT_EQ(state, static_cast<DWORD>(D3DCULL_NONE));
        game.device().GetRenderState(D3DRS_ZFUNC, &state);
        EXPECT_EQ(state, static_cast<DWORD>(D3DCMP_LESSEQUAL));
        game.device().GetRenderState(D3DRS_LIGHTING, &state);
        EXPECT_EQ(state, 1u);
        EXPECT_NE(ctx.textureCache, nullptr);
        EXPECT_NE(ctx.meshCache, nullptr);
        EXPECT_NE(ctx.preparedMeshCache, nullptr);
        EXPECT_NE(ctx.soundCache, nullptr);
        EXPECT_EQ(ctx.soundReady, 1);
        EXPECT_NE(ctx.resourceLibraryModule, nullptr);
        EXPECT_EQ(game.Run(3), 3u);
        EXPECT_EQ(game.frames(), 3u);
        EXPECT_EQ(ctx.frameTimeAverage, 10u);
        game.Close();
        EXPECT_TRUE(game.closed());
        EXPECT_EQ(ctx.objectList, nullptr);
        EXPECT_EQ(ctx.renderQueue, nullptr);
        EXPECT_EQ(ctx.device, nullptr);
        EXPECT_EQ(ctx.keyboardDevice, nullptr);
        EXPECT_EQ(ctx.textureCache, nullptr);
        EXPECT_EQ(ctx.soundReady, 0);
        EXPECT_EQ(library.openCount, 0);  // every library opened was freed
    }
    const std::vector<std::string> log = Lines(LogText());
    const std::vector<std::string> head = {
        "Start Execute: \"Duskwhirl 2\".  Begin Log File",      "",
        "Read Settings........... Succesful read settings",     "Read Settings....Fucking SHIT!!! Error occuried!",
        "***------------ SYSTEM CONFIGURATION ------------***", "CPU ARCHITECURE:",
    };
    ASSERT_GE(log.size(), head.size() + 10);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + head.size()), head);
    std::size_t at = 0;
    for (const std::string& want : {std::string("VIDEO ADAPTER:"), std::string(" Video Card:\t\t\tRecording device;"),
                                    std::string("***----------------------------------------------***"),
                                    std::string(""), std::string("CAPS: DeviceType............D3DDEVTYPE_HAL"),
                                    std::string(""), std::string("GAME: Resource Library is present"),
                                    std::string("Unexpected Exit. Restore display settings.")}) {
        while (at < log.size() && log[at] != want) ++at;
        EXPECT_LT(at, log.size()) << "missing or out of order: " << want;
    }
    EXPECT_EQ(log.back(), "Unexpected Exit. Restore display settings.");
}

TEST_F(Shell, NormalExitLeavesNoUnexpectedExitLine) {
    HeadlessGame game(Options());
    ASSERT_TRUE(game.Start());
    game.Step();
    game.context().normalExit = 1;
    game.context().quitRequest = 1;
    EXPECT_FALSE(game.Step());
    EXPECT_EQ(LogText().find("Unexpected Exit"), std::string::npos);
}

TEST_F(Shell, QuitRequestClosesAtTheEndOfThatFrame) {
    HeadlessGame game(Options());
    ASSERT_TRUE(game.Start());
    auto* early = new Probe(&game.context(), 50, 3);
    auto* late = new Probe(&game.context(), 200);
    game.context().objectList->AddObject(early);
    game.context().objectList->AddObject(late);
    std::string lateEvents;
    int lateFrames = 0;
    game.session().OnShutdown([&] {
        lateFrames = late->frames;  // objects still alive when the close starts
        lateEvents = late->events;
    });
    EXPECT_TRUE(game.Step());
    EXPECT_TRUE(game.Step());
    EXPECT_FALSE(game.Step());  // frame 3 raises the request: the window closes after it
    EXPECT_TRUE(game.closed());
    EXPECT_EQ(lateFrames, 3);  // the rest of that frame's FrameMove ran, and no more
    EXPECT_EQ(game.frames(), 3u);
    EXPECT_FALSE(game.Step());
    EXPECT_EQ(game.frames(), 3u);
}

TEST_F(Shell, DeviceResetDuringPlayReturnsToTheMenu) {
    HeadlessGame game(Options());
    ASSERT_TRUE(game.Start());
    GameContext& ctx = game.context();
    auto* probe = new Probe(&ctx, 50);
    ctx.objectList->AddObject(probe);
    game.Step();

    // In the menu a resize changes the size only.
    game.shell().Resize(1024, 768);
    game.Step();
    EXPECT_EQ(probe->events, "IR");
    EXPECT_EQ(ctx.screenWidth, 1024);
    EXPECT_EQ(ctx.screenHeight, 768);
    EXPECT_EQ(ctx.menuRequest, 0);
    EXPECT_EQ(ctx.gameInProgress, 0);

    // In play it returns to the menu: the first object serves the request
    // in the next frame.
    ctx.currentScreen = Screen::Game;
    game.shell().Resize(640, 480);
    game.Step();
    EXPECT_EQ(ctx.currentScreen, Screen::Menu);
    EXPECT_EQ(ctx.gameInProgress, 1);
    EXPECT_EQ(ctx.musicRequest, MusicRequest::MenuTheme);
    EXPECT_EQ(ctx.screenWidth, 640);

    // The same through a lost device: frames stop while it is lost, the
    // reset comes when it can be reset.
    ctx.currentScreen = Screen::Game;
    ctx.gameInProgress = 0;
    auto& device = static_cast<gfx::NullDevice&>(game.device());
    device.SetCooperativeLevel(D3DERR_DEVICELOST);
    const int framesBefore = probe->frames;
    game.Step();
    game.Step();
    EXPECT_EQ(probe->frames, framesBefore);
    device.SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    game.Step();  // the reset
    EXPECT_EQ(ctx.menuRequest, 1);
    game.Step();
    EXPECT_EQ(ctx.currentScreen, Screen::Menu);
    EXPECT_EQ(ctx.gameInProgress, 1);
    EXPECT_EQ(probe->frames, framesBefore + 1);
}

TEST_F(Shell, FailedResetShowsTheMessageAndCloses) {
    HeadlessGame game(Options());
    ASSERT_TRUE(game.Start());
    static_cast<gfx::NullDevice&>(game.device()).FailReset(E_FAIL);
    game.shell().Resize(1000, 700);
    EXPECT_FALSE(game.Step());
    EXPECT_EQ(game.shell().lastMessageCaption, "Duskwhirl 2");
    EXPECT_EQ(game.shell().lastMessageText, "Could not reset the Direct3D device.\n\nThis application will now exit.");
    EXPECT_EQ(game.session().exitStatus(), 1);
    EXPECT_FALSE(game.shell().windowOpen);
}

TEST_F(Shell, FullscreenToggleResizesAndComesBack) {
    HeadlessGame game(Options());
    ASSERT_TRUE(game.Start());
    GameContext& ctx = game.context();
    game.shell().Push(platform::ShellEventType::ToggleFullscreen);
    game.Step();
    EXPECT_TRUE(game.shell().IsFullscreen());
    EXPECT_EQ(ctx.screenWidth, 1280);
    EXPECT_EQ(ctx.screenHeight, 960);
    game.shell().Push(platform::ShellEventType::ToggleFullscreen);
    game.Step();
    EXPECT_FALSE(game.shell().IsFullscreen());
    EXPECT_EQ(ctx.screenWidth, 800);
    EXPECT_EQ(ctx.screenHeight, 600);
}

TEST_F(Shell, StartsFullScreenUnlessTheWindowWasAskedFor) {
    HeadlessOptions o = Options();
    o.fullscreen = true;
    HeadlessGame game(o);
    ASSERT_TRUE(game.Start());
    EXPECT_TRUE(game.shell().IsFullscreen());
    EXPECT_EQ(game.context().screenWidth, 1280);
}

TEST_F(Shell, FocusMinimiseAndStopSound) {
    HeadlessGame game(Options());
    ASSERT_TRUE(game.Start());
    GameContext& ctx = game.context();
    auto* probe = new Probe(&ctx, 50);
    ctx.objectList->AddObject(probe);

    // Losing the focus does not stop the frames.
    game.shell().Push(platform::ShellEventType::Deactivate);
    game.Step();
    EXPECT_EQ(ctx.appInactive, 1);
    EXPECT_EQ(probe->frames, 1);
    game.shell().Push(platform::ShellEventType::Activate);
    game.Step();
    EXPECT_EQ(ctx.appInactive, 0);

    // Ctrl+Space minimises: no frames until the window is back.
    game.shell().Push(platform::ShellEventType::StopSoundMinimise);
    game.Step();
    EXPECT_TRUE(game.shell().minimised);
    const int frames = probe->frames;
    game.Step();
    game.Step();
    EXPECT_EQ(probe->frames, frames);
    game.shell().Push(platform::ShellEventType::Restored);
    game.Step();
    EXPECT_EQ(probe->frames, frames + 1);
}

TEST_F(Shell, LostMouseIsReacquiredByTheFrame) {
    HeadlessGame game(Options());
    ASSERT_TRUE(game.Start());
    GameContext& ctx = game.context();
    game.Step();
    const int acquires = game.input().mouseAcquires;
    game.input().SetLost(true);
    game.Step();  // the mouse read fails and asks for the mouse again
    EXPECT_EQ(ctx.reacquireMouse, 1);
    game.Step();  // the application tries (and fails while lost)
    EXPECT_GT(game.input().mouseAcquires, acquires);
    game.input().SetLost(false);
    game.input().SetButton(0, true);
    game.Step();  // acquired again at the start of this frame
    EXPECT_EQ(ctx.reacquireMouse, 0);
    EXPECT_EQ(ctx.mouseButtons[0], 1);
    const std::string log = LogText();
    EXPECT_NE(log.find("FAIL: Get Mouse State\n"), std::string::npos);
    EXPECT_NE(log.find("FAIL: Get Keyboard State\n"), std::string::npos);
}

TEST_F(Shell, DeviceCreationFailureShowsItsMessage) {
    HeadlessGame game(Options());
    game.shell().failDevice = platform::DeviceError::OutOfMemory;
    EXPECT_FALSE(game.Start());
    EXPECT_EQ(game.shell().lastMessageText, "Not enough memory.\n\nThis application will now exit.");
    EXPECT_EQ(game.session().exitStatus(), 1);
    EXPECT_TRUE(game.closed());
    EXPECT_FALSE(game.Step());
    // No display at all: nothing to show a box on.
    HeadlessGame headless(Options());
    headless.shell().failDevice = platform::DeviceError::NoDisplay;
    EXPECT_FALSE(headless.Start());
    EXPECT_EQ(headless.shell().messageBoxes, 0);
}

TEST_F(Shell, TheIntroEndingHandsTheCameraToPlayAndOpensTheMenu) {
    HeadlessGame game(Options());
    ASSERT_TRUE(game.Start());
    GameContext& ctx = game.context();
    game.Run(3);
    EXPECT_EQ(ctx.mouseActive, 0);
    ctx.introActive = 0;
    // maincam acts in the next frame; the first object switches the screen
    // in the frame after.
    EXPECT_TRUE(game.RunUntil([&] { return ctx.mouseActive == 1; }, 5));
    EXPECT_EQ(game.frames(), 4u);
    EXPECT_NEAR(ctx.eyePosition.y, 99.0f, 1e-4f);
    EXPECT_EQ(ctx.screenChangeRequest, 1);
    ctx.currentScreen = Screen::Game;
    game.Step();
    EXPECT_EQ(ctx.screenChangeRequest, 0);
    EXPECT_EQ(ctx.currentScreen, Screen::Menu);
    // The mouse now moves the cursor.
    game.input().MoveMouse(10, 0);
    game.Step();
    EXPECT_FLOAT_EQ(ctx.cursorDeltaX, 15.0f);
}

TEST_F(Shell, FramesArePacedByTheClock) {
    HeadlessOptions o = Options();
    o.stepMs = 25;
    HeadlessGame game(o);
    ASSERT_TRUE(game.Start());
    GameContext& ctx = game.context();
    game.Run(130);
    EXPECT_EQ(ctx.frameTimeAverage, 25u);
    EXPECT_EQ(ctx.timeNow, game.clock().Milliseconds());
}

}  // namespace
}  // namespace dw

namespace dw {
namespace {

TEST_F(Shell, MissingLibraryAndSoundCardLeaveASilentPicturelessGame) {
    library.failOpen = true;
    sound.available = false;
    {
        HeadlessGame game(Options());
        ASSERT_TRUE(game.Start());
        EXPECT_EQ(game.context().soundReady, 0);
        EXPECT_EQ(game.context().resourceLibraryModule, nullptr);
        EXPECT_EQ(game.Run(5), 5u);
    }
    EXPECT_NE(LogText().find("\nGAME: Resource Library is absent\n"), std::string::npos);
    EXPECT_EQ(LogText().find("present"), std::string::npos);
}

TEST_F(Shell, StopSoundStopsOutputAndShutdownReleasesTheSoundLibrary) {
    HeadlessGame game(Options());
    ASSERT_TRUE(game.Start());
    game.Step();
    sound.calls.clear();
    game.shell().Push(platform::ShellEventType::StopSoundMinimise);
    game.Step();
    ASSERT_FALSE(sound.calls.empty());
    EXPECT_EQ(sound.calls.back(), "IMXStop");
    // Coming back does not restart the sound by itself.
    game.shell().Push(platform::ShellEventType::Restored);
    game.Step();
    EXPECT_EQ(sound.calls.back(), "IMXStop");
    game.Close();
    EXPECT_EQ(sound.calls.back(), "IMXUninit");
}

}  // namespace
}  // namespace dw

namespace dw {
namespace {

// Time moves only by the steps of the test and by the program's sleeps.
class SleepRecordingClock final : public platform::Clock {
public:
    std::uint32_t Milliseconds() override { return now; }
    void Sleep(std::uint32_t ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
    std::uint64_t TimeStampCounter() override { return now; }
    std::uint32_t now = 5000;
    std::vector<std::uint32_t> sleeps;
};

// A frame never waits (a host may call it once per display refresh); the
// drivers keep frames of play at least 10 ms of the game's clock apart.
TEST_F(Shell, AFrameNeverWaitsAndTheDriverKeepsPresents10MsApart) {
    HeadlessGame game(Options());
    SleepRecordingClock clock;
    game.services().clock = &clock;  // the game's own clock is set aside
    ASSERT_TRUE(game.Start());
    clock.sleeps.clear();
    for (int i = 0; i < 3; ++i) {
        clock.now += 3;
        game.Step();
    }
    EXPECT_EQ(game.frames(), 3u);
    EXPECT_TRUE(clock.sleeps.empty()) << "a frame slept";

    game.Close();
}

// Play's pace, which the desktop's and the browser's drivers keep: the next
// frame is due 10 ms of the window's game clock after the last one's tick.
// Whatever the work between the wait and the frame's tick (events, a slow
// disk), no step is under 10 ms, so the score server never takes a game
// played at 144 Hz for slow motion.
TEST(FramePacer, PlayNeverStepsUnderTenMsOfTheGamesClock) {
    SleepRecordingClock real;
    platform::LatchedClock clock(1000, real);
    FramePacer pace;
    const auto tick = [&] {
        const std::uint32_t step = clock.Tick(0);
        pace.DueAt(clock.Milliseconds() + kFrameIntervalMs);
        return step;
    };
    tick();
    EXPECT_EQ(pace.MsUntilDue(clock.Peek()), 10u) << "no time has passed";
    real.now += 3;
    EXPECT_EQ(pace.MsUntilDue(clock.Peek()), 7u);
    real.now += 25;
    EXPECT_EQ(pace.MsUntilDue(clock.Peek()), 0u) << "a slow frame does not wait";
    tick();

    // A 144 Hz display calls every 7 ms; work before the tick varies 0-6 ms.
    std::uint32_t shortest = ~0u, frames = 0;
    for (std::uint32_t refresh = 0; refresh < 2000; ++refresh) {
        real.now += 7;
        if (pace.MsUntilDue(clock.Peek()) > 0) continue;  // the browser skips this one
        real.now += (refresh * 7919u) % 7;                // the frame's work before its tick
        shortest = std::min(shortest, tick());
        ++frames;
    }
    EXPECT_GE(shortest, kFrameIntervalMs);
    EXPECT_GT(frames, 900u) << "frames were skipped that could have run";
    // The desktop sleeps instead; the same holds, also after a stall the
    // clock cut to its longest step.
    real.now += 5000;
    tick();
    for (int i = 0; i < 500; ++i) {
        if (const std::uint32_t wait = pace.MsUntilDue(clock.Peek())) clock.Sleep(wait);
        real.now += static_cast<std::uint32_t>(i % 5);
        EXPECT_GE(tick(), kFrameIntervalMs);
    }
}

// An attract demo keeps to the steps it was recorded with on the same pacer:
// each frame is due its step after the one before; one that fell far behind
// starts the schedule again instead of running frames back to back. The
// clock may wrap.
TEST(FramePacer, ADemoKeepsToItsStepsAndDoesNotRushToCatchUp) {
    for (const std::uint32_t start : {5000u, 0xFFFFFFF0u}) {
        SCOPED_TRACE(start);
        FramePacer pacer;
        pacer.DueAt(start);
        EXPECT_EQ(pacer.MsUntilDue(start), 0u) << "the first frame is due at once";
        pacer.Ran(16, start + 2);
        EXPECT_EQ(pacer.MsUntilDue(start + 2), 14u);
        pacer.Ran(16, start + 20);
        EXPECT_EQ(pacer.MsUntilDue(start + 20), 12u) << "due 32 ms after the start";
        pacer.Ran(400, start + 30);
        EXPECT_EQ(pacer.MsUntilDue(start + 30), 100u) << "a long step sleeps in pieces of 100 ms";
        // Far behind (a stall of a second): due again from now, one step at a time.
        const std::uint32_t late = start + 2000;
        pacer.Ran(16, late);
        EXPECT_EQ(pacer.MsUntilDue(late), 0u);
        pacer.Ran(16, late);
        EXPECT_EQ(pacer.MsUntilDue(late), 16u);
    }
}

}  // namespace
}  // namespace dw

namespace dw {
namespace {

TEST_F(Shell, ASizeChangedWhileMinimisedIsTakenWhenTheWindowReturns) {
    HeadlessGame game(Options());
    ASSERT_TRUE(game.Start());
    game.shell().Minimise();
    game.Step();
    game.shell().Resize(1024, 700);
    game.Step();
    EXPECT_EQ(game.context().screenWidth, 800);  // no frames, no reset while minimised
    game.shell().Push(platform::ShellEventType::Restored);
    game.Step();
    EXPECT_EQ(game.context().screenWidth, 933);  // the 4:3 picture in 1024 x 700
    EXPECT_EQ(game.context().screenHeight, 700);
    EXPECT_EQ(game.device().BackBufferWidth(), 933u);
}

}  // namespace
}  // namespace dw

#include "app/command_line.h"
#include "app/runner.h"
#include "common/run_program.h"

namespace dw {
namespace {

TEST_F(Shell, HeadlessRunWritesItsReport) {
    std::string error;
    const auto cl =
        ParseCommandLine({"--headless", "--frames", "12", "--seed", "3", "--user-dir", dir.string(), "--report",
                          (dir / "report.json").string(), "--data", (dir / "missing.res").string()},
                         error);
    ASSERT_TRUE(cl) << error;
    EXPECT_EQ(RunProgram(*cl), 0);
    const std::string report = test::ReadText(dir / "report.json");
    EXPECT_EQ(report.rfind("{\"frames\": 12,", 0), 0u) << report.substr(0, 80);
    EXPECT_NE(report.find("\"renderer\": {\"draws\": "), std::string::npos);
    EXPECT_NE(report.find("\"keys\": 1"), std::string::npos);
    EXPECT_NE(LogText().find("GAME: Resource Library is absent"), std::string::npos);

    // An unwritable report is a failure of the run.
    const auto bad = ParseCommandLine({"--headless", "--frames", "1", "--user-dir", dir.string(), "--report",
                                       (dir / "no" / "such" / "dir.json").string()},
                                      error);
    ASSERT_TRUE(bad);
    EXPECT_EQ(RunProgram(*bad), 1);
}

}  // namespace
}  // namespace dw

#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/services.h"

namespace dw {
namespace {

// Every seam of a session is given to it: one forgotten is named, and the
// session does not start on a real device in its place.
TEST_F(Shell, ASessionWithoutOneOfItsSeamsDoesNotStartAndSaysWhich) {
    const std::pair<const char*, void (*)(platform::Services&)> cases[] = {
        {"clock", [](platform::Services& s) { s.clock = nullptr; }},
        {"desktop", [](platform::Services& s) { s.desktop = nullptr; }},
        {"input", [](platform::Services& s) { s.input = nullptr; }},
        {"shell", [](platform::Services& s) { s.shell = nullptr; }},
        {"sound library", [](platform::Services& s) { s.sound = nullptr; }},
        {"resources", [](platform::Services& s) { s.resources = nullptr; }},
        {"settings store", [](platform::Services& s) { s.settings = nullptr; }},
        {"system information", [](platform::Services& s) { s.system = nullptr; }},
    };
    for (const auto& [seam, forget] : cases) {
        SCOPED_TRACE(seam);
        HeadlessGame game(Options());
        forget(game.services());
        std::string error;
        EXPECT_FALSE(game.Start(error));
        EXPECT_EQ(error, std::string("the session has no ") + seam);
        EXPECT_FALSE(game.Step());
    }
    // A replay needs the script its demo drives.
    Demo demo;
    demo.frames.resize(2);
    SessionConfig replay;
    TakeDemo(replay, demo);
    HeadlessGame complete(Options());
    Session session(complete.services(), nullptr, replay);
    std::string error;
    EXPECT_FALSE(session.Start(error));
    EXPECT_EQ(error, "the session has no script");
}

// Past the start, an object that reaches for a seam its context lacks ends
// the program with the seam's name instead of using the real one.
TEST(SeamsDeathTest, AContextWithoutItsClockOrDesktopEndsTheProgramNamingIt) {
    platform::Services seams;
    GameContext ctx;
    EXPECT_DEATH(ctx.clock(), "the session has no services record");
    ctx.services = &seams;
    EXPECT_DEATH(ctx.clock(), "the session has no clock");
    EXPECT_DEATH(ctx.desktop(), "the session has no desktop");
    EXPECT_DEATH(ctx.ResetToStartValues(), "the session has no clock");
    // The optional seams are simply absent.
    EXPECT_EQ(ctx.soundLibrary(), nullptr);
    EXPECT_EQ(ctx.resourceLibrary(), nullptr);
}

// A headless session's time is its fixed-step clock and nothing else, and
// its desktop keeps the pages it was asked to open.
TEST_F(Shell, AHeadlessSessionNeverReadsTheWallClockNorOpensABrowser) {
    HeadlessOptions o = Options();
    o.startClock = 50'000;
    HeadlessGame game(o);
    ASSERT_TRUE(game.Start());
    EXPECT_EQ(game.context().timeNow, 50'000u);
    EXPECT_EQ(game.Run(40), 40u);
    EXPECT_EQ(game.context().timeNow, 50'000u + 40 * 16);
    auto* desktop = dynamic_cast<platform::QuietDesktop*>(game.session().services().desktop);
    ASSERT_NE(desktop, nullptr);
    EXPECT_FALSE(game.context().desktop().OpenUrl("https://example.org/"));
    EXPECT_EQ(desktop->opened, std::vector<std::string>{"https://example.org/"});
    // Two sessions side by side keep their own seams.
    HeadlessGame other(Options());
    ASSERT_TRUE(other.Start());
    EXPECT_NE(other.context().services, game.context().services);
    EXPECT_EQ(other.context().timeNow, 1000u);
    game.Close();
    other.Close();
}

}  // namespace
}  // namespace dw
