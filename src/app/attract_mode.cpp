#include "app/attract_mode.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "app/session.h"
#include "assets/asset_names.h"
#include "assets/textures.h"
#include "core/game_context.h"
#include "core/log.h"
#include "engine/list_engine.h"
#include "engine/my_object.h"
#include "frontend/main_menu.h"
#include "frontend/records_table.h"
#include "frontend/ui_common.h"
#include "media/glyph_text.h"
#include "platform/scratch_dir.h"
#include "platform/shell.h"
#include "render/render_queue.h"

namespace dw {

namespace {

// The real clock a paced demo keeps to, in ms (it wraps, as the pacer allows).
std::uint32_t RealMs() {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());
}

// The blinking "DEMO" over the demo's picture, in the large glyph atlas,
// centred over the battlefield near its top.
class DemoCaption final : public MyObject {
public:
    static constexpr int kGlyphs = 4;
    // Shown for this part of every second.
    static constexpr std::uint32_t kPeriodMs = 1000, kShownMs = 650;

    explicit DemoCaption(GameContext* ctx) : MyObject(ctx), start_(ctx->timeNow) {
        name = "demo caption";
        order = 100;
        visible = 1;
        Layout();
    }
    std::int32_t RestoreDeviceObjects() override {
        Layout();
        return 0;
    }
    std::int32_t Render() override {
        GameContext* c = context;
        if ((c->timeNow - start_) % kPeriodMs >= kShownMs) return 0;
        // Not before the glyphs are loaded: an unloaded texture draws white.
        if (!c->textureCache || !c->textureCache->Find(asset::SymbolMap)) return 0;
        // Over everything else of the picture.
        ui::SubmitSprites(c, asset::SymbolMap, quads_, 2 * kGlyphs, 0.5f);
        return 0;
    }

private:
    void Layout() {
        // The battlefield spans x -0.75 .. 0.962 (the board is at the left).
        // Large enough to read at 800 x 600, a little wider than the atlas's
        // own cells, set close.
        constexpr float kWidth = 0.08f, kGap = -0.006f, kCentre = 0.106f;
        constexpr float kTop = -0.87f, kBottom = -0.70f;
        const float left = kCentre - (kGlyphs * kWidth + (kGlyphs - 1) * kGap) / 2;
        for (int i = 0; i < kGlyphs; ++i) {
            const float x = left + static_cast<float>(i) * (kWidth + kGap);
            SetQuadScreen(quads_ + 6 * i, x, x + kWidth, kTop, kBottom, 0, 0, 0, 0);
        }
        ui::PrepareQuads(quads_, kGlyphs, 0.0f, 0xFFFFFFFFu);
        SetGlyphText(quads_, "DEMO");
    }

    std::uint32_t start_;
    ScreenVertex quads_[6 * kGlyphs] = {};
};

bool AnyHeld(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (bytes[i] & 0x80) return true;
    return false;
}

}  // namespace

std::string MakeScratchUserDir(const std::string& userDir) {
    std::string scratch = platform::MakeScratchDirectory("duskwhirl-demo");
    if (scratch.empty() || userDir.empty()) return scratch;
    RecordRead read = RecordRead::Missing;
    const RecordTable table = LoadRecordTable(platform::FileIn(userDir, kRecordsFile), &read);
    if (read == RecordRead::Complete) SaveRecordTable(scratch + "/" + kRecordsFile, table);
    return scratch;
}

void RemoveScratchUserDir(const std::string& dir) {
    if (dir.empty()) return;
    platform::RemoveScratchDirectory(dir);
}

std::vector<std::string> FindAttractDemos(const std::string& dataFile) {
    std::vector<std::string> demos;
    if (dataFile.empty()) return demos;
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::path(dataFile).parent_path() / kAttractDemoFolder;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() == ".dwdemo" && it->is_regular_file(ec))
            demos.push_back(it->path().lexically_normal().string());
    }
    std::sort(demos.begin(), demos.end());
    return demos;
}

// --- the input layer of the menu's session -----------------------------------

class AttractInput::Device final : public platform::ForwardingInputDevice {
public:
    Device(AttractInput* owner, platform::InputDevice* inner, platform::InputDeviceKind kind)
        : ForwardingInputDevice(inner), owner_(owner), kind_(kind) {}
    HRESULT GetDeviceState(DWORD size, void* data) override {
        const HRESULT hr = inner_->GetDeviceState(size, data);
        const DWORD want = kind_ == platform::InputDeviceKind::Keyboard ? 256 : sizeof(DIMOUSESTATE);
        if (SUCCEEDED(hr) && size == want && data) owner_->Filter(kind_, data);
        return hr;
    }

private:
    AttractInput* owner_;
    platform::InputDeviceKind kind_;
};

std::unique_ptr<platform::ForwardingInputDevice> AttractInput::Wrap(platform::InputDevice* inner,
                                                                    platform::InputDeviceKind kind) {
    return std::make_unique<Device>(this, inner, kind);
}

