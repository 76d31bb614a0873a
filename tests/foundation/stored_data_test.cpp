// Stored files under faults: the temporary files of saves, the directory
// sync after a rename, one change of the file per set of settings, and
// values written only when this copy changed them.
#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "common/temp_dir.h"
#include "core/game_context.h"
#include "core/settings.h"
#include "platform/services.h"
#include "platform/settings_store.h"
#include "platform/stored_file.h"

namespace fs = std::filesystem;

namespace dw {
namespace {

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Entries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The steps of every save while alive.
struct StepLog {
    StepLog() {
        platform::SetSaveStepHookForTests([this](const char* step) { steps.emplace_back(step); });
    }
    ~StepLog() { platform::SetSaveStepHookForTests({}); }
    std::vector<std::string> steps;
};

TEST(SavedFiles, TheNewNameIsSyncedInItsDirectoryAfterTheRename) {
    TempDir dir("dw_store_dirsync");
    const std::string path = (dir.path / "records.csm").string();
    StepLog log;
    ASSERT_EQ(platform::StoreFile(path, "one"), platform::StoreResult::Written);
    ASSERT_EQ(platform::ReplaceFile(path, "two"), platform::StoreResult::Written);
    const std::vector<std::string> save{"temporary made", "temporary written", "temporary synced", "renamed",
                                        "directory synced"};
    std::vector<std::string> both = save;
    both.insert(both.end(), save.begin(), save.end());
    EXPECT_EQ(log.steps, both);
    EXPECT_EQ(ReadText(path), "two");
}

// A save killed part way leaves its temporary file: it is hidden, named as
// the game's, and the next start removes it unless its writer still runs.
TEST(SavedFiles, TemporaryFilesAreTheGamesAndLeftOversGoAtTheNextStart) {
    TempDir dir("dw_store_leftovers");
    const std::string path = (dir.path / "settings.ini").string();
    ASSERT_EQ(platform::StoreFile(path, "[a]\n"), platform::StoreResult::Written);
    std::ofstream(dir.path / "settings.ini.bak") << "the player's own";
    std::ofstream(dir.path / "settings.ini.XXXXXX") << "the player's own too";

    // Three children killed at different steps of a save.
    for (const char* at : {"temporary made", "temporary written", "temporary synced"}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            platform::SetSaveStepHookForTests([at](const char* step) {
                if (std::string(step) == at) ::kill(::getpid(), SIGKILL);
            });
            platform::StoreFile(path, "[b]\n");
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
    }
    std::size_t left = 0;
    for (const std::string& name : Entries(dir.path)) {
        if (name.rfind(".settings.ini.dwtmp-", 0) == 0) ++left;
    }
    EXPECT_EQ(left, 3u);

    // A save of this process in progress (between its temporary file and
    // the rename) keeps its file.
    const std::string busy = platform::TemporaryPrefix(path) + "busy00";
    const int fd = ::open(busy.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    // One of a copy that still runs (the parent of this test: a pid alive).
    const std::string running = dir.path.string() + "/.settings.ini.dwtmp-" + std::to_string(::getppid()) + "-abcdef";
    std::ofstream(running) << "x";

    EXPECT_EQ(platform::RemoveStaleTemporaries(path), 3);
    EXPECT_TRUE(fs::exists(busy));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_EQ(ReadText(path), "[a]\n") << "the file itself is the old one, whole";
    EXPECT_TRUE(fs::exists(dir.path / "settings.ini.bak"));
    EXPECT_TRUE(fs::exists(dir.path / "settings.ini.XXXXXX"));
    ::close(fd);
    EXPECT_EQ(platform::RemoveStaleTemporaries(path), 1) << "its save ended: now it is a left-over";
}

// records.csm means its first bytes: a file grown past the limit is saved
// anew, not refused as a disk fault.
TEST(SavedFiles, AnOversizedFileWhoseMeaningIsInItsFirstBytesIsWrittenAnew) {
    TempDir dir("dw_store_prefix");
    const std::string path = (dir.path / "records.csm").string();
    std::ofstream(path, std::ios::binary) << std::string(2000, 'a');
    const auto edit = [](std::string& bytes) {
        bytes = bytes.substr(0, 4) + "!";
        return true;
    };
    EXPECT_EQ(platform::UpdateFile(path, 1000, edit), platform::StoreResult::TooLarge);
    EXPECT_EQ(platform::UpdateFile(path, 1000, edit, platform::Oversize::ReadFirstBytes),
              platform::StoreResult::Written);
    EXPECT_EQ(ReadText(path), "aaaa!");
}

// A settings store that counts the changes of the file.
class SettingsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        seams.userDir = dir.path.string();
        NewStart();
    }
    void NewStart() {
        store = std::make_unique<platform::IniSettingsStore>((dir.path / "settings.ini").string());
        seams.settings = store.get();
        ctx.services = &seams;
        creation = CreationSize{};
        ReadSettings(ctx, creation);
    }
    TempDir dir{"dw_store_settings"};
    std::unique_ptr<platform::IniSettingsStore> store;
    platform::Services seams;
    GameContext ctx;
    CreationSize creation;
};

TEST_F(SettingsFixture, EachSetOfSettingsIsOneChangeOfTheFileWithOnlyWhatChanged) {
    const platform::Controls before = ctx.controls;
    const GameContext::Display shownBefore = ctx.display;
    ctx.controls.keys[0] = {0x1E, 0};  // left: A alone
    ctx.controls.keySpeed = 150;
    ctx.display.vsync = 0;
    StepLog log;
    EXPECT_TRUE(WriteControlSettings(ctx, before));
    EXPECT_TRUE(WriteDisplaySettings(ctx, shownBefore));
    std::size_t renames = 0;
    for (const std::string& s : log.steps) renames += s == "renamed";
    EXPECT_EQ(renames, 2u) << "one replacement for the controls, one for the display";
    const std::string text = ReadText(dir.path / "settings.ini");
    EXPECT_NE(text.find("KeyLeft=A\n"), std::string::npos) << text;
    EXPECT_NE(text.find("KeySpeed=150\n"), std::string::npos) << text;
    EXPECT_NE(text.find("VSync=0\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("\nKeyFire="), std::string::npos) << "unchanged values are not written\n" << text;
    EXPECT_EQ(text.find("Stretch="), std::string::npos) << text;
    // Nothing changed: nothing written.
    log.steps.clear();
    EXPECT_TRUE(WriteControlSettings(ctx, ctx.controls));
    EXPECT_TRUE(log.steps.empty());
}

TEST_F(SettingsFixture, ASecondCopyKeepsWhatTheFirstSavedAndTheHighestLevelOnlyRises) {
    // Two copies started on the same file.
    platform::IniSettingsStore other((dir.path / "settings.ini").string());
    platform::Services otherSeams = seams;
    otherSeams.settings = &other;
    GameContext second;
    second.services = &otherSeams;
    CreationSize otherCreation;
    ReadSettings(second, otherCreation);

    // The first binds a key and reaches level 5; the second, started
    // before, changes only the key speed and reaches level 3.
    platform::Controls before = ctx.controls;
    ctx.controls.keys[4] = {0x2C, 0};  // fire: Z alone
    ASSERT_TRUE(WriteControlSettings(ctx, before));
    ctx.levelIndex = 5;
    ASSERT_TRUE(RaiseLevelReached(ctx, 5));
    before = second.controls;
    second.controls.keySpeed = 80;
    ASSERT_TRUE(WriteControlSettings(second, before));
    ASSERT_TRUE(RaiseLevelReached(second, 3));
    second.musicVolume = 10;
    ASSERT_EQ(WriteIntRegKey(second, "MusicVolume", 10), S_OK);

    NewStart();
    EXPECT_EQ(ctx.controls.keys[4][0], 0x2C) << "the first copy's key survives the second's save";
    EXPECT_EQ(ctx.controls.keySpeed, 80);
    EXPECT_EQ(ctx.levelIndex, 5u) << "level 3 reached later does not lower it";
    EXPECT_EQ(ctx.musicVolume, 10);
}

TEST_F(SettingsFixture, ASaveThatFailsOrWouldOutgrowTheFileIsRefusedAndSaysWhy) {
    // Nearly 1 MiB of the player's comments: a save that would pass the
    // limit is not made (the next start would refuse the file).
    const std::string comments(platform::IniSettingsStore::kMaxFileBytes - 40, ';');
    std::ofstream(dir.path / "settings.ini", std::ios::binary) << "[Software\\QVM\\Duskwhirl]\n" << comments << "\n";
    NewStart();
    const platform::Controls before = ctx.controls;
    ctx.controls.keys[0] = {0x1E, 0x1F};
    ctx.controls.keys[1] = {0x20, 0x21};
    EXPECT_FALSE(WriteControlSettings(ctx, before));
    EXPECT_NE(store->Problem().find("would grow larger than 1 MiB"), std::string::npos) << store->Problem();
    EXPECT_LE(fs::file_size(dir.path / "settings.ini"), platform::IniSettingsStore::kMaxFileBytes);
    NewStart();
    EXPECT_TRUE(store->Problem().empty()) << "the next start still reads it: " << store->Problem();

    // A full disk: the reason is kept for the log.
    fs::remove(dir.path / "settings.ini");
    NewStart();
    platform::FailStoredWritesForTests(true);
    EXPECT_EQ(WriteIntRegKey(ctx, "MusicVolume", 3), E_FAIL);
    platform::FailStoredWritesForTests(false);
    EXPECT_NE(store->Problem().find("could not be written: No space left on device"), std::string::npos)
        << store->Problem();
}

}  // namespace
}  // namespace dw
