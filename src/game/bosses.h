#pragma once
// The five end-of-level bosses and the objects they bring along: the orbiting
// balls of the carrier, the repair stations (with their light dots) of the
// gunship, the bomber's bombs and the fortress's looping figures. A boss and
// its children talk through context->bossLink.
#include <cstdint>

#include "engine/my_object.h"

namespace dw {

struct HitSlot;

// Takes the first free enemy slot for an object a boss makes; -1 if none.
int TakeChildSlot(GameContext* ctx, std::uint32_t hitPoints, float boxY, bool ramProof);

class Boss : public MyObject {
public:
    static constexpr std::uint32_t kMaxHitPoints = 20000;

    Boss(GameContext* ctx, const char* objectName, const char* sheet, std::uint8_t* doneFlag);

    virtual void SetStart(float x, float y, float z);
    virtual void AttachSlot(std::uint32_t slot);

    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::int32_t RestoreDeviceObjects() override;
    std::int32_t DeleteDeviceObjects() override { return 0; }
    std::int32_t FinalCleanup() override;

    float X() const { return x; }
    float Y() const { return y; }
    float HalfWidth() const { return halfWidth; }
    float HalfHeight() const { return halfHeight; }
    std::uint32_t Slot() const { return slot; }
    std::uint32_t State() const { return state; }
    // The status panel: portrait quad, then the health bar quad.
    const ScreenVertex* Panel() const { return panel; }
    // Width of the health bar in field units (0.4 at full health).
    float BarWidth() const;

protected:
    // Movement and weapons of one frame.
    virtual void Move(float ft) = 0;
    // Hit box into the slot.
    virtual void WriteHitBox();
    // bossLink fields of this boss.
    virtual void Publish() {}
    // Quads of the body and its moving parts.
    virtual void BuildQuads();
    virtual void RenderParts() {}
    // Explosion size reference for the height (boss 3 uses its half width).
    virtual float BlastHeight() const { return halfHeight; }
    void BuildPanel();
    void Explode();
    HitSlot& OwnSlot();
    // Sideways glide toward `gx1`; true when the leg is done.
    bool Glide(float ft, float speed);
    void SetBody(float u0, float u1, float v0, float v1);

    std::uint8_t* done;
    const char* sheet;
    std::uint8_t alive = 1;
    float x = 0.11f, y = -1.4f;
    float halfWidth = 0.3f, halfHeight = 0.3f;
    float aspect = 1.0f;
    std::uint32_t slot = 0;
    std::uint32_t state = 0;
    std::uint32_t stateTime = 0;
    float gx0 = 0, gx1 = 0;  // glide leg
    float bodyAngle = 0;
    float bodyW = 0, bodyH = 0;  // body quad size in pixels
    float bodyU[4] = {0, 0.75f, 0, 0.375f};
    ScreenVertex body[6] = {};
    ScreenVertex shadow[6] = {};
    ScreenVertex panel[12] = {};
};

// "bigbos0": carrier with nine orbiting balls.
class CarrierBoss : public Boss {
public:
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
    std::uint32_t bayState = 0;
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

// "bigbos1": gunship repaired by two stations.
class GunshipBoss : public Boss {
public:
    explicit GunshipBoss(GameContext* ctx);
    void AttachSlot(std::uint32_t slot) override;
    float TurretAimX() const { return aimX; }
    float TurretAimY() const { return aimY; }

protected:
    void Move(float ft) override;
    void Publish() override;
    void BuildQuads() override;
    void RenderParts() override;
    void FireDown();

    std::uint32_t nextShot = 0;
    std::uint8_t turretOn = 0;
    std::uint8_t hasTarget = 0;
    std::uint32_t targetShip = 0;
    float aimX = 0, aimY = 1, turnAngle = 0;
    std::uint32_t lastSteer = 0;
    std::uint32_t volleys = 0;
    ScreenVertex turret[6] = {};
};

class RepairStation : public MyObject {
public:
    explicit RepairStation(GameContext* ctx);
    void SetStart(float x, float y);
    void AttachSlot(std::uint32_t slot, std::uint32_t n);
    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::uint32_t State() const { return state; }
    std::uint32_t Slot() const { return slot; }
    float X() const { return x; }

private:
    float x = 0, y = 0, baseX = 0, moved = 0, phase = 0;
    std::uint32_t state = 0, slot = 0, side = 0;
    std::uint32_t nextRepair = 0, nextDot = 0, dotCount = 0;
    ScreenVertex quad[6] = {};
};

class LightDot : public MyObject {
public:
    explicit LightDot(GameContext* ctx);
    void SetStart(float x, float y);
    std::int32_t FrameMove() override;
    std::int32_t Render() override;

private:
    float x = 0, y = 0, spin = 0;
    std::uint8_t fromRight = 0;
    ScreenVertex quad[6] = {};
};

// "bigbos2": bomber crossing the screen.
class BomberBoss : public Boss {
public:
    explicit BomberBoss(GameContext* ctx);

protected:
    void Move(float ft) override;
    void Publish() override;
    void BuildQuads() override;
    void RenderParts() override;
    void Volley();

    float speedFactor = 1;
    std::uint8_t landed = 0;
    std::uint32_t bayState = 1, bayTime = 0;
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

// "bigbos3": three-armed cloud launcher.
class CloudBoss : public Boss {
public:
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

// "bigbos4": fortress hovering in a figure eight, launching figures.
class FortressBoss : public Boss {
public:
    explicit FortressBoss(GameContext* ctx);
    std::uint32_t Launched() const { return launched; }

protected:
    void Move(float ft) override;
    void Publish() override;
    void Volley();
    void Launch();

    float anchorX = 0, anchorY = 0, amplitude = 0, t = 0;
    std::uint32_t volleyCount = 0, nextVolley = 0, lastLaunch = 0;
    float side = 1;
    std::uint32_t counter = 0, launched = 0;
};

class Figure : public MyObject {
public:
    explicit Figure(GameContext* ctx);
    void SetStart(float x, float y, std::uint32_t side, std::uint32_t row);
    void AttachSlot(std::uint32_t slot);
    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::uint32_t State() const { return state; }

private:
    float x = 0, y = 0, startX = 0, heading = 0, turned = 0, travelled = 0;
    float aspect = 1;
    std::uint32_t state = 0, slot = 0, side = 0, row = 0;
    ScreenVertex quad[6] = {};
};

}  // namespace dw
