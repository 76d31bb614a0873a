#pragma once
// The named states that objects leave for one another in the Game context,
// with the numbers they have always had (reports and demos show the numbers).
#include <cstdint>

namespace dw {

// The screen shown (`currentScreen`, `requestedScreen`).
enum class Screen : std::uint32_t {
    Menu = 0,  // the front end
    Game = 1,  // play
};

// The flow of a game (`gamePhase`). Timed phases move on when `phaseTimer`
// passes their limit.
enum class GamePhase : std::uint32_t {
    Playing = 0,
    LevelEndReached = 1,     // the ship starts its exit flight
    ShipLeaving = 2,         // the ship flies off for 3000 ms
    LevelComplete = 3,       // shows the "level complete" caption
    LevelCompleteShown = 4,  // 3000 ms
    LevelCompleteDone = 5,   // to Advance at once
    Advance = 7,             // the next level is set up, or all are done
    BetweenLevels = 8,       // 3000 ms
    NextLevelReady = 9,      // the ship moves itself to the start point
    LevelIntro = 10,         // 1000 ms
    ShowLevelNumber = 11,
    LevelNumberShown = 12,  // 3000 ms
    AllLevelsDone = 13,     // shows the closing picture
    ClosingPicture = 14,    // 20000 ms, then the high-score check and the menu
    GameOver = 15,          // shows the "game over" caption
    GameOverShown = 16,     // 3100 ms, then the high-score check and the menu
};

// What the music control is asked for (`musicRequest`).
enum class MusicRequest : std::uint32_t {
    None = 0,
    MenuTheme = 1,  // "Theme0"
    GameTheme = 2,  // "Theme1"
    FadeOut = 9,
};

// The caption's modes ("gtext").
enum class CaptionMode : std::uint32_t {
    None = 0,
    LevelComplete = 1,
    Picture = 2,
    LevelNumber = 3,
    ClosingPicture = 4,
    GameOver = 5,
};

// The eight throttled sound requests (`soundRequests`), by index: the Game
// table plays a raised request at most once per 60 ms.
enum class SoundSlot : std::uint32_t {
    Game0Enemy = 0,
    Game1Enemy = 1,
    Game2Enemy = 2,
    Game3Enemy = 3,
    Game4Enemy = 4,
    Game0Explo = 5,
    Game1Explo = 6,
    Game2Explo = 7,
};

// The value behind a named state, for reports and logs.
template <typename E>
constexpr std::uint32_t Number(E e) {
    return static_cast<std::uint32_t>(e);
}

}  // namespace dw
