#include <SDL.h>
#include <gtest/gtest.h>

#include "core/game_context.h"
#include "core/log.h"
#include "media/input_objects.h"
#include "platform/input.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "test_dir.h"

namespace dw {
namespace {

TEST(ScanCodes, SdlKeysMapToTheirDirectInputCodes) {
    struct Case {
        SDL_Scancode sdl;
        std::uint8_t dik;
    };
    const Case cases[] = {
        {SDL_SCANCODE_ESCAPE, 0x01},   {SDL_SCANCODE_RETURN, 0x1C},    {SDL_SCANCODE_BACKSPACE, 0x0E},
        {SDL_SCANCODE_SPACE, 0x39},    {SDL_SCANCODE_UP, 0xC8},        {SDL_SCANCODE_DOWN, 0xD0},
        {SDL_SCANCODE_LEFT, 0xCB},     {SDL_SCANCODE_RIGHT, 0xCD},     {SDL_SCANCODE_A, 0x1E},
        {SDL_SCANCODE_Q, 0x10},        {SDL_SCANCODE_Z, 0x2C},         {SDL_SCANCODE_M, 0x32},
        {SDL_SCANCODE_1, 0x02},        {SDL_SCANCODE_0, 0x0B},         {SDL_SCANCODE_KP_ENTER, 0x9C},
        {SDL_SCANCODE_LSHIFT, 0x2A},   {SDL_SCANCODE_RSHIFT, 0x36},    {SDL_SCANCODE_LCTRL, 0x1D},
        {SDL_SCANCODE_F1, 0x3B},       {SDL_SCANCODE_F12, 0x58},       {SDL_SCANCODE_DELETE, 0xD3},
        {SDL_SCANCODE_PAGEDOWN, 0xD1}, {SDL_SCANCODE_SEMICOLON, 0x27}, {SDL_SCANCODE_PERIOD, 0x34},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::DikFromSdlScancode(c.sdl), c.dik) << c.sdl;
    // Keys the game has no code for, and values outside SDL's range.
    EXPECT_EQ(platform::DikFromSdlScancode(SDL_SCANCODE_AUDIOPLAY), 0);
    EXPECT_EQ(platform::DikFromSdlScancode(-1), 0);
    EXPECT_EQ(platform::DikFromSdlScancode(SDL_NUM_SCANCODES), 0);
    EXPECT_EQ(platform::DikFromSdlScancode(100000), 0);
    // Every letter reaches the code CharToScanCode gives for it: name entry
    // compares the two.
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(platform::DikFromSdlScancode(SDL_SCANCODE_A + i), CharToScanCode(static_cast<char>('A' + i)));
}

TEST(ScanCodes, CharactersOfNameEntry) {
    EXPECT_EQ(CharToScanCode('A'), DIK_A);
    EXPECT_EQ(CharToScanCode('Z'), DIK_Z);
    EXPECT_EQ(CharToScanCode('a'), 0);  // lower case has no code of its own
    EXPECT_EQ(CharToScanCode(' '), 0x39);
    EXPECT_EQ(CharToScanCode('!'), 0x02);
    EXPECT_EQ(CharToScanCode('1'), 0x02);
    EXPECT_EQ(CharToScanCode('@'), 0x03);
    EXPECT_EQ(CharToScanCode('#'), 0x04);
    EXPECT_EQ(CharToScanCode('7'), 0x08);
    EXPECT_EQ(CharToScanCode('*'), 0x09);
    EXPECT_EQ(CharToScanCode('0'), 0x0B);
    EXPECT_EQ(CharToScanCode('_'), 0x0C);
    EXPECT_EQ(CharToScanCode('+'), 0x0D);
    EXPECT_EQ(CharToScanCode(':'), 0x27);
    EXPECT_EQ(CharToScanCode('"'), 0x28);
    EXPECT_EQ(CharToScanCode('<'), 0x33);
    EXPECT_EQ(CharToScanCode('>'), 0x34);
    EXPECT_EQ(CharToScanCode('?'), 0x35);
    EXPECT_EQ(CharToScanCode('/'), 0);
    EXPECT_EQ(CharToScanCode('$'), 0);
    EXPECT_EQ(CharToScanCode('\0'), 0);
    EXPECT_EQ(CharToScanCode(static_cast<char>(0xE9)), 0);
}

class InputObjects : public ::testing::Test {
protected:
    void SetUp() override {
        ctx.services = &services;
        dir = test::FreshDir("dw_input_");
        log = std::make_unique<Log>((dir / "file.log").string());
        ctx.log = log.get();
        ctx.screenWidth = 800;
        ctx.screenHeight = 600;
        ctx.timeNow = 1000;
        services.input = &input;
        StartInputDevices(ctx);
    }
    void TearDown() override {
        ShutdownInputDevices(ctx);
        services.input = nullptr;
        std::filesystem::remove_all(dir);
    }
    std::string LogText() { return test::ReadText(dir / "file.log"); }

