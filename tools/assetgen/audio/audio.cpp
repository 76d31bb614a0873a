// Entry point of the sound module: every sample and both themes as Ogg Vorbis.
#include <future>

#include "../asset_sink.h"
#include "audio.h"

namespace assetgen {

void generate_audio(Output& out) {
    // The themes take the longest; render and encode each on its own thread
    // while this one makes the effects.
    auto theme = [](int index) { return audio::encode_theme(index, audio::render_theme(index)); };
    auto menu = std::async(std::launch::async, theme, 0);
    auto game = std::async(std::launch::async, theme, 1);

    for (const auto& name : audio::effect_names())
        out.blobs.push_back({name, audio::encode_effect(name, audio::render_effect(name))});

    out.blobs.push_back({audio::theme_info(0).name, menu.get()});
    out.blobs.push_back({audio::theme_info(1).name, game.get()});
}

}  // namespace assetgen
