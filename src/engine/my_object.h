#pragma once
// Base class of every Game object: anything that acts or draws in a frame.
#include <cstdint>

#include "core/draw_entry.h"

namespace dw {

class GameContext;

class MyObject {
public:
    explicit MyObject(GameContext* ctx) : context(ctx) {}
    MyObject(const MyObject&) = delete;
    MyObject& operator=(const MyObject&) = delete;

    // Virtual operations, in their table order. All return 0.
    virtual std::int32_t FrameMove() { return 0; }
    virtual std::int32_t Render() { return 0; }
    virtual std::int32_t InitDeviceObjects(std::uint32_t) { return 0; }
    virtual std::int32_t InvalidateDeviceObjects() { return 0; }
    virtual std::int32_t RestoreDeviceObjects() { return 0; }
    virtual std::int32_t DeleteDeviceObjects() { return InvalidateDeviceObjects(); }
    virtual std::int32_t FinalCleanup() { return DeleteDeviceObjects(); }
    virtual ~MyObject() = default;

    // Block of six screen vertices for a rectangle in normalised screen units
    // (-1..+1 across and down); x, y, u, v only.
    void SetQuadScreen(ScreenVertex* block, float left, float right, float top, float bottom, float uLeft, float uRight,
                       float vTop, float vBottom) const;
    // As SetQuadScreen, with the texture rectangle in texels of a 512 sheet.
    void SetQuadScreenTexels(ScreenVertex* block, float left, float right, float top, float bottom, float texelX,
                             float texelWidth, float texelY, float texelHeight) const;

    GameContext* context;
    std::uint8_t visible = 0;
    std::uint8_t dead = 0;
    std::int32_t order = 0;
    const char* name = "";
};

// Block of six screen vertices for a rectangle in pixels; x, y, u, v only.
void SetQuadPixels(ScreenVertex* block, float x, float y, float width, float height, float uLeft, float uRight,
                   float vTop, float vBottom);

}  // namespace dw
