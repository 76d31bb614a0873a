#pragma once
#include <cstdint>

#include "game/boss.h"

namespace dw {

// "bigbos2": bomber crossing the screen.
class BomberBoss : public Boss {
public:
    // Movement: the fall, then legs across the screen with a short pause.
    enum State : std::uint32_t { kFalling = 0, kNewLeg = 1, kGliding = 2, kPausing = 3 };
    // The bomb bay, from the landing on.
    enum Bay : std::uint32_t { kBayOpening = 1, kBayDropping = 2, kBayOpen = 3, kBayClosing = 4, kBayClosed = 5 };

    explicit BomberBoss(GameContext* ctx);

protected:
    void Move(float ft) override;
    void Publish() override;
    void BuildQuads() override;
    void RenderParts() override;
    void Volley();
    // The glide legs and the bomb bay, once the bomber has landed.
    void MoveAndDrop(float ft, std::uint32_t now);

    float speedFactor = 1;
    std::uint8_t landed = 0;
    std::uint32_t bayState = kBayOpening, bayTime = 0;
    float doors = 0;
    float turretAngle = 0;
    std::uint32_t volleyCount = 0, nextVolley = 0;
    ScreenVertex parts[18] = {};
};

class Bomb : public MyObject {
public:
    explicit Bomb(GameContext* ctx);
    void SetStart(float x, float y);
    void AttachSlot(std::uint32_t slot);
    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    float X() const { return x; }
    float Y() const { return y; }
    std::uint32_t State() const { return state; }

private:
    void Detonate();

    float x = 0, y = 0, unfold = 0;
    float aspect = 1;
    std::uint32_t state = 0, slot = 0;
    static constexpr float kHalfWidth = 0.065f, kHalfHeight = 0.04225f;
    ScreenVertex quad[6] = {};
};

}  // namespace dw
