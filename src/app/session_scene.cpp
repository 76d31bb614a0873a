// The session's scene and its frame: the log and the settings of a start,
// the managers, the scene's start, the frame (the objects' move and drawing,
// present) and the device objects' lost, reset and restore, the tear-down.
#include <cstdio>
#include <string>

#include "app/screenshot_key.h"
#include "app/session.h"
#include "app/system_report.h"
#include "assets/asset_names.h"
#include "assets/mesh_cache.h"
#include "assets/sound.h"
#include "assets/textures.h"
#include "core/game_context.h"
#include "core/log.h"
#include "engine/list_engine.h"
#include "frontend/records_table.h"
#include "gfx/device.h"
#include "media/input_objects.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/resource_library.h"
#include "platform/shell.h"
#include "platform/stored_file.h"
#include "platform/system_info.h"
#include "render/render_queue.h"
#include "render/scene_states.h"

namespace dw {

std::unique_ptr<Log> OpenLogAndReadSettings(GameContext& c, CreationSize& creation) {
    creation = CreationSize{};
    auto log = std::make_unique<Log>(c.UserFile("file.log"));
    c.log = log.get();
    log->WriteLine("Start Execute: \"Duskwhirl 2\".  Begin Log File");
    log->WriteLine("");
    // A user directory that cannot be written costs the settings and the
    // high scores: say so once, and play on.
    if (const std::string& dir = c.services->userDir; !dir.empty()) {
        const std::string problem = platform::UserDirProblem(dir);
        if (!problem.empty()) {
            const std::string warning = "settings and high scores will not be saved: " + problem;
            std::fprintf(stderr, "duskwhirl: %s\n", warning.c_str());
            log->WriteLine(warning);
        } else {
            // What saves killed part way left behind.
            platform::RemoveStaleTemporaries(c.UserFile("settings.ini"));
            platform::RemoveStaleTemporaries(c.UserFile(kRecordsFile));
            RemoveUnlistedReplays(c.UserFile(kRecordsFile));
        }
    }
    ReadSettings(c, creation);
    return log;
}

void AdvanceFrameTime(GameContext& c, std::uint32_t now) {
    // A stall (a minimised window, a debugger, a slow disk) counts as the
    // longest frame at most, so the world moves only a little after it.
    const std::uint32_t step = now - c.timeNow;
    c.frameTimes[c.frameTimeIndex] = step < kLongestFrameMs ? step : kLongestFrameMs;
    if (++c.frameTimeIndex >= static_cast<std::uint32_t>(kFrameTimeCount)) c.frameTimeIndex = 0;
    std::uint32_t sum = 0;
    for (std::uint32_t t : c.frameTimes) sum += t;
    c.frameTimeAverage = sum / kFrameTimeCount;
    c.AdvanceClocks(now);
}

void Session::MakeManagers() {
    GameContext& c = *context_;
    objectList_ = std::make_unique<ListEngine>();
    meshCache_ = std::make_unique<MeshCache>();
    preparedMeshCache_ = std::make_unique<MeshCache>();
    textureCache_ = std::make_unique<TextureCache>();
    soundCache_ = std::make_unique<SoundCache>();
    renderQueue_ = std::make_unique<RenderQueue>(&c);
    c.objectList = objectList_.get();
    c.meshCache = meshCache_.get();
    c.preparedMeshCache = preparedMeshCache_.get();
    c.textureCache = textureCache_.get();
    c.soundCache = soundCache_.get();
    c.renderQueue = renderQueue_.get();
}

void Session::InitScene() {
    GameContext& c = *context_;
    // 1. Screen and device.
    PictureToContext();
    device_->SetClipStatus(0xFFF, 0xFFF);

    // 2. The system report (also decides canMipMap and canMipLinear).
    platform::SystemInfo* info = c.services->system;
    if (!info) platform::MissingSeam("system information");
    platform::SystemFacts facts = info->Gather();
    D3DCAPS8 caps{};
    device_->GetDeviceCaps(&caps);
    facts.videoCard = device_->AdapterDescription();
    WriteSystemReport(c, facts, caps);

    // 3. The system start: Game context start values, sound library,
    // resource library, input devices.
    c.ResetToStartValues();
    StartSound(&c);
    StartInputDevices(c);

    // 4. The resource library check, the random seed, the intro pictures.
    c.random.Seed(config_.seed);
    platform::ResourceLibrary* library = c.resourceLibrary();
    platform::LibraryModule* module = library ? library->LoadLibrary(c.resourceLibraryName) : nullptr;
    if (c.log) c.log->WriteLine(module ? "GAME: Resource Library is present" : "GAME: Resource Library is absent");
    if (c.log && module) {
        const std::string file = library->FilePath(c.resourceLibraryName);
        if (!file.empty()) c.log->WriteLine("GAME: Resource Library file: " + file);
    }
    if (module) library->FreeLibrary(module);
    LoadTexture(&c, asset::IntroMap, 0xFF000000, false, 5);
    LoadTexture(&c, asset::LoadMap, 0xFF000000, false, 5);
    std::int32_t introTrack = 0;
    LoadSample(&c, asset::IntroTrack, introTrack);

    // 5. Render states.
    SetSceneStates(c, SceneStart::First);

    // 6. The first objects.
    CreateFirstObjects(c);

    // 7. Full screen, unless the window was asked for.
    if (!startWindowed_ && !shell_->IsFullscreen()) {
        if (FAILED(ToggleFullscreen())) {
            // Stay in the window: the game runs there just as well.
            shell_->SetFullscreen(false);
            ResetPicture();
        }
    } else {
        // No switch, so no reset: the first objects still get their restore pass.
        objectList_->RestoreAll();
    }
}

void Session::RestoreDeviceObjects() {
    GameContext& c = *context_;
    PictureToContext();
    SetSceneStates(c, SceneStart::AfterReset);
    if (renderQueue_) renderQueue_->RestoreDeviceObjects();
    if (objectList_) objectList_->RestoreAll();
    // A device reset during play returns to the menu.
    if (c.currentScreen == Screen::Game) c.menuRequest = 1;
    c.AdvanceClocks(c.clock().Milliseconds());
}

HRESULT Session::RunFrame() {
    const HRESULT level = device_->TestCooperativeLevel();
    if (FAILED(level)) {
        // A lost device: no frame until it comes back (the next pass asks again).
        if (level == D3DERR_DEVICELOST) return S_OK;
        if (level == D3DERR_DEVICENOTRESET) return FAILED(ResetPicture()) ? E_FAIL : S_OK;
        return level;
    }
    device_->ResetCounters();  // the counters describe one frame
    GameContext& c = *context_;

    // The move: the time ring, the picture's size, the mouse, every object.
    AdvanceFrameTime(c, c.clock().Milliseconds());
    PictureToContext();
    if (c.reacquireMouse) {
        if (c.mouseDevice) c.mouseDevice->Acquire();
        c.reacquireMouse = 0;
    }
    if (objectList_->CountObjects() != 0) objectList_->FrameMoveAll();
    if (c.quitRequest) shell_->PostClose();

    // The drawing: the objects submit, the Render queue draws and empties.
    objectList_->RenderAll();
    renderQueue_->Flush();
    renderQueue_->Clear();

    // The pace of the presents is the driver's (program.h): a frame never waits.
    device_->Present();
    if (screenshotPending_) {
        screenshotPending_ = false;
        SaveScreenshotNow(*device_, c.UserFile("screenshots"), log_.get());
        device_->SetCaptureOnPresent(captureBefore_);
    }
    ++frames_;
    return S_OK;
}

void Session::InvalidateDeviceObjects() {
    if (objectList_) objectList_->InvalidateAll();
    if (renderQueue_) renderQueue_->InvalidateDeviceObjects();
    if (preparedMeshCache_) preparedMeshCache_->ReleaseAll();
}

void Session::DeleteDeviceObjects() {
    if (objectList_) objectList_->DeleteAll();
    if (meshCache_) meshCache_->ReleaseAll();
    if (textureCache_) textureCache_->ReleaseAll();
}

void Session::FinalCleanup() {
    GameContext& c = *context_;
    if (!c.normalExit && SettingsKeyOpens(c) && log_) log_->WriteLine("Unexpected Exit. Restore display settings.");
    ShutdownGame();
    if (c.log == log_.get()) c.log = nullptr;
    log_.reset();
}

void Session::StopSound() {
    if (context_->soundReady) StopSoundOutput(context_.get());
}

namespace {
// Ends a manager the session owns: `before` lets it let go of what it
// holds, then it goes and the Game context stops naming it.
template <typename T, typename Before>
void Drop(std::unique_ptr<T>& owned, T*& named, Before before) {
    if (!owned) return;
    before(*owned);
    if (named == owned.get()) named = nullptr;
    owned.reset();
}
}  // namespace

void Session::ShutdownGame() {
    GameContext& c = *context_;
    if (c.soundReady) StopSound();
    Drop(objectList_, c.objectList, [](ListEngine& l) { l.DestroyAll(); });
    Drop(meshCache_, c.meshCache, [](MeshCache& m) { m.ReleaseAll(); });
    Drop(preparedMeshCache_, c.preparedMeshCache, [](MeshCache& m) { m.ReleaseAll(); });
    Drop(textureCache_, c.textureCache, [](TextureCache& t) { t.ReleaseAll(); });
    Drop(soundCache_, c.soundCache, [&c](SoundCache&) { UnloadAllSounds(&c); });
    Drop(renderQueue_, c.renderQueue, [](RenderQueue& q) { q.Clear(); });
    // The game systems: music stream, sound library, resource library, input.
    ShutdownSound(&c);
    ShutdownInputDevices(c);
    c.camera = nullptr;
}

void Session::PauseOnFocusLoss() {
    // As Escape does: the menu opens with the game in progress.
    if (context_->currentScreen == Screen::Game) context_->menuRequest = 1;
}

}  // namespace dw