bool AttractInput::TakeActivity() {
    const bool any = activity_ || GamepadActive();
    activity_ = false;
    return any;
}

void AttractInput::Filter(platform::InputDeviceKind kind, void* data) {
    if (kind == platform::InputDeviceKind::Keyboard) {
        auto* keys = static_cast<std::uint8_t*>(data);
        if (AnyHeld(keys, 256)) activity_ = true;
        for (int k = 0; k < 256; ++k) {
            if (!hiddenKeys_[k]) continue;
            if (keys[k] & 0x80)
                keys[k] = 0;  // still held since it ended a demo
            else
                hiddenKeys_[k] = 0;
        }
        return;
    }
    auto* mouse = static_cast<DIMOUSESTATE*>(data);
    if (mouse->lX || mouse->lY || mouse->lZ || AnyHeld(mouse->rgbButtons, 4)) activity_ = true;
    for (int b = 0; b < 4; ++b) {
        if (!hiddenButtons_[b]) continue;
        if (mouse->rgbButtons[b] & 0x80)
            mouse->rgbButtons[b] = 0;
        else
            hiddenButtons_[b] = 0;
    }
}

bool AttractInput::PollForInput(bool motion) {
    bool input = GamepadActive();
    // A device that was never created or is not acquired has nothing to say;
    // one that was lost (the window lost the focus) ends the demo.
    auto read = [&input](platform::ForwardingInputDevice* device, DWORD size, void* data) {
        if (!device) return false;
        HRESULT hr = device->inner()->GetDeviceState(size, data);
        if (hr == DIERR_NOTACQUIRED && SUCCEEDED(device->inner()->Acquire()))
            hr = device->inner()->GetDeviceState(size, data);
        if (hr == DIERR_INPUTLOST) input = true;
        return SUCCEEDED(hr);
    };
    std::uint8_t keys[256] = {};
    if (read(keyboard(), sizeof keys, keys)) {
        for (int k = 0; k < 256; ++k) {
            if (!(keys[k] & 0x80)) continue;
            hiddenKeys_[k] = 1;
            input = true;
        }
    }
    DIMOUSESTATE pointer{};
    if (read(mouse(), sizeof pointer, &pointer)) {
        if (motion && (pointer.lX || pointer.lY || pointer.lZ)) input = true;
        for (int b = 0; b < 4; ++b) {
            if (!(pointer.rgbButtons[b] & 0x80)) continue;
            hiddenButtons_[b] = 1;
            input = true;
        }
    }
    return input;
}

// --- the attract mode ----------------------------------------------------------

AttractMode::AttractMode(AttractOptions options) : options_(std::move(options)) {}

// The host may be gone by now (it is often destroyed first): a demo still
// playing ends without a word to it.
AttractMode::~AttractMode() { Stop(true); }

platform::InputDevices* AttractMode::Watch(platform::InputDevices* inner) {
    input_ = std::make_unique<AttractInput>(inner);
    return input_.get();
}

bool AttractMode::OnIdleMainMenu(const GameContext& c) const {
    if (c.currentScreen != Screen::Menu || c.introActive || c.assetLoadingActive || c.gameInProgress || c.appInactive ||
        c.quitRequest || c.screenChangeRequest || !c.objectList)
        return false;
    // The main page itself, not a question, the level choice or a screen
    // opened over the menu.
    return c.mainMenuPage == MainMenu::kMain;
}

bool AttractMode::AfterHostFrame(Session& host) {
    if (session_) return true;
    host_ = &host;
    const GameContext& c = host.context();
    const std::uint32_t elapsed = hostTimeKnown_ ? c.timeNow - lastHostTime_ : 0;
    lastHostTime_ = c.timeNow;
    hostTimeKnown_ = true;
    const bool input = input_ && input_->TakeActivity();
    if (!options_.watch.empty() && OnIdleMainMenu(c)) return StartWatched();
    if (input || options_.demos.empty() || !OnIdleMainMenu(c)) {
        idle_ = 0;
        return false;
    }
    idle_ += std::min(elapsed, options_.idleMs);
    if (idle_ < options_.idleMs) return false;
    idle_ = 0;
    return Start();
}

bool AttractMode::OpenSession(const std::string& scratch, std::string& error) {
    // The scratch directory holds a copy of the player's table already.
    HeadlessOptions devices;
    devices.userDir = scratch;
    devices.dataFile = options_.dataFile;
    devices.device = options_.sharedDevice;
    devices.quietSound = true;
    SessionConfig config;
    TakeDemo(config, demo_);
    // The demo's session has seams of its own; the menu's are untouched.
    session_ = std::make_unique<Session>(devices, config);
    if (session_->Start(error)) return true;
    session_.reset();
    // It may have set the window's device to its own size.
    if (options_.sharedDevice && host_ && host_->device()) host_->ResetPicture();
    return false;
}

