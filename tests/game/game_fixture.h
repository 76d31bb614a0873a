#pragma once
// A headless Game context with an object list, a render queue, a fixed-step
// clock, an in-memory settings store and a log in a temporary directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/game_context.h"
#include "core/log.h"
#include "engine/list_engine.h"
#include "engine/my_object.h"
#include "render/render_queue.h"
#include "game/level_loader.h"
#include "assets/asset_names.h"
#include "assets/sound.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/resource_library.h"
#include "platform/sound_library.h"
#include "platform/services.h"
#include "platform/settings_store.h"

namespace dw::testing {

// Counts every value written, by name.
class CountingSettingsStore final : public platform::SettingsStore {
public:
    Disposition CreateKey(const std::string& key) override { return inner.CreateKey(key); }
    std::optional<std::uint32_t> QueryValue(const std::string& key, const std::string& name) override {
        return inner.QueryValue(key, name);
    }
    bool SetValue(const std::string& key, const std::string& name, std::uint32_t value) override {
        ++writes[name];
        return inner.SetValue(key, name, value);
    }
    std::optional<std::string> QueryText(const std::string& key, const std::string& name) override {
        return inner.QueryText(key, name);
    }
    bool SetText(const std::string& key, const std::string& name, const std::string& text) override {
        ++writes[name];
        return inner.SetText(key, name, text);
    }
    platform::MemorySettingsStore inner;
    std::map<std::string, int> writes;
};

// Every sample in a memory library and a recording sound library: tells
// which samples were played, by name, in order.
class SoundHarness {
public:
    explicit SoundHarness(GameContext& ctx) : ctx_(ctx) {
        std::size_t i = 0;
        for (const char* name : asset::kAllSamples) {
            std::vector<std::uint8_t> bytes = {'R', 'I', 'F', 'F'};
            bytes.resize(16 + i++, 0);  // the size tells the samples apart
            sizes_[static_cast<long long>(bytes.size())] = name;
            library.blocks[name] = std::move(bytes);
        }
        if (!ctx.services) {
            ctx.services = &own_;
            ownRecord_ = true;
        }
        saved_ = *ctx.services;
        ctx.services->resources = &library;
        ctx.services->sound = &imx;
        ctx.soundCache = &cache;
        ctx.soundReady = 1;
    }
    ~SoundHarness() {
        ctx_.soundCache = nullptr;
        ctx_.services->resources = saved_.resources;
        ctx_.services->sound = saved_.sound;
        if (ownRecord_) ctx_.services = nullptr;
    }
    std::vector<std::string> Played() const {
        std::map<long long, std::string> byHandle;
        std::vector<std::string> out;
        for (const std::string& call : imx.calls) {
            std::istringstream in(call);
            std::string fn;
            long long a = 0, b = 0;
            in >> fn >> a >> b;
            if (fn == "IMXSampleLoad" && sizes_.count(a)) byHandle[b] = sizes_.at(a);
            if (fn == "IMXSamplePlay") out.push_back(byHandle.count(a) ? byHandle[a] : "?");
        }
        return out;
    }
    void Forget() { imx.calls.clear(); }

    platform::MemoryResourceLibrary library;
    platform::RecordingSoundLibrary imx;
    SoundCache cache;

private:
    GameContext& ctx_;
    platform::Services own_;  // when the context had no record of its own
    bool ownRecord_ = false;
    platform::Services saved_;
    std::map<long long, std::string> sizes_;
};

class GameFixture : public ::testing::Test {
protected:
    void SetUp() override {
        services.clock = &clock;
        services.desktop = &fixtureDesktop;
        dir = std::filesystem::temp_directory_path() /
            ("dw_game_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        log = std::make_unique<Log>((dir / "file.log").string());
        services.settings = &settings;
        services.userDir = dir.string();
        ctx.services = &services;
        ctx.log = log.get();
        ctx.objectList = &list;
        ctx.renderQueue = &queue;
        ctx.timeNow = ctx.playTimeNow = clock.Milliseconds();
        ctx.frameTimeAverage = 16;
        ctx.mouseActive = 1;
        ctx.currentScreen = Screen::Game;
    }
    void TearDown() override {
        list.DestroyAll();
        FreeLevelBuffers(&ctx);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // One frame: time moves by the step, every object moves and draws.
    void Frame(std::uint32_t step = 16) {
        clock.Advance(step);
        ctx.AdvanceClocks(clock.Milliseconds());
        ctx.frameTimeAverage = step;
        list.FrameMoveAll();
        queue.Clear();
        list.RenderAll();
    }

    std::string LogText() const {
        std::ifstream in(dir / "file.log");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::vector<MyObject*> Objects(const std::string& objectName) const {
        std::vector<MyObject*> out;
        for (auto* n = list.Head(); n; n = n->next)
            if (objectName == n->object->name) out.push_back(n->object);
        return out;
    }

    platform::FixedStepClock clock{1000};
    platform::RecordingDesktop fixtureDesktop;
    // The seams of the fixture's context (clock, desktop, settings, user directory).
    platform::Services services;
    std::filesystem::path dir;
    std::unique_ptr<Log> log;
    CountingSettingsStore settings;
    GameContext ctx;
    ListEngine list;
    RenderQueue queue{&ctx};
};

}  // namespace dw::testing
