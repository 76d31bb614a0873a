#pragma once
// "menu": the main menu. A picture with a frame, a greeting, the pointer
// and one page of items at a time: the main page (with or without a game to
// resume), the two questions and the level choice. It opens the high-score,
// help and options screens on top of itself, starts and resumes games and
// ends the program. It also publishes the front-end cursor.
#include <cstdint>

#include "core/draw_entry.h"
#include "engine/my_object.h"

namespace dw {

class SiteButton;

class MainMenu : public MyObject {
public:
    enum Page : std::uint32_t {
        kMain = 0,
        kHighScores = 2,
        kHelp = 3,
        kOptions = 4,
        kAskNewGame = 6,
        kAskExit = 7,
        kLevels = 8
    };
    static constexpr std::uint32_t kScoreItem = 11;
    static constexpr int kFrameQuads = 31;
    static constexpr int kCaptions = 24;
    static constexpr int kGlyphs = 39;

    explicit MainMenu(GameContext* ctx);
    ~MainMenu() override;

    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::int32_t RestoreDeviceObjects() override;

    // Carries out the highlighted item.
    void Activate();
    // What choosing a level does: start it and make the page with a game to
    // resume the next one shown.
    void ChooseLevel(std::uint32_t level);
    // Escape or Backspace on the level choice or a question: back to the
    // main page, on the item that led there (a question is answered No).
    void Back();

    // The page shown; changed through SetPage, which publishes it in the
    // Game context (mainMenuPage).
    std::uint32_t page = kMain;
    std::uint32_t selection = 0;
    std::uint8_t pendingChange = 1;
    std::uint32_t pendingPage = kMain, pendingSelection = 0;
    std::uint32_t firstCaption = 0, captionCount = 5, itemCount = 5;
    float itemWidth = 0.55f, itemCentreX = 0.433f;
    float rowHeight = 0.15f, rowGap = 0.025f;
    std::uint32_t soundToPlay = 0;  // 0 none, 1 "MenuSelect", 2 "MenuPress"
    float cursorX = 0, cursorY = 0, velocityX = 0, velocityY = 0;
    std::int32_t lastCursorX = 0, lastCursorY = 0;  // thousandths
    std::uint8_t arrowLock = 0, enterHeld = 0, clickHeld = 0;
    std::uint8_t backHeld = 1;  // a key still held from play is no new press
    float phase = 0;
    float pointerSize = 0.035f;

    SiteButton* siteButtons[5] = {};

    const ScreenVertex* Captions() const { return captions_; }
    const ScreenVertex* Pointer() const { return pointer_; }
    const ScreenVertex* Greeting() const { return glyphs_; }

private:
    void SetPage(std::uint32_t newPage);
    void MoveCursor();
    void TakeChildSignals();
    void TakePendingChange();
    void WorkList();
    void MoveSelection(std::uint32_t last, float top, float bottom, bool inColumn);
    void TakeChoice(std::uint32_t last, float top, float choosableBottom, bool inColumn);
    void Highlight();
    void SetPending(std::uint32_t newPage, std::uint32_t items, std::uint32_t newSelection);
    void OpenChild(std::uint32_t childPage);
    void Quit();
    // Row under y on the current page, or -1 (a gap or outside).
    int RowAt(float y) const;
    float ListTop() const;
    std::uint32_t ListRows() const;

    ScreenVertex background_[6] = {};
    ScreenVertex frame_[6 * kFrameQuads] = {};
    ScreenVertex glyphs_[6 * kGlyphs] = {};
    ScreenVertex emblem_[6] = {};
    ScreenVertex pointer_[6] = {};
    ScreenVertex captions_[6 * kCaptions] = {};
};

// Reads the best score for the menu: the first place of "records.csm", or
// 800000 when the file holds no full table; a missing file is created with
// the default table.
std::uint32_t ReadBestScore(GameContext* ctx);

}  // namespace dw
