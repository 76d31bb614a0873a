// The display and controls pages behind the options screen, and the keys on
// the options and help screens: every screen works with the arrows, Enter
// and Escape. Then the whole game: a key remapped through the screens, played
// with, and found again by the next start; a broken value in settings.ini.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/headless_game.h"
#include "core/settings.h"
#include "engine/list_engine.h"
#include "frontend/help_screen.h"
#include "frontend/main_menu.h"
#include "frontend/options_screen.h"
#include "frontend/setup_screen.h"
#include "frontend_fixture.h"
#include "media/glyph_text.h"
#include "platform/embedded_resources.h"
#include "platform/score_server.h"
#include "common/whole_game.h"

namespace dw {
namespace {

using platform::KeyAction;
using Row = SetupScreen::Row;

class Setup : public testing::FrontEndFixture {
protected:
    OptionsScreen* Open() {
        auto* o = new OptionsScreen(&ctx);
        list.AddObject(o);
        Frame();
        return o;
    }
    // Options, Down to the setup button, Enter.
    SetupScreen* OpenSetup(OptionsScreen* o) {
        for (int i = 0; i < 4; ++i) Tap(DIK_DOWN);
        EXPECT_EQ(o->keySelection, 3);
        Tap(DIK_RETURN);
        return o->setup.get();
    }
    std::string Stored(const char* name) { return settings.QueryText(kSettingsKey, name).value_or("(none)"); }
};

TEST_F(Setup, TheOptionsSlidersAndTheSetupButtonWorkWithTheKeys) {
    OptionsScreen* o = Open();
    EXPECT_EQ(o->keySelection, 0);  // the sound volume is chosen from the start
    Tap(DIK_UP);                    // and stays chosen at the top
    EXPECT_EQ(o->keySelection, 0);
    Tap(DIK_RIGHT);
    EXPECT_EQ(ctx.soundVolume, 55);
    Tap(DIK_DOWN);
    Tap(DIK_LEFT);
    EXPECT_EQ(ctx.musicVolume, 23);
    Tap(DIK_DOWN);
    Tap(DIK_RIGHT);
    EXPECT_NEAR(ctx.mouseSpeed, 1.05f, 1e-4f);
    for (int i = 0; i < 12; ++i) Tap(DIK_RIGHT);
    EXPECT_FLOAT_EQ(ctx.mouseSpeed, 1.5f);
    Tap(DIK_UP);
    for (int i = 0; i < 10; ++i) Tap(DIK_LEFT);
    EXPECT_EQ(ctx.musicVolume, 0);
    Tap(DIK_DOWN);
    Tap(DIK_DOWN);
    Tap(DIK_RETURN);
    ASSERT_NE(o->setup, nullptr);
    // Escape leaves the pages, not the options; the next Escape leaves those.
    Tap(DIK_ESCAPE);
    EXPECT_EQ(o->setup, nullptr);
    EXPECT_EQ(ctx.optionsClosed, 0);
    Tap(DIK_ESCAPE);
    EXPECT_EQ(ctx.optionsClosed, 1);
    EXPECT_EQ(Stored("MusicVolume"), "0");
}

TEST_F(Setup, TheSetupButtonOpensThePagesWithTheMouse) {
    OptionsScreen* o = Open();
    ctx.layoutCursorX = 0.5f;
    ctx.layoutCursorY = 0.54f;
    Frame();
    EXPECT_EQ(o->setupHover, 1);
    Click();
    ASSERT_NE(o->setup, nullptr);
    // The back button of the pages: the options again, the click not taken twice.
    ctx.layoutCursorX = 0.2f;
    Frame();
    Click();
    EXPECT_EQ(o->setup, nullptr);
    EXPECT_EQ(ctx.optionsClosed, 0);
}

TEST_F(Setup, TheChosenRowHasItsBandAndTheOrnamentStandsUnderThePageShown) {
    SetupScreen* s = OpenSetup(Open());
    ASSERT_NE(s, nullptr);
    // On the page row the band lies under the page's name alone, the
    // ornament below it.
    const ui::Area tabs = SetupScreen::RowRect(0);
    EXPECT_EQ(s->ChosenBand().top, tabs.top);
    EXPECT_LT(s->ChosenBand().right, 0.4f);
    EXPECT_GT(s->PageMarkX(), s->ChosenBand().left);
    EXPECT_LT(s->PageMarkX(), s->ChosenBand().right);
    // Each page turned moves both to the right.
    float mark = s->PageMarkX(), band = s->ChosenBand().left;
    for (int page = 1; page < SetupScreen::kPages; ++page) {
        Tap(DIK_RIGHT);
        ASSERT_EQ(s->page, page);
        EXPECT_GT(s->PageMarkX(), mark + 0.1f);
        EXPECT_GT(s->ChosenBand().left, band + 0.1f);
        mark = s->PageMarkX();
        band = s->ChosenBand().left;
    }
    // Down a row: the band spans that row; the ornament stays with the page.
    Tap(DIK_DOWN);
    EXPECT_EQ(s->ChosenBand().top, SetupScreen::RowRect(1).top);
    EXPECT_EQ(s->ChosenBand().left, tabs.left);
    EXPECT_EQ(s->PageMarkX(), mark);
}

TEST_F(Setup, AKeyIsRemappedSwappedAndEscapeCancels) {
    SetupScreen* s = OpenSetup(Open());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->page, SetupScreen::kDisplay);
    Tap(DIK_RIGHT);  // the page row turns the page
    ASSERT_EQ(s->page, SetupScreen::kKeyboard);
    for (int i = 0; i < 5; ++i) Tap(DIK_DOWN);
    ASSERT_EQ(SetupScreen::Rows(s->page)[static_cast<std::size_t>(s->row)].row, Row::Key);
    EXPECT_EQ(SetupScreen::Rows(s->page)[static_cast<std::size_t>(s->row)].action, static_cast<int>(KeyAction::Fire));
    Tap(DIK_RETURN);
    EXPECT_EQ(s->waiting, SetupScreen::Waiting::Key);
    Tap(DIK_F);
    EXPECT_EQ(s->waiting, SetupScreen::Waiting::None);
    EXPECT_EQ(ctx.controls.Key(KeyAction::Fire, 0), DIK_F);
    // The second key: D steers right; they swap.
    Tap(DIK_RIGHT);
    EXPECT_EQ(s->column, 1);
    Tap(DIK_RETURN);
    Tap(DIK_D);
    EXPECT_EQ(ctx.controls.Key(KeyAction::Fire, 1), DIK_D);
    EXPECT_EQ(ctx.controls.Key(KeyAction::Right, 1), DIK_Z);
    // Escape while waiting: nothing changes and the pages stay.
    const platform::Controls before = ctx.controls;
    Tap(DIK_RETURN);
    Tap(DIK_ESCAPE);
    EXPECT_EQ(s->waiting, SetupScreen::Waiting::None);
    EXPECT_EQ(ctx.controls, before);
    EXPECT_FALSE(s->closed);
    // Leaving writes the names of what changed, and nothing else.
    Tap(DIK_ESCAPE);
    EXPECT_EQ(Stored("KeyFire"), "F,D");
    EXPECT_EQ(Stored("KeyRight"), "Right,Z");
    EXPECT_EQ(Stored("KeyPause"), "(none)");
    EXPECT_EQ(Stored("PadPause"), "(none)");
}

TEST_F(Setup, RestoreDefaultsAndTheSliderOfEachPage) {
    SetupScreen* s = OpenSetup(Open());
    ASSERT_NE(s, nullptr);
    Tap(DIK_LEFT);  // Display -> Gamepad
    ASSERT_EQ(s->page, SetupScreen::kGamepad);
    const auto rows = SetupScreen::Rows(s->page);
    for (int i = 0; i < 4; ++i) Tap(DIK_DOWN);
    ASSERT_EQ(rows[static_cast<std::size_t>(s->row)].row, Row::DeadZone);
    Tap(DIK_RIGHT);
    Tap(DIK_RIGHT);
    EXPECT_EQ(ctx.controls.deadZone, 30);
    for (int i = 0; i < 20; ++i) Tap(DIK_RIGHT);
    EXPECT_EQ(ctx.controls.deadZone, platform::kDeadZoneMax);
    ctx.controls.BindKey(KeyAction::Fire, 0, DIK_F);  // another page's: kept
    Tap(DIK_DOWN);
    Tap(DIK_DOWN);
    ASSERT_EQ(rows[static_cast<std::size_t>(s->row)].row, Row::Restore);
    Tap(DIK_RETURN);
    EXPECT_EQ(ctx.controls.deadZone, platform::kDeadZoneDefault);
    EXPECT_EQ(ctx.controls.Key(KeyAction::Fire, 0), DIK_F);
    // A drag on the stick speed's track.
    ctx.layoutCursorY = SetupScreen::RowRect(5).top + 0.03f;
    ctx.layoutCursorX = 0.41f;
    Frame();
    ctx.mouseButtons[0] = 0x80;
    Frame();
    ctx.layoutCursorX = 0.69f;
    Frame();
    ctx.mouseButtons[0] = 0;
    Frame();
    EXPECT_EQ(ctx.controls.stickSpeed, platform::kSpeedMax);
}

TEST_F(Setup, TheDisplaySwitchesAskTheApplicationAndAreWritten) {
    SetupScreen* s = OpenSetup(Open());
    ASSERT_NE(s, nullptr);
    ctx.display = {0, 0, 1, 0};
    Tap(DIK_DOWN);
    Tap(DIK_RETURN);  // full screen
    EXPECT_EQ(ctx.display.fullscreen, 1);
    EXPECT_EQ(ctx.displayChangeRequest, 1);
    ctx.displayChangeRequest = 0;
    Tap(DIK_DOWN);
    Tap(DIK_RIGHT);  // Left/Right flip a switch too
    EXPECT_EQ(ctx.display.stretch, 1);
    Tap(DIK_DOWN);
    Tap(DIK_RETURN);
    EXPECT_EQ(ctx.display.vsync, 0);
    Tap(DIK_DOWN);
    Tap(DIK_RETURN);
    EXPECT_EQ(ctx.display.reduceFlashes, 1);
    // Online scores: the switch reaches the score server's client at once.
    platform::ScoreServer scores(std::make_unique<platform::UnavailableHttpClient>(), (dir / "outbox").string());
    services.scores = &scores;
    ctx.online.server = "127.0.0.1:8765";
    Tap(DIK_DOWN);
    Tap(DIK_RETURN);
    EXPECT_EQ(ctx.online.on, 1);
    EXPECT_EQ(scores.config(), (platform::ScoreServer::Config{true, "127.0.0.1:8765"}));
    Tap(DIK_ESCAPE);
    services.scores = nullptr;
    EXPECT_EQ(Stored("Stretch"), "1");
    EXPECT_EQ(Stored("VSync"), "0");
    EXPECT_EQ(Stored("ReduceFlashes"), "1");
    EXPECT_EQ(Stored("OnlineScores"), "1");
    EXPECT_EQ(Stored("ScoreServer"), "(none)") << "the address is the player's to write";
}

// What the glyph entries of the frame read, cell by cell (unknown cells as '?').
std::string GlyphsDrawn(const RenderQueue& queue) {
    static const std::string kAtlas = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+-*_.,:;?!\"#@>< ";
    std::string text;
    for (std::size_t e = 0; e < queue.EntryCount(); ++e) {
        const DrawEntry& entry = queue.EntryAt(e);
        if (std::string(entry.texture) != asset::SymbolMid) continue;
        const auto* v = static_cast<const ScreenVertex*>(entry.vertices);
        for (std::uint32_t q = 0; q < entry.primitiveCount / 2; ++q) {
            char found = '?';
            for (char ch : kAtlas) {
                ScreenVertex cell[6] = {};
                const char one[2] = {ch, 0};
                SetGlyphText(cell, one);
                if (cell[0].u == v[6 * q].u && cell[0].v == v[6 * q].v) found = ch;
            }
            text += found;
        }
        text += '|';
    }
    return text;
}

TEST_F(Setup, TheHelpNamesTheKeysBoundAfterARemap) {
    SetupScreen* s = OpenSetup(Open());
    ASSERT_NE(s, nullptr);
    Tap(DIK_RIGHT);  // the keyboard page; its fifth row is fire
    for (int i = 0; i < 5; ++i) Tap(DIK_DOWN);
    Tap(DIK_RETURN);
    Tap(DIK_NUMPADENTER);
    Tap(DIK_RIGHT);  // the second key: Right Shift
    Tap(DIK_RETURN);
    Tap(DIK_RSHIFT);
    Tap(DIK_ESCAPE);
    Tap(DIK_ESCAPE);
    ASSERT_EQ(ctx.controls.Key(KeyAction::Fire, 0), DIK_NUMPADENTER);
    for (auto* node = list.Head(); node; node = node->next) node->object->dead = 1;
    Frame();
    auto* h = new HelpScreen(&ctx);
    list.AddObject(h);
    Frame();
    EXPECT_EQ(GlyphsDrawn(queue), "") << "page 1 names no keys";
    Tap(DIK_RIGHT);
    ASSERT_EQ(h->page2, 1);
    const std::string page = GlyphsDrawn(queue);
    // One entry of all four lines. Fire is too long for the mouse button as
    // well; the other lines keep theirs.
    EXPECT_NE(page.find("Fire: Keypad Enter, Right ShiftRockets"), std::string::npos) << page;
    EXPECT_NE(page.find("Steer: Left Right Up Down, A D W S"), std::string::npos) << page;
    EXPECT_NE(page.find("Rockets: Left Alt, X, right click"), std::string::npos) << page;
    EXPECT_NE(page.find("Pause and menu: Escape"), std::string::npos) << page;
    // A direction without a second key shows a dash.
    ctx.controls.keys[static_cast<int>(KeyAction::Up)][1] = 0;
    EXPECT_EQ(HelpKeyLines(ctx.controls)[0], "Steer: Left Right Up Down, A D - S");
}

TEST_F(Setup, HelpPagesTurnWithLeftAndRight) {
    auto* h = new HelpScreen(&ctx);
    list.AddObject(h);
    Frame();
    Tap(DIK_LEFT);
    EXPECT_EQ(h->page2, 0);
    Tap(DIK_RIGHT);
    EXPECT_EQ(h->page2, 1);
    Tap(DIK_RIGHT);
    EXPECT_EQ(h->page2, 1);
    Tap(DIK_LEFT);
    EXPECT_EQ(h->page2, 0);
    Tap(DIK_ESCAPE);
    EXPECT_EQ(ctx.helpClosed, 1);
}

// --- the whole game -----------------------------------------------------

using testing::FindNamed;
using testing::PressKey;

MainMenu* ToMenu(HeadlessGame& game) {
    GameContext& ctx = game.context();
    game.Run(2);
    PressKey(game, DIK_SPACE);
    EXPECT_TRUE(game.RunUntil([&] { return ctx.mouseActive == 1 && ctx.assetLoadingActive == 0; }, 600));
    game.Run(4);
    return FindNamed<MainMenu>(ctx, "menu");
}

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct UserDir {
    UserDir() {
        path = std::filesystem::temp_directory_path() /
            ("dw_setup_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~UserDir() { std::filesystem::remove_all(path); }
    std::filesystem::path path;
};

HeadlessOptions Steered(const UserDir& dir) {
    HeadlessOptions o;
    o.userDir = dir.path.string();
    o.seed = 5u;
    o.steering = true;
    return o;
}

TEST(SetupWholeGame, AKeyRemappedOnTheScreenFiresInPlayAndIsKeptForTheNextStart) {
    if (kEmbeddedLevelCount == 0) GTEST_SKIP() << "no levels compiled in";
    UserDir dir;
    {
        // Recorded, as every game in a window is: the bindings reach the
        // steering through the recorder.
        PlayOptions play;
        play.record = true;
        HeadlessGame game(Steered(dir), play);
        ASSERT_TRUE(game.Start());
        GameContext& ctx = game.context();
        MainMenu* menu = ToMenu(game);
        ASSERT_NE(menu, nullptr);
        for (int i = 0; i < 3; ++i) PressKey(game, DIK_DOWN);
        PressKey(game, DIK_RETURN);
        auto* options = FindNamed<OptionsScreen>(ctx, "options");
        ASSERT_NE(options, nullptr);
        for (int i = 0; i < 4; ++i) PressKey(game, DIK_DOWN);
        PressKey(game, DIK_RETURN);
        ASSERT_NE(options->setup, nullptr);
        PressKey(game, DIK_RIGHT);  // the keyboard page
        for (int i = 0; i < 5; ++i) PressKey(game, DIK_DOWN);
        PressKey(game, DIK_RETURN);
        PressKey(game, DIK_F);
        EXPECT_EQ(ctx.controls.Key(KeyAction::Fire, 0), DIK_F);
        PressKey(game, DIK_ESCAPE);
        PressKey(game, DIK_ESCAPE);
        ASSERT_TRUE(game.RunUntil([&] { return FindNamed<OptionsScreen>(ctx, "options") == nullptr; }, 10));
        // A new game from the menu, and F fires; Left Ctrl no longer does.
        for (int i = 0; i < 3; ++i) PressKey(game, DIK_UP);
        PressKey(game, DIK_RETURN);
        PressKey(game, DIK_RETURN);
        ASSERT_TRUE(game.RunUntil([&] { return ctx.gamePhase == GamePhase::Playing && ctx.shipAlive; }, 900));
        game.Run(30);
        game.input().SetKey(DIK_F, true);
        game.Run(3);
        EXPECT_EQ(ctx.mouseButtons[0], 1u);
        game.input().SetKey(DIK_F, false);
        game.input().SetKey(DIK_LCONTROL, true);
        game.Run(3);
        EXPECT_EQ(ctx.mouseButtons[0], 0u);
        game.input().SetKey(DIK_LCONTROL, false);
        game.Close();
    }
    EXPECT_NE(ReadFile(dir.path / "settings.ini").find("KeyFire=F,Z\n"), std::string::npos);
    HeadlessGame again(Steered(dir));
    ASSERT_TRUE(again.Start());
    EXPECT_EQ(again.context().controls.Key(KeyAction::Fire, 0), DIK_F);
    EXPECT_EQ(again.context().controls.Key(KeyAction::Fire, 1), DIK_Z);
    again.Close();
}

TEST(SetupWholeGame, ABrokenValueFallsBackToItsDefaultWithALogLineAndTheFileKeepsItsComments) {
    UserDir dir;
    {
        std::ofstream out(dir.path / "settings.ini");
        out << "; my own keys\n[Software\\QVM\\Duskwhirl]\nKeyFire=Banana\nKeyPause=P\nPadRocket=a,a\n"
               "PadDeadZone=90\nVSync=0\n";
    }
    HeadlessGame game(Steered(dir));
    ASSERT_TRUE(game.Start());
    const GameContext& ctx = game.context();
    const platform::Controls defaults = platform::Controls::Defaults();
    EXPECT_EQ(ctx.controls.keys[static_cast<int>(KeyAction::Fire)], defaults.keys[static_cast<int>(KeyAction::Fire)]);
    EXPECT_EQ(ctx.controls.Key(KeyAction::Pause, 0), DIK_P);
    EXPECT_EQ(ctx.controls.pad, defaults.pad);
    EXPECT_EQ(ctx.controls.deadZone, platform::kDeadZoneDefault);
    EXPECT_EQ(ctx.display.vsync, 0);
    EXPECT_FALSE(game.shell().vsync);  // applied at the start
    game.Close();
    const std::string log = ReadFile(dir.path / "file.log");
    EXPECT_NE(log.find("KeyFire=Banana is not understood"), std::string::npos) << log;
    EXPECT_NE(log.find("PadRocket=a,a is not understood"), std::string::npos);
    EXPECT_NE(log.find("PadDeadZone=90 is not understood"), std::string::npos);
    EXPECT_NE(ReadFile(dir.path / "settings.ini").find("; my own keys\n"), std::string::npos);
}

}  // namespace
}  // namespace dw
