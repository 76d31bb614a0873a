#pragma once
// "bonus": a pickup left where an enemy was shot down. It drifts down the
// screen; when the ship touches it (its slot's taken flags) it applies its
// effect to the Game context, plays its sound and disappears.
#include <cstdint>

#include "core/draw_entry.h"
#include "engine/my_object.h"

namespace dw {

class Bonus : public MyObject {
public:
    explicit Bonus(GameContext* ctx);

    void SetStart(float x, float y);
    // Takes the slot and publishes in it whether this pickup is the skull.
    void AttachSlot(std::uint32_t slot);
    std::int32_t FrameMove() override;
    std::int32_t Render() override;

    // Kind for a draw r in 0..389 (weights 40 40 50 50 50 50 20 20 40 5 25).
    static std::uint32_t KindForDraw(std::uint32_t r);
    // Effect of the surprise kind for a draw r in 0..329 (weights over kinds
    // 0..8: 40 40 50 50 50 50 20 25 5).
    static std::uint32_t SurpriseEffectForDraw(std::uint32_t r);
    // Sets kind, strip, frames and effect (the surprise draws its effect);
    // once attached, the slot says whether it is the skull.
    void SetKind(std::uint32_t kind);
    // Applies the effect to the Game context and plays its sound.
    void ApplyEffect();

    std::uint8_t alive = 1;
    float x = 0, y = 0;
    float startX = 0;
    float halfSize = 0.025f;
    std::uint32_t kind = 0;
    std::uint32_t effect = 0;
    float uBase = 0, vBase = 0;
    std::uint32_t frameCount = 16, framesPerRow = 16;
    std::uint32_t frame = 0;
    float framePhase = 0;
    std::uint32_t colour = 0xffffffff;
    std::uint32_t slot = 0;

    // The kind that loses the ship when touched.
    static constexpr std::uint32_t kSkullKind = 9;

private:
    void BuildQuad();
    void PublishKind();
    bool attached_ = false;
    ScreenVertex vertices_[6] = {};
};

}  // namespace dw
