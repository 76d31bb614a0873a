// The high-score table: the file's bytes, bad files, insertion and name
// entry from the keyboard.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include <filesystem>

#include "frontend/high_scores.h"
#include "frontend/ui_common.h"
#include "frontend/records_table.h"
#include "platform/stored_file.h"
#include "media/glyph_text.h"
#include "frontend_fixture.h"
#include "common/unprivileged.h"

namespace dw {
namespace {

using testing::SoundHarness;

using testing::FrontEndFixture;

std::string Bytes(const RecordTable& t) { return SerializeRecordTable(t); }

std::uint32_t ScoreAt(const std::string& bytes, int place) {
    std::uint32_t v = 0;
    for (int b = 3; b >= 0; --b)
        v = v << 8 | static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(136 + 4 * place + b)]);
    return v;
}

TEST(RecordTableBytes, LayoutIsNamesThenLittleEndianScores) {
    RecordTable t = DefaultRecordTable();
    std::strcpy(t.names[2], "Ada");
    t.scores[2] = 0x01020304;
    const std::string b = Bytes(t);
    ASSERT_EQ(b.size(), 168u);
    EXPECT_EQ(b.substr(0, 16), std::string("Vexlar Wardenry") + '\0');
    EXPECT_EQ(b.substr(34, 17), std::string("Ada") + std::string(14, '\0'));
    EXPECT_EQ(b.substr(136 + 8, 4), std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(ScoreAt(b, 0), 800000u);
    EXPECT_EQ(ScoreAt(b, 7), 100000u);

    const RecordTable back = ParseRecordTable(reinterpret_cast<const std::uint8_t*>(b.data()), b.size());
    EXPECT_EQ(Bytes(back), b);
}

TEST(RecordTableBytes, ShortFilesGiveTheDefaultsAndLongNamesStopAtSixteen) {
    std::string b(167, 'x');
    const RecordTable shortTable = ParseRecordTable(reinterpret_cast<const std::uint8_t*>(b.data()), b.size());
    EXPECT_EQ(Bytes(shortTable), Bytes(DefaultRecordTable()));

    b.assign(200, 'x');  // no terminator anywhere; bytes past 168 ignored
    const RecordTable t = ParseRecordTable(reinterpret_cast<const std::uint8_t*>(b.data()), b.size());
    for (int i = 0; i < 8; ++i) EXPECT_EQ(std::string(t.names[i]), std::string(16, 'x'));
    EXPECT_EQ(t.scores[7], 0x78787878u);
}

TEST(RecordTableBytes, InsertionGoesBelowEqualScoresAndDropsTheLastPlace) {
    RecordTable t = DefaultRecordTable();
    EXPECT_EQ(InsertionPlace(t, 100000), 8);  // equal to place 8: not entered
    EXPECT_EQ(InsertionPlace(t, 600000), 3);  // equal to place 3: enters at place 4
    EXPECT_EQ(InsertionPlace(t, 900000), 0);
    std::strcpy(t.names[7], "Last");
    InsertScore(t, 0, 900000);
    EXPECT_EQ(t.scores[0], 900000u);
    EXPECT_EQ(t.names[0][0], '\0');
    EXPECT_EQ(t.scores[1], 800000u);
    EXPECT_EQ(t.scores[7], 200000u);
}

// A directory of its own for each records file test.
class RecordsFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
            ("dw_records_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        path = (dir / "records.csm").string();
    }
    void TearDown() override {
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(dir);
    }
    static RecordTable WithTop(std::uint32_t score) {
        RecordTable t = DefaultRecordTable();
        t.scores[0] = score;
        return t;
    }
    std::filesystem::path dir;
    std::string path;
};

TEST_F(RecordsFile, AFullDiskKeepsTheOldFileAndPlantedFilesAreNeverUsed) {
    ASSERT_EQ(SaveRecordTable(path, WithTop(900000)), RecordWrite::Written);
    platform::FailStoredWritesForTests(true);
    EXPECT_EQ(SaveRecordTable(path, WithTop(1)), RecordWrite::Incomplete);
    platform::FailStoredWritesForTests(false);
    RecordRead read = RecordRead::Missing;
    EXPECT_EQ(LoadRecordTable(path, &read).scores[0], 900000u);
    EXPECT_EQ(read, RecordRead::Complete);
    EXPECT_EQ(SaveRecordTable((dir / "missing" / "records.csm").string(), WithTop(1)), RecordWrite::NotOpened);
    // The temporary file has a new name each time: a link, FIFO or
    // directory planted at a guessable one is neither followed nor in the way.
    const auto victim = dir / "victim";
    std::ofstream(victim) << "keep";
    std::filesystem::create_symlink(victim, path + ".tmp");
    ASSERT_EQ(::mkfifo((path + ".part").c_str(), 0644), 0);
    EXPECT_EQ(SaveRecordTable(path, WithTop(950000)), RecordWrite::Written);
    EXPECT_EQ(LoadRecordTable(path).scores[0], 950000u);
    EXPECT_EQ(std::filesystem::file_size(victim), 4u);
    const auto entries = std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator());
    EXPECT_EQ(entries, 4) << "records.csm, victim and the two planted names; no temporary file left";
}

