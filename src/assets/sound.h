#pragma once
// Sound effects by name (cached samples) and the one music stream.
#include <cstdint>

#include "assets/asset_cache.h"
#include "core/states.h"
#include "platform/d3d_types.h"

namespace dw {

class GameContext;

// Names of the eight throttled request slots, in slot order.
extern const char* const kSoundRequestNames[8];

// Loaded samples by name: the sample's handle and the channel of its last
// play. The caller unloads a sample before the cache forgets it.
class SoundCache {
public:
    struct Entry {
        std::int32_t handle;
        std::int32_t channel;  // 0 if never played
    };

    // The sample of the name, or null when it is not loaded.
    Entry* Find(const char* key) { return samples_.Find(key); }
    void Append(std::int32_t handle, const char* key) { samples_.Add(key, Entry{handle, 0}); }
    // Forgets the sample of the name (after `unload` has been given it).
    template <typename Unload>
    void Forget(const char* key, Unload unload) {
        samples_.Remove(key, unload);
    }
    // Forgets every sample, oldest first, after `unload` has been given it.
    template <typename Unload>
    void ForgetAll(Unload unload) {
        samples_.Clear(unload);
    }
    std::uint32_t Count() const { return samples_.Count(); }

private:
    AssetCache<Entry> samples_;
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
// The session's StopSound: IMXStop when sound is running.
void StopSoundOutput(GameContext* ctx);

// Raises a throttled request: only when the slot's next-allowed time has
// passed. The Game table plays raised requests once per frame.
void RequestSound(GameContext* ctx, SoundSlot slot);

}  // namespace dw
