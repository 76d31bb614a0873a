#pragma once
// The sound library seam: sample and stream handles from byte blocks,
// playback on channels, global volumes 0..100 (one for samples, a pair for
// the stream; -1 leaves a volume as it is), start, stop and shutdown.
// Handles are 32-bit integers; 0 means failure or none.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class SoundLibrary {
public:
    virtual ~SoundLibrary() = default;
    virtual std::uint8_t IMXInit(int flags, int rate, int reserved, std::uint32_t mask) = 0;
    virtual void IMXStart() = 0;
    // The library copies what it needs: the bytes go away after the call.
    virtual std::int32_t IMXSampleLoad(int mode, const void* bytes, int offset, std::uint32_t size, int a, int b) = 0;
    virtual void IMXSetGlobalVolumes(int music, int sound, int stream) = 0;
    virtual std::int32_t IMXSamplePlay(std::int32_t sample, int volume, int a, int b, int c) = 0;
    virtual void IMXChannelStop(std::int32_t channel) = 0;
    virtual void IMXSampleUnload(std::int32_t sample) = 0;
    // The bytes stay valid while the stream is open; the library may read
    // them while it plays.
    virtual std::int32_t IMXStreamOpenFile(int mode, const void* bytes, int offset, std::uint32_t size, int a) = 0;
    virtual void IMXStreamPlay(std::int32_t stream, int loop) = 0;
    virtual void IMXStreamClose(std::int32_t stream) = 0;
    virtual void IMXStop() = 0;
    virtual void IMXUninit() = 0;
    // Why the last IMXInit failed (empty when it did not, or nobody knows),
    // or why nothing will be heard although it succeeded (SDL's "dummy"
    // audio driver: a machine without sound, a test).
    virtual std::string InitProblem() const { return {}; }
};

// SDL2_mixer: samples (WAV/OGG) and one music stream from memory.
class MixerSoundLibrary final : public SoundLibrary {
public:
    ~MixerSoundLibrary() override;
    std::uint8_t IMXInit(int flags, int rate, int reserved, std::uint32_t mask) override;
    void IMXStart() override;
    std::int32_t IMXSampleLoad(int mode, const void* bytes, int offset, std::uint32_t size, int a, int b) override;
    void IMXSetGlobalVolumes(int music, int sound, int stream) override;
    std::int32_t IMXSamplePlay(std::int32_t sample, int volume, int a, int b, int c) override;
    void IMXChannelStop(std::int32_t channel) override;
    void IMXSampleUnload(std::int32_t sample) override;
    std::int32_t IMXStreamOpenFile(int mode, const void* bytes, int offset, std::uint32_t size, int a) override;
    void IMXStreamPlay(std::int32_t stream, int loop) override;
    void IMXStreamClose(std::int32_t stream) override;
    void IMXStop() override;
    void IMXUninit() override;
    std::string InitProblem() const override { return initProblem_; }

    int musicVolume() const { return musicVolume_; }
    int soundVolume() const { return soundVolume_; }

private:
    struct Impl;
    Impl* impl();
    Impl* impl_ = nullptr;
    bool open_ = false;
    std::string initProblem_;
    int musicVolume_ = 100;
    int soundVolume_ = 100;
};

// Plays nothing; hands out handles and records every call as a line of text
// ("IMXSamplePlay 3", "IMXSetGlobalVolumes -1 50 -1" ...). `available`
// decides what IMXInit answers.
class RecordingSoundLibrary final : public SoundLibrary {
public:
    bool available = true;
    std::vector<std::string> calls;
    int musicVolume = 100, soundVolume = 100;
    std::int32_t playingStream = 0;
    int liveSamples = 0;
    int openStreams = 0;

    std::uint8_t IMXInit(int flags, int rate, int reserved, std::uint32_t mask) override;
    void IMXStart() override;
    std::int32_t IMXSampleLoad(int mode, const void* bytes, int offset, std::uint32_t size, int a, int b) override;
    void IMXSetGlobalVolumes(int music, int sound, int stream) override;
    std::int32_t IMXSamplePlay(std::int32_t sample, int volume, int a, int b, int c) override;
    void IMXChannelStop(std::int32_t channel) override;
    void IMXSampleUnload(std::int32_t sample) override;
    std::int32_t IMXStreamOpenFile(int mode, const void* bytes, int offset, std::uint32_t size, int a) override;
    void IMXStreamPlay(std::int32_t stream, int loop) override;
    void IMXStreamClose(std::int32_t stream) override;
    void IMXStop() override;
    void IMXUninit() override;

    static constexpr std::size_t kMaxCalls = 4096;

private:
    void Note(std::string call);
    std::int32_t next_ = 1;
};

}  // namespace platform
