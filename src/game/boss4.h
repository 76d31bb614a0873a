#pragma once
#include <cstdint>

#include "game/boss.h"

namespace dw {

// "bigbos4": fortress hovering in a figure eight, launching figures.
class FortressBoss : public Boss {
public:
    // The fall, then the figure eight.
    enum State : std::uint32_t { kFalling = 0, kHovering = 1 };

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
    bool FollowPath(float ft);
    float x = 0, y = 0, startX = 0, heading = 0, turned = 0, travelled = 0;
    float aspect = 1;
    std::uint32_t state = 0, slot = 0, side = 0, row = 0;
    ScreenVertex quad[6] = {};
};

}  // namespace dw