// A records.csm grown past any table (junk appended by hand or a tool):
// the table at its start is read and a save writes it anew, the replays it
// names kept; it is not a disk fault.
TEST_F(RecordsFile, AnOversizedTableIsSavedAnew) {
    std::string bytes = SerializeRecordTable(WithTop(900000));
    RecordReplays replays;
    replays.files[0] = "best-00000000000000aa.dwdemo";
    bytes += SerializeRecordReplays(replays) + std::string(2u << 20, 'x');
    std::ofstream(path, std::ios::binary) << bytes;
    RecordTable table{};
    int place = 0;
    EXPECT_EQ(SaveRecordEntry(path, "late", 850000, table, place), RecordWrite::Written);
    EXPECT_EQ(place, 1);
    EXPECT_LT(std::filesystem::file_size(path), 1000u);
    EXPECT_EQ(LoadRecordTable(path).scores[1], 850000u);
    const RecordReplays after = LoadRecordReplays(path);
    EXPECT_EQ(after.files[0], "best-00000000000000aa.dwdemo");
    EXPECT_EQ(after.files[1], "") << "no replay given";
    // The whole table saved: a place that holds the same entry keeps its
    // replay, one that changed names none.
    std::ofstream(path, std::ios::binary | std::ios::app) << std::string(2u << 20, 'x');
    RecordTable changed = LoadRecordTable(path);
    changed.scores[1] = 860000;
    EXPECT_EQ(SaveRecordTable(path, changed), RecordWrite::Written);
    EXPECT_EQ(LoadRecordReplays(path).files[0], "best-00000000000000aa.dwdemo");
    changed.scores[0] = 990000;
    EXPECT_EQ(SaveRecordTable(path, changed), RecordWrite::Written);
    EXPECT_EQ(LoadRecordReplays(path).files[0], "");
}

