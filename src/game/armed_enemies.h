#pragma once
// The enemies that fire at the player: the station, the interceptor and its
// elite form, the gunship, the cruiser and the two ground guns. Each takes
// the look, value and death of its plain class and adds its firing states.
#include <cstdint>

#include "game/enemies.h"

namespace dw {

// Aim at one of the player's ships: the nearest active one within reach.
struct ShipAim {
    std::uint8_t hasTarget = 0;
    std::uint32_t targetShip = 0;
    float aimX = 0, aimY = 1;
    float turnAngle = 0;
    std::uint32_t lastAimTime = 0;

    // Nearest active ship slot (distance squared below 10, lowest index on a
    // tie); nothing changes when none is in reach.
    void PickTarget(const GameContext* ctx, float x, float y);
    bool TargetActive(const GameContext* ctx) const;
    // One aiming step: aim at the target (x difference scaled by xScale),
    // normalise, derive turnAngle, retarget when the target is gone.
    void Update(const GameContext* ctx, float x, float y, float xScale, bool tankRule);
    // Runs Update when more than `period` ms passed since the last one.
    void Tick(const GameContext* ctx, float x, float y, std::uint32_t period, float xScale = 1.0f,
              bool tankRule = false);
    // Angle that turns a sprite drawn nose up so that it points along the aim.
    float Facing() const;
};

// Turns (x, y) by `angle` radians, in the sense screen quads are turned.
void Rotate(float& x, float& y, float angle);

// The aimed fast bullet of the armed enemies (kind 1, 40 damage); false
// when no enemyShots entry was free.
bool FireFastBullet(GameContext* ctx, float mx, float my, float dx, float dy);
// A slow bullet of kind 0 (50 damage) along (dx, dy).
bool FireSlowBullet(GameContext* ctx, float mx, float my, float dx, float dy);

// "senemy3" with its wander-and-fire cycle.
class ArmedStation : public Station {
public:
    explicit ArmedStation(GameContext* ctx);
    void AttachSlot(std::uint32_t slot) override;
    std::uint32_t Mode() const { return mode; }
    bool Arrived() const { return arrived != 0; }

protected:
    void Move(float ft) override;
    void FireRing();
    void NewLeg(std::uint32_t now);

    std::uint8_t arrived = 0;
    std::uint32_t leaveTime = 0;
    std::uint32_t mode = 0;
    float moveX = 0, moveY = 0;
    float spinAngle = 0;
    std::uint32_t nextFireTime = 0;
};

// "henemy2": dives, turns, fires once and charges along its aim.
class ArmedInterceptor : public Interceptor {
public:
    explicit ArmedInterceptor(GameContext* ctx);
    using Interceptor::AttachSlot;
    void AttachSlot(std::uint32_t slot, std::uint32_t elite) override;
    std::uint32_t State() const { return state; }
    const ShipAim& Aim() const { return aim; }
    std::uint32_t AnimMode() const { return animMode; }

protected:
    void Animate(float ft) override;
    void Move(float ft) override;

    ShipAim aim;
    std::uint32_t state = 0;
    std::uint32_t stateTime = 0;
    std::uint8_t turnRequest = 0;
    std::uint32_t animMode = 0;
    std::uint32_t loopFrame = 0;  // 0-15 within the current loop
};

// "henemy3": descends, strafes, fires bursts of four aimed bullets.
class ArmedGunship : public Gunship {
public:
    explicit ArmedGunship(GameContext* ctx);
    void AttachSlot(std::uint32_t slot) override;
    std::uint32_t State() const { return state; }
    const ShipAim& Aim() const { return aim; }

protected:
    void Move(float ft) override;

    ShipAim aim;
    std::uint32_t state = 0;
    std::uint32_t stateTime = 0;
    float speed = 0.0009f;
    std::uint8_t strafeRight = 0;
    std::uint32_t shotsFired = 0;
    std::uint32_t nextShotTime = 0;
};

// "henemy5": broadsides of three bullets, right and left in turn.
class ArmedCruiser : public Cruiser {
public:
    explicit ArmedCruiser(GameContext* ctx);

protected:
    void Move(float ft) override;

    std::uint8_t armed = 0;
    std::uint32_t nextVolleyTime = 0;
    std::uint8_t leftSide = 0;
};

// Shared part of the two ground guns: fixed to a cell of the ground grid,
// scrolling with the ground pieces.
class GroundGun : public Enemy {
public:
    GroundGun(GameContext* ctx, const char* objectName);
    void SetStart(std::uint32_t column, std::uint32_t row);
    void SetStart(float x, float y) override;
    float Scroll() const { return scroll; }
    bool Armed() const { return armed != 0; }

protected:
    void Place(float ft);

    float scroll = -1.4f;
    float scrollSpeed = 0;
    std::uint32_t column = 0, row = 0;
    float cellScale = 1.05f;
    float cell = 0.078947f;
    std::uint8_t armed = 0;
    std::uint32_t nextFireTime = 0;
};

// "gunfour": a turning three-way turret.
class FourWayGun : public GroundGun {
public:
    explicit FourWayGun(GameContext* ctx);
    float TurretAngle() const { return turretAngle; }

protected:
    void Animate(float ft) override;
    void Move(float ft) override;

    float turretAngle = 0;
    std::uint8_t firing = 0;
    float fireAnimTime = 0;
    std::uint32_t fireFrame = 0;
};

// "guntank": a base with a barrel that aims; bursts of four slow bullets.
class TankGun : public GroundGun {
public:
    explicit TankGun(GameContext* ctx);
    void AttachSlot(std::uint32_t slot) override;
    const ShipAim& Aim() const { return aim; }
    float BarrelAngle() const;
    std::int32_t Render() override;

protected:
    void Move(float ft) override;
    void RebuildQuads() override;

    ShipAim aim;
    std::uint32_t burstCount = 0;
    ScreenVertex barrelQuad[6] = {};
};

}  // namespace dw
