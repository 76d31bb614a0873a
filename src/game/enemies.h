#pragma once
// The enemy classes the spawner creates from the level script. The armed
// classes (station, fighter, gunship, cruiser) carry their look, value and
// death here; their aiming and firing belong to classes derived from them.
#include <cstdint>

#include "game/enemy.h"

namespace dw {

class EngineFlame;

// "senemy1": small fighter, slow at first, then fast; may carry a halo.
class SmallFighter : public HaloEnemy {
public:
    explicit SmallFighter(GameContext* ctx);

protected:
    void Move(float ft) override;
};

// "senemy2": spinning drone that bursts into four bullets when destroyed.
class Drone : public Enemy {
public:
    explicit Drone(GameContext* ctx);

protected:
    void Move(float ft) override;
    void Explode() override;
};

// "senemy3": the station (look, value and halo; it descends until armed
// behaviour takes over in a derived class).
class Station : public HaloEnemy {
public:
    explicit Station(GameContext* ctx);

protected:
    void Move(float ft) override;
    float speed = 0.0003f;
};

// "senemy4": long craft weaving across the field, turning as it goes.
class Weaver : public Enemy {
public:
    explicit Weaver(GameContext* ctx);
    void SetStart(float x, float y) override;

protected:
    void Move(float ft) override;
    void WriteHitBox() override;

    float yBase = -1.2f;
    float phase = 0;
};

// "senemy5": rotorcraft flying loops down the field.
class Looper : public Enemy {
public:
    explicit Looper(GameContext* ctx);
    void SetStart(float x, float y) override;

protected:
    void Move(float ft) override;

    float yBase = -1.2f;
    float phase = 0;
};

// "senemy6": jumper that climbs from below, slides aside and dives.
class Jumper : public Enemy {
public:
    explicit Jumper(GameContext* ctx);
    std::uint32_t State() const { return state; }

protected:
    void Move(float ft) override;

    std::uint32_t state = 0;
};

// "henemy1": medium fighter with an engine flame, dropping a slow bullet
// every 10 seconds; may carry a halo.
class HeavyFighter : public HaloEnemy {
public:
    explicit HeavyFighter(GameContext* ctx);
    void SetStart(float x, float y) override;
    std::int32_t FinalCleanup() override;

protected:
    void Move(float ft) override;

    float fireAccumulator = 0;
    float zH = 0.49f;
    EngineFlame* flame = nullptr;
};

// "henemy2": interceptor (elite form on Ship0Tex with 5000 hit points).
class Interceptor : public Enemy {
public:
    explicit Interceptor(GameContext* ctx);
    virtual void AttachSlot(std::uint32_t slot, std::uint32_t elite);
    void AttachSlot(std::uint32_t slotIndex) override { AttachSlot(slotIndex, 0); }
    bool Elite() const { return elite != 0; }

protected:
    void Move(float ft) override;
    bool PastExit() const override;
    void Explode() override;

    std::uint8_t elite = 0;
    float speed = 0.0009f;
};

// "henemy3": gunship.
class Gunship : public Enemy {
public:
    explicit Gunship(GameContext* ctx);

protected:
    void Move(float ft) override;
    bool PastExit() const override;
};

// "henemy4": one segment of the four-part ship.
class Segment : public Enemy {
public:
    explicit Segment(GameContext* ctx);
    void AttachSlot(std::uint32_t slotIndex, std::uint32_t partIndex);
    void AttachSlot(std::uint32_t slotIndex) override { AttachSlot(slotIndex, part); }
    void SetStart(float atX, float atY, std::uint32_t index);
    void SetStart(float atX, float atY) override { SetStart(atX, atY, 0); }
    std::uint32_t Part() const { return part; }

protected:
    void Move(float ft) override;
    void Animate(float ft) override;
    void RebuildQuads() override;
    void SetPart(std::uint32_t part);

    std::uint32_t part = 0;
};

// "henemy5": cruiser (look and value; its broadsides come from a derived
// class).
class Cruiser : public Enemy {
public:
    explicit Cruiser(GameContext* ctx);
    void SetStart(float atX, float atY, float) { SetStart(atX, atY); }
    using Enemy::SetStart;

protected:
    void Move(float ft) override;
};

// "henemy6": tanker whose wreck blasts everything around it.
class Tanker : public Enemy {
public:
    explicit Tanker(GameContext* ctx);
    void SetStart(float atX, float atY, float) { SetStart(atX, atY); }
    using Enemy::SetStart;

protected:
    void Move(float ft) override;
    void Explode() override;
};

}  // namespace dw
