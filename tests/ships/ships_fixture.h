#pragma once
// A headless game screen for the ship, shots, explosions, enemies and
// bullets: Game context, object list, render queue on a null device, a
// fixed-step clock, and a recording sound library fed from memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/game_context.h"
#include "engine/list_engine.h"
#include "engine/my_object.h"
#include "render/render_queue.h"
#include "assets/asset_names.h"
#include "assets/sound.h"
#include "platform/clock.h"
#include "gfx/null/null_device.h"
#include "platform/resource_library.h"
#include "platform/services.h"
#include "platform/sound_library.h"

namespace dw::testing {

class ShipsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ctx.services = &services;
        auto& s = services;
        s.clock = &clock;
        s.resources = &resources;
        s.sound = &imx;
        for (const char* sample : asset::kAllSamples) resources.blocks[sample] = {'R', 'I', 'F', 'F', 1, 2, 3, 4};
        ctx.device = &device;
        ctx.objectList = &list;
        ctx.renderQueue = &queue;
        ctx.soundCache = &sounds;
        ctx.soundReady = 1;
        ctx.mouseActive = 1;
        ctx.currentScreen = Screen::Game;
        ctx.timeNow = ctx.playTimeNow = clock.Milliseconds();
        ctx.frameTimeAverage = 16;
    }
    void TearDown() override {
        list.DestroyAll();
        queue.Clear();
        auto& s = services;
        s.resources = nullptr;
        s.sound = nullptr;
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
    void Frames(int n, std::uint32_t step = 16) {
        for (int i = 0; i < n; ++i) Frame(step);
    }
    // Advances the clock without running a frame.
    void Tick(std::uint32_t step) {
        clock.Advance(step);
        ctx.AdvanceClocks(clock.Milliseconds());
        ctx.frameTimeAverage = step;
    }

    template <class T = MyObject>
    std::vector<T*> Objects(const std::string& objectName) const {
        std::vector<T*> out;
        for (auto* n = list.Head(); n; n = n->next)
            if (objectName == n->object->name) out.push_back(static_cast<T*>(n->object));
        return out;
    }
    int Count(const std::string& objectName) const { return static_cast<int>(Objects(objectName).size()); }

    // How often the named sample has been played so far.
    int Plays(const char* sample) {
        SoundCache::Entry* e = sounds.Find(sample);
        if (!e) return 0;
        const std::string line = "IMXSamplePlay " + std::to_string(e->handle) + " ";
        return static_cast<int>(std::count_if(imx.calls.begin(), imx.calls.end(),
                                              [&](const std::string& c) { return c.rfind(line, 0) == 0; }));
    }

    // Marks enemy slot i as an enemy box around (x, y).
    void PlaceEnemySlot(int i, float x, float y, float half = 0.05f) {
        HitSlot& s = ctx.enemySlots[i];
        s.active = 1;
        s.destroyed = 0;
        s.hitPoints = 100;
        s.boxMin[0] = x - half;
        s.boxMax[0] = x + half;
        s.boxMin[1] = y - half;
        s.boxMax[1] = y + half;
    }

    platform::FixedStepClock clock{1000};
    platform::MemoryResourceLibrary resources;
    platform::RecordingSoundLibrary imx;
    gfx::NullDevice device;
    platform::Services services;  // the seams of `ctx`
    GameContext ctx;
    ListEngine list;
    RenderQueue queue{&ctx};
    SoundCache sounds;
};

}  // namespace dw::testing
