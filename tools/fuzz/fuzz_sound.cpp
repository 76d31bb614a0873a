// libFuzzer entry for the sound path: the bytes of a sample and of a music
// stream (WAV, Ogg Vorbis) handed to the game's SDL_mixer library as the
// asset layer hands them, on SDL's dummy audio driver. Whatever the bytes, a
// load either fails or gives a handle that plays, stops and closes; a sample
// keeps its own copy, so the bytes may change once it is loaded.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/sound_library.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

platform::MixerSoundLibrary& Library() {
    static platform::MixerSoundLibrary* library = [] {
        SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
        auto* l = new platform::MixerSoundLibrary;
        Check(l->IMXInit(0, 44100, 0, 0xFFFFFFFFu) != 0);
        l->IMXStart();
        l->IMXSetGlobalVolumes(100, 100, 100);
        return l;
    }();
    return *library;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::MixerSoundLibrary& sound = Library();
    // A sample: from a block freed right after the call.
    std::vector<std::uint8_t> block(data, data + size);
    const std::int32_t sample = sound.IMXSampleLoad(1, block.data(), 0, static_cast<std::uint32_t>(block.size()), 0, 0);
    block.assign(block.size(), 0xA5);
    block.clear();
    block.shrink_to_fit();
    if (sample != 0) {
        const std::int32_t channel = sound.IMXSamplePlay(sample, 100, 0, 0, 0);
        sound.IMXChannelStop(channel);
        sound.IMXSampleUnload(sample);
        Check(sound.IMXSamplePlay(sample, 100, 0, 0, 0) == 0);
    }
    // A music stream: read from the bytes while it is open.
    const std::int32_t stream = sound.IMXStreamOpenFile(1, data, 0, static_cast<std::uint32_t>(size), 0);
    if (stream != 0) {
        sound.IMXStreamPlay(stream, 1);
        sound.IMXStreamClose(stream);
    }
    return 0;
}
