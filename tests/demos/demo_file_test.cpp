// The demo file: what is written reads back the same, and bytes that are not
// a whole demo of this version are refused with a reason.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/demo.h"
#include "platform/clock.h"

namespace dw {
namespace {

Demo SampleDemo() {
    Demo d;
    d.header.seed = 0xDEADBEEF;
    d.header.mouseSetting = 1250;
    d.header.levelIdSetting = 325;
    d.header.startLevel = 3;
    d.header.width = 1024;
    d.header.height = 768;
    d.header.startClock = 0xFFFFFF00u;  // near the wrap of the 32-bit clock
    d.header.arsenal = {true, 3, 2, 999};
    auto frame = [&](std::uint32_t step, std::int32_t dx, std::int32_t dy, std::uint8_t buttons,
                     std::vector<DemoKeyChange> keys, std::uint8_t lost = 0) {
        DemoFrame f;
        f.stepMs = step;
        f.dx = dx;
        f.dy = dy;
        f.buttons = buttons;
        f.lost = lost;
        f.keyBegin = static_cast<std::uint32_t>(d.keyChanges.size());
        f.keyCount = static_cast<std::uint32_t>(keys.size());
        d.keyChanges.insert(d.keyChanges.end(), keys.begin(), keys.end());
        d.frames.push_back(f);
    };
    frame(16, 0, 0, 0, {});
    frame(17, -3, 250000, 1, {{DIK_RETURN, 1}, {DIK_RMENU, 1}});
    frame(255, 2147483647, -2147483647 - 1, 0x0F, {});  // extremes of motion; a step of 0xFF
    frame(60000, 0, 0, 0, {{DIK_RETURN, 0}}, 1);
    std::vector<DemoKeyChange> all;
    for (int k = 0; k < 256; ++k) all.push_back({static_cast<std::uint8_t>(k), 1});
    frame(1, 1, 0, 2, all);
    return d;
}

void ExpectSame(const Demo& a, const Demo& b) {
    EXPECT_EQ(a.header.seed, b.header.seed);
    EXPECT_EQ(a.header.mouseSetting, b.header.mouseSetting);
    EXPECT_EQ(a.header.levelIdSetting, b.header.levelIdSetting);
    EXPECT_EQ(a.header.startLevel, b.header.startLevel);
    EXPECT_EQ(a.header.width, b.header.width);
    EXPECT_EQ(a.header.height, b.header.height);
    EXPECT_EQ(a.header.startClock, b.header.startClock);
    EXPECT_EQ(a.header.arsenal.given, b.header.arsenal.given);
    EXPECT_EQ(a.header.arsenal.laser, b.header.arsenal.laser);
    EXPECT_EQ(a.header.arsenal.plasma, b.header.arsenal.plasma);
    EXPECT_EQ(a.header.arsenal.rockets, b.header.arsenal.rockets);
    ASSERT_EQ(a.frames.size(), b.frames.size());
    for (std::size_t i = 0; i < a.frames.size(); ++i) {
        const DemoFrame &x = a.frames[i], &y = b.frames[i];
        EXPECT_EQ(x.stepMs, y.stepMs) << i;
        EXPECT_EQ(x.dx, y.dx) << i;
        EXPECT_EQ(x.dy, y.dy) << i;
        EXPECT_EQ(x.buttons, y.buttons) << i;
        EXPECT_EQ(x.lost, y.lost) << i;
        ASSERT_EQ(x.keyCount, y.keyCount) << i;
        for (std::uint32_t k = 0; k < x.keyCount; ++k) {
            EXPECT_EQ(a.keyChanges[x.keyBegin + k].code, b.keyChanges[y.keyBegin + k].code);
            EXPECT_EQ(a.keyChanges[x.keyBegin + k].down, b.keyChanges[y.keyBegin + k].down);
        }
    }
}

bool Decodes(const std::vector<std::uint8_t>& bytes, std::string& error) {
    Demo d;
    return DecodeDemo(bytes.data(), bytes.size(), d, error);
}

TEST(DemoFile, EverythingWrittenReadsBackTheSame) {
    const Demo d = SampleDemo();
    const std::vector<std::uint8_t> bytes = EncodeDemo(d);
    Demo back;
    std::string error;
    ASSERT_TRUE(DecodeDemo(bytes.data(), bytes.size(), back, error)) << error;
    ExpectSame(d, back);
    EXPECT_EQ(EncodeDemo(back), bytes);

    // A quiet frame costs two bytes.
    Demo quiet;
    quiet.frames.resize(1000);
    EXPECT_EQ(EncodeDemo(quiet).size(), EncodeDemo(Demo{}).size() + 2000);
}

// The window's clock over a stand-in for the real one: a minute stopped
// (SIGSTOP, a suspend, a long minimise) steps at most a second, so the
// game's own recording of it is a demo it reads back.
TEST(DemoFile, AGameStoppedForMinutesRecordsADemoTheGamePlays) {
    platform::FixedStepClock real(5000);
    platform::LatchedClock clock(1000, real);
    Demo d;
    for (const std::uint32_t gap : {16u, 62144u, 16u, 3'600'000u, 17u}) {
        real.Advance(gap);
        DemoFrame f;
        f.stepMs = clock.Tick(0);
        EXPECT_LE(f.stepMs, platform::LatchedClock::kMaxStepMs) << "after " << gap << " ms";
        d.frames.push_back(f);
    }
    EXPECT_EQ(d.frames[0].stepMs, 16u);
    EXPECT_EQ(d.frames[2].stepMs, 16u) << "the frames after the stop step as before";
    EXPECT_EQ(d.frames[4].stepMs, 17u);
    EXPECT_EQ(clock.Milliseconds(), 1000u + 16 + 1000 + 16 + 1000 + 17);
    const std::vector<std::uint8_t> bytes = EncodeDemo(d);
    Demo back;
    std::string error;
    EXPECT_TRUE(DecodeDemo(bytes.data(), bytes.size(), back, error)) << error;
}

TEST(DemoFile, EveryCutIsRefusedWithAReason) {
    const std::vector<std::uint8_t> bytes = EncodeDemo(SampleDemo());
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
        std::string error;
        EXPECT_FALSE(Decodes(cut, error)) << "cut at " << n;
        EXPECT_FALSE(error.empty()) << "cut at " << n;
    }
    std::string error;
    EXPECT_FALSE(DecodeDemo(nullptr, 0, *std::make_unique<Demo>(), error));
}

TEST(DemoFile, ForeignOrDamagedBytesAreRefused) {
    const std::vector<std::uint8_t> good = EncodeDemo(SampleDemo());
    const std::size_t header = 6 + 2 + 4 + 4 + 4 + 1 + 2 + 2 + 4 + 5;
    struct Case {
        const char* what;
        std::size_t at;
        std::uint8_t value;
        const char* reason;
    };
    const Case cases[] = {
        {"magic", 0, 'X', "not a demo"},
        {"version", 6, 4, "version 4"},
        {"version 0", 6, 0, "version 0"},
        {"start level", 20, 10, "level 10"},
        {"arsenal flag", 29, 2, "arsenal is out of range"},
        {"laser", 30, 4, "arsenal is out of range"},
        {"plasma", 31, 3, "arsenal is out of range"},
        {"rockets", 33, 0x04, "arsenal is out of range"},  // 999 + 1024
        {"menu start with an arsenal", 20, 0xFF, "without a start level"},
        {"width", 21, 0, "size"},
        {"unknown flag", header, 0x40, "unknown flags"},
        {"zero step", header + 1, 0, "steps 0"},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bad = good;
        bad[c.at] = c.value;
        if (std::string(c.what) == "width") bad[22] = 0;
        std::string error;
        EXPECT_FALSE(Decodes(bad, error)) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    }
    // Bytes after the end mark, and an end mark that miscounts.
    std::vector<std::uint8_t> longer = good;
    longer.push_back(0);
    std::string error;
    EXPECT_FALSE(Decodes(longer, error));
    EXPECT_NE(error.find("after its end mark"), std::string::npos);
    std::vector<std::uint8_t> miscount = good;
    miscount[miscount.size() - 4] ^= 1;
    EXPECT_FALSE(Decodes(miscount, error));
    EXPECT_NE(error.find("end mark says"), std::string::npos);
    // A padded (non-shortest) number is not ours either.
    std::vector<std::uint8_t> padded(good.begin(), good.begin() + static_cast<long>(header));
    for (std::uint8_t b : {0x00, 0x90, 0x00, 0xFF, 0x01, 0x00, 0x00, 0x00}) padded.push_back(b);
    EXPECT_FALSE(Decodes(padded, error));
    // Garbage of every length never reads outside its bytes (the sanitizers watch).
    std::vector<std::uint8_t> noise;
    std::uint32_t x = 12345;
    for (int n = 0; n < 300; ++n) {
        x = x * 1103515245u + 12345u;
        noise.push_back(static_cast<std::uint8_t>(x >> 16));
        std::vector<std::uint8_t> withHeader(good.begin(), good.begin() + static_cast<long>(header));
        withHeader.insert(withHeader.end(), noise.begin(), noise.end());
        Decodes(withHeader, error);
        Decodes(noise, error);
    }
}

TEST(DemoFile, OlderVersionsAreRefusedWithTheirReasonAndWeaponsNeedAnArsenal) {
    // Versions 1 and 2 were recorded with the C library's generator.
    Demo d = SampleDemo();
    d.header.arsenal = {};
    std::vector<std::uint8_t> bytes = EncodeDemo(d);
    std::string error;
    for (std::uint8_t old : {1, 2}) {
        std::vector<std::uint8_t> v = bytes;
        v[6] = old;
        EXPECT_FALSE(Decodes(v, error));
        EXPECT_NE(error.find("record it again"), std::string::npos) << error;
    }
    std::vector<std::uint8_t> future = bytes;
    future[6] = 4;
    EXPECT_FALSE(Decodes(future, error));
    EXPECT_NE(error.find("reads version 3"), std::string::npos) << error;

    // Weapons named while the arsenal is off: not a file we wrote.
    bytes[30] = 1;
    EXPECT_FALSE(Decodes(bytes, error));
    EXPECT_NE(error.find("weapons without an arsenal"), std::string::npos) << error;
}

TEST(DemoFile, FilesOnDisk) {
    const auto dir = std::filesystem::temp_directory_path() / "dw_demo_files";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "a.dwdemo").string();
    std::string error;
    ASSERT_TRUE(SaveDemoFile(path, SampleDemo(), error)) << error;
    Demo back;
    ASSERT_TRUE(LoadDemoFile(path, back, error)) << error;
    ExpectSame(SampleDemo(), back);
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));

    EXPECT_FALSE(LoadDemoFile((dir / "missing.dwdemo").string(), back, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    EXPECT_FALSE(SaveDemoFile((dir / "no" / "such" / "dir.dwdemo").string(), SampleDemo(), error));
    // A refused file names itself in the reason.
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("DWDEMO", f);
    std::fclose(f);
    EXPECT_FALSE(LoadDemoFile(path, back, error));
    EXPECT_NE(error.find(path), std::string::npos);
    // A FIFO or a directory is refused at once, and never replaced.
    const std::string fifo = (dir / "fifo.dwdemo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_FALSE(LoadDemoFile(fifo, back, error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_FALSE(SaveDemoFile(fifo, SampleDemo(), error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_FALSE(LoadDemoFile(dir.string(), back, error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    std::filesystem::remove_all(dir);
}

// What the recorder keeps is what the devices gave, and the player gives
// it back in the same order.
TEST(DemoRecording, ThePlayerGivesBackWhatTheDevicesRead) {
    platform::ScriptedInput source;
    DemoRecorder recorder(&source, DemoHeader{});
    platform::InputDevice* keyboard = recorder.CreateDevice(platform::InputDeviceKind::Keyboard);
    platform::InputDevice* mouse = recorder.CreateDevice(platform::InputDeviceKind::Mouse);
    ASSERT_TRUE(keyboard && mouse);
    keyboard->Acquire();
    mouse->Acquire();

    struct Read {
        std::uint8_t keys[256];
        DIMOUSESTATE mouse;
        HRESULT keyResult, mouseResult;
    };
    std::vector<Read> original;
    auto readFrame = [&](platform::InputDevice* kb, platform::InputDevice* ms) {
        Read r{};
        r.keyResult = kb->GetDeviceState(256, r.keys);
        r.mouseResult = ms->GetDeviceState(sizeof(DIMOUSESTATE), &r.mouse);
        if (FAILED(r.keyResult)) kb->Acquire();
        if (FAILED(r.mouseResult)) ms->Acquire();
        return r;
    };
    for (int frame = 0; frame < 40; ++frame) {
        source.SetKey(DIK_SPACE, frame % 7 < 3);
        source.SetKey(DIK_ESCAPE, frame == 11);
        source.MoveMouse(frame - 20, 3 * (frame % 5) - 6);
        if (frame % 4 == 0) source.MoveMouse(1, 1);  // motion adds up until read
        source.SetButton(0, frame > 10);
        source.SetButton(1, frame % 9 == 0);
        source.SetLost(frame == 30);
        recorder.BeginFrame(16 + frame % 3);
        original.push_back(readFrame(keyboard, mouse));
        recorder.EndFrame();
    }
    source.SetLost(false);
    const std::vector<std::uint8_t> bytes = EncodeDemo(recorder.demo());
    Demo demo;
    std::string error;
    ASSERT_TRUE(DecodeDemo(bytes.data(), bytes.size(), demo, error)) << error;
    ASSERT_EQ(demo.frames.size(), 40u);

    platform::ScriptedInput replay;
    platform::InputDevice* kb = replay.CreateDevice(platform::InputDeviceKind::Keyboard);
    platform::InputDevice* ms = replay.CreateDevice(platform::InputDeviceKind::Mouse);
    kb->Acquire();
    ms->Acquire();
    DemoPlayer player(demo);
    for (int frame = 0; frame < 40; ++frame) {
        std::uint32_t step = 0;
        ASSERT_TRUE(player.Feed(replay, step));
        EXPECT_EQ(step, 16u + static_cast<std::uint32_t>(frame % 3));
        const Read r = readFrame(kb, ms);
        const Read& o = original[static_cast<std::size_t>(frame)];
        EXPECT_EQ(r.keyResult, o.keyResult) << frame;
        EXPECT_EQ(r.mouseResult, o.mouseResult) << frame;
        if (SUCCEEDED(o.keyResult)) {
            for (int k = 0; k < 256; ++k) ASSERT_EQ(r.keys[k] & 0x80, o.keys[k] & 0x80) << frame;
        }
        if (SUCCEEDED(o.mouseResult)) {
            EXPECT_EQ(r.mouse.lX, o.mouse.lX) << frame;
            EXPECT_EQ(r.mouse.lY, o.mouse.lY) << frame;
            for (int b = 0; b < 4; ++b) EXPECT_EQ(r.mouse.rgbButtons[b], o.mouse.rgbButtons[b]) << frame;
        }
    }
    std::uint32_t step = 0;
    EXPECT_FALSE(player.Feed(replay, step));
    EXPECT_TRUE(player.done());
}

}  // namespace
}  // namespace dw

