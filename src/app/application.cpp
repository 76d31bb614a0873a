#include "app/application.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/game_context.h"
#include "core/log.h"
#include "app/screenshot_key.h"
#include "app/system_report.h"
#include "frontend/records_table.h"
#include "engine/list_engine.h"
#include "render/render_queue.h"
#include "render/scene_states.h"
#include "assets/asset_names.h"
#include "assets/mesh_cache.h"
#include "media/input_objects.h"
#include "assets/sound.h"
#include "assets/textures.h"
#include "platform/clock.h"
#include "gfx/device.h"
#include "gfx/gl/window_device.h"
#include "platform/input.h"
#include "platform/module_resources.h"
#include "platform/resource_library.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "platform/stored_file.h"
#include "platform/system_info.h"

namespace dw {

Application::Application(GameContext* ctx) : context(ctx) {
    // The session's seams come first: the clock, the user directory, the settings.
    creation = CreationSize{};
    log = std::make_unique<Log>(context->UserFile("file.log"));
    context->log = log.get();
    log->WriteLine("Start Execute: \"Duskwhirl 2\".  Begin Log File");
    log->WriteLine("");
    // A user directory that cannot be written costs the settings and the
    // high scores: say so once, and play on.
    if (const std::string& dir = context->services->userDir; !dir.empty()) {
        const std::string problem = platform::UserDirProblem(dir);
        if (!problem.empty()) {
            const std::string warning = "settings and high scores will not be saved: " + problem;
            std::fprintf(stderr, "duskwhirl: %s\n", warning.c_str());
            log->WriteLine(warning);
        } else {
            // What saves killed part way left behind.
            platform::RemoveStaleTemporaries(context->UserFile("settings.ini"));
            platform::RemoveStaleTemporaries(context->UserFile(kRecordsFile));
            RemoveUnlistedReplays(context->UserFile(kRecordsFile));
        }
    }
    ReadSettings(*context, creation);
}

Application::~Application() {
    if (!closed && (device || objectList)) {
        // Never shut down: leave nothing behind.
        if (device) {
            InvalidateDeviceObjects();
            DeleteDeviceObjects();
        }
        ShutdownGame();
        ReleaseDevice();
    }
    if (context->log == log.get()) context->log = nullptr;
}

// ---------------------------------------------------------------------------
// The framework

const char* Application::DeviceErrorText(platform::DeviceError error) {
    using E = platform::DeviceError;
    switch (error) {
        case E::OutOfMemory: return app_text::kOutOfMemory;
        default: return app_text::kGeneric;
    }
}

void Application::ShowError(const char* text, bool fatal) {
    std::string message = text;
    if (fatal) message += app_text::kWillExit;
    if (shell) shell->MessageBox(windowTitle, message, true);
}

HRESULT Application::Create() {
    shell = context->services->shell;
    if (!shell) return E_FAIL;

    platform::WindowConfig config;
    config.title = windowTitle;
    config.width = static_cast<int>(creation.width);
    config.height = static_cast<int>(creation.height);
    config.fullscreen = false;
    platform::DeviceError error = platform::DeviceError::None;
    if (!shell->CreateMainWindow(config, error)) {
        closed = true;
        exitStatus = 1;
        return E_FAIL;
    }

    OneTimeSceneInit();

    device = OpenDevice(error);
    if (!device) {
        // Without a display or the graphics API there is nobody to show a
        // box to: the shell has said why on stderr.
        if (error != platform::DeviceError::NoDisplay && error != platform::DeviceError::NoGraphicsApi)
            ShowError(DeviceErrorText(error), true);
        ShutdownGame();
        shell->DestroyMainWindow();
        closed = true;
        exitStatus = 1;
        return E_FAIL;
    }
    // The game draws at the size the window really got.
    const gfx::PresentParameters picture = PictureParameters();
    if (picture.backBufferWidth != device->BackBufferWidth() ||
        picture.backBufferHeight != device->BackBufferHeight() || !picture.keepAspect)
        device->Reset(picture);
    UpdateBackBufferSize();
    if (!shell->IsFullscreen()) shell->DrawableSize(windowedWidth_, windowedHeight_);
    vsync_ = context->display.vsync;
    shell->SetVsync(vsync_ != 0);
    context->display.fullscreen = shell->IsFullscreen() ? 1 : 0;
    RestoreDeviceObjects();
    active = true;
    InitScene();
    ready = true;
    return S_OK;
}

gfx::Device* Application::OpenDevice(platform::DeviceError& error) {
    gfx::Device* given = context->services->device;
    if (!given) {
        windowDevice = gfx::OpenWindowDevice(*shell, error);
        return windowDevice.get();
    }
    // A device handed in (a recording one, or the window's lent to a demo)
    // draws at the shell's size.
    if (!shell->CreateGraphicsContext(error)) return nullptr;
    int width = 0, height = 0;
    shell->DrawableSize(width, height);
    gfx::PresentParameters params;
    params.backBufferWidth = static_cast<std::uint32_t>(width);
    params.backBufferHeight = static_cast<std::uint32_t>(height);
    params.windowed = !shell->IsFullscreen();
    given->Reset(params);
    return given;
}

void Application::ReleaseDevice() {
    windowDevice.reset();
    if (shell) shell->ReleaseGraphicsContext();
}

void Application::UpdateBackBufferSize() {
    if (!device) return;
    backBufferWidth = static_cast<std::int32_t>(device->BackBufferWidth());
    backBufferHeight = static_cast<std::int32_t>(device->BackBufferHeight());
}

bool Application::Step() {
    if (closed || !shell) return false;
    platform::ShellEvent event;
    while (!closed && shell->PollEvent(event)) HandleEvent(event);
    if (closed) return false;
    if (active && ready) {
        if (FAILED(Render3DEnvironment())) {
            exitStatus = 1;
            shell->PostClose();
        }
    }
    if (active && ready && FAILED(ApplyDisplayChange())) {
        ShowError(app_text::kResetFailed, true);
        exitStatus = 1;
        Shutdown();
    }
    while (!closed && shell->PollEvent(event)) HandleEvent(event);
    return !closed;
}

void Application::HandleEvent(const platform::ShellEvent& event) {
    using T = platform::ShellEventType;
    switch (event.type) {
        case T::Close: Shutdown(); break;
        case T::Activate: OnActivate(); break;
        case T::Deactivate: OnDeactivate(); break;
        case T::Minimised:
            PauseOnFocusLoss();
            active = false;
            break;
        case T::Restored:
        case T::Resized: {
            if (event.type == T::Restored) active = true;
            // The device follows the window's drawable (a size that changed
            // while minimised counts when the window comes back).
            int w = 0, h = 0;
            shell->DrawableSize(w, h);
            if (w > 0 && h > 0 && !shell->IsFullscreen()) {
                windowedWidth_ = w;
                windowedHeight_ = h;
            }
            const gfx::PresentParameters picture = PictureParameters();
            if (active && ready && device && w > 0 && h > 0 &&
                (picture.backBufferWidth != device->BackBufferWidth() ||
                 picture.backBufferHeight != device->BackBufferHeight())) {
                if (FAILED(Resize3DEnvironment())) {
                    ShowError(app_text::kResetFailed, true);
                    exitStatus = 1;
                    Shutdown();
                }
            }
            break;
        }
        case T::Expose: break;  // the next frame draws the window again
        case T::ToggleFullscreen:
            if (ready && FAILED(ToggleFullscreen())) {
                ShowError(app_text::kResetFailed, true);
                exitStatus = 1;
                Shutdown();
            }
            break;
        case T::StopSoundMinimise:
            StopSound();
            shell->Minimise();
            break;
        case T::Screenshot:
            if (device && !screenshotPending_) {
                screenshotPending_ = true;
                captureBefore_ = device->CaptureOnPresent();
                device->SetCaptureOnPresent(true);
            }
            break;
    }
}

HRESULT Application::Render3DEnvironment() {
    if (!device) return E_FAIL;
    const HRESULT level = device->TestCooperativeLevel();
    if (FAILED(level)) {
        // A lost device: no frame until it comes back (the next pass asks again).
        if (level == D3DERR_DEVICELOST) return S_OK;
        if (level == D3DERR_DEVICENOTRESET) {
            if (FAILED(Resize3DEnvironment())) return E_FAIL;
            return S_OK;
        }
        return level;
    }
    device->ResetCounters();  // the counters describe one frame
    if (frameMoving && FrameMove() != 0) return E_FAIL;
    if (Render() != 0) return E_FAIL;

    // The pace of the presents is the driver's (program.h): a frame never waits.
    device->Present();
    if (screenshotPending_) {
        screenshotPending_ = false;
        SaveScreenshotNow(*device, context->UserFile("screenshots"), log.get());
        device->SetCaptureOnPresent(captureBefore_);
    }
    ++frameCount;
    return S_OK;
}

HRESULT Application::Resize3DEnvironment() {
    if (!device) return E_FAIL;
    const gfx::PresentParameters params = PictureParameters();
    InvalidateDeviceObjects();
    const HRESULT hr = device->Reset(params);
    if (FAILED(hr)) return hr;
    UpdateBackBufferSize();
    RestoreDeviceObjects();
    return S_OK;
}

gfx::PresentParameters Application::PictureParameters() const {
    gfx::PresentParameters params;
    int w = 0, h = 0;
    if (shell) shell->DrawableSize(w, h);
    w = w > 0 ? w : 1;
    h = h > 0 ? h : 1;
    params.keepAspect = !creation.stretch;
    if (params.keepAspect) {
        // 4:3 at most as wide or as tall as the drawable.
        if (static_cast<std::int64_t>(w) * 3 > static_cast<std::int64_t>(h) * 4)
            w = std::max(1, (h * 4 + 1) / 3);
        else
            h = std::max(1, (w * 3 + 2) / 4);
    }
    params.backBufferWidth = static_cast<std::uint32_t>(w);
    params.backBufferHeight = static_cast<std::uint32_t>(h);
    params.windowed = !(shell && shell->IsFullscreen());
    return params;
}

HRESULT Application::ToggleFullscreen() {
    if (!shell || !device) return E_FAIL;
    if (!shell->IsFullscreen()) shell->DrawableSize(windowedWidth_, windowedHeight_);
    if (!shell->SetFullscreen(!shell->IsFullscreen())) return E_FAIL;
    return Resize3DEnvironment();
}

void Application::Shutdown() {
    if (closed) return;
    if (onShutdown) {
        auto hook = std::move(onShutdown);
        onShutdown = nullptr;
        hook();
    }
    active = false;
    ready = false;
    if (rememberWindow && shell)
        WriteWindowSettings(*context, static_cast<std::uint32_t>(windowedWidth_),
                            static_cast<std::uint32_t>(windowedHeight_), shell->IsFullscreen());
    if (device) {
        InvalidateDeviceObjects();
        DeleteDeviceObjects();
        ReleaseDevice();
        device = nullptr;
        context->device = nullptr;
    }
    FinalCleanup();
    if (shell) shell->DestroyMainWindow();
    closed = true;
}

// ---------------------------------------------------------------------------
// The game's slots

std::int32_t Application::OneTimeSceneInit() {
    objectList = std::make_unique<ListEngine>();
    meshCache_ = std::make_unique<MeshCache>();
    preparedMeshCache_ = std::make_unique<MeshCache>();
    textureCache_ = std::make_unique<TextureCache>();
    soundCache_ = std::make_unique<SoundCache>();
    renderQueue_ = std::make_unique<RenderQueue>(context);
    context->objectList = objectList.get();
    context->meshCache = meshCache_.get();
    context->preparedMeshCache = preparedMeshCache_.get();
    context->textureCache = textureCache_.get();
    context->soundCache = soundCache_.get();
    context->renderQueue = renderQueue_.get();
    return 0;
}

std::int32_t Application::InitScene() {
    GameContext& c = *context;
    // 1. Screen and device.
    UpdateBackBufferSize();
    c.screenWidth = backBufferWidth;
    c.screenHeight = backBufferHeight;
    c.device = device;
    if (device) device->SetClipStatus(0xFFF, 0xFFF);

    // 2. The system report (also decides canMipMap and canMipLinear).
    platform::SystemInfo* info = c.services->system;
    if (!info) platform::MissingSeam("system information");
    platform::SystemFacts facts = info->Gather();
    D3DCAPS8 caps{};
    if (device) {
        device->GetDeviceCaps(&caps);
        facts.videoCard = device->AdapterDescription();
    }
    WriteSystemReport(c, facts, caps);

    // 3. The system start: Game context start values, sound library,
    // resource library, input devices.
    c.ResetToStartValues();
    StartSound(&c);
    StartInputDevices(c);

    // 4. The resource library check, the random seed, the intro pictures.
    c.random.Seed(seed);
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
    if (!startWindowed && shell && device && !shell->IsFullscreen()) {
        if (FAILED(ToggleFullscreen())) {
            // Stay in the window: the game runs there just as well.
            shell->SetFullscreen(false);
            Resize3DEnvironment();
        }
    } else if (objectList) {
        // No switch, so no reset: the first objects still get their restore pass.
        objectList->RestoreAll();
    }
    return 0;
}

std::int32_t Application::RestoreDeviceObjects() {
    GameContext& c = *context;
    UpdateBackBufferSize();
    c.screenWidth = backBufferWidth;
    c.screenHeight = backBufferHeight;
    c.device = device;
    SetSceneStates(c, SceneStart::AfterReset);
    if (c.renderQueue) c.renderQueue->RestoreDeviceObjects();
    if (objectList) objectList->RestoreAll();
    // A device reset during play returns to the menu.
    if (c.currentScreen == Screen::Game) c.menuRequest = 1;
    c.AdvanceClocks(c.clock().Milliseconds());
    return 0;
}

std::int32_t Application::FrameMove() {
    GameContext& c = *context;
    const std::uint32_t now = c.clock().Milliseconds();
    // A stall (a minimised window, a debugger, a slow disk) counts as the
    // longest frame at most, so the world moves only a little after it.
    const std::uint32_t step = now - c.timeNow;
    c.frameTimes[c.frameTimeIndex] = step < kLongestFrameMs ? step : kLongestFrameMs;
    if (++c.frameTimeIndex >= static_cast<std::uint32_t>(kFrameTimeCount)) c.frameTimeIndex = 0;
    std::uint32_t sum = 0;
    for (std::uint32_t t : c.frameTimes) sum += t;
    c.frameTimeAverage = sum / kFrameTimeCount;
    c.AdvanceClocks(now);

    UpdateBackBufferSize();
    if (c.screenWidth != backBufferWidth) c.screenWidth = backBufferWidth;
    if (c.screenHeight != backBufferHeight) c.screenHeight = backBufferHeight;

    if (c.reacquireMouse) {
        if (c.mouseDevice) c.mouseDevice->Acquire();
        c.reacquireMouse = 0;
    }
    if (objectList && objectList->CountObjects() != 0) objectList->FrameMoveAll();
    if (c.quitRequest) {
        closeRequested = true;
        if (shell) shell->PostClose();
    }
    return 0;
}

std::int32_t Application::Render() {
    if (objectList) objectList->RenderAll();
    if (context->renderQueue) {
        context->renderQueue->Flush();
        context->renderQueue->Clear();
    }
    return 0;
}

std::int32_t Application::InvalidateDeviceObjects() {
    if (objectList) objectList->InvalidateAll();
    if (context->renderQueue) context->renderQueue->InvalidateDeviceObjects();
    if (context->preparedMeshCache) context->preparedMeshCache->ReleaseAll();
    return 0;
}

std::int32_t Application::DeleteDeviceObjects() {
    if (objectList) objectList->DeleteAll();
    if (context->meshCache) context->meshCache->ReleaseAll();
    if (context->textureCache) context->textureCache->ReleaseAll();
    return 0;
}

std::int32_t Application::FinalCleanup() {
    if (!context->normalExit && SettingsKeyOpens(*context) && log)
        log->WriteLine("Unexpected Exit. Restore display settings.");
    ShutdownGame();
    if (context->log == log.get()) context->log = nullptr;
    log.reset();
    return 0;
}

void Application::StopSound() {
    if (!context->soundReady) return;
    StopSoundOutput(context);
}

namespace {
// Ends a manager the application owns: `before` lets it let go of what it
// holds, then it goes and the Game context stops naming it.
template <typename T, typename Before>
void Drop(std::unique_ptr<T>& owned, T*& named, Before before) {
    if (!owned) return;
    before(*owned);
    if (named == owned.get()) named = nullptr;
    owned.reset();
}
}  // namespace

void Application::ShutdownGame() {
    GameContext& c = *context;
    if (c.soundReady) StopSound();
    Drop(objectList, c.objectList, [](ListEngine& l) { l.DestroyAll(); });
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

void Application::OnDeactivate() {
    context->appInactive = 1;
    PauseOnFocusLoss();
}

void Application::PauseOnFocusLoss() {
    // As Escape does: the menu opens with the game in progress.
    if (context->currentScreen == Screen::Game) context->menuRequest = 1;
}
void Application::OnActivate() { context->appInactive = 0; }

}  // namespace dw
