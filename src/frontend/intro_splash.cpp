#include "frontend/intro_splash.h"

#include "core/game_context.h"
#include "frontend/ui_common.h"
#include "assets/asset_names.h"
#include "assets/sound.h"
#include "assets/textures.h"
#include "platform/input.h"

namespace dw {

IntroSplash::IntroSplash(GameContext* ctx) : MyObject(ctx) {
    name = "bcgintro";
    order = 20;
    visible = 1;
    phaseStart = ctx->timeNow;
    RestoreDeviceObjects();
}

std::int32_t IntroSplash::RestoreDeviceObjects() {
    const float w = static_cast<float>(context->screenWidth);
    const float h = static_cast<float>(context->screenHeight);
    SetQuadPixels(overlay_, 0, 0, w, h, 0, 0, 0, 0);
    ui::PrepareQuads(overlay_, 1, 0.4f, 0xFF000000u);
    SetOverlayAlpha();
    const float side = 0.3f * w;
    SetQuadPixels(logo_, (w - side) * 0.5f, (h - side) * 0.5f, side, side, 0.001f, 0.999f, 0.001f, 0.999f);
    ui::PrepareQuads(logo_, 1, 0.489f, 0xFFFFFFFFu);
    return 0;
}

std::int32_t IntroSplash::DeleteDeviceObjects() { return 0; }

void IntroSplash::SetOverlayAlpha() {
    // While waiting the screen is plain black; afterwards the fade level shows.
    const auto level = static_cast<std::uint32_t>(fadeLevel);
    const std::uint32_t alpha = 255u - (level > 255u ? 255u : level);
    ui::ColourQuads(overlay_, 1, alpha << 24);
}

std::int32_t IntroSplash::FrameMove() {
    GameContext& c = *context;
    if (!c.introActive) {
        // Someone went past the splash (a direct start): leave without
        // handing over to the loading screen.
        fadeLevel = 0;
        ReleaseTexture(&c, asset::IntroMap2);
        waiting = fadingIn = holding = fadingOut = 0;
        dead = 1;
        return 0;
    }
    const float step = static_cast<float>(c.frameTimeAverage);
    if (waiting && phaseStart + 1500u < c.timeNow) {
        phaseStart = c.timeNow;
        waiting = 0;
        fadingIn = 1;
    }
    if (fadingIn) {
        SetOverlayAlpha();
        // Deliberate (docs/DECISIONS.md): one fade step per frame.
        if (fadeLevel <= 255.0f) fadeLevel += step * 0.32f;
        if (fadeLevel > 255.0f) {
            fadeLevel = 255.0f;
            fadingIn = 0;
            holding = 1;
            phaseStart = c.timeNow;
            if (musicPending) {
                musicPending = 0;
                PlaySound(&c, asset::IntroTrackB);
            }
        }
    }
    if (holding && phaseStart + 2500u < c.timeNow) {
        phaseStart = c.timeNow;
        holding = 0;
        fadingOut = 1;
    }
    bool end = false;
    if (fadingOut) {
        SetOverlayAlpha();
        if (step * 0.15f <= fadeLevel) {
            fadeLevel -= step * 0.15f;
            phaseStart = c.timeNow;
        } else if (phaseStart + 1500u < c.timeNow) {
            end = true;
        }
    }
    using namespace platform;
    if (c.keys[DIK_SPACE] || ui::EnterDown(c) || c.keys[DIK_ESCAPE] || c.mouseButtons[0] || c.mouseButtons[1])
        end = true;
    if (end && !dead) End();
    return 0;
}

void IntroSplash::End() {
    GameContext& c = *context;
    fadeLevel = 0;
    FreeSound(&c, asset::IntroTrackB);
    FreeSound(&c, asset::IntroTrackE);
    ReleaseTexture(&c, asset::IntroMap2);
    DeleteDeviceObjects();
    waiting = fadingIn = holding = fadingOut = 0;
    dead = 1;
    c.introActive = 0;
    c.assetLoadingActive = 1;
}

std::int32_t IntroSplash::Render() {
    if (dead || !(waiting || fadingIn || holding || fadingOut)) return 0;
    ui::SubmitSprites(context, asset::NoTexture, overlay_, 2, 2.0f, true, true);
    if (fadingIn || holding || fadingOut) ui::SubmitSprites(context, asset::IntroMap2, logo_, 2, 2.0f, false, false);
    return 0;
}

}  // namespace dw
