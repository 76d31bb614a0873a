#pragma once
// Generators of the interface sheets. Where the game leaves a region's place
// to the art, the place chosen here is listed in ui_layout.h.
#include "../asset_sink.h"

namespace assetgen::ui {

// "MenuTex", "IntroMap", "IntroMap2", "LoadMap".
void add_title_pictures(Output& out);
// "Help0Tex", "Help5Tex", "Help2Tex", "Help7Tex", "Help6Tex".
void add_menu_sheets(Output& out);
// "Help3Tex", "Help4Tex".
void add_caption_sheets(Output& out);

}  // namespace assetgen::ui
