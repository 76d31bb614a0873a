#include <SDL.h>
#include <SDL_mixer.h>

#include <map>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <dlfcn.h>
#endif

#include "platform/wav_check.h"
#include "platform/sound_library.h"

namespace platform {

struct MixerSoundLibrary::Impl {
    std::map<std::int32_t, Mix_Chunk*> samples;
    // A stream reads its bytes while it plays, through its own reader,
    // closed here after the music is freed.
    struct Stream {
        Mix_Music* music = nullptr;
        SDL_RWops* reader = nullptr;
        void Free() const {
            if (music) Mix_FreeMusic(music);
            if (reader) SDL_RWclose(reader);
        }
    };
    std::map<std::int32_t, Stream> streams;
    // A channel handle names one play on one mixer channel: the low byte is
    // the channel + 1, the rest the play's generation, so that stopping an
    // old handle never cuts a newer sound on the same channel.
    std::vector<std::uint32_t> generation;
    std::int32_t nextHandle = 1;
    std::int32_t playing = 0;
};

namespace {
constexpr int kChannels = 32;
int ToMix(int v) { return v <= 0 ? 0 : v >= 100 ? MIX_MAX_VOLUME : v * MIX_MAX_VOLUME / 100; }

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
void SayNothing(const char*, int, const char*, int, const char*, ...) {}
#endif

// Without a sound card ALSA writes its own search (nine lines) to standard
// error before SDL gives up; the game's log line says the same in one. Its
// error handler is made silent in the library SDL loads (the game does not
// link it; without ALSA there is nothing to silence). Kept open for good:
// the handler lives in that library.
void SilenceAlsa() {
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
    static const bool done = [] {
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        using SetHandler = int (*)(Handler);
        void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
        if (!alsa) return false;
        if (auto* set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) set(&SayNothing);
        return true;
    }();
    (void)done;
#endif
}
}  // namespace

MixerSoundLibrary::Impl* MixerSoundLibrary::impl() {
    if (!impl_) impl_ = new Impl;
    return impl_;
}

MixerSoundLibrary::~MixerSoundLibrary() {
    if (open_) IMXUninit();
    delete impl_;
}

std::uint8_t MixerSoundLibrary::IMXInit(int, int rate, int, std::uint32_t) {
    if (open_) return 1;
    initProblem_.clear();
    SilenceAlsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        initProblem_ = SDL_GetError();
        return 0;
    }
    if (Mix_OpenAudio(rate, AUDIO_S16SYS, 2, 1024) != 0) {
        initProblem_ = Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    // The dummy driver (SDL_AUDIODRIVER=dummy, or the last resort of a
    // machine without sound) plays into nothing: the game runs as with
    // sound, and the log says that none is heard.
    if (const char* driver = SDL_GetCurrentAudioDriver(); driver && SDL_strcmp(driver, "dummy") == 0)
        initProblem_ = "SDL's \"dummy\" audio driver";
    Mix_Init(MIX_INIT_OGG);
    Mix_AllocateChannels(kChannels);
    impl()->generation.assign(kChannels, 0);
    open_ = true;
    return 1;
}

void MixerSoundLibrary::IMXStart() {
    if (open_) Mix_Resume(-1);
}

std::int32_t MixerSoundLibrary::IMXSampleLoad(int, const void* bytes, int offset, std::uint32_t size, int, int) {
    if (!bytes || size == 0 || size > 0x7FFFFFFF) return 0;
    if (!WavIsSound(static_cast<const std::uint8_t*>(bytes) + offset, size)) return 0;
    // The mixer decodes a sample whole, in its own format: a WAV or an Ogg
    // Vorbis only, and never one larger than a sane cap once decoded.
    int outRate = 0;
    if (open_ && (Mix_QuerySpec(&outRate, nullptr, nullptr) == 0 || outRate <= 0)) return 0;
    if (open_ &&
        !SampleFitsInMemory(static_cast<const std::uint8_t*>(bytes) + offset, size,
                            static_cast<std::uint32_t>(outRate)))
        return 0;
    SDL_RWops* rw = SDL_RWFromConstMem(static_cast<const char*>(bytes) + offset, static_cast<int>(size));
    if (!rw) return 0;
    // Mix_LoadWAV_RW decodes into its own buffer, so the bytes may go. The
    // reader is closed here: SDL_mixer, asked to close it, leaves it open
    // on some refusals.
    Mix_Chunk* chunk = open_ ? Mix_LoadWAV_RW(rw, 0) : nullptr;
    SDL_RWclose(rw);
    if (!chunk) {
        // Without an audio device the sample cannot be decoded for output,
        // but loading must still succeed harmlessly for well-formed data.
        if (open_) return 0;
        const auto* b = static_cast<const unsigned char*>(bytes) + offset;
        const bool looksLikeSound =
            size >= 4 && ((b[0] == 'R' && b[1] == 'I' && b[2] == 'F') || (b[0] == 'O' && b[1] == 'g' && b[2] == 'g'));
        if (!looksLikeSound) return 0;
    }
    const std::int32_t h = impl()->nextHandle++;
    impl()->samples[h] = chunk;
    return h;
}

void MixerSoundLibrary::IMXSetGlobalVolumes(int music, int sound, int stream) {
    if (music >= 0) musicVolume_ = music;
    if (stream >= 0) musicVolume_ = stream;
    if (sound >= 0) soundVolume_ = sound;
    if (open_ && (music >= 0 || stream >= 0)) Mix_VolumeMusic(ToMix(musicVolume_));
}

std::int32_t MixerSoundLibrary::IMXSamplePlay(std::int32_t sample, int volume, int, int, int) {
    if (!open_) return 0;
    auto it = impl()->samples.find(sample);
    if (it == impl()->samples.end() || !it->second) return 0;
    const int ch = Mix_PlayChannel(-1, it->second, 0);
    if (ch < 0 || ch >= kChannels) return 0;
    Mix_Volume(ch, ToMix(soundVolume_ * volume / 100));
    const std::uint32_t gen = ++impl()->generation[static_cast<std::size_t>(ch)] & 0x7FFFFF;
    return static_cast<std::int32_t>((gen << 8) | static_cast<std::uint32_t>(ch + 1));
}

void MixerSoundLibrary::IMXChannelStop(std::int32_t channel) {
    if (!open_ || channel <= 0) return;
    const int ch = (channel & 0xFF) - 1;
    if (ch < 0 || ch >= kChannels) return;
    const std::uint32_t gen = static_cast<std::uint32_t>(channel) >> 8;
    if ((impl()->generation[static_cast<std::size_t>(ch)] & 0x7FFFFF) == gen) Mix_HaltChannel(ch);
}

void MixerSoundLibrary::IMXSampleUnload(std::int32_t sample) {
    auto it = impl()->samples.find(sample);
    if (it == impl()->samples.end()) return;
    if (it->second) {
        // Stop every channel still playing this chunk before freeing it.
        for (int ch = 0; ch < kChannels; ++ch) {
            if (Mix_Playing(ch) && Mix_GetChunk(ch) == it->second) Mix_HaltChannel(ch);
        }
        Mix_FreeChunk(it->second);
    }
    impl()->samples.erase(it);
}

std::int32_t MixerSoundLibrary::IMXStreamOpenFile(int, const void* bytes, int offset, std::uint32_t size, int) {
    if (!bytes || size == 0 || size > 0x7FFFFFFF) return 0;
    if (!WavIsSound(static_cast<const std::uint8_t*>(bytes) + offset, size)) return 0;
    Impl::Stream stream;
    if (open_) {
        stream.reader = SDL_RWFromConstMem(static_cast<const char*>(bytes) + offset, static_cast<int>(size));
        if (!stream.reader) return 0;
        stream.music = Mix_LoadMUS_RW(stream.reader, 0);
        if (!stream.music) {
            SDL_RWclose(stream.reader);
            return 0;
        }
    }
    const std::int32_t h = impl()->nextHandle++;
    impl()->streams[h] = stream;
    return h;
}

void MixerSoundLibrary::IMXStreamPlay(std::int32_t stream, int loop) {
    auto it = impl()->streams.find(stream);
    if (!open_ || it == impl()->streams.end() || !it->second.music) return;
    Mix_VolumeMusic(ToMix(musicVolume_));
    Mix_PlayMusic(it->second.music, loop ? -1 : 0);
    impl()->playing = stream;
}

void MixerSoundLibrary::IMXStreamClose(std::int32_t stream) {
    auto it = impl()->streams.find(stream);
    if (it == impl()->streams.end()) return;
    if (impl()->playing == stream) {
        Mix_HaltMusic();
        impl()->playing = 0;
    }
    it->second.Free();
    impl()->streams.erase(it);
}

void MixerSoundLibrary::IMXStop() {
    if (!open_) return;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    impl()->playing = 0;
}

void MixerSoundLibrary::IMXUninit() {
    if (!open_) return;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    for (auto& [h, chunk] : impl()->samples)
        if (chunk) Mix_FreeChunk(chunk);
    for (auto& [h, stream] : impl()->streams) stream.Free();
    impl()->samples.clear();
    impl()->streams.clear();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    open_ = false;
}

}  // namespace platform
