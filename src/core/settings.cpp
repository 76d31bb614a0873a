#include "core/settings.h"

#include <cstdio>

#include "core/game_context.h"
#include "core/log.h"
#include "platform/settings_store.h"

namespace dw {

namespace {

void SetDefaults(GameContext& ctx) {
    ctx.musicVolume = 28;
    ctx.soundVolume = 50;
    ctx.mouseSpeed = 1.0f;
    ctx.levelIndex = 0;
}

// The window of the last run; files without these keys keep the defaults.
void ReadWindowSettings(const GameContext& ctx, CreationSize& creation) {
    std::uint32_t w = 0, h = 0, v = 0;
    ReadIntRegKey(ctx, kSettingsKey, "WindowWidth", w, 0);
    ReadIntRegKey(ctx, kSettingsKey, "WindowHeight", h, 0);
    if (w >= 320 && h >= 200 && w <= 16384 && h <= 16384) {
        creation.width = w;
        creation.height = h;
    }
    ReadIntRegKey(ctx, kSettingsKey, "FullScreen", v, 1);
    creation.fullscreen = v != 0;
    ReadIntRegKey(ctx, kSettingsKey, "Stretch", v, 0);
    creation.stretch = v != 0;
}

void LogLine(GameContext& ctx, const char* text) {
    if (ctx.log) ctx.log->WriteLine(text);
}
}  // namespace

HRESULT ReadIntRegKey(const GameContext& ctx, const char* key, const char* name, std::uint32_t& value,
                      std::uint32_t defaultValue) {
    value = defaultValue;
    platform::SettingsStore* store = ctx.settingsStore();
    if (!store) return E_FAIL;
    auto v = store->QueryValue(key, name);
    if (!v) return E_FAIL;
    value = *v;
    return S_OK;
}

HRESULT WriteIntRegKey(const GameContext& ctx, const char* name, std::uint32_t value) {
    platform::SettingsStore* store = ctx.settingsStore();
    if (!store) return E_FAIL;
    if (store->CreateKey(kSettingsKey) == platform::SettingsStore::Disposition::Failed) return E_FAIL;
    return store->SetValue(kSettingsKey, name, value) ? S_OK : E_FAIL;
}

HRESULT WriteIntRegKeys(const GameContext& ctx, const std::map<std::string, std::uint32_t>& values) {
    platform::SettingsStore* store = ctx.settingsStore();
    if (!store) return E_FAIL;
    if (store->CreateKey(kSettingsKey) == platform::SettingsStore::Disposition::Failed) return E_FAIL;
    return store->SetValues(kSettingsKey, values) ? S_OK : E_FAIL;
}

void WriteWindowSettings(const GameContext& ctx, std::uint32_t width, std::uint32_t height, bool fullscreen) {
    std::map<std::string, std::uint32_t> values{{"FullScreen", fullscreen ? 1u : 0u}};
    if (width >= 320 && height >= 200) {
        values["WindowWidth"] = width;
        values["WindowHeight"] = height;
    }
    if (WriteIntRegKeys(ctx, values) != S_OK) LogSettingsProblem(ctx);  // the three in one change
}

void LogSettingsProblem(const GameContext& ctx) {
    platform::SettingsStore* store = ctx.settingsStore();
    if (!store || store->Problem().empty()) return;
    const std::string line = "Write Settings....not saved: " + store->Problem();
    std::fprintf(stderr, "duskwhirl: %s\n", line.c_str());
    if (ctx.log) ctx.log->WriteLine(line.c_str());
}

bool RaiseLevelReached(const GameContext& ctx, std::uint32_t levelIndex) {
    platform::SettingsStore* store = ctx.settingsStore();
    if (!store || levelIndex >= kLevelCount || !SettingsKeyOpens(ctx)) return false;
    return store->EditValue(kSettingsKey, "LevelID", [&](std::optional<std::uint32_t> stored) {
        for (std::uint32_t i = levelIndex; stored && i < kLevelCount; ++i)
            if (kLevelIds[i] == *stored) return std::optional<std::uint32_t>{};
        return std::optional<std::uint32_t>{kLevelIds[levelIndex]};
    });
}

bool SettingsKeyOpens(const GameContext& ctx) {
    platform::SettingsStore* store = ctx.settingsStore();
    return store && store->CreateKey(kSettingsKey) != platform::SettingsStore::Disposition::Failed;
}

void ReadSettings(GameContext& ctx, CreationSize& creation) {
    using D = platform::SettingsStore::Disposition;
    platform::SettingsStore* store = ctx.settingsStore();
    const D disposition = store ? store->CreateKey(kSettingsKey) : D::Failed;
    if (disposition != D::Failed) {
        SetDefaults(ctx);
        creation.width = static_cast<std::uint32_t>(ctx.requestedWidth);
        creation.height = static_cast<std::uint32_t>(ctx.requestedHeight);

        std::uint32_t v = 0;
        ReadIntRegKey(ctx, kSettingsKey, "MusicVolume", v, 28);
        ctx.musicVolume = static_cast<std::int32_t>(v > 100 ? 100 : v);
        ReadIntRegKey(ctx, kSettingsKey, "SoundVolume", v, 50);
        ctx.soundVolume = static_cast<std::int32_t>(v > 100 ? 100 : v);
        ReadIntRegKey(ctx, kSettingsKey, "Mouse", v, 0);
        ctx.mouseSpeed = static_cast<float>(v) / 1000.0f;
        if (ctx.mouseSpeed < 0.5f || ctx.mouseSpeed > 1.5f) ctx.mouseSpeed = 1.0f;
        ReadIntRegKey(ctx, kSettingsKey, "LevelID", v, 0);
        if (v != 0) {
            for (std::uint32_t i = 0; i < kLevelCount; ++i) {
                if (kLevelIds[i] == v) {
                    ctx.levelIndex = i;
                    break;
                }
            }
        }
        ReadWindowSettings(ctx, creation);
        ReadControlSettings(ctx);
        ctx.display.stretch = creation.stretch ? 1 : 0;
        LogLine(ctx, "Read Settings........... Succesful read settings");
        if (disposition == D::OpenedExisting) return;
    }
    if (disposition == D::Failed && store && !store->Problem().empty()) LogLine(ctx, store->Problem().c_str());
    LogLine(ctx, "Read Settings....Fucking SHIT!!! Error occuried!");
    creation.width = 800;
    creation.height = 600;
    creation.minDepthBits = 16;
    SetDefaults(ctx);
}

}  // namespace dw
