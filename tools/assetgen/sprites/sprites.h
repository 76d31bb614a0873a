#pragma once
// The sprite-sheet generators, one per file group.
#include <cairo.h>

#include <string>

#include "../asset_sink.h"

namespace assetgen::sprites {

void effects(Output& out);      // ShadowMap, ShotTex, ExploTex, BulletCTex
void backdrop(Output& out);     // FoneTex, GroundTex
void board(Output& out);        // BoardTex
void ships(Output& out);        // StarWTex, Ship1Tex, Ship0Tex, Ship3Tex
void enemies(Output& out);      // the enemy sheets
void bosses(Output& out);       // BigBoss0..4
void window_icon(Output& out);  // WindowIcon: the desktop icon at 64 px

// Frame f (0..8) of the player's fighter in the unit square, nose up.
void player_ship(cairo_t* cr, int f);

// The desktop icon: DIR/hicolor/NxN/apps/NAME.png at every size of
// kIconSizes and DIR/hicolor/scalable/apps/NAME.svg. Throws on failure.
inline constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256, 512};
void write_icons(const std::string& dir, const std::string& name);

}  // namespace assetgen::sprites
