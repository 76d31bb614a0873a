#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/session.h"
#include "app/first_object.h"
#include "core/game_context.h"
#include "core/log.h"
#include "core/settings.h"
#include "app/system_report.h"
#include "platform/clock.h"
#include "platform/services.h"
#include "platform/settings_store.h"
#include "platform/stored_file.h"

namespace fs = std::filesystem;

namespace dw {
namespace {

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
            ("dw_app_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        services.userDir = dir.string();
        store = std::make_unique<platform::IniSettingsStore>((dir / "settings.ini").string());
        services.settings = store.get();
        services.clock = &clock;
        settingsCtx.services = &services;
    }
    void TearDown() override { fs::remove_all(dir); }
    // A file written before a start: the store of the next start reads it.
    void WriteSettings(const std::string& text) {
        std::ofstream(dir / "settings.ini", std::ios::binary) << text;
        NewStart();
    }
    // The settings store of a new start (the file is read once per start).
    void NewStart() {
        store = std::make_unique<platform::IniSettingsStore>((dir / "settings.ini").string());
        services.settings = store.get();
    }
    std::string SettingsText() { return ReadFile(dir / "settings.ini"); }
    std::string LogText() { return ReadFile(dir / "file.log"); }

    fs::path dir;
    std::unique_ptr<platform::IniSettingsStore> store;
    platform::FixedStepClock clock;
    // The seams of the fixture's contexts (clock, settings, user directory).
    platform::Services services;
    GameContext settingsCtx;  // for reading and writing single settings
};

// A Game context on a record of seams, and what a session's start makes of
// them: the log, the user directory's check, the settings read.
struct SessionContext : GameContext {
    explicit SessionContext(platform::Services& seams) { services = &seams; }
    void Start() { startLog = OpenLogAndReadSettings(*this, creation); }
    ~SessionContext() { log = nullptr; }
    CreationSize creation;
    std::unique_ptr<Log> startLog;
};

TEST_F(AppTest, FirstRunLogsSuccessThenErrorAndUses800x600Defaults) {
    SessionContext ctx{services};
    ctx.requestedWidth = 1920;
    ctx.requestedHeight = 1080;
    ctx.Start();
    EXPECT_EQ(LogText(),
              "Start Execute: \"Duskwhirl 2\".  Begin Log File\n\n"
              "Read Settings........... Succesful read settings\n"
              "Read Settings....Fucking SHIT!!! Error occuried!\n");
    EXPECT_EQ(ctx.creation.width, 800u);
    EXPECT_EQ(ctx.creation.height, 600u);
    EXPECT_EQ(ctx.musicVolume, 28);
    EXPECT_EQ(ctx.soundVolume, 50);
    EXPECT_FLOAT_EQ(ctx.mouseSpeed, 1.0f);

    ctx.startLog.reset();  // the first run ends
    // The second run finds the key: desktop size, one success line.
    SessionContext ctx2{services};
    ctx2.requestedWidth = 1920;
    ctx2.requestedHeight = 1080;
    ctx2.Start();
    EXPECT_EQ(ctx2.creation.width, 1920u);
    EXPECT_EQ(ctx2.creation.height, 1080u);
    EXPECT_EQ(LogText(),
              "Start Execute: \"Duskwhirl 2\".  Begin Log File\n\n"
              "Read Settings........... Succesful read settings\n");
}

struct SettingsCase {
    const char* file;
    float mouse;
    std::uint32_t levelIndex;
    std::int32_t music;
    std::int32_t sound;
};

TEST_F(AppTest, SettingsBoundsAndMalformedFiles) {
    const SettingsCase cases[] = {
        {"[Software\\QVM\\Duskwhirl]\nMouse=1500\n", 1.5f, 0, 28, 50},
        {"[Software\\QVM\\Duskwhirl]\nMouse=1501\n", 1.0f, 0, 28, 50},
        {"[Software\\QVM\\Duskwhirl]\nMouse=499\n", 1.0f, 0, 28, 50},
        {"[Software\\QVM\\Duskwhirl]\nMouse=500\nLevelID=584\n", 0.5f, 3, 28, 50},
        {"[Software\\QVM\\Duskwhirl]\nLevelID=3\n", 1.0f, 0, 28, 50},
        {"[Software\\QVM\\Duskwhirl]\nLevelID=258\nMusicVolume=250\nSoundVolume=7\n", 1.0f, 9, 100, 7},
        // garbage, huge and negative numbers read as absent; last duplicate wins
        {"[Software\\QVM\\Duskwhirl]\nMusicVolume=loud\nSoundVolume=99999999999\nMouse=-700\n", 1.0f, 0, 28, 50},
        {"[Software\\QVM\\Duskwhirl]\nSoundVolume=10\nSoundVolume=20\nMusicVolume=4294967295\n", 1.0f, 0, 100, 20},
        {"", 1.0f, 0, 28, 50},
        {"\x01\x02\xff\xfe[[[\n=\n[]\nMouse\n\0\0binary", 1.0f, 0, 28, 50},
        {"[Other]\nMouse=1200\n", 1.0f, 0, 28, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        WriteSettings(c.file);
        SessionContext ctx{services};
        ctx.Start();
        EXPECT_FLOAT_EQ(ctx.mouseSpeed, c.mouse);
        EXPECT_EQ(ctx.levelIndex, c.levelIndex);
        EXPECT_EQ(ctx.musicVolume, c.music);
        EXPECT_EQ(ctx.soundVolume, c.sound);
    }
}

TEST_F(AppTest, UnwritableSettingsGiveDefaultsAndTheErrorLine) {
    fs::create_directories(dir / "settings.ini");  // a directory where the file should be
    SessionContext ctx{services};
    ctx.Start();
    // The save warning at start, then the settings' own error line.
    EXPECT_EQ(LogText(),
              "Start Execute: \"Duskwhirl 2\".  Begin Log File\n\n"
              "settings and high scores will not be saved: " +
                  (dir / "settings.ini").string() + " is not a regular file\n" + (dir / "settings.ini").string() +
                  " is not a regular file: the settings are neither read nor written\n"
                  "Read Settings....Fucking SHIT!!! Error occuried!\n");
    EXPECT_EQ(ctx.musicVolume, 28);
    EXPECT_EQ(WriteIntRegKey(settingsCtx, "Mouse", 1200), E_FAIL);
}

TEST_F(AppTest, AByteOrderMarkOrAMissingSectionLineKeepsTheValues) {
    const std::string bom = "\xEF\xBB\xBF";
    WriteSettings(bom + "[Software\\QVM\\Duskwhirl]\r\nMusicVolume=70\r\nMouse=1200\r\n");
    {
        SessionContext ctx{services};
        ctx.Start();
        EXPECT_EQ(ctx.musicVolume, 70);
        EXPECT_FLOAT_EQ(ctx.mouseSpeed, 1.2f);
        EXPECT_EQ(LogText().find("Fucking"), std::string::npos);
    }
    ASSERT_EQ(WriteIntRegKey(settingsCtx, "SoundVolume", 9), S_OK);
    EXPECT_EQ(SettingsText(),
              bom +
                  "[Software\\QVM\\Duskwhirl]\r\nMusicVolume=70\r\nMouse=1200\r\n"
                  "SoundVolume=9\r\n");

    // The section line lost in a hand edit: the values are the game's.
    WriteSettings("; mine\nMusicVolume=66\nSoundVolume=12\n");
    {
        SessionContext ctx{services};
        ctx.Start();
        EXPECT_EQ(ctx.musicVolume, 66);
        EXPECT_EQ(ctx.soundVolume, 12);
        EXPECT_EQ(LogText().find("Fucking"), std::string::npos);
    }
    ASSERT_EQ(WriteIntRegKey(settingsCtx, "Mouse", 800), S_OK);
    EXPECT_EQ(SettingsText(), "; mine\n[Software\\QVM\\Duskwhirl]\nMusicVolume=66\nSoundVolume=12\nMouse=800\n");
    NewStart();
    SessionContext ctx{services};
    ctx.Start();
    EXPECT_EQ(ctx.musicVolume, 66);
    EXPECT_FLOAT_EQ(ctx.mouseSpeed, 0.8f);
}

TEST_F(AppTest, LinesTheReaderDoesNotKnowSurviveARewrite) {
    const std::string file =
        "# written by hand\n[Software\\QVM\\Duskwhirl]\nMusicVolume=40\nColour=blue\n"
        "; a note\nMouse=fast\n\n[Elsewhere]\nX=1\n";
    WriteSettings(file);
    ASSERT_EQ(WriteIntRegKey(settingsCtx, "MusicVolume", 41), S_OK);
    ASSERT_EQ(WriteIntRegKey(settingsCtx, "Mouse", 1100), S_OK);
    ASSERT_EQ(WriteIntRegKey(settingsCtx, "LevelID", 584), S_OK);
    EXPECT_EQ(SettingsText(),
              "# written by hand\n[Software\\QVM\\Duskwhirl]\nMusicVolume=41\nColour=blue\n"
              "; a note\nMouse=1100\nLevelID=584\n\n[Elsewhere]\nX=1\n");
}

TEST_F(AppTest, TheFileIsReadOnceAndOverlongLinesAreNotRead) {
    // A line of 4 KiB is read, a longer one is not.
    const std::string music = "MusicVolume=70", sound = "SoundVolume=70";
    WriteSettings("[Software\\QVM\\Duskwhirl]\n" + music + std::string(4096 - music.size(), ' ') + "\n" + sound +
                  std::string(4097 - sound.size(), ' ') + "\n");
    std::uint32_t v = 0;
    EXPECT_EQ(ReadIntRegKey(settingsCtx, kSettingsKey, "MusicVolume", v, 5), S_OK);
    EXPECT_EQ(v, 70u);
    EXPECT_EQ(ReadIntRegKey(settingsCtx, kSettingsKey, "SoundVolume", v, 5), E_FAIL);
    EXPECT_EQ(v, 5u);
    // Changed behind the game's back: this start keeps what it read.
    std::ofstream(dir / "settings.ini") << "[Software\\QVM\\Duskwhirl]\nMusicVolume=1\n";
    EXPECT_EQ(ReadIntRegKey(settingsCtx, kSettingsKey, "MusicVolume", v, 5), S_OK);
    EXPECT_EQ(v, 70u);
    NewStart();
    EXPECT_EQ(ReadIntRegKey(settingsCtx, kSettingsKey, "MusicVolume", v, 5), S_OK);
    EXPECT_EQ(v, 1u);
}

TEST_F(AppTest, AFifoForTheSettingsIsRefusedAndStartUpGoesOn) {
    ASSERT_EQ(::mkfifo((dir / "settings.ini").c_str(), 0644), 0);
    NewStart();
    SessionContext ctx{services};
    ctx.Start();  // does not hang
    EXPECT_EQ(ctx.musicVolume, 28);
    EXPECT_NE(LogText().find("settings.ini is not a regular file: the settings are neither read nor "
                             "written\nRead Settings....Fucking SHIT!!! Error occuried!\n"),
              std::string::npos)
        << LogText();
    EXPECT_EQ(WriteIntRegKey(settingsCtx, "Mouse", 1200), E_FAIL);
    EXPECT_TRUE(fs::is_fifo(dir / "settings.ini"));
}

TEST_F(AppTest, AFifoForTheLogIsNeverOpened) {
    ASSERT_EQ(::mkfifo((dir / "file.log").c_str(), 0644), 0);
    Log log((dir / "file.log").string());  // does not hang
    EXPECT_TRUE(log.refused());
    log.WriteLine("nothing");
    EXPECT_TRUE(fs::is_fifo(dir / "file.log"));
}

TEST_F(AppTest, WrittenSettingsAreReadBack) {
    ASSERT_EQ(WriteIntRegKey(settingsCtx, "MusicVolume", 77), S_OK);
    ASSERT_EQ(WriteIntRegKey(settingsCtx, "Mouse", 1250), S_OK);
    ASSERT_EQ(WriteIntRegKey(settingsCtx, "LevelID", 913), S_OK);
    SessionContext ctx{services};
    ctx.Start();
    EXPECT_EQ(ctx.musicVolume, 77);
    EXPECT_FLOAT_EQ(ctx.mouseSpeed, 1.25f);
    EXPECT_EQ(ctx.levelIndex, 6u);
}

// Two copies of the game on one user directory: each writes back only what
// it changed, into the file as the other left it.
TEST_F(AppTest, TwoCopiesKeepEachOthersSettings) {
    WriteSettings("[Software\\QVM\\Duskwhirl]\nMouse=1000\nMusicVolume=28\nWindowWidth=800\n");
    platform::IniSettingsStore other((dir / "settings.ini").string());
    ASSERT_EQ(other.QueryValue(kSettingsKey, "Mouse"), 1000u);  // read at its start
    ASSERT_EQ(WriteIntRegKey(settingsCtx, "Mouse", 1300), S_OK);
    // The other copy leaves its options screen and closes its window.
    ASSERT_TRUE(other.SetValues(kSettingsKey, {{"MusicVolume", 60}}));
    ASSERT_TRUE(other.SetValues(kSettingsKey, {{"WindowWidth", 1024}, {"WindowHeight", 768}}));
    ASSERT_EQ(WriteIntRegKey(settingsCtx, "LevelID", 584), S_OK);
    NewStart();
    SessionContext ctx{services};
    ctx.Start();
    EXPECT_FLOAT_EQ(ctx.mouseSpeed, 1.3f);
    EXPECT_EQ(ctx.musicVolume, 60);
    EXPECT_EQ(ctx.levelIndex, 3u);
    EXPECT_EQ(ctx.creation.width, 1024u);
    EXPECT_EQ(ctx.creation.height, 768u);
}

// A store that counts the changes made to it.
struct CountingStore final : platform::SettingsStore {
    Disposition CreateKey(const std::string&) override { return Disposition::OpenedExisting; }
    std::optional<std::uint32_t> QueryValue(const std::string&, const std::string&) override { return {}; }
    bool SetValues(const std::string& key, const Values& values) override {
        ++changes;
        for (const auto& [name, value] : values) keys[key][name] = value;
        return true;
    }
    bool SetValue(const std::string& key, const std::string& name, std::uint32_t value) override {
        ++changes;
        keys[key][name] = value;
        return true;
    }
    std::map<std::string, Values> keys;
    int changes = 0;
};

TEST_F(AppTest, TheWindowsValuesAreOneChangeOfTheFile) {
    CountingStore counting;
    services.settings = &counting;
    WriteWindowSettings(settingsCtx, 1024, 768, false);
    EXPECT_EQ(counting.changes, 1) << "a kill between the values would leave half a window";
    EXPECT_EQ(counting.keys[kSettingsKey]["WindowWidth"], 1024u);
    EXPECT_EQ(counting.keys[kSettingsKey]["WindowHeight"], 768u);
    EXPECT_EQ(counting.keys[kSettingsKey]["FullScreen"], 0u);
    // On the file: a full disk stores none of them.
    services.settings = store.get();
    WriteWindowSettings(settingsCtx, 640, 480, true);
    platform::FailStoredWritesForTests(true);
    WriteWindowSettings(settingsCtx, 1280, 1024, false);
    platform::FailStoredWritesForTests(false);
    NewStart();
    std::uint32_t w = 0, h = 0, f = 0;
    ReadIntRegKey(settingsCtx, kSettingsKey, "WindowWidth", w, 0);
    ReadIntRegKey(settingsCtx, kSettingsKey, "WindowHeight", h, 0);
    ReadIntRegKey(settingsCtx, kSettingsKey, "FullScreen", f, 0);
    EXPECT_EQ(w, 640u);
    EXPECT_EQ(h, 480u);
    EXPECT_EQ(f, 1u);
}

TEST_F(AppTest, AnOversizedSettingsFileIsRefusedAndKept) {
    const std::string big = "[Software\\QVM\\Duskwhirl]\nMusicVolume=90\n" +
        std::string(platform::IniSettingsStore::kMaxFileBytes, ';') + "\n";
    WriteSettings(big);
    SessionContext ctx{services};
    ctx.Start();
    EXPECT_EQ(ctx.musicVolume, 28) << "the defaults";
    EXPECT_NE(LogText().find("settings.ini is larger than 1 MiB: the defaults are used and the file is "
                             "left as it is\n"),
              std::string::npos)
        << LogText().substr(0, 400);
    EXPECT_EQ(WriteIntRegKey(settingsCtx, "Mouse", 1200), E_FAIL);
    WriteWindowSettings(settingsCtx, 1024, 768, false);
    EXPECT_EQ(SettingsText(), big);
}

// A second copy of the game does not empty the first one's log.
TEST_F(AppTest, ASecondCopyLogsToAFileOfItsOwn) {
    auto first = std::make_unique<Log>((dir / "file.log").string());
    first->WriteLine("first");
    ::testing::internal::CaptureStderr();
    Log second((dir / "file.log").string());
    const std::string err = ::testing::internal::GetCapturedStderr();
    second.WriteLine("second");
    first->WriteLine("first again");
    EXPECT_EQ(second.path(), (dir / "file-2.log").string());
    EXPECT_NE(err.find("this one logs to " + (dir / "file-2.log").string()), std::string::npos) << err;
    EXPECT_EQ(ReadFile(dir / "file.log"), "first\nfirst again\n");
    EXPECT_EQ(ReadFile(dir / "file-2.log"), "second\n");
    first.reset();  // the first copy closes: its log is free again
    Log third((dir / "file.log").string());
    EXPECT_EQ(third.path(), (dir / "file.log").string());
    EXPECT_EQ(ReadFile(dir / "file.log"), "");
}

TEST_F(AppTest, LogWritesPercentSignsVerbatimAndEmptiesAtStart) {
    {
        Log log((dir / "x.log").string());
        log.WriteLine("100% %s %d %n");
        log.WriteLine("");
    }
    EXPECT_EQ(ReadFile(dir / "x.log"), "100% %s %d %n\n\n");
    Log again((dir / "x.log").string());
    EXPECT_EQ(ReadFile(dir / "x.log"), "");
}

TEST_F(AppTest, FrameTimeRingAveragesFromTheStartFill) {
    SessionContext ctx{services};
    ctx.ResetToStartValues();
    EXPECT_EQ(ctx.frameTimeAverage, 0u);
    for (int frame = 1; frame <= 21; ++frame) {
        clock.Advance(16);
        AdvanceFrameTime(ctx, clock.Milliseconds());
        EXPECT_EQ(ctx.frameTimeAverage, 10u) << "frame " << frame;
    }
    clock.Advance(16);
    AdvanceFrameTime(ctx, clock.Milliseconds());
    EXPECT_EQ(ctx.frameTimeAverage, 11u);
    EXPECT_EQ(ctx.timeNow, clock.Milliseconds());
    // The ring wraps after 130 frames; after 130 frames of 16 ms, all are 16.
    for (int i = 0; i < 130; ++i) {
        clock.Advance(16);
        AdvanceFrameTime(ctx, clock.Milliseconds());
    }
    EXPECT_EQ(ctx.frameTimeAverage, 16u);
    EXPECT_LT(ctx.frameTimeIndex, 130u);
    // A stall counts as the longest frame at most.
    clock.Advance(60000);
    AdvanceFrameTime(ctx, clock.Milliseconds());
    const auto count = static_cast<std::uint32_t>(kFrameTimeCount);
    EXPECT_EQ(ctx.frameTimes[(ctx.frameTimeIndex + count - 1) % count], kLongestFrameMs);
}

TEST(FirstObject, ServesMenuStartAndScreenRequestsInOrder) {
    GameContext ctx;
    FirstObject first(&ctx);
    EXPECT_EQ(first.order, 1);
    EXPECT_EQ(first.visible, 0);
    ctx.menuRequest = 1;
    ctx.currentScreen = Screen::Game;
    ctx.gameStartPending = 1;
    ctx.screenChangeRequest = 1;
    ctx.requestedScreen = Screen::Game;
    first.FrameMove();
    EXPECT_EQ(ctx.menuRequest, 0);
    EXPECT_EQ(ctx.gameInProgress, 1);
    EXPECT_EQ(ctx.musicRequest, MusicRequest::MenuTheme);
    // The start waits while a screen change is pending; the change is served.
    EXPECT_EQ(ctx.gameStartPending, 1);
    EXPECT_EQ(ctx.newGameReset, 0);
    EXPECT_EQ(ctx.currentScreen, Screen::Game);
    EXPECT_EQ(ctx.requestedScreen, Screen::Menu);
    EXPECT_EQ(ctx.screenChanged, 1);
    first.FrameMove();
    EXPECT_EQ(ctx.gameStartPending, 0);
    EXPECT_EQ(ctx.newGameReset, 1);
}

TEST(GameContextStart, StartValuesAndSystemStartKeepsEarlierFills) {
    platform::FixedStepClock clock(4321);
    platform::Services seams;
    seams.clock = &clock;
    GameContext ctx;
    ctx.services = &seams;
    EXPECT_EQ(ctx.introActive, 1);
    EXPECT_EQ(ctx.body, 199u);
    EXPECT_EQ(ctx.enemyHitPoints[14], 2000u);
    EXPECT_EQ(ctx.weaponDamage[3], 45u);
    EXPECT_FLOAT_EQ(ctx.cameraWorld._11, 1.0f);
    ctx.musicVolume = 90;
    ctx.canMipMap = 1;
    ctx.score = 1234;
    ctx.frameTimes[5] = 99;
    ctx.ResetToStartValues();
    EXPECT_EQ(ctx.timeNow, 4321u);   // the session's clock
    EXPECT_EQ(ctx.musicVolume, 90);  // read from the settings before the system start
    EXPECT_EQ(ctx.canMipMap, 1);     // chosen by the system report just before
    EXPECT_EQ(ctx.score, 0u);
    EXPECT_EQ(ctx.frameTimes[5], 10u);
}

TEST_F(AppTest, SystemReportLinesAndFilterFlags) {
    SessionContext ctx{services};
    ctx.Start();
    platform::FixedSystemInfo info;
    D3DCAPS8 caps{};
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.TextureCaps = 1;
    caps.TextureFilterCaps = 0;
    caps.VertexShaderVersion = D3DVS_VERSION(1, 1);
    caps.MaxVertexShaderConst = 96;
    WriteSystemReport(ctx, info.Gather(), caps);
    const std::string log = LogText();
    EXPECT_NE(log.find("***------------ SYSTEM CONFIGURATION ------------***\nCPU ARCHITECURE:\n"
                       " Architecure:\t\t\tIntel Compatible;\n"
                       " Processor Type:\t\tHeadlessCPU 6.0.0;\n"),
              std::string::npos);
    EXPECT_NE(log.find(" Total PhMemory:\t\t1024 Mb;\n"), std::string::npos);
    EXPECT_NE(log.find("CAPS: DeviceType............D3DDEVTYPE_HAL\n"
                       "CAPS: Render2D..............Can did render 2D\n"
                       "CAPS: MipMap................Supported\n"
                       "CAPS: MipMap Linear.........Unsupported\n"
                       "CAPS: Edge AntiAliasing.....Unsupported\n"
                       "CAPS: VertexShader version..1.1\n"
                       "CAPS: Max VSD constants.....96\n\n"),
              std::string::npos);
    EXPECT_EQ(ctx.canMipMap, 1);
    EXPECT_EQ(ctx.canMipLinear, 0);
}

}  // namespace
}  // namespace dw
