// Finding gamedata.res: the order of the places, the player's own choice
// being final, and every kind of bad file refused with a reason and without
// hanging (directories, FIFOs, devices, empty, cut-short and foreign files).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "media/zip_builder.h"
#include "platform/game_data.h"
#include "shell/test_dir.h"

namespace {

namespace fs = std::filesystem;
using platform::DataSearchInputs;
using platform::FindDataFile;

const std::vector<std::string> kRequired = {"IntroMap", "IntroTrack"};

std::vector<std::uint8_t> GoodArchive() {
    return testzip::Build({{"IntroMap", std::vector<std::uint8_t>(300, 7), true},
                           {"IntroTrack", std::vector<std::uint8_t>(50, 9), false},
                           {"Other", {1, 2, 3}, false}});
}

void Write(const fs::path& p, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class DataSearch : public ::testing::Test {
protected:
    fs::path dir = dw::test::FreshDir("dw_data_");
    void TearDown() override { fs::remove_all(dir); }

    // Every place of the search under `dir`, none holding a file yet.
    DataSearchInputs Inputs() const {
        DataSearchInputs in;
        in.programDir = (dir / "prefix" / "bin").string();
        in.xdgDataDirs = (dir / "xdg1").string() + ":relative/ignored::" + (dir / "xdg2").string();
        in.buildTimeDir = (dir / "built").string();
        in.required = kRequired;
        return in;
    }
    std::string At(const char* rel) const { return (dir / rel).lexically_normal().string(); }
};

TEST_F(DataSearch, LooksEverywhereInOrderAndNamesEachPlace) {
    const auto search = FindDataFile(Inputs());
    EXPECT_TRUE(search.file.empty());
    std::vector<std::string> paths;
    for (const auto& p : search.looked) {
        paths.push_back(p.path);
        EXPECT_EQ(p.problem, "not found") << p.path;
    }
    EXPECT_EQ(
        paths,
        (std::vector<std::string>{At("prefix/bin/gamedata.res"), At("prefix/share/duskwhirl/gamedata.res"),
                                  At("prefix/share/games/duskwhirl/gamedata.res"), At("xdg1/duskwhirl/gamedata.res"),
                                  At("xdg1/games/duskwhirl/gamedata.res"), At("xdg2/duskwhirl/gamedata.res"),
                                  At("xdg2/games/duskwhirl/gamedata.res"), At("built/gamedata.res")}));
    const std::string text = platform::DataSearchFailureText(search);
    for (const auto& p : paths) EXPECT_NE(text.find(p), std::string::npos) << p;
    EXPECT_NE(text.find("--data"), std::string::npos);
    EXPECT_NE(text.find("DUSKWHIRL_DATA"), std::string::npos);
}

TEST_F(DataSearch, TheFirstUsableFileWinsAndBrokenOnesArePassedOver) {
    Write(dir / "built/gamedata.res", GoodArchive());
    EXPECT_EQ(FindDataFile(Inputs()).file, At("built/gamedata.res"));
    Write(dir / "xdg2/games/duskwhirl/gamedata.res", GoodArchive());
    EXPECT_EQ(FindDataFile(Inputs()).file, At("xdg2/games/duskwhirl/gamedata.res"));
    Write(dir / "xdg2/duskwhirl/gamedata.res", GoodArchive());
    EXPECT_EQ(FindDataFile(Inputs()).file, At("xdg2/duskwhirl/gamedata.res"));
    // A distribution's layout: games/ and share/games/duskwhirl/ side by side.
    Write(dir / "prefix/share/games/duskwhirl/gamedata.res", GoodArchive());
    EXPECT_EQ(FindDataFile(Inputs()).file, At("prefix/share/games/duskwhirl/gamedata.res"));
    // The installed layout: bin/ and share/duskwhirl/ side by side.
    Write(dir / "prefix/share/duskwhirl/gamedata.res", GoodArchive());
    EXPECT_EQ(FindDataFile(Inputs()).file, At("prefix/share/duskwhirl/gamedata.res"));
    // A damaged file next to the program is named and passed over.
    Write(dir / "prefix/bin/gamedata.res", {'P', 'K', 3, 4, 0, 0});
    auto search = FindDataFile(Inputs());
    EXPECT_EQ(search.file, At("prefix/share/duskwhirl/gamedata.res"));
    ASSERT_EQ(search.looked.size(), 2u);
    EXPECT_NE(search.looked[0].problem.find("not a ZIP"), std::string::npos);
    Write(dir / "prefix/bin/gamedata.res", GoodArchive());
    EXPECT_EQ(FindDataFile(Inputs()).file, At("prefix/bin/gamedata.res"));
}

TEST_F(DataSearch, UnsetOrEmptyXdgDataDirsMeansTheStandardDirectories) {
    auto in = Inputs();
    in.xdgDataDirs.clear();
    const auto search = FindDataFile(in);
    std::vector<std::string> paths;
    for (const auto& p : search.looked) paths.push_back(p.path);
    EXPECT_NE(std::find(paths.begin(), paths.end(), "/usr/share/duskwhirl/gamedata.res"), paths.end());
    EXPECT_NE(std::find(paths.begin(), paths.end(), "/usr/local/share/duskwhirl/gamedata.res"), paths.end());
    EXPECT_NE(std::find(paths.begin(), paths.end(), "/usr/share/games/duskwhirl/gamedata.res"), paths.end());
}

TEST_F(DataSearch, TheOptionAndTheEnvironmentAreFinalEvenWhenUnusable) {
    Write(dir / "prefix/bin/gamedata.res", GoodArchive());
    Write(dir / "mine.res", GoodArchive());
    auto in = Inputs();
    in.environment = At("mine.res");
    EXPECT_EQ(FindDataFile(in).file, At("mine.res"));
    in.environment = At("missing.res");
    auto search = FindDataFile(in);
    EXPECT_TRUE(search.file.empty()) << "a usable file elsewhere must not hide the mistake";
    ASSERT_EQ(search.looked.size(), 1u);
    EXPECT_EQ(search.looked[0].where, "DUSKWHIRL_DATA");
    // --data comes before the environment.
    in.option = At("mine.res");
    EXPECT_EQ(FindDataFile(in).file, At("mine.res"));
    in.option = At("missing.res");
    in.environment = At("mine.res");
    search = FindDataFile(in);
    EXPECT_TRUE(search.file.empty());
    ASSERT_EQ(search.looked.size(), 1u);
    EXPECT_EQ(search.looked[0].where, "--data");
}

TEST_F(DataSearch, EveryKindOfBadFileIsRefusedWithItsReason) {
    using platform::DataFileProblem;
    EXPECT_EQ(DataFileProblem(At("mine.res"), kRequired), "not found");
    EXPECT_NE(DataFileProblem(dir.string(), kRequired).find("directory"), std::string::npos);
    // A FIFO with no writer: a plain open would wait for ever.
    ASSERT_EQ(::mkfifo(At("fifo").c_str(), 0600), 0);
    EXPECT_NE(DataFileProblem(At("fifo"), kRequired).find("FIFO"), std::string::npos);
    EXPECT_NE(DataFileProblem("/dev/zero", kRequired).find("device"), std::string::npos);
    Write(dir / "empty.res", {});
    EXPECT_EQ(DataFileProblem(At("empty.res"), kRequired), "is empty");
    Write(dir / "text.res", std::vector<std::uint8_t>(4000, 'x'));
    EXPECT_NE(DataFileProblem(At("text.res"), kRequired).find("not a ZIP"), std::string::npos);
    // Cut short anywhere: the end record is lost, or an entry runs past the end.
    const auto good = GoodArchive();
    for (std::size_t keep : {std::size_t(1), std::size_t(30), good.size() / 2, good.size() - 1}) {
        Write(dir / "cut.res", std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(keep)));
        EXPECT_FALSE(DataFileProblem(At("cut.res"), kRequired).empty()) << keep;
    }
    // Another archive, or this game's with a damaged entry.
    Write(dir / "other.res", testzip::Build({{"Readme", {1, 2, 3}, false}}));
    EXPECT_NE(DataFileProblem(At("other.res"), kRequired).find("lacks \"IntroMap\""), std::string::npos);
    auto damaged = GoodArchive();
    const auto at = std::search(damaged.begin(), damaged.end(), std::begin("IntroTrack"), std::end("IntroTrack") - 1);
    damaged[static_cast<std::size_t>(at - damaged.begin()) + 12] ^= 0xFF;  // first data byte
    Write(dir / "damaged.res", damaged);
    EXPECT_NE(DataFileProblem(At("damaged.res"), kRequired).find("damaged \"IntroTrack\""), std::string::npos);
    Write(dir / "good.res", good);
    EXPECT_EQ(DataFileProblem(At("good.res"), kRequired), "");
}

TEST_F(DataSearch, TheSameFileIsLookedAtOnce) {
    // Installed where it was built for: <program>/../share/duskwhirl is the build-time directory.
    auto in = Inputs();
    in.buildTimeDir = (dir / "prefix/bin/../share/duskwhirl").string();
    in.xdgDataDirs = (dir / "prefix/share").string();
    EXPECT_EQ(FindDataFile(in).looked.size(), 3u);
    // And a distribution's games: the program in games/, the data in share/games/duskwhirl.
    in.programDir = (dir / "prefix/games").string();
    in.buildTimeDir = (dir / "prefix/share/games/duskwhirl").string();
    EXPECT_EQ(FindDataFile(in).looked.size(), 3u);
}

}  // namespace
