#pragma once
// The start-up asset list the loading screen works through, one asset per
// frame.
#include <cstdint>

namespace dw {

class GameContext;

struct AssetListEntry {
    const char* name;
    enum Kind : std::uint8_t { Texture, Sound } kind;
    std::uint32_t mipLevels;
};

// The 73 entries in load order.
extern const AssetListEntry kStartupAssets[];
extern const std::uint32_t kStartupAssetCount;

// The loader's state: while `counting` is set a pass only counts the
// entries; otherwise a pass loads the one entry whose index equals `cursor`.
struct AssetLoader {
    bool counting = true;
    std::uint32_t total = 0;
    std::uint32_t cursor = 0;
    std::uint32_t passIndex = 0;
};

// One pass over the list; after the last entry every pass (re)opens the
// menu music "Theme0" into the Game context's music stream.
void RunAssetList(GameContext* ctx, AssetLoader& loader);

}  // namespace dw
