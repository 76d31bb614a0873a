// The help screen: closing only on a fresh click, the page button's hot
// area on each page, what each page draws, the icons' animation.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "assets/asset_names.h"
#include "render/render_queue.h"
#include "frontend/help_screen.h"
#include "frontend/ui_common.h"
#include "frontend_fixture.h"

namespace dw {
namespace {

// The screen rectangle a quad's six vertices cover.
struct Box {
    float x0, y0, x1, y1;
};
Box BoxOf(const ScreenVertex* q) {
    Box b{q[0].x, q[0].y, q[0].x, q[0].y};
    for (int v = 1; v < 6; ++v) {
        b.x0 = std::min(b.x0, q[v].x);
        b.x1 = std::max(b.x1, q[v].x);
        b.y0 = std::min(b.y0, q[v].y);
        b.y1 = std::max(b.y1, q[v].y);
    }
    return b;
}

class Help : public testing::FrontEndFixture {
protected:
    HelpScreen* Open() {
        auto* h = new HelpScreen(&ctx);
        list.AddObject(h);
        return h;
    }
    void Cursor(float x, float y) {
        ctx.layoutCursorX = x;
        ctx.layoutCursorY = y;
    }
};

TEST_F(Help, AHeldClickDoesNotCloseItAndThePageButtonTurnsThePage) {
    HelpScreen* h = Open();
    Cursor(0.2f, 0.54f);  // on the back button, button still held from the menu
    ctx.mouseButtons[0] = 0x80;
    Frame();
    EXPECT_EQ(ctx.helpClosed, 0);
    ctx.mouseButtons[0] = 0;
    Frame();
    // The page button's area starts at 0.518 on page 1.
    Cursor(0.47f, 0.54f);
    Click();
    EXPECT_EQ(h->page2, 0);
    Cursor(0.6f, 0.54f);
    Click();
    EXPECT_EQ(h->page2, 1);
    EXPECT_EQ(queue.EntryCount(), 4u);  // frame, buttons, the page-2 sheet, the key lines
    // On page 2 it starts at 0.426.
    Cursor(0.47f, 0.54f);
    Click();
    EXPECT_EQ(h->page2, 0);
    EXPECT_EQ(queue.EntryCount(), 4u);  // frame, buttons, text lines and title, icons
    Cursor(0.2f, 0.54f);
    Click();
    EXPECT_EQ(ctx.helpClosed, 1);
    EXPECT_TRUE(Objects("help").empty());
}

// The frame lies behind everything the page draws on it: its key is the
// largest, so it is drawn first whatever the sheets' names.
TEST_F(Help, TheFrameIsDrawnBehindThePageOnBothPages) {
    HelpScreen* h = Open();
    Frame();
    for (int page = 0; page < 2; ++page) {
        if (page == 1) Tap(DIK_RIGHT);
        ASSERT_EQ(h->page2, page);
        ASSERT_GE(queue.EntryCount(), 3u);
        const DrawEntry& frame = queue.EntryAt(0);
        EXPECT_STREQ(frame.texture, asset::Help5Tex);
        EXPECT_EQ(frame.primitiveCount, 2u);
        for (std::size_t i = 1; i < queue.EntryCount(); ++i)
            EXPECT_GT(frame.sortKey, queue.EntryAt(i).sortKey) << "page " << page + 1 << ", entry " << i;
    }
}

// Page 2 at the smallest window and a wide one (the 4:3 picture of
// 1920 x 1080): the title inside the frame's band, every line below the
// band's rule, none over the next, the last above the buttons.
TEST_F(Help, PageTwoKeepsItsLinesBetweenTheTitleBandAndTheButtons) {
    HelpScreen* h = Open();
    for (const auto& [w, hgt] : {std::pair{800, 600}, std::pair{1440, 1080}}) {
        SCOPED_TRACE(w);
        ctx.screenWidth = w;
        ctx.screenHeight = hgt;
        h->RestoreDeviceObjects();
        const ScreenVertex* frame = h->Frame();
        const float rule = frame[0].y + ui::kHelpFrameBandEnd * (frame[2].y - frame[0].y);
        const ScreenVertex* lines = h->Page2Lines();
        EXPECT_GT(lines[0].y, frame[0].y);
        EXPECT_LT(lines[2].y, rule);
        for (int k = 1; k < HelpScreen::kPage2Lines; ++k) {
            const ScreenVertex* line = lines + 6 * k;
            EXPECT_GT(line[0].y, rule + 0.01f * static_cast<float>(hgt)) << "line " << k;
            if (k + 1 < HelpScreen::kPage2Lines) {
                EXPECT_LE(line[2].y, line[6].y) << "line " << k;
            }
        }
        EXPECT_LT(lines[6 * (HelpScreen::kPage2Lines - 1) + 2].y, h->Buttons()[0].y);
        // The text itself: every glyph in its line's place, under the rule,
        // clear of the frame's edge (the places end short of it).
        const Box place = BoxOf(lines + 6), box = BoxOf(frame);
        EXPECT_LE(place.x1, box.x1 - 0.015f * static_cast<float>(w));
        ASSERT_GT(h->TextGlyphCount(), 100);
        for (int g = 0; g < h->TextGlyphCount(); ++g) {
            const Box glyph = BoxOf(h->TextGlyphs() + 6 * g);
            EXPECT_GT(glyph.y0, rule + 0.01f * static_cast<float>(hgt)) << "glyph " << g;
            EXPECT_GE(glyph.x0, place.x0 - 0.5f) << "glyph " << g;
            EXPECT_LE(glyph.x1, place.x1 + 0.5f) << "glyph " << g;
            EXPECT_LT(glyph.y1, h->Buttons()[0].y) << "glyph " << g;
        }
    }
}

// Page 2 says how the ship is steered (the mouse first) and what the bars
// mean, in one font: the title from the sheet, every line in glyphs.
TEST_F(Help, PageTwoNamesTheMouseAndTheKeysInOneFont) {
    HelpScreen* h = Open();
    const auto& text = h->TextLines();
    EXPECT_EQ(text[0], "Mouse: steer the ship");
    EXPECT_EQ(text[1].rfind("Steer: ", 0), 0u) << text[1];
    bool energy = false;
    for (const auto& line : text) energy = energy || line.find("energy") != std::string::npos;
    EXPECT_TRUE(energy);
}

TEST_F(Help, IconsStepAtTwentyFiveFramesASecondAndWrap) {
    HelpScreen* h = Open();
    for (int i = 0; i < 100; ++i) Frame(10);  // one second
    // A step each time the timer passes 1 (every 50 ms at 10 ms a frame,
    // counting the frame that resets it).
    const std::uint32_t steps = h->icons[7].frame;  // 32 frames: no wrap yet
    EXPECT_GE(steps, 19u);
    EXPECT_LE(steps, 25u);
    EXPECT_EQ(h->icons[0].frame, steps % 8);
    EXPECT_EQ(h->icons[1].frame, steps % 16);
    EXPECT_EQ(h->icons[4].frame, (8 + steps) % 16);
    // Icon 7 has two rows of 16 cells.
    h->icons[7].frame = 17;
    for (int i = 0; i < 5; ++i) Frame(10);
    EXPECT_GT(h->IconQuads()[6 * 7].v, 0.8125f + 0.0625f);
}

}  // namespace
}  // namespace dw
