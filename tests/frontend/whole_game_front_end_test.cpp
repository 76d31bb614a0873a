// The whole program from start-up to the high-score table and back: the
// splash skipped with Space, the loading screen, a new game from the menu,
// game over, a name typed with the keyboard, and "records.csm" read again
// by the next run.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "core/game_context.h"
#include "common/headless_game.h"
#include "engine/list_engine.h"
#include "engine/my_object.h"
#include "frontend/help_screen.h"
#include "frontend/high_scores.h"
#include "frontend/main_menu.h"
#include "frontend/records_table.h"
#include "platform/desktop.h"
#include "platform/embedded_resources.h"
#include "platform/input.h"
#include "platform/services.h"
#include "common/whole_game.h"

namespace dw {
namespace {

using testing::FindNamed;
using testing::PressKey;

// Start-up to the menu: Space skips the splash, the loading screen reads
// every asset, then the main camera opens the menu.
MainMenu* ToMenu(HeadlessGame& game) {
    GameContext& ctx = game.context();
    game.Run(2);
    EXPECT_EQ(ctx.introActive, 1);
    EXPECT_NE(FindNamed<MyObject>(ctx, "bcgintro"), nullptr);
    game.input().SetKey(DIK_SPACE, true);
    game.Step();
    game.input().SetKey(DIK_SPACE, false);
    EXPECT_TRUE(game.RunUntil([&] { return ctx.introActive == 0; }, 5));
    EXPECT_EQ(ctx.assetLoadingActive, 1);
    const std::uint64_t loadStart = game.frames();
    EXPECT_TRUE(game.RunUntil([&] { return ctx.assetLoadingActive == 0; }, 400));
    EXPECT_GE(game.frames() - loadStart, 73u);
    EXPECT_TRUE(game.RunUntil([&] { return ctx.mouseActive == 1; }, 10));
    game.Run(2);
    EXPECT_EQ(FindNamed<MyObject>(ctx, "qvmload"), nullptr);
    EXPECT_EQ(FindNamed<MyObject>(ctx, "bcgintro"), nullptr);
    return FindNamed<MainMenu>(ctx, "menu");
}

TEST(WholeGameFrontEnd, FromStartUpThroughAGameToANameInTheTable) {
    // A game needs the level scripts (built with the tools).
    if (kEmbeddedLevelCount == 0) GTEST_SKIP() << "no levels compiled in";
    const auto dir = std::filesystem::temp_directory_path() / ("dw_whole_front_end_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::uint32_t finalScore = 0;
    int place = -1;
    {
        HeadlessOptions options;
        options.userDir = dir.string();
        options.seed = 11u;
        HeadlessGame game(options);
        ASSERT_TRUE(game.Start());
        GameContext& ctx = game.context();
        MainMenu* menu = ToMenu(game);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->page, 0u);
        EXPECT_EQ(ctx.bestScore, 800000u);
        EXPECT_TRUE(std::filesystem::exists(dir / "records.csm"));
        // The log says when the loading ends (a line of this game's own).
        std::ifstream logFile(dir / "file.log");
        const std::string log((std::istreambuf_iterator<char>(logFile)), std::istreambuf_iterator<char>());
        EXPECT_NE(log.find("\nGAME: Assets loaded, the menu opens\n"), std::string::npos) << log;

        // New game, level 1 (index 0).
        PressKey(game, DIK_RETURN);
        EXPECT_EQ(menu->page, 8u);
        PressKey(game, DIK_RETURN);
        ASSERT_TRUE(game.RunUntil([&] { return ctx.currentScreen == Screen::Game; }, 10));
        EXPECT_EQ(ctx.currentLevel, 0u);
        ASSERT_TRUE(game.RunUntil([&] { return ctx.gamePhase == GamePhase::Playing && ctx.shipAlive; }, 600));

        // A good score, then the last ship goes.
        ctx.score = 345678;
        ctx.shipsLeft = 0;
        ctx.shipRemoveRequest = 1;
        ASSERT_TRUE(game.RunUntil([&] { return FindNamed<HighScores>(ctx, "records") != nullptr; }, 3000));
        EXPECT_EQ(ctx.currentScreen, Screen::Menu);
        EXPECT_EQ(ctx.gameInProgress, 0);
        HighScores* table = FindNamed<HighScores>(ctx, "records");
        ASSERT_TRUE(table->nameEntry);
        finalScore = ctx.score;
        place = table->place;
        EXPECT_EQ(place, InsertionPlace(DefaultRecordTable(), finalScore));

        game.input().SetKey(DIK_LSHIFT, true);
        PressKey(game, DIK_A);
        game.input().SetKey(DIK_LSHIFT, false);
        PressKey(game, DIK_C);
        PressKey(game, DIK_E);
        PressKey(game, DIK_RETURN);
        EXPECT_FALSE(table->nameEntry);
        PressKey(game, DIK_ESCAPE);
        EXPECT_EQ(FindNamed<HighScores>(ctx, "records"), nullptr);
        EXPECT_EQ(menu->page, 0u);
        EXPECT_EQ(menu->captionCount, 5u);
        game.Close();
    }
    // The file: the name and score at their place, the rest moved down.
    std::ifstream in(dir / "records.csm", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(bytes.size(), 168u) << "the table, then the names of its replays";
    ASSERT_GE(place, 0);
    RecordTable expected = DefaultRecordTable();
    InsertScore(expected, place, finalScore);
    std::strcpy(expected.names[place], "Ace");
    EXPECT_EQ(bytes.substr(0, 168), SerializeRecordTable(expected));

    {
        HeadlessOptions options;
        options.userDir = dir.string();
        HeadlessGame game(options);
        ASSERT_TRUE(game.Start());
        GameContext& ctx = game.context();
        MainMenu* menu = ToMenu(game);
        ASSERT_NE(menu, nullptr);
        PressKey(game, DIK_DOWN);  // high scores
        PressKey(game, DIK_RETURN);
        HighScores* table = FindNamed<HighScores>(ctx, "records");
        ASSERT_NE(table, nullptr);
        EXPECT_FALSE(table->nameEntry);
        EXPECT_STREQ(table->table.names[place], "Ace");
        EXPECT_EQ(table->table.scores[place], finalScore);
        game.Close();
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

}  // namespace
}  // namespace dw

namespace dw {
namespace {

// A headless session never reaches the desktop: a site button clicked there
// asks for its page (and the game runs on), but no browser is started. A stand-in "xdg-open" (what
// SDL runs to open an address) on the PATH would leave a mark if it were.
// The same session has a FIFO in place of each file it keeps: start-up
// reaches the menu all the same.
TEST(HeadlessSession, ASiteButtonOpensNothingAndFifosDoNotHoldUpStartUp) {
    const auto dir = std::filesystem::temp_directory_path() / ("dw_headless_site_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    const auto user = dir / "user", bin = dir / "bin";
    std::filesystem::create_directories(user);
    std::filesystem::create_directories(bin);
    const auto mark = dir / "opened";
    for (const char* opener : {"xdg-open", "gio", "sensible-browser", "x-www-browser"}) {
        const auto script = bin / opener;
        std::ofstream(script) << "#!/bin/sh\necho \"$@\" >> '" << mark.string() << "'\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    }
    const char* oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath ? oldPath : "";
    ::setenv("PATH", (bin.string() + ":" + savedPath).c_str(), 1);
    for (const char* file : {"records.csm", "settings.ini", "file.log"})
        ASSERT_EQ(::mkfifo((user / file).c_str(), 0644), 0) << file;
    {
        HeadlessOptions options;
        options.userDir = user.string();
        options.seed = 5u;
        HeadlessGame game(options);
        ASSERT_TRUE(game.Start());
        GameContext& ctx = game.context();
        MainMenu* menu = ToMenu(game);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(ctx.bestScore, 800000u);
        SiteButton* site = menu->siteButtons[2];
        ASSERT_FALSE(site->address.empty());
        menu->cursorX = 0.02f;
        menu->cursorY = 0.83f;
        menu->velocityX = menu->velocityY = 0;
        game.Run(2);
        ASSERT_TRUE(site->hover);
        game.input().SetButton(0, true);
        game.Run(2);
        game.input().SetButton(0, false);
        auto* desktop = static_cast<platform::QuietDesktop*>(game.services().desktop);
        ASSERT_EQ(desktop->opened.size(), 1u);  // the click was taken
        EXPECT_EQ(desktop->opened[0], site->address);
        EXPECT_EQ(ctx.quitRequest, 0);  // and the game goes on
        EXPECT_EQ(game.Run(30), 30u);
        EXPECT_FALSE(game.closed());
    }
    ::setenv("PATH", savedPath.c_str(), 1);
    ::usleep(300 * 1000);  // an opener started in the background would have written by now
    EXPECT_FALSE(std::filesystem::exists(mark));
    for (const char* file : {"records.csm", "settings.ini", "file.log"})
        EXPECT_TRUE(std::filesystem::is_fifo(user / file)) << file;
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace dw
