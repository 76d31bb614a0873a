// Stand-ins for generator modules that are not in the tree yet. The real
// definitions (ui/, audio/) override these at link time.
#include "asset_sink.h"

namespace assetgen {

__attribute__((weak)) void generate_ui_textures(Output&) {}
__attribute__((weak)) void generate_audio(Output&) {}

}  // namespace assetgen
