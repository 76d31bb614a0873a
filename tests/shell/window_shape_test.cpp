// Any screen shape: the 4:3 picture keeps its shape in any window (or fills
// it with Stretch=1), follows the window's real size, and the window's size
// and full-screen state carry over to the next start. And the screenshot
// file names.
#include <gtest/gtest.h>

#include <ctime>
#include <set>
#include <string>

#include "common/headless_game.h"
#include "app/screenshot_key.h"
#include "gfx/device.h"
#include "core/game_context.h"
#include "core/settings.h"
#include "platform/resource_library.h"
#include "platform/settings_store.h"
#include "platform/sound_library.h"
#include "test_dir.h"

namespace dw {
namespace {

class WindowShape : public ::testing::Test {
protected:
    void SetUp() override { dir = test::FreshDir("dw_shape_"); }
    void TearDown() override { std::filesystem::remove_all(dir); }
    HeadlessOptions Options(int w, int h) {
        HeadlessOptions o;
        o.userDir = dir.string();
        o.seed = 7;
        o.resources = &library;
        o.sound = &sound;
        o.settings = &settings;
        o.width = w;
        o.height = h;
        return o;
    }
    std::filesystem::path dir;
    platform::MemoryResourceLibrary library;
    platform::RecordingSoundLibrary sound;
    platform::MemorySettingsStore settings;
};

TEST_F(WindowShape, ThePictureKeeps4To3InAnyWindow) {
    struct Case {
        int w, h, pw, ph;
    };
    for (const Case c : {Case{1920, 1080, 1440, 1080}, Case{1280, 1024, 1280, 960}, Case{800, 600, 800, 600},
                         Case{1920, 1200, 1600, 1200}, Case{600, 1000, 600, 450}}) {
        HeadlessGame game(Options(c.w, c.h));
        ASSERT_TRUE(game.Start());
        EXPECT_EQ(game.context().screenWidth, c.pw) << c.w << "x" << c.h;
        EXPECT_EQ(game.context().screenHeight, c.ph) << c.w << "x" << c.h;
        EXPECT_EQ(game.device().BackBufferWidth(), static_cast<std::uint32_t>(c.pw));
        game.Step();
        EXPECT_EQ(game.context().screenWidth, c.pw) << "the frame keeps the picture's size";
    }
}

TEST_F(WindowShape, StretchFillsTheWindow) {
    settings.CreateKey(kSettingsKey);
    settings.SetValue(kSettingsKey, "Stretch", 1);
    HeadlessGame game(Options(1920, 1080));
    ASSERT_TRUE(game.Start());
    EXPECT_EQ(game.context().screenWidth, 1920);
    EXPECT_EQ(game.context().screenHeight, 1080);
    game.shell().Resize(1000, 500);
    game.Step();
    EXPECT_EQ(game.context().screenWidth, 1000);
    EXPECT_EQ(game.context().screenHeight, 500);
}

TEST_F(WindowShape, ThePictureFollowsEveryResizeAlsoInFullScreen) {
    HeadlessGame game(Options(800, 600));
    ASSERT_TRUE(game.Start());
    game.shell().Resize(1920, 1080);
    game.Step();
    EXPECT_EQ(game.context().screenWidth, 1440);
    EXPECT_EQ(game.context().screenHeight, 1080);
    // A full-screen request the window system answers late (or never):
    // the game draws at what the window has, as soon as it changes.
    game.shell().Push(platform::ShellEventType::ToggleFullscreen);
    game.Step();
    ASSERT_TRUE(game.shell().IsFullscreen());
    game.shell().Resize(1280, 1024);
    game.Step();
    EXPECT_EQ(game.context().screenWidth, 1280);
    EXPECT_EQ(game.context().screenHeight, 960);
}

TEST_F(WindowShape, TheWindowIsRememberedForTheNextStart) {
    {
        PlayOptions remember;
        remember.rememberWindow = true;
        HeadlessGame game(Options(800, 600), remember);
        ASSERT_TRUE(game.Start());
        game.shell().Resize(1100, 700);
        game.Step();
        game.shell().Push(platform::ShellEventType::ToggleFullscreen);
        game.Step();
        game.Close();
    }
    EXPECT_EQ(settings.QueryValue(kSettingsKey, "WindowWidth"), 1100u);
    EXPECT_EQ(settings.QueryValue(kSettingsKey, "WindowHeight"), 700u);
    EXPECT_EQ(settings.QueryValue(kSettingsKey, "FullScreen"), 1u);

    GameContext ctx;
    CreationSize creation;
    platform::Services seams;
    seams.settings = &settings;
    ctx.services = &seams;
    ReadSettings(ctx, creation);
    EXPECT_EQ(creation.width, 1100u);
    EXPECT_EQ(creation.height, 700u);
    EXPECT_TRUE(creation.fullscreen);
    EXPECT_FALSE(creation.stretch);

    // Left in the window, the next start stays in the window.
    settings.SetValue(kSettingsKey, "FullScreen", 0);
    ReadSettings(ctx, creation);
    EXPECT_FALSE(creation.fullscreen);
}

TEST_F(WindowShape, SettingsWithoutTheWindowKeysStillRead) {
    settings.CreateKey(kSettingsKey);
    settings.SetValue(kSettingsKey, "Mouse", 1200);
    settings.SetValue(kSettingsKey, "WindowWidth", 5);  // nonsense is ignored
    GameContext ctx;
    ctx.requestedWidth = 1280;
    ctx.requestedHeight = 960;
    CreationSize creation;
    platform::Services seams;
    seams.settings = &settings;
    ctx.services = &seams;
    ReadSettings(ctx, creation);
    EXPECT_FLOAT_EQ(ctx.mouseSpeed, 1.2f);
    EXPECT_EQ(creation.width, 1280u);
    EXPECT_TRUE(creation.fullscreen);
    EXPECT_FALSE(creation.stretch);
}

TEST_F(WindowShape, HeadlessRunsDoNotTouchTheWindowSettings) {
    HeadlessGame game(Options(1024, 768));
    ASSERT_TRUE(game.Start());
    game.Run(5);
    game.Close();
    EXPECT_FALSE(settings.QueryValue(kSettingsKey, "WindowWidth").has_value());
    EXPECT_FALSE(settings.QueryValue(kSettingsKey, "FullScreen").has_value());
}

TEST(ScreenshotKey, NamesCarryTheTimeAndACounterWithinOneSecond) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 9;
    when.tm_hour = 1;
    when.tm_min = 2;
    when.tm_sec = 3;
    std::set<std::string> taken;
    auto exists = [&taken](const std::string& p) { return taken.count(p) != 0; };
    const std::string first = ScreenshotPath("/u/screenshots", when, exists);
    EXPECT_EQ(first, "/u/screenshots/duskwhirl-20261209-010203.png");
    taken.insert(first);
    const std::string second = ScreenshotPath("/u/screenshots", when, exists);
    EXPECT_EQ(second, "/u/screenshots/duskwhirl-20261209-010203-2.png");
    taken.insert(second);
    EXPECT_EQ(ScreenshotPath("/u/screenshots", when, exists), "/u/screenshots/duskwhirl-20261209-010203-3.png");
}

TEST_F(WindowShape, TheScreenshotKeyWithoutAPictureWritesNothingAndGoesOn) {
    HeadlessGame game(Options(800, 600));
    ASSERT_TRUE(game.Start());
    game.shell().Push(platform::ShellEventType::Screenshot);
    EXPECT_TRUE(game.Step());
    EXPECT_TRUE(game.Step());
    EXPECT_FALSE(std::filesystem::exists(dir / "screenshots" / "x"));
}

}  // namespace
}  // namespace dw
