#pragma once
// Sound effects by name (cached samples) and the one music stream.
#include <cstdint>

#include "core/states.h"
#include "engine/list_engine.h"
#include "platform/d3d_types.h"

namespace dw {

class GameContext;

// Names of the eight throttled request slots, in slot order.
extern const char* const kSoundRequestNames[8];

// Loaded samples: (handle, channel of the last play, name key), keyed by the
// address of the name constant.
class SoundCache : public ListEngine {
public:
    struct Entry {
        Entry* next;
        std::int32_t handle;
        std::int32_t channel;  // 0 if never played
        const char* key;
    };
    SoundCache() = default;
    ~SoundCache() override;

    Entry* Find(const char* key);
    void Append(std::int32_t handle, const char* key);
    // Unlinks and frees an entry (the caller unloads the sample).
    void Unlink(Entry* entry);
    Entry* First() const { return first_; }
    std::uint32_t Count() const;

private:
    Entry* first_ = nullptr;
    Entry* last_ = nullptr;
};

HRESULT LoadSample(GameContext* ctx, const char* name, std::int32_t& handle);
// Plays a sample once at the sound volume; always 0.
std::int32_t PlaySound(GameContext* ctx, const char* name);
// Stops the sample's last channel, unloads it and forgets it.
void FreeSound(GameContext* ctx, const char* name);
// Replaces the stream in `place` with the named stream (not yet playing).
HRESULT OpenMusicStream(GameContext* ctx, const char* name, std::int32_t& place);
void UnloadAllSounds(GameContext* ctx);

// Start-up step of the game systems: IMXInit/IMXStart (soundReady) and the
// resource library kept loaded (resourceLibraryModule).
void StartSound(GameContext* ctx);
// Shutdown step: closes the stream, IMXUninit, frees the resource library.
void ShutdownSound(GameContext* ctx);
// The application's StopSound: IMXStop when sound is running.
void StopSoundOutput(GameContext* ctx);

// Raises a throttled request: only when the slot's next-allowed time has
// passed. The Game table plays raised requests once per frame.
void RequestSound(GameContext* ctx, SoundSlot slot);

}  // namespace dw
