// The player's controls: key and button names as settings.ini keeps them,
// binding with swaps (never leaving pausing without a key), text values in
// the settings file, the steering layer playing the bindings, and short key
// presses latched for a frame.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/clock.h"
#include "platform/controls.h"
#include "platform/input.h"
#include "platform/settings_store.h"
#include "platform/steering.h"

namespace platform {
namespace {

TEST(Controls, TheDefaultsReadAsTheirSettingsTextsAndBack) {
    const Controls c = Controls::Defaults();
    EXPECT_EQ(FormatKeys(c.keys[static_cast<int>(KeyAction::Fire)]), "Left Ctrl,Z");
    EXPECT_EQ(FormatKeys(c.keys[static_cast<int>(KeyAction::Rocket)]), "Left Alt,X");
    EXPECT_EQ(FormatKeys(c.keys[static_cast<int>(KeyAction::Pause)]), "Escape");
    EXPECT_EQ(FormatKeys(c.keys[static_cast<int>(KeyAction::Left)]), "Left,A");
    EXPECT_EQ(FormatPadButtons(c.pad[static_cast<int>(PadAction::Pause)]), "start,back");
    for (const auto& pair : c.keys) EXPECT_EQ(ParseKeys(FormatKeys(pair)), pair);
    for (const auto& pair : c.pad) EXPECT_EQ(ParsePadButtons(FormatPadButtons(pair)), pair);
    // Hand-written: any case, spaces around the comma.
    EXPECT_EQ(ParseKeys("left ctrl , z"), (std::array<std::uint8_t, 2>{DIK_LCONTROL, DIK_Z}));
    EXPECT_EQ(ParsePadButtons("X"), (std::array<std::uint8_t, 2>{kPadX, kNoButton}));
}

TEST(Controls, BrokenTextsAreRefused) {
    for (const char* text : {"", ",", "Banana", "Z,", ",Z", "Z,Z", "A,B,C", "Left Ctrl;Z"})
        EXPECT_FALSE(ParseKeys(text).has_value()) << text;
    for (const char* text : {"", "trigger", "a,a", "a,b,x"}) EXPECT_FALSE(ParsePadButtons(text).has_value()) << text;
}

TEST(Controls, AKeyBoundElsewhereSwaps) {
    Controls c = Controls::Defaults();
    // D steers right (second key): as Fire's primary it swaps with Left Ctrl.
    ASSERT_TRUE(c.BindKey(KeyAction::Fire, 0, DIK_D));
    EXPECT_EQ(c.Key(KeyAction::Fire, 0), DIK_D);
    EXPECT_EQ(c.Key(KeyAction::Right, 1), DIK_LCONTROL);
    // Within one action the two keys change places.
    ASSERT_TRUE(c.BindKey(KeyAction::Fire, 1, DIK_D));
    EXPECT_EQ(c.Key(KeyAction::Fire, 0), DIK_Z);
    EXPECT_EQ(c.Key(KeyAction::Fire, 1), DIK_D);
    // A free key simply replaces; nothing else changes.
    const Controls before = c;
    ASSERT_TRUE(c.BindKey(KeyAction::Pause, 0, DIK_P));
    EXPECT_EQ(c.Key(KeyAction::Pause, 0), DIK_P);
    c.Key(KeyAction::Pause, 0) = DIK_ESCAPE;
    EXPECT_EQ(c, before);
}

TEST(Controls, PausingAlwaysKeepsAKey) {
    Controls c = Controls::Defaults();
    c.keys[static_cast<int>(KeyAction::Rocket)] = {DIK_X, 0};
    // Escape as Rocket's second key would leave Pause with the empty place.
    EXPECT_FALSE(c.BindKey(KeyAction::Rocket, 1, DIK_ESCAPE));
    EXPECT_EQ(c.Key(KeyAction::Pause, 0), DIK_ESCAPE);
    EXPECT_EQ(c.Key(KeyAction::Rocket, 1), 0);
    // As a primary it swaps: Pause takes X.
    EXPECT_TRUE(c.BindKey(KeyAction::Rocket, 0, DIK_ESCAPE));
    EXPECT_EQ(c.Key(KeyAction::Pause, 0), DIK_X);
    // A second key taken away from an action gives way: its first key stays.
    c = Controls::Defaults();
    c.keys[static_cast<int>(KeyAction::Up)] = {DIK_UP, 0};
    EXPECT_TRUE(c.BindKey(KeyAction::Up, 1, DIK_A));  // A was Left's second key
    EXPECT_EQ(c.keys[static_cast<int>(KeyAction::Left)], (std::array<std::uint8_t, 2>{DIK_LEFT, 0}));
    EXPECT_FALSE(c.BindKey(KeyAction::Up, 0, 0));
}

TEST(Controls, PadButtonsSwapToo) {
    Controls c = Controls::Defaults();
    ASSERT_TRUE(c.BindPad(PadAction::Fire, 0, kPadB));
    EXPECT_EQ(c.Button(PadAction::Fire, 0), kPadB);
    EXPECT_EQ(c.Button(PadAction::Rocket, 0), kPadA);
    EXPECT_FALSE(c.BindPad(PadAction::Fire, 0, kPadButtons));
}

TEST(IniText, KeyNamesAreStoredAsTextAndTheFileKeepsItsComments) {
    IniDocument doc("; my keys\n[Software\\QVM\\Duskwhirl]\nMouse=1000\n# fire on the space bar\nKeyFire=Space\n");
    ASSERT_NE(doc.Text("Software\\QVM\\Duskwhirl", "KeyFire"), nullptr);
    EXPECT_EQ(*doc.Text("Software\\QVM\\Duskwhirl", "KeyFire"), "Space");
    EXPECT_EQ(doc.Section("Software\\QVM\\Duskwhirl")->count("KeyFire"), 0u);  // not a number
    doc.SetText("Software\\QVM\\Duskwhirl", "KeyFire", "Left Ctrl,Z");
    doc.SetText("Software\\QVM\\Duskwhirl", "KeyPause", "P");
    EXPECT_EQ(doc.Text(),
              "; my keys\n[Software\\QVM\\Duskwhirl]\nMouse=1000\n# fire on the space bar\nKeyFire=Left Ctrl,Z\n"
              "KeyPause=P\n");
    MemorySettingsStore memory;
    EXPECT_TRUE(memory.SetText("k", "KeyFire", "Z"));
    EXPECT_EQ(memory.QueryText("k", "KeyFire"), "Z");
    EXPECT_FALSE(memory.QueryValue("k", "KeyFire").has_value());
    memory.SetValue("k", "VSync", 0);
    EXPECT_EQ(memory.QueryText("k", "VSync"), "0");
}

// --- the steering layer plays the bindings ------------------------------

class FakePads final : public Gamepads {
public:
    GamepadState Read() override { return state; }
    GamepadState state;
};

struct Steered {
    ScriptedInput input;
    FakePads pads;
    FixedStepClock clock{1000};
    SteeringInput steering{&input, &pads, clock};
    InputDevice* keyboard = nullptr;
    InputDevice* mouse = nullptr;
    Steered() {
        keyboard = steering.CreateDevice(InputDeviceKind::Keyboard);
        mouse = steering.CreateDevice(InputDeviceKind::Mouse);
        keyboard->Acquire();
        mouse->Acquire();
        steering.SetMode(InputMode::Play);
    }
    std::array<std::uint8_t, 256> Keys() {
        std::array<std::uint8_t, 256> k{};
        keyboard->GetDeviceState(256, k.data());
        return k;
    }
    DIMOUSESTATE Mouse() {
        DIMOUSESTATE m{};
        clock.Advance(16);
        mouse->GetDeviceState(sizeof m, &m);
        return m;
    }
};

TEST(SteeringBindings, RemappedKeysFirePauseAndSteer) {
    Steered s;
    Controls c = Controls::Defaults();
    ASSERT_TRUE(c.BindKey(KeyAction::Fire, 0, DIK_F));
    ASSERT_TRUE(c.BindKey(KeyAction::Pause, 0, DIK_P));
    ASSERT_TRUE(c.BindKey(KeyAction::Left, 1, DIK_J));
    s.steering.SetControls(c);
    s.Mouse();
    s.input.SetKey(DIK_F, true);
    EXPECT_EQ(s.Mouse().rgbButtons[0], 0x80);
    s.input.SetKey(DIK_F, false);
    s.input.SetKey(DIK_LCONTROL, true);  // no longer a fire key
    EXPECT_EQ(s.Mouse().rgbButtons[0], 0);
    s.input.SetKey(DIK_LCONTROL, false);
    s.input.SetKey(DIK_J, true);
    EXPECT_LT(s.Mouse().lX, 0);
    s.input.SetKey(DIK_J, false);
    // In play Escape means pausing: the pause key gives it, Escape itself
    // no longer does.
    s.input.SetKey(DIK_ESCAPE, true);
    EXPECT_EQ(s.Keys()[DIK_ESCAPE], 0);
    s.input.SetKey(DIK_ESCAPE, false);
    s.input.SetKey(DIK_P, true);
    EXPECT_EQ(s.Keys()[DIK_ESCAPE], 0x80);
    // The menus keep their keys whatever is bound.
    s.steering.SetMode(InputMode::Menu);
    s.input.SetKey(DIK_P, false);
    s.input.SetKey(DIK_ESCAPE, true);
    EXPECT_EQ(s.Keys()[DIK_ESCAPE], 0x80);
}

TEST(SteeringBindings, PadButtonsDeadZoneAndSpeeds) {
    Steered s;
    s.pads.state.pads = 1;
    Controls c = Controls::Defaults();
    ASSERT_TRUE(c.BindPad(PadAction::Fire, 0, kPadX));
    s.steering.SetControls(c);
    s.pads.state.buttons = 1u << kPadX;
    EXPECT_EQ(s.Mouse().rgbButtons[0], 0x80);
    s.pads.state.buttons = 0;
    s.pads.state.a = true;  // A fires no more
    EXPECT_EQ(s.Mouse().rgbButtons[0], 0);
    s.pads.state.a = false;
    s.pads.state.start = true;
    EXPECT_EQ(s.Keys()[DIK_ESCAPE], 0x80);
    s.pads.state.start = false;
    EXPECT_EQ(s.steering.GamepadButtons(), 0u);
    // A stick at 45 %: inside a 50 % dead zone it does nothing.
    s.pads.state.leftX = 0.45f;
    s.Mouse();
    const int moved = s.Mouse().lX;
    EXPECT_GT(moved, 0);
    c.deadZone = 50;
    s.steering.SetControls(c);
    s.Mouse();
    EXPECT_EQ(s.Mouse().lX, 0);
    // Twice the key speed: twice the motion of a held steering key.
    s.pads.state.leftX = 0;
    s.input.SetKey(DIK_RIGHT, true);
    s.Mouse();
    int normal = 0, fast = 0;
    for (int i = 0; i < 10; ++i) normal += s.Mouse().lX;
    c.keySpeed = 200;
    s.steering.SetControls(c);
    for (int i = 0; i < 10; ++i) fast += s.Mouse().lX;
    EXPECT_NEAR(fast, 2 * normal, 2);
}

// --- short presses ------------------------------------------------------

TEST(KeyLatch, APressAndReleaseBetweenFramesIsSeenForOneWholeFrame) {
    KeyLatch latch;
    std::uint8_t state[256] = {};
    latch.Pressed(DIK_RETURN);  // down and up again before the frame
    latch.NewFrame();
    latch.AddTo(state);
    EXPECT_EQ(state[DIK_RETURN], 0x80);
    std::memset(state, 0, sizeof state);
    latch.AddTo(state);  // every read of that frame sees it
    EXPECT_EQ(state[DIK_RETURN], 0x80);
    // A press during the frame belongs to the next one.
    latch.Pressed(DIK_Z);
    std::memset(state, 0, sizeof state);
    latch.AddTo(state);
    EXPECT_EQ(state[DIK_Z], 0);
    latch.NewFrame();
    std::memset(state, 0, sizeof state);
    latch.AddTo(state);
    EXPECT_EQ(state[DIK_Z], 0x80);
    EXPECT_EQ(state[DIK_RETURN], 0);
    latch.NewFrame();
    std::memset(state, 0, sizeof state);
    latch.AddTo(state);
    EXPECT_EQ(state[DIK_Z], 0);
}

TEST(KeyLatch, TheEnterOfAltEnterNeverReachesTheGame) {
    KeyLatch latch;
    std::uint8_t state[256] = {};
    const auto Read = [&](std::uint8_t held) {
        std::memset(state, 0, sizeof state);
        if (held) state[held] = 0x80;  // what the keyboard holds now
        latch.AddTo(state);
    };
    for (const std::uint8_t enter : {DIK_RETURN, DIK_NUMPADENTER}) {
        latch.Down(enter, true);
        latch.NewFrame();
        Read(enter);
        EXPECT_EQ(state[enter], 0) << "pressed with Alt";
        latch.NewFrame();
        Read(enter);  // still held, Alt let go meanwhile
        EXPECT_EQ(state[enter], 0) << "held after Alt";
        latch.Up(enter);
        latch.Down(enter, false);  // the next Enter alone is the game's
        latch.NewFrame();
        Read(enter);
        EXPECT_EQ(state[enter], 0x80);
        latch.Up(enter);
        latch.NewFrame();
    }
    // Alt with any other key is the game's.
    latch.Down(DIK_A, true);
    latch.NewFrame();
    Read(0);
    EXPECT_EQ(state[DIK_A], 0x80);
}

}  // namespace
}  // namespace platform
