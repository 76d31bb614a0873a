#pragma once
// The four persistent settings (level reached, mouse speed, sound and music
// volume) under one key of the settings store.
#include <cstdint>
#include <map>
#include <string>

#include "core/game_context.h"
#include "platform/d3d_types.h"

namespace dw {

class GameContext;

inline constexpr char kSettingsKey[] = "Software\\QVM\\Duskwhirl";

// The window/full-screen size the session asks for, and the depth bits.
struct CreationSize {
    std::uint32_t width = 800;
    std::uint32_t height = 600;
    std::uint32_t minDepthBits = 16;
    // The window as it was left: full screen or not; Stretch=1 fills the
    // window instead of showing the 4:3 picture with bars.
    bool fullscreen = true;
    bool stretch = false;
};

// Remembers the window for the next start (the window's size, full screen).
void WriteWindowSettings(const GameContext& ctx, std::uint32_t width, std::uint32_t height, bool fullscreen);

// Reads the settings into the Game context (music, sound, mouse speed,
// level index) and the creation size, logging the outcome.
void ReadSettings(GameContext& ctx, CreationSize& creation);

// Reads the keys, the gamepad buttons, the dead zone and steering speeds
// (KeyLeft ... KeyPause, PadFire ... PadPause, PadDeadZone, StickSpeed,
// KeySpeed) and the picture options (VSync, ReduceFlashes) into the context.
// A value that is not understood keeps its default, with a line in the log.
void ReadControlSettings(GameContext& ctx);
// Write back what differs from `before` (the values as read or last
// written), each set as one change of the file; true when it reached the
// store (or there was nothing to write).
bool WriteControlSettings(const GameContext& ctx, const platform::Controls& before);
// Stretch, VSync, ReduceFlashes and OnlineScores, those that differ from `before`
// and `onlineBefore` (as the screen found them).
bool WriteDisplaySettings(const GameContext& ctx, const GameContext::Display& before, bool onlineBefore);

// The highest level reached (LevelID) becomes `levelIndex` unless the file
// holds a higher one already (another copy may have saved it): it only rises.
bool RaiseLevelReached(const GameContext& ctx, std::uint32_t levelIndex);

// Online scores: OnlineScores (0/1, off when absent) and ScoreServer (the
// address; DefaultScoreServer() when the line is absent, none when it is
// empty). Reading applies them to the session's score server, as does
// ApplyOnlineSettings after a change; the display settings write OnlineScores.
void ReadOnlineSettings(GameContext& ctx);
void ApplyOnlineSettings(const GameContext& ctx);
// The build's score server (the DW_SCORE_SERVER option), "" for none.
const char* DefaultScoreServer();

// Reads a 32-bit value from the session's settings store; stores
// `defaultValue` when it cannot be read.
HRESULT ReadIntRegKey(const GameContext& ctx, const char* key, const char* name, std::uint32_t& value,
                      std::uint32_t defaultValue);
// Opens (creating) the settings key and writes a 32-bit value: S_OK or E_FAIL.
HRESULT WriteIntRegKey(const GameContext& ctx, const char* name, std::uint32_t value);
// Writes values that belong together as one change of the file: S_OK when
// all of them were stored, E_FAIL when none was.
HRESULT WriteIntRegKeys(const GameContext& ctx, const std::map<std::string, std::uint32_t>& values);

// After a failed write: the store's reason in the log and on stderr.
void LogSettingsProblem(const GameContext& ctx);

// True when the settings key can be opened (used at final clean-up).
bool SettingsKeyOpens(const GameContext& ctx);

}  // namespace dw
