#include "frontend/main_menu.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/game_context.h"
#include "core/log.h"
#include "engine/list_engine.h"
#include "frontend/help_screen.h"
#include "frontend/high_scores.h"
#include "frontend/options_screen.h"
#include "frontend/records_table.h"
#include "frontend/ui_common.h"
#include "assets/asset_names.h"
#include "media/glyph_text.h"
#include "assets/sound.h"
#include "platform/input.h"
#include "platform/services.h"

namespace dw {

namespace {

constexpr float kZ = 0.5f;
constexpr float kLeft = 0.158f, kRight = 0.708f;
constexpr char kGreeting[] = "Greetings, Captain!";

struct SiteLayout {
    float cx, hw, cy, hhf, u0, u1, v0, v1;
    std::uint8_t enabled;
};
constexpr SiteLayout kSites[5] = {
    {-0.07f, 0.09f, 0.65f, 0.013f, 0.307f, 0.96f, 0.003f, 0.285f, 0},
    {-0.19f, 0.102f, 0.83f, 0.084f, 0.001f, 0.249f, 0.285f, 0.999f, 1},
    {0.02f, 0.102f, 0.83f, 0.084f, 0.251f, 0.499f, 0.285f, 0.999f, 1},
    {0.23f, 0.102f, 0.83f, 0.084f, 0.501f, 0.749f, 0.285f, 0.999f, 1},
    {0.44f, 0.102f, 0.83f, 0.084f, 0.751f, 0.999f, 0.285f, 0.999f, 1},
};

std::int32_t Thousandths(float v) { return static_cast<std::int32_t>(v * 1000.0f); }

}  // namespace

std::uint32_t ReadBestScore(GameContext* ctx) {
    const std::string path = ctx->UserFile(kRecordsFile);
    std::uint32_t best = 800000;
    RecordRead read = RecordRead::Missing;
    const RecordTable table = LoadRecordTable(path, &read);
    if (read == RecordRead::Complete) {
        best = table.scores[0];
    } else if (read == RecordRead::NotRegular) {
        if (ctx->log) ctx->log->WriteLine(kRecordsNotRegular);
    } else if (read == RecordRead::Missing && SaveRecordTable(path, DefaultRecordTable()) != RecordWrite::Written &&
               ctx->log) {
        ctx->log->WriteLine(kRecordsWriteFailed);
    }
    return std::max(best, ctx->score);
}

MainMenu::MainMenu(GameContext* ctx) : MyObject(ctx) {
    name = "menu";
    order = 45;
    visible = 1;
    SetPending(kMain, 5, 0);
    ctx->mainMenuPage = page;  // published for the program (the attract mode)
    for (int i = 0; i < 5; ++i) {
        auto* site = new SiteButton(ctx);
        const SiteLayout& s = kSites[i];
        site->Setup(s.cx, s.hw, s.cy, s.hhf, s.u0, s.u1, s.v0, s.v1, s.enabled, "");
        siteButtons[i] = site;
        if (ctx->objectList) ctx->objectList->AddObject(site);
    }
    ctx->bestScore = ReadBestScore(ctx);
    RestoreDeviceObjects();
}

std::int32_t MainMenu::RestoreDeviceObjects() {
    SetQuadScreen(background_, -1, 1, -1, 1, 0.001f, 0.999f, 0.001f, 0.999f);
    ui::PrepareQuads(background_, 1, kZ, 0xFFFFFFFFu);

    // The picture frame: four corners, edges along each side, an ornament.
    ScreenVertex* q = frame_;
    const float cw = 0.07f, ch = 0.07f * 4.0f / 3.0f;  // square corners on a 4:3 screen
    const ui::Cell c = ui::kFrameCorner;
    SetQuadScreen(q, -1, -1 + cw, -1, -1 + ch, c.u0, c.u1, c.v0, c.v1), q += 6;
    SetQuadScreen(q, 1 - cw, 1, -1, -1 + ch, c.u1, c.u0, c.v0, c.v1), q += 6;
    SetQuadScreen(q, -1, -1 + cw, 1 - ch, 1, c.u0, c.u1, c.v1, c.v0), q += 6;
    SetQuadScreen(q, 1 - cw, 1, 1 - ch, 1, c.u1, c.u0, c.v1, c.v0), q += 6;
    const ui::Cell eh = ui::kFrameEdgeH, ev = ui::kFrameEdgeV;
    const float edge = 0.045f, edgeY = edge * 4.0f / 3.0f;
    const float segW = (2.0f - 2.0f * cw) / 8.0f;
    for (int i = 0; i < 8; ++i) {
        const float x = -1 + cw + segW * static_cast<float>(i);
        SetQuadScreen(q, x, x + segW, -1, -1 + edgeY, eh.u0, eh.u1, eh.v0, eh.v1), q += 6;
        SetQuadScreen(q, x, x + segW, 1 - edgeY, 1, eh.u0, eh.u1, eh.v1, eh.v0), q += 6;
    }
    const float segH = (2.0f - 2.0f * ch) / 5.0f;
    for (int i = 0; i < 5; ++i) {
        const float y = -1 + ch + segH * static_cast<float>(i);
        SetQuadScreen(q, -1, -1 + edge, y, y + segH, ev.u0, ev.u1, ev.v0, ev.v1), q += 6;
        SetQuadScreen(q, 1 - edge, 1, y, y + segH, ev.u1, ev.u0, ev.v0, ev.v1), q += 6;
    }
    const ui::Cell gem = ui::kFrameGem;
    SetQuadScreen(q, -0.05f, 0.05f, -1, -1 + 0.1f * 4.0f / 3.0f, gem.u0, gem.u1, gem.v0, gem.v1);
    ui::PrepareQuads(frame_, kFrameQuads, kZ, 0xFFFFFFFFu);

    // Greeting: 20 glyph places, then a run of 19 that stays blank.
    for (int i = 0; i < 20; ++i) {
        const float x = 0.557f + 0.018f * static_cast<float>(i);
        SetQuadScreen(glyphs_ + 6 * i, x, x + 0.028f, -0.9f, -0.84f, 0, 0, 0, 0);
    }
    for (int i = 0; i < 19; ++i) {
        const float x = 0.566f + 0.018f * static_cast<float>(i);
        SetQuadScreen(glyphs_ + 6 * (20 + i), x, x + 0.028f, -0.9f, -0.84f, 0, 0, 0, 0);
    }
    ui::PrepareQuads(glyphs_, kGlyphs, kZ, 0xFFFFFFFFu);
    ClearGlyphs(glyphs_, kGlyphs);
    SetGlyphText(glyphs_, kGreeting);

    const ui::Cell em = ui::kMenuEmblem;
    SetQuadScreen(emblem_, 0.623f, 0.883f, 0.8f, 0.999f, em.u0, em.u1, em.v0, em.v1);
    ui::PrepareQuads(emblem_, 1, kZ, 0xFFFFFFFFu);

    const float side = static_cast<float>(context->screenWidth) * pointerSize;
    SetQuadPixels(pointer_, (cursorX + 1.0f) * static_cast<float>(context->screenWidth) * 0.5f,
                  (cursorY + 1.0f) * static_cast<float>(context->screenHeight) * 0.5f, side, side, 0.876f, 0.999f,
                  0.126f, 0.249f);
    ui::PrepareQuads(pointer_, 1, kZ, 0xFFFFFFFFu);

    // Captions.
    auto caption = [&](int k, float top, float bottom, float u0, float u1, float v0, float v1) {
        SetQuadScreen(captions_ + 6 * k, kLeft, kRight, top, bottom, u0, u1, v0, v1);
    };
    for (int i = 0; i < 5; ++i) {
        const float f = static_cast<float>(i);
        caption(i, -0.425f + 0.175f * f, -0.275f + 0.175f * f, 0.001f, 0.499f, 0.126f + 0.125f * f,
                0.249f + 0.125f * f);
    }
    for (int i = 0; i < 6; ++i) {
        const float f = static_cast<float>(i);
        caption(5 + i, -0.5125f + 0.175f * f, -0.3625f + 0.175f * f, 0.001f, 0.499f, 0.001f + 0.125f * f,
                0.124f + 0.125f * f);
    }
    caption(11, -0.25f, -0.1f, 0.501f, 0.999f, 0.001f, 0.124f);
    caption(12, -0.075f, 0.075f, 0.001f, 0.499f, 0.751f, 0.874f);
    caption(13, 0.1f, 0.25f, 0.001f, 0.499f, 0.876f, 0.999f);
    for (int i = 0; i < 10; ++i) {
        const float f = static_cast<float>(i);
        caption(14 + i, -0.4875f + 0.1f * f, -0.4125f + 0.1f * f, 0.501f, 0.999f, 0.126f + 0.0625f * f,
                0.175f + 0.0625f * f);
    }
    ui::PrepareQuads(captions_, kCaptions, kZ, 0xFFFFFFFFu);
    return 0;
}

void MainMenu::SetPending(std::uint32_t newPage, std::uint32_t items, std::uint32_t newSelection) {
    pendingChange = 1;
    pendingPage = newPage;
    pendingSelection = newSelection;
    itemCount = items;
}

void MainMenu::SetPage(std::uint32_t newPage) {
    page = newPage;
    context->mainMenuPage = newPage;
}

MainMenu::~MainMenu() {
    if (context && context->mainMenuPage == page) context->mainMenuPage = GameContext::kNoMenuPage;
}

void MainMenu::OpenChild(std::uint32_t childPage) {
    // The child screen takes over at once; the menu shows no page meanwhile.
    SetPage(childPage);
    // Deliberate (docs/DECISIONS.md): a child screen clears the pending page.
    pendingChange = 0;
    captionCount = 0;
    MyObject* child = nullptr;
    if (childPage == kHighScores)
        child = new HighScores(context);
    else if (childPage == kHelp)
        child = new HelpScreen(context);
    else
        child = new OptionsScreen(context);
    child->RestoreDeviceObjects();
    if (context->objectList)
        context->objectList->AddObject(child);
    else
        delete child;
}

void MainMenu::Quit() {
    context->quitRequest = 1;
    context->normalExit = 1;
}

void MainMenu::Activate() {
    GameContext& c = *context;
    if (selection == kScoreItem) {
        c.gameInProgress = 0;
        c.scoreFromGame = 1;
        OpenChild(kHighScores);
        return;
    }
    // The page shows the variant with a game to resume when it has six items.
    const bool inGame = itemCount == 6;
    switch (page) {
        case kMain: {
            // Without a game the items are those of the game variant from 1 on.
            const std::uint32_t item = inGame ? selection : selection + 1;
            switch (item) {
                case 0:
                    c.screenChangeRequest = 1;
                    c.requestedScreen = Screen::Game;
                    c.musicRequest = MusicRequest::GameTheme;
                    break;
                case 1:
                    // The questions open on No: Enter twice keeps the game.
                    if (inGame)
                        SetPending(kAskNewGame, 2, 1);
                    else
                        SetPending(kLevels, 10, 0);
                    break;
                case 2: OpenChild(kHighScores); break;
                case 3: OpenChild(kHelp); break;
                case 4: OpenChild(kOptions); break;
                case 5:
                    if (inGame)
                        SetPending(kAskExit, 2, 1);
                    else
                        Quit();
                    break;
                default: break;
            }
            break;
        }
        case kAskNewGame:
            if (selection == 0)
                SetPending(kLevels, 10, 0);
            else
                SetPending(kMain, 6, 1);
            break;
        case kAskExit:
            if (selection == 0)
                Quit();
            else
                SetPending(kMain, 6, 5);
            break;
        case kLevels: ChooseLevel(selection); break;
        default: break;
    }
}

void MainMenu::ChooseLevel(std::uint32_t level) {
    context->currentLevel = level;
    context->levelStartRequest = 1;
    SetPending(kMain, 6, 0);
}

void MainMenu::Back() {
    const bool inGame = context->gameInProgress != 0;
    switch (page) {
        case kLevels: SetPending(kMain, inGame ? 6 : 5, inGame ? 1 : 0); break;
        case kAskNewGame: SetPending(kMain, 6, 1); break;
        case kAskExit: SetPending(kMain, 6, 5); break;
        default: return;
    }
    soundToPlay = 2;
}

void MainMenu::MoveCursor() {
    GameContext& c = *context;
    const float w = static_cast<float>(c.screenWidth), h = static_cast<float>(c.screenHeight);
    velocityX = (2.0f * c.cursorDeltaX / w + velocityX) * 0.55f;
    velocityY = (1.5f * c.cursorDeltaY / h + velocityY) * 0.55f;
    cursorX = std::clamp(cursorX + velocityX, -1.0f, 1.0f);
    cursorY = std::clamp(cursorY + velocityY, -1.0f, 1.0f);
    c.layoutCursorX = cursorX;
    c.layoutCursorY = cursorY;
    const float side = w * pointerSize;
    SetQuadPixels(pointer_, (cursorX + 1.0f) * w * 0.5f, (cursorY + 1.0f) * h * 0.5f, side, side, 0.876f, 0.999f,
                  0.126f, 0.249f);
}

void MainMenu::TakeChildSignals() {
    GameContext& c = *context;
    const bool inGame = c.gameInProgress != 0;
    auto closed = [&](std::uint8_t& signal, std::uint32_t sel) {
        if (!signal) return;
        signal = 0;
        SetPending(kMain, inGame ? 6 : 5, inGame ? sel + 1 : sel);
        clickHeld = 1;
    };
    if (c.highScoresClosed) c.scoreFromGame = 0;
    closed(c.highScoresClosed, 1);
    closed(c.optionsClosed, 3);
    closed(c.helpClosed, 2);
}

void MainMenu::TakePendingChange() {
    if (!pendingChange) return;
    pendingChange = 0;
    SetPage(pendingPage);
    selection = pendingSelection;
    switch (page) {
        case kMain:
            firstCaption = itemCount == 6 ? 5 : 0;
            captionCount = itemCount == 6 ? 6 : 5;
            break;
        case kAskNewGame:
        case kAskExit:
            firstCaption = 11;
            captionCount = 3;
            break;
        case kLevels:
            firstCaption = 14;
            captionCount = 10;
            break;
        default: captionCount = 0; break;
    }
}

std::uint32_t MainMenu::ListRows() const {
    if (page == kLevels) return 10;
    if (page == kAskNewGame || page == kAskExit) return 2;
    return itemCount;
}

float MainMenu::ListTop() const {
    if (page == kLevels) return -(10.0f * (0.075f + 0.025f) - 0.025f) / 2.0f;
    const float n = static_cast<float>(ListRows());
    float top = -(n * (rowHeight + rowGap) - rowGap) / 2.0f;
    if (page == kAskNewGame || page == kAskExit) top += (rowHeight + rowGap) / 2.0f;
    return top;
}

int MainMenu::RowAt(float y) const {
    const float top = ListTop();
    for (std::uint32_t i = 0; i < ListRows(); ++i) {
        const float rowTop = top + static_cast<float>(i) * (rowHeight + rowGap);
        if (y >= rowTop && y <= rowTop + rowHeight) return static_cast<int>(i);
    }
    return -1;
}

void MainMenu::WorkList() {
    GameContext& c = *context;
    if (page == kLevels) {
        rowHeight = 0.075f;
        rowGap = 0.025f;
    } else {
        rowHeight = 0.15f;
        rowGap = 0.025f;
    }
    const std::uint32_t rows = ListRows();
    // The last row that may be chosen.
    const std::uint32_t last = page == kLevels ? std::min<std::uint32_t>(c.levelIndex, 9) : rows - 1;
    const float top = ListTop();
    const float bottom = top + static_cast<float>(rows) * (rowHeight + rowGap) - rowGap;
    const float choosableBottom = top + static_cast<float>(last) * (rowHeight + rowGap) + rowHeight;
    const bool inColumn = cursorX > kLeft && cursorX < kRight;

    MoveSelection(last, top, bottom, inColumn);
    TakeChoice(last, top, choosableBottom, inColumn);
    Highlight();
    phase += static_cast<float>(c.frameTimeAverage) * 0.005f;
}

// The arrows, or the pointer over a row of the column (top to bottom),
// choose a row up to `last`.
void MainMenu::MoveSelection(std::uint32_t last, float top, float bottom, bool inColumn) {
    GameContext& c = *context;
    if (Thousandths(cursorX) == lastCursorX && Thousandths(cursorY) == lastCursorY) {
        if (c.keys[DIK_UP] && !arrowLock) {
            arrowLock = 1;
            soundToPlay = 1;
            if (selection > 0) --selection;
        } else if (c.keys[DIK_DOWN] && !arrowLock) {
            arrowLock = 1;
            soundToPlay = 1;
            if (selection < last) ++selection;
        }
    } else {
        if (inColumn && cursorY > top && cursorY < bottom) {
            const int row = RowAt(cursorY);
            if (row >= 0 && static_cast<std::uint32_t>(row) <= last && static_cast<std::uint32_t>(row) != selection) {
                selection = static_cast<std::uint32_t>(row);
                soundToPlay = 1;
            }
        }
        lastCursorX = Thousandths(cursorX);
        lastCursorY = Thousandths(cursorY);
    }
    if (!c.keys[DIK_UP] && !c.keys[DIK_DOWN]) arrowLock = 0;
}

// Escape goes back; Enter, or a click on a row that may be chosen (the
// column down to `choosableBottom`), activates it.
void MainMenu::TakeChoice(std::uint32_t last, float top, float choosableBottom, bool inColumn) {
    GameContext& c = *context;
    const bool back = c.keys[DIK_ESCAPE] || c.keys[DIK_BACK];
    if (back && !backHeld) Back();
    backHeld = back ? 1 : 0;
    if (ui::EnterDown(c) && !enterHeld) {
        enterHeld = 1;
        soundToPlay = 2;
        Activate();
    }
    if (c.mouseButtons[0] && !clickHeld && inColumn && cursorY > top && cursorY < choosableBottom && captionCount > 0) {
        clickHeld = 1;
        c.screenChanged = 1;
        const int row = RowAt(cursorY);
        if (row >= 0 && static_cast<std::uint32_t>(row) <= last) selection = static_cast<std::uint32_t>(row);
        soundToPlay = 2;
        Activate();
    }
}

void MainMenu::Highlight() {
    ui::ColourQuads(captions_, kCaptions, 0xFFFFFFFFu);
    if (page == kLevels)
        for (std::uint32_t i = std::min<std::uint32_t>(context->levelIndex, 9) + 1; i < 10; ++i)
            ui::ColourQuads(captions_ + 6 * (14 + i), 1, 0xFF999999u);
    std::uint32_t k = selection;
    if (page == kMain && itemCount == 6) k = selection + 5;
    if (page == kAskNewGame || page == kAskExit) k = selection + 12;
    if (page == kLevels) k = selection + 14;
    if (k < static_cast<std::uint32_t>(kCaptions)) ui::ColourQuads(captions_ + 6 * k, 1, ui::PulseGreen(phase));
}

std::int32_t MainMenu::FrameMove() {
    GameContext& c = *context;
    if (c.levelChoiceRequest) {
        c.levelChoiceRequest = 0;
        SetPending(kMain, 6, 0);  // the level itself was started by whoever asked
    }
    if (!ui::FrontEndActive(&c)) return 0;
    MoveCursor();
    TakeChildSignals();
    if (c.highScoreCheckRequest) {
        c.highScoreCheckRequest = 0;
        selection = kScoreItem;
        Activate();
    }
    TakePendingChange();
    if (page == kMain || page == kAskNewGame || page == kAskExit || page == kLevels) WorkList();
    if (soundToPlay == 1) PlaySound(&c, asset::MenuSelect);
    if (soundToPlay == 2) PlaySound(&c, asset::MenuPress);
    soundToPlay = 0;
    if (!ui::EnterDown(c)) enterHeld = 0;
    if (!c.mouseButtons[0]) clickHeld = 0;
    return 0;
}

std::int32_t MainMenu::Render() {
    if (!ui::FrontEndActive(context)) return 0;
    ui::SubmitSprites(context, asset::MenuTex, background_, 2, 2.7f, true, false);
    ui::SubmitSprites(context, asset::ShotTex, frame_, 2 * kFrameQuads, 2.67f);
    ui::SubmitSprites(context, asset::SymbolMid, glyphs_, 2 * kGlyphs, 2.65f);
    ui::SubmitSprites(context, asset::BoardTex, emblem_, 2, 2.65f);
    ui::SubmitSprites(context, asset::Help0Tex, pointer_, 2, 2.55f);
    if ((page == kMain || page == kAskNewGame || page == kAskExit || page == kLevels) && captionCount > 0)
        ui::SubmitSprites(context, asset::Help5Tex, captions_ + 6 * firstCaption, 2 * captionCount, 2.65f);
    return 0;
}

}  // namespace dw
