#pragma once
// A maker of stand-in objects that records every call the spawner and the
// Game table make, in order.
#include <string>
#include <vector>

#include "core/game_context.h"
#include "engine/my_object.h"
#include "game/spawn_factory.h"

namespace dw::testing {

struct MadeCall {
    std::string what;  // "enemy", "segment", "boss", "turret", "ground", "cell", "ship"
    int code = 0;      // spawn code, turret type, cell layer
    float x = 0, y = 0, z = 0;
    std::uint32_t column = 0, rowOffset = 0, tile = 0;
    int segment = -1, part = -1;
    int slot = -1;
};

class StandIn : public MyObject {
public:
    StandIn(GameContext* ctx, const char* objectName, int ord) : MyObject(ctx) {
        name = objectName;
        order = ord;
    }
};

class RecordingFactory : public ObjectFactory {
public:
    MyObject* Enemy(GameContext* ctx, int code, float x, float y, int slot) override {
        calls.push_back({"enemy", code, x, y, 0, 0, 0, 0, -1, -1, slot});
        return Make(ctx, "enemy", 60);
    }
    MyObject* Segment(GameContext* ctx, float x, float y, int segment, int part, int slot) override {
        calls.push_back({"segment", 11, x, y, 0, 0, 0, 0, segment, part, slot});
        return Make(ctx, "henemy4", 60);
    }
    MyObject* Boss(GameContext* ctx, int code, float x, float y, float z, int slot) override {
        calls.push_back({"boss", code, x, y, z, 0, 0, 0, -1, -1, slot});
        return Make(ctx, "boss", 60);
    }
    MyObject* Turret(GameContext* ctx, int type, std::uint32_t column, std::uint32_t rowOffset, int slot) override {
        calls.push_back({"turret", type, 0, 0, 0, column, rowOffset, 0, -1, -1, slot});
        return Make(ctx, "turret", 60);
    }
    MyObject* GroundPiece(GameContext* ctx) override {
        calls.push_back({"ground"});
        return Make(ctx, "lshaft", 59);
    }
    void GroundCell(MyObject*, std::uint32_t layer, std::uint32_t tile, std::uint32_t column,
                    std::uint32_t rowOffset) override {
        MadeCall c{"cell"};
        c.code = static_cast<int>(layer);
        c.tile = tile;
        c.column = column;
        c.rowOffset = rowOffset;
        calls.push_back(c);
    }
    MyObject* Ship(GameContext* ctx, int slot) override {
        MadeCall c{"ship"};
        c.slot = slot;
        calls.push_back(c);
        if (makeShip) return makeShip(ctx, slot);
        return nullptr;
    }

    std::vector<MadeCall> Of(const std::string& what) const {
        std::vector<MadeCall> out;
        for (const MadeCall& c : calls)
            if (c.what == what) out.push_back(c);
        return out;
    }

    std::vector<MadeCall> calls;
    bool makeNothing = false;  // every class "missing"
    MyObject* (*makeShip)(GameContext*, int) = nullptr;

private:
    MyObject* Make(GameContext* ctx, const char* objectName, int ord) {
        return makeNothing ? nullptr : new StandIn(ctx, objectName, ord);
    }
};

}  // namespace dw::testing
