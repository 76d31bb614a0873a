#pragma once
// "gbord": the frame around the battlefield and the instrument panel on the
// left (energy and body bars, laser and plasma levels, rockets, ships left,
// score). It flashes red and plays a sound when the ship takes damage.
#include <cstdint>

#include "core/draw_entry.h"
#include "engine/my_object.h"

namespace dw {

class Board : public MyObject {
public:
    static constexpr int kBoardQuads = 57;
    static constexpr int kIconQuads = 6;
    static constexpr int kRocketGlyphs = 10;
    static constexpr int kScoreGlyphs = 7;
    // Quads of the board array with a fixed meaning.
    enum Quad {
        kPanel,
        kTopStrip,
        kBottomStrip,
        kRightStrip,
        kFlash0,
        kFlash1,
        kFlash2,
        kBodyBar,
        kEnergyBar,
        kLaserBar,
        kPlasmaBar,
        kPulseLight
    };

    explicit Board(GameContext* ctx);

    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::int32_t RestoreDeviceObjects() override;

    // The rockets count as shown (capped at 999) and the score as shown
    // (capped at the seven places).
    static std::uint32_t ShownRockets(std::uint32_t rockets);
    static std::uint32_t ShownScore(std::uint32_t score);
    // Colour of the flash group for a flash level.
    static std::uint32_t FlashColour(float level);
    // The screen columns [x0, x1) the panel hides from top to bottom with
    // opaque art whenever the game runs (the board is drawn then).
    static void PanelCover(float screenWidth, float& x0, float& x1);

    const ScreenVertex* BoardVertices() const { return board_; }
    const ScreenVertex* RocketGlyphs() const { return digits_; }
    const ScreenVertex* ScoreGlyphs() const { return digits_ + 6 * kRocketGlyphs; }
    std::uint32_t IconsShown() const;

    std::uint32_t shownBody = 0, shownEnergy = 0, shownLaser = 0, shownPlasma = 0;
    std::uint32_t shownRockets = 0, shownScore = 0;
    std::uint32_t lastTotal = 0;
    std::uint8_t flashOn = 0;
    float flashLevel = 0;
    std::uint8_t pulseOn = 0;
    float pulseWait = 0;
    float pulsePhase = 0;

private:
    void Layout();
    void Refresh(bool all);
    void BuildPulse();
    void BuildBars(bool body, bool energy, bool laser, bool plasma);
    void WriteRockets();
    void WriteScore();
    void ApplyFlashColour();
    ScreenVertex* QuadOf(int q) { return board_ + 6 * q; }

    ScreenVertex board_[6 * kBoardQuads] = {};
    ScreenVertex icons_[6 * kIconQuads] = {};
    ScreenVertex digits_[6 * (kRocketGlyphs + kScoreGlyphs)] = {};
};

}  // namespace dw
