#include "sprites.h"
#include "../common/draw.h"

namespace assetgen::sprites {
void ships(Output&) {}
}
