// Options: sliders and their persistence. Splash and loading screen: skip
// keys, timings and the loading cursor.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/settings.h"
#include "platform/settings_store.h"
#include "frontend/intro_splash.h"
#include "frontend/loading_screen.h"
#include "frontend/options_screen.h"
#include "frontend_fixture.h"
#include "media/asset_list.h"

namespace dw {
namespace {

using testing::SoundHarness;

class Options : public testing::FrontEndFixture {
protected:
    OptionsScreen* Open() {
        auto* o = new OptionsScreen(&ctx);
        list.AddObject(o);
        return o;
    }
    void Cursor(float x, float y) {
        ctx.layoutCursorX = x;
        ctx.layoutCursorY = y;
    }
};

TEST_F(Options, DraggingSetsTheValuesAndLeavingSavesThem) {
    SoundHarness sound(ctx);
    Open();
    ctx.mouseButtons[0] = 0x80;  // the click that opened the screen
    Cursor(0.4f, -0.12f);
    Frame();
    EXPECT_EQ(ctx.soundVolume, 50);  // not taken
    ctx.mouseButtons[0] = 0;
    Frame();
    // Sound: press in the band and drag to the far right.
    ctx.mouseButtons[0] = 0x80;
    sound.Forget();
    for (int i = 0; i < 32; ++i) {
        Cursor(0.3f + 0.01f * static_cast<float>(i), -0.12f);
        Frame();
    }
    EXPECT_EQ(ctx.soundVolume, 100);
    // 32 frames of 16 ms: a preview at most every 200 ms.
    const auto played = sound.Played();
    EXPECT_GE(played.size(), 2u);
    EXPECT_LE(played.size(), 3u);
    // Out of the band vertically: the value stays; back in, it follows again.
    Cursor(0.3f, 0.0f);
    Frame();
    EXPECT_EQ(ctx.soundVolume, 100);
    Cursor(0.3f, -0.12f);
    Frame();
    EXPECT_EQ(ctx.soundVolume, 9);
    ctx.mouseButtons[0] = 0;
    Frame();
    // Pressing on empty space and sliding into the mouse band starts a drag there.
    Cursor(0.0f, 0.6f);
    ctx.mouseButtons[0] = 0x80;
    Frame();
    EXPECT_EQ(ctx.mouseSpeed, 1.0f);
    Cursor(0.2714f, 0.37f);
    Frame();
    EXPECT_NEAR(ctx.mouseSpeed, 0.5f, 0.01f);
    Cursor(0.61f, 0.37f);
    Frame();
    EXPECT_EQ(ctx.mouseSpeed, 1.5f);
    ctx.mouseButtons[0] = 0;
    Frame();
    // Music follows live.
    ctx.mouseButtons[0] = 0x80;
    Cursor(0.27f + 0.325f * 0.4f, 0.12f);
    Frame();
    ctx.mouseButtons[0] = 0;
    EXPECT_NEAR(ctx.musicVolume, 40, 1);
    ctx.mouseSpeed = 1.2345f;
    Tap(DIK_ESCAPE);
    EXPECT_EQ(ctx.optionsClosed, 1);
    EXPECT_EQ(settings.inner.keys[kSettingsKey]["SoundVolume"], 9u);
    EXPECT_EQ(settings.inner.keys[kSettingsKey]["MusicVolume"], static_cast<std::uint32_t>(ctx.musicVolume));
    EXPECT_EQ(settings.inner.keys[kSettingsKey]["Mouse"], 1234u);
    EXPECT_NE(LogText().find("Write Settings......... Succesful write settings\n"), std::string::npos);
}

// Each track is drawn over the band that takes the clicks: a click just
// inside either end of what is drawn moves that slider to its end.
TEST_F(Options, AClickAtEitherEndOfEachDrawnTrackMovesItsSlider) {
    OptionsScreen* o = Open();
    ctx.mouseButtons[0] = 0;  // the click that opened the screen is let go
    Frame();
    const float halfW = static_cast<float>(ctx.screenWidth) * 0.5f;
    const float halfH = static_cast<float>(ctx.screenHeight) * 0.5f;
    auto value = [&](int slider) {
        return slider == 0 ? static_cast<float>(ctx.soundVolume) / 100.0f
            : slider == 1  ? static_cast<float>(ctx.musicVolume) / 100.0f
                           : ctx.mouseSpeed - 0.5f;
    };
    for (int slider = 0; slider < 3; ++slider) {
        const ScreenVertex* track = o->Track(slider);
        const float left = track[0].x / halfW - 1.0f, right = track[1].x / halfW - 1.0f;
        const float middle = (track[0].y + track[2].y) * 0.5f / halfH - 1.0f;
        const float inside = 0.02f * (right - left);  // past the plate's rounded end
        for (const bool low : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "slider " << slider << (low ? " left" : " right"));
            ctx.soundVolume = ctx.musicVolume = 50;
            ctx.mouseSpeed = 1.0f;
            Cursor(low ? left + inside : right - inside, middle);
            Click();
            if (low)
                EXPECT_LT(value(slider), 0.05f);
            else
                EXPECT_GT(value(slider), 0.95f);
        }
    }
}

TEST_F(Options, AStoreThatCannotOpenWritesNothingButStillCloses) {
    settings.inner.failCreate = true;
    Open();
    Tap(DIK_ESCAPE);
    EXPECT_EQ(ctx.optionsClosed, 1);
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_EQ(LogText().find(kSettingsWritten), std::string::npos);
    EXPECT_NE(LogText().find(std::string(kSettingsNotWritten) + "\n"), std::string::npos);
}

// The real file: what the screen does not write is kept; a file that cannot
// be written never gets the success line.
class OptionsFile : public Options {
protected:
    void SetUp() override {
        Options::SetUp();
        path = (dir / "settings.ini").string();
    }
    void TearDown() override {
        services.settings = &settings;
        Options::TearDown();
    }
    void Leave(const std::string& file) {
        std::ofstream(path, std::ios::binary) << file;
        platform::IniSettingsStore store(path);
        services.settings = &store;
        Open();
        ctx.soundVolume = 61;
        ctx.musicVolume = 62;
        ctx.mouseSpeed = 0.75f;
        Tap(DIK_ESCAPE);
        EXPECT_EQ(ctx.optionsClosed, 1);
        services.settings = &settings;
    }
    std::string Text() const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string path;
};

TEST_F(OptionsFile, UnknownLinesAreKeptAcrossASave) {
    Leave("; tuned by hand\n[Software\\QVM\\Duskwhirl]\nMouse=1300\nGamma=2.2\nLevelID=584\n[Keys]\nFire=Space\n");
    EXPECT_EQ(Text(),
              "; tuned by hand\n[Software\\QVM\\Duskwhirl]\nMouse=750\nGamma=2.2\nLevelID=584\n"
              "MusicVolume=62\nSoundVolume=61\n[Keys]\nFire=Space\n");
    EXPECT_NE(LogText().find(std::string(kSettingsWritten) + "\n"), std::string::npos);
}

TEST_F(OptionsFile, AReadOnlyFileNeverGetsTheSuccessLine) {
    const std::string file = "[Software\\QVM\\Duskwhirl]\nMouse=1300\n";
    std::ofstream(path) << file;
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    // Leave() rewrites the file first: do it by hand here.
    platform::IniSettingsStore store(path);
    services.settings = &store;
    Open();
    ctx.musicVolume = 77;  // a change to save
    Tap(DIK_ESCAPE);
    services.settings = &settings;
    EXPECT_EQ(Text(), file);
    EXPECT_EQ(LogText().find(kSettingsWritten), std::string::npos);
    EXPECT_NE(LogText().find(std::string(kSettingsNotWritten) + "\n"), std::string::npos);
}

class Intro : public testing::FrontEndFixture {
protected:
    void SetUp() override {
        FrontEndFixture::SetUp();
        ctx.mouseActive = 0;
        ctx.introActive = 1;
        ctx.assetLoadingActive = 0;
    }
};

TEST_F(Intro, SpaceEndsTheSplashAtOnceAndTheLoaderCountsEveryAsset) {
    SoundHarness sound(ctx);
    auto* splash = new IntroSplash(&ctx);
    auto* loading = new LoadingScreen(&ctx);
    loading->SetLook(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFC4C4C4u, 50, 17, 190);
    list.AddObject(splash);
    list.AddObject(loading);
    EXPECT_EQ(loading->loader.total, kStartupAssetCount);
    EXPECT_EQ(loading->loader.total, 73u);
    EXPECT_EQ(loading->percent[2], 100);
    EXPECT_EQ(loading->Bar()[0].diffuse, 0xFFC4C4C4u);
    Frame();
    EXPECT_EQ(ctx.introActive, 1);
    EXPECT_EQ(loading->loader.cursor, 0u);  // waits behind the splash
    ctx.keys[DIK_SPACE] = 0x80;
    Frame();
    EXPECT_EQ(ctx.introActive, 0);
    EXPECT_EQ(ctx.assetLoadingActive, 1);
    EXPECT_TRUE(sound.Played().empty());                 // ended before the music started
    const std::uint32_t first = loading->loader.cursor;  // 0 or 1: list order decides
    EXPECT_LE(first, 1u);
    ctx.keys[DIK_SPACE] = 0;
    Frame();
    EXPECT_EQ(loading->loader.cursor, first + 1);
    EXPECT_FLOAT_EQ(loading->progress, static_cast<float>(first + 1) / 73.0f);
    int frames = static_cast<int>(first + 1);
    while (ctx.assetLoadingActive && frames < 500) {
        Frame();
        ++frames;
        if (ctx.assetLoadingActive && loading->loader.cursor == 73u) {
            EXPECT_EQ(loading->progress, 1.0f);
            EXPECT_NE(loading->doneTime, 0u);
        }
    }
    EXPECT_GE(frames, 73 + 500 / 16);
    EXPECT_LE(frames, 73 + 500 / 16 + 2);
    EXPECT_EQ(ctx.musicRequest, MusicRequest::MenuTheme);
}

TEST_F(Intro, TheSplashRunsItsPhasesAndPlaysTheMusicWhenTheLogoShows) {
    SoundHarness sound(ctx);
    auto* splash = new IntroSplash(&ctx);
    list.AddObject(splash);
    EXPECT_EQ(splash->Overlay()[0].diffuse, 0xFF000000u);
    std::uint32_t t = 0;
    while (!splash->fadingIn && t < 3000) Frame(), t += 16;
    EXPECT_GE(t, 1500u);
    EXPECT_LE(t, 1540u);
    while (!splash->holding && t < 6000) Frame(), t += 16;
    EXPECT_NEAR(static_cast<double>(t), 1500.0 + 800.0, 40.0);
    EXPECT_EQ(sound.Played(), std::vector<std::string>{"IntroTrackB"});
    Frame();
    // The logo shows all but fully: the last fade step is not drawn.
    EXPECT_LE(splash->Overlay()[0].diffuse >> 24, 6u);
    while (ctx.introActive && t < 20000) Frame(), t += 16;
    // 1.5 s black, 0.8 s in, 2.5 s hold, 1.7 s out, 1.5 s black.
    EXPECT_NEAR(static_cast<double>(t), 8000.0, 120.0);
    EXPECT_EQ(ctx.assetLoadingActive, 1);
}

}  // namespace
}  // namespace dw
