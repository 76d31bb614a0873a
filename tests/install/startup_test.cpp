// What a player meets at start: --help and the manual page agree with the
// parser, missing data is reported (a message in a window, a warning
// headless), a user directory that cannot be used is said once and the game
// plays on, the log names the data file, and the window gets its icon.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "app/command_line.h"
#include "app/headless_game.h"
#include "core/log.h"
#include "app/runner.h"
#include "platform/game_data.h"
#include "platform/resource_library.h"
#include "platform/shell.h"
#include "shell/test_dir.h"

namespace dw {
namespace {

namespace fs = std::filesystem;

std::set<std::string> OptionsIn(const std::string& text, const std::regex& pattern) {
    std::set<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
        std::string option = (*it)[1];
        option = std::regex_replace(option, std::regex(R"(\\-)"), "-");
        found.insert(option);
    }
    return found;
}

TEST(Help, TheHelpTheManualPageAndTheParserKnowTheSameOptions) {
    const std::string help = CommandLineHelp();
    const std::set<std::string> inHelp = OptionsIn(help, std::regex(R"(\n  (?:-h, )?(--[a-z-]+))"));
    const std::string page = test::ReadText(fs::path(DW_SOURCE_DIR) / "data/duskwhirl.6");
    const std::set<std::string> inPage = OptionsIn(page, std::regex(R"(\n\.TP\n\.[BI]+R? (?:\\-h ", " )?(\\-\\-[a-z\\-]+))"));
    EXPECT_GE(inHelp.size(), 19u);
    EXPECT_EQ(inHelp, inPage);
    for (const std::string& option : inHelp) {
        // Each is taken by the parser (with a value when it wants one).
        std::string error;
        std::vector<std::string> args = {option};
        if (!ParseCommandLine(args, error)) {
            const std::string value = option == "--size" ? "640x480" : option == "--arsenal" ? "1,1,1" : "1";
            args.push_back(value);
            if (option == "--arsenal") args.insert(args.end(), {"--level", "1"});
            if (option == "--timedemo-from") args.push_back("--timedemo");
            error.clear();
            EXPECT_TRUE(ParseCommandLine(args, error)) << option << ": " << error;
        }
    }
    for (const char* section : {"Controls:", "Alt+Enter", "settings.ini", "records.csm", "file.log",
                                "DUSKWHIRL_DATA", "XDG_DATA_DIRS", "Exit status"})
        EXPECT_NE(help.find(section), std::string::npos) << section;
    // One line per option: nothing wider than a terminal.
    std::size_t start = 0;
    while (start < help.size()) {
        const std::size_t end = help.find('\n', start);
        EXPECT_LE(end - start, 80u) << help.substr(start, end - start);
        start = end + 1;
    }
}

TEST(Help, EmptyNamesAreRefused) {
    std::string error;
    EXPECT_FALSE(ParseCommandLine({"--user-dir", ""}, error));
    EXPECT_NE(error.find("--user-dir"), std::string::npos);
    EXPECT_FALSE(ParseCommandLine({"--data", ""}, error));
    EXPECT_NE(error.find("--data"), std::string::npos);
}

class Startup : public ::testing::Test {
protected:
    fs::path dir = test::FreshDir("dw_start_");
    void TearDown() override { fs::remove_all(dir); }