AttractMode::Opened AttractMode::OpenDemo(const std::string& path, std::string& scratch, std::string& error) {
    if (!LoadDemoFile(path, demo_, error)) return Opened::Refused;
    // The best score the demo shows is the player's; the demo's session
    // writes only its own copy.
    scratch = MakeScratchUserDir(host_ ? host_->services().userDir : std::string());
    if (scratch.empty()) return Opened::NoScratch;
    return OpenSession(scratch, error) ? Opened::Playing : Opened::Refused;
}

void AttractMode::Refuse(const std::string& path, const std::string& scratch, const std::string& error) {
    if (Log* log = HostLog())
        log->WriteLine(std::string("GAME: demo ").append(path).append(" left out: ").append(error));
    if (!scratch.empty()) platform::RemoveScratchDirectory(scratch);
}

void AttractMode::Begin(const std::string& path, const std::string& scratch) {
    scratchDir_ = scratch;
    currentDemo_ = path;
    demoPlayed_ = false;
    ++started_;
    GameContext& demoContext = session_->context();
    if (demoContext.objectList) demoContext.objectList->AddObject(new DemoCaption(&demoContext));
    if (host_) host_->context().attractDemo = 1;
    if (Log* log = HostLog()) log->WriteLine("GAME: demo " + path);
    pacer_.DueAt(RealMs());
}

Log* AttractMode::HostLog() const { return host_ ? host_->context().log : nullptr; }

AttractMode::Opened AttractMode::TryBegin(const std::string& path) {
    std::string scratch, error;
    const Opened opened = OpenDemo(path, scratch, error);
    switch (opened) {
        case Opened::Playing: Begin(path, scratch); break;
        case Opened::NoScratch:
            if (Log* log = HostLog()) log->WriteLine("GAME: no demo: no scratch directory for it");
            break;
        case Opened::Refused: Refuse(path, scratch, error); break;
    }
    return opened;
}

bool AttractMode::Start() {
    while (!options_.demos.empty()) {
        if (next_ >= options_.demos.size()) next_ = 0;
        const std::string path = options_.demos[next_];
        switch (TryBegin(path)) {
            case Opened::Playing: ++next_; return true;
            case Opened::NoScratch: return false;  // try again the next time the menu is idle
            case Opened::Refused:
                // A demo that cannot be read or started is not tried again.
                options_.demos.erase(options_.demos.begin() + static_cast<std::ptrdiff_t>(next_));
                break;
        }
    }
    return false;
}

bool AttractMode::StartWatched() {
    // Asked for once: whatever comes of it, the menu follows.
    const std::string path = std::move(options_.watch);
    options_.watch.clear();
    if (TryBegin(path) != Opened::Playing) return false;
    watched_ = true;
    return true;
}

Session* AttractMode::SessionForFrame() {
    if (!session_) return nullptr;
    if (input_ && input_->PollForInput(!watched_)) {
        Finish(false);
        return nullptr;
    }
    // As fast as the demo was recorded, not as fast as it draws: a frame
    // that is not due yet is left to the next pass.
    if (options_.paced && MsUntilNextFrame() > 0) return nullptr;
    stepsBefore_ = session_->steps();
    return session_.get();
}

void AttractMode::AfterDemoFrame(bool open) {
    if (!session_) return;
    const std::uint64_t steps = session_->steps();
    const bool ran = steps != stepsBefore_;
    const GameContext& c = session_->context();
    if (c.currentScreen == Screen::Game) demoPlayed_ = true;
    // Over at its end, or once its play has ended (game over, the last
    // level done, or a demo that no longer matches the game left play).
    const bool over =
        !open || session_->replayDone() || c.quitRequest || (demoPlayed_ && c.currentScreen != Screen::Game);
    if (options_.paced && ran) {
        const std::uint32_t stepMs = steps <= demo_.frames.size() ? demo_.frames[steps - 1].stepMs : 0;
        pacer_.Ran(stepMs, RealMs());
    }
    if (over) Finish(false);
}

std::uint64_t AttractMode::demoFrames() const { return session_ ? session_->steps() : lastDemoFrames_; }

std::uint32_t AttractMode::MsUntilNextFrame() const {
    if (!session_ || !options_.paced) return 0;
    return pacer_.MsUntilDue(RealMs());
}

void AttractMode::Stop(bool hostClosing) { Finish(hostClosing); }

void AttractMode::Finish(bool hostClosing) {
    if (!session_) return;
    lastDemoFrames_ = session_->steps();
    shownBefore_ += lastDemoFrames_;
    session_.reset();
    watched_ = false;
    if (!scratchDir_.empty()) platform::RemoveScratchDirectory(scratchDir_);
    scratchDir_.clear();
    idle_ = 0;
    hostTimeKnown_ = false;
    // Closing, the menu's context keeps saying a demo played (for the report).
    if (!host_ || hostClosing) return;
    host_->context().attractDemo = 0;
    // The demo drew with the window's device at its own size: the menu's
    // picture comes back.
    if (options_.sharedDevice && !host_->closed() && host_->device()) host_->ResetPicture();
}

}  // namespace dw
