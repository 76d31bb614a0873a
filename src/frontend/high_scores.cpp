#include "frontend/high_scores.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/game_context.h"
#include "core/log.h"
#include "frontend/ui_common.h"
#include "assets/asset_names.h"
#include "media/glyph_text.h"
#include "media/input_objects.h"
#include "assets/sound.h"
#include "platform/input.h"
#include "platform/services.h"

namespace dw {

namespace {

constexpr float kGlyphZ = 0.5f;

float RowTop(int r) { return 0.09f * static_cast<float>(r) - 0.35f; }
float RowBottom(int r) { return 0.09f * static_cast<float>(r) - 0.29f; }

struct TypedChar {
    char c;
    bool shift;
};

// The characters name entry accepts, in the order they are tried.
constexpr TypedChar kTyped[] = {
    {'A', true},  {'B', true},  {'C', true},  {'D', true},  {'E', true},  {'F', true},  {'G', true},  {'H', true},
    {'I', true},  {'J', true},  {'K', true},  {'L', true},  {'M', true},  {'N', true},  {'O', true},  {'P', true},
    {'Q', true},  {'R', true},  {'S', true},  {'T', true},  {'U', true},  {'V', true},  {'W', true},  {'X', true},
    {'Y', true},  {'Z', true},  {'a', false}, {'b', false}, {'c', false}, {'d', false}, {'e', false}, {'f', false},
    {'g', false}, {'h', false}, {'i', false}, {'j', false}, {'k', false}, {'l', false}, {'m', false}, {'n', false},
    {'o', false}, {'p', false}, {'q', false}, {'r', false}, {'s', false}, {'t', false}, {'u', false}, {'v', false},
    {'w', false}, {'x', false}, {'y', false}, {'z', false}, {'0', false}, {'1', false}, {'2', false}, {'3', false},
    {'4', false}, {'5', false}, {'6', false}, {'7', false}, {'8', false}, {'9', false}, {' ', false}, {',', false},
    {'-', false}, {'.', false}, {':', false}, {'!', true},  {'"', true},  {'#', true},  {'*', true},  {'+', true},
    {';', true},  {'<', true},  {'>', true},  {'?', true},  {'@', true},  {'_', true},
};

std::uint8_t KeyOf(char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return CharToScanCode(c);
}

}  // namespace

bool NameEntryCanType(std::string_view name) {
    if (name.size() > HighScores::kNameGlyphs) return false;
    for (const char c : name) {
        bool typed = false;
        for (const TypedChar& t : kTyped) typed = typed || (t.c == c && KeyOf(t.c) != 0);
        if (!typed) return false;
    }
    return true;
}

HighScores::HighScores(GameContext* ctx) : MyObject(ctx) {
    name = "records";
    order = 46;
    visible = 1;
    RecordRead read = RecordRead::Missing;
    table = LoadRecordTable(ctx->UserFile(kRecordsFile), &read);
    if (read == RecordRead::NotRegular && ctx->log) ctx->log->WriteLine(kRecordsNotRegular);
    lastCaretToggle = ctx->timeNow;
    if (!ctx->scoreFromGame) return;
    const int p = InsertionPlace(table, ctx->score);
    if (p >= RecordTable::kPlaces) {
        PlaySound(ctx, asset::MenuLoser);
        return;
    }
    nameEntry = 1;
    PlaySound(ctx, asset::MenuWiner);
    place = p;
    entryScore = ctx->score;
    InsertScore(table, p, ctx->score);
}

std::int32_t HighScores::RestoreDeviceObjects() {
    SetQuadScreen(panel_, 0.158f, 0.708f, -0.55f, -0.4f, ui::kTitleHighScores.u0, ui::kTitleHighScores.u1,
                  ui::kTitleHighScores.v0, ui::kTitleHighScores.v1);
    ui::SetAreaQuad(*this, panel_ + 6, ui::kBackButtonArea, ui::kBackButton);
    ui::SetAreaQuad(*this, panel_ + 12, ui::kNextPageArea, ui::kNextPageButton);
    ui::SetAreaQuad(*this, panel_ + 18, ui::kPrevPageArea, ui::kPrevPageButton);
    ui::PrepareQuads(panel_, 4, kGlyphZ, 0xFFFFFFFFu);
    if (backHover) ui::ColourQuads(panel_ + 6, 1, ui::PulseGreen(phase));
    if (pageHover) ui::ColourQuads(panel_ + (onlineShown ? 18 : 12), 1, ui::PulseGreen(phase));
    online.Update(*this, table, true);
    for (int r = 0; r < RecordTable::kPlaces; ++r) {
        for (int j = 0; j < kNameGlyphs; ++j) {
            const float x = 0.158f + 0.022f * static_cast<float>(j);
            SetQuadScreen(NameRun(r) + 6 * j, x, x + 0.032f, RowTop(r), RowBottom(r), 0, 0, 0, 0);
        }
        for (int j = 0; j < kScoreGlyphs; ++j) {
            const float x = 0.533f + 0.022f * static_cast<float>(j);
            SetQuadScreen(ScoreRun(r) + 6 * j, x, x + 0.032f, RowTop(r), RowBottom(r), 0, 0, 0, 0);
        }
    }
    for (int j = 0; j < 7; ++j) {
        const float x = 0.324f + 0.029f * static_cast<float>(j);
        SetQuadScreen(SevenRun() + 6 * j, x, x + 0.044f, 0.395f, 0.475f, 0, 0, 0, 0);
    }
    for (int j = 0; j < 6; ++j) {
        const float x = 0.339f + 0.029f * static_cast<float>(j);
        SetQuadScreen(SixRun() + 6 * j, x, x + 0.044f, 0.395f, 0.475f, 0, 0, 0, 0);
    }
    ui::PrepareQuads(glyphs_, kGlyphs, kGlyphZ, 0xFFFFFFFFu);
    for (int j = 0; j < kNoteGlyphs; ++j) {
        const float x = 0.158f + 0.017f * static_cast<float>(j);
        SetQuadScreen(note_ + 6 * j, x, x + 0.025f, 0.347f, 0.392f, 0, 0, 0, 0);
    }
    ui::PrepareQuads(note_, kNoteGlyphs, kGlyphZ, 0xFFFF8080u);
    ClearGlyphs(note_, kNoteGlyphs);
    if (noteShown) SetGlyphText(note_, kNotSavedNote);
    ui::PrepareQuads(caret_, 1, kGlyphZ, 0xFFFFFFFFu);
    Refresh();
    return 0;
}

void HighScores::Refresh() {
    GameContext& c = *context;
    CapScores(table);
    if (nameEntry) std::memcpy(table.names[place], typedName, sizeof typedName);
    ClearGlyphs(glyphs_, kGlyphs);
    for (int r = 0; r < RecordTable::kPlaces; ++r) {
        char name16[17] = {};
        std::memcpy(name16, table.names[r], 16);
        SetGlyphText(NameRun(r), name16);
        const std::uint32_t digits = DecimalDigits(table.scores[r]);
        SetGlyphNumber(ScoreRun(r) + 6 * (kScoreGlyphs - digits), table.scores[r]);
    }
    if (c.scoreFromGame) {
        // Deliberate (docs/DECISIONS.md): the last score shown is capped.
        const std::uint32_t shown = c.score > RecordTable::kScoreCap ? RecordTable::kScoreCap : c.score;
        const std::uint32_t n = DecimalDigits(shown);
        if (n % 2 == 1)
            SetGlyphNumber(SevenRun() + 6 * ((7 - n) / 2), shown);
        else
            SetGlyphNumber(SixRun() + 6 * ((6 - n) / 2), shown);
    } else {
        SetGlyphText(SixRun(), "-0000-");
    }
    if (nameEntry) {
        const float len = static_cast<float>(std::strlen(typedName));
        SetQuadScreen(caret_, 0.165f + 0.022f * len, 0.185f + 0.022f * len, RowTop(place), RowBottom(place),
                      ui::kCaret.u0, ui::kCaret.u1, ui::kCaret.v0, ui::kCaret.v1);
    }
}

void HighScores::Save() {
    GameContext& c = *context;
    const bool entry = nameEntry != 0;
    if (entry) std::memcpy(table.names[place], typedName, sizeof typedName);
    nameEntry = 0;
    caretVisible = 0;
    CapScores(table);
    const std::string path = c.UserFile(kRecordsFile);
    RecordWrite w = RecordWrite::Written;
    if (entry) {
        // The table on disk now, which another copy of the game may have
        // changed since this one read it, takes this entry.
        RecordTable merged = table;
        int taken = RecordTable::kPlaces;
        w = SaveRecordEntry(path, typedName, entryScore, merged, taken, c.keepReplay);
        if (w == RecordWrite::Written) {
            table = merged;
            place = taken;
            ++c.recordSaves;
            c.recordSavedPlace = taken;
            c.recordSavedName = typedName;
        } else if (w == RecordWrite::Unchanged) {
            table = merged;  // the places filled meanwhile
        }
    } else {
        w = SaveRecordTable(path, table);
    }
    // Any save that did not reach the disk is logged, and said.
    if (w != RecordWrite::Written && w != RecordWrite::Unchanged) {
        if (c.log) c.log->WriteLine(kRecordsWriteFailed);
        std::fprintf(stderr, "duskwhirl: the high score was not saved to %s: %s\n", path.c_str(), RecordWriteText(w));
        noteShown = 1;
        SetGlyphText(note_, kNotSavedNote);
    }
    Refresh();
}

void HighScores::TypeCharacters() {
    GameContext& c = *context;
    const bool shift = c.keys[DIK_LSHIFT] || c.keys[DIK_RSHIFT];
    bool changed = false;
    for (const TypedChar& t : kTyped) {
        const std::uint8_t key = KeyOf(t.c);
        if (!key || t.shift != shift || !c.keys[key] || held[key]) continue;
        const std::size_t len = std::strlen(typedName);
        if (len >= 16) continue;
        typedName[len] = t.c;
        typedName[len + 1] = 0;
        held[key] = 1;
        changed = true;
    }
    if (c.keys[DIK_BACK] && !held[DIK_BACK]) {
        held[DIK_BACK] = 1;
        if (const std::size_t len = std::strlen(typedName)) typedName[len - 1] = 0;
        changed = true;
    }
    if (changed) Refresh();
    if (ui::EnterDown(c) && !held[DIK_RETURN] && !held[DIK_NUMPADENTER]) {
        held[DIK_RETURN] = held[DIK_NUMPADENTER] = 1;
        Save();
    }
}

std::int32_t HighScores::FrameMove() {
    GameContext& c = *context;
    if (!ui::FrontEndActive(&c) || dead) return 0;
    if (nameEntry) {
        if (c.timeNow - lastCaretToggle > 200u) {
            lastCaretToggle = c.timeNow;
            caretVisible = !caretVisible;
            Refresh();
        }
        TypeCharacters();
    }
    for (int k = 0; k < 256; ++k)
        if (!c.keys[k]) held[k] = 0;

    TurnPages();
    if (onlineShown) online.Update(*this, table);

    backHover = ui::kBackButtonArea.Contains(c.layoutCursorX, c.layoutCursorY);
    if (backHover != backHoverShown) {
        PlaySound(&c, asset::MenuSelect);
        if (!backHover) ui::ColourQuads(panel_ + 6, 1, 0xFFFFFFFFu);
        backHoverShown = backHover;
    }
    if (backHover) ui::ColourQuads(panel_ + 6, 1, ui::PulseGreen(phase));

    const bool escape = c.keys[DIK_ESCAPE] && !escapeHeld;
    const bool click = c.mouseButtons[0] && backHover && !clickHeld;
    if (escape || click) {
        if (escape) escapeHeld = 1;
        if (click) clickHeld = 1;
        if (nameEntry) Save();
        c.highScoresClosed = 1;
        dead = 1;
        PlaySound(&c, asset::MenuPress);
    }
    if (!c.mouseButtons[0]) clickHeld = 0;
    if (!c.keys[DIK_ESCAPE]) escapeHeld = 0;
    phase += static_cast<float>(c.frameTimeAverage) * 0.005f;
    return 0;
}

void HighScores::ShowPage(bool onlinePage) {
    onlineShown = onlinePage ? 1 : 0;
    pageHover = pageHoverShown = 0;
    ui::ColourQuads(panel_ + 12, 2, 0xFFFFFFFFu);
    PlaySound(context, asset::MenuPress);
    if (onlinePage) online.Open(*context);
    online.Update(*this, table, true);
}

// The page button (the next page's on the table, the previous one's on the
// board) and Right and Left turn the pages; not while a name is typed.
void HighScores::TurnPages() {
    GameContext& c = *context;
    const bool left = c.keys[DIK_LEFT] != 0, right = c.keys[DIK_RIGHT] != 0;
    const bool arrows = !arrowHeld;
    arrowHeld = left || right;
    if (nameEntry) return;
    const ui::Area& area = onlineShown ? ui::kPrevPageArea : ui::kNextPageArea;
    pageHover = area.Contains(c.layoutCursorX, c.layoutCursorY) ? 1 : 0;
    if (pageHover != pageHoverShown) {
        PlaySound(&c, asset::MenuSelect);
        pageHoverShown = pageHover;
    }
    ui::ColourQuads(panel_ + (onlineShown ? 18 : 12), 1, pageHover ? ui::PulseGreen(phase) : 0xFFFFFFFFu);
    if (pageHover && c.mouseButtons[0] && !clickHeld) {
        clickHeld = 1;
        ShowPage(!onlineShown);
    } else if (arrows && ((right && !onlineShown) || (left && onlineShown))) {
        ShowPage(!onlineShown);
    }
}

std::int32_t HighScores::Render() {
    if (!context->mouseActive || dead) return 0;
    if (nameEntry && caretVisible) ui::SubmitSprites(context, asset::BoardTex, caret_, 2, 2.58f);
    // The title, back and (once no name is typed) the page's own button.
    std::copy(panel_, panel_ + 12, drawnPanel_);
    std::copy(PageButton(), PageButton() + 6, drawnPanel_ + 12);
    ui::SubmitSprites(context, asset::Help5Tex, drawnPanel_, nameEntry ? 4 : 6, 2.58f);
    if (onlineShown) {
        online.Render(context);
        return 0;
    }
    ui::SubmitSprites(context, asset::SymbolMid, glyphs_, 2 * kGlyphs, 2.58f);
    if (noteShown) ui::SubmitSprites(context, asset::SymbolMid, note_, 2 * kNoteGlyphs, 2.58f);
    return 0;
}

}  // namespace dw
