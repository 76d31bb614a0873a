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

bool WriteControlSettings(const GameContext& ctx) {
    platform::SettingsStore* store = ctx.settingsStore();
    if (!store || !SettingsKeyOpens(ctx)) return false;
    const Controls& c = ctx.controls;
    bool written = true;
    for (int i = 0; i < platform::kKeyActions; ++i)
        written = store->SetText(kSettingsKey, platform::KeySettingName(static_cast<KeyAction>(i)),
                                 platform::FormatKeys(c.keys[i])) &&
            written;
    for (int i = 0; i < platform::kPadActions; ++i)
        written = store->SetText(kSettingsKey, platform::PadSettingName(static_cast<PadAction>(i)),
                                 platform::FormatPadButtons(c.pad[i])) &&
            written;
    written = WriteIntRegKey(ctx, "PadDeadZone", static_cast<std::uint32_t>(c.deadZone)) == S_OK && written;
    written = WriteIntRegKey(ctx, "StickSpeed", static_cast<std::uint32_t>(c.stickSpeed)) == S_OK && written;
    written = WriteIntRegKey(ctx, "KeySpeed", static_cast<std::uint32_t>(c.keySpeed)) == S_OK && written;
    return written;
}

bool WriteDisplaySettings(const GameContext& ctx) {
    if (!SettingsKeyOpens(ctx)) return false;
    bool written = WriteIntRegKey(ctx, "Stretch", ctx.display.stretch ? 1 : 0) == S_OK;
    written = WriteIntRegKey(ctx, "VSync", ctx.display.vsync ? 1 : 0) == S_OK && written;
    written = WriteIntRegKey(ctx, "ReduceFlashes", ctx.display.reduceFlashes ? 1 : 0) == S_OK && written;
    written = WriteOnlineSettings(ctx) && written;
    return written;
}

}  // namespace dw
