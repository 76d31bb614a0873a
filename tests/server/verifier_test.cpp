// The verification of submitted games: what the bytes and the header may
// not be, what the replay must find, and the replay in its child process.
#include "server/verifier.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/demo.h"
#include "core/game_context.h"
#include "server/games.h"

namespace dw::server {
namespace {

std::string Bytes(const Demo& d) {
    const std::vector<std::uint8_t> b = EncodeDemo(d);
    return {b.begin(), b.end()};
}

// One game for the cases of this process.
const testing::RecordedGame& IdleGame() {
    static const testing::RecordedGame game = testing::RecordGame(7, 0);
    return game;
}

Verifier::Options ChildOptions() {
    Verifier::Options o;
    o.program = std::string(DW_BUILD_DIR) + "/duskwhirl-scores";
    o.dataFile = std::string(DW_BUILD_DIR) + "/gamedata.res";
    o.scratch = std::filesystem::temp_directory_path().string();
    o.limits.wallSeconds = 120;
    return o;
}

TEST(Verifier, TheReplayFindsTheScoreTheGameMadeAndWhereItsGameEnded) {
    const testing::RecordedGame& g = IdleGame();
    ASSERT_TRUE(g.over) << "the unsteered game did not end";
    Demo decoded;
    EXPECT_EQ(CheckDemo(Bytes(g.demo), decoded), "");
    GameOutcome o;
    std::string error;
    const TempDir dir("dw-verifier-replay");
    ASSERT_TRUE(ReplayOutcome(g.demo, "", dir.path.string(), o, error)) << error;
    EXPECT_EQ(CheckOutcome(o), "");
    EXPECT_EQ(o.gamesBegun, 1u);
    EXPECT_EQ(o.startLevel, 0u);
    EXPECT_EQ(o.score, g.score);
    EXPECT_EQ(o.levelReached, g.levelReached);
    EXPECT_EQ(o.frames, g.demo.frames.size());
    EXPECT_EQ(o.overFrame, g.demo.frames.size());

    // Cut before its end, the game is still running.
    Demo cut = g.demo;
    cut.frames.resize(cut.frames.size() - 300);
    ASSERT_TRUE(ReplayOutcome(cut, "", dir.path.string(), o, error)) << error;
    EXPECT_EQ(CheckOutcome(o), "the game is not over at the end of the demo");

    // More frames after its end make no other game.
    Demo longer = g.demo;
    longer.frames.resize(longer.frames.size() + 50);
    EXPECT_EQ(GameSha256(longer, g.demo.frames.size()), GameSha256(g.demo, g.demo.frames.size()));
    EXPECT_NE(GameSha256(cut, cut.frames.size()), GameSha256(g.demo, g.demo.frames.size()));
}

TEST(Verifier, RefusesWhatThePlayersGameCannotBeBeforeAnyReplay) {
    Demo ok;
    ok.frames.resize(20);
    ok.frames[0].stepMs = 3;  // the first step is the clock's start, not a frame's
    ok.frames[1].stepMs = 10;
    ok.frames[2].stepMs = 900;
    const std::string good = Bytes(ok);
    Demo out;
    EXPECT_EQ(CheckDemo(good, out), "");
    ok.header.startLevel = -1;
    EXPECT_EQ(CheckDemo(Bytes(ok), out), "");
    // Settings any player may have: a mouse speed, a level once reached.
    ok.header.mouseSetting = 1500;
    ok.header.levelIdSetting = kLevelIds[5];
    EXPECT_EQ(CheckDemo(Bytes(ok), out), "");

    auto with = [&](auto change) {
        Demo d = ok;
        change(d);
        return CheckDemo(Bytes(d), out);
    };
    EXPECT_NE(with([](Demo& d) { d.header.startLevel = 3; }).find("starts at level 4"), std::string::npos);
    EXPECT_NE(with([](Demo& d) {
                  d.header.startLevel = 0;
                  d.header.arsenal = {true, 3, 2, 999};
              }).find("weapons"),
              std::string::npos);
    EXPECT_NE(with([](Demo& d) {
                  d.header.startLevel = 0;
                  d.header.arsenal = {true, 0, 0, 0};
              }).find("weapons"),
              std::string::npos);
    EXPECT_NE(with([](Demo& d) { d.frames[7].stepMs = 9; }).find("frame 8 steps 9 ms"), std::string::npos);
    EXPECT_NE(with([](Demo& d) { d.frames.back().stepMs = 1; }).find("slow motion"), std::string::npos);
    EXPECT_NE(with([](Demo& d) { d.frames.clear(); }).find("no frames"), std::string::npos);

    std::string version = good;
    version[6] = 2;
    EXPECT_EQ(CheckDemo(version, out), "the demo is of version 2; this server takes version 3");
    EXPECT_EQ(CheckDemo(good.substr(0, good.size() - 3), out).rfind("the demo does not decode: ", 0), 0u);
    EXPECT_EQ(CheckDemo("GIF89a garbage garbage", out).rfind("the demo does not decode: ", 0), 0u);
    EXPECT_EQ(CheckDemo("", out).rfind("the demo does not decode: ", 0), 0u);
}

TEST(Verifier, JudgesTheOutcomeOfTheLastGameBegun) {
    GameOutcome o;
    EXPECT_EQ(CheckOutcome(o), "no game is played in the demo");
    o.gamesBegun = 2;
    o.startLevel = 4;
    o.over = true;
    EXPECT_EQ(CheckOutcome(o), "the game began at level 5; a game must begin at the first");
    o.startLevel = 0;
    EXPECT_EQ(CheckOutcome(o), "");
    o.over = false;
    EXPECT_EQ(CheckOutcome(o), "the game is not over at the end of the demo");

    GameOutcome back;
    o = {123, 2, 0, true, 45678, 3, 120};
    ASSERT_TRUE(ParseOutcomeJson(OutcomeJson(o), back));
    EXPECT_EQ(OutcomeJson(back), OutcomeJson(o));
    EXPECT_FALSE(ParseOutcomeJson("{\"frames\": -1}", back));
    // A child's answer with a fraction or a number past its field is refused,
    // never converted (a float past the range is undefined behaviour).
    std::string huge = OutcomeJson(o), fraction = huge;
    huge.replace(huge.find("\"score\":") + 8, 1, "9.06667e+58,\"x\":");
    fraction.replace(fraction.find("\"frames\":") + 9, 0, "0.5,\"y\":");
    EXPECT_FALSE(ParseOutcomeJson(huge, back)) << huge;
    EXPECT_FALSE(ParseOutcomeJson(fraction, back)) << fraction;
    std::string wide = OutcomeJson(o);
    wide.replace(wide.find("\"score\":") + 8, 0, "4294967296,\"z\":");
    EXPECT_FALSE(ParseOutcomeJson(wide, back)) << wide;
    EXPECT_FALSE(ParseOutcomeJson("not json", back));
}

TEST(Verifier, TheChildReplaysAsTheServerWouldAndAnUnrunnableOneIsTheServersFault) {
    const testing::RecordedGame& g = IdleGame();
    ASSERT_TRUE(g.over);
    const Verifier verifier(ChildOptions());
    std::string error;
    ASSERT_TRUE(verifier.SelfTest(error)) << error;
    // An honest game leaves nothing in the server's log: the confined child
    // has no user directory to complain of.
    ::testing::internal::CaptureStderr();
    const Verdict v = verifier.Verify(Bytes(g.demo));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(v.kind, Verdict::Kind::Accepted) << v.reason;
    EXPECT_EQ(v.score, g.score);
    EXPECT_EQ(v.level, g.levelReached + 1);
    EXPECT_EQ(v.frames, g.demo.frames.size());

    Verifier::Options missing = ChildOptions();
    missing.program = "/nonexistent/duskwhirl-scores";
    const Verifier broken(missing);
    EXPECT_FALSE(broken.SelfTest(error));
    EXPECT_EQ(broken.Verify(Bytes(g.demo)).kind, Verdict::Kind::Unavailable);

    Verifier::Options noData = ChildOptions();
    noData.dataFile = "/nonexistent/gamedata.res";
    EXPECT_FALSE(Verifier(noData).SelfTest(error));
}

}  // namespace
}  // namespace dw::server
