#pragma once
// The player's ship "swolf": follows the mouse, fires lasers, plasma and
// rockets, carries the shield, flies in and out of levels and explodes when
// its slot is destroyed.
#include <cstdint>

#include "engine/my_object.h"

namespace dw {

class EngineFlame;
struct HitSlot;

class PlayerShip : public MyObject {
public:
    explicit PlayerShip(GameContext* ctx);

    // The shipSlots entry the Game table gave this ship.
    void AttachSlot(std::uint32_t slot);

    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::int32_t FinalCleanup() override;

    // Read access for the board, tools and tests.
    float X() const { return x; }
    float Y() const { return y; }
    bool Controllable() const { return controllable != 0; }
    bool Leaving() const { return leaving != 0; }
    bool HoldFire() const { return holdFire != 0; }
    std::uint32_t RingSegments() const { return ringSegments; }
    std::uint32_t Slot() const { return slot; }
    void SetPosition(float px, float py) {
        x = px;
        y = py;
        Publish();
    }

private:
    // The position, in the Game context for the program (shipX, shipY).
    void Publish() const;
    // The steps of a frame, in this order.
    void Animate(float ft);
    void Steer(float ft);
    void WriteHitBox(HitSlot& s) const;
    void FlyOutOfLevel();
    void EnterNextLevel(HitSlot& s);
    void ServeDeathBonus();
    void RunShield();
    void TakeDamage(HitSlot& s);
    void TakeEnergyBonus(HitSlot& s);
    void UpdateFlameAndFlash();
    void HoldFireAfterEntry();
    void ReadTriggers();

    void Die(bool explode);
    void ClearSlot();
    void FireLasers();
    void FirePlasma();
    void FireRockets();
    bool FireLaserShot(int type, std::uint32_t kind, float px, float py, float dx, float dy);
    void BuildSprite();
    void BuildRing();

    std::uint8_t running = 1;
    std::uint8_t controllable = 0;
    std::uint8_t leaving = 0;
    std::uint8_t holdFire = 0;
    std::uint32_t holdTimer = 0;
    std::uint8_t fireLatch = 0;
    std::uint8_t rocketLatch = 0;
    std::uint8_t flash = 0;
    std::uint32_t flashTime = 0;
    std::uint32_t exitTimer = 0;
    float x = 0.11f, y = 1.1f;
    float vx = 0, vy = 0;
    float halfWidth = 0.085f;
    float height = 0.0493f;
    std::uint32_t slot = 0;
    std::uint32_t lastLaser = 0, lastSideLaser = 0, lastPlasma = 0, lastPlasmaSound = 0;
    std::uint32_t shieldTimer = 0;
    std::uint32_t ringSegments = 0;
    std::uint32_t totalHitPoints = 0;
    std::uint32_t frame = 0, frameCount = 9;
    float framePhase = 0;
    EngineFlame* flame = nullptr;

    ScreenVertex sprite[6] = {};
    ScreenVertex flashQuad[6] = {};
    ScreenVertex shadow[6] = {};
    ScreenVertex ring[6 * 180] = {};
    std::uint32_t ringQuads = 0;
};

}  // namespace dw