    std::filesystem::path dir;
    std::unique_ptr<Log> log;
    platform::Services services;  // the seams of `ctx`
    GameContext ctx;
    platform::ScriptedInput input;
};

TEST_F(InputObjects, KeysLatchAndPollAtMostEvery4Ms) {
    KeysObject keys(&ctx);
    EXPECT_EQ(keys.order, 0);
    EXPECT_STREQ(keys.name, "keys");
    input.SetKey(DIK_RETURN, true);
    keys.FrameMove();  // same time as construction: too early
    EXPECT_EQ(ctx.keys[DIK_RETURN], 0);
    ctx.timeNow += 4;
    keys.FrameMove();
    EXPECT_EQ(ctx.keys[DIK_RETURN], 1);

    // Held across frames it stays; a release 3 ms later is not seen yet.
    for (int i = 0; i < 5; ++i) {
        ctx.timeNow += 16;
        keys.FrameMove();
        EXPECT_EQ(ctx.keys[DIK_RETURN], 1);
    }
    input.SetKey(DIK_RETURN, false);
    ctx.timeNow += 3;
    keys.FrameMove();
    EXPECT_EQ(ctx.keys[DIK_RETURN], 1);
    ctx.timeNow += 1;
    keys.FrameMove();
    EXPECT_EQ(ctx.keys[DIK_RETURN], 0);

    // The 4 ms rule holds across the wrap of the millisecond clock.
    ctx.timeNow = 0xFFFFFFFEu;
    keys.lastPoll = 0xFFFFFFFAu;
    input.SetKey(DIK_SPACE, true);
    keys.FrameMove();
    EXPECT_EQ(ctx.keys[DIK_SPACE], 1);
    input.SetKey(DIK_SPACE, false);
    ctx.timeNow = 1;  // 3 ms later, past the wrap
    keys.FrameMove();
    EXPECT_EQ(ctx.keys[DIK_SPACE], 1);
    ctx.timeNow = 2;
    keys.FrameMove();
    EXPECT_EQ(ctx.keys[DIK_SPACE], 0);
}

TEST_F(InputObjects, LostKeyboardLogsOnceReacquiresAndKeepsTheTable) {
    KeysObject keys(&ctx);
    input.SetKey(DIK_A, true);
    ctx.timeNow += 5;
    keys.FrameMove();
    ASSERT_EQ(ctx.keys[DIK_A], 1);
    const int acquiresBefore = input.keyboardAcquires;
    input.SetLost(true);
    input.SetKey(DIK_A, false);
    for (int i = 0; i < 3; ++i) {
        ctx.timeNow += 16;
        keys.FrameMove();
    }
    EXPECT_EQ(ctx.keys[DIK_A], 1);  // unchanged while lost
    EXPECT_EQ(input.keyboardAcquires, acquiresBefore + 3);
    input.SetLost(false);
    ctx.timeNow += 16;
    keys.FrameMove();  // not acquired yet: fails once more, acquires
    ctx.timeNow += 16;
    keys.FrameMove();
    EXPECT_EQ(ctx.keys[DIK_A], 0);
    input.SetLost(true);
    ctx.timeNow += 16;
    keys.FrameMove();
    // One line per run of failures.
    const std::string log = LogText();
    std::size_t count = 0;
    for (std::size_t at = log.find("FAIL: Get Keyboard State\n"); at != std::string::npos;
         at = log.find("FAIL: Get Keyboard State\n", at + 1))
        ++count;
    EXPECT_EQ(count, 2u);
}

TEST_F(InputObjects, MouseMovesScaledClampsAndReportsRawDeltas) {
    MouseObject mouse(&ctx);
    EXPECT_EQ(mouse.order, 99);
    EXPECT_FLOAT_EQ(mouse.pixelX, 400);
    EXPECT_FLOAT_EQ(mouse.pixelY, 300);

    // Inactive: the buttons latch, the cursor stays.
    input.MoveMouse(10, 10);
    input.SetButton(0, true);
    mouse.FrameMove();
    EXPECT_EQ(ctx.mouseButtons[0], 1);
    EXPECT_FLOAT_EQ(mouse.pixelX, 400);
    EXPECT_FLOAT_EQ(ctx.cursorDeltaX, 0);

    ctx.mouseActive = 1;
    input.MoveMouse(10, -4);
    mouse.FrameMove();
    EXPECT_FLOAT_EQ(ctx.cursorDeltaX, 15);  // 10 counts at 800 wide, speed 1.0
    EXPECT_FLOAT_EQ(ctx.cursorDeltaY, -6);
    EXPECT_FLOAT_EQ(mouse.pixelX, 415);
    EXPECT_FLOAT_EQ(mouse.pixelY, 294);
    EXPECT_FLOAT_EQ(mouse.screenX, 2.0f * 415 / 800 - 1);

    // Against the edge: clamped, the deltas stay raw.
    input.MoveMouse(1000, 1000);
    mouse.FrameMove();
    EXPECT_FLOAT_EQ(ctx.cursorDeltaX, 1500);
    EXPECT_FLOAT_EQ(mouse.pixelX, 800);
    EXPECT_FLOAT_EQ(mouse.pixelY, 600);
    EXPECT_FLOAT_EQ(mouse.screenX, 1);
    EXPECT_FLOAT_EQ(mouse.screenY, 1);
    input.MoveMouse(-5000, -5000);
    mouse.FrameMove();
    EXPECT_FLOAT_EQ(mouse.pixelX, 0);
    EXPECT_FLOAT_EQ(mouse.screenY, -1);

    // Speed and screen width scale the motion.
    ctx.mouseSpeed = 0.5f;
    ctx.screenWidth = 1600;
    ctx.screenHeight = 1200;
    input.MoveMouse(10, 0);
    mouse.FrameMove();
    EXPECT_FLOAT_EQ(ctx.cursorDeltaX, 15);  // 10 * 0.5 * 2.0 * 1.5

    // No motion: zero deltas (the stored state is cleared after each read).
    mouse.FrameMove();
    EXPECT_FLOAT_EQ(ctx.cursorDeltaX, 0);
    EXPECT_EQ(ctx.mouseButtons[0], 1);
    input.SetButton(0, false);
    input.SetButton(1, true);
    input.SetButton(2, true);
    input.SetButton(3, true);  // the fourth button is not published
    mouse.FrameMove();
    EXPECT_EQ(ctx.mouseButtons[0], 0);
    EXPECT_EQ(ctx.mouseButtons[1], 1);
    EXPECT_EQ(ctx.mouseButtons[2], 1);
}

TEST_F(InputObjects, MouseKeepsItsRelativePlaceWhenTheScreenChanges) {
    MouseObject mouse(&ctx);
    ctx.mouseActive = 1;
    input.MoveMouse(-100, 100);  // 150 px left, 150 px down
    mouse.FrameMove();
    ctx.screenWidth = 1600;
    ctx.screenHeight = 1000;
    mouse.RestoreDeviceObjects();
    EXPECT_FLOAT_EQ(mouse.pixelX, 250.0f / 800 * 1600);
    EXPECT_FLOAT_EQ(mouse.pixelY, 450.0f / 600 * 1000);
}

TEST_F(InputObjects, LostMouseRequestsReacquireAndLogsOncePerRun) {
    MouseObject mouse(&ctx);
    input.SetLost(true);
    input.SetButton(0, true);
    EXPECT_EQ(mouse.FrameMove(), E_FAIL);
    EXPECT_EQ(ctx.reacquireMouse, 1);
    EXPECT_EQ(ctx.mouseButtons[0], 0);
    mouse.FrameMove();
    input.SetLost(false);
    ctx.reacquireMouse = 0;
    ctx.mouseDevice->Acquire();  // what the application does on the request
    EXPECT_EQ(mouse.FrameMove(), 0);
    EXPECT_EQ(ctx.mouseButtons[0], 1);
    EXPECT_EQ(mouse.errorReported, 0);
    const std::string log = LogText();
    EXPECT_NE(log.find("FAIL: Get Mouse State\n"), std::string::npos);
    EXPECT_EQ(log.find("FAIL: Get Mouse State\n"), log.rfind("FAIL: Get Mouse State\n"));
}

TEST(InputStart, MissingDevicesWarnAndTheGameGoesOn) {
    struct Case {
        bool noInput, failKeyboard, failMouse, failFormat, failCooperative;
        const char* warning;
        bool keyboard, mouse;
    };
    const Case cases[] = {
        {true, false, false, false, false, "Don't create DirectInput8", false, false},
        {false, true, false, false, false, "Don't create KeyBoard Device", false, true},
        {false, false, true, false, false, "Don't create Mouse Device", true, false},
        {false, false, false, true, false, "Don't set Mouse Format", true, false},
        {false, false, false, false, true, "Don't set Mouse Cooperative Level", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.warning);
        platform::ScriptedInput input;
        input.failKeyboard = c.failKeyboard;
        input.failMouse = c.failMouse;
        input.failMouseFormat = c.failFormat;
        input.failMouseCooperative = c.failCooperative;
        platform::Services seams;
        seams.input = c.noInput ? nullptr : &input;
        platform::NullShell shell;
        seams.shell = &shell;
        GameContext ctx;
        ctx.services = &seams;
        StartInputDevices(ctx);
        EXPECT_EQ(shell.messageBoxes, 1);
        EXPECT_EQ(shell.lastMessageCaption, "Warning");
        EXPECT_EQ(shell.lastMessageText, c.warning);
        EXPECT_EQ(ctx.keyboardDevice != nullptr, c.keyboard);
        EXPECT_EQ(ctx.mouseDevice != nullptr, c.mouse);
        // Polling without a device neither crashes nor changes the tables.
        KeysObject keys(&ctx);
        MouseObject mouse(&ctx);
        ctx.timeNow += 10;
        keys.FrameMove();
        mouse.FrameMove();
        ShutdownInputDevices(ctx);
        EXPECT_EQ(ctx.keyboardDevice, nullptr);
        EXPECT_EQ(ctx.mouseDevice, nullptr);
    }
}

}  // namespace
}  // namespace dw
