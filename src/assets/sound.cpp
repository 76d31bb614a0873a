#include "assets/sound.h"

#include <string>

#include "core/game_context.h"
#include "core/log.h"
#include "assets/asset_names.h"
#include "assets/resource_read.h"
#include "platform/resource_library.h"
#include "platform/sound_library.h"

namespace dw {

const char* const kSoundRequestNames[8] = {asset::Game0Enemy, asset::Game1Enemy, asset::Game2Enemy, asset::Game3Enemy,
                                           asset::Game4Enemy, asset::Game0Explo, asset::Game1Explo, asset::Game2Explo};

namespace {
void LogLine(GameContext* ctx, const char* text) {
    if (ctx->log) ctx->log->WriteLine(text);
}
}  // namespace

HRESULT LoadSample(GameContext* ctx, const char* name, std::int32_t& handle) {
    handle = 0;
    if (!name || !*name || !ctx->soundCache) return E_FAIL;
    if (SoundCache::Entry* e = ctx->soundCache->Find(name)) {
        handle = e->handle;
        return S_OK;
    }
    platform::SoundLibrary* imx = ctx->soundLibrary();
    std::int32_t loaded = 0;
    bool libraryAnswered = false;
    ReadResource(*ctx, ctx->resourceLibraryName, name, [&](const std::uint8_t* bytes, std::uint32_t size) {
        libraryAnswered = true;
        loaded = imx ? imx->IMXSampleLoad(1, bytes, 0, size, 0, 0) : 0;
        return loaded != 0;
    });
    if (!libraryAnswered) return E_FAIL;
    if (loaded == 0) {
        LogLine(ctx, "FAIL: Can not load sample in IFMOD!");
        return E_FAIL;
    }
    ctx->soundCache->Append(loaded, name);
    handle = loaded;
    return S_OK;
}

std::int32_t PlaySound(GameContext* ctx, const char* name) {
    if (!ctx->soundReady || !ctx->soundLibrary()) return 0;
    std::int32_t handle = 0;
    if (FAILED(LoadSample(ctx, name, handle))) return 0;
    ctx->soundLibrary()->IMXSetGlobalVolumes(-1, ctx->soundVolume, -1);
    const std::int32_t channel = ctx->soundLibrary()->IMXSamplePlay(handle, 100, 0, 0, 0);
    if (SoundCache::Entry* e = ctx->soundCache->Find(name)) e->channel = channel;
    return 0;
}

void FreeSound(GameContext* ctx, const char* name) {
    if (!ctx->soundCache) return;
    ctx->soundCache->Forget(name, [ctx](const SoundCache::Entry& e) {
        if (!ctx->soundLibrary()) return;
        if (e.channel != 0) ctx->soundLibrary()->IMXChannelStop(e.channel);
        ctx->soundLibrary()->IMXSampleUnload(e.handle);
    });
}

namespace {

// One failed step of opening a music stream: logged, and remembered for the
// session so that the stream is not read and decoded again at every try.
HRESULT MusicFailed(GameContext* ctx, const std::string& key, const char* line) {
    LogLine(ctx, line);
    ctx->failedResources[key] = 1;
    return E_FAIL;
}

}  // namespace

HRESULT OpenMusicStream(GameContext* ctx, const char* name, std::int32_t& place) {
    platform::ResourceLibrary* lib = ctx->resourceLibrary();
    platform::LibraryModule* module = ctx->resourceLibraryModule;
    const std::string key = std::string("music/") + name;
    if (ctx->failedResources.count(key)) return E_FAIL;
    if (!module || !lib) return MusicFailed(ctx, key, "FAIL: Can not load library in SFMOD!");
    const platform::ResourceHandle res = lib->FindResource(module, name);
    if (!res) return MusicFailed(ctx, key, "FAIL: Can not find resource in SFMOD!");
    const std::uint32_t size = lib->SizeofResource(module, res);
    if (size == 0) return MusicFailed(ctx, key, "FAIL: Can not size define in SFMOD!");
    if (!lib->LoadResource(module, res)) return MusicFailed(ctx, key, "FAIL: Can not load resource in SFMOD!");
    const std::uint8_t* bytes = lib->LockResource(module, res);
    if (!bytes) return MusicFailed(ctx, key, "FAIL: Can not lock resource in SFMOD!");
    if (place > 0) {
        if (ctx->soundLibrary()) ctx->soundLibrary()->IMXStreamClose(place);
        place = 0;
    }
    place = ctx->soundLibrary() ? ctx->soundLibrary()->IMXStreamOpenFile(1, bytes, 0, size, 0) : 0;
    if (place == 0) return MusicFailed(ctx, key, "FAIL: Can not load stream in SFMOD!");
    return S_OK;
}

void UnloadAllSounds(GameContext* ctx) {
    if (!ctx->soundCache) return;
    ctx->soundCache->ForgetAll([ctx](const SoundCache::Entry& e) {
        if (ctx->soundLibrary()) ctx->soundLibrary()->IMXSampleUnload(e.handle);
    });
}

void StartSound(GameContext* ctx) {
    platform::SoundLibrary* imx = ctx->soundLibrary();
    ctx->soundReady = imx && imx->IMXInit(0, 44100, 0, 0xFFFFFFFFu) != 0 ? 1 : 0;
    if (ctx->soundReady) imx->IMXStart();
    // One line: the reason, and that play goes on without sound (also when
    // the library opened on a device nobody hears).
    if (imx && (!ctx->soundReady || !imx->InitProblem().empty())) {
        const std::string why = imx->InitProblem();
        LogLine(ctx,
                ("Sound: no audio device (" + (why.empty() ? std::string("unknown reason") : why) +
                 "): the game plays silent")
                    .c_str());
    }
    if (platform::ResourceLibrary* lib = ctx->resourceLibrary())
        ctx->resourceLibraryModule = lib->LoadLibrary(ctx->resourceLibraryName);
}

void ShutdownSound(GameContext* ctx) {
    platform::SoundLibrary* imx = ctx->soundLibrary();
    if (ctx->soundReady && imx) {
        if (ctx->musicStream > 0) {
            imx->IMXStreamClose(ctx->musicStream);
            ctx->musicStream = 0;
        }
        imx->IMXUninit();
        ctx->soundReady = 0;
    }
    // The stream's bytes live in the library: free it only after the stream
    // is closed (and always, so that a silent run does not leak it).
    if (ctx->musicStream > 0 && imx) {
        imx->IMXStreamClose(ctx->musicStream);
        ctx->musicStream = 0;
    }
    if (ctx->resourceLibraryModule) {
        if (platform::ResourceLibrary* lib = ctx->resourceLibrary()) lib->FreeLibrary(ctx->resourceLibraryModule);
        ctx->resourceLibraryModule = nullptr;
    }
}

void StopSoundOutput(GameContext* ctx) {
    if (ctx->soundReady && ctx->soundLibrary()) ctx->soundLibrary()->IMXStop();
}

void RequestSound(GameContext* ctx, SoundSlot slot) {
    const std::uint32_t index = Number(slot);
    if (index >= static_cast<std::uint32_t>(kSoundRequests)) return;
    SoundRequest& r = ctx->soundRequests[index];
    if (r.nextAllowed < ctx->timeNow) r.flag = 1;
}

}  // namespace dw
