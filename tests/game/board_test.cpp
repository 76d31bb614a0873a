#include <cmath>
#include <string>

#include "game/board.h"
#include "game/caption.h"
#include "game_fixture.h"
#include "assets/asset_names.h"

namespace dw {
namespace {

using testing::GameFixture;

// The character a glyph quad shows (the atlas's 13 x 6 cells), '.' for a
// blank quad.
char GlyphAt(const ScreenVertex* quads, int place) {
    static const char* const kRows[6] = {"ABCDEFGHIJKLM", "NOPQRSTUVWXYZ", "abcdefghijklm",
                                         "nopqrstuvwxyz", "0123456789+-*", "_.,:;?!\"#@>< "};
    const ScreenVertex& v = quads[6 * place];
    if (v.u == 0 && v.v == 0 && quads[6 * place + 5].u == 0) return '.';
    const long col = std::lround(v.u * 13.0f), row = std::lround(v.v * 6.0f);
    if (col < 0 || col > 12 || row < 0 || row > 5) return '?';
    return kRows[row][col];
}

std::string Shown(const ScreenVertex* quads, int places) {
    std::string s;
    for (int i = 0; i < places; ++i) s += GlyphAt(quads, i);
    return s;
}

// Field-unit top and bottom of a quad of the board.
float Top(const ScreenVertex* q) { return q[0].y / 300.0f - 1.0f; }
float Bottom(const ScreenVertex* q) { return q[5].y / 300.0f - 1.0f; }
float Right(const ScreenVertex* q) { return q[5].x / 400.0f - 1.0f; }

class BoardTest : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        board = new Board(&ctx);
        list.AddObject(board);
    }
    const ScreenVertex* Quad(int q) const { return board->BoardVertices() + 6 * q; }
    Board* board = nullptr;
};

// The first pod shows the count, the second the word that says what it is.
TEST_F(BoardTest, RocketsAreCappedAtNineHundredNinetyNineAndReadAsRocketsLeft) {
    ctx.rockets = 7;
    Frame();
    EXPECT_EQ(Shown(board->RocketGlyphs(), 10), ".7....left");
    ctx.rockets = 42;
    Frame();
    EXPECT_EQ(Shown(board->RocketGlyphs(), 10), "...42.left");
    ctx.rockets = 1500;
    Frame();
    EXPECT_EQ(Shown(board->RocketGlyphs(), 10), "999...left");
    ctx.rockets = 0;
    Frame();
    EXPECT_EQ(Shown(board->RocketGlyphs(), 10), ".0....left");
}

TEST_F(BoardTest, ScoreIsRightAlignedInSevenPlacesAndNeverOverrunsThem) {
    ctx.score = 1234;
    Frame();
    EXPECT_EQ(Shown(board->ScoreGlyphs(), 7), "...1234");
    ctx.score = 9999999;
    Frame();
    EXPECT_EQ(Shown(board->ScoreGlyphs(), 7), "9999999");
    ctx.score = 123456789;  // more than seven digits: the places hold the cap
    Frame();
    EXPECT_EQ(Shown(board->ScoreGlyphs(), 7), "9999999");
    ctx.score = 5;
    Frame();
    EXPECT_EQ(Shown(board->ScoreGlyphs(), 7), "......5");
}

TEST_F(BoardTest, BarsFollowTheShipsValues) {
    ctx.body = 1875;
    ctx.energy = 0;
    ctx.laserLevel = 3;
    ctx.plasmaLevel = 2;
    Frame();
    EXPECT_NEAR(Right(Quad(Board::kBodyBar)), -0.792f, 1e-4f);
    EXPECT_NEAR(Right(Quad(Board::kEnergyBar)), -0.955f, 1e-4f);
    EXPECT_NEAR(Top(Quad(Board::kLaserBar)), -0.3502f, 1e-4f);
    EXPECT_NEAR(Bottom(Quad(Board::kLaserBar)), -0.02f, 1e-4f);
    EXPECT_NEAR(Top(Quad(Board::kPlasmaBar)), 0.085f, 1e-4f);
    EXPECT_NEAR(Bottom(Quad(Board::kPlasmaBar)), 0.415f, 1e-4f);
    EXPECT_FLOAT_EQ(Quad(Board::kBodyBar)[0].u, 0.531f);
}

TEST_F(BoardTest, ShowsAtMostThreeShipIcons) {
    ctx.shipsLeft = 5;
    Frame();
    EXPECT_EQ(board->IconsShown(), 3u);
    ctx.shipsLeft = 1;
    queue.Clear();
    list.RenderAll();
    EXPECT_EQ(queue.EntryCount(), 3u);
    ctx.shipsLeft = 0;
    queue.Clear();
    list.RenderAll();
    EXPECT_EQ(queue.EntryCount(), 2u) << "no icon batch without ships";
}

TEST_F(BoardTest, DamageFlashesRedAndFadesOut) {
    testing::SoundHarness sound(ctx);
    ctx.energy = 1875;
    ctx.body = 1875;
    Frame();
    EXPECT_EQ(board->flashOn, 0);
    EXPECT_EQ(Quad(Board::kFlash0)[0].diffuse, 0xff550000u);
    ctx.energy = 1725;  // 3750 -> 3600
    Frame();
    EXPECT_EQ(board->flashOn, 1);
    EXPECT_FLOAT_EQ(board->flashLevel, 1.0f);
    EXPECT_EQ(sound.Played(), std::vector<std::string>{"GameDamage"});
    EXPECT_EQ(Quad(Board::kFlash2)[5].diffuse, Board::FlashColour(1.0f));
    EXPECT_EQ(Board::FlashColour(1.0f), 0xfffefefeu);
    EXPECT_EQ(Board::FlashColour(0.5f), 0xffa90000u);
    for (int i = 0; i < 30; ++i) Frame();  // 480 ms at 0.003 per ms
    EXPECT_EQ(board->flashOn, 0);
    EXPECT_EQ(board->flashLevel, 0.0f);

    // A rise in the total (energy bonus) does not flash; a drop to zero does.
    ctx.energy = 1875;
    Frame();
    EXPECT_EQ(board->flashOn, 0);
    ctx.energy = 0;
    ctx.body = 0;
    Frame();
    EXPECT_EQ(board->flashOn, 1);
    EXPECT_EQ(sound.Played().size(), 1u) << "a killing hit flashes silently";
}

