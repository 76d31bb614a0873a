#pragma once
// What the player's ship fires: laser bolts "smbul" and "lsbul", plasma balls
// "rwbul", homing rockets "smroc", and the engine flame "wflame". Each shot
// owns a slot of playerShots or rocketSlots; the Game table decides hits.
#include <cstdint>

#include "engine/my_object.h"
#include "render/sprite_emitter.h"

namespace dw {

struct ShotSlot;

// An emitter whose particles shrink to a fifth of their size over their
// lifetime and, with fade colours set, move from the start to the end colour.
class TrailEmitter : public SpriteEmitter {
public:
    TrailEmitter(GameContext* ctx, std::uint32_t slots) : SpriteEmitter(ctx, slots) {}
    std::int32_t UpdateParticle(std::uint32_t i) override;
};

// A shot drawn as a trail that owns a slot of playerShots: attached, the
// slot takes the weapon's damage; the shot ends, its slot cleared, on a hit,
// when the slot goes, at a new game, or the frame after it left the field.
class SlotShot : public TrailEmitter {
public:
    SlotShot(GameContext* ctx, float startSpeed) : TrailEmitter(ctx, 90), speed(startSpeed) {}

    void AttachShot(std::uint32_t slot, std::uint32_t kind, float speed);

protected:
    // The slot when the shot moves this frame; null when it has ended (now
    // dead, its slot cleared) or play stands still.
    ShotSlot* SlotToMove();
    // The shot at (x, y): its slot there, its trail drawn to there; past the
    // edge of the field it ends.
    void FlyTo(ShotSlot& s, float x, float y);

    std::uint32_t slot = 0;
    std::uint32_t kind = 0;
    float speed;
    std::uint8_t ending = 0;
};

// Laser bolt with a bright head, a soft glow and a fading trail.
class LaserShot : public SlotShot {
public:
    explicit LaserShot(GameContext* ctx);

    void SetDirection(float dx, float dy);

    std::int32_t MoveEmitter() override;
    std::int32_t Render() override;

    float DirX() const { return dirX; }
    float DirY() const { return dirY; }

protected:
    void BuildHead();
    void SubmitHead();

    float dirX = 0, dirY = -1;
    ScreenVertex head[6] = {};
    ScreenVertex glow[6] = {};
};

// The level-3 laser: a fast straight bolt drawn as its trail alone.
class LongLaser : public SlotShot {
public:
    explicit LongLaser(GameContext* ctx);

    // Also keeps the line it flies along.
    void AttachShot(std::uint32_t slot, std::uint32_t kind, float speed);

    std::int32_t MoveEmitter() override;
    std::int32_t Render() override;

private:
    float sway = 0;  // sideways sway amplitude (none)
    float startX = 0;
};

// Plasma ball: an animated sprite that lives at most 750 ms.
class PlasmaShot : public MyObject {
public:
    explicit PlasmaShot(GameContext* ctx);

    void SetStart(float x, float y);
    void AttachShot(std::uint32_t slot, std::uint32_t kind, float speed);
    void SetDirection(float dx, float dy);

    std::int32_t FrameMove() override;
    std::int32_t Render() override;

    float X() const { return x; }
    float Y() const { return y; }

private:
    void End();

    std::uint8_t alive = 1;
    std::uint32_t slot = 0;
    float x = 0, y = 0, z = 0.5f;
    float dirX = 0, dirY = -1;
    float speed = 0.001f;
    float age = 0;
    float animTime = 0;
    std::uint32_t frame = 0;
    ScreenVertex quad[6] = {};
};

// Homing rocket: flies up, locks once on the nearest enemy ahead, turns
// toward it and speeds up; bursts on a hit or after 1500 ms.
class Rocket : public LaserShot {
public:
    explicit Rocket(GameContext* ctx);

    void AttachRocket(std::uint32_t slot, std::uint32_t kind, float speed);

    std::int32_t MoveEmitter() override;

    bool HasTarget() const { return hasTarget != 0; }
    std::uint32_t Target() const { return target; }
    float Speed() const { return speed; }

private:
    void TakeLock(float x, float y);
    void SteerToTarget(float x, float y);

    std::uint32_t lockTime = 0;
    std::uint32_t burnOut = 0;
    std::uint8_t lockDone = 0;
    std::uint8_t hasTarget = 0;
    std::uint32_t target = 0;
    std::uint8_t leftField = 0;
};

// Engine flame of a ship: its owner moves it every frame with EmitAlong and
// lets it go with Release; it then dies once its last particle has faded.
// The first spare parameter of StartEmitter is the particles' drift in field
// units per ms (positive: down the screen).
class EngineFlame : public TrailEmitter {
public:
    explicit EngineFlame(GameContext* ctx);

    void Release();

    std::int32_t MoveEmitter() override;
    std::int32_t UpdateParticle(std::uint32_t i) override;
    std::int32_t Render() override;

    float sortKey = 2.52f;

private:
    std::uint8_t released = 0;
};

}  // namespace dw