// Two copies of the game on one user directory: each saves its entry into
// the table as it is on disk at that moment.
TEST_F(RecordsFile, CopiesSavingAtOnceKeepEveryEntry) {
    ASSERT_EQ(SaveRecordTable(path, DefaultRecordTable()), RecordWrite::Written);
    constexpr int kCopies = 6;
    std::vector<pid_t> children;
    for (int i = 0; i < kCopies; ++i) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            RecordTable t{};
            int place = 0;
            const std::string name = "copy " + std::to_string(i);
            const RecordWrite w =
                SaveRecordEntry(path, name.c_str(), 900000u + 1000u * static_cast<std::uint32_t>(i), t, place);
            ::_exit(w == RecordWrite::Written ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const RecordTable t = LoadRecordTable(path);
    for (int i = 0; i < kCopies; ++i) {
        EXPECT_EQ(t.scores[i], 900000u + 1000u * static_cast<std::uint32_t>(kCopies - 1 - i)) << i;
        EXPECT_EQ(std::string(t.names[i]), "copy " + std::to_string(kCopies - 1 - i));
    }
    EXPECT_EQ(t.scores[kCopies], 800000u);
}

TEST_F(RecordsFile, ACopyKilledWhileSavingLeavesTheTableAndNoLock) {
    ASSERT_EQ(SaveRecordTable(path, WithTop(900000)), RecordWrite::Written);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // Killed with the lock held, the file read, the new table not yet written.
        platform::UpdateFile(path, 1024, [](std::string&) {
            ::raise(SIGKILL);
            return true;
        });
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(LoadRecordTable(path).scores[0], 900000u);
    RecordTable t{};
    int place = 0;
    EXPECT_EQ(SaveRecordEntry(path, "after", 950000, t, place), RecordWrite::Written);
    EXPECT_EQ(place, 0);
    EXPECT_EQ(LoadRecordTable(path).scores[1], 900000u);
}

TEST_F(RecordsFile, AReadOnlyDirectoryWithAWritableFileTakesTheTableInPlace) {
    ASSERT_EQ(SaveRecordTable(path, WithTop(900000)), RecordWrite::Written);
    std::filesystem::permissions(dir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    // Root writes any directory: the save runs as an ordinary user then.
    const RecordWrite w =
        testing::RunAsOrdinaryUser({dir.string(), path}, [&] { return SaveRecordTable(path, WithTop(950000)); });
    EXPECT_EQ(w, RecordWrite::Written);
    EXPECT_EQ(LoadRecordTable(path).scores[0], 950000u);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    // No file and no way to make one: nothing reaches the disk.
    std::filesystem::remove(path);
    EXPECT_EQ(testing::RunAsOrdinaryUser({dir.string()}, [&] { return SaveRecordTable(path, WithTop(1)); }),
              RecordWrite::NotOpened);
}

TEST_F(RecordsFile, ALinkStaysALinkAndItsTargetHoldsTheTable) {
    const auto target = dir / "elsewhere" / "table.bin";
    std::filesystem::create_directories(target.parent_path());
    ASSERT_EQ(SaveRecordTable(target.string(), WithTop(900000)), RecordWrite::Written);
    std::filesystem::create_symlink(target, path);
    EXPECT_EQ(SaveRecordTable(path, WithTop(970000)), RecordWrite::Written);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(LoadRecordTable(target.string()).scores[0], 970000u);
}

TEST_F(RecordsFile, AReadOnlyFileIsLeftAlone) {
    ASSERT_EQ(SaveRecordTable(path, WithTop(900000)), RecordWrite::Written);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    EXPECT_EQ(SaveRecordTable(path, WithTop(1)), RecordWrite::ReadOnly);
    EXPECT_EQ(LoadRecordTable(path).scores[0], 900000u);
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read);
}

TEST_F(RecordsFile, AFifoIsNeitherReadNorReplaced) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    RecordRead read = RecordRead::Complete;
    EXPECT_EQ(LoadRecordTable(path, &read).scores[0], 800000u);  // returns at once
    EXPECT_EQ(read, RecordRead::NotRegular);
    EXPECT_EQ(SaveRecordTable(path, WithTop(1)), RecordWrite::NotRegular);
    EXPECT_TRUE(std::filesystem::is_fifo(path));
}

class HighScoreScreen : public FrontEndFixture {
protected:
    HighScores* Open(std::uint32_t score, bool fromGame) {
        ctx.score = score;
        ctx.scoreFromGame = fromGame ? 1 : 0;
        auto* s = new HighScores(&ctx);
        s->RestoreDeviceObjects();
        list.AddObject(s);
        return s;
    }
};

TEST_F(HighScoreScreen, ANameTypedWithTheKeyboardIsSavedAtItsPlace) {
    SoundHarness sound(ctx);
    HighScores* s = Open(650000, true);
    EXPECT_EQ(sound.Played(), std::vector<std::string>{"MenuWiner"});
    ASSERT_TRUE(s->nameEntry);
    EXPECT_EQ(s->place, 2);

    ctx.keys[DIK_LSHIFT] = 0x80;
    Tap(DIK_R);  // "R"
    ctx.keys[DIK_LSHIFT] = 0;
    ctx.keys[DIK_O] = 0x80;  // held for several frames: one "o"
    Frame();
    Frame();
    Frame();
    ctx.keys[DIK_O] = 0;
    Frame();
    Tap(DIK_X);
    Tap(DIK_BACK);
    Tap(DIK_Y);
    Tap(DIK_SEMICOLON);  // ":" without Shift
    ctx.keys[DIK_RSHIFT] = 0x80;
    Tap(DIK_SEMICOLON);  // ";" with Shift
    Tap(DIK_2);          // "@"
    ctx.keys[DIK_RSHIFT] = 0;
    EXPECT_STREQ(s->typedName, "Roy:;@");
    Tap(DIK_RETURN);
    EXPECT_FALSE(s->nameEntry);

    const std::string b = ReadRecords();
    ASSERT_GE(b.size(), 168u) << "the table, then the names of its replays";
    EXPECT_EQ(b.substr(2 * 17, 7), std::string("Roy:;@") + '\0');
    EXPECT_EQ(ScoreAt(b, 2), 650000u);
    EXPECT_EQ(ScoreAt(b, 3), 600000u);
    EXPECT_EQ(ScoreAt(b, 7), 200000u);
}

TEST_F(HighScoreScreen, TheKeypadEnterEndsTheName) {
    HighScores* s = Open(650000, true);
    ASSERT_TRUE(s->nameEntry);
    Tap(DIK_A);
    Tap(DIK_NUMPADENTER);
    EXPECT_FALSE(s->nameEntry);
    EXPECT_EQ(ReadRecords().substr(2 * 17, 2), std::string("a") + '\0');
}

