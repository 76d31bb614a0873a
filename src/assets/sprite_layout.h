#pragma once
// Where assetgen puts the cells whose place the game does not fix by itself:
// grids with no column count, board and shot pieces, boss parts. Rectangles are
// in texels of the named sheet; divide by the sheet size for u/v. This header
// has no dependencies, so the game may include it to find the cells.
//
// Fixed cells (glyph grids, bonus strips, portraits...) are drawn exactly
// where the game's own texture coordinates fall and are not repeated here.
namespace assetgen::layout {

struct Rect {
    int x, y, w, h;
};

// Square-cell frame grids: frame f sits at column f % columns, row
// f / columns, cells of sheet / columns texels.
struct FrameGrid {
    const char* sheet;
    int size;     // sheet is size x size texels
    int columns;  // grid columns (= rows)
    int frames;   // frames the game plays from cell 0
};

constexpr FrameGrid kStarW{"StarWTex", 512, 3, 9};
constexpr FrameGrid kBulletC{"BulletCTex", 256, 3, 9};
constexpr FrameGrid kHEnemy1{"Ship1Tex", 512, 8, 5};  // row 0 only
constexpr FrameGrid kShip0{"Ship0Tex", 512, 4, 16};   // henemy3 plays frames 0-4, the elite 0-15
constexpr FrameGrid kShip3{"Ship3Tex", 512, 8, 64};   // senemy1 0-39, senemy2 40-63
constexpr FrameGrid kStation{"StationTex", 512, 4, 12};
constexpr FrameGrid kCannon{"CannonTex", 512, 4, 8};  // gunfour firing frames 0-7
constexpr FrameGrid kCtHead{"CtHeadTex", 512, 4, 16};
constexpr FrameGrid kCtLong{"CtLongTex", 512, 4, 15};
constexpr FrameGrid kCtShort{"CtShortTex", 512, 4, 15};
constexpr FrameGrid kCtEngi{"CtEngiTex", 512, 4, 12};
constexpr FrameGrid kDlinni{"DlinniTex", 512, 3, 9};
constexpr FrameGrid kFast{"FastTex", 512, 4, 16};  // 0-7 flying loop, 8-15 turning (banking) loop
constexpr FrameGrid kJumper{"JumperTex", 512, 6, 24};
constexpr FrameGrid kKreiser{"KreiserTex", 512, 4, 16};
constexpr FrameGrid kTanker{"TankerTex", 512, 4, 16};
constexpr FrameGrid kVertuh{"VertuhTex", 512, 4, 16};
constexpr FrameGrid kExplo{"ExploTex", 512, 6, 36};

// "CannonTex": the guntank's two quads (cells 8 and 9 of the 4 x 4 grid).
// The barrel cell's pivot is its centre; the barrel points down (+v).
constexpr Rect kGunTankBase{0, 256, 128, 128};
constexpr Rect kGunTankBarrel{128, 256, 128, 128};

// "BoardTex" (512 x 512).
constexpr Rect kBoardPanel{0, 0, 85, 512};  // the whole left panel, screen x 0-100, y 0-600 at 800 x 600
// Across this part of the panel's width (all of its height) every texel is
// opaque, with a texel to spare each side for filtering: the game leaves the
// background out beneath it.
constexpr double kBoardPanelOpaqueFrom = 0.2, kBoardPanelOpaqueTo = 0.9;
constexpr Rect kBoardShipIcon{96, 0, 32, 32};       // small player ship, nose up
constexpr Rect kBoardShipIconBack{128, 0, 32, 32};  // round backing glow for the icon
constexpr Rect kBoardMuzzleFlash{96, 32, 64, 64};   // muzzle flash, pointing up
constexpr Rect kBoardShieldDash{96, 96, 64, 32};    // shield ring segment, white on black
constexpr Rect kBoardCaret{96, 128, 16, 32};        // text caret bar
constexpr Rect kBoardFlashTrim{128, 128, 32, 32};   // light trim for the panel's flash quads
constexpr Rect kBoardSpark{160, 0, 32, 32};         // trail spark / shot head (fixed)
constexpr Rect kBoardHaloDot{160, 32, 32, 32};      // halo ring bead (fixed)
constexpr Rect kBoardPulse{192, 128, 64, 32};       // pulse light (fixed)
constexpr Rect kBoardMenuDecor{256, 192, 128, 74};  // main-menu emblem plate, 104 x 60 on screen
constexpr Rect kBoardFrameH{96, 496, 400, 16};      // top / bottom frame strip (stretch along x)
constexpr Rect kBoardFrameV{496, 224, 16, 256};     // right frame strip (stretch along y)
// Where the panel art expects the instruments, in screen pixels at 800 x 600.
constexpr Rect kPanelRocketsDigits{12, 468, 76, 16};  // 10 glyph places under "Rockets"
constexpr Rect kPanelScoreDigits{12, 512, 76, 16};    // 7 glyph places under "Score"
constexpr Rect kPanelShipIcons{14, 20, 72, 24};       // three icons of 24 x 24 side by side

// "ShotTex" (512 x 512).
constexpr Rect kShotExploFlash{0, 0, 128, 128};
constexpr Rect kShotFireball{128, 0, 128, 128};
constexpr Rect kShotGlow{256, 0, 64, 64};
constexpr Rect kShotFrameCorner{0, 256, 64, 64};   // top-left corner; mirror the u/v for the others
constexpr Rect kShotFrameEdgeH{64, 256, 128, 32};  // top edge, tiles along x
constexpr Rect kShotFrameEdgeV{0, 320, 32, 128};   // left edge, tiles along y
constexpr Rect kShotFrameGem{64, 320, 64, 64};     // ornament

// Boss sheets (512 x 512 each). Every boss: portrait and health-bar cells.
constexpr Rect kBossPortrait{416, 0, 96, 72};  // bosses 1-4
constexpr Rect kBoss0Portrait{132, 419, 91, 92};
constexpr Rect kBossHealth{494, 488, 18, 24};        // all five bosses
constexpr Rect kBossHealthFrame{384, 472, 104, 40};  // behind the bar, all five
constexpr Rect kBoss0Body{0, 0, 384, 192};
constexpr Rect kBoss0BayOpen{0, 208, 128, 64};  // lit bay interior, centred on the bay
constexpr Rect kBoss0DoorL{128, 208, 64, 64};
constexpr Rect kBoss0DoorR{192, 208, 64, 64};
constexpr Rect kBoss0Ball{256, 208, 96, 96};      // rball, round, spins
constexpr Rect kBoss1Body{0, 0, 384, 384};        // hull without the turret
constexpr Rect kBoss1Turret{384, 80, 128, 128};   // pivot at the centre, barrels down
constexpr Rect kBoss1Station{384, 216, 80, 132};  // hstat repair pod
constexpr Rect kBoss1Dot{464, 216, 32, 32};       // ltdot spark, white
constexpr Rect kBoss2Body{0, 0, 384, 256};
constexpr Rect kBoss2DoorL{0, 272, 96, 48};
constexpr Rect kBoss2DoorR{96, 272, 96, 48};
constexpr Rect kBoss2Turret{192, 264, 128, 128};  // three barrels 120 degrees apart, pivot at the centre
constexpr Rect kBoss2Bomb[4] = {
    {384, 80, 64, 32}, {448, 80, 64, 32}, {384, 112, 64, 32}, {448, 112, 64, 32}};  // folded -> unfolded
constexpr Rect kBoss3Body{0, 0, 384, 384};                                          // three arms, 120 degrees apart
constexpr Rect kBoss3Light{384, 32, 32, 32};  // arm light, beam dot and cloud puff (fixed)
constexpr Rect kBoss4Body{0, 0, 384, 384};
constexpr Rect kBoss4Figure{384, 80, 64, 64};  // fufig drone, nose down

// "GroundTex" is 512 x 128: four square strips of 128 texels.

}  // namespace assetgen::layout
