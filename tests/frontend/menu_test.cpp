// The main menu: the cursor, arrows, hover and clicks, the pages and the
// hand-shakes with the game through the context.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "frontend/help_screen.h"
#include "frontend/main_menu.h"
#include "frontend/records_table.h"
#include "frontend_fixture.h"
#include "platform/desktop.h"

namespace dw {
namespace {

class Menu : public testing::FrontEndFixture {
protected:
    void SetUp() override {
        FrontEndFixture::SetUp();
        services.desktop = &desktop;
    }
    MainMenu* Make() {
        auto* m = new MainMenu(&ctx);
        m->RestoreDeviceObjects();
        list.AddObject(m);
        Frame();  // takes the first page
        return m;
    }
    // Puts the cursor at (x, y) and lets it settle.
    void MoveTo(MainMenu* m, float x, float y) {
        m->cursorX = x;
        m->cursorY = y;
        m->velocityX = m->velocityY = 0;
        Frame();
    }
    int Count(const char* objectName) { return static_cast<int>(Objects(objectName).size()); }

    platform::RecordingDesktop desktop;
};

TEST_F(Menu, AMissingRecordsFileIsCreatedAndGivesTheBestScore) {
    ctx.score = 900000;
    MainMenu* m = Make();
    EXPECT_EQ(ReadRecords(), SerializeRecordTable(DefaultRecordTable()));
    EXPECT_EQ(ctx.bestScore, 900000u);
    EXPECT_EQ(Count("site"), 5);
    EXPECT_EQ(m->page, 0u);
    EXPECT_EQ(m->captionCount, 5u);

    RecordTable t = DefaultRecordTable();
    t.scores[0] = 1234567;
    WriteRecords(SerializeRecordTable(t));
    ctx.score = 0;
    EXPECT_EQ(ReadBestScore(&ctx), 1234567u);
    WriteRecords(SerializeRecordTable(t).substr(0, 100));
    EXPECT_EQ(ReadBestScore(&ctx), 800000u);
}

TEST_F(Menu, ANewGameChoosesAReachedLevelAndAsksTheGameToStart) {
    ctx.levelIndex = 3;
    MainMenu* m = Make();
    Tap(DIK_RETURN);  // "new game" on the main page
    Frame();
    ASSERT_EQ(m->page, 8u);
    // Arrows stop at the last reached level; holding Down moves one step.
    ctx.keys[DIK_DOWN] = 0x80;
    Frame();
    Frame();
    Frame();
    ctx.keys[DIK_DOWN] = 0;
    Frame();
    EXPECT_EQ(m->selection, 1u);
    for (int i = 0; i < 6; ++i) Tap(DIK_DOWN);
    EXPECT_EQ(m->selection, 3u);
    // Rows above the reached level are grey; hover and click skip them.
    EXPECT_EQ(m->Captions()[6 * (14 + 4)].diffuse, 0xFF999999u);
    MoveTo(m, 0.4f, -0.4875f + 0.1f * 6 + 0.03f);
    EXPECT_EQ(m->selection, 3u);
    ctx.mouseButtons[0] = 0x80;
    Frame();
    ctx.mouseButtons[0] = 0;
    EXPECT_EQ(ctx.levelStartRequest, 0);
    // Hover onto level 2 and click it.
    MoveTo(m, 0.4f, -0.4875f + 0.1f * 2 + 0.03f);
    EXPECT_EQ(m->selection, 2u);
    ctx.mouseButtons[0] = 0x80;
    Frame();
    EXPECT_EQ(ctx.levelStartRequest, 1);
    EXPECT_EQ(ctx.currentLevel, 2u);
    EXPECT_EQ(ctx.screenChanged, 1);
    // The game runs; when it is left the menu shows the resume variant.
    ctx.currentScreen = Screen::Game;
    Frame();
    ctx.mouseButtons[0] = 0;
    ctx.currentScreen = Screen::Menu;
    ctx.gameInProgress = 1;
    Frame();
    EXPECT_EQ(m->page, 0u);
    EXPECT_EQ(m->firstCaption, 5u);
    EXPECT_EQ(m->captionCount, 6u);
    EXPECT_EQ(m->selection, 0u);
    Tap(DIK_RETURN);  // resume
    EXPECT_EQ(ctx.screenChangeRequest, 1);
    EXPECT_EQ(ctx.requestedScreen, Screen::Game);
    EXPECT_EQ(ctx.musicRequest, MusicRequest::GameTheme);
}

TEST_F(Menu, TheKeypadEnterActsAsEnter) {
    MainMenu* m = Make();
    Tap(DIK_NUMPADENTER);  // "new game"
    Frame();
    ASSERT_EQ(m->page, 8u);
    Tap(DIK_NUMPADENTER);  // level 1
    EXPECT_EQ(ctx.levelStartRequest, 1);
    // Held through the next screen, it does not press again.
    ctx.levelStartRequest = 0;
    ctx.keys[DIK_NUMPADENTER] = 0x80;
    Frame();
    Frame();
    EXPECT_EQ(ctx.levelStartRequest, 0);
}

TEST_F(Menu, ArrowsWaitForAStillMouseAndUpWinsOverDown) {
    MainMenu* m = Make();
    m->selection = 2;
    ctx.cursorDeltaX = 40;  // the mouse moves: arrows do nothing this frame
    ctx.keys[DIK_DOWN] = 0x80;
    Frame();
    ctx.cursorDeltaX = 0;
    EXPECT_EQ(m->selection, 2u);
    ctx.keys[DIK_DOWN] = 0;
    // Still moving by the velocity's tail; wait until it settles.
    for (int i = 0; i < 40; ++i) Frame();
    ctx.keys[DIK_UP] = 0x80;
    ctx.keys[DIK_DOWN] = 0x80;
    Frame();
    EXPECT_EQ(m->selection, 1u);
    ctx.keys[DIK_UP] = ctx.keys[DIK_DOWN] = 0;
    // The cursor stops at the edges.
    ctx.cursorDeltaX = 100000;
    ctx.cursorDeltaY = -100000;
    Frame();
    EXPECT_EQ(ctx.layoutCursorX, 1.0f);
    EXPECT_EQ(ctx.layoutCursorY, -1.0f);
}

TEST_F(Menu, ChildScreensOpenAndHandBackTheirItem) {
    MainMenu* m = Make();
    // Options: row 3 of five.
    MoveTo(m, 0.4f, -0.425f + 0.175f * 3 + 0.05f);
    EXPECT_EQ(m->selection, 3u);
    Click();
    EXPECT_EQ(m->page, 4u);
    EXPECT_EQ(Count("options"), 1);
    Tap(DIK_ESCAPE);
    Frame();
    EXPECT_EQ(Count("options"), 0);
    EXPECT_EQ(m->page, 0u);
    EXPECT_EQ(m->selection, 3u);
    // Help from the keyboard: Up once to item 2.
    Tap(DIK_UP);
    Tap(DIK_RETURN);
    EXPECT_EQ(m->page, 3u);
    EXPECT_EQ(Count("help"), 1);
    Tap(DIK_ESCAPE);
    Frame();
    EXPECT_EQ(m->selection, 2u);
    EXPECT_EQ(ctx.helpClosed, 0);
}

TEST_F(Menu, AFinishedGameOpensTheTableWithItsScore) {
    MainMenu* m = Make();
    ctx.gameInProgress = 1;
    ctx.score = 450000;
    ctx.highScoreCheckRequest = 1;
    Frame();
    EXPECT_EQ(m->page, 2u);
    EXPECT_EQ(ctx.gameInProgress, 0);
    EXPECT_EQ(ctx.scoreFromGame, 1);
    ASSERT_EQ(Count("records"), 1);
    Tap(DIK_ESCAPE);
    Frame();
    EXPECT_EQ(ctx.scoreFromGame, 0);
    EXPECT_EQ(m->page, 0u);
    EXPECT_EQ(m->captionCount, 5u);
    EXPECT_EQ(m->selection, 1u);
}

// The questions that would lose a game in progress open on "no": Enter
// twice keeps the game; Escape answers no as well.
TEST_F(Menu, ExitAsksFirstWhenAGameIsInProgress) {
    MainMenu* m = Make();
    ctx.gameInProgress = 1;
    ctx.optionsClosed = 1;  // any close signal re-reads the variant
    Frame();
    ASSERT_EQ(m->captionCount, 6u);
    m->selection = 5;
    Tap(DIK_RETURN);
    Frame();
    EXPECT_EQ(m->page, 7u);
    EXPECT_EQ(m->selection, 1u);
    Tap(DIK_RETURN);  // "no"
    Frame();
    EXPECT_EQ(m->page, 0u);
    EXPECT_EQ(m->selection, 5u);
    EXPECT_EQ(ctx.quitRequest, 0);
    Tap(DIK_RETURN);
    Frame();
    Tap(DIK_ESCAPE);  // "no" again
    Frame();
    EXPECT_EQ(m->page, 0u);
    EXPECT_EQ(m->selection, 5u);
    EXPECT_EQ(ctx.quitRequest, 0);
    Tap(DIK_RETURN);
    Frame();
    Tap(DIK_UP);
    Tap(DIK_RETURN);  // "yes"
    EXPECT_EQ(ctx.quitRequest, 1);
    EXPECT_EQ(ctx.normalExit, 1);
}

TEST_F(Menu, NewGameDuringAGameAsksAndOpensOnNo) {
    MainMenu* m = Make();
    ctx.gameInProgress = 1;
    ctx.optionsClosed = 1;
    Frame();
    m->selection = 1;
    Tap(DIK_RETURN);
    Frame();
    ASSERT_EQ(m->page, 6u);
    EXPECT_EQ(m->selection, 1u);
    Tap(DIK_RETURN);
    Frame();
    EXPECT_EQ(m->page, 0u);
    EXPECT_EQ(m->selection, 1u);
    EXPECT_EQ(ctx.levelStartRequest, 0);
}

// Escape and Backspace lead back from the level choice to the item that
// opened it, with or without a game in progress; on the main page they do
// nothing, and a key still held when the page opens is no press.
TEST_F(Menu, EscapeAndBackspaceLeaveTheLevelChoice) {
    MainMenu* m = Make();
    ctx.keys[DIK_ESCAPE] = 0x80;
    Frame();
    Frame();
    ctx.keys[DIK_ESCAPE] = 0;
    Frame();
    EXPECT_EQ(m->page, 0u);
    for (const std::uint8_t key : {DIK_ESCAPE, DIK_BACK}) {
        Tap(DIK_RETURN);  // "new game"
        Frame();
        ASSERT_EQ(m->page, 8u);
        Tap(key);
        Frame();
        EXPECT_EQ(m->page, 0u) << int(key);
        EXPECT_EQ(m->selection, 0u);
        EXPECT_EQ(m->captionCount, 5u);
        EXPECT_EQ(ctx.levelStartRequest, 0);
    }
    ctx.gameInProgress = 1;
    ctx.optionsClosed = 1;
    Frame();
    m->selection = 1;
    Tap(DIK_RETURN);
    Frame();
    Tap(DIK_UP);
    Tap(DIK_RETURN);  // "yes, a new game"
    Frame();
    ASSERT_EQ(m->page, 8u);
    Tap(DIK_ESCAPE);
    Frame();
    EXPECT_EQ(m->page, 0u);
    EXPECT_EQ(m->captionCount, 6u);
    EXPECT_EQ(m->selection, 1u);
    EXPECT_EQ(ctx.levelStartRequest, 0);
}

TEST_F(Menu, ASiteButtonOpensThePageForTheLanguageAndTheGameGoesOn) {
    desktop.langId = 0x0407;  // German
    MainMenu* m = Make();
    SiteButton* b = m->siteButtons[2];
    EXPECT_NE(b->address.find("de.html"), std::string::npos) << b->address;
    EXPECT_EQ(b->address.rfind("file:///", 0), 0u);
    EXPECT_TRUE(m->siteButtons[0]->address.empty());  // the title is no link
    // The title never reacts.
    MoveTo(m, -0.07f, 0.65f);
    Click();
    EXPECT_EQ(ctx.quitRequest, 0);
    MoveTo(m, 0.02f, 0.83f);
    Frame();
    EXPECT_TRUE(b->hover);
    Click();
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0], b->address);
    EXPECT_EQ(ctx.quitRequest, 0);
}

