#pragma once
// Base of every screen-space particle object (shots, bullets, fragments,
// engine flames): a trail of small textured quads in pixels that the object
// spawns at a fixed interval or evenly along its path, ages and submits as
// one draw entry per frame.
#include <cstdint>

#include "core/draw_entry.h"
#include "engine/my_object.h"
#include "render/render_queue.h"

namespace dw {

class SpriteEmitter : public MyObject {
public:
    struct Particle {
        std::uint8_t alive;
        std::uint8_t inArray;
        std::uint32_t cleared;  // zeroed at expiry; free for the derived class
        float x, y, z;          // pixels (z as given)
        std::uint32_t birth;    // ms
        std::uint32_t word[3];  // for the derived class
    };

    // Allocates the particle table and both vertex arrays for `capacity`
    // particles (the derived class chooses the capacity).
    SpriteEmitter(GameContext* ctx, std::uint32_t capacity);
    ~SpriteEmitter() override;

    // Fixed operations.
    std::int32_t FrameMove() final;
    std::int32_t InvalidateDeviceObjects() final;
    std::int32_t RestoreDeviceObjects() final;
    std::int32_t DeleteDeviceObjects() final;
    std::int32_t FinalCleanup() final;

    // Hooks of the derived classes.
    virtual std::int32_t EndFrameMove() { return 0; }
    virtual std::int32_t SetupEmitter() { return 0; }
    virtual std::int32_t MoveEmitter() { return 0; }
    virtual std::int32_t DeleteEmitterObjects() { return 0; }
    virtual std::int32_t InvalidateEmitterObjects() { return 0; }
    virtual std::int32_t RestoreEmitterObjects() { return 0; }
    virtual std::int32_t InitParticle(std::uint32_t) { return 0; }
    virtual std::int32_t UpdateParticle(std::uint32_t) { return 0; }

    // width, height: fractions of the screen width; interval and lifetime in
    // ms; x, y in normalised screen units (-1..+1), z written into the vertices.
    void StartEmitter(float width, float height, std::uint32_t colour, std::uint32_t interval, std::uint32_t lifetime,
                      float spare1, float spare2, const char* textureName, std::uint32_t render1, std::uint32_t render2,
                      std::uint32_t render3, std::uint32_t render4, float uLeft, float vTop, float uWidth,
                      float vHeight, float x, float y, float z);
    // Moves the emitter to (x, y) and lays particles evenly along the way.
    void EmitAlong(float x, float y, float z);
    void SetFadeColours(std::uint32_t startColour, std::uint32_t endColour);

    // Read access for owners and tests.
    std::uint32_t LiveCount() const { return liveCount; }
    std::uint32_t Capacity() const { return capacity; }
    const Particle& ParticleAt(std::uint32_t i) const { return particles[i]; }
    const ScreenVertex* DrawArray() const { return drawArray; }
    bool Active() const { return active != 0; }
    float X() const { return position[0]; }
    float Y() const { return position[1]; }
    float Z() const { return position[2]; }

protected:
    // Age of particle i in ms at playTimeNow; 0 for a particle born "ahead" of
    // the clock (EmitAlong may date births up to one interval ahead).
    std::uint32_t AgeOf(std::uint32_t i) const;
    // The particle's quad, centred on its pixel position with the given side
    // lengths in pixels (texture and colour unchanged).
    void PlaceParticle(std::uint32_t i, float width, float height);
    // Sets all six vertex colours of particle i.
    void ColourParticle(std::uint32_t i, std::uint32_t colour);
    // Start colour faded toward the end colour by `amount` (0..1), alpha 0xff.
    std::uint32_t FadeColour(float amount) const;
    // Submits the packed particles (nothing when none is live).
    void SubmitParticles(float sortKey, std::uint32_t srcBlend = kBlendSource, std::uint32_t destBlend = kBlendOver);

    ScreenVertex* BlockOf(std::uint32_t i) { return blocks + 6 * i; }

    Particle* particles = nullptr;
    float width = 0, height = 0;
    std::uint32_t liveCount = 0;
    std::uint32_t capacity = 0;
    ScreenVertex* blocks = nullptr;
    ScreenVertex* drawArray = nullptr;
    std::uint32_t lastEmission = 0;
    std::uint8_t active = 0;
    std::uint8_t stopped = 0;
    std::uint32_t lifetime = 0;
    std::uint32_t interval = 0;
    float spare1 = 0, spare2 = 0;
    std::uint32_t colour = 0xffffffff;
    const char* textureName = nullptr;
    std::uint32_t renderParams[4] = {};
    float texRect[4] = {};  // left u, top v, width, height
    std::uint32_t lastPathStep = 0;
    std::uint32_t pathRemainder = 0;
    float position[3] = {};
    float previous[3] = {};
    std::uint8_t fade = 0;
    std::uint8_t fadeStart[3] = {255, 255, 255};
    std::uint8_t fadeEnd[3] = {255, 255, 255};

private:
    void Spawn(std::uint32_t i);
    void Reset(std::uint32_t i);
    int FirstFree() const;
};

}  // namespace dw
