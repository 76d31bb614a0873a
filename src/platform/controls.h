#pragma once
// The player's controls: which keys steer, fire, launch a rocket and pause
// (a primary and a second key each), which gamepad buttons fire, launch and
// pause, the stick's dead zone and the steering speeds. The steering layer
// (steering.h) plays them; settings.ini keeps them as SDL key and controller
// button names ("KeyFire=Left Ctrl,Z", "PadPause=start,back").
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

enum class KeyAction : std::uint8_t { Left, Right, Up, Down, Fire, Rocket, Pause };
inline constexpr int kKeyActions = 7;
enum class PadAction : std::uint8_t { Fire, Rocket, Pause };
inline constexpr int kPadActions = 3;

// Gamepad buttons, numbered as SDL's controller buttons.
inline constexpr int kPadA = 0, kPadB = 1, kPadX = 2, kPadY = 3, kPadBack = 4, kPadGuide = 5, kPadStart = 6,
                     kPadButtons = 21;
inline constexpr std::uint8_t kNoButton = 0xFF;

// Limits of the sliders, in percent.
inline constexpr int kDeadZoneMin = 5, kDeadZoneMax = 50, kDeadZoneDefault = 20;
inline constexpr int kSpeedMin = 50, kSpeedMax = 200, kSpeedDefault = 100;

struct Controls {
    // DirectInput scan codes; 0 where no key is bound (only ever a second key).
    std::array<std::array<std::uint8_t, 2>, kKeyActions> keys{};
    // Controller buttons; kNoButton where none is bound.
    std::array<std::array<std::uint8_t, 2>, kPadActions> pad{};
    int deadZone = kDeadZoneDefault;  // percent of the stick's travel
    int stickSpeed = kSpeedDefault;   // percent of the usual speed
    int keySpeed = kSpeedDefault;

    static Controls Defaults();
    void RestoreKeyDefaults();
    void RestorePadDefaults();

    std::uint8_t& Key(KeyAction a, int slot) { return keys[static_cast<int>(a)][slot & 1]; }
    std::uint8_t Key(KeyAction a, int slot) const { return keys[static_cast<int>(a)][slot & 1]; }
    std::uint8_t Button(PadAction a, int slot) const { return pad[static_cast<int>(a)][slot & 1]; }

    // True when a key of the action is held in a 256-byte keyboard state.
    bool Holds(KeyAction a, const std::uint8_t* state) const;
    // True when a button of the action is held in a mask of held buttons.
    bool HoldsPad(PadAction a, std::uint32_t buttons) const;

    // Binds `dik` as key `slot` of `action`. Where the key was bound to
    // another place, that place takes the key it replaces (a swap); a place
    // left empty gives way to its action's other key. Refused (false) for
    // no key, and where the swap would leave pausing without a key.
    bool BindKey(KeyAction action, int slot, std::uint8_t dik);
    // The same for a controller button.
    bool BindPad(PadAction action, int slot, std::uint8_t button);

    bool operator==(const Controls&) const = default;
};

// SDL's name of the key of a scan code ("Left Ctrl", "Z"); empty for none.
std::string KeyName(std::uint8_t dik);
// The scan code of an SDL key name (any case); nullopt when unknown.
std::optional<std::uint8_t> KeyFromName(const std::string& name);
// SDL's name of a controller button ("a", "start"); empty for none.
std::string PadButtonName(std::uint8_t button);
std::optional<std::uint8_t> PadButtonFromName(const std::string& name);

// "Left Ctrl,Z": one or two names separated by a comma.
std::string FormatKeys(const std::array<std::uint8_t, 2>& keys);
// Nullopt for an empty text, an unknown name, more than two names or the
// same key twice.
std::optional<std::array<std::uint8_t, 2>> ParseKeys(const std::string& text);
std::string FormatPadButtons(const std::array<std::uint8_t, 2>& buttons);
std::optional<std::array<std::uint8_t, 2>> ParsePadButtons(const std::string& text);

// Settings names: "KeyLeft" ... "KeyPause", "PadFire" ... "PadPause".
const char* KeySettingName(KeyAction a);
const char* PadSettingName(PadAction a);
// Words for the screen and the help: "Steer left", "Fire", ...
const char* KeyActionLabel(KeyAction a);

}  // namespace platform
