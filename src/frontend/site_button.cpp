#include <cmath>
#include <filesystem>

#include "core/game_context.h"
#include "frontend/help_screen.h"
#include "frontend/ui_common.h"
#include "assets/asset_names.h"
#include "assets/sound.h"
#include "platform/desktop.h"
#include "platform/game_data.h"

namespace dw {

namespace {

// Where the shipped pages may be: beside the program, in the source tree of
// a build directory, installed.
std::string FindSitePage(const char* file) {
    const std::string exe = platform::ProgramDirectory();
    std::vector<std::string> dirs;
    if (!exe.empty()) {
        dirs.push_back(exe + "/site");
        dirs.push_back(exe + "/../data/site");
        dirs.push_back(exe + "/../share/duskwhirl/site");
        dirs.push_back(exe + "/../share/games/duskwhirl/site");
    }
    dirs.push_back(std::string(platform::BuildTimeDataDirectory()) + "/site");
    std::error_code ec;
    for (const auto& d : dirs) {
        const std::filesystem::path p = std::filesystem::path(d) / file;
        if (std::filesystem::is_regular_file(p, ec)) return std::filesystem::weakly_canonical(p, ec).string();
    }
    return {};
}

}  // namespace

const char* SitePageFor(std::uint16_t primaryLanguage) {
    switch (primaryLanguage) {
        case 4: return "zh.html";
        case 5: return "cs.html";
        case 7: return "de.html";
        case 8: return "el.html";
        case 10: return "es.html";
        case 12: return "fr.html";
        case 13: return "he.html";
        case 14: return "hu.html";
        case 16: return "it.html";
        case 17: return "ja.html";
        case 18: return "ko.html";
        case 19: return "nl.html";
        case 21: return "pl.html";
        case 22: return "pt.html";
        case 24: return "ro.html";
        case 25: return "ru.html";
        case 26: return "hr.html";
        case 29: return "sv.html";
        case 31: return "tr.html";
        case 33: return "id.html";
        case 34: return "uk.html";
        case 36: return "sl.html";
        case 37: return "et.html";
        default: return "index.html";
    }
}

std::string SiteAddressFor(std::uint16_t langId) {
    std::string page = FindSitePage(SitePageFor(langId & 0x3FF));
    if (page.empty()) page = FindSitePage("index.html");
    return page.empty() ? std::string{} : platform::FileUrl(page);
}

SiteButton::SiteButton(GameContext* ctx) : MyObject(ctx) {
    name = "site";
    order = 48;
    visible = 1;
}

void SiteButton::Setup(float cx, float hw, float cy, float hhf, float ul, float ur, float vt, float vb, std::uint8_t en,
                       const char* addr) {
    centreX = cx;
    halfWidth = hw;
    centreY = cy;
    halfHeightFactor = hhf;
    uLeft = ul;
    uRight = ur;
    vTop = vt;
    vBottom = vb;
    enabled = en;
    address = addr ? addr : "";
    if (enabled && address.empty()) address = SiteAddressFor(context->desktop().UserDefaultLangID());
    RestoreDeviceObjects();
}

std::int32_t SiteButton::RestoreDeviceObjects() {
    const float w = static_cast<float>(context->screenWidth);
    const float h = static_cast<float>(context->screenHeight);
    aspect = h > 0 ? 0.75f * w / h : 0.75f;
    const float bw = (halfWidth + growX) * w;
    const float bh = (halfHeightFactor + growY) * w;
    const float x = (centreX + 1.0f) * w * 0.5f - bw * 0.5f;
    const float y = (centreY + 1.0f) * h * 0.5f - bh * 0.5f;
    SetQuadPixels(quads_, x, y, bw, bh, uLeft, uRight, vTop, vBottom);
    const float dx = (hover ? 0.03f : 0.02f) * bw;
    const float dy = (hover ? 0.035f : 0.025f) * bh;
    SetQuadPixels(quads_ + 6, x + dx, y + dy, bw, bh, uLeft, uRight, vTop, vBottom);
    ui::PrepareQuads(quads_, 1, 0.55f, 0xFFFFFFFFu);
    ui::PrepareQuads(quads_ + 6, 1, 0.555f, 0xFF000000u);
    return 0;
}

std::int32_t SiteButton::FrameMove() {
    GameContext& c = *context;
    if (!ui::FrontEndActive(&c) || !enabled) return 0;
    if (hover != hoverShown) {
        if (hover) {
            PlaySound(&c, asset::MenuSelect);
            growX = 0.003f;
            growY = 0.002f;
        } else {
            growX = growY = 0;
        }
        RestoreDeviceObjects();
        hoverShown = hover;
    }
    hover = std::fabs(c.layoutCursorX - centreX) < halfWidth &&
        std::fabs(c.layoutCursorY - centreY) < halfHeightFactor * aspect * 1.3f;
    if (hover && c.mouseButtons[0] && !clickHeld) {
        clickHeld = 1;
        PlaySound(&c, asset::MenuPress);
        // The page opens beside the game, which keeps running: a game in
        // progress is not lost for a look at the site.
        c.desktop().OpenUrl(address);  // the outcome does not matter
    }
    if (!c.mouseButtons[0]) clickHeld = 0;
    pulse += static_cast<float>(c.frameTimeAverage) * 0.005f;
    return 0;
}

std::int32_t SiteButton::Render() {
    if (!ui::FrontEndActive(context)) return 0;
    ui::SubmitSprites(context, asset::Help7Tex, quads_ + 6, 2, 2.59f);
    ui::SubmitSprites(context, asset::Help7Tex, quads_, 2, 2.58f);
    return 0;
}

}  // namespace dw
