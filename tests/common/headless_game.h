#pragma once
// The whole game without a window, for tests and measurements: a Session
// (app/session.h) on headless devices of its own, stepped one frame at a
// time with scripted input:
//
//   dw::HeadlessGame game({.userDir = dir});
//   ASSERT_TRUE(game.Start());
//   game.input().SetKey(DIK_RETURN, true);
//   game.Step();                      // one frame of 16 ms
//   EXPECT_EQ(game.context().currentScreen, Screen::Menu);
#include <cstdint>
#include <functional>
#include <string>

#include "app/headless_devices.h"
#include "app/session.h"

namespace dw {

class HeadlessGame {
public:
    explicit HeadlessGame(const HeadlessOptions& options = {}, const PlayOptions& play = {});
    ~HeadlessGame();
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    // Creates window, device and scene.
    bool Start();
    bool Start(std::string& error) { return session_.Start(error); }
    // One frame: the session's Step (false once the window closed or the demo ran out).
    bool Step() { return session_.Step(); }
    // Steps up to `frames` times; returns the frames run.
    std::uint64_t Run(std::uint64_t frames);
    // Steps until `done` holds (checked before each step) or `maxFrames`
    // have run; true when `done` held.
    bool RunUntil(const std::function<bool()>& done, std::uint64_t maxFrames);
    // Closes the window as the user would (runs the shutdown).
    void Close() { session_.Close(); }
    bool closed() const { return session_.closed(); }

    Session& session() { return session_; }
    const Session& session() const { return session_; }
    GameContext& context() { return session_.context(); }
    platform::ScriptedInput& input() { return devices_.input; }
    // What the game reads: the scripted input, or the steering over it.
    platform::InputDevices& inputSeam() { return *devices_.services.input; }
    platform::NullShell& shell() { return devices_.shell; }
    gfx::Device& device() { return *devices_.device; }
    platform::FixedStepClock& clock() { return devices_.clock; }
    // The seams of this game (before Start: to take one away in a test).
    platform::Services& services() { return session_.seams(); }
    // Frames the session has run.
    std::uint64_t frames() const;
    // Batches the Render queue drew in the last frame.
    std::uint32_t lastBatches() const { return session_.lastBatches(); }
    // Where the data file was looked for (empty when a library was injected).
    const platform::DataSearch& dataSearch() const { return devices_.dataSearch; }

private:
    Session session_;
    HeadlessDevices& devices_;
};

}  // namespace dw
