#pragma once
#include <cstdint>

#include "game/boss.h"

namespace dw {

// "bigbos1": gunship repaired by two stations.
class GunshipBoss : public Boss {
public:
    // The fall, the last stretch firing straight down, then the turret.
    enum State : std::uint32_t { kFalling = 0, kDescending = 1, kTurret = 2 };

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
    void Descend(float ft, std::uint32_t now);
    void AimTurret(float ft, std::uint32_t now);
    void FireTurret(std::uint32_t now);
    void TakeRepairs();

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

}  // namespace dw
