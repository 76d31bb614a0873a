#pragma once
// "records": the high-score screen. Shows the eight places of
// "records.csm"; after a game it inserts the score, lets the player type a
// name in place and saves the table. Escape or the back button closes it.
// Its second page (online_page.h) shows the score server's board: the page
// button, Right and Left (the pad's stick and D-pad) turn to it and back,
// once no name is being typed.
#include <cstdint>
#include <string_view>

#include "core/draw_entry.h"
#include "engine/my_object.h"
#include "frontend/online_page.h"
#include "frontend/records_table.h"

namespace dw {

// Whether name entry can type `name`: at most 16 characters, each one it
// accepts from the keyboard (the empty name too: Enter saves it).
bool NameEntryCanType(std::string_view name);

class HighScores : public MyObject {
public:
    static constexpr int kNameGlyphs = 16;
    static constexpr int kScoreGlyphs = 7;
    static constexpr int kGlyphs = RecordTable::kPlaces * (kNameGlyphs + kScoreGlyphs) + 7 + 6;
    static constexpr int kNoteGlyphs = 32;
    static constexpr char kNotSavedNote[] = "The score could not be saved";

    explicit HighScores(GameContext* ctx);

    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::int32_t RestoreDeviceObjects() override;

    RecordTable table{};
    char typedName[17] = {};
    int place = 0;
    std::uint32_t entryScore = 0;  // the score whose name is typed
    std::uint8_t nameEntry = 0;
    std::uint8_t caretVisible = 0;
    std::uint32_t lastCaretToggle = 0;
    std::uint8_t held[256] = {};
    std::uint8_t backHover = 0, backHoverShown = 0;
    std::uint8_t clickHeld = 1, escapeHeld = 0;
    float phase = 0;
    std::uint8_t noteShown = 0;    // the line under the table says the save failed
    std::uint8_t onlineShown = 0;  // the second page shows
    std::uint8_t pageHover = 0, pageHoverShown = 0, arrowHeld = 1;
    OnlinePage online;

    const ScreenVertex* Glyphs() const { return glyphs_; }
    const ScreenVertex* NameGlyphs(int row) const { return glyphs_ + 6 * kNameGlyphs * row; }
    const ScreenVertex* ScoreGlyphs(int row) const {
        return glyphs_ + 6 * (RecordTable::kPlaces * kNameGlyphs + kScoreGlyphs * row);
    }
    const ScreenVertex* LastScoreGlyphs() const {
        return glyphs_ + 6 * (RecordTable::kPlaces * (kNameGlyphs + kScoreGlyphs));
    }
    const ScreenVertex* Caret() const { return caret_; }
    const ScreenVertex* BackButton() const { return panel_ + 6; }
    const ScreenVertex* PageButton() const { return panel_ + (onlineShown ? 18 : 12); }
    const ScreenVertex* NoteGlyphs() const { return note_; }

    // Saves the table to the user directory (name entry ends): the entry
    // typed goes into the table as it is on disk then. A failure is said on
    // stderr, in the log and on the line under the table.
    void Save();

private:
    void Refresh();
    void TypeCharacters();
    void TurnPages();
    void ShowPage(bool onlinePage);
    ScreenVertex* NameRun(int row) { return glyphs_ + 6 * kNameGlyphs * row; }
    ScreenVertex* ScoreRun(int row) { return glyphs_ + 6 * (RecordTable::kPlaces * kNameGlyphs + kScoreGlyphs * row); }
    ScreenVertex* SevenRun() { return glyphs_ + 6 * (RecordTable::kPlaces * (kNameGlyphs + kScoreGlyphs)); }
    ScreenVertex* SixRun() { return SevenRun() + 6 * 7; }

    ScreenVertex panel_[24] = {};       // panel, back button, next and previous page buttons
    ScreenVertex drawnPanel_[18] = {};  // panel, back button, the page's button
    ScreenVertex caret_[6] = {};
    ScreenVertex glyphs_[6 * kGlyphs] = {};
    ScreenVertex note_[6 * kNoteGlyphs] = {};
};

}  // namespace dw
