#include "app/report.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>

#include "core/game_context.h"
#include "engine/list_engine.h"
#include "engine/my_object.h"
#include "platform/stored_file.h"

namespace dw {

namespace {

std::string Escape(const std::string& s) {
    std::string out;
    for (unsigned char ch : s) {
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", ch);
            out += buf;
        } else {
            out += static_cast<char>(ch);
        }
    }
    return out;
}

class JsonFields {
public:
    template <typename T>
    void Add(const char* name, T value) {
        std::ostringstream v;
        if constexpr (std::is_floating_point_v<T>) {
            // JSON has no NaN or infinity: a non-finite number is null.
            const double d = static_cast<double>(value);
            if (std::isfinite(d)) {
                char buf[64];
                std::snprintf(buf, sizeof buf, "%.9g", d);
                v << buf;
            } else {
                v << "null";
            }
        } else if constexpr (std::is_enum_v<T>) {
            v << static_cast<std::uint64_t>(value);  // a named state reports its number
        } else if constexpr (sizeof(T) == 1) {
            v << static_cast<unsigned>(value);
        } else {
            v << value;
        }
        Push(name, v.str());
    }
    void Push(const std::string& name, const std::string& raw) {
        if (!body_.empty()) body_ += ", ";
        body_ += '"';
        body_ += Escape(name);
        body_ += "\": ";
        body_ += raw;
    }
    std::string Str() const { return "{" + body_ + "}"; }

private:
    std::string body_;
};

}  // namespace

std::string BuildReport(const GameContext& c, const ListEngine* objects, std::uint64_t frames,
                        const RendererCounters& r) {
    JsonFields ctx;
#define DW_FIELD(f) ctx.Add(#f, c.f)
    DW_FIELD(screenWidth);
    DW_FIELD(screenHeight);
    DW_FIELD(appInactive);
    DW_FIELD(timeNow);
    DW_FIELD(frameTimeAverage);
    DW_FIELD(frameTimeIndex);
    DW_FIELD(reacquireMouse);
    DW_FIELD(cursorDeltaX);
    DW_FIELD(cursorDeltaY);
    DW_FIELD(musicStream);
    DW_FIELD(soundReady);
    DW_FIELD(canMipMap);
    DW_FIELD(canMipLinear);
    DW_FIELD(musicVolume);
    DW_FIELD(soundVolume);
    DW_FIELD(lightCounter);
    DW_FIELD(gameStartPending);
    DW_FIELD(screenChangeRequest);
    DW_FIELD(requestedScreen);
    DW_FIELD(currentScreen);
    DW_FIELD(score);
    DW_FIELD(bestScore);
    DW_FIELD(musicRequest);
    DW_FIELD(mouseSpeed);
    DW_FIELD(shipRemoveRequest);
    DW_FIELD(shieldRequest);
    DW_FIELD(shieldActive);
    DW_FIELD(shipAlive);
    DW_FIELD(shipEntryRequest);
    DW_FIELD(shieldShipSlot);
    DW_FIELD(laserLevel);
    DW_FIELD(plasmaLevel);
    DW_FIELD(energyGain);
    DW_FIELD(energy);
    DW_FIELD(body);
    DW_FIELD(rockets);
    DW_FIELD(scrollPosition);
    DW_FIELD(shipsLeft);
    DW_FIELD(respawnDelay);
    DW_FIELD(groundScrollSpeed);
    DW_FIELD(scoreFromGame);
    DW_FIELD(gameInProgress);
    DW_FIELD(highScoreCheckRequest);
    DW_FIELD(highScoresClosed);
    DW_FIELD(optionsClosed);
    DW_FIELD(helpClosed);
    DW_FIELD(screenChanged);
    DW_FIELD(menuRequest);
    DW_FIELD(levelStartRequest);
    DW_FIELD(newGameReset);
    DW_FIELD(rocketDamage);
    DW_FIELD(shipHitPoints);
    DW_FIELD(currentLevel);
    DW_FIELD(levelIndex);
    DW_FIELD(fieldOfView);
    DW_FIELD(gamePhase);
    DW_FIELD(requestedWidth);
    DW_FIELD(requestedHeight);
    DW_FIELD(layoutCursorX);
    DW_FIELD(layoutCursorY);
    DW_FIELD(introActive);
    DW_FIELD(assetLoadingActive);
    DW_FIELD(mouseActive);
    DW_FIELD(quitRequest);
    DW_FIELD(normalExit);
#undef DW_FIELD

    std::map<std::string, int> counts;
    if (objects) {
        for (const ListEngine::Node* n = objects->Head(); n; n = n->next) {
            counts[n->object->name ? n->object->name : ""]++;
        }
    }
    JsonFields objs;
    for (const auto& [name, count] : counts) objs.Add(name.c_str(), count);

    JsonFields renderer;
    renderer.Add("draws", r.draws);
    renderer.Add("batches", r.batches);
    renderer.Add("vertices", r.vertices);
    renderer.Add("textureBinds", r.textureBinds);

    // The live ship in field units, for tools that watch the steering.
    std::string ship = "null";
    if (objects && c.shipAlive && c.shipInPlay) {
        JsonFields at;
        at.Add("x", c.shipX);
        at.Add("y", c.shipY);
        ship = at.Str();
    }

    JsonFields top;
    top.Add("frames", frames);
    top.Add("attract", c.attractDemo);
    top.Push("ship", ship);
    top.Push("context", ctx.Str());
    top.Push("objects", objs.Str());
    top.Push("renderer", renderer.Str());
    return top.Str() + "\n";
}

bool WriteReport(const std::string& path, const std::string& json) {
    std::FILE* f = platform::OpenRegularFile(path, "wb");  // never a FIFO or a device
    if (!f) return false;
    const bool ok = std::fwrite(json.data(), 1, json.size(), f) == json.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace dw