// Twenty-three languages have a page of their own, shipped in data/site and
// written in that language; the others get the international page.
TEST(SitePages, EveryListedLanguageHasItsOwnShippedPage) {
    const std::pair<std::uint16_t, const char*> pages[] = {
        {4, "zh"},  {5, "cs"},  {7, "de"},  {8, "el"},  {10, "es"}, {12, "fr"}, {13, "he"}, {14, "hu"},
        {16, "it"}, {17, "ja"}, {18, "ko"}, {19, "nl"}, {21, "pl"}, {22, "pt"}, {24, "ro"}, {25, "ru"},
        {26, "hr"}, {29, "sv"}, {31, "tr"}, {33, "id"}, {34, "uk"}, {36, "sl"}, {37, "et"}};
    for (const auto& [language, code] : pages) {
        const std::string file = std::string(code) + ".html";
        EXPECT_EQ(SitePageFor(language), file);
        std::ifstream in(std::string(DW_SOURCE_DIR) + "/data/site/" + file);
        ASSERT_TRUE(in) << file;
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_NE(text.find("<html lang=\"" + std::string(code) + "\""), std::string::npos) << file;
        EXPECT_NE(text.find("style.css"), std::string::npos) << file;
    }
}

TEST(SitePages, LanguagesWithoutAPageGetTheInternationalOne) {
    EXPECT_STREQ(SitePageFor(7), "de.html");
    EXPECT_STREQ(SitePageFor(25), "ru.html");
    EXPECT_STREQ(SitePageFor(9), "index.html");
    EXPECT_STREQ(SitePageFor(11), "index.html");  // Finnish
    EXPECT_EQ(platform::PrimaryLanguageOfLocale("fr_CA.UTF-8"), 12);
    EXPECT_EQ(platform::PrimaryLanguageOfLocale("C"), 9);
    EXPECT_EQ(platform::PrimaryLanguageOfLocale(""), 9);
    EXPECT_EQ(platform::PrimaryLanguageOfLocale("ES"), 10);
    EXPECT_EQ(platform::FileUrl("/a b/ü.html"), "file:///a%20b/%C3%BC.html");
}

}  // namespace
}  // namespace dw
