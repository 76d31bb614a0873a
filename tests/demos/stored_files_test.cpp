// The player's files under replays and hostile paths: a replay leaves the
// user directory exactly as it found it, no run without a user directory
// writes into the working directory, and the replay writer and the gamepad
// mappings never wait on a FIFO nor write through a planted link.
#include <gtest/gtest.h>
#include <SDL.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "app/attract_mode.h"
#include "app/command_line.h"
#include "app/demo.h"
#include "app/game_replays.h"
#include "app/runner.h"
#include "common/run_program.h"
#include "common/temp_dir.h"
#include "core/game_context.h"
#include "frontend/records_table.h"
#include "platform/services.h"
#include "platform/steering.h"

namespace dw {
namespace {

namespace fs = std::filesystem;

// Every entry below `dir` with its kind, bytes and time of change.
std::map<std::string, std::string> Tree(const fs::path& dir) {
    std::map<std::string, std::string> tree;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        struct stat st {};
        ::lstat(e.path().c_str(), &st);
        std::ostringstream what;
        what << st.st_mode << ' ' << st.st_mtim.tv_sec << '.' << st.st_mtim.tv_nsec << ' ';
        if (e.is_regular_file()) what << std::ifstream(e.path(), std::ios::binary).rdbuf();
        tree[fs::relative(e.path(), dir).string()] = what.str();
    }
    return tree;
}

int RunGame(std::vector<std::string> args, std::string* err = nullptr) {
    std::string error;
    auto cl = ParseCommandLine(args, error);
    EXPECT_TRUE(cl) << error;
    if (!cl) return -1;
    ::testing::internal::CaptureStderr();
    const int status = RunProgram(*cl);
    const std::string text = ::testing::internal::GetCapturedStderr();
    if (err) *err = text;
    return status;
}

TEST(UserFiles, AReplayLeavesTheUserDirectoryExactlyAsItFoundIt) {
    TempDir dir("dw_files_replay");
    const fs::path demo = dir.path / "game.dwdemo";
    ASSERT_EQ(RunGame({"--headless", "--user-dir", (dir.path / "recorder").string(), "--frames", "240", "--fixed-step",
                       "16", "--seed", "7", "--record", demo.string()}),
              0);
    // The player's directory: a log of their own, settings, replays and no
    // high-score table yet (the menu would make the default one).
    const fs::path user = dir.path / "user";
    fs::create_directories(user / "replays");
    std::ofstream(user / "file.log") << "the player's last run\n";
    std::ofstream(user / "settings.ini") << "[Software\\QVM\\Duskwhirl]\nMouse=1200\n";
    std::ofstream(user / "replays" / "best-1.dwdemo") << "kept";
    const auto before = Tree(user);
    ASSERT_EQ(RunGame({"--headless", "--user-dir", user.string(), "--replay", demo.string()}), 0);
    EXPECT_EQ(Tree(user), before);
}

// Without HOME (and XDG_DATA_HOME, and --user-dir) there is nowhere to keep
// anything: the game says so and writes nothing, not in the working directory.
// A replay or a demo killed part way leaves its scratch directory (with a
// copy of the player's table): the next one removes it, never one whose run
// goes on.
TEST(UserFiles, TheScratchDirectoryOfAKilledReplayGoesAtTheNextOne) {
    const fs::path base = fs::temp_directory_path();
    const fs::path killed = base / ("duskwhirl-demo-killed" + std::to_string(::getpid()));
    const fs::path running = base / ("duskwhirl-demo-running" + std::to_string(::getpid()));
    for (const fs::path& d : {killed, running}) {
        fs::create_directories(d);
        std::ofstream(d / "records.csm") << "a copy";
        std::ofstream(d / ".in-use");
    }
    const int held = ::open((running / ".in-use").c_str(), O_RDWR);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const std::string scratch = MakeScratchUserDir("");
    ASSERT_FALSE(scratch.empty());
    EXPECT_FALSE(fs::exists(killed));
    EXPECT_TRUE(fs::exists(running / "records.csm"));
    // A second one while the first is in use keeps it.
    const std::string second = MakeScratchUserDir("");
    EXPECT_TRUE(fs::exists(scratch));
    RemoveScratchUserDir(second);
    RemoveScratchUserDir(scratch);
    EXPECT_FALSE(fs::exists(scratch));
    ::close(held);
    fs::remove_all(running);
}

TEST(UserFiles, WithoutHomeNothingIsSavedAndTheGameSaysSo) {
    TempDir dir("dw_files_nohome");
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const std::string xdgValue = xdg ? xdg : "";
    const fs::path cwd = fs::current_path();
    ::unsetenv("HOME");
    ::unsetenv("XDG_DATA_HOME");
    fs::current_path(dir.path);
    std::string err;
    const int status = RunGame({"--headless", "--frames", "30", "--fixed-step", "16", "--level", "0"}, &err);
    fs::current_path(cwd);
    if (!home.empty()) ::setenv("HOME", home.c_str(), 1);
    if (xdg) ::setenv("XDG_DATA_HOME", xdgValue.c_str(), 1);
    EXPECT_EQ(status, 0);
    EXPECT_NE(err.find("settings and high scores will not be saved: no user directory (HOME is not set"),
              std::string::npos)
        << err;
    EXPECT_TRUE(fs::is_empty(dir.path)) << "nothing in the working directory";
}

// Runs `open` (which opens `fifo` for reading); true when it returned on its
// own. When it waits for a writer, a writer comes after 3 s to let it go.
template <typename F>
bool ReturnsWithoutAWriter(const fs::path& fifo, F open) {
    std::atomic<bool> done{false}, rescued{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 300 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        while (!done) {
            const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                rescued = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    open();
    done = true;
    watchdog.join();
    return !rescued;
}

TEST(UserFiles, TheReplayWriterNeverWaitsOnAFifoNorWritesThroughALink) {
    TempDir dir("dw_files_replay_writer");
    const fs::path replays = dir.path / "replays";
    fs::create_directories(replays);
    const fs::path victim = dir.path / "victim";
    std::ofstream(victim) << "not a replay";
    ASSERT_EQ(::mkfifo((replays / "last.dwdemo.part").c_str(), 0644), 0);
    fs::create_symlink(victim, replays / "best-1.dwdemo");

    platform::Services seams;
    seams.userDir = dir.path.string();
    GameReplays keeper(replays.string());
    GameContext c;
    c.services = &seams;
    Demo recording;
    recording.frames.resize(5);
    c.currentScreen = Screen::Game;
    keeper.AfterFrame(c, recording);
    c.currentScreen = Screen::Menu;
    c.score = 5'000'000;
    c.scoreFromGame = 1;
    EXPECT_TRUE(ReturnsWithoutAWriter(replays / "last.dwdemo.part", [&] { keeper.AfterFrame(c, recording); }));
    RecordTable table = DefaultRecordTable();
    int place = 0;
    ASSERT_EQ(SaveRecordEntry((dir.path / kRecordsFile).string(), "me", c.score, table, place, c.keepReplay),
              RecordWrite::Written);
    c.recordSaves = 1;
    c.recordSavedPlace = place;
    keeper.AfterFrame(c, recording);
    Demo kept;
    std::string error;
    EXPECT_TRUE(LoadDemoFile((replays / "last.dwdemo").string(), kept, error)) << error;
    EXPECT_TRUE(LoadDemoFile(keeper.BestFile(c, 0), kept, error)) << error;
    EXPECT_FALSE(fs::is_symlink(keeper.BestFile(c, 0)));
    EXPECT_EQ(keeper.BestFile(c, 1), (replays / "best-1.dwdemo").string()) << "the old first place moved down";
    EXPECT_EQ(fs::file_size(victim), 12u) << "its target untouched";
}

TEST(UserFiles, AFifoForTheGamepadMappingsIsNotWaitedOn) {
    TempDir dir("dw_files_pad_fifo");
    const fs::path db = dir.path / "gamecontrollerdb.txt";
    ASSERT_EQ(::mkfifo(db.c_str(), 0644), 0);
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(ReturnsWithoutAWriter(db, [&] { platform::CreateSdlGamepads(db.string()); }));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("gamecontrollerdb.txt are not read (not a regular file)"), std::string::npos) << err;
}

TEST(UserFiles, AnEmptyGamepadMappingFileIsNoFault) {
    TempDir dir("dw_files_pad_empty");
    const fs::path db = dir.path / "gamecontrollerdb.txt";
    std::ofstream{db};
    ::testing::internal::CaptureStderr();
    platform::CreateSdlGamepads(db.string());
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("gamepad mappings"), std::string::npos) << err;
}

}  // namespace
}  // namespace dw
