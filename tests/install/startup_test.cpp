// What a player meets at start: --help and the manual page agree with the
// parser, missing data is reported (a message in a window, a warning
// headless), a user directory that cannot be used is said once and the game
// plays on, the log names the data file, and the window gets its icon.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <map>
#include <set>

#include "app/command_line.h"
#include "common/headless_game.h"
#include "core/log.h"
#include "app/runner.h"
#include "common/run_program.h"
#include "platform/game_data.h"
#include "platform/resource_library.h"
#include "platform/shell.h"
#include "shell/test_dir.h"

namespace dw {
namespace {

namespace fs = std::filesystem;

// The manual page's option paragraphs (".TP" then ".B \-\-name" for a
// switch, ".BI \-\-name" for one with a value): each name, unescaped, and
// whether it takes a value.
std::map<std::string, bool> PageOptions(const std::string& page) {
    std::map<std::string, bool> found;
    const std::regex line(R"(\n\.TP\n\.(BI?)R? (?:\\-h ", " )?(\\-\\-[a-z\\-]+))");
    for (std::sregex_iterator it(page.begin(), page.end(), line), end; it != end; ++it)
        found[std::regex_replace(std::string((*it)[2]), std::regex(R"(\\-)"), "-")] = (*it)[1] == "BI";
    return found;
}

std::string Section(const std::string& page, const std::string& name) {
    const std::size_t at = page.find("\n.SH " + name + "\n");
    if (at == std::string::npos) return {};
    const std::size_t end = page.find("\n.SH ", at + 1);
    return page.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

std::string Roff(const std::string& text) {
    std::string roff;
    for (const char ch : text) {
        if (ch == '-') roff += '\\';
        roff += ch;
    }
    return roff;
}

// The option table is the one source: --help lists its rows, the manual page
// has a paragraph for each (with the same value) and lists the same controls,
// and the README's controls are among them.
TEST(Help, TheHelpTheManualPageAndTheReadmeFollowTheOptionTable) {
    const std::string help = CommandLineHelp();
    const std::string page = test::ReadText(fs::path(DW_SOURCE_DIR) / "data/duskwhirl.6");
    std::map<std::string, bool> inTable;
    for (const OptionSpec& o : CommandLineOptions()) {
        const std::string option = o.name;
        inTable[option] = o.value != nullptr;
        std::string line = "\n  " + (o.shortName ? std::string(o.shortName) + ", " : "") + option;
        if (o.value) line += std::string(" ") + o.value;
        EXPECT_NE(help.find(line + " "), std::string::npos) << line;
        EXPECT_NE(Section(page, "SYNOPSIS").find(Roff(o.name)), std::string::npos) << o.name;
    }
    EXPECT_GE(inTable.size(), 21u);
    EXPECT_EQ(PageOptions(page), inTable);

    const std::string controls = Section(page, "CONTROLS");
    for (const ControlSpec& c : GameControls()) {
        // Its action beside it, or under it when the input is long.
        const std::string line = std::string("\n  ") + c.input;
        const std::size_t at = help.find(line);
        ASSERT_NE(at, std::string::npos) << c.input;
        EXPECT_TRUE(help[at + line.size()] == ' ' || help[at + line.size()] == '\n') << c.input;
        EXPECT_NE(controls.find("\n.B " + Roff(c.input) + "\n"), std::string::npos) << c.input;
    }
    const std::string readme = test::ReadText(fs::path(DW_SOURCE_DIR) / "README.md");
    const std::size_t table = readme.find("| input | action |");
    ASSERT_NE(table, std::string::npos);
    const std::regex row(R"(\n\| ([^|]+) \| [^|\n]+ \|)");
    int rows = 0;
    for (std::sregex_iterator it(readme.begin() + static_cast<std::ptrdiff_t>(table),
                                 readme.begin() + static_cast<std::ptrdiff_t>(readme.find("\n\n", table)), row),
         end;
         it != end; ++it, ++rows) {
        const std::string input = (*it)[1];
        if (input == "---") continue;
        bool listed = false;
        for (const ControlSpec& c : GameControls()) listed = listed || input == c.input;
        EXPECT_TRUE(listed) << "the README's control \"" << input << "\" is not in the table";
    }
    EXPECT_GE(rows, 9);
    for (const char* gamepad : {"gamepad stick", "gamepad A", "gamepad B", "gamepad Start"})
        EXPECT_NE(help.find(gamepad), std::string::npos) << gamepad;

    for (const char* section : {"Controls:", "settings.ini", "records.csm", "file.log", "replays/", "screenshots/",
                                "DUSKWHIRL_DATA", "XDG_DATA_DIRS", "Exit status"})
        EXPECT_NE(help.find(section), std::string::npos) << section;
    for (const char* file : {".I replays/", ".I screenshots/"})
        EXPECT_NE(Section(page, "FILES").find(file), std::string::npos) << file;
    // Nothing wider than a terminal.
    for (const std::string& text : {help, CommandLineUsage()}) {
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t end = text.find('\n', start);
            EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
            start = end + 1;
        }
    }
}

// The parser's checks come from the same rows: each option is taken (with a
// value where it wants one), an option that goes with another is refused
// alone, and one a demo brings is refused with --replay.
TEST(Help, TheParserChecksWhatTheTableSays) {
    for (const OptionSpec& o : CommandLineOptions()) {
        std::vector<std::string> args = {o.name};
        if (o.value)
            args.push_back(std::string(o.name) == "--size"          ? "640x480"
                               : std::string(o.name) == "--arsenal" ? "1,1,1"
                                                                    : "1");
        std::string error;
        if (o.goesWith) {
            EXPECT_FALSE(ParseCommandLine(args, error)) << o.name;
            EXPECT_EQ(error, std::string(o.name) + " goes with " + o.goesWith);
            args.push_back(o.goesWith);
            if (std::string(o.goesWith) == "--level") args.push_back("2");
        }
        EXPECT_TRUE(ParseCommandLine(args, error)) << o.name << ": " << error;
        if (o.shortName) {
            EXPECT_TRUE(ParseCommandLine({o.shortName}, error)) << o.shortName;
        }
        if (o.excludes) {
            args.push_back(o.excludes);
            if (std::string(o.excludes) == "--replay") args.push_back("x.dwdemo");
            EXPECT_FALSE(ParseCommandLine(args, error)) << o.name;
            EXPECT_NE(error.find(" exclude each other"), std::string::npos) << error;
            EXPECT_EQ(error.find("a demo brings its own") != std::string::npos, o.demoBringsItsOwn) << error;
        }
    }
    std::string error;
    EXPECT_FALSE(ParseCommandLine({"--fullscreen", "--windowed"}, error));
    EXPECT_EQ(error, "--windowed and --fullscreen exclude each other");
    EXPECT_FALSE(ParseCommandLine({"--replay", "x", "--autopilot"}, error));
    EXPECT_EQ(error, "--autopilot and --replay exclude each other (a demo brings its own)");
    EXPECT_FALSE(ParseCommandLine({"--frames"}, error));
    EXPECT_EQ(error, "option --frames needs a value");
    EXPECT_FALSE(ParseCommandLine({"--size", "99x480"}, error));
    EXPECT_NE(error.find("--size wants"), std::string::npos);
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
    for (const std::string& bad : std::vector<std::string>{
             (dir / "missing.res").string(), dir.string(), (dir / "fifo").string(), std::string("/dev/zero"),
             (dir / "empty.res").string(), (dir / "short.res").string()}) {
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
    const std::string second = "settings and high scores will not be saved: " + (dir / "user/settings.ini").string() +
        " is not a regular file";
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
