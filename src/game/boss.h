#pragma once
// What every end-of-level boss shares: the Boss base class (entry, hit box,
// status panel, explosion) and the slot taking for the objects a boss makes.
// A boss and its children talk through context->bossLink.
#include <cstdint>

#include "assets/sprite_layout.h"
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
    // The status panel: portrait quad, the health bar's frame, the bar.
    const ScreenVertex* Panel() const { return panel; }
    const ScreenVertex* HealthBarFrame() const { return panel + 6; }
    const ScreenVertex* HealthBar() const { return panel + 12; }
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
    // The body's cell of the boss's sheet, a thousandth inside each edge
    // (no texel of a neighbouring cell bleeds in).
    void SetBody(const assetgen::layout::Rect& cell);

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
    ScreenVertex panel[18] = {};
};

}  // namespace dw
