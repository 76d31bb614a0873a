#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/game_context.h"
#include "engine/list_engine.h"
#include "engine/my_object.h"

namespace dw {
namespace {

// A probe object that records what the engine does to it.
struct Journal {
    std::vector<std::string> events;
};

class Probe : public MyObject {
public:
    Probe(GameContext* ctx, Journal* j, std::string tag, int ord, std::uint8_t vis = 1)
        : MyObject(ctx), journal(j), tag(std::move(tag)) {
        order = ord;
        visible = vis;
        name = "probe";
    }
    ~Probe() override { journal->events.push_back("~" + tag); }
    std::int32_t FrameMove() override {
        journal->events.push_back("move " + tag);
        if (onMove) onMove(*this);
        return 0;
    }
    std::int32_t Render() override {
        journal->events.push_back("render " + tag);
        return 0;
    }
    std::int32_t FinalCleanup() override {
        journal->events.push_back("cleanup " + tag);
        if (onCleanup) onCleanup(*this);
        return MyObject::FinalCleanup();
    }
    Journal* journal;
    std::string tag;
    std::function<void(Probe&)> onMove;
    std::function<void(Probe&)> onCleanup;
};

class ListEngineTest : public ::testing::Test {
protected:
    Probe* Add(const std::string& tag, int order, std::uint8_t vis = 1) {
        auto* p = new Probe(&ctx, &journal, tag, order, vis);
        list.AddObject(p);
        return p;
    }
    std::vector<std::string> Walk() {
        std::vector<std::string> out;
        for (auto* n = list.Head(); n; n = n->next) out.push_back(static_cast<Probe*>(n->object)->tag);
        return out;
    }
    std::vector<std::string> Take() {
        auto e = journal.events;
        journal.events.clear();
        return e;
    }
    void TearDown() override { list.DestroyAll(); }

