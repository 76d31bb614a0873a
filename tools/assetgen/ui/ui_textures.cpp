// Entry point of the user-interface art: glyph atlases, menu and help sheets,
// captions, the title pictures of the intro and the loading screen.
#include "../asset_sink.h"
#include "glyph_atlas.h"
#include "ui_sheets.h"

namespace assetgen {

void generate_ui_textures(Output& out) {
    ui::add_glyph_atlases(out);
    ui::add_title_pictures(out);
    ui::add_menu_sheets(out);
    ui::add_caption_sheets(out);
}

}  // namespace assetgen
