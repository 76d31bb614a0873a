#pragma once
#include <cstdint>

#include "game/boss.h"

namespace dw {

// "bigbos0": carrier with nine orbiting balls.
class CarrierBoss : public Boss {
public:
    // Movement: the fall, then legs of glide, three volleys and a pause.
    enum State : std::uint32_t { kFalling = 0, kNewLeg = 1, kGliding = 2, kFiring = 3, kPausing = 4 };
    // The ball bay, a cycle of its own.
    enum Bay : std::uint32_t { kBayWaiting = 0, kBayOpening = 1, kBayOpen = 2, kBayClosing = 3, kBayClosed = 4 };

    explicit CarrierBoss(GameContext* ctx);
    std::uint32_t BayState() const { return bayState; }
    float BayOpen() const { return bayOpen; }

protected:
    void Move(float ft) override;
    void Publish() override;
    void BuildQuads() override;
    void RenderParts() override;
    void Volley();
    void RunBay(float ft);

    std::uint32_t volleys = 0;
    std::uint32_t bayState = kBayWaiting;
    std::uint32_t bayTime = 0;
    float bayOpen = 0;
    float nextFireAngle = 0;
    ScreenVertex bay[18] = {};
};

class OrbitBall : public MyObject {
public:
    explicit OrbitBall(GameContext* ctx);
    void SetStart(float x, float y);
    void AttachSlot(std::uint32_t slot, std::uint32_t index);
    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::int32_t FinalCleanup() override;
    std::uint32_t State() const { return state; }
    std::uint32_t Index() const { return index; }
    std::uint32_t Slot() const { return slot; }
    float X() const { return x; }
    float Y() const { return y; }

private:
    void Die(bool award);

    float x = 0, y = 0, anchorX = 0, anchorY = 0;
    float aspect = 1, fade = 0, ring = 0, spin = 0;
    std::uint32_t state = 0, slot = 0, index = 0;
    std::uint8_t hasSlot = 0;
    ScreenVertex quad[6] = {};
};

}  // namespace dw
