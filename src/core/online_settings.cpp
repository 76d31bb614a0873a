// Online scores in the settings store: OnlineScores=0/1 and ScoreServer=.
#include <string>

#include "core/game_context.h"
#include "core/log.h"
#include "core/settings.h"
#include "platform/score_server.h"
#include "platform/settings_store.h"

#ifndef DW_DEFAULT_SCORE_SERVER
#define DW_DEFAULT_SCORE_SERVER ""
#endif

namespace dw {

const char* DefaultScoreServer() { return DW_DEFAULT_SCORE_SERVER; }

void ReadOnlineSettings(GameContext& ctx) {
    ctx.online = GameContext::Online{0, DefaultScoreServer()};
    if (platform::SettingsStore* store = ctx.settingsStore()) {
        if (const auto text = store->QueryText(kSettingsKey, "OnlineScores")) {
            const auto v = store->QueryValue(kSettingsKey, "OnlineScores");
            if (v && *v <= 1)
                ctx.online.on = static_cast<std::uint8_t>(*v);
            else if (ctx.log)
                ctx.log->WriteLine(("Read Settings....OnlineScores=" + *text + " is not understood: off").c_str());
        }
        // A line present but empty means no server, whatever the default.
        if (const auto server = store->QueryText(kSettingsKey, "ScoreServer")) ctx.online.server = *server;
    }
    ApplyOnlineSettings(ctx);
}

void ApplyOnlineSettings(const GameContext& ctx) {
    if (platform::ScoreServer* scores = ctx.scoreServer())
        scores->Configure(platform::ScoreServer::Config{ctx.online.on != 0, ctx.online.server});
}

}  // namespace dw
