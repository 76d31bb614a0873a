#include "media/cameras.h"

#include <cstring>

#include "core/game_context.h"
#include "render/scene_states.h"

namespace dw {

Camera::Camera(GameContext* ctx) : MyObject(ctx) {
    name = "camera";
    order = 5;
    for (D3DXMATRIX* m : {&view, &turnX, &turnY, &dolly, &offset, &targetTranslation, &scratch}) D3DXMatrixIdentity(m);
}

void Camera::SetEyeTarget(const D3DXVECTOR3& eyePoint, const D3DXVECTOR3& targetPoint) {
    if (!enabled) return;
    target = targetPoint;
    for (D3DXMATRIX* m : {&turnX, &turnY, &dolly, &offset, &targetTranslation}) D3DXMatrixIdentity(m);
    D3DXMatrixTranslation(&offset, eyePoint.x - targetPoint.x, eyePoint.y - targetPoint.y, eyePoint.z - targetPoint.z);
    D3DXMatrixTranslation(&targetTranslation, targetPoint.x, targetPoint.y, targetPoint.z);
}

void Camera::ResetCamera(const D3DXVECTOR3& position, const D3DXVECTOR3& angles) {
    if (!enabled) return;
    eye = D3DXVECTOR3(0, 0, 0);
    target = D3DXVECTOR3(0, 0, 10);
    up = D3DXVECTOR3(0, 10, 0);
    right = D3DXVECTOR3(10, 0, 0);
    for (D3DXMATRIX* m : {&turnX, &turnY, &dolly, &offset, &targetTranslation, &scratch}) D3DXMatrixIdentity(m);
    MoveCamera(position.x, position.y, position.z);
    TurnCamera(angles.x, angles.y, angles.z);
}

void Camera::MoveCamera(float x, float y, float z) {
    D3DXMATRIX t;
    D3DXMatrixTranslation(&t, x, y, z);
    D3DXMatrixMultiply(&offset, &offset, &t);
}

void Camera::TurnCamera(float ax, float ay, float az) {
    D3DXMATRIX r;
    D3DXMatrixRotationX(&r, ax);
    D3DXMatrixMultiply(&turnX, &turnX, &r);
    D3DXMatrixRotationY(&r, ay);
    D3DXMatrixMultiply(&turnY, &turnY, &r);
    D3DXMatrixRotationZ(&r, az);
    D3DXMatrixMultiply(&dolly, &dolly, &r);
}

std::int32_t Camera::FrameMove() {
    if (!enabled) return 0;
    GameContext& c = *context;
    eye = D3DXVECTOR3(0, 0, 0);
    up = D3DXVECTOR3(0, 10, 0);
    right = D3DXVECTOR3(10, 0, 0);

    D3DXMATRIX m;
    D3DXMatrixMultiply(&m, &offset, &dolly);
    D3DXMatrixMultiply(&m, &m, &turnX);
    D3DXMatrixMultiply(&m, &m, &turnY);
    D3DXMatrixMultiply(&m, &m, &targetTranslation);

    const D3DXVECTOR3 origin = eye, rightIn = right, upIn = up;
    D3DXVec3TransformCoord(&eye, &origin, &m);
    D3DXVec3TransformCoord(&right, &rightIn, &m);
    D3DXVec3TransformNormal(&up, &upIn, &m);
    c.eyePosition = eye;

    D3DXMatrixLookAtLH(&view, &eye, &target, &up);
    c.viewMatrix = view;
    D3DXMATRIX world;
    if (D3DXMatrixInverse(&world, nullptr, &view)) c.cameraWorld = world;

    // Integer pixel sizes as floats; a zero height (minimised) keeps the
    // last projection rather than dividing by zero.
    if (c.screenHeight > 0 && c.screenWidth > 0) {
        D3DXMATRIX projection;
        D3DXMatrixPerspectiveFovLH(&projection, c.fieldOfView,
                                   static_cast<float>(c.screenWidth) / static_cast<float>(c.screenHeight), 3.0f,
                                   830.0f);
        c.projectionMatrix = projection;
    }
    return 0;
}

MainCamera::MainCamera(GameContext* ctx) : MyObject(ctx) {
    name = "maincam";
    order = 10;
    visible = 0;
}

std::int32_t MainCamera::FrameMove() {
    GameContext& c = *context;
    if (done || c.introActive || c.assetLoadingActive) return 0;
    lastEye = playEye;
    lastTarget = playTarget;
    done = 1;
    if (auto* camera = dynamic_cast<Camera*>(c.camera)) {
        camera->SetEyeTarget(D3DXVECTOR3(0, 99, 0), D3DXVECTOR3(0, 0, 0.01f));
        camera->FrameMove();
    }
    c.mouseActive = 1;
    c.requestedScreen = Screen::Menu;
    c.screenChangeRequest = 1;
    return 0;
}

std::int32_t MainCamera::RestoreDeviceObjects() {
    GameContext& c = *context;
    D3DLIGHT8& light = c.mainLight();
    std::memset(&light, 0, sizeof light);
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse.r = light.Diffuse.g = light.Diffuse.b = 1.0f;
    light.Diffuse.a = 0.0f;
    const D3DXVECTOR3 direction(0.5f, -0.7f, 0.3f);
    D3DXVECTOR3 normalised;
    D3DXVec3Normalize(&normalised, &direction);
    light.Direction = normalised;
    light.Range = 100.0f;
    SetSceneLight(c, 0, light);
    c.lightCounter = 0;
    c.lightReady() = 1;
    return 0;
}

}  // namespace dw