    int RunHeadless(std::vector<std::string> extra, std::string& err) {
        std::vector<std::string> args = {"--headless", "--frames", "3", "--fixed-step", "16"};
        args.insert(args.end(), extra.begin(), extra.end());
        std::string error;
        auto cl = ParseCommandLine(args, error);
        EXPECT_TRUE(cl) << error;
        if (!cl) return -1;
        ::testing::internal::CaptureStderr();
        const int status = RunProgram(*cl);
        err = ::testing::internal::GetCapturedStderr();
        return status;
    }
};

TEST_F(Startup, HeadlessRunsWarnAboutEveryKindOfBadDataAndGoOn) {
    const fs::path user = dir / "user";
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::ofstream(dir / "empty.res").close();
    std::ofstream(dir / "short.res") << "PK\x03\x04 cut short";
    for (const std::string& bad : std::vector<std::string>{(dir / "missing.res").string(), dir.string(), (dir / "fifo").string(),
                                  std::string("/dev/zero"), (dir / "empty.res").string(),
                                  (dir / "short.res").string()}) {
        std::string err;
        EXPECT_EQ(RunHeadless({"--user-dir", user.string(), "--data", bad}, err), 0) << bad;
        EXPECT_NE(err.find("warning: no usable game data"), std::string::npos) << bad << "\n" << err;
        EXPECT_NE(err.find(bad), std::string::npos) << err;
        const std::string log = test::ReadText(user / "file.log");
        EXPECT_NE(log.find("\nGAME: Resource Library is absent\n"), std::string::npos) << bad;
    }
}

TEST_F(Startup, TheLogNamesTheDataFileItOpened) {
    const fs::path data = fs::path(DW_BUILD_DIR) / "gamedata.res";
    if (!fs::exists(data)) GTEST_SKIP() << "no gamedata.res in this build";
    std::string err;
    EXPECT_EQ(RunHeadless({"--user-dir", dir.string(), "--data", data.string()}, err), 0);
    EXPECT_EQ(err, "");
    const std::string log = test::ReadText(dir / "file.log");
    EXPECT_NE(log.find("GAME: Resource Library is present\nGAME: Resource Library file: " +
                       fs::canonical(data).string() + "\n"),
              std::string::npos)
        << log;
}

TEST_F(Startup, AUserDirectoryThatCannotBeUsedIsReportedOnceAndTheGamePlaysOn) {
    // A path through a file: it can never be made (whoever runs the test).
    std::ofstream(dir / "file").close();
    std::string err;
    EXPECT_EQ(RunHeadless({"--user-dir", (dir / "file/user").string()}, err), 0);
    const std::string warning = "settings and high scores will not be saved: cannot create " +
                                (dir / "file/user").string() + ": Not a directory";
    EXPECT_NE(err.find(warning), std::string::npos) << err;
    EXPECT_EQ(err.find(warning), err.rfind(warning)) << "said once";

    // A directory that works, but the settings file is in the way: the log says it too.
    fs::create_directories(dir / "user/settings.ini");
    EXPECT_EQ(RunHeadless({"--user-dir", (dir / "user").string()}, err), 0);
    const std::string second = "settings and high scores will not be saved: " +
                               (dir / "user/settings.ini").string() + " is not a regular file";
    EXPECT_NE(err.find(second), std::string::npos) << err;
    const std::string log = test::ReadText(dir / "user/file.log");
    EXPECT_NE(log.find("\n" + second + "\n"), std::string::npos) << log;
    EXPECT_EQ(log.find(second), log.rfind(second));

    // A usable directory: not a word.
    EXPECT_EQ(RunHeadless({"--user-dir", (dir / "fine").string()}, err), 0);
    EXPECT_EQ(err.find("will not be saved"), std::string::npos) << err;
}

TEST_F(Startup, MissingDataInAWindowIsShownWithEveryPlaceLookedAt) {
    platform::DataSearch search;
    search.looked = {{"--data", "/nowhere/gamedata.res", "not found"}};
    platform::NullShell shell;
    Log log((dir / "file.log").string());
    ReportMissingData(search, shell, &log);
    EXPECT_EQ(shell.messageBoxes, 1);
    EXPECT_EQ(shell.lastMessageCaption, "Duskwhirl 2");
    EXPECT_NE(shell.lastMessageText.find("/nowhere/gamedata.res (--data): not found"), std::string::npos);
    const std::string text = test::ReadText(dir / "file.log");
    EXPECT_EQ(text.rfind("GAME: Resource Library is absent\n", 0), 0u) << text;
    EXPECT_NE(text.find("/nowhere/gamedata.res"), std::string::npos);
}

TEST_F(Startup, TheWindowGetsTheGamesIcon) {
    const fs::path data = fs::path(DW_BUILD_DIR) / "gamedata.res";
    if (!fs::exists(data)) GTEST_SKIP() << "no gamedata.res in this build";
    platform::ZipResourceLibrary library;
    library.SetOverride(data.string());
    platform::NullShell shell;
    platform::DeviceError error{};
    ASSERT_TRUE(shell.CreateMainWindow({}, error));
    ASSERT_TRUE(SetWindowIconFromData(library, "gamedata.res", shell));
    EXPECT_EQ(shell.iconWidth, 64);
    EXPECT_EQ(shell.iconHeight, 64);
    // A picture, not an empty square: opaque in the middle, clear in the corner.
    EXPECT_EQ(shell.iconRgba[(32 * 64 + 32) * 4 + 3], 255);
    EXPECT_EQ(shell.iconRgba[3], 0);

    platform::MemoryResourceLibrary none;
    EXPECT_FALSE(SetWindowIconFromData(none, "gamedata.res", shell));
}

}  // namespace
}  // namespace dw
