#include "core/game_context.h"

#include "platform/clock.h"
#include "platform/module_resources.h"
#include "platform/services.h"

namespace dw {

GameContext::GameContext() = default;

GameContext::~GameContext() = default;

void GameContext::ResetToStartValues() {
    // Deliberate (docs/DECISIONS.md): the settings survive the system start.
    // The system start runs after the settings were read, the managers were
    // created, the device was set and the system report chose the filter
    // flags. Those fields (the ones of GameContext itself) keep what they
    // hold; everything of GameStartValues takes its start value.
    static_cast<GameStartValues&>(*this) = GameStartValues{};
    timeNow = clock().Milliseconds();
    playTimeNow = timeNow;
}

void GameContext::AdvanceClocks(std::uint32_t now) {
    const bool playStood = gameInProgress && !(mouseActive && currentScreen == Screen::Game);
    if (!playStood) playTimeNow += now - timeNow;
    timeNow = now;
}

platform::Clock& GameContext::clock() const {
    if (!services) platform::MissingSeam("services record");
    return services->Time();
}

platform::Desktop& GameContext::desktop() const {
    if (!services) platform::MissingSeam("services record");
    return services->Browser();
}

platform::SoundLibrary* GameContext::soundLibrary() const { return services ? services->sound : nullptr; }
platform::ResourceLibrary* GameContext::resourceLibrary() const { return services ? services->resources : nullptr; }
platform::SettingsStore* GameContext::settingsStore() const { return services ? services->settings : nullptr; }
platform::InputDevices* GameContext::inputDevices() const { return services ? services->input : nullptr; }
platform::ScoreServer* GameContext::scoreServer() const { return services ? services->scores : nullptr; }

platform::Shell* GameContext::shell() const { return services ? services->shell : nullptr; }

platform::ModuleResources& GameContext::levelModule() const {
    return services && services->module ? *services->module : platform::EmbeddedModule();
}

std::string GameContext::UserFile(const std::string& fileName) const {
    return services ? services->UserFile(fileName) : fileName;
}

}  // namespace dw
