// The player's files through the platform's own calls, as every system the
// game is built for must keep them (this suite is built for Windows too and
// runs there under Wine): names in any script, binary bytes, atomic saves
// that leave no temporary file, read-only files left alone, two writers
// that lose nothing, the log's lock, the left-overs of killed saves and
// runs, scratch folders.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/temp_dir.h"
#include "platform/scratch_dir.h"
#include "platform/services.h"
#include "platform/stored_file.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using platform::ReadResult;
using platform::StoreResult;

// A path as the game keeps it: UTF-8 on every system.
std::string Utf8(const fs::path& p) {
    const std::u8string text = p.u8string();
    return {text.begin(), text.end()};
}

fs::path FromUtf8(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string Read(const std::string& path) {
    std::string out;
    EXPECT_EQ(platform::ReadStoredFile(path, out, 1 << 20), ReadResult::Read) << path;
    return out;
}

std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(Utf8(entry.path().filename()));
    return names;
}

void CloseDescriptor(int fd) {
#ifdef _WIN32
    _close(fd);
#else
    ::close(fd);
#endif
}

TEST(UserFiles, NamesInAnyScriptAreMadeWrittenReplacedAndReadBack) {
    dw::TempDir tmp("dw_user_files_names");
    for (const char* who : {"Zoë", "Дмитрий", "陳"}) {
        const std::string dir = Utf8(tmp.path) + "/" + who + "/QVM/Duskwhirl";
        ASSERT_TRUE(platform::MakeDirs(dir)) << dir;
        EXPECT_EQ(platform::UserDirProblem(dir), "") << dir;
        const std::string file = platform::FileIn(dir, "settings.ini");
        ASSERT_EQ(platform::StoreFile(file, "Level=1\n"), StoreResult::Written);
        ASSERT_EQ(platform::StoreFile(file, "Level=2\n"), StoreResult::Written);
        EXPECT_EQ(Read(file), "Level=2\n");
        EXPECT_TRUE(fs::is_regular_file(FromUtf8(file))) << "the name on disk is the UTF-8 one";
        // The save went through a temporary file that is gone.
        EXPECT_EQ(Names(FromUtf8(dir)), std::vector<std::string>{"settings.ini"});
    }
}

TEST(UserFiles, BytesAreKeptExactlyWhateverTheyLookLike) {
    dw::TempDir tmp("dw_user_files_binary");
    // Line ends, a Ctrl+Z and a NUL: a text-mode write or read changes them.
    const std::string bytes("a\r\nb\nc\x1a\0d\r", 10);
    const std::string path = Utf8(tmp.path / "records.csm");
    ASSERT_EQ(platform::StoreFile(path, bytes), StoreResult::Written);
    EXPECT_EQ(Read(path), bytes);
    std::FILE* f = platform::OpenRegularFile(path, "ab");
    ASSERT_NE(f, nullptr);
    std::fwrite("\n\r", 1, 2, f);
    std::fclose(f);
    EXPECT_EQ(Read(path), bytes + "\n\r");
    f = platform::OpenRegularFile(path, "rb");
    ASSERT_NE(f, nullptr);
    char buf[32] = {};
    EXPECT_EQ(std::fread(buf, 1, sizeof buf, f), bytes.size() + 2);
    std::fclose(f);
}

TEST(UserFiles, AReadOnlyFileIsNeverReplacedAndAFolderInAFilesPlaceIsLeftAlone) {
    dw::TempDir tmp("dw_user_files_kept");
    const fs::path file = tmp.path / "settings.ini";
    ASSERT_EQ(platform::StoreFile(Utf8(file), "Mine=1\n"), StoreResult::Written);
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(platform::StoreFile(Utf8(file), "Theirs=1\n"), StoreResult::ReadOnly);
    EXPECT_EQ(platform::UpdateFile(Utf8(file), 1024, [](std::string& s) { return s += "More=1\n", true; }),
              StoreResult::ReadOnly);
    EXPECT_EQ(Read(Utf8(file)), "Mine=1\n");
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);

    const fs::path folder = tmp.path / "records.csm";
    fs::create_directory(folder);
    std::string out;
    bool notRegular = false;
    EXPECT_EQ(platform::StoreFile(Utf8(folder), "x"), StoreResult::NotRegular);
    EXPECT_EQ(platform::ReadStoredFile(Utf8(folder), out, 1024), ReadResult::NotRegular);
    EXPECT_EQ(platform::OpenRegularFile(Utf8(folder), "ab", &notRegular), nullptr);
    EXPECT_TRUE(notRegular);
    EXPECT_EQ(platform::OpenRegularReadFd(Utf8(folder)), -1);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(platform::KindOfPath(Utf8(tmp.path / "missing")), platform::PathKind::Missing);
}

// Two writers (as two copies of the game) each add their lines under the
// file's lock, at the same time: every line of both is there at the end.
TEST(UserFiles, TwoWritersAtOnceLoseNothing) {
    dw::TempDir tmp("dw_user_files_two");
    const std::string path = Utf8(tmp.path / "settings.ini");
    constexpr int kEach = 40;
    auto writer = [&](char who) {
        for (int i = 0; i < kEach; ++i) {
            const StoreResult r = platform::UpdateFile(path, 1 << 20, [&](std::string& s) {
                s += who + std::to_string(i) + "\n";
                return true;
            });
            EXPECT_EQ(r, StoreResult::Written) << who << i;
        }
    };
    std::thread a(writer, 'a'), b(writer, 'b');
    a.join();
    b.join();
    const std::string text = Read(path);
    for (char who : {'a', 'b'})
        for (int i = 0; i < kEach; ++i)
            EXPECT_NE(text.find(who + std::to_string(i) + "\n"), std::string::npos) << who << i;
    for (const std::string& name : Names(tmp.path))
        EXPECT_TRUE(name == "settings.ini" || name == "settings.ini.lock") << "left behind: " << name;
}

