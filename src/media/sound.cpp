#include "media/sound.h"

#include "app/game_context.h"

namespace dw {

const char* const kSoundRequestNames[8] = {"Game0Enemy", "Game1Enemy", "Game2Enemy", "Game3Enemy",
                                           "Game4Enemy", "Game0Explo", "Game1Explo", "Game2Explo"};

HRESULT LoadSample(GameContext*, const char*, std::int32_t& handle) {
    handle = 0;
    return E_FAIL;
}
std::int32_t PlaySound(GameContext*, const char*) { return 0; }
void FreeSound(GameContext*, const char*) {}
HRESULT OpenMusicStream(GameContext*, const char*, std::int32_t&) { return E_FAIL; }
void UnloadAllSounds(GameContext*) {}

void RequestSound(GameContext* ctx, int slot) {
    if (slot < 0 || slot >= kSoundRequests) return;
    SoundRequest& r = ctx->soundRequests[slot];
    if (r.nextAllowed < ctx->timeNow) r.flag = 1;
}

}  // namespace dw