    GameContext ctx;
    Journal journal;
    ListEngine list;
};

using V = std::vector<std::string>;

TEST_F(ListEngineTest, OrdersByKeyAndKeepsInsertionOrderForEqualKeys) {
    Add("a60", 60);
    Add("b50", 50);
    Add("c60", 60);
    Add("d99", 99);
    EXPECT_EQ(list.AddObject(new Probe(&ctx, &journal, "e0", 0)), 5u);
    EXPECT_EQ(Walk(), (V{"e0", "b50", "a60", "c60", "d99"}));
    EXPECT_EQ(list.CountObjects(), 5u);
}

TEST_F(ListEngineTest, CountNamedCountsByNameAndSkipsUnnamed) {
    Add("a", 10);
    Add("b", 20)->name = "other";
    Add("c", 30)->name = nullptr;
    Add("d", 40);
    EXPECT_EQ(list.CountNamed("probe"), 2u);
    EXPECT_EQ(list.CountNamed("other"), 1u);
    EXPECT_EQ(list.CountNamed("none"), 0u);
    EXPECT_EQ(list.CountNamed(nullptr), 0u);
    list.DestroyAll();
}

TEST_F(ListEngineTest, DeathsOfFirstMiddleAndLastDuringOnePass) {
    auto* a = Add("a", 1);
    Add("b", 2);
    auto* c = Add("c", 3);
    Add("d", 4);
    auto* e = Add("e", 5);
    for (Probe* p : {a, c, e}) p->onMove = [](Probe& self) { self.dead = 1; };
    list.FrameMoveAll();
    EXPECT_EQ(
        Take(),
        (V{"move a", "cleanup a", "~a", "move b", "move c", "cleanup c", "~c", "move d", "move e", "cleanup e", "~e"}));
    EXPECT_EQ(Walk(), (V{"b", "d"}));
    list.FrameMoveAll();
    EXPECT_EQ(Take(), (V{"move b", "move d"}));
}

TEST_F(ListEngineTest, OnlyObjectDyingEmptiesTheList) {
    auto* a = Add("a", 1);
    a->onMove = [](Probe& self) { self.dead = 1; };
    list.FrameMoveAll();
    EXPECT_EQ(list.CountObjects(), 0u);
    EXPECT_EQ(list.Head(), nullptr);
    list.FrameMoveAll();  // empty list: nothing happens
    EXPECT_EQ(Take(), (V{"move a", "cleanup a", "~a"}));
}

TEST_F(ListEngineTest, SpawnBehindIsMovedThisFrameSpawnInFrontNextFrame) {
    auto* spawner = Add("spawner", 50);
    Add("tail", 99);
    int frame = 0;
    spawner->onMove = [&](Probe&) {
        if (frame == 0) {
            list.AddObject(new Probe(&ctx, &journal, "behind", 50));  // equal key: behind
            list.AddObject(new Probe(&ctx, &journal, "front", 10));
            list.AddObject(new Probe(&ctx, &journal, "last", 200));  // appended after the tail
        }
    };
    list.FrameMoveAll();
    EXPECT_EQ(Take(), (V{"move spawner", "move behind", "move tail", "move last"}));
    frame = 1;
    list.FrameMoveAll();
    EXPECT_EQ(Take(), (V{"move front", "move spawner", "move behind", "move tail", "move last"}));
}

TEST_F(ListEngineTest, CleanupThatRemovesTheNeighbourNeverVisitsIt) {
    Add("a", 1);
    auto* b = Add("b", 2);
    auto* c = Add("c", 3);
    Add("d", 4);
    // b dies, and its clean-up takes c (its successor) with it.
    b->onMove = [](Probe& self) { self.dead = 1; };
    b->onCleanup = [&](Probe&) {
        list.RemoveObject(c);
        delete c;
    };
    list.FrameMoveAll();
    EXPECT_EQ(Take(), (V{"move a", "move b", "cleanup b", "~c", "~b", "move d"}));
}

// A move may take objects out of the list (itself included) and put new ones
// in; the pass goes on with the one that followed and never touches a removed
// object again (under AddressSanitizer a stale node is a failure).
TEST_F(ListEngineTest, AMoveThatRemovesItselfOrOthersOrAddsKeepsThePassWhole) {
    Add("a", 1);
    auto* b = Add("b", 2);
    auto* c = Add("c", 3);
    auto* d = Add("d", 4);
    auto* e = Add("e", 5);
    Add("f", 6);
    // b leaves and destroys itself, putting a successor of its own order in
    // its place; d takes e (the one after it) away; f is the last.
    b->onMove = [&](Probe& self) {
        list.RemoveObject(&self);
        list.AddObject(new Probe(&ctx, &journal, "b2", 2));
        delete &self;
    };
    d->onMove = [&](Probe&) {
        list.RemoveObject(e);
        delete e;
    };
    list.FrameMoveAll();
    EXPECT_EQ(Take(), (V{"move a", "move b", "~b", "move b2", "move c", "move d", "~e", "move f"}));
    EXPECT_EQ(Walk(), (V{"a", "b2", "c", "d", "f"}));
    d->onMove = nullptr;
    // The last object leaves during its move, and one removed and marked dead
    // in its move is the remover's, not destroyed by the pass.
    c->onMove = [&](Probe& self) {
        list.RemoveObject(&self);
        self.dead = 1;
    };
    list.FrameMoveAll();
    EXPECT_EQ(Take(), (V{"move a", "move b2", "move c", "move d", "move f"}));
    EXPECT_EQ(Walk(), (V{"a", "b2", "d", "f"}));
    delete c;
    Take();
}

TEST_F(ListEngineTest, TheLastOrOnlyObjectRemovingItselfEndsThePass) {
    const auto leave = [&](Probe& self) {
        list.RemoveObject(&self);
        delete &self;
    };
    Add("a", 1)->onMove = leave;
    Add("z", 9)->onMove = leave;
    list.FrameMoveAll();
    EXPECT_EQ(Take(), (V{"move a", "~a", "move z", "~z"}));
    EXPECT_EQ(list.Head(), nullptr);
    Add("only", 5)->onMove = leave;
    list.FrameMoveAll();
    EXPECT_EQ(Take(), (V{"move only", "~only"}));
    EXPECT_EQ(list.CountObjects(), 0u);
}

TEST_F(ListEngineTest, RenderOnlyVisibleOneAndFanOutsReachEveryone) {
    Add("shown", 1, 1);
    Add("hidden", 2, 0);
    Add("two", 3, 2);
    list.RenderAll();
    EXPECT_EQ(Take(), (V{"render shown"}));
    list.FrameMoveAll();
    EXPECT_EQ(Take(), (V{"move shown", "move hidden", "move two"}));
}

TEST_F(ListEngineTest, RemoveFindAndDestroy) {
    auto* a = Add("a", 1);
    Add("b", 2);
    Probe stranger(&ctx, &journal, "stranger", 5);
    EXPECT_EQ(list.FindObject(&stranger), 0u);
    EXPECT_EQ(list.RemoveObject(&stranger), 0u);
    EXPECT_EQ(list.FindObject(a), 1u);
    EXPECT_EQ(list.RemoveObject(a), 1u);  // handed back, not destroyed
    EXPECT_EQ(Walk(), (V{"b"}));
    delete a;
    Take();
    // An object marked dead outside the list is not touched by the pass.
    stranger.dead = 1;
    list.FrameMoveAll();
    EXPECT_EQ(list.DestroyAll(), 1u);  // no FinalCleanup on destruction
    EXPECT_EQ(Take(), (V{"move b", "~b"}));
    EXPECT_EQ(list.DestroyAll(), 1u);
    EXPECT_EQ(list.CountObjects(), 0u);
}

TEST(ScreenQuad, NormalisedEdgesMapToPixelsAndTexels) {
    GameContext ctx;
    ctx.screenWidth = 800;
    ctx.screenHeight = 600;
    MyObject obj(&ctx);
    ScreenVertex v[6] = {};
    obj.SetQuadScreenTexels(v, -1.0f, 1.0f, -1.0f, 0.0f, 256, 128, 64, 32);
    EXPECT_FLOAT_EQ(v[0].x, 0.0f);
    EXPECT_FLOAT_EQ(v[1].x, 800.0f);
    EXPECT_FLOAT_EQ(v[2].y, 300.0f);
    EXPECT_FLOAT_EQ(v[5].u, 0.75f);
    EXPECT_FLOAT_EQ(v[5].v, 0.1875f);
    // Second triangle is (bottom-left, top-right, bottom-right).
    EXPECT_FLOAT_EQ(v[3].x, 0.0f);
    EXPECT_FLOAT_EQ(v[3].y, 300.0f);
    EXPECT_FLOAT_EQ(v[4].x, 800.0f);
    EXPECT_FLOAT_EQ(v[4].y, 0.0f);
    ScreenVertex p[6] = {};
    p[0].diffuse = 0x12345678;
    SetQuadPixels(p, 10, 20, 30, 40, 0, 1, 0, 1);
    EXPECT_FLOAT_EQ(p[5].x, 40.0f);
    EXPECT_FLOAT_EQ(p[5].y, 60.0f);
    EXPECT_EQ(p[0].diffuse, 0x12345678u);  // colour left alone
}

}  // namespace
}  // namespace dw
