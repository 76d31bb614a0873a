#pragma once
#include <cstdint>

#include "game/boss.h"

namespace dw {

// "bigbos3": three-armed cloud launcher.
class CloudBoss : public Boss {
public:
    // The spinning fall, coming to rest, then salvos between turns of a third.
    enum State : std::uint32_t { kFalling = 0, kComingToRest = 1, kArming = 2, kSalvo = 3, kTurning = 4 };

    explicit CloudBoss(GameContext* ctx);
    float BodyAngle() const { return bodyAngle; }

protected:
    void Move(float ft) override;
    void WriteHitBox() override;
    void Publish() override;
    void BuildQuads() override;
    void RenderParts() override;
    float BlastHeight() const override { return halfWidth; }
    void Volley();
    void ArmGeometry();
    bool TurnTo(float ft, float rate);

    float target = 0;
    float glowPhase = 0;
    std::uint32_t volleys = 0, nextVolley = 0;
    float armX[6] = {}, armY[6] = {};
    float emitX[6] = {}, emitY[6] = {}, emitDX[6] = {}, emitDY[6] = {};
    ScreenVertex lights[6 * 42] = {};
};

}  // namespace dw
