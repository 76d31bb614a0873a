#pragma once
// Bullets that enemies and bosses fire at the player's ship: the slow bullet
// "bulslow", the homing cloud "bulcloud" and the fast bullet "bulfast" (two
// classes: FastBullet for aimed shots, BurstBullet for cross bursts). Each
// owns one enemyShots entry that the firer took and filled.
#include <cstdint>

#include "engine/my_object.h"
#include "game/player_shots.h"

namespace dw {

class SlowBullet : public MyObject {
public:
    explicit SlowBullet(GameContext* ctx);

    void SetStart(float x, float y);
    void SetLook(std::uint32_t glowColour, std::uint32_t coreColour, float size, std::uint32_t soundKind);
    void Fire(std::uint32_t entry, float dirX, float dirY, std::uint32_t kind);

    std::int32_t FrameMove() override;
    std::int32_t Render() override;

    float X() const { return x; }
    float Y() const { return y; }
    float DirX() const { return dirX; }
    float DirY() const { return dirY; }

private:
    void End();

    std::uint8_t alive = 1;
    float x = 0, y = 0, startX = 0;
    float size = 0.05f;
    std::uint8_t customLook = 0;
    float spin = 0;
    float phase = 0;
    float glowScale = 1.0f;
    std::uint32_t entry = 0;
    std::uint32_t coreColour = 0xff0000ff;
    std::uint32_t soundKind = 0;
    float dirX = 0, dirY = 0;
    ScreenVertex quads[12] = {};
};

class CloudBullet : public MyObject {
public:
    explicit CloudBullet(GameContext* ctx);

    void SetStart(float x, float y);
    void Launch(std::uint32_t entry, float dirX, float dirY, std::uint32_t kind);

    std::int32_t FrameMove() override;
    std::int32_t Render() override;

    float X() const { return x; }
    float Y() const { return y; }
    float TargetX() const { return targetX; }
    float TargetY() const { return targetY; }
    bool Passed() const { return passed != 0; }

private:
    void End();

    std::uint8_t alive = 1;
    std::uint8_t passed = 0;
    float x = 0, y = 0, startX = 0, startY = 0;
    float targetX = 0, targetY = 0;
    float radius = 0;
    float speed = 0;
    float phase = 0;
    float spin = 0;
    float distance = 0;
    float aspect = 1;
    std::uint32_t state = 0;
    std::uint32_t entry = 0;
    float dirX = 0, dirY = 0;
    ScreenVertex quads[60] = {};
};

// Fast bullet with a trail (shared part of both "bulfast" classes).
class FastBulletBase : public TrailEmitter {
public:
    explicit FastBulletBase(GameContext* ctx);

    void SetDirection(float dx, float dy);

    std::int32_t SetupEmitter() override;
    std::int32_t MoveEmitter() override;
    std::int32_t Render() override;

    float DirX() const { return dirX; }
    float DirY() const { return dirY; }
    float Speed() const { return speed; }
    std::uint32_t Entry() const { return entry; }

protected:
    void Arm(std::uint32_t entry, std::uint32_t kind, float speed);
    void BuildHead();

    float speed = 0;
    std::uint32_t entry = 0;
    float dirX = 0, dirY = -1;
    std::uint8_t finished = 0;
    ScreenVertex head[6] = {};
};

// Aimed fast bullet; soundKind 0 requests "Game1Enemy", 1 "Game3Enemy".
class FastBullet : public FastBulletBase {
public:
    explicit FastBullet(GameContext* ctx) : FastBulletBase(ctx) {}
    void ArmBullet(std::uint32_t entry, std::uint32_t kind, float speed, std::uint32_t soundKind);
};

// Fast bullet of the cross bursts; always requests "Game2Enemy".
class BurstBullet : public FastBulletBase {
public:
    explicit BurstBullet(GameContext* ctx) : FastBulletBase(ctx) {}
    void ArmBullet(std::uint32_t entry, std::uint32_t kind, float speed);
};

// Takes the first free enemyShots entry and fills it (active, damage of the
// kind, size 0.03, position (x, y, 0.35)); -1 when every entry is taken.
int TakeEnemyShot(GameContext* ctx, std::uint32_t kind, float x, float y);

}  // namespace dw
