#include <gtest/gtest.h>

#include <cmath>

#include "core/game_context.h"
#include "d3dx/d3dx_math.h"
#include "media/cameras.h"
#include "gfx/null/null_device.h"

namespace dw {
namespace {

void ExpectVec(const D3DVECTOR& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-4f);
    EXPECT_NEAR(v.y, y, 1e-4f);
    EXPECT_NEAR(v.z, z, 1e-4f);
}

D3DXVECTOR3 Apply(const D3DMATRIX& m, const D3DXVECTOR3& p) {
    D3DXVECTOR3 out;
    const D3DXMATRIX mm(m);
    D3DXVec3TransformCoord(&out, &p, &mm);
    return out;
}

TEST(Camera, DisabledCameraComputesNothing) {
    GameContext ctx;
    Camera camera(&ctx);
    EXPECT_EQ(camera.order, 5);
    EXPECT_STREQ(camera.name, "camera");
    camera.SetEyeTarget(D3DXVECTOR3(0, 99, 0), D3DXVECTOR3(0, 0, 0.01f));
    camera.FrameMove();
    ExpectVec(ctx.eyePosition, 0, 0, 0);
    ExpectVec(camera.target, 0, 0, 10);
    EXPECT_EQ(ctx.viewMatrix._11, 0.0f);
}

TEST(Camera, PlayViewLooksStraightDownOntoTheField) {
    GameContext ctx;
    ctx.screenWidth = 800;
    ctx.screenHeight = 600;
    Camera camera(&ctx);
    camera.enabled = 1;
    camera.SetEyeTarget(D3DXVECTOR3(0, 99, 0), D3DXVECTOR3(0, 0, 0.01f));
    camera.FrameMove();
    ExpectVec(ctx.eyePosition, 0, 99, 0);
    ExpectVec(camera.up, 0, 10, 0);
    ExpectVec(camera.right, 10, 99, 0);

    // The target lies straight ahead (+z of view space), 99 units away.
    const D3DXVECTOR3 t = Apply(ctx.viewMatrix, D3DXVECTOR3(0, 0, 0.01f));
    EXPECT_NEAR(t.x, 0, 1e-3f);
    EXPECT_NEAR(t.y, 0, 1e-3f);
    EXPECT_NEAR(t.z, 99, 1e-3f);
    // The camera-to-world matrix undoes the view.
    const D3DXVECTOR3 back = Apply(ctx.cameraWorld, t);
    ExpectVec(back, 0, 0, 0.01f);
    const D3DXVECTOR3 eye = Apply(ctx.cameraWorld, D3DXVECTOR3(0, 0, 0));
    ExpectVec(eye, 0, 99, 0);

    // Projection: 30 degrees vertical, 4:3, planes 3 and 830.
    const float yScale = 1.0f / std::tan(0.5235988f / 2);
    EXPECT_NEAR(ctx.projectionMatrix._22, yScale, 1e-4f);
    EXPECT_NEAR(ctx.projectionMatrix._11, yScale / (800.0f / 600.0f), 1e-4f);
    EXPECT_NEAR(ctx.projectionMatrix._33, 830.0f / (830.0f - 3.0f), 1e-5f);
    EXPECT_NEAR(ctx.projectionMatrix._43, -3.0f * 830.0f / (830.0f - 3.0f), 1e-4f);
    EXPECT_EQ(ctx.projectionMatrix._34, 1.0f);
}

TEST(Camera, ResetCameraPlacesTheEyeAndTurnsAboutTheTarget) {
    GameContext ctx;
    Camera camera(&ctx);
    camera.enabled = 1;
    camera.ResetCamera(D3DXVECTOR3(0, 0, -60), D3DXVECTOR3(0, 0, 0));
    camera.FrameMove();
    ExpectVec(ctx.eyePosition, 0, 0, -60);
    ExpectVec(camera.target, 0, 0, 10);

    // A quarter turn about y swings the offset (0, 0, -60) to (-60, 0, 0).
    camera.ResetCamera(D3DXVECTOR3(0, 0, -60), D3DXVECTOR3(0, D3DX_PI / 2, 0));
    camera.FrameMove();
    ExpectVec(ctx.eyePosition, -60, 0, 0);
    // Moves and turns accumulate.
    camera.MoveCamera(0, 0, -40);
    camera.FrameMove();
    ExpectVec(ctx.eyePosition, -100, 0, 0);
}

TEST(Camera, CoincidentEyeAndTargetStayFinite) {
    GameContext ctx;
    Camera camera(&ctx);
    camera.enabled = 1;
    camera.SetEyeTarget(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0));
    camera.FrameMove();
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            EXPECT_TRUE(std::isfinite(ctx.viewMatrix.m[r][c]));
            EXPECT_TRUE(std::isfinite(ctx.cameraWorld.m[r][c]));
        }
    // A zero-height screen (minimised) keeps the last projection.
    ctx.screenHeight = 0;
    const D3DMATRIX before = ctx.projectionMatrix;
    camera.FrameMove();
    EXPECT_EQ(ctx.projectionMatrix._11, before._11);
    EXPECT_TRUE(std::isfinite(ctx.projectionMatrix._11));
}

TEST(MainCamera, WaitsForIntroAndLoadingThenActsOnce) {
    GameContext ctx;
    Camera camera(&ctx);
    camera.enabled = 1;
    camera.SetEyeTarget(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0));
    ctx.camera = &camera;
    MainCamera main(&ctx);
    EXPECT_EQ(main.order, 10);
    EXPECT_STREQ(main.name, "maincam");

    ASSERT_EQ(ctx.introActive, 1);
    main.FrameMove();
    EXPECT_EQ(ctx.mouseActive, 0);
    ctx.introActive = 0;
    ctx.assetLoadingActive = 1;
    main.FrameMove();
    EXPECT_EQ(ctx.mouseActive, 0);
    EXPECT_EQ(ctx.screenChangeRequest, 0);
    ctx.assetLoadingActive = 0;
    ctx.requestedScreen = Screen::Game;  // whatever was asked before
    main.FrameMove();
    EXPECT_EQ(main.done, 1);
    EXPECT_EQ(ctx.mouseActive, 1);
    EXPECT_EQ(ctx.screenChangeRequest, 1);
    EXPECT_EQ(ctx.requestedScreen, Screen::Menu);
    ExpectVec(ctx.eyePosition, 0, 99, 0);  // the camera ran at once

    ctx.screenChangeRequest = 0;
    ctx.mouseActive = 0;
    main.FrameMove();
    EXPECT_EQ(ctx.screenChangeRequest, 0);
    EXPECT_EQ(ctx.mouseActive, 0);
}

TEST(MainCamera, RestoreInstallsTheSceneLight) {
    GameContext ctx;
    gfx::NullDevice device;
    ctx.device = &device;
    ctx.lightCounter = 9;
    ctx.mainLight().Specular.r = 5;
    MainCamera main(&ctx);
    main.RestoreDeviceObjects();
    const D3DLIGHT8& light = ctx.mainLight();
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(light.Diffuse.r, 1.0f);
    EXPECT_EQ(light.Diffuse.b, 1.0f);
    EXPECT_EQ(light.Diffuse.a, 0.0f);
    EXPECT_EQ(light.Specular.r, 0.0f);
    const float len = std::sqrt(0.25f + 0.49f + 0.09f);
    ExpectVec(light.Direction, 0.5f / len, -0.7f / len, 0.3f / len);
    EXPECT_EQ(light.Range, 100.0f);
    EXPECT_EQ(ctx.lightCounter, 0u);
    EXPECT_EQ(ctx.lightReady(), 1);
}

}  // namespace
}  // namespace dw
