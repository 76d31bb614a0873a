#pragma once
// Blasts: "explo" (flash, fireball and an animated blast sprite, optionally
// delayed) and the fragments "fpart" it throws out.
#include <cstdint>

#include "engine/my_object.h"
#include "render/sprite_emitter.h"

namespace dw {

class Explosion : public MyObject {
public:
    explicit Explosion(GameContext* ctx);

    // kind 0 throws no fragments; kind k > 0 throws k - 1 + (a random draw mod 3).
    void Setup(float x, float y, float size, std::uint32_t kind = 0, std::uint8_t flag = 1);
    void SetDelay(std::uint32_t ms);

    std::int32_t FrameMove() override;
    std::int32_t Render() override;

    // For tests and tools.
    bool Waiting() const { return waiting != 0; }
    float Phase() const { return phase; }
    std::uint32_t Fragments() const { return fragments; }
    float X() const { return x; }
    float Y() const { return y; }
    float Size() const { return size; }

private:
    void Layout();

    std::uint8_t started = 0;
    std::uint8_t waiting = 1;
    std::uint8_t flag = 1;
    std::uint32_t startTime = 0;
    float x = 0, y = 0;
    float size = 0;
    float spin = 0;
    float phase = 0;
    std::uint32_t fragments = 0;
    float sign = 1;
    ScreenVertex flashQuad[6] = {};
    ScreenVertex fireQuad[6] = {};
    ScreenVertex blastQuad[6] = {};
};

class Fragment : public SpriteEmitter {
public:
    explicit Fragment(GameContext* ctx);

    void SetMotion(float dx, float dy, float size);

    std::int32_t MoveEmitter() override;
    std::int32_t InitParticle(std::uint32_t i) override;
    std::int32_t UpdateParticle(std::uint32_t i) override;
    std::int32_t Render() override;

private:
    float dx = 0, dy = 0;
    float size = 0;
    std::uint32_t birth = 0;
    float scale = 1;
    std::uint32_t sparkColour = 0xffffffff;
};

}  // namespace dw
