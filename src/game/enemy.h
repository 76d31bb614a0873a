#pragma once
// What every enemy shares: position and hit box in field units, the sprite
// and shadow quads from a sheet of frames, the slot protocol with the Game
// table, the per-frame skeleton and death (explosion, score, sound). The
// halo variant (HaloEnemy) adds a ring of light that makes an enemy tougher.
#include <cstdint>

#include "core/states.h"
#include "engine/my_object.h"

namespace dw {

// How an enemy class looks and ends: one row of a table per class. The
// defaults are those of a plain Enemy.
struct EnemyLook {
    const char* texture = nullptr;
    std::uint32_t columns = 1;    // grid columns of the sheet
    std::uint32_t firstCell = 0;  // cell of frame 0
    std::uint32_t frameCount = 0;
    float animRate = 0;  // frames per ms
    float halfWidth = 0.05f, halfHeight = 0.05f;
    float depthKey = 2.6f;
    bool steadyDepth = false;  // no random depth jitter
    float shadowShift = 0;     // 0: no shadow
    float vertexZ = 0.5f;
    std::uint32_t colour = 0xffffffff;
    bool topAnchored = false;
    std::uint32_t valueIndex = 0;  // entry of enemyHitPoints
    float exploSize = 1.0f;        // x halfWidth
    std::uint32_t exploKind = 3;
    bool exploAtCentre = false;
    SoundSlot exploSound = SoundSlot::Game0Explo;
};

class Enemy : public MyObject {
public:
    Enemy(GameContext* ctx, const char* objectName);

    virtual void SetStart(float x, float y);
    virtual void AttachSlot(std::uint32_t slot);

    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::int32_t RestoreDeviceObjects() override;
    std::int32_t DeleteDeviceObjects() override { return 0; }

    // Read access for the Game table, tools and tests.
    float X() const { return x; }
    float Y() const { return y; }
    float HalfWidth() const { return halfWidth; }
    float HalfHeight() const { return halfHeight; }
    std::uint32_t Slot() const { return slot; }
    std::uint32_t Frame() const { return frame; }
    std::uint32_t Value() const;
    const ScreenVertex* SpriteQuad() const { return spriteQuad; }
    const char* Texture() const { return texture; }

protected:
    // Step 3 of the frame: the class's movement (and, for armed classes,
    // firing). ft is the frame time in ms.
    virtual void Move(float ft) { (void)ft; }
    // True once the enemy has flown past its exit limit.
    virtual bool PastExit() const { return y > 1.2f; }
    // Step 2: frame animation.
    virtual void Animate(float ft);
    // Step 5: sprite and shadow quads (and the halo) from the current state.
    virtual void RebuildQuads();
    // The big craft fly at a depth `z` of their own, drawn in its order.
    void FlyAtDepth(float z) {
        vertexZ = z;
        depthKey = 3.0f - z;
        depthJitter = 0;
    }
    // Sets the class's look and end from its table row.
    void ApplyLook(const EnemyLook& look);
    // Step 6: the hit box into the slot.
    virtual void WriteHitBox();
    // Step 8 with `award` set: explosion, score, burst and sound.
    virtual void Explode();
    // The explosion of Explode (centre, size, kind and flag of the class).
    void StartExplosion(float cx, float cy, float size, std::uint32_t kind, std::uint8_t flag);
    // Leaves the field without a trace: slot freed, no award.
    void Leave();
    void FreeSlot();
    float DepthKey() const { return depthKey + depthJitter; }

    std::uint8_t alive = 1;
    float x = 0, y = -1.2f;
    float startX = 0, startY = -1.2f;
    float halfWidth = 0.05f, halfHeight = 0.05f;
    float animTime = 0;
    std::uint32_t frame = 0;
    std::uint32_t frameCount = 0;
    std::uint8_t animForward = 1;
    std::uint32_t slot = 0;
    std::uint8_t award = 1;
    float depthJitter = 0;
    ScreenVertex spriteQuad[6] = {};
    ScreenVertex shadowQuad[6] = {};

    // Look of the class.
    const char* texture = nullptr;
    std::uint32_t columns = 1;    // grid columns of the sheet
    std::uint32_t firstCell = 0;  // cell of frame 0
    float animRate = 0;           // frames per ms
    float depthKey = 2.6f;
    float shadowShift = 0;  // 0: no shadow
    bool topAnchored = false;
    float vertexZ = 0.5f;
    std::uint32_t colour = 0xffffffff;
    float angle = 0;  // turn of the sprite about its centre (radians)
    // What it is worth and how it ends.
    std::uint32_t valueIndex = 0;  // entry of enemyHitPoints
    float exploSize = 1.0f;        // x halfWidth
    std::uint32_t exploKind = 3;
    std::uint8_t exploFlag = 1;
    bool exploAtCentre = false;  // (x, y) instead of (x, y + halfWidth)
    SoundSlot exploSound = SoundSlot::Game0Explo;
};

class HaloEnemy : public Enemy {
public:
    HaloEnemy(GameContext* ctx, const char* objectName) : Enemy(ctx, objectName) {}

    void AttachSlot(std::uint32_t slot) override;

    void InitHalo(float radius, float vertexDepth, float depthKey);
    void BuildHalo(bool centred);
    void RenderHalo();
    void HaloBurst();

    std::uint32_t Variant() const { return variant; }
    // For tests and tools: forces a variant and its colours.
    void ForceVariant(std::uint32_t v);

    std::int32_t Render() override;

protected:
    void RebuildQuads() override;
    void Explode() override;
    void ApplyVariantColours();

    std::uint32_t variant = 0;
    ScreenVertex haloVertices[1092] = {};
    float haloRadius = 0;
    float haloDepth = 0;
    float haloSpin = 0;
    float haloVertexDepth = 0.5f;
};

// Four fast bullets from (x, y + 0.04): left, up, down, right, each only if a
// free enemyShots entry is left. The halo form is a little larger and green.
void FireCrossBurst(GameContext* ctx, float x, float y, bool halo);

}  // namespace dw
