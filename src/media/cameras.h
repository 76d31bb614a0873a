#pragma once
// The scene's camera ("camera", order 5), which turns its transforms into
// the view and projection matrices of the Game context every frame, and
// "maincam" (order 10), which places it for play once the start-up screens
// are over and installs the scene light.
#include <cstdint>

#include "d3dx/d3dx_math.h"
#include "engine/my_object.h"

namespace dw {

class Camera final : public MyObject {
public:
    explicit Camera(GameContext* ctx);
    std::int32_t FrameMove() override;

    void SetEyeTarget(const D3DXVECTOR3& eyePoint, const D3DXVECTOR3& targetPoint);
    void ResetCamera(const D3DXVECTOR3& position, const D3DXVECTOR3& angles);
    void MoveCamera(float x, float y, float z);
    void TurnCamera(float ax, float ay, float az);

    std::uint8_t enabled = 0;
    D3DXVECTOR3 eye{0, 0, 0};
    D3DXVECTOR3 target{0, 0, 10};
    D3DXVECTOR3 up{0, 10, 0};
    D3DXVECTOR3 right{10, 0, 0};
    D3DXMATRIX view;
    D3DXMATRIX turnX, turnY, dolly, offset, targetTranslation;
    D3DXMATRIX scratch;
};

class MainCamera final : public MyObject {
public:
    explicit MainCamera(GameContext* ctx);
    std::int32_t FrameMove() override;
    std::int32_t RestoreDeviceObjects() override;

    D3DXVECTOR3 playEye{0, 99, 0};
    D3DXVECTOR3 playTarget{0, 0, 0.01f};
    std::uint8_t done = 0;
    D3DXVECTOR3 lastEye, lastTarget;
};

}  // namespace dw