TEST_F(HighScoreScreen, NamesStopAtSixteenAndBackspaceOnEmptyDoesNothing) {
    HighScores* s = Open(900000, true);
    Tap(DIK_BACK);
    EXPECT_STREQ(s->typedName, "");
    for (int i = 0; i < 20; ++i) Tap(DIK_A);
    EXPECT_EQ(std::string(s->typedName), std::string(16, 'a'));
    // Escape saves what was typed and closes.
    Tap(DIK_ESCAPE);
    EXPECT_EQ(ctx.highScoresClosed, 1);
    EXPECT_EQ(ReadRecords().substr(0, 17), std::string(16, 'a') + '\0');
}

TEST_F(HighScoreScreen, BadFilesAreShownWithoutHarmAndScoresAreCapped) {
    SoundHarness sound(ctx);
    WriteRecords(std::string(100, 'z'));  // too short: the default table
    HighScores* s = Open(0, false);
    EXPECT_EQ(s->table.scores[0], 800000u);
    EXPECT_FALSE(s->nameEntry);
    Tap(DIK_ESCAPE);

    RecordTable big = DefaultRecordTable();
    std::memset(big.names[0], 'N', 17);  // no terminator in the field
    big.scores[0] = 12345678;
    WriteRecords(SerializeRecordTable(big).replace(0, 17, std::string(17, 'N')));
    s = Open(100000, true);  // equal to place 8: not entered
    EXPECT_EQ(sound.Played().back(), "MenuLoser");
    EXPECT_EQ(s->table.scores[0], 9999999u);
    EXPECT_EQ(std::string(s->table.names[0]), std::string(16, 'N'));
    // The first score row shows seven nines.
    ScreenVertex nine[6] = {};
    SetGlyphText(nine, "9");
    for (int j = 0; j < 7; ++j) EXPECT_EQ(s->ScoreGlyphs(0)[6 * j].u, nine[0].u) << j;
    s->Save();
    EXPECT_EQ(ScoreAt(ReadRecords(), 0), 9999999u);
}

TEST_F(HighScoreScreen, AFullDiskIsSaidOnScreenOnStderrAndInTheLogAndTheOldFileStays) {
    WriteRecords(SerializeRecordTable(DefaultRecordTable()));
    HighScores* s = Open(750000, true);
    Tap(DIK_Z);
    EXPECT_FALSE(s->noteShown);
    platform::FailStoredWritesForTests(true);
    ::testing::internal::CaptureStderr();
    Tap(DIK_RETURN);
    const std::string err = ::testing::internal::GetCapturedStderr();
    platform::FailStoredWritesForTests(false);
    EXPECT_FALSE(s->nameEntry);
    EXPECT_NE(LogText().find("FAIL: I can't write the highscores table !\n"), std::string::npos);
    EXPECT_NE(err.find("the high score was not saved to " + RecordsPath()), std::string::npos) << err;
    EXPECT_EQ(ReadRecords(), SerializeRecordTable(DefaultRecordTable()));
    EXPECT_EQ(s->table.scores[1], 750000u);  // the table in memory keeps the entry
    // The line under the table says it, in the glyphs of its text.
    ASSERT_TRUE(s->noteShown);
    ScreenVertex expected[6 * HighScores::kNoteGlyphs] = {};
    SetGlyphText(expected, HighScores::kNotSavedNote);
    for (std::size_t j = 0; j < std::strlen(HighScores::kNotSavedNote); ++j)
        EXPECT_EQ(s->NoteGlyphs()[6 * j].u, expected[6 * j].u) << j;
    EXPECT_EQ(ctx.recordSaves, 0u);
}

TEST_F(HighScoreScreen, TwoCopiesTypingNamesAtOnceBothKeepTheirEntry) {
    WriteRecords(SerializeRecordTable(DefaultRecordTable()));
    // Both read the table at their game over, before either saves.
    HighScores* a = Open(750000, true);
    HighScores* b = Open(650000, true);
    ASSERT_TRUE(a->nameEntry && b->nameEntry);
    std::strcpy(a->typedName, "first");
    std::strcpy(b->typedName, "second");
    a->Save();
    b->Save();
    const RecordTable t = LoadRecordTable(RecordsPath());
    EXPECT_EQ(std::string(t.names[1]), "first");
    EXPECT_EQ(t.scores[1], 750000u);
    EXPECT_EQ(std::string(t.names[3]), "second");
    EXPECT_EQ(t.scores[3], 650000u);
    EXPECT_EQ(t.scores[7], 300000u);
    // The second screen shows the table it wrote, at the place it took there.
    EXPECT_EQ(b->place, 3);
    EXPECT_EQ(b->table.scores[1], 750000u);
    EXPECT_EQ(ctx.recordSaves, 2u);
    EXPECT_EQ(ctx.recordSavedPlace, 3);
}

