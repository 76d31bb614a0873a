#pragma once
// The sprite-sheet generators, one per file group.
#include "../asset_sink.h"

namespace assetgen::sprites {

void effects(Output& out);   // ShadowMap, ShotTex, ExploTex, BulletCTex
void backdrop(Output& out);  // FoneTex, GroundTex
void board(Output& out);     // BoardTex
void ships(Output& out);     // StarWTex, Ship1Tex, Ship0Tex, Ship3Tex
void enemies(Output& out);   // the enemy sheets
void bosses(Output& out);    // BigBoss0..4

}  // namespace assetgen::sprites
