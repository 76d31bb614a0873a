#include "render/sprite_emitter.h"

#include "core/game_context.h"
#include "render/render_queue.h"

namespace dw {

SpriteEmitter::SpriteEmitter(GameContext* ctx, std::uint32_t count) : MyObject(ctx) {
    capacity = count;
    particles = new Particle[count]();
    blocks = new ScreenVertex[6 * count]();
    drawArray = new ScreenVertex[6 * count]();
}

SpriteEmitter::~SpriteEmitter() {
    // Deliberate (docs/DECISIONS.md): emitter arrays are freed.
    // Objects destroyed at shutdown never see FinalCleanup; free what is left.
    delete[] particles;
    delete[] blocks;
    delete[] drawArray;
}

std::int32_t SpriteEmitter::InvalidateDeviceObjects() {
    InvalidateEmitterObjects();
    return 0;
}

std::int32_t SpriteEmitter::RestoreDeviceObjects() {
    RestoreEmitterObjects();
    return 0;
}

std::int32_t SpriteEmitter::DeleteDeviceObjects() {
    DeleteEmitterObjects();
    InvalidateDeviceObjects();
    return 0;
}

std::int32_t SpriteEmitter::FinalCleanup() {
    if (particles) {
        delete[] particles;
        particles = nullptr;
    }
    if (blocks) {
        delete[] blocks;
        blocks = nullptr;
    }
    if (drawArray) {
        delete[] drawArray;
        drawArray = nullptr;
    }
    active = 0;
    liveCount = 0;
    DeleteDeviceObjects();
    return 0;
}

int SpriteEmitter::FirstFree() const {
    for (std::uint32_t i = 0; i < capacity; ++i)
        if (!particles[i].alive) return static_cast<int>(i);
    return -1;
}

void SpriteEmitter::Reset(std::uint32_t i) {
    Particle& p = particles[i];
    p.x = p.y = 0;
    p.cleared = 0;
    p.inArray = 0;
    ScreenVertex* b = BlockOf(i);
    for (int k = 0; k < 6; ++k) {
        b[k].x = b[k].y = 0;
        b[k].z = b[k].rhw = position[2];
        b[k].diffuse = colour;
        b[k].u = b[k].v = 0;
    }
}

void SpriteEmitter::Spawn(std::uint32_t i) {
    Particle& p = particles[i];
    if (stopped) {
        p.inArray = 0;
        return;
    }
    p.x = position[0];
    p.y = position[1];
    p.z = position[2];
    const float sw = static_cast<float>(context->screenWidth);
    const float sh = static_cast<float>(context->screenHeight);
    p.x = sw * (p.x + 1.0f) * 0.5f;
    p.y = sh * (p.y + 1.0f) * 0.5f;
    const float hw = sw * width * 0.5f;
    const float hh = sw * height * 0.5f;
    ScreenVertex* b = BlockOf(i);
    SetQuadPixels(b, p.x - hw, p.y - hh, 2 * hw, 2 * hh, texRect[0] + 0.001f, texRect[0] + texRect[2] - 0.001f,
                  texRect[1] + 0.001f, texRect[1] + texRect[3] - 0.001f);
    for (int k = 0; k < 6; ++k) {
        b[k].diffuse = colour;
        b[k].z = b[k].rhw = position[2];
    }
    InitParticle(i);
}

std::int32_t SpriteEmitter::FrameMove() {
    MoveEmitter();
    if (!active || !particles) return 0;
    const std::uint32_t now = context->playTimeNow;
    if (!stopped && lastEmission + interval < now) {
        const int i = FirstFree();
        if (i >= 0) {
            Particle& p = particles[i];
            p.alive = 1;
            p.birth = now;
            p.inArray = 1;
            Spawn(static_cast<std::uint32_t>(i));
        }
        lastEmission = now;
    }
    for (std::uint32_t i = 0; i < capacity; ++i) {
        Particle& p = particles[i];
        if (!p.alive) continue;
        if (p.birth + lifetime < now) {
            p.alive = 0;
            p.inArray = 0;
            p.cleared = 0;
            Reset(i);
        } else {
            UpdateParticle(i);
        }
    }
    liveCount = 0;
    for (std::uint32_t i = 0; i < capacity; ++i) {
        if (!particles[i].alive) continue;
        const ScreenVertex* b = BlockOf(i);
        for (int k = 0; k < 6; ++k) drawArray[6 * liveCount + k] = b[k];
        ++liveCount;
    }
    EndFrameMove();
    return 0;
}

void SpriteEmitter::StartEmitter(float w, float h, std::uint32_t c, std::uint32_t every, std::uint32_t life, float s1,
                                 float s2, const char* tex, std::uint32_t r1, std::uint32_t r2, std::uint32_t r3,
                                 std::uint32_t r4, float uLeft, float vTop, float uWidth, float vHeight, float x,
                                 float y, float z) {
    width = w;
    height = h;
    colour = c;
    interval = every;
    lifetime = life;
    spare1 = s1;
    spare2 = s2;
    textureName = tex;
    renderParams[0] = r1;
    renderParams[1] = r2;
    renderParams[2] = r3;
    renderParams[3] = r4;
    texRect[0] = uLeft;
    texRect[1] = vTop;
    texRect[2] = uWidth;
    texRect[3] = vHeight;
    position[0] = previous[0] = x;
    position[1] = previous[1] = y;
    position[2] = previous[2] = z;
    pathRemainder = 0;
    lastPathStep = context->playTimeNow;
    if (particles) {
        for (std::uint32_t i = 0; i < capacity; ++i) {
            particles[i].alive = 0;
            Reset(i);
        }
    }
    liveCount = 0;
    SetupEmitter();
    active = 1;
}

void SpriteEmitter::EmitAlong(float x, float y, float) {
    if (!active || !particles) return;
    const std::uint32_t last = lastPathStep;
    const std::uint32_t elapsed = context->playTimeNow - last;
    const float step = elapsed == 0 ? 1.0f : 1.0f / static_cast<float>(elapsed);
    std::uint32_t offset = interval - pathRemainder;
    position[0] = x;
    position[1] = y;
    pathRemainder += elapsed;
    // An emitter with interval 0 would never leave this loop: it lays one
    // particle per call instead.
    const std::uint32_t every = interval == 0 ? (elapsed == 0 ? 1 : elapsed) : interval;
    while (pathRemainder >= every) {
        pathRemainder -= every;
        offset += every;
        const float f = static_cast<float>(offset) * step;
        position[0] = previous[0] + (x - previous[0]) * f;
        position[1] = previous[1] + (y - previous[1]) * f;
        const int i = FirstFree();
        if (i >= 0) {
            Particle& p = particles[i];
            p.alive = 1;
            p.birth = last + offset;
            p.inArray = 1;
            Spawn(static_cast<std::uint32_t>(i));
        }
        position[0] = x;
        position[1] = y;
        lastEmission = last + offset;
    }
    lastPathStep = context->playTimeNow;
    previous[0] = position[0];
    previous[1] = position[1];
    previous[2] = position[2];
}

void SpriteEmitter::SetFadeColours(std::uint32_t startColour, std::uint32_t endColour) {
    fade = 1;
    fadeStart[0] = static_cast<std::uint8_t>(startColour >> 16);
    fadeStart[1] = static_cast<std::uint8_t>(startColour >> 8);
    fadeStart[2] = static_cast<std::uint8_t>(startColour);
    fadeEnd[0] = static_cast<std::uint8_t>(endColour >> 16);
    fadeEnd[1] = static_cast<std::uint8_t>(endColour >> 8);
    fadeEnd[2] = static_cast<std::uint8_t>(endColour);
}

std::uint32_t SpriteEmitter::AgeOf(std::uint32_t i) const {
    const std::uint32_t now = context->playTimeNow;
    const std::uint32_t birth = particles[i].birth;
    return static_cast<std::int32_t>(now - birth) > 0 ? now - birth : 0;
}

void SpriteEmitter::PlaceParticle(std::uint32_t i, float w, float h) {
    const Particle& p = particles[i];
    ScreenVertex* b = BlockOf(i);
    const float x0 = p.x - w * 0.5f, x1 = p.x + w * 0.5f;
    const float y0 = p.y - h * 0.5f, y1 = p.y + h * 0.5f;
    b[0].x = x0;
    b[0].y = y0;
    b[1].x = x1;
    b[1].y = y0;
    b[2].x = x0;
    b[2].y = y1;
    b[3].x = x0;
    b[3].y = y1;
    b[4].x = x1;
    b[4].y = y0;
    b[5].x = x1;
    b[5].y = y1;
}

void SpriteEmitter::ColourParticle(std::uint32_t i, std::uint32_t c) {
    ScreenVertex* b = BlockOf(i);
    for (int k = 0; k < 6; ++k) b[k].diffuse = c;
}

std::uint32_t SpriteEmitter::FadeColour(float amount) const {
    if (amount < 0) amount = 0;
    if (amount > 1) amount = 1;
    std::uint32_t c = 0xff000000u;
    for (int k = 0; k < 3; ++k) {
        const int delta = static_cast<int>((static_cast<int>(fadeEnd[k]) - fadeStart[k]) * amount);
        const std::uint32_t channel = static_cast<std::uint32_t>(fadeStart[k] + delta) & 0xffu;
        c |= channel << (16 - 8 * k);
    }
    return c;
}

void SpriteEmitter::SubmitParticles(float sortKey, std::uint32_t srcBlend, std::uint32_t destBlend) {
    if (!active || liveCount == 0 || !drawArray || !context->renderQueue) return;
    SubmitSprite(context, textureName, drawArray, 2 * liveCount, sortKey, srcBlend, destBlend);
}

}  // namespace dw