TEST_F(HighScoreScreen, AReadOnlyTableIsLeftAloneAndTheFailureLogged) {
    WriteRecords(SerializeRecordTable(DefaultRecordTable()));
    std::filesystem::permissions(RecordsPath(), std::filesystem::perms::owner_read);
    HighScores* s = Open(750000, true);
    Tap(DIK_Z);
    Tap(DIK_RETURN);
    EXPECT_FALSE(s->nameEntry);
    EXPECT_NE(LogText().find("FAIL: I can't write the highscores table !\n"), std::string::npos);
    EXPECT_EQ(ReadRecords(), SerializeRecordTable(DefaultRecordTable()));
}

TEST_F(HighScoreScreen, AFifoForTheTableIsRefusedWithALogLine) {
    ASSERT_EQ(::mkfifo(RecordsPath().c_str(), 0644), 0);
    HighScores* s = Open(750000, true);  // does not hang
    EXPECT_EQ(s->table.scores[1], 750000u);
    EXPECT_NE(LogText().find(std::string(kRecordsNotRegular) + "\n"), std::string::npos);
    Tap(DIK_RETURN);
    EXPECT_NE(LogText().find("FAIL: I can't write the highscores table !\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_fifo(RecordsPath()));
}

TEST_F(HighScoreScreen, TheBackButtonTakesOnlyAFreshClick) {
    HighScores* s = Open(0, false);
    ctx.layoutCursorX = 0.2f;
    ctx.layoutCursorY = 0.54f;
    ctx.mouseButtons[0] = 0x80;  // still held from the menu
    Frame();
    EXPECT_FALSE(s->dead);
    EXPECT_TRUE(s->backHover);
    ctx.mouseButtons[0] = 0;
    Frame();
    ctx.mouseButtons[0] = 0x80;
    Frame();
    EXPECT_EQ(ctx.highScoresClosed, 1);
}

TEST_F(HighScoreScreen, TheBackButtonEdgeIsNotPartOfIt) {
    // The same rule as every other button: only strictly inside counts.
    HighScores* s = Open(0, false);
    const ui::Area& a = ui::kBackButtonArea;
    ctx.layoutCursorX = a.left;
    ctx.layoutCursorY = a.top;
    Frame();
    EXPECT_FALSE(s->backHover);
    ctx.layoutCursorX = a.left + 0.001f;
    ctx.layoutCursorY = a.top + 0.001f;
    Frame();
    EXPECT_TRUE(s->backHover);
}

// The online page: the arrows (and the pad's, which arrive as arrows) and
// the page button turn to it and back, once no name is typed.
TEST_F(HighScoreScreen, TheOnlinePageIsReachedByKeysAndPointerOnceTheNameIsSaved) {
    HighScores* s = Open(650000, true);
    ASSERT_TRUE(s->nameEntry);
    Tap(DIK_RIGHT);
    EXPECT_FALSE(s->onlineShown) << "not while a name is typed";
    Tap(DIK_A);
    Tap(DIK_RETURN);
    ASSERT_FALSE(s->nameEntry);
    Tap(DIK_RIGHT);
    EXPECT_TRUE(s->onlineShown);
    EXPECT_EQ(s->online.line1, "Online scores are off (Options)") << "this session has no score server";
    Tap(DIK_RIGHT);
    EXPECT_TRUE(s->onlineShown) << "Right on the last page stays";
    Tap(DIK_LEFT);
    EXPECT_FALSE(s->onlineShown);
    const ui::Area next = ui::kNextPageArea;
    ctx.layoutCursorX = (next.left + next.right) / 2;
    ctx.layoutCursorY = (next.top + next.bottom) / 2;
    Frame();
    EXPECT_TRUE(s->pageHover);
    Click();
    EXPECT_TRUE(s->onlineShown);
    ctx.layoutCursorX = (ui::kPrevPageArea.left + ui::kPrevPageArea.right) / 2;
    Frame();
    Click();
    EXPECT_FALSE(s->onlineShown);
    Tap(DIK_ESCAPE);
    EXPECT_EQ(ctx.highScoresClosed, 1);
}

}  // namespace
}  // namespace dw
