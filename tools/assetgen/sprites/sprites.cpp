#include "sprites.h"

namespace assetgen {

void generate_sprite_textures(Output& out) {
    sprites::effects(out);
    sprites::backdrop(out);
    sprites::board(out);
    sprites::ships(out);
    sprites::enemies(out);
    sprites::bosses(out);
    sprites::window_icon(out);
}

}  // namespace assetgen
