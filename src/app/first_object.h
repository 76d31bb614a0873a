#pragma once
#include "engine/my_object.h"

namespace dw {

// "first": serves the screen-change requests between the front end and the
// game, once per frame, right after the keyboard.
class FirstObject final : public MyObject {
public:
    explicit FirstObject(GameContext* ctx);
    std::int32_t FrameMove() override;
};

}  // namespace dw
