#include "platform/controls.h"

#include <SDL.h>

#include "platform/input.h"

namespace platform {

namespace {

constexpr int Index(KeyAction a) { return static_cast<int>(a); }

constexpr std::array<std::array<std::uint8_t, 2>, kKeyActions> kDefaultKeys = {{
    {DIK_LEFT, DIK_A},
    {DIK_RIGHT, DIK_D},
    {DIK_UP, DIK_W},
    {DIK_DOWN, DIK_S},
    {DIK_LCONTROL, DIK_Z},
    {DIK_LMENU, DIK_X},
    {DIK_ESCAPE, 0},
}};
constexpr std::array<std::array<std::uint8_t, 2>, kPadActions> kDefaultPad = {{
    {kPadA, kNoButton},
    {kPadB, kNoButton},
    {kPadStart, kPadBack},
}};

// Binds `code` at (row, slot) of `table`, swapping with the place that held
// it; `none` marks an empty place. `keepOne` is the row that may not be
// left empty (-1: none).
template <std::size_t N>
bool Bind(std::array<std::array<std::uint8_t, 2>, N>& table, int row, int slot, std::uint8_t code, std::uint8_t none,
          int keepOne) {
    if (code == none || row < 0 || row >= static_cast<int>(N)) return false;
    auto next = table;
    std::uint8_t& place = next[row][slot & 1];
    const std::uint8_t old = place;
    if (old == code) return true;
    for (auto& other : next)
        for (std::uint8_t& k : other)
            if (k == code && &k != &place) k = old;
    place = code;
    for (auto& pair : next) {
        if (pair[0] == none) std::swap(pair[0], pair[1]);
        if (pair[0] == pair[1]) pair[1] = none;
    }
    if (keepOne >= 0 && next[keepOne][0] == none) return false;
    table = next;
    return true;
}

template <typename Name>
std::string FormatPair(const std::array<std::uint8_t, 2>& pair, std::uint8_t none, Name name) {
    std::string out = pair[0] == none ? std::string{} : name(pair[0]);
    if (pair[1] != none) {
        if (!out.empty()) out.push_back(',');
        out.append(name(pair[1]));
    }
    return out;
}

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

template <typename Parse>
std::optional<std::array<std::uint8_t, 2>> ParsePair(const std::string& text, std::uint8_t none, Parse parse) {
    const auto comma = text.find(',');
    const std::string first = Trim(text.substr(0, comma));
    const std::string second = comma == std::string::npos ? std::string{} : Trim(text.substr(comma + 1));
    if (comma != std::string::npos && (second.empty() || second.find(',') != std::string::npos)) return std::nullopt;
    const auto a = parse(first);
    if (!a) return std::nullopt;
    std::array<std::uint8_t, 2> out = {*a, none};
    if (!second.empty()) {
        const auto b = parse(second);
        if (!b || *b == *a) return std::nullopt;
        out[1] = *b;
    }
    return out;
}

}  // namespace

Controls Controls::Defaults() {
    Controls c;
    c.keys = kDefaultKeys;
    c.pad = kDefaultPad;
    return c;
}

void Controls::RestoreKeyDefaults() {
    keys = kDefaultKeys;
    keySpeed = kSpeedDefault;
}

void Controls::RestorePadDefaults() {
    pad = kDefaultPad;
    deadZone = kDeadZoneDefault;
    stickSpeed = kSpeedDefault;
}

bool Controls::Holds(KeyAction a, const std::uint8_t* state) const {
    for (const std::uint8_t k : keys[Index(a)])
        if (k != 0 && (state[k] & 0x80)) return true;
    return false;
}

bool Controls::HoldsPad(PadAction a, std::uint32_t buttons) const {
    for (const std::uint8_t b : pad[static_cast<int>(a)])
        if (b < kPadButtons && ((buttons >> b) & 1u)) return true;
    return false;
}

bool Controls::BindKey(KeyAction action, int slot, std::uint8_t dik) {
    return Bind(keys, Index(action), slot, dik, 0, Index(KeyAction::Pause));
}

bool Controls::BindPad(PadAction action, int slot, std::uint8_t button) {
    if (button >= kPadButtons) return false;
    return Bind(pad, static_cast<int>(action), slot, button, kNoButton, -1);
}

std::string KeyName(std::uint8_t dik) {
    const int sc = SdlScancodeFromDik(dik);
    if (sc <= 0) return {};
    return SDL_GetScancodeName(static_cast<SDL_Scancode>(sc));
}

std::optional<std::uint8_t> KeyFromName(const std::string& name) {
    if (name.empty()) return std::nullopt;
    const SDL_Scancode sc = SDL_GetScancodeFromName(name.c_str());
    const std::uint8_t dik = DikFromSdlScancode(sc);
    if (dik == 0) return std::nullopt;
    return dik;
}

std::string PadButtonName(std::uint8_t button) {
    if (button >= kPadButtons) return {};
    const char* name = SDL_GameControllerGetStringForButton(static_cast<SDL_GameControllerButton>(button));
    return name ? name : "";
}

std::optional<std::uint8_t> PadButtonFromName(const std::string& name) {
    if (name.empty()) return std::nullopt;
    const int b = SDL_GameControllerGetButtonFromString(name.c_str());
    if (b < 0 || b >= kPadButtons) return std::nullopt;
    return static_cast<std::uint8_t>(b);
}

std::string FormatKeys(const std::array<std::uint8_t, 2>& keys) { return FormatPair(keys, 0, KeyName); }

std::optional<std::array<std::uint8_t, 2>> ParseKeys(const std::string& text) {
    return ParsePair(text, 0, KeyFromName);
}

std::string FormatPadButtons(const std::array<std::uint8_t, 2>& buttons) {
    return FormatPair(buttons, kNoButton, PadButtonName);
}

std::optional<std::array<std::uint8_t, 2>> ParsePadButtons(const std::string& text) {
    return ParsePair(text, kNoButton, PadButtonFromName);
}

const char* KeySettingName(KeyAction a) {
    static const char* const kNames[kKeyActions] = {"KeyLeft", "KeyRight",  "KeyUp",   "KeyDown",
                                                    "KeyFire", "KeyRocket", "KeyPause"};
    return kNames[Index(a)];
}

const char* PadSettingName(PadAction a) {
    static const char* const kNames[kPadActions] = {"PadFire", "PadRocket", "PadPause"};
    return kNames[static_cast<int>(a)];
}

const char* KeyActionLabel(KeyAction a) {
    static const char* const kLabels[kKeyActions] = {"Steer left", "Steer right", "Steer up", "Steer down",
                                                     "Fire",       "Rocket",      "Pause"};
    return kLabels[Index(a)];
}

}  // namespace platform