TEST(UserFiles, TheLogsLockTellsASecondCopyAndIsGoneWithTheFirst) {
    dw::TempDir tmp("dw_user_files_lock");
    const std::string log = Utf8(tmp.path / "file.log");
    bool taken = true, notRegular = true;
    const int first = platform::OpenLockedFile(log, &taken, &notRegular);
    ASSERT_GE(first, 0);
    EXPECT_FALSE(taken);
    EXPECT_FALSE(notRegular);
    EXPECT_EQ(platform::OpenLockedFile(log, &taken, &notRegular), -1);
    EXPECT_TRUE(taken);
    // The lock stands in nobody's way who reads or adds to the log.
    std::FILE* f = platform::OpenRegularFile(log, "ab");
    ASSERT_NE(f, nullptr);
    std::fputs("a line\n", f);
    std::fclose(f);
    EXPECT_EQ(Read(log), "a line\n");
    CloseDescriptor(first);
    const int again = platform::OpenLockedFile(log, &taken, &notRegular);
    EXPECT_GE(again, 0);
    EXPECT_FALSE(taken);
    if (again >= 0) CloseDescriptor(again);
}

// A save killed part way leaves its temporary file: a later sweep removes
// it, and one this process left in the past, but never the temporary file
// of a save still writing, nor a file that is not a temporary one.
TEST(UserFiles, LeftOverTemporariesGoButNotOneOfASaveInProgress) {
    dw::TempDir tmp("dw_user_files_leftovers");
    const std::string path = Utf8(tmp.path / "settings.ini");
    ASSERT_EQ(platform::StoreFile(path, "[a]\n"), StoreResult::Written);
    const std::string dead = Utf8(tmp.path / ".settings.ini.dwtmp-999999999-abcdef");
    const std::string ours = platform::TemporaryPrefix(path) + "zzzzzz";
    for (const std::string& left : {dead, ours, Utf8(tmp.path / "settings.ini.bak")})
        ASSERT_EQ(platform::StoreFile(left, "half"), StoreResult::Written);
    EXPECT_EQ(platform::RemoveStaleTemporaries(path), 2);
    for (const std::string& name : Names(tmp.path))
        EXPECT_TRUE(name == "settings.ini" || name == "settings.ini.bak" || name == "settings.ini.lock") << name;
    EXPECT_EQ(Read(path), "[a]\n");

    int sweptMeanwhile = -1;
    platform::SetSaveStepHookForTests([&](const char* step) {
        if (std::string(step) == "temporary written") sweptMeanwhile = platform::RemoveStaleTemporaries(path);
    });
    const StoreResult saved = platform::StoreFile(path, "[b]\n");
    platform::SetSaveStepHookForTests({});
    EXPECT_EQ(sweptMeanwhile, 0);
    EXPECT_EQ(saved, StoreResult::Written);
    EXPECT_EQ(Read(path), "[b]\n");
}

// A replay killed part way leaves its scratch folder: the next one removes
// it, never one whose run goes on (its ".in-use" locked) nor its own.
TEST(UserFiles, AKilledRunsScratchFolderGoesButNotOneInUse) {
    const fs::path base = FromUtf8(platform::TemporaryFolder());
    const fs::path killed = base / "duskwhirl-sweep-killed";
    const fs::path running = base / "duskwhirl-sweep-running";
    for (const fs::path& d : {killed, running}) {
        fs::create_directories(d);
        ASSERT_EQ(platform::StoreFile(Utf8(d / "records.csm"), "a copy"), StoreResult::Written);
        ASSERT_EQ(platform::StoreFile(Utf8(d / ".in-use"), ""), StoreResult::Written);
    }
    const int held = platform::OpenLockedFile(Utf8(running / ".in-use"), nullptr, nullptr);
    ASSERT_GE(held, 0);
    const std::string first = platform::MakeScratchDirectory("duskwhirl-sweep");
    ASSERT_FALSE(first.empty());
    EXPECT_FALSE(fs::exists(killed));
    EXPECT_TRUE(fs::exists(running / "records.csm"));
    const std::string second = platform::MakeScratchDirectory("duskwhirl-sweep");
    EXPECT_TRUE(fs::exists(FromUtf8(first))) << "this run's own folder is in use";
    platform::RemoveScratchDirectory(second);
    platform::RemoveScratchDirectory(first);
    EXPECT_FALSE(fs::exists(FromUtf8(first)));
    platform::CloseLockedFile(held);
    std::error_code ec;
    fs::remove_all(running, ec);
}

TEST(UserFiles, ScratchFoldersAreNewEmptyAndRemovedWhole) {
    const std::string one = platform::MakeScratchDirectory("duskwhirl-test");
    const std::string two = platform::MakeScratchDirectory("duskwhirl-test");
    ASSERT_FALSE(one.empty());
    ASSERT_FALSE(two.empty());
    EXPECT_NE(one, two);
    EXPECT_EQ(Names(FromUtf8(one)), std::vector<std::string>{".in-use"}) << "nothing but its lock";
    ASSERT_TRUE(platform::MakeDirs(one + "/replays"));
    ASSERT_EQ(platform::StoreFile(one + "/replays/last.dwdemo", "demo"), StoreResult::Written);
    platform::RemoveScratchDirectory(one);
    platform::RemoveScratchDirectory(two);
    EXPECT_FALSE(fs::exists(FromUtf8(one)));
    EXPECT_FALSE(fs::exists(FromUtf8(two)));
}

}  // namespace