#include "app/command_line.h"

namespace dw {
namespace {

// A session of eleven hours and more: the recording stops where a demo file
// ends, and what was kept reads back.
TEST(DemoRecording, RecordingStopsAtTheMostADemoHolds) {
    DemoRecorder recorder(nullptr, DemoHeader{});
    ::testing::internal::CaptureStderr();
    for (std::uint32_t i = 0; i < kDemoMaxFrames + 50; ++i) {
        recorder.BeginFrame(16);
        recorder.EndFrame();
    }
    recorder.BeginFrame(16);
    recorder.CancelFrame();  // a pass without a frame past the end changes nothing
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(recorder.demo().frames.size(), kDemoMaxFrames);
    EXPECT_TRUE(recorder.full());
    EXPECT_EQ(err.find("the rest is not recorded"), err.rfind("the rest is not recorded")) << "said once";
    EXPECT_NE(err.find("the rest is not recorded"), std::string::npos);
    const std::vector<std::uint8_t> bytes = EncodeDemo(recorder.demo());
    Demo back;
    std::string error;
    EXPECT_TRUE(DecodeDemo(bytes.data(), bytes.size(), back, error)) << error;
    EXPECT_EQ(back.frames.size(), kDemoMaxFrames);
}

TEST(CommandLine, TheArsenalNeedsALevelAndWeaponsInRange) {
    std::string error;
    auto cl = ParseCommandLine({"--level", "4", "--arsenal", "3,2,999"}, error);
    ASSERT_TRUE(cl) << error;
    EXPECT_TRUE(cl->arsenal.given);
    EXPECT_EQ(cl->arsenal.laser, 3);
    EXPECT_EQ(cl->arsenal.plasma, 2);
    EXPECT_EQ(cl->arsenal.rockets, 999);
    for (const char* bad :
         {"4,0,0", "0,3,0", "0,0,1000", "1,1", "1,1,1,1", "a,b,c", "", ",,", "1,,2", "-1,0,0", "0,0,70000"}) {
        EXPECT_FALSE(ParseCommandLine({"--level", "0", "--arsenal", bad}, error)) << bad;
        EXPECT_NE(error.find("--arsenal"), std::string::npos) << bad << ": " << error;
    }
    EXPECT_FALSE(ParseCommandLine({"--arsenal", "1,1,1"}, error));
    EXPECT_NE(error.find("goes with --level"), std::string::npos) << error;
    EXPECT_FALSE(ParseCommandLine({"--level", "1", "--arsenal", "1,1,1", "--replay", "x.dwdemo"}, error));
    EXPECT_FALSE(ParseCommandLine({"--level", "1", "--arsenal"}, error));
}

TEST(CommandLine, ATimedemoMayStartLate) {
    std::string error;
    auto cl = ParseCommandLine({"--timedemo", "--timedemo-from", "30000", "--frames", "32500"}, error);
    ASSERT_TRUE(cl) << error;
    EXPECT_EQ(cl->timedemoFrom, 30000u);
    EXPECT_FALSE(ParseCommandLine({"--timedemo-from", "100"}, error));
    EXPECT_NE(error.find("--timedemo-from goes with --timedemo"), std::string::npos) << error;
    for (const char* bad : {"", "-1", "x", "12x"})
        EXPECT_FALSE(ParseCommandLine({"--timedemo", "--timedemo-from", bad}, error)) << bad;
}

TEST(CommandLine, OneLevelGoesWithTheAutopilot) {
    std::string error;
    auto cl = ParseCommandLine({"--autopilot", "--one-level", "--level", "9"}, error);
    ASSERT_TRUE(cl) << error;
    EXPECT_TRUE(cl->oneLevel);
    EXPECT_FALSE(ParseCommandLine({"--one-level", "--level", "9"}, error));
    EXPECT_NE(error.find("--one-level goes with --autopilot"), std::string::npos) << error;
}

// A replay takes its start, seed, window size and steps from the demo; the same
// options on the command line are refused rather than quietly dropped.
TEST(CommandLine, AReplayRefusesWhatTheDemoDecides) {
    std::string error;
    const std::vector<std::vector<std::string>> clashes = {
        {"--size", "1024x768"}, {"--level", "2"}, {"--seed", "7"}, {"--autopilot"}, {"--fixed-step", "16"}};
    for (const auto& extra : clashes) {
        std::vector<std::string> args = {"--replay", "x.dwdemo"};
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_FALSE(ParseCommandLine(args, error)) << extra[0];
        EXPECT_NE(error.find(extra[0] + " and --replay"), std::string::npos) << error;
    }
    auto cl = ParseCommandLine({"--windowed", "--replay", "x.dwdemo", "--timedemo", "--frames", "100", "--report",
                                "r.json", "--screenshot", "s.png"},
                               error);
    ASSERT_TRUE(cl) << error;
    EXPECT_EQ(cl->replayFile, "x.dwdemo");
}

}  // namespace
}  // namespace dw
