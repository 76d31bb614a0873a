#pragma once
// Sound effects by name (cached samples) and the one music stream.
#include <cstdint>

#include "platform/d3d_types.h"

namespace dw {

class GameContext;

// Names of the eight throttled request slots, in slot order.
extern const char* const kSoundRequestNames[8];

HRESULT LoadSample(GameContext* ctx, const char* name, std::int32_t& handle);
// Plays a sample once at the sound volume; always 0.
std::int32_t PlaySound(GameContext* ctx, const char* name);
// Stops the sample's last channel, unloads it and forgets it.
void FreeSound(GameContext* ctx, const char* name);
// Replaces the stream in `place` with the named stream (not yet playing).
HRESULT OpenMusicStream(GameContext* ctx, const char* name, std::int32_t& place);
void UnloadAllSounds(GameContext* ctx);

// Raises a throttled request: only when the slot's next-allowed time has
// passed. The Game table plays raised requests once per frame.
void RequestSound(GameContext* ctx, int slot);

}  // namespace dw
