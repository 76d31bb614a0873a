// The controls and the picture options in the settings store.
#include <string>

#include "core/game_context.h"
#include "core/log.h"
#include "core/settings.h"
#include "platform/settings_store.h"

namespace dw {

namespace {

using platform::Controls;
using platform::KeyAction;
using platform::PadAction;

void Complain(const GameContext& ctx, const char* name, const std::string& text) {
    if (!ctx.log) return;
    const std::string line =
        std::string("Read Settings....") + name + "=" + text + " is not understood: the default is used";
    ctx.log->WriteLine(line.c_str());
}

// A number within [low, high]; absent keeps `value`, anything else too, with
// a line in the log.
void ReadRange(const GameContext& ctx, platform::SettingsStore& store, const char* name, int low, int high,
               int& value) {
    const auto text = store.QueryText(kSettingsKey, name);
    if (!text) return;
    const auto v = store.QueryValue(kSettingsKey, name);
    if (!v || *v < static_cast<std::uint32_t>(low) || *v > static_cast<std::uint32_t>(high)) {
        Complain(ctx, name, *text);
        return;
    }
    value = static_cast<int>(*v);
}

template <typename Parse, typename Pair>
void ReadPair(const GameContext& ctx, platform::SettingsStore& store, const char* name, Parse parse, Pair& pair) {
    const auto text = store.QueryText(kSettingsKey, name);
    if (!text) return;
    if (const auto parsed = parse(*text))
        pair = *parsed;
    else
        Complain(ctx, name, *text);
}

}  // namespace

void ReadControlSettings(GameContext& ctx) {
    ctx.controls = Controls::Defaults();
    platform::SettingsStore* store = ctx.settingsStore();
    if (!store) return;
    Controls c = Controls::Defaults();
    for (int i = 0; i < platform::kKeyActions; ++i)
        ReadPair(ctx, *store, platform::KeySettingName(static_cast<KeyAction>(i)), platform::ParseKeys, c.keys[i]);
    for (int i = 0; i < platform::kPadActions; ++i)
        ReadPair(ctx, *store, platform::PadSettingName(static_cast<PadAction>(i)), platform::ParsePadButtons, c.pad[i]);
    ReadRange(ctx, *store, "PadDeadZone", platform::kDeadZoneMin, platform::kDeadZoneMax, c.deadZone);
    ReadRange(ctx, *store, "StickSpeed", platform::kSpeedMin, platform::kSpeedMax, c.stickSpeed);
    ReadRange(ctx, *store, "KeySpeed", platform::kSpeedMin, platform::kSpeedMax, c.keySpeed);
    // A key in two places (a hand-edited file) would do two things at once:
    // the default keys are used instead.
    bool clash = false;
    for (int i = 0; i < platform::kKeyActions; ++i) {
        for (int slot = 0; slot < 2; ++slot) {
            const std::uint8_t k = c.keys[i][slot];
            if (k == 0) continue;
            for (int j = 0; j < i; ++j) clash |= c.keys[j][0] == k || c.keys[j][1] == k;
        }
    }
    if (clash) {
        if (ctx.log) ctx.log->WriteLine("Read Settings....a key is bound twice: the default keys are used");
        c.keys = Controls::Defaults().keys;
    }
    ctx.controls = c;

    int vsync = 1, reduce = 0;
    ReadRange(ctx, *store, "VSync", 0, 1, vsync);
    ReadRange(ctx, *store, "ReduceFlashes", 0, 1, reduce);
    ctx.display.vsync = static_cast<std::uint8_t>(vsync);
    ctx.display.reduceFlashes = static_cast<std::uint8_t>(reduce);
    ReadOnlineSettings(ctx);
}

namespace {

// The values of a set that differ from `before`, as one change of the file:
// what this copy did not change stays as another copy may have saved it.
bool WriteChanged(const GameContext& ctx, const platform::SettingsStore::Values& values,
                  const platform::SettingsStore::Texts& texts) {
    if (values.empty() && texts.empty()) return true;
    platform::SettingsStore* store = ctx.settingsStore();
    if (!store || !SettingsKeyOpens(ctx)) return false;
    return store->SetEntries(kSettingsKey, values, texts);
}

}  // namespace

bool WriteControlSettings(const GameContext& ctx, const Controls& before) {
    const Controls& c = ctx.controls;
    platform::SettingsStore::Values values;
    platform::SettingsStore::Texts texts;
    for (int i = 0; i < platform::kKeyActions; ++i) {
        const std::string now = platform::FormatKeys(c.keys[i]);
        if (now != platform::FormatKeys(before.keys[i]))
            texts[platform::KeySettingName(static_cast<KeyAction>(i))] = now;
    }
    for (int i = 0; i < platform::kPadActions; ++i) {
        const std::string now = platform::FormatPadButtons(c.pad[i]);
        if (now != platform::FormatPadButtons(before.pad[i]))
            texts[platform::PadSettingName(static_cast<PadAction>(i))] = now;
    }
    const auto number = [&](const char* name, int value, int old) {
        if (value != old) values[name] = static_cast<std::uint32_t>(value);
    };
    number("PadDeadZone", c.deadZone, before.deadZone);
    number("StickSpeed", c.stickSpeed, before.stickSpeed);
    number("KeySpeed", c.keySpeed, before.keySpeed);
    return WriteChanged(ctx, values, texts);
}

bool WriteDisplaySettings(const GameContext& ctx, const GameContext::Display& before) {
    platform::SettingsStore::Values values;
    const auto flag = [&](const char* name, std::uint8_t value, std::uint8_t old) {
        if ((value != 0) != (old != 0)) values[name] = value ? 1 : 0;
    };
    flag("Stretch", ctx.display.stretch, before.stretch);
    flag("VSync", ctx.display.vsync, before.vsync);
    flag("ReduceFlashes", ctx.display.reduceFlashes, before.reduceFlashes);
    // The online switch has no value of its own from before: it is written
    // when the file says otherwise, in the same change.
    if (platform::SettingsStore* store = ctx.settingsStore()) {
        const auto stored = store->QueryValue(kSettingsKey, "OnlineScores");
        if ((stored && *stored != 0) != (ctx.online.on != 0)) values["OnlineScores"] = ctx.online.on ? 1 : 0;
    }
    return WriteChanged(ctx, values, {});
}

}  // namespace dw
