#pragma once
#include <string>

#include "../asset_sink.h"

namespace assetgen {

// Writes DIR/<name>.png: the texture enlarged over a checkerboard, every
// region outlined and labelled.
void write_contact_sheet(const Texture& t, const std::string& dir);

}  // namespace assetgen
