#include <string>

#include "platform/sound_library.h"

namespace platform {

namespace {
std::string Join(const char* fn, std::initializer_list<long long> args) {
    std::string s = fn;
    for (long long a : args) {
        s.push_back(' ');
        s.append(std::to_string(a));
    }
    return s;
}
}  // namespace

void RecordingSoundLibrary::Note(std::string call) {
    // Keep the most recent calls only, so that long headless runs stay small.
    if (calls.size() >= kMaxCalls) calls.erase(calls.begin(), calls.begin() + kMaxCalls / 2);
    calls.push_back(std::move(call));
}

std::uint8_t RecordingSoundLibrary::IMXInit(int flags, int rate, int reserved, std::uint32_t mask) {
    Note(Join("IMXInit", {flags, rate, reserved, static_cast<long long>(mask)}));
    return available ? 1 : 0;
}
void RecordingSoundLibrary::IMXStart() { Note("IMXStart"); }

std::int32_t RecordingSoundLibrary::IMXSampleLoad(int, const void* bytes, int, std::uint32_t size, int, int) {
    // Like a real decoder: a WAV or OGG header is needed.
    const auto* b = static_cast<const unsigned char*>(bytes);
    const bool looksLikeSound = bytes && size >= 4 &&
        ((b[0] == 'R' && b[1] == 'I' && b[2] == 'F' && b[3] == 'F') ||
         (b[0] == 'O' && b[1] == 'g' && b[2] == 'g' && b[3] == 'S'));
    const std::int32_t h = looksLikeSound ? next_++ : 0;
    if (h) ++liveSamples;
    Note(Join("IMXSampleLoad", {static_cast<long long>(size), h}));
    return h;
}

void RecordingSoundLibrary::IMXSetGlobalVolumes(int music, int sound, int stream) {
    if (music >= 0) musicVolume = music;
    if (sound >= 0) soundVolume = sound;
    Note(Join("IMXSetGlobalVolumes", {music, sound, stream}));
}

std::int32_t RecordingSoundLibrary::IMXSamplePlay(std::int32_t sample, int volume, int, int, int) {
    const std::int32_t ch = sample ? next_++ : 0;
    Note(Join("IMXSamplePlay", {sample, volume, ch}));
    return ch;
}
void RecordingSoundLibrary::IMXChannelStop(std::int32_t channel) { Note(Join("IMXChannelStop", {channel})); }
void RecordingSoundLibrary::IMXSampleUnload(std::int32_t sample) {
    if (sample) --liveSamples;
    Note(Join("IMXSampleUnload", {sample}));
}
std::int32_t RecordingSoundLibrary::IMXStreamOpenFile(int, const void* bytes, int, std::uint32_t size, int) {
    const auto* b = static_cast<const unsigned char*>(bytes);
    const bool ogg = bytes && size >= 4 && b[0] == 'O' && b[1] == 'g' && b[2] == 'g' && b[3] == 'S';
    const std::int32_t h = ogg ? next_++ : 0;
    if (h) ++openStreams;
    Note(Join("IMXStreamOpenFile", {static_cast<long long>(size), h}));
    return h;
}
void RecordingSoundLibrary::IMXStreamPlay(std::int32_t stream, int loop) {
    playingStream = stream;
    Note(Join("IMXStreamPlay", {stream, loop}));
}
void RecordingSoundLibrary::IMXStreamClose(std::int32_t stream) {
    if (stream) --openStreams;
    if (stream == playingStream) playingStream = 0;
    Note(Join("IMXStreamClose", {stream}));
}
void RecordingSoundLibrary::IMXStop() { Note("IMXStop"); }
void RecordingSoundLibrary::IMXUninit() { Note("IMXUninit"); }

}  // namespace platform