TEST_F(BoardTest, PulseLightBreathesOnItsOwnRhythm) {
    int onFrames = 0, offFrames = 0;
    for (int i = 0; i < 1000; ++i) {
        Frame(16);
        (board->pulseOn ? onFrames : offFrames)++;
    }
    // About 785 ms lit for every 333 ms of rest.
    EXPECT_NEAR(static_cast<double>(onFrames) / offFrames, 785.0 / 333.0, 0.15);
}

TEST_F(BoardTest, DrawsThreeBatchesOnlyOnTheGameScreen) {
    ctx.shipsLeft = 2;
    Frame();
    EXPECT_EQ(queue.EntryCount(), 3u);
    ctx.currentScreen = Screen::Menu;
    Frame();
    EXPECT_EQ(queue.EntryCount(), 0u);
}

// --- captions ---------------------------------------------------------------

class CaptionTest : public GameFixture {
protected:
    Caption* Show(CaptionMode mode, std::uint32_t number = 0) {
        auto* c = new Caption(&ctx);
        c->SetMode(mode, number);
        list.AddObject(c);
        return c;
    }
    // Milliseconds until the caption has gone, at the given frame time.
    int Lifetime(CaptionMode mode, std::uint32_t step, std::uint32_t number = 0) {
        Show(mode, number);
        int ms = 0;
        while (!Objects("gtext").empty() && ms < 60000) {
            Frame(step);
            ms += static_cast<int>(step);
        }
        return ms;
    }
};

TEST_F(CaptionTest, TimingsDoNotDependOnTheFrameRate) {
    EXPECT_NEAR(Lifetime(CaptionMode::LevelComplete, 16), 2000, 40);
    EXPECT_NEAR(Lifetime(CaptionMode::LevelComplete, 33), 2000, 70);
    EXPECT_NEAR(Lifetime(CaptionMode::LevelComplete, 5), 2000, 12);
    EXPECT_NEAR(Lifetime(CaptionMode::Picture, 16), 10000, 20);
    EXPECT_NEAR(Lifetime(CaptionMode::ClosingPicture, 16), 19000, 20);
    // Mode 3: 1.1 up at 0.0009 per ms, 800 ms hold, 1.1 out.
    EXPECT_NEAR(Lifetime(CaptionMode::LevelNumber, 16, 4), 1222 + 800 + 1222, 60);
    // Mode 5: the halves meet after 500 ms; 2500 ms later it ends.
    EXPECT_NEAR(Lifetime(CaptionMode::GameOver, 16), 3000, 40);
}

TEST_F(CaptionTest, GameOverHalvesMeetWithAGapInTheMiddle) {
    testing::SoundHarness sound(ctx);
    Caption* c = Show(CaptionMode::GameOver);
    for (int i = 0; i < 40; ++i) Frame();
    EXPECT_EQ(c->stage, 1u);
    EXPECT_FLOAT_EQ(c->position, 1.0f);
    const ScreenVertex* v = c->Vertices();
    EXPECT_NEAR(v[5].y / 300.0f - 1.0f, -0.05f, 1e-4f);  // bottom of the top half
    EXPECT_NEAR(v[6].y / 300.0f - 1.0f, 0.05f, 1e-4f);   // top of the bottom half
    EXPECT_EQ(sound.Played(), std::vector<std::string>{"GameGameov"});
}

TEST_F(CaptionTest, LevelNumberAndWordStayCentredEvenForTheWideTen) {
    for (std::uint32_t n : {0u, 9u}) {
        Caption c(&ctx);
        c.SetMode(CaptionMode::LevelNumber, n);
        EXPECT_FLOAT_EQ(c.position, -1.2f);
        const ScreenVertex* v = c.Vertices();
        const float left = v[0].x / 400.0f - 1.0f;
        const float right = v[11].x / 400.0f - 1.0f;
        EXPECT_NEAR((left + right) / 2, 0.15f, 1e-4f) << n;
        EXPECT_NEAR(right - left, 0.75f + Caption::NumberWidth(n), 1e-4f);
    }
    EXPECT_FLOAT_EQ(Caption::NumberWidth(9), 0.2387f);
    Caption ten(&ctx);
    ten.SetMode(CaptionMode::LevelNumber, 9);
    EXPECT_FLOAT_EQ(ten.Vertices()[6].u, 0.125f);
    EXPECT_FLOAT_EQ(ten.Vertices()[11].v, 0.508f);
}

TEST_F(CaptionTest, UnknownModesAndLevelStartsEndAtOnce) {
    Show(CaptionMode::None);
    Show(static_cast<CaptionMode>(6));
    Frame();
    EXPECT_TRUE(Objects("gtext").empty());
    Show(CaptionMode::ClosingPicture);
    ctx.currentScreen = Screen::Menu;  // paused off the game screen
    for (int i = 0; i < 2000; ++i) Frame();
    EXPECT_EQ(Objects("gtext").size(), 1u);
    ctx.gameStartPending = 1;
    Frame();
    EXPECT_TRUE(Objects("gtext").empty());
}

}  // namespace
}  // namespace dw
