// The help screen: closing only on a fresh click, the page button's hot
// area on each page, what each page draws, the icons' animation.
#include <gtest/gtest.h>

#include <utility>

#include "assets/asset_names.h"
#include "render/render_queue.h"
#include "frontend/help_screen.h"
#include "frontend/ui_common.h"
#include "frontend_fixture.h"

namespace dw {
namespace {

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
    }
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
