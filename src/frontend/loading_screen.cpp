#include "frontend/loading_screen.h"

#include "core/game_context.h"
#include "core/log.h"
#include "frontend/ui_common.h"
#include "assets/asset_names.h"
#include "assets/textures.h"
#include "platform/clock.h"

namespace dw {

LoadingScreen::LoadingScreen(GameContext* ctx) : MyObject(ctx) {
    name = "qvmload";
    order = 20;
    visible = 1;
    // Count the entries, then load from the first.
    loader.counting = true;
    RunAssetList(ctx, loader);
    loader.counting = false;
    RestoreDeviceObjects();
}

void LoadingScreen::SetLook(std::uint32_t a, std::uint32_t b, std::uint32_t bar, std::uint32_t percentA,
                            std::uint32_t percentB, std::uint32_t percentC) {
    colourA = a;
    colourB = b;
    barColour = bar;
    percent[0] = static_cast<std::uint8_t>(percentA > 100 ? 100 : percentA);
    percent[1] = static_cast<std::uint8_t>(percentB > 100 ? 100 : percentB);
    percent[2] = static_cast<std::uint8_t>(percentC > 100 ? 100 : percentC);
    ui::ColourQuads(bar_, 1, barColour);
    RestoreDeviceObjects();
}

std::int32_t LoadingScreen::RestoreDeviceObjects() {
    const float w = static_cast<float>(context->screenWidth);
    const float h = static_cast<float>(context->screenHeight);
    const float pw = 0.52f * w, ph = 0.29276f * w;
    SetQuadPixels(picture_, 0.5f * w - pw * 0.5f, 0.45f * h - ph * 0.5f, pw, ph, 0.001f, 0.999f, 0.001f, 0.703f);
    ui::PrepareQuads(picture_, 1, 0.9f, 0xFFFFFFFFu);
    const float cw = 0.24f * w, ch = 0.0696f * w;
    SetQuadPixels(caption_, 0.5f * w - cw * 0.5f, 0.81f * h - ch * 0.5f, cw, ch, 0.001f, 0.599f, 0.709f, 0.96f);
    ui::PrepareQuads(caption_, 1, 0.8f, 0xFFFFFFFFu);
    const float bh = 0.01242f * w;
    SetQuadPixels(bar_, 0.5f * w - 0.115f * w + 0.23f * w * progress, 0.82f * h - bh * 0.5f,
                  (1.0f - progress) * 0.23f * w, bh, 0, 0, 0, 0);
    ui::PrepareQuads(bar_, 1, 0.7f, barColour);
    return 0;
}

std::int32_t LoadingScreen::FrameMove() {
    GameContext& c = *context;
    if (!c.assetLoadingActive || dead) return 0;
    loader.passIndex = 0;
    if (loader.total == 0) {
        progress = 1.0f;
    } else {
        c.clock().Sleep(15);
        RunAssetList(&c, loader);
        loader.cursor += 1;
        progress = static_cast<float>(loader.cursor) / static_cast<float>(loader.total);
        RestoreDeviceObjects();
    }
    if ((loader.cursor == loader.total || loader.total == 0) && doneTime == 0) {
        loader.total = 0;
        doneTime = c.timeNow;
    }
    if (doneTime != 0 && doneTime + 500u < c.timeNow) {
        c.assetLoadingActive = 0;
        if (c.log) c.log->WriteLine("GAME: Assets loaded, the menu opens");
        ReleaseTexture(&c, asset::LoadMap);
        dead = 1;
        c.musicRequest = MusicRequest::MenuTheme;
    }
    return 0;
}

std::int32_t LoadingScreen::Render() {
    if (!context->assetLoadingActive || dead) return 0;
    ui::SubmitSprites(context, asset::LoadMap, picture_, 2, 2.0f, false, false);
    ui::SubmitSprites(context, asset::LoadMap, caption_, 2, 2.0f, false, true);
    ui::SubmitSprites(context, asset::NoTexture, bar_, 2, 2.0f, false, false);
    return 0;
}

}  // namespace dw
