#include "render/sprite_emitter.h"

#include "ships_fixture.h"

namespace dw {
namespace {

class ProbeEmitter : public SpriteEmitter {
public:
    ProbeEmitter(GameContext* ctx, std::uint32_t capacity) : SpriteEmitter(ctx, capacity) {}
    std::int32_t MoveEmitter() override {
        ++moves;
        if (path) EmitAlong(X() + 0.1f, Y(), 0);
        return 0;
    }
    std::int32_t SetupEmitter() override {
        setupSawInactive = !Active();
        return 0;
    }
    std::int32_t UpdateParticle(std::uint32_t) override {
        ++updates;
        return 0;
    }
    using SpriteEmitter::stopped;
    int moves = 0;
    int updates = 0;
    bool path = false;
    bool setupSawInactive = false;
};

class EmitterTest : public testing::ShipsFixture {
protected:
    void Start(ProbeEmitter& e, std::uint32_t interval, std::uint32_t lifetime, float x = 0, float y = 0) {
        e.StartEmitter(0.01f, 0.02f, 0xff336699, interval, lifetime, 0, 0, asset::BoardTex, 0, 1, 1, 1, 0.312f, 0,
                       0.063f, 0.063f, x, y, 0.4f);
    }
    void Step(ProbeEmitter& e, std::uint32_t ms = 16) {
        Tick(ms);
        e.FrameMove();
    }
};

TEST_F(EmitterTest, AnEmitterThatIsNeverStartedStillMovesButDrawsNothing) {
    ProbeEmitter e(&ctx, 8);
    for (int i = 0; i < 5; ++i) Step(e);
    EXPECT_EQ(e.moves, 5);
    EXPECT_EQ(e.LiveCount(), 0u);
    EXPECT_EQ(e.updates, 0);
}

TEST_F(EmitterTest, PlainStepSpawnsOneParticlePerFrameAtThePositionInPixels) {
    ProbeEmitter e(&ctx, 16);
    Start(e, 4, 1000, 0.5f, -0.5f);
    EXPECT_TRUE(e.setupSawInactive);  // SetupEmitter runs before the emitter is active
    for (int i = 0; i < 3; ++i) Step(e);
    EXPECT_EQ(e.LiveCount(), 3u);
    const ScreenVertex* v = e.DrawArray();
    // Centre (600, 150); half sizes 4 and 8 pixels (both of the screen width).
    EXPECT_FLOAT_EQ(v[0].x, 596.0f);
    EXPECT_FLOAT_EQ(v[0].y, 142.0f);
    EXPECT_FLOAT_EQ(v[5].x, 604.0f);
    EXPECT_FLOAT_EQ(v[5].y, 158.0f);
    // Texture rectangle inset by 0.001, colour and depth from the start call.
    EXPECT_FLOAT_EQ(v[0].u, 0.313f);
    EXPECT_FLOAT_EQ(v[5].u, 0.374f);
    EXPECT_FLOAT_EQ(v[5].v, 0.062f);
    EXPECT_EQ(v[0].diffuse, 0xff336699u);
    EXPECT_FLOAT_EQ(v[0].rhw, 0.4f);
}

TEST_F(EmitterTest, EmitAlongLaysOneParticlePerIntervalEvenlyOnThePath) {
    ProbeEmitter e(&ctx, 64);
    e.path = true;
    Start(e, 4, 1000, -0.5f, 0);
    Step(e);  // 16 ms: four along the path; the plain step then has nothing due
    EXPECT_EQ(e.LiveCount(), 4u);
    Step(e);
    EXPECT_EQ(e.LiveCount(), 8u);
    // The path particles of the first call lie between the old and new x.
    float minX = 1e9f, maxX = -1e9f;
    for (std::uint32_t i = 0; i < 4; ++i) {
        minX = std::min(minX, e.ParticleAt(i).x);
        maxX = std::max(maxX, e.ParticleAt(i).x);
    }
    EXPECT_GT(maxX, minX);
    EXPECT_GE(minX, 200.0f - 1.0f);
}

TEST_F(EmitterTest, AFullTableSkipsTheSpawnAndTheClockStillAdvances) {
    ProbeEmitter e(&ctx, 2);
    Start(e, 1, 100000);
    Step(e);
    Step(e);
    EXPECT_EQ(e.LiveCount(), 2u);
    Step(e);
    EXPECT_EQ(e.LiveCount(), 2u);
    EXPECT_EQ(e.ParticleAt(0).birth + 16, e.ParticleAt(1).birth);
}

TEST_F(EmitterTest, AParticleLivesThroughItsLifetimeAndExpiresOnTheNextStep) {
    ProbeEmitter e(&ctx, 4);
    Start(e, 1, 50);
    Step(e, 1);  // born at t
    e.stopped = 1;
    ASSERT_EQ(e.LiveCount(), 1u);
    const std::uint32_t born = e.ParticleAt(0).birth;
    Tick(50);  // t + L: still updated
    e.FrameMove();
    EXPECT_EQ(ctx.timeNow, born + 50);
    EXPECT_EQ(e.LiveCount(), 1u);
    Step(e, 1);  // t + L + 1: gone
    EXPECT_EQ(e.LiveCount(), 0u);
    EXPECT_EQ(e.ParticleAt(0).alive, 0);
}

TEST_F(EmitterTest, AStoppedEmitterSpawnsNothingButLetsItsParticlesAge) {
    ProbeEmitter e(&ctx, 8);
    Start(e, 4, 40);
    Step(e);
    e.stopped = 1;
    Step(e);
    EXPECT_EQ(e.LiveCount(), 1u);
    Step(e, 40);
    EXPECT_EQ(e.LiveCount(), 0u);
}

TEST_F(EmitterTest, AZeroIntervalLaysOneParticlePerPathStepInsteadOfHanging) {
    ProbeEmitter e(&ctx, 64);
    e.path = true;
    Start(e, 0, 1000);
    Step(e);
    Step(e);
    EXPECT_GE(e.LiveCount(), 2u);
    EXPECT_LE(e.LiveCount(), 4u);
}

TEST_F(EmitterTest, ParticlesDatedAheadOfTheClockCountAsNewborn) {
    class Ager : public ProbeEmitter {
    public:
        using ProbeEmitter::ProbeEmitter;
        std::int32_t UpdateParticle(std::uint32_t i) override {
            maxAge = std::max(maxAge, AgeOf(i));
            return 0;
        }
        std::uint32_t maxAge = 0;
    };
    Ager e(&ctx, 64);
    e.path = true;
    Start(e, 7, 1000);
    Step(e, 10);  // the first path particle is dated 4 ms after now
    Step(e, 1);
    EXPECT_LT(e.maxAge, 100u);
}

TEST_F(EmitterTest, FinalCleanupFreesTheArraysAndLeavesAnInertEmitter) {
    ProbeEmitter e(&ctx, 8);
    Start(e, 4, 40);
    Step(e);
    e.FinalCleanup();
    EXPECT_EQ(e.DrawArray(), nullptr);
    Step(e);  // nothing left to touch
    EXPECT_EQ(e.LiveCount(), 0u);
}

}  // namespace
}  // namespace dw
