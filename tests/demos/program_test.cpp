// The program as a host that calls it once a frame sees it: StepFrame runs
// one frame a call, ends the run by itself (report written, status final)
// and plays the attract mode's demos in the same calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/command_line.h"
#include "app/demo.h"
#include "app/program.h"
#include "app/runner.h"
#include "common/run_program.h"
#include "shell/test_dir.h"

namespace dw {
namespace {

namespace fs = std::filesystem;

std::string DataFile() { return std::string(DW_BUILD_DIR) + "/gamedata.res"; }

CommandLine Headless(const fs::path& dir, const std::string& report) {
    CommandLine cl;
    cl.headless = true;
    cl.dataFile = DataFile();
    cl.userDir = (dir / "user").string();
    cl.reportFile = (dir / report).string();
    return cl;
}

// The frames a report says were run.
std::uint64_t ReportedFrames(const fs::path& report) {
    const std::string text = test::ReadText(report);
    const std::size_t at = text.find("\"frames\": ");
    return at == std::string::npos ? ~0ull : std::stoull(text.substr(at + 10));
}

TEST(Program, AHostStepsAWholeReplayOneFrameACall) {
    const fs::path dir = test::FreshDir("dw_program_");
    const std::string demoFile = std::string(DW_SOURCE_DIR) + "/bench/level4-opening.dwdemo";
    Demo demo;
    std::string error;
    ASSERT_TRUE(LoadDemoFile(demoFile, demo, error)) << error;

    CommandLine cl = Headless(dir, "stepped.json");
    cl.replayFile = demoFile;
    std::uint64_t calls = 0;
    {
        Program program(cl);
        while (program.StepFrame()) {
            ++calls;
            ASSERT_EQ(program.frames(), calls) << "one frame a call";
        }
        EXPECT_EQ(program.exitStatus(), 0);
        EXPECT_FALSE(program.StepFrame()) << "over is over";
        EXPECT_EQ(program.frames(), calls);
    }
    EXPECT_EQ(calls, demo.frames.size());
    EXPECT_EQ(ReportedFrames(dir / "stepped.json"), calls);

    // The desktop's driver adds nothing but its pauses: the same game.
    cl.reportFile = (dir / "driven.json").string();
    EXPECT_EQ(RunProgram(cl), 0);
    EXPECT_EQ(test::ReadText(dir / "driven.json"), test::ReadText(dir / "stepped.json"));
    fs::remove_all(dir);
}

TEST(Program, TheIdleMenusDemoPlaysInTheSameCalls) {
    const fs::path dir = test::FreshDir("dw_program_");
    CommandLine cl = Headless(dir, "attract.json");
    cl.frames = 3000;  // past 30 s of idle main menu at 16 ms a frame
    std::uint64_t calls = 0;
    {
        Program program(cl);
        ASSERT_FALSE(program.plan().play);
        while (program.StepFrame()) ++calls;
        EXPECT_EQ(program.exitStatus(), 0);
    }
    EXPECT_EQ(calls, 3000u);
    EXPECT_EQ(ReportedFrames(dir / "attract.json"), 3000u);
    EXPECT_NE(test::ReadText(dir / "attract.json").find("\"attract\": 1"), std::string::npos)
        << "no demo was playing at the end";
    EXPECT_FALSE(fs::exists(dir / "user" / "replays")) << "a demo kept a game";
    fs::remove_all(dir);
}

TEST(Program, ARunThatCannotStartEndsAtTheFirstCall) {
    const fs::path dir = test::FreshDir("dw_program_");
    CommandLine cl = Headless(dir, "none.json");
    cl.replayFile = (dir / "missing.dwdemo").string();
    ::testing::internal::CaptureStderr();
    Program program(cl);
    EXPECT_FALSE(program.StepFrame());
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(program.exitStatus(), 1);
    EXPECT_EQ(program.frames(), 0u);
    EXPECT_NE(err.find("missing.dwdemo"), std::string::npos) << err;
    program.WaitForNextFrame();  // nothing to wait for, and no crash
    fs::remove_all(dir);
}

}  // namespace
}  // namespace dw
